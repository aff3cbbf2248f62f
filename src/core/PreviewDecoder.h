#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

class SourceFile;

// A small picture of a PNG for the screen: premultiplied RGBA, 8 bits a channel, rows
// packed (4 × width bytes each). Empty when nothing was decoded.
struct PreviewImage
{
    int width = 0;
    int height = 0;
    std::vector<uint8_t> pixels;

    bool isEmpty() const { return width == 0 || height == 0; }
};

// Decodes a PNG file row by row, straight into a preview no larger than a given box: every
// source pixel is averaged into the preview pixel it falls on, so the full-size image is
// never held in memory (only one row of it, and for interlaced files the preview's sums).
// The decode is also the check that the image data is sound: a damaged image data stream
// (CRC, zlib stream, too little or too much data) fails with the reason.
class PreviewDecoder
{
public:
    struct Options
    {
        // The box the preview fits into, aspect ratio kept; never larger than the image.
        int maxWidth = 1920;
        int maxHeight = 1920;
        // Images whose width or height exceed this are refused before anything is allocated.
        uint32_t maxDimension = 1000000;
    };

    // Called after every decoded row: rows done so far (over all interlace passes) and
    // the total. From the decoding thread.
    using Progress = std::function<void(quint64 done, quint64 total)>;

    // The preview's size for an image of that size fitted into the box (at least 1 × 1).
    static void fittedSize(uint32_t width, uint32_t height, int maxWidth, int maxHeight, int *outWidth, int *outHeight);

    // Reads the file at path (regular files only, streamed, not read whole) and decodes it.
    // Stops between rows as soon as *cancel is set. On failure (also on a cancel) returns
    // false, leaves *preview empty and sets *error ("cancelled" for a cancel). *damaged
    // tells whether the failure lies in the image data itself (its stream, its CRCs, too
    // little of it), rather than in opening the file, its header, the preview's memory or a
    // cancel.
    static bool decodeFile(const QString &path, const Options &options, PreviewImage *preview,
        const std::atomic<bool> *cancel = nullptr, const Progress &progress = {}, QString *error = nullptr,
        bool *damaged = nullptr);
    // The same for a file as it was read (SourceFile): one changed since fails, not damaged.
    static bool decodeSource(const SourceFile &source, const Options &options, PreviewImage *preview,
        const std::atomic<bool> *cancel = nullptr, const Progress &progress = {}, QString *error = nullptr,
        bool *damaged = nullptr);
    // The same for a PNG file held in memory.
    static bool decodeBytes(const QByteArray &bytes, const Options &options, PreviewImage *preview,
        const std::atomic<bool> *cancel = nullptr, const Progress &progress = {}, QString *error = nullptr,
        bool *damaged = nullptr);
};
