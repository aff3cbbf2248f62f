#pragma once

#include "core/PNGChunks.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <vector>

// Checks the compressed image data of a PNG file without decoding the pixels: the image
// data chunks, taken together, must be a zlib stream that inflates to the size the header
// implies, its Adler-32 right, and every row (of every interlace pass) must start with one
// of the five filter types. That is what decoding the image checks of the data, and like
// decoding it ignores data beyond the image (bytes after the stream, or a stream that
// inflates to more; its Adler-32 is then not reached). The inflated bytes are dropped.
struct ImageDataCheck
{
    uint32_t width = 0;
    uint32_t height = 0;
    int bitDepth = 0;
    int colourType = 0;
    int interlace = 0;

    // The inflated size: for each (interlace pass and) row, a filter byte and the row's
    // bytes. 0 when the header is not valid.
    quint64 inflatedSize() const;

    // Called with the inflated size before that much memory is taken (a batch waits here
    // until its memory budget has room).
    std::function<void(quint64 bytes)> reserveMemory;

    // False with the reason when the data are damaged. May throw std::bad_alloc.
    bool check(const QByteArray &file, const std::vector<PngChunk> &chunks, QString *error) const;
};
