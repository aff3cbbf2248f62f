#pragma once

#include "core/PNGComment.h"
#include "core/PNGRows.h"
#include "core/PNGinfo.h"

#include <QString>

#include <functional>

struct PNGReadOptions
{
    // Decode every row (checks the image data and fills the rows). Without it only the
    // chunk structure, every CRC and the header are checked; the compressed image data
    // is kept so the file can still be written back.
    bool decodeImage = true;
    // Without decoding: still check the image data (ImageDataCheck: it inflates, its
    // checksum, size and row filters are right), without keeping any rows.
    bool checkImageData = false;
    // Images whose decoded rows would need more bytes than this are refused.
    quint64 memoryLimit = quint64(4) << 30;
    // Files larger than this are refused before they are read.
    qint64 maxFileSize = qint64(2) << 30;
    // Without decoding, a file of at least this many bytes is read chunk by chunk: its image
    // data pass through the CRC (and the check) in pieces and stay in the file, which stays
    // open (SourceFile), so the memory a read takes does not grow with the image.
    qint64 holdWholeBelow = qint64(8) << 20;
    // Called with the number of bytes the decoded rows will take, after the header was read
    // and before they are allocated (a check of the image data takes little memory of its own). A batch run waits here
    // until its memory budget has room for them.
    std::function<void(quint64 bytes)> reserveRowMemory;
};

// Reads info.path into the record, the rows and a list of comments (one per text chunk,
// in file order: tEXt, zTXt and iTXt, before and after the image data). Each comment
// carries its origin; the rows carry the file as read (PNGRows::source()).
//
// On success the record, rows and comments are replaced. On failure (also when memory runs
// out: no exception leaves it) it returns false, sets *error to the reason, leaves the record
// zero apart from path, the rows empty, and the comment list untouched.
bool loadPNG(
    PNGinfo &info, PNGRows &rows, CommentList &comments, const PNGReadOptions &options = {}, QString *error = nullptr);

// The same from the bytes of a PNG file held in memory (standard input, a buffer handed to the
// library); info.path is left as it is and only names the image (macros such as %FILENAME%).
bool loadPNGBytes(const QByteArray &bytes, PNGinfo &info, PNGRows &rows, CommentList &comments,
    const PNGReadOptions &options = {}, QString *error = nullptr);

// The text entries a file loadPNG() refuses still holds before its damage: those of the
// text chunks that can be walked to (each whole, its CRC right), in file order. Empty when
// there are none, or the bytes are no PNG file at all.
CommentList textBeforeDamage(const QByteArray &bytes);

// Decodes the pixels of rows read without them (PNGReadOptions::decodeImage false) from the
// file they were read from (rows.source()), into decoded, which then carries that file too:
// a save can re-encode them. False with the reason (damaged image data, not enough memory,
// rows not read from a file), decoded then empty; rows is never changed.
bool decodeImageRows(const PNGRows &rows, PNGRows &decoded, QString *error = nullptr);

// Decodes text bytes from a PNG text chunk: UTF-8 when the bytes are valid UTF-8,
// otherwise Latin-1 (what the PNG standard prescribes for tEXt and zTXt).
QString decodePngText(const QByteArray &bytes);
