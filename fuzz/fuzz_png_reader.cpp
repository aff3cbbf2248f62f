// The PNG reader over any file: what it reads it must write back, and what it writes it
// must read again with the same text entries.
#include "FuzzInput.h"

#include "core/ImageSummary.h"
#include "core/PNGReader.h"
#include "core/PNGWriter.h"
#include "core/TextMacros.h"

#include <cstdio>
#include <cstdlib>

namespace {

// The texts of the entries a save writes (those with a keyword left after repair).
QStringList writtenTexts(const CommentList &comments)
{
    QStringList result;
    for (const CommentPtr &c : comments) {
        if (!pngKeywordBytes(c->keyword()).isEmpty())
            result << c->text();
    }
    return result;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzInput::silenceQtLogging();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString input = FuzzInput::scratchPath(QStringLiteral("input.png"));
    static const QString output = FuzzInput::scratchPath(QStringLiteral("output.png"));
    FuzzInput::writeScratchFile(input, data, size);

    // The last byte picks the mode, so the fuzzer explores both.
    const bool decode = size > 0 && (data[size - 1] & 1);
    const bool recompress = decode && (data[size - 1] & 2);
    PNGReadOptions readOptions;
    readOptions.decodeImage = decode;
    readOptions.memoryLimit = quint64(64) << 20; // the fuzzer's own memory limit is 2 GiB
    PNGinfo info;
    info.path = input;
    PNGRows rows;
    CommentList comments;
    if (!loadPNG(info, rows, comments, readOptions))
        return 0;
    (void)ImageSummary::forImage(info);
    (void)processedTextForPNG(QStringLiteral("%WIDTH%x%HEIGHT% %COLOURTYPE% %BITDEPTH% %INTERLACE% %COLOURPROFILE%"),
        info);

    removeInvalidComments(comments);
    PNGWriteOptions writeOptions;
    writeOptions.recompress = recompress;
    QString error;
    if (!savePNG(output, info, rows, comments, writeOptions, &error)) {
        std::fprintf(stderr, "a file that was read could not be written: %s\n", qPrintable(error));
        std::abort();
    }
    PNGinfo back;
    back.path = output;
    PNGRows backRows;
    CommentList backComments;
    if (!loadPNG(back, backRows, backComments, readOptions, &error)) {
        std::fprintf(stderr, "what was written cannot be read: %s\n", qPrintable(error));
        std::abort();
    }
    if (back.width != info.width || back.height != info.height || back.colourType != info.colourType) {
        std::fprintf(stderr, "the header changed on the way\n");
        std::abort();
    }
    if (writtenTexts(backComments) != writtenTexts(comments)) {
        std::fprintf(stderr, "the texts changed on the way\n");
        std::abort();
    }
    if (decode && !(backRows == rows)) {
        std::fprintf(stderr, "the pixels changed on the way\n");
        std::abort();
    }
    return 0;
}
