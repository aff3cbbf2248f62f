#include "core/TextChunks.h"
#include "core/Strings.h"

#include <zlib.h>

#include <cstring>
#include <new>

namespace {

constexpr qsizetype kCompressFromBytes = 1000;

bool isAscii(const QString &s)
{
    for (QChar c : s) {
        if (c.unicode() > 0x7f)
            return false;
    }
    return true;
}

bool isLatin1(const QString &s)
{
    for (QChar c : s) {
        if (c.unicode() > 0xff)
            return false;
    }
    return true;
}

QByteArray deflated(const QByteArray &raw)
{
    uLongf size = compressBound(uLong(raw.size()));
    QByteArray out(qsizetype(size), Qt::Uninitialized);
    if (compress2(reinterpret_cast<Bytef *>(out.data()), &size, reinterpret_cast<const Bytef *>(raw.constData()),
            uLong(raw.size()), Z_DEFAULT_COMPRESSION)
        != Z_OK)
        throw std::bad_alloc(); // the only way compress2 fails with a large enough buffer
    out.resize(qsizetype(size));
    return out;
}

// Inflates at most limit bytes.
TextChunkStatus inflateText(const char *data, qsizetype length, qsizetype limit, QByteArray &out)
{
    z_stream stream {};
    if (inflateInit(&stream) != Z_OK)
        return TextChunkStatus::Malformed;
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data));
    stream.avail_in = uInt(length);
    out.clear();
    char buffer[16384];
    int status = Z_OK;
    do {
        stream.next_out = reinterpret_cast<Bytef *>(buffer);
        stream.avail_out = sizeof buffer;
        status = inflate(&stream, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END)
            break;
        out.append(buffer, qsizetype(sizeof buffer - stream.avail_out));
        if (out.size() > limit) {
            inflateEnd(&stream);
            return TextChunkStatus::TooLarge;
        }
    } while (status != Z_STREAM_END && (stream.avail_in > 0 || stream.avail_out == 0));
    inflateEnd(&stream);
    return status == Z_STREAM_END ? TextChunkStatus::Ok : TextChunkStatus::Malformed;
}

QString quoted(const QString &s)
{
    return QStringLiteral("“%1”").arg(s);
}

} // namespace

QByteArray pngKeywordBytes(const QString &keyword)
{
    if (!isLatin1(keyword))
        return QByteArray();
    const QByteArray raw = keyword.toLatin1();
    QByteArray out;
    out.reserve(raw.size());
    for (char ch : raw) {
        const auto b = static_cast<unsigned char>(ch);
        const bool printable = (b >= 0x21 && b <= 0x7e) || b >= 0xa1;
        if (!printable) {
            // Non-printable bytes become spaces; leading spaces and runs of spaces go.
            if (!out.isEmpty() && !out.endsWith(' '))
                out.append(' ');
            continue;
        }
        out.append(ch);
    }
    // One byte per character: the cut never splits one.
    if (out.size() > PNGComment::MaxKeywordLength)
        out.truncate(PNGComment::MaxKeywordLength);
    while (out.endsWith(' '))
        out.chop(1);
    return out;
}

QString whyUnwritable(const PNGComment &comment)
{
    if (!comment.isValid() || comment.isAsRead())
        return QString();
    const QString keyword = comment.keyword();
    if (!isLatin1(keyword))
        return reasonText(QT_TRANSLATE_NOOP("Reason",
                              "the keyword %1 has characters that a PNG keyword cannot hold (only Latin-1 letters)"))
            .arg(quoted(keyword));
    if (pngKeywordBytes(keyword).isEmpty())
        return reasonText(QT_TRANSLATE_NOOP("Reason", "the keyword %1 has no printable character"))
            .arg(quoted(keyword));
    if (comment.text().contains(QChar(0)))
        return reasonText(
            QT_TRANSLATE_NOOP("Reason", "the text of %1 holds a NUL character, which PNG text cannot hold"))
            .arg(quoted(keyword));
    return QString();
}

TextChunkKind textChunkKindFor(const PNGComment &comment, bool compressLongTexts)
{
    const QString text = comment.exportText();
    const bool ascii = isAscii(text);
    const qsizetype size = ascii ? text.size() : text.toUtf8().size();
    const bool compress = compressLongTexts && size >= kCompressFromBytes;
    if (ascii && !comment.isInternational())
        return compress ? TextChunkKind::zTXt : TextChunkKind::tEXt;
    return compress ? TextChunkKind::iTXtCompressed : TextChunkKind::iTXt;
}

EncodedTextChunk encodeTextChunk(const PNGComment &comment, bool compressLongTexts)
{
    const QByteArray key = pngKeywordBytes(comment.keyword());
    const QString text = comment.exportText();
    switch (textChunkKindFor(comment, compressLongTexts)) {
    case TextChunkKind::tEXt:
        return { "tEXt", key + '\0' + text.toLatin1() };
    case TextChunkKind::zTXt:
        return { "zTXt", key + '\0' + '\0' + deflated(text.toLatin1()) };
    case TextChunkKind::iTXt:
    case TextChunkKind::iTXtCompressed:
        break;
    }
    const bool compressed = textChunkKindFor(comment, compressLongTexts) == TextChunkKind::iTXtCompressed;
    QByteArray data = key;
    data += '\0';
    data += char(compressed ? 1 : 0);
    data += '\0'; // compression method: deflate
    data += comment.language().toLatin1();
    data += '\0';
    data += comment.translatedKeyword().toUtf8();
    data += '\0';
    data += compressed ? deflated(text.toUtf8()) : text.toUtf8();
    return { "iTXt", data };
}

TextChunkStatus decodeTextChunk(
    const QByteArray &type, const char *data, qsizetype length, qsizetype limit, DecodedTextChunk *out)
{
    const char *end = data + length;
    const char *keyEnd = static_cast<const char *>(std::memchr(data, 0, size_t(length)));
    if (type == "tEXt" && !keyEnd)
        keyEnd = end; // a keyword with no text at all
    if (!keyEnd || keyEnd == data)
        return TextChunkStatus::Malformed;
    DecodedTextChunk result;
    result.keyword = QByteArray(data, keyEnd - data);
    const char *p = keyEnd + (keyEnd < end ? 1 : 0);
    if (type == "tEXt") {
        result.text = QByteArray(p, end - p);
    } else if (type == "zTXt") {
        if (end - p < 1 || *p != 0)
            return TextChunkStatus::Malformed;
        result.compressed = true;
        const TextChunkStatus status = inflateText(p + 1, end - p - 1, limit, result.text);
        if (status != TextChunkStatus::Ok)
            return status;
    } else if (type == "iTXt") {
        if (end - p < 2)
            return TextChunkStatus::Malformed;
        result.compressed = p[0] != 0;
        if (result.compressed && p[1] != 0)
            return TextChunkStatus::Malformed;
        p += 2;
        const char *langEnd = static_cast<const char *>(std::memchr(p, 0, size_t(end - p)));
        if (!langEnd)
            return TextChunkStatus::Malformed;
        result.language = QString::fromLatin1(p, langEnd - p);
        p = langEnd + 1;
        const char *transEnd = static_cast<const char *>(std::memchr(p, 0, size_t(end - p)));
        if (!transEnd)
            return TextChunkStatus::Malformed;
        result.translatedKeyword = QString::fromUtf8(p, transEnd - p);
        p = transEnd + 1;
        if (result.compressed) {
            const TextChunkStatus status = inflateText(p, end - p, limit, result.text);
            if (status != TextChunkStatus::Ok)
                return status;
        } else {
            result.text = QByteArray(p, end - p);
        }
        result.international = true;
    } else {
        return TextChunkStatus::Malformed;
    }
    *out = std::move(result);
    return TextChunkStatus::Ok;
}
