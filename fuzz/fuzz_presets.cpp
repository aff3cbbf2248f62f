// The presets file reader over any file: it never fails to give a list.
#include "FuzzInput.h"

#include "presets/MetadataPresetManager.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString path = FuzzInput::scratchPath(QStringLiteral("presets"));
    FuzzInput::writeScratchFile(path, data, size);
    MetadataPresetManager presets(path);
    const auto result = presets.loadMetaDataPresets();
    if (result != MetadataPresetManager::LoadResult::FromFile && presets.count() != 10)
        std::abort(); // a file that does not read gives the ten defaults
    (void)presets.presetMenuTitles();
    presets.tidyMetadataPresets();
    return 0;
}
