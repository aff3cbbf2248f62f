#pragma once

#include "core/PNGComment.h"
#include "core/PNGRows.h"
#include "core/PNGinfo.h"

#include <QString>

struct PNGWriteOptions
{
    enum class TextCompression {
        BySize, // compressed from 1000 bytes of text
        Never, // always uncompressed
    };
    TextCompression textCompression = TextCompression::BySize;
    // Re-encode the image from the rows even when the original compressed data could
    // be written back unchanged.
    bool recompress = false;
};

// Writes a complete PNG to path: the record's chunks, one text chunk per valid comment
// (comments without keyword are skipped), the image data, the carried-over chunks.
//
// The file is written through AtomicFileWriter (see SafeFile.h): a temporary file beside the
// file path leads to, renamed over it only when everything succeeded, then flushed together
// with its folder. On any failure path is untouched, no temporary file remains, false is
// returned and *error holds the reason; no exception leaves it (running out of memory is a
// failure too). Refused before anything is created: a record without image, one whose sizes
// disagree (row size and header, rows and header, a histogram that does not match the
// palette, more alpha values than palette entries), and a file or folder without write
// permission for its owner. Sizes are always taken from the record's containers.
bool savePNG(const QString &path, const PNGinfo &info, const PNGRows &rows, const CommentList &comments,
    const PNGWriteOptions &options = {}, QString *error = nullptr);

// The keyword bytes as the PNG standard allows them: Latin-1 when every character has a
// Latin-1 form, otherwise UTF-8; characters outside printable Latin-1 become spaces,
// leading and trailing spaces go, runs of spaces become one, at most 79 bytes.
// Empty when nothing printable remains.
QByteArray pngKeywordBytes(const QString &keyword);

// The kinds of text chunk a comment is written as.
enum class TextChunkKind { tEXt, zTXt, iTXt, iTXtCompressed };
TextChunkKind textChunkKindFor(const PNGComment &comment, PNGWriteOptions::TextCompression compression);
