#include "core/PreviewDecoder.h"
#include "core/Strings.h"

#include <QFile>

#include "core/PngLibrary.h"
#include "core/SourceFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr png_alloc_size_t kMaxChunkBytes = 64 << 20;
constexpr size_t kReadBuffer = 256 << 10;

// Everything one decode needs, kept outside the function that holds the library's jump
// buffer: that function has only trivially destructible locals.
struct DecodeContext : PngLibraryContext
{
    // The input: a file read in slices, or a file as read (SourceFile), in slices too.
    int fd = -1;
    const SourceFile *source = nullptr;
    qint64 position = 0;
    std::vector<char> buffer;
    size_t bufferStart = 0;
    size_t bufferEnd = 0;

    const std::atomic<bool> *cancel = nullptr;
    const PreviewDecoder::Progress *progress = nullptr;
    PreviewDecoder::Options options;
    // Set while the rows are read: a failure then is the image data's (the header and the
    // set-up were sound). A cancel is not.
    bool inImageData = false;
    bool damaged = false;

    // The image after the library's transformations: 8-bit RGB or RGBA.
    uint32_t width = 0;
    uint32_t height = 0;
    int channels = 0;
    bool interlaced = false;
    std::vector<uint8_t> row;

    // The preview and the sums it is made of. Source columns (rows) map onto preview
    // columns (rows); a preview pixel is the average of the source pixels that map onto it.
    PreviewImage *preview = nullptr;
    std::vector<uint32_t> columnOf; // preview column of every source column
    std::vector<uint32_t> firstColumn; // the first source column of every preview column, and the width
    std::vector<uint32_t> columnCount; // source columns summed into each preview column
    std::vector<uint32_t> rowCount; // source rows summed into each preview row
    std::vector<uint32_t> sums; // premultiplied RGBA sums: one preview row, or all of them
    uint32_t step = 1; // only every step-th row and column is summed
    int currentRow = -1; // the preview row the one-row sums belong to

    bool fill() noexcept
    {
        // The buffer is sized before the decode starts.
        if (source) {
            const qint64 n = std::min(qint64(buffer.size()), source->size() - position);
            if (n <= 0 || !source->read(position, n, buffer.data(), nullptr))
                return false;
            position += n;
            bufferStart = 0;
            bufferEnd = size_t(n);
            return true;
        }
        if (fd < 0)
            return false;
        for (;;) {
            const ssize_t n = ::read(fd, buffer.data(), buffer.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return false;
            bufferStart = 0;
            bufferEnd = size_t(n);
            return true;
        }
    }

    bool read(png_bytep out, size_t length) noexcept
    {
        while (length > 0) {
            if (bufferStart == bufferEnd && !fill())
                return false;
            const size_t n = std::min(length, bufferEnd - bufferStart);
            std::memcpy(out, buffer.data() + bufferStart, n);
            bufferStart += n;
            out += n;
            length -= n;
        }
        return true;
    }

    // Sizes every buffer once the image's size is known; false when the memory is missing.
    bool allocate() noexcept
    {
        try {
            int w = 0, h = 0;
            PreviewDecoder::fittedSize(width, height, options.maxWidth, options.maxHeight, &w, &h);
            // Sums are 32-bit: a preview pixel may take at most 2^32 / 255 source pixels.
            const uint64_t perPixel = (uint64_t(width) / uint32_t(w) + 1) * (uint64_t(height) / uint32_t(h) + 1);
            while (perPixel / (uint64_t(step) * step) > (uint64_t(1) << 32) / 255)
                step *= 2;
            row.assign(size_t(width) * size_t(channels), 0);
            columnOf.resize(width);
            columnCount.assign(size_t(w), 0);
            rowCount.assign(size_t(h), 0);
            for (uint32_t x = 0; x < width; ++x) {
                columnOf[x] = uint32_t(uint64_t(x) * uint32_t(w) / width);
                if (x % step == 0)
                    ++columnCount[columnOf[x]];
            }
            firstColumn.assign(size_t(w) + 1, width);
            for (uint32_t x = width; x-- > 0;)
                firstColumn[columnOf[x]] = x;
            for (uint32_t y = 0; y < height; y += step)
                ++rowCount[size_t(uint64_t(y) * uint32_t(h) / height)];
            sums.assign(size_t(w) * 4 * (interlaced ? size_t(h) : 1), 0);
            preview->width = w;
            preview->height = h;
            preview->pixels.assign(size_t(w) * size_t(h) * 4, 0);
            return true;
        } catch (...) {
            return false;
        }
    }

    uint32_t previewRowOf(uint32_t y) const { return uint32_t(uint64_t(y) * uint32_t(preview->height) / height); }

    // Writes the averages of one preview row from its sums.
    void emitRow(uint32_t previewRow, const uint32_t *rowSums) noexcept
    {
        uint8_t *out = preview->pixels.data() + size_t(previewRow) * size_t(preview->width) * 4;
        for (int x = 0; x < preview->width; ++x) {
            const uint32_t count = columnCount[size_t(x)] * rowCount[previewRow];
            for (int c = 0; c < 4; ++c)
                out[x * 4 + c] = count ? uint8_t((rowSums[x * 4 + c] + count / 2) / count) : 0;
        }
    }

    // Adds the source pixels of one decoded row (pass row r of pass, or image row y when
    // not interlaced) to the sums.
    void addRow(uint32_t y, uint32_t startColumn, uint32_t columnStep, uint32_t columns) noexcept
    {
        if (y % step != 0)
            return;
        const uint32_t previewRow = previewRowOf(y);
        uint32_t *rowSums = sums.data();
        if (interlaced) {
            rowSums += size_t(previewRow) * size_t(preview->width) * 4;
        } else if (int(previewRow) != currentRow) {
            if (currentRow >= 0)
                emitRow(uint32_t(currentRow), rowSums);
            std::fill(sums.begin(), sums.end(), 0);
            currentRow = int(previewRow);
        }
        const uint8_t *p = row.data();
        if (columnStep == 1 && step == 1) {
            // Whole rows (the common case): each preview column takes a run of source
            // columns, summed in registers.
            for (int cell = 0; cell < preview->width; ++cell) {
                uint32_t r = 0, g = 0, b = 0, a = 0;
                const uint32_t end = firstColumn[size_t(cell) + 1];
                if (channels == 3) {
                    for (uint32_t x = firstColumn[size_t(cell)]; x < end; ++x, p += 3) {
                        r += p[0];
                        g += p[1];
                        b += p[2];
                    }
                    a = 255 * (end - firstColumn[size_t(cell)]);
                } else {
                    for (uint32_t x = firstColumn[size_t(cell)]; x < end; ++x, p += 4)
                        addPremultiplied(p, r, g, b, a);
                }
                uint32_t *sum = rowSums + size_t(cell) * 4;
                sum[0] += r;
                sum[1] += g;
                sum[2] += b;
                sum[3] += a;
            }
            return;
        }
        for (uint32_t i = 0; i < columns; ++i, p += channels) {
            const uint32_t x = startColumn + i * columnStep;
            if (x % step != 0)
                continue;
            uint32_t *sum = rowSums + size_t(columnOf[x]) * 4;
            if (channels == 3) {
                sum[0] += p[0];
                sum[1] += p[1];
                sum[2] += p[2];
                sum[3] += 255;
            } else {
                addPremultiplied(p, sum[0], sum[1], sum[2], sum[3]);
            }
        }
    }

    static void addPremultiplied(const uint8_t *p, uint32_t &r, uint32_t &g, uint32_t &b, uint32_t &a) noexcept
    {
        const uint32_t alpha = p[3];
        r += (p[0] * alpha + 127) / 255;
        g += (p[1] * alpha + 127) / 255;
        b += (p[2] * alpha + 127) / 255;
        a += alpha;
    }

    void finish() noexcept
    {
        if (interlaced) {
            for (int y = 0; y < preview->height; ++y)
                emitRow(uint32_t(y), sums.data() + size_t(y) * size_t(preview->width) * 4);
        } else if (currentRow >= 0) {
            emitRow(uint32_t(currentRow), sums.data());
        }
    }
};

void readCallback(png_structp png, png_bytep out, size_t length) noexcept
{
    auto *ctx = static_cast<DecodeContext *>(png_get_io_ptr(png));
    if (!ctx->read(out, length))
        png_error(png, "the file is truncated");
}

// The library pass, with structures the caller made for ctx. Only trivially destructible
// locals live here.
bool runDecode(DecodeContext &ctx, const PngStructs &library)
{
    png_structp png = library.png;
    png_infop info = library.info;
    if (!info) {
        ctx.setMessage("the PNG library could not be set up");
        return false;
    }
    // NOLINTNEXTLINE(cert-err52-cpp): libpng reports errors by longjmp
    if (setjmp(png_jmpbuf(png))) {
        // A failure while the rows are read is the image data's (a cancel is not).
        ctx.damaged = ctx.inImageData;
        return false;
    }
    png_set_read_fn(png, &ctx, readCallback);
    png_set_user_limits(png, ctx.options.maxDimension, ctx.options.maxDimension);
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
    // Text and private chunks are not needed for the picture.
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    png_read_info(png, info);

    // Every format becomes 8-bit RGB, or RGBA when the image has transparency.
    const int colourType = png_get_color_type(png, info);
    png_set_expand(png);
    png_set_scale_16(png);
    if (colourType == PNG_COLOR_TYPE_GRAY || colourType == PNG_COLOR_TYPE_GRAY_ALPHA)
        png_set_gray_to_rgb(png);
    // Passes are spread over the preview here, so no full-size image is ever needed.
    ctx.interlaced = png_get_interlace_type(png, info) == PNG_INTERLACE_ADAM7;
    png_read_update_info(png, info);

    ctx.width = png_get_image_width(png, info);
    ctx.height = png_get_image_height(png, info);
    ctx.channels = png_get_channels(png, info);
    if (png_get_bit_depth(png, info) != 8 || (ctx.channels != 3 && ctx.channels != 4))
        png_error(png, "unsupported pixel format");
    if (!ctx.allocate())
        png_error(png, "not enough memory for the preview");

    const int passes = ctx.interlaced ? 7 : 1;
    quint64 total = 0;
    for (int pass = 0; pass < passes; ++pass) {
        const uint32_t columns = ctx.interlaced ? PNG_PASS_COLS(ctx.width, pass) : ctx.width;
        const uint32_t rows = ctx.interlaced ? PNG_PASS_ROWS(ctx.height, pass) : ctx.height;
        if (columns > 0)
            total += rows;
    }
    quint64 done = 0;
    ctx.inImageData = true;
    for (int pass = 0; pass < passes; ++pass) {
        const uint32_t columns = ctx.interlaced ? PNG_PASS_COLS(ctx.width, pass) : ctx.width;
        const uint32_t rows = ctx.interlaced ? PNG_PASS_ROWS(ctx.height, pass) : ctx.height;
        // The library skips the passes that hold no pixels.
        if (columns == 0 || rows == 0)
            continue;
        for (uint32_t r = 0; r < rows; ++r) {
            if (ctx.cancel && ctx.cancel->load(std::memory_order_relaxed)) {
                ctx.inImageData = false;
                png_error(png, "cancelled");
            }
            png_read_row(png, ctx.row.data(), nullptr);
            if (ctx.interlaced)
                ctx.addRow(
                    PNG_ROW_FROM_PASS_ROW(r, pass), PNG_PASS_START_COL(pass), 1u << PNG_PASS_COL_SHIFT(pass), columns);
            else
                ctx.addRow(r, 0, 1, columns);
            ++done;
            if (ctx.progress && *ctx.progress)
                (*ctx.progress)(done, total);
        }
    }
    // Reads on to the end chunk: the rest of the image data must be sound too.
    png_read_end(png, nullptr);
    ctx.finish();
    return true;
}

bool finishDecode(DecodeContext &ctx, PreviewImage *preview, QString *error, bool *damaged)
{
    const PngStructs library(PngStructs::Read, &ctx);
    bool ok = runDecode(ctx, library);
    QString reason = QString::fromUtf8(ctx.message);
    // A file changed since it was read is not damaged: what it shows is not what was read.
    if (ctx.source && !ctx.source->unchanged(&reason)) {
        ok = false;
        ctx.damaged = false;
    }
    if (!ok) {
        *preview = PreviewImage();
        if (error)
            *error = reason;
    }
    if (damaged)
        *damaged = !ok && ctx.damaged;
    return ok;
}

} // namespace

void PreviewDecoder::fittedSize(
    uint32_t width, uint32_t height, int maxWidth, int maxHeight, int *outWidth, int *outHeight)
{
    const uint64_t boxWidth = uint64_t(std::max(1, maxWidth));
    const uint64_t boxHeight = uint64_t(std::max(1, maxHeight));
    uint64_t w = std::max<uint32_t>(width, 1);
    uint64_t h = std::max<uint32_t>(height, 1);
    if (w > boxWidth || h > boxHeight) {
        // The larger of the two reductions decides; rounded, at least one pixel.
        if (w * boxHeight >= h * boxWidth) {
            h = std::max<uint64_t>(1, (h * boxWidth + w / 2) / w);
            w = boxWidth;
        } else {
            w = std::max<uint64_t>(1, (w * boxHeight + h / 2) / h);
            h = boxHeight;
        }
    }
    *outWidth = int(w);
    *outHeight = int(h);
}

bool PreviewDecoder::decodeFile(const QString &path, const Options &options, PreviewImage *preview,
    const std::atomic<bool> *cancel, const Progress &progress, QString *error, bool *damaged)
{
    *preview = PreviewImage();
    if (damaged)
        *damaged = false;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        // qt_error_string: strerror is not safe in the decoding threads.
        if (error)
            *error = reasonText(QT_TRANSLATE_NOOP("Reason", "cannot open the file: %1")).arg(qt_error_string(errno));
        return false;
    }
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        if (error)
            *error = reasonText(QT_TRANSLATE_NOOP("Reason", "it is not a regular file"));
        return false;
    }
    DecodeContext ctx;
    ctx.fd = fd;
    ctx.options = options;
    ctx.cancel = cancel;
    ctx.progress = &progress;
    ctx.preview = preview;
    ctx.buffer.resize(kReadBuffer);
    const bool ok = finishDecode(ctx, preview, error, damaged);
    ::close(fd);
    return ok;
}

bool PreviewDecoder::decodeBytes(const QByteArray &bytes, const Options &options, PreviewImage *preview,
    const std::atomic<bool> *cancel, const Progress &progress, QString *error, bool *damaged)
{
    const SourceFile source(bytes);
    return decodeSource(source, options, preview, cancel, progress, error, damaged);
}

bool PreviewDecoder::decodeSource(const SourceFile &source, const Options &options, PreviewImage *preview,
    const std::atomic<bool> *cancel, const Progress &progress, QString *error, bool *damaged)
{
    *preview = PreviewImage();
    DecodeContext ctx;
    ctx.source = &source;
    ctx.options = options;
    ctx.cancel = cancel;
    ctx.progress = &progress;
    ctx.preview = preview;
    ctx.buffer.resize(kReadBuffer);
    return finishDecode(ctx, preview, error, damaged);
}
