#pragma once

#include "core/PNGChunks.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

// Checks the compressed image data of a PNG file without decoding the pixels: the image
// data chunks, taken together, must be a zlib stream that inflates to the size the header
// implies, its Adler-32 right, and every row (of every interlace pass) must start with one
// of the five filter types. That is what decoding the image checks of the data, and like
// decoding it ignores data beyond the image (bytes after the stream, or a stream that
// inflates to more; its Adler-32 is then not reached).
//
// The stream is inflated as it comes, piece by piece, into a small window that each thread
// reuses: the memory a check takes does not grow with the image, and nothing inflated is kept.
class ImageDataCheck
{
public:
    ImageDataCheck(uint32_t width, uint32_t height, int bitDepth, int colourType, int interlace);
    ~ImageDataCheck();
    ImageDataCheck(const ImageDataCheck &) = delete;
    ImageDataCheck &operator=(const ImageDataCheck &) = delete;

    // The inflated size: for each (interlace pass and) row, a filter byte and the row's
    // bytes. 0 when the header is not valid.
    quint64 inflatedSize() const { return m_expected; }

    // The next piece of the stream (the image data chunks' payloads, in order). False with
    // the reason as soon as the data are known to be damaged; then the check is over.
    bool feed(const char *data, size_t length, QString *error);
    // After the last piece: false with the reason when the data are damaged or too short.
    bool finish(QString *error);

    // The whole check over the image data chunks of a file held in memory.
    bool check(const QByteArray &file, const std::vector<PngChunk> &chunks, QString *error);

private:
    struct RowRun
    {
        quint64 count = 0;
        quint64 bytes = 0;
    };
    bool inspect(const uint8_t *data, size_t length, QString *error);
    bool fail(QString *error, const QString &reason);

    std::vector<RowRun> m_runs;
    quint64 m_expected = 0;
    quint64 m_produced = 0;
    // Where the next filter byte stands: the run, the rows left in it, bytes until it.
    size_t m_run = 0;
    quint64 m_rowsLeft = 0;
    quint64 m_toFilter = 0;
    // The zlib header, read before the stream goes to the library.
    uint8_t m_header[2] = {};
    int m_headerBytes = 0;
    bool m_ended = false; // the stream ended, its checksum right
    bool m_beyond = false; // the stream holds more than the image: the rest is not looked at
    bool m_failed = false;
    struct Stream;
    std::unique_ptr<Stream> m_stream;
};
