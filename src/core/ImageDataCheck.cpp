#include "core/ImageDataCheck.h"

#include <libdeflate.h>
#include <zlib.h>

#include <algorithm>

#include <array>
#include <memory>
#include <new>

namespace {

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

// The inflater and its output window, made once per thread and reused by every check on it
// (a second check at the same time on one thread gets one of its own).
constexpr size_t kWindow = 512 << 10;

struct Inflater
{
    z_stream stream {};
    std::vector<uint8_t> window;
    bool ready = false;
    bool inUse = false;
    Inflater() = default;
    Inflater(const Inflater &) = delete;
    Inflater &operator=(const Inflater &) = delete;
    ~Inflater()
    {
        if (ready)
            inflateEnd(&stream);
    }
    void start()
    {
        if (!ready) {
            if (inflateInit2(&stream, -15) != Z_OK)
                throw std::bad_alloc();
            ready = true;
            window.resize(kWindow);
        } else if (inflateReset(&stream) != Z_OK) {
            throw std::bad_alloc();
        }
        // What a check left unread is not this one's.
        stream.next_in = nullptr;
        stream.avail_in = 0;
    }
};

} // namespace

struct ImageDataCheck::Stream
{
    Inflater *inflater = nullptr;
    std::unique_ptr<Inflater> own;
    Stream()
    {
        thread_local Inflater perThread;
        if (perThread.inUse) {
            own = std::make_unique<Inflater>();
            inflater = own.get();
        } else {
            inflater = &perThread;
        }
        inflater->start();
        inflater->inUse = true;
    }
    ~Stream() { inflater->inUse = false; }
    Stream(const Stream &) = delete;
    Stream &operator=(const Stream &) = delete;
};

ImageDataCheck::ImageDataCheck(uint32_t width, uint32_t height, int bitDepth, int colourType, int interlace)
{
    const int bits = channels(colourType) * bitDepth;
    if (bits == 0 || width == 0 || height == 0 || (interlace != 0 && interlace != 1))
        return;
    if (interlace == 0) {
        m_runs.push_back({ height, rowBytes(width, bits) });
    } else {
        for (const Pass &p : kAdam7) {
            const quint64 w = width > p.x0 ? (quint64(width) - p.x0 + p.dx - 1) / p.dx : 0;
            const quint64 rows = height > p.y0 ? (quint64(height) - p.y0 + p.dy - 1) / p.dy : 0;
            // A pass without pixels has no rows in the stream, not even filter bytes.
            if (w > 0 && rows > 0)
                m_runs.push_back({ rows, rowBytes(w, bits) });
        }
    }
    for (const RowRun &run : m_runs)
        m_expected += run.count * (run.bytes + 1);
    m_rowsLeft = m_runs.empty() ? 0 : m_runs.front().count;
}

ImageDataCheck::~ImageDataCheck() = default;

bool ImageDataCheck::fail(QString *error, const QString &reason)
{
    m_failed = true;
    m_stream.reset();
    if (error)
        *error = reason;
    return false;
}

// Walks the filter bytes of freshly inflated bytes.
bool ImageDataCheck::inspect(const uint8_t *data, size_t length, QString *error)
{
    while (length > 0 && m_run < m_runs.size()) {
        if (m_toFilter >= length) {
            m_toFilter -= length;
            return true;
        }
        data += m_toFilter;
        length -= size_t(m_toFilter);
        if (*data > 4)
            return fail(error, QStringLiteral("a row of the image data has an unknown filter type (%1)").arg(*data));
        m_toFilter = m_runs[m_run].bytes + 1;
        if (--m_rowsLeft == 0 && ++m_run < m_runs.size())
            m_rowsLeft = m_runs[m_run].count;
    }
    return true;
}

bool ImageDataCheck::feed(const char *data, size_t length, QString *error)
{
    if (m_failed)
        return false;
    if (m_runs.empty())
        return fail(error, QStringLiteral("the image header is not valid"));
    // The zlib header, read here: zlib inflates the raw stream, and the checksum is libdeflate's
    // (several times faster than zlib's).
    while (m_headerBytes < 2 && length > 0) {
        m_header[m_headerBytes++] = uint8_t(*data++);
        --length;
        const uint8_t method = m_header[0], flags = m_header[1];
        if (m_headerBytes == 2
            && ((method & 0x0f) != 8 || (method >> 4) > 7 || ((method << 8) | flags) % 31 != 0 || (flags & 0x20)))
            return fail(error, QStringLiteral("the image data is damaged (it does not decompress)"));
    }
    if (m_beyond)
        return true; // data beyond the image are not looked at
    if (m_deflateEnded)
        return readTrailer(data, length, error);
    if (length == 0)
        return true;
    if (!m_stream)
        m_stream = std::make_unique<Stream>();
    z_stream &zs = m_stream->inflater->stream;
    std::vector<uint8_t> &window = m_stream->inflater->window;
    constexpr size_t kSlice = 1u << 30; // zlib counts in uInt
    // Until the input is used up and the window was not filled (nothing more is pending).
    bool full = false;
    while (length > 0 || zs.avail_in > 0 || full) {
        if (zs.avail_in == 0 && length > 0) {
            zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data));
            zs.avail_in = uInt(std::min(length, kSlice));
            data += zs.avail_in;
            length -= zs.avail_in;
        }
        zs.next_out = window.data();
        zs.avail_out = uInt(window.size());
        const int status = inflate(&zs, Z_NO_FLUSH);
        const size_t produced = window.size() - zs.avail_out;
        full = zs.avail_out == 0;
        if (status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR)
            return fail(error, QStringLiteral("the image data is damaged (it does not decompress)"));
        // Only the bytes the image takes are looked at; one more says the stream holds more.
        const quint64 wanted = m_expected - m_produced;
        const size_t taken = size_t(std::min<quint64>(produced, wanted));
        if (!inspect(window.data(), taken, error))
            return false;
        m_adler = libdeflate_adler32(m_adler, window.data(), taken);
        m_produced += taken;
        if (produced > wanted) {
            m_beyond = true;
            m_stream.reset();
            return true;
        }
        if (status == Z_STREAM_END) {
            // The checksum follows: what is left of this piece, or the next.
            m_deflateEnded = true;
            const char *rest = reinterpret_cast<const char *>(zs.next_in);
            const size_t restLength = zs.avail_in;
            m_stream.reset();
            return readTrailer(rest, restLength, error) && readTrailer(data, length, error);
        }
        if (status == Z_BUF_ERROR && produced == 0)
            break; // it needs more input
    }
    return true;
}

bool ImageDataCheck::readTrailer(const char *data, size_t length, QString *error)
{
    while (m_trailerBytes < 4 && length > 0) {
        m_trailer = (m_trailer << 8) | uint8_t(*data++);
        --length;
        if (++m_trailerBytes == 4 && m_trailer != m_adler)
            return fail(error, QStringLiteral("the image data is damaged (it does not decompress)"));
    }
    return true; // bytes after the stream are ignored
}

bool ImageDataCheck::finish(QString *error)
{
    if (m_failed)
        return false;
    if (m_runs.empty())
        return fail(error, QStringLiteral("the image header is not valid"));
    const bool ended = m_deflateEnded && m_trailerBytes == 4;
    if (m_produced < m_expected) {
        if (ended)
            return fail(error, QStringLiteral("the image data ends too early (not enough image data)"));
        return fail(error, QStringLiteral("the image data is damaged (it does not decompress)"));
    }
    // Every byte of the image, but the stream neither ended (its checksum) nor went on.
    if (!ended && !m_beyond)
        return fail(error, QStringLiteral("the image data is damaged (it does not decompress)"));
    m_stream.reset();
    return true;
}

namespace {

// Images that inflate to at most this many bytes are checked in one go by libdeflate (twice as
// fast as zlib's inflate with its checksum) into a buffer each thread keeps.
constexpr quint64 kWholeInflate = 8 << 20;

struct FreeDecompressor
{
    void operator()(libdeflate_decompressor *d) const { libdeflate_free_decompressor(d); }
};

} // namespace

bool ImageDataCheck::check(const QByteArray &file, const std::vector<PngChunk> &chunks, QString *error)
{
    if (m_runs.empty() || m_expected >= kWholeInflate) {
        for (const PngChunk &c : chunks) {
            if (c.type == "IDAT" && !feed(file.constData() + c.offset, c.length, error))
                return false;
        }
        return finish(error);
    }
    thread_local std::unique_ptr<libdeflate_decompressor, FreeDecompressor> decompressor(
        libdeflate_alloc_decompressor());
    thread_local std::vector<uint8_t> out;
    thread_local QByteArray joined;
    if (!decompressor)
        throw std::bad_alloc();
    // The stream spans the image data chunks; one chunk needs no copy.
    const char *stream = nullptr;
    size_t streamSize = 0, count = 0;
    for (const PngChunk &c : chunks) {
        if (c.type != "IDAT")
            continue;
        ++count;
        stream = file.constData() + c.offset;
        streamSize += c.length;
    }
    if (count > 1) {
        joined.resize(0);
        for (const PngChunk &c : chunks) {
            if (c.type == "IDAT")
                joined.append(file.constData() + c.offset, c.length);
        }
        stream = joined.constData();
    }
    // One byte more than the image tells a stream that holds more.
    out.resize(size_t(m_expected) + 1);
    size_t produced = 0;
    switch (libdeflate_zlib_decompress_ex(
        decompressor.get(), stream, streamSize, out.data(), out.size(), nullptr, &produced)) {
    case LIBDEFLATE_SUCCESS:
        // Bytes after the end of the stream are ignored (decoders warn and show the image).
        if (produced < m_expected)
            return fail(error, QStringLiteral("the image data ends too early (not enough image data)"));
        return inspect(out.data(), size_t(m_expected), error);
    case LIBDEFLATE_INSUFFICIENT_SPACE:
        // More than the image: only the part the image takes is checked, as a decoder does.
        return feed(stream, streamSize, error) && finish(error);
    default:
        return fail(error, QStringLiteral("the image data is damaged (it does not decompress)"));
    }
}
