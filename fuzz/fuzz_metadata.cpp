// The readers of what a PNG carries beyond its text over any bytes: Exif (a TIFF structure),
// XMP, the generators' entries (A1111 text, ComfyUI graphs, NovelAI and InvokeAI JSON) and
// the chunk inspector's summaries. Nothing may crash, hang or read out of bounds, and every
// GPS position found must be one on the earth.
#include "FuzzInput.h"

#include "provenance/ChunkDescription.h"
#include "provenance/ExifData.h"
#include "provenance/GenerationRecord.h"
#include "provenance/XmpPacket.h"

#include <cmath>
#include <cstdlib>
#include <optional>

namespace {

void checkPosition(const std::optional<GpsPosition> &gps)
{
    if (gps && (!(std::abs(gps->latitude) <= 90) || !(std::abs(gps->longitude) <= 180)))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = FuzzInput::bytes(data, size);
    ExifData exif;
    if (ExifData::read(bytes, &exif))
        checkPosition(exif.gps);
    XmpPacket xmp;
    if (XmpPacket::read(bytes, &xmp))
        checkPosition(xmp.gps());

    const QString text = QString::fromUtf8(bytes);
    CommentList entries;
    for (const char *keyword : { "parameters", "prompt", "workflow", "Comment", "invokeai_metadata" })
        entries.append(makeComment(QString::fromLatin1(keyword), text));
    for (const GenerationRecord &r : GenerationRecord::fromEntries(entries)) {
        if (r.generator.isEmpty() || r.toJson().isEmpty())
            std::abort();
    }

    const QList<ChunkDescription> chunks = ChunkDescription::ofFile(bytes);
    (void)ChunkDescription::toText(chunks);
    (void)ChunkDescription::toJson(chunks);
    return 0;
}
