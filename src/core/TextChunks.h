#pragma once

#include "core/PNGComment.h"

#include <QByteArray>
#include <QString>

// How a text entry becomes a PNG text chunk, and what keeps an entry from becoming one.
// The one place these rules live: the writer, the document, the comment table and
// velmora-cli all ask here.

// Why the comment cannot be written to a PNG file, naming it, or a null string when it can.
// A comment without keyword has no reason here: it is never written (savePNG skips it). A
// comment that still holds the values it was read with can always be written: its chunk
// is written back as it stood. Any other comment needs a keyword that Latin-1 can hold, with
// at least one printable character, and a text without NUL characters (PNG keywords are
// Latin-1; PNG text cannot hold NUL).
QString whyUnwritable(const PNGComment &comment);

// The keyword bytes as the PNG standard allows them: Latin-1; characters outside printable
// Latin-1 become spaces, leading and trailing spaces go, runs of spaces become one, at most
// 79 characters are kept. Empty when nothing printable remains or when a character has no
// Latin-1 form.
QByteArray pngKeywordBytes(const QString &keyword);

// The kinds of text chunk a new or changed entry is written as: ASCII text as tEXt (zTXt
// from 1000 bytes when long texts are compressed), any other text, and every entry read
// from an iTXt chunk, as UTF-8 iTXt (compressed from 1000 bytes).
enum class TextChunkKind { tEXt, zTXt, iTXt, iTXtCompressed };
TextChunkKind textChunkKindFor(const PNGComment &comment, bool compressLongTexts);

// One text chunk: its type and payload.
struct EncodedTextChunk
{
    QByteArray type;
    QByteArray data;
};
// The chunk a writable comment (whyUnwritable() is null) is written as when it is new or
// changed. May throw std::bad_alloc.
EncodedTextChunk encodeTextChunk(const PNGComment &comment, bool compressLongTexts);

// What a text chunk (tEXt, zTXt or iTXt) holds, as the PNG standard lays it out: the keyword
// and the text as bytes (inflated when compressed), and for iTXt its details.
struct DecodedTextChunk
{
    QByteArray keyword;
    QByteArray text;
    bool compressed = false;
    bool international = false; // an iTXt chunk
    QString language;
    QString translatedKeyword;
};
enum class TextChunkStatus { Ok, Malformed, TooLarge };
// Decodes the payload of a text chunk of that type. Malformed: no keyword, a missing
// separator, an unknown compression method, a damaged or cut-off deflate stream; TooLarge: a
// compressed text that inflates to more than limit bytes. *out is complete only with Ok.
TextChunkStatus decodeTextChunk(
    const QByteArray &type, const char *data, qsizetype length, qsizetype limit, DecodedTextChunk *out);
