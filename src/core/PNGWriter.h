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
// The file is written to a temporary file in the same folder and renamed over path only
// when everything succeeded, keeping the original's permissions; on any failure path is
// untouched, false is returned and *error holds the reason. A file without write
// permission for its owner is refused.
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
