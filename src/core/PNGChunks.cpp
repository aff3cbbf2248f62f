#include "core/PNGChunks.h"

#include <QtEndian>

#include <libdeflate.h>

const QByteArray PngSignature("\x89PNG\r\n\x1a\n", 8);

quint32 pngChunkCrc(const char *type, const char *data, size_t length)
{
    // libdeflate's CRC-32 is several times faster than zlib's on large payloads.
    const quint32 crc = libdeflate_crc32(0, type, 4);
    return libdeflate_crc32(crc, data, length);
}

static bool isChunkTypeValid(const char *t)
{
    for (int i = 0; i < 4; ++i) {
        const char c = t[i];
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')))
            return false;
    }
    return true;
}

static bool fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

bool scanPngChunks(const QByteArray &bytes, std::vector<PngChunk> &chunks, QString *error)
{
    chunks.clear();
    if (bytes.size() < 8 || !bytes.startsWith(PngSignature))
        return fail(error, QStringLiteral("not a PNG file (the PNG signature is missing)"));

    const char *data = bytes.constData();
    const qint64 size = bytes.size();
    qint64 pos = 8;
    bool seenPLTE = false;
    bool seenIDAT = false;
    bool idatEnded = false;
    bool seenIEND = false;
    while (!seenIEND) {
        if (size - pos < 12)
            return fail(error, QStringLiteral("the file is truncated (it ends before the end chunk)"));
        const quint32 length = qFromBigEndian<quint32>(data + pos);
        const char *type = data + pos + 4;
        if (length > 0x7fffffffu)
            return fail(error, QStringLiteral("a chunk length is larger than the PNG standard allows"));
        if (!isChunkTypeValid(type))
            return fail(error, QStringLiteral("a chunk type is malformed at byte %1").arg(pos + 4));
        if (qint64(length) > size - pos - 12)
            return fail(error,
                QStringLiteral("the file is truncated (the %1 chunk is cut off)").arg(QString::fromLatin1(type, 4)));
        PngChunk c;
        c.type = QByteArray(type, 4);
        c.length = length;
        c.offset = pos + 8;
        c.seenPLTE = seenPLTE;
        const quint32 stored = qFromBigEndian<quint32>(data + pos + 8 + length);
        c.crcOk = stored == pngChunkCrc(type, data + pos + 8, length);

        if (chunks.empty() && c.type != "IHDR")
            return fail(error, QStringLiteral("the first chunk is not the image header"));
        if (c.type == "IDAT") {
            if (idatEnded)
                return fail(error, QStringLiteral("the image data chunks are not consecutive"));
            seenIDAT = true;
            c.position = PngChunk::IDAT;
        } else {
            if (seenIDAT)
                idatEnded = true;
            c.position = seenIDAT ? PngChunk::AfterIDAT : PngChunk::BeforeIDAT;
        }
        if (c.type == "PLTE")
            seenPLTE = true;
        if (c.type == "IEND")
            seenIEND = true;
        chunks.push_back(c);
        pos += 12 + qint64(length);
    }
    if (!seenIDAT)
        return fail(error, QStringLiteral("the file holds no image data"));
    return true;
}
