#include "core/ImageDataCheck.h"
#include "core/Strings.h"

#include <isa-l/igzip_lib.h>

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
// (a second check at the same time on one thread gets one of its own). ISA-L's inflate keeps
// the history itself, so the window is overwritten by every call; it runs at twice the speed
// of zlib's.
constexpr size_t kWindow = 512 << 10;

struct Inflater
{
    inflate_state state {};
    std::vector<uint8_t> window;
    bool inUse = false;
    void start()
    {
        window.resize(kWindow);
        isal_inflate_init(&state);
        // The zlib header is read apart; the checksum after the stream is checked here.
        state.crc_flag = ISAL_ZLIB_NO_HDR_VER;
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
            return fail(error,
                reasonText(QT_TRANSLATE_NOOP("Reason", "a row of the image data has an unknown filter type (%1)"))
                    .arg(*data));
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
        return fail(error, reasonText(QT_TRANSLATE_NOOP("Reason", "the image header is not valid")));
    // The zlib header, read here (the library takes the stream after it).
    while (m_headerBytes < 2 && length > 0) {
        m_header[m_headerBytes++] = uint8_t(*data++);
        --length;
        const uint8_t method = m_header[0], flags = m_header[1];
        if (m_headerBytes == 2
            && ((method & 0x0f) != 8 || (method >> 4) > 7 || ((method << 8) | flags) % 31 != 0 || (flags & 0x20)))
            return fail(
                error, reasonText(QT_TRANSLATE_NOOP("Reason", "the image data is damaged (it does not decompress)")));
    }
    if (m_beyond || m_ended)
        return true; // data beyond the image or after the stream are not looked at
    if (length == 0)
        return true;
    if (!m_stream)
        m_stream = std::make_unique<Stream>();
    inflate_state &zs = m_stream->inflater->state;
    std::vector<uint8_t> &window = m_stream->inflater->window;
    constexpr size_t kSlice = 1u << 30; // counted in 32 bits
    // Until the input is used up and the window was not filled (nothing more is pending).
    bool full = false;
    while (length > 0 || zs.avail_in > 0 || full) {
        if (zs.avail_in == 0 && length > 0) {
            zs.next_in = reinterpret_cast<uint8_t *>(const_cast<char *>(data));
            zs.avail_in = uint32_t(std::min(length, kSlice));
            data += zs.avail_in;
            length -= zs.avail_in;
        }
        zs.next_out = window.data();
        zs.avail_out = uint32_t(window.size());
        const int status = isal_inflate(&zs);
        const size_t produced = window.size() - zs.avail_out;
        full = zs.avail_out == 0;
        if (status != ISAL_DECOMP_OK)
            return fail(
                error, reasonText(QT_TRANSLATE_NOOP("Reason", "the image data is damaged (it does not decompress)")));
        // Only the bytes the image takes are looked at; one more says the stream holds more.
        const quint64 wanted = m_expected - m_produced;
        const size_t taken = size_t(std::min<quint64>(produced, wanted));
        if (!inspect(window.data(), taken, error))
            return false;
        m_produced += taken;
        if (produced > wanted) {
            m_beyond = true;
            m_stream.reset();
            return true;
        }
        if (zs.block_state == ISAL_BLOCK_FINISH) {
            // Its checksum read and right; what follows is ignored.
            m_ended = true;
            m_stream.reset();
            return true;
        }
        if (produced == 0 && zs.avail_in == 0)
            break; // it needs more input
    }
    return true;
}

bool ImageDataCheck::finish(QString *error)
{
    if (m_failed)
        return false;
    if (m_runs.empty())
        return fail(error, reasonText(QT_TRANSLATE_NOOP("Reason", "the image header is not valid")));
    if (m_produced < m_expected) {
        if (m_ended)
            return fail(error,
                reasonText(QT_TRANSLATE_NOOP("Reason", "the image data ends too early (not enough image data)")));
        return fail(
            error, reasonText(QT_TRANSLATE_NOOP("Reason", "the image data is damaged (it does not decompress)")));
    }
    // Every byte of the image, but the stream neither ended (its checksum) nor went on.
    if (!m_ended && !m_beyond)
        return fail(
            error, reasonText(QT_TRANSLATE_NOOP("Reason", "the image data is damaged (it does not decompress)")));
    m_stream.reset();
    return true;
}

bool ImageDataCheck::check(const QByteArray &file, const std::vector<PngChunk> &chunks, QString *error)
{
    for (const PngChunk &c : chunks) {
        if (c.type == "IDAT" && !feed(file.constData() + c.offset, c.length, error))
            return false;
    }
    return finish(error);
}
