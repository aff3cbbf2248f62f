#include "core/PNGChunks.h"
#include "core/Strings.h"

#include <QtEndian>

#include <libdeflate.h>

const QByteArray PngSignature("\x89PNG\r\n\x1a\n", 8);

quint32 pngChunkCrc(const char *type, const char *data, size_t length)
{
    // libdeflate's CRC-32 is several times faster than zlib's on large payloads.
    const quint32 crc = libdeflate_crc32(0, type, 4);
    return libdeflate_crc32(crc, data, length);
}

quint32 pngCrcUpdate(quint32 crc, const char *data, size_t length)
{
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

bool PngChunkSequence::next(const char *header, qint64 pos, qint64 size, PngChunk &c, QString *error)
{
    if (size - pos < 12)
        return fail(
            error, reasonText(QT_TRANSLATE_NOOP("Reason", "the file is truncated (it ends before the end chunk)")));
    const quint32 length = qFromBigEndian<quint32>(header);
    const char *type = header + 4;
    if (length > 0x7fffffffu)
        return fail(
            error, reasonText(QT_TRANSLATE_NOOP("Reason", "a chunk length is larger than the PNG standard allows")));
    if (!isChunkTypeValid(type))
        return fail(
            error, reasonText(QT_TRANSLATE_NOOP("Reason", "a chunk type is malformed at byte %1")).arg(pos + 4));
    if (qint64(length) > size - pos - 12)
        return fail(error,
            reasonText(QT_TRANSLATE_NOOP("Reason", "the file is truncated (the %1 chunk is cut off)"))
                .arg(QString::fromLatin1(type, 4)));
    c = PngChunk();
    c.type = QByteArray(type, 4);
    c.length = length;
    c.offset = pos + 8;
    c.seenPLTE = m_seenPLTE;
    if (m_count == 0 && c.type != "IHDR")
        return fail(error, reasonText(QT_TRANSLATE_NOOP("Reason", "the first chunk is not the image header")));
    ++m_count;
    if (c.type == "IDAT") {
        if (m_idatEnded)
            return fail(error, reasonText(QT_TRANSLATE_NOOP("Reason", "the image data chunks are not consecutive")));
        m_seenIDAT = true;
        c.position = PngChunk::IDAT;
    } else {
        if (m_seenIDAT)
            m_idatEnded = true;
        c.position = m_seenIDAT ? PngChunk::AfterIDAT : PngChunk::BeforeIDAT;
    }
    if (c.type == "PLTE")
        m_seenPLTE = true;
    if (c.type == "IEND")
        m_seenIEND = true;
    return true;
}

bool PngChunkSequence::finish(QString *error) const
{
    if (!m_seenIDAT)
        return fail(error, reasonText(QT_TRANSLATE_NOOP("Reason", "the file holds no image data")));
    return true;
}

bool scanPngChunks(const QByteArray &bytes, std::vector<PngChunk> &chunks, QString *error)
{
    chunks.clear();
    if (bytes.size() < 8 || !bytes.startsWith(PngSignature))
        return fail(error, reasonText(QT_TRANSLATE_NOOP("Reason", "not a PNG file (the PNG signature is missing)")));

    const char *data = bytes.constData();
    const qint64 size = bytes.size();
    qint64 pos = 8;
    PngChunkSequence sequence;
    while (!sequence.ended()) {
        PngChunk c;
        if (!sequence.next(data + pos, pos, size, c, error))
            return false;
        const quint32 stored = qFromBigEndian<quint32>(data + c.offset + c.length);
        c.crcOk = stored == pngChunkCrc(c.type.constData(), data + c.offset, c.length);
        chunks.push_back(c);
        pos = c.offset + qint64(c.length) + 4;
    }
    return sequence.finish(error);
}
