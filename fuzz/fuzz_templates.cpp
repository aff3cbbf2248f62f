// The template file reader over any file: a template it reads writes back and reads
// again with the same flags and entries.
#include "FuzzInput.h"

#include "templates/Template.h"

#include <cstdio>
#include <cstdlib>

namespace {

QStringList fields(const Template &t)
{
    QStringList result { QString::number(t.clearsCommentsWhenApplied()),
        QString::number(t.overwritesDuplicatesWhenApplied()) };
    return result + FuzzInput::entryFields(t.comments());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString path = FuzzInput::scratchPath(QStringLiteral("Fuzzed"));
    static const QString again = FuzzInput::scratchPath(QStringLiteral("Again"));
    FuzzInput::writeScratchFile(path, data, size);
    const auto read = Template::initWithFile(path);
    if (!read)
        return 0;
    const QByteArray written = read->fileContents();
    FuzzInput::writeScratchFile(again, reinterpret_cast<const uint8_t *>(written.constData()), size_t(written.size()));
    const auto back = Template::initWithFile(again);
    if (!back || fields(*back) != fields(*read)) {
        std::fprintf(stderr, "the template changed on the way:\n%s\n", written.constData());
        std::abort();
    }
    return 0;
}
