#include "core/ImageDataCheck.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>

#include <array>
#include <memory>

namespace {

bool fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

int channels(int colourType)
{
    switch (colourType) {
    case 0:
    case 3:
        return 1;
    case 2:
        return 3;
    case 4:
        return 2;
    case 6:
        return 4;
    default:
        return 0;
    }
}

quint64 rowBytes(quint64 width, int bitsPerPixel)
{
    return (width * quint64(bitsPerPixel) + 7) / 8;
}

// The Adam7 passes: first column and row, column and row steps.
struct Pass
{
    uint32_t x0, y0, dx, dy;
};
constexpr std::array<Pass, 7> kAdam7 { { { 0, 0, 8, 8 }, { 4, 0, 8, 8 }, { 0, 4, 4, 8 }, { 2, 0, 4, 4 }, { 0, 2, 2, 4 },
    { 1, 0, 2, 2 }, { 0, 1, 1, 2 } } };

// Each row of an image (or interlace pass) as the stream holds it: count rows of bytes
// bytes, each after its filter byte.
struct RowRun
{
    quint64 count = 0;
    quint64 bytes = 0;
};

std::vector<RowRun> rowRuns(const ImageDataCheck &h)
{
    const int bits = channels(h.colourType) * h.bitDepth;
    if (bits == 0 || h.width == 0 || h.height == 0)
        return {};
    if (h.interlace == 0)
        return { { h.height, rowBytes(h.width, bits) } };
    std::vector<RowRun> runs;
    for (const Pass &p : kAdam7) {
        const quint64 w = h.width > p.x0 ? (quint64(h.width) - p.x0 + p.dx - 1) / p.dx : 0;
        const quint64 rows = h.height > p.y0 ? (quint64(h.height) - p.y0 + p.dy - 1) / p.dy : 0;
        // A pass without pixels has no rows in the stream, not even filter bytes.
        if (w > 0 && rows > 0)
            runs.push_back({ rows, rowBytes(w, bits) });
    }
    return runs;
}

struct FreeDecompressor
{
    void operator()(libdeflate_decompressor *d) const { libdeflate_free_decompressor(d); }
};

// One decompressor per thread, made on first use.
libdeflate_decompressor *decompressor()
{
    thread_local std::unique_ptr<libdeflate_decompressor, FreeDecompressor> d(libdeflate_alloc_decompressor());
    return d.get();
}

// Inflates the first size bytes of a zlib stream that holds more; false when they are damaged.
bool inflatePart(const char *data, size_t length, uint8_t *out, quint64 size)
{
    z_stream stream {};
    if (inflateInit(&stream) != Z_OK)
        throw std::bad_alloc();
    constexpr size_t kSlice = 1u << 30; // zlib counts in uInt
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data));
    stream.next_out = out;
    int status = Z_OK;
    while (status == Z_OK && size > 0) {
        if (stream.avail_in == 0 && length > 0) {
            stream.avail_in = uInt(std::min(length, kSlice));
            length -= stream.avail_in;
        }
        stream.avail_out = uInt(std::min<quint64>(size, kSlice));
        const uInt asked = stream.avail_out;
        status = inflate(&stream, Z_NO_FLUSH);
        size -= asked - stream.avail_out;
        if (status == Z_BUF_ERROR && stream.avail_in == 0 && length == 0)
            break;
    }
    inflateEnd(&stream);
    return size == 0 && (status == Z_OK || status == Z_STREAM_END || status == Z_BUF_ERROR);
}

} // namespace

quint64 ImageDataCheck::inflatedSize() const
{
    quint64 total = 0;
    for (const RowRun &run : rowRuns(*this))
        total += run.count * (run.bytes + 1);
    return total;
}

bool ImageDataCheck::check(const QByteArray &file, const std::vector<PngChunk> &chunks, QString *error) const
{
    const std::vector<RowRun> runs = rowRuns(*this);
    if (runs.empty())
        return fail(error, QStringLiteral("the image header is not valid"));
    const quint64 expected = inflatedSize();
    if (expected > quint64(SIZE_MAX) / 2)
        return fail(error, QStringLiteral("the image is too large to check"));

    // The stream spans the image data chunks; one chunk needs no copy.
    QByteArray joined;
    const char *stream = nullptr;
    size_t streamSize = 0;
    size_t count = 0;
    for (const PngChunk &c : chunks) {
        if (c.type != "IDAT")
            continue;
        ++count;
        stream = file.constData() + c.offset;
        streamSize += c.length;
    }
    if (count > 1) {
        joined.reserve(qsizetype(streamSize));
        for (const PngChunk &c : chunks) {
            if (c.type == "IDAT")
                joined.append(file.constData() + c.offset, c.length);
        }
        stream = joined.constData();
    }

    if (reserveMemory)
        reserveMemory(expected);
    // One byte more than expected tells a stream that holds more than the image.
    std::unique_ptr<uint8_t[]> out(new uint8_t[size_t(expected) + 1]);
    libdeflate_decompressor *d = decompressor();
    if (!d)
        throw std::bad_alloc();
    size_t produced = 0;
    switch (libdeflate_zlib_decompress_ex(d, stream, streamSize, out.get(), size_t(expected) + 1, nullptr, &produced)) {
    case LIBDEFLATE_SUCCESS:
        // Bytes after the end of the stream, or inflated bytes beyond the image, are ignored
        // (decoders warn about them and show the image).
        if (produced < expected)
            return fail(error, QStringLiteral("the image data ends too early (not enough image data)"));
        break;
    case LIBDEFLATE_INSUFFICIENT_SPACE:
        // More than the image: only the part the image takes is checked, as a decoder does.
        if (!inflatePart(stream, streamSize, out.get(), expected))
            return fail(error, QStringLiteral("the image data is damaged (it does not decompress)"));
        break;
    default:
        return fail(error, QStringLiteral("the image data is damaged (it does not decompress)"));
    }

    const uint8_t *p = out.get();
    for (const RowRun &run : runs) {
        for (quint64 row = 0; row < run.count; ++row) {
            if (*p > 4)
                return fail(error, QStringLiteral("a row of the image data has an unknown filter type (%1)").arg(*p));
            p += run.bytes + 1;
        }
    }
    return true;
}
