// The PNG reader over any file: what it reads it must write back, and what it writes it
// must read again with the same text entries.
#include "FuzzInput.h"

#include "core/ImageSummary.h"
#include "core/PNGChunks.h"
#include "core/PNGReader.h"
#include "core/PNGWriter.h"
#include "core/TextMacros.h"

#include <QFile>
#include <QtEndian>

#include <cstdio>
#include <cstdlib>

namespace {

// The texts of the entries a save writes: every entry with a keyword (an entry read from a
// file can always be written back).
QStringList writtenTexts(const CommentList &comments)
{
    QStringList result;
    for (const CommentPtr &c : comments) {
        if (c->isValid())
            result << c->text();
    }
    return result;
}

QByteArray wholeFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every chunk but those a save leaves out (ancillary chunks with a wrong CRC), as bytes.
QList<QByteArray> keptChunks(const QByteArray &png)
{
    std::vector<PngChunk> chunks;
    QList<QByteArray> kept;
    if (!scanPngChunks(png, chunks))
        return kept;
    for (const PngChunk &c : chunks) {
        if (c.crcOk || c.isCritical())
            kept << png.mid(c.offset - 8, qsizetype(c.length) + 12);
    }
    return kept;
}

// The input with the CRC of every whole chunk made right, so that changes inside a chunk
// reach the parsing behind the CRC check.
QByteArray withRightCrcs(QByteArray png)
{
    qsizetype pos = 8;
    while (png.size() - pos >= 12) {
        const quint32 length = qFromBigEndian<quint32>(png.constData() + pos);
        if (length > quint32(png.size() - pos - 12))
            break;
        const quint32 crc = pngChunkCrc(png.constData() + pos + 4, png.constData() + pos + 8, length);
        qToBigEndian(crc, png.data() + pos + 8 + length);
        pos += 12 + qsizetype(length);
    }
    return png;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    static const QString input = FuzzInput::scratchPath(QStringLiteral("input.png"));
    static const QString output = FuzzInput::scratchPath(QStringLiteral("output.png"));

    // The last byte picks the modes, so the fuzzer explores each.
    const uint8_t mode = size > 0 ? data[size - 1] : 0;
    const bool decode = mode & 1;
    const bool recompress = decode && (mode & 2);
    if (mode & 4) {
        const QByteArray fixed = withRightCrcs(QByteArray(reinterpret_cast<const char *>(data), qsizetype(size)));
        FuzzInput::writeScratchFile(input, reinterpret_cast<const uint8_t *>(fixed.constData()), size);
    } else {
        FuzzInput::writeScratchFile(input, data, size);
    }
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
    (void)processedTextForPNG(
        QStringLiteral("%WIDTH%x%HEIGHT% %COLOURTYPE% %BITDEPTH% %INTERLACE% %COLOURPROFILE%"), info);

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
    // Nothing was edited: a save writes the file back as it was.
    if (!recompress && keptChunks(wholeFile(output)) != keptChunks(wholeFile(input))) {
        std::fprintf(stderr, "an unedited save changed the file\n");
        std::abort();
    }
    return 0;
}
