#pragma once

#include "core/PNGComment.h"
#include "core/PNGRows.h"
#include "core/PNGinfo.h"
#include "core/TextChunks.h"

#include <QList>
#include <QPair>
#include <QString>

class ByteSink;

struct PNGWriteOptions
{
    enum class TextCompression {
        BySize, // compressed from 1000 bytes of text
        Never, // always uncompressed
    };
    TextCompression textCompression = TextCompression::BySize;
    // Re-encode the image from the rows (which must have been decoded) even when the
    // original compressed data could be written back unchanged.
    bool recompress = false;
    // Chunks to leave out, each named by its type and payload: a chunk of the file written
    // that equals one of them in both is not written. Critical chunks are always written;
    // text chunks read as entries go or stay with the comments.
    QList<QPair<QByteArray, QByteArray>> leftOutChunks;
};

// Writes a complete PNG to path.
//
// When the rows carry the file they were read from (PNGRows::source()) and the record is
// still the one read from it, that file is spliced: every chunk is written back byte for
// byte and in its place, except the text chunks, which the comments replace. A comment that
// still holds the values it was read with is written as the chunk it came from, where that
// chunk stood when the order of the list allows it; new and changed comments are encoded
// anew (TextChunks.h) and stand in the text block, where the first text chunk before the
// image data stood, or else just before the image data. Comments kept after the image
// data are the end of the list that was read from there and is unchanged. Text chunks that
// could not be read are kept where they stood; ancillary chunks with a wrong CRC are left
// out, as are those named in leftOutChunks. With recompress (or rows changed since they were read) the image data is
// encoded again by the PNG library, and chunks the PNG standard marks unsafe to copy that are not registered are left
// out.
//
// Otherwise (a changed record, or one not read from a file) the PNG library writes the file
// from the record, and the text chunks stand just before the image data; the image data read
// is kept only while the record's header still describes it (size, sample format, interlace),
// else the rows are encoded anew.
//
// Comments without keyword are skipped. A comment that cannot be written (whyUnwritable())
// makes the whole save fail, naming it.
//
// The file is written through AtomicFileWriter (see SafeFile.h): a temporary file beside the
// file path leads to, renamed over it only when everything succeeded, then flushed together
// with its folder. On any failure path is untouched, no temporary file remains, false is
// returned and *error holds the reason; no exception leaves it (running out of memory is a
// failure too). Refused before anything is created: a record without image, one whose sizes
// disagree (row size and header, rows and header, a histogram that does not match the
// palette, more alpha values than palette entries), re-encoding without decoded rows, a
// comment that cannot be written, and a file or folder without write permission for its
// owner. Sizes are always taken from the record's containers.
bool savePNG(const QString &path, const PNGinfo &info, const PNGRows &rows, const CommentList &comments,
    const PNGWriteOptions &options = {}, QString *error = nullptr);

// What savePNG() writes, into a sink: a file the caller opened (AtomicFileWriter::open()) and
// commits itself, alone or with others (AtomicFileGroup), or memory (MemorySink). On failure
// (false, *error set) the sink is cancelled. May throw std::bad_alloc.
bool writePNG(ByteSink &file, const PNGinfo &info, const PNGRows &rows, const CommentList &comments,
    const PNGWriteOptions &options, QString *error);

// What savePNG() writes, into memory instead of a file (writePNG() into a MemorySink): *out
// holds the whole new file. The same refusals; false with *error set, *out then untouched.
bool encodePNG(QByteArray *out, const PNGinfo &info, const PNGRows &rows, const CommentList &comments,
    const PNGWriteOptions &options = {}, QString *error = nullptr);
