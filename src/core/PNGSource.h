#pragma once

#include "core/PNGChunks.h"
#include "core/PNGComment.h"
#include "core/PNGinfo.h"
#include "core/SourceFile.h"

#include <QByteArray>

#include <memory>
#include <vector>

// A PNG file as it was read: its bytes (SourceFile: a large file's image data stay in the
// file, read again when needed), its chunk layout, the record the reader made of it
// and the origins of the comments read from its text chunks. A save splices the current
// text entries into this file instead of writing every chunk anew, so that whatever the
// edit did not touch is written back byte for byte, in its place.
struct PNGSource
{
    std::shared_ptr<const SourceFile> file;
    std::vector<PngChunk> chunks;
    // For each chunk, the origin of the comment read from it; null for every other chunk
    // (a text chunk that could not be read is kept like any other chunk).
    std::vector<std::shared_ptr<const TextChunkOrigin>> origins;
    // The record as read. A record that differs from it (the path aside) is written whole
    // from the record instead.
    PNGinfo info;

    // A chunk's payload where it is held in memory (every chunk but a large file's image
    // data), else null.
    const char *payload(const PngChunk &c) const { return file->held(c.offset, c.length); }
    // The whole chunk: length, type, payload and CRC.
    qint64 chunkStart(const PngChunk &c) const { return c.offset - 8; }
    qint64 chunkSize(const PngChunk &c) const { return qint64(c.length) + 12; }
    bool isComment(size_t index) const { return origins[index] != nullptr; }
    // Whether record has the values this file was read with.
    bool describes(const PNGinfo &record) const;
};
