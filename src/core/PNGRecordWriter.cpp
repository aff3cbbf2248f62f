#include "core/PNGRecordWriter.h"
#include "core/Strings.h"

#include "core/PNGSource.h"
#include "core/PngLibrary.h"

#include <QLocale>
#include <QLoggingCategory>

#include <cstring>
#include <list>

Q_LOGGING_CATEGORY(lcPngRecord, "velmora.png.write")

namespace {

// Where a carried-over chunk stands, in the library's own terms.
static_assert(PngUnknownChunk::BeforePLTE == PNG_HAVE_IHDR);
static_assert(PngUnknownChunk::BeforeIDAT == PNG_HAVE_PLTE);
static_assert(PngUnknownChunk::AfterIDAT == PNG_AFTER_IDAT);

struct WriteContext : PngLibraryContext
{
    QByteArray *out = nullptr;
    bool outOfMemory = false;
    // Storage the library's entries point into, all prepared before the library runs.
    std::vector<png_unknown_chunk> unknowns;
    std::vector<const PngUnknownChunk *> afterIdat;
    std::vector<std::pair<const char *, size_t>> imageData;
    std::list<QByteArray> readAgain; // image data read again from the file
    std::vector<png_bytep> rowPointers;
    std::vector<png_color> palette;
    png_color_16 transColour {};
    png_color_16 background {};
    png_color_8 sigBits {};
    png_time time {};
    std::vector<png_uint_16> hist;
    QByteArray scalWidth, scalHeight;
    bool keepImageData = true;
};

void writeCallback(png_structp png, png_bytep data, size_t length) noexcept
{
    auto *ctx = static_cast<WriteContext *>(png_get_io_ptr(png));
    try {
        ctx->out->append(reinterpret_cast<const char *>(data), qsizetype(length));
    } catch (...) {
        ctx->outOfMemory = true;
        png_error(png, "out of memory");
    }
}

void flushCallback(png_structp) noexcept { }

png_byte *bytes(const QByteArray &a)
{
    return reinterpret_cast<png_byte *>(const_cast<char *>(a.constData()));
}

// Prepares every value the library will be handed, outside the library's error scope.
// False with *error set when image data kept in the file cannot be read again.
bool prepare(WriteContext &ctx, const PNGinfo &info, PNGRows &rows, bool keepImageData, QString *error)
{
    ctx.keepImageData = keepImageData;
    if (keepImageData) {
        const PNGSource &source = *rows.source();
        for (const PngChunk &c : source.chunks) {
            if (c.type != "IDAT")
                continue;
            const char *payload = source.payload(c);
            if (!payload) {
                // Left in the file: read again (this save only).
                ctx.readAgain.emplace_back(qsizetype(c.length), Qt::Uninitialized);
                if (!source.file->read(c.offset, c.length, ctx.readAgain.back().data(), error))
                    return false;
                payload = ctx.readAgain.back().constData();
            }
            ctx.imageData.emplace_back(payload, size_t(c.length));
        }
        if (!source.file->unchanged(error))
            return false;
    } else {
        ctx.rowPointers = rows.rowPointers();
    }

    for (const PngUnknownChunk &u : info.unknowns) {
        // Re-encoded image data changes the critical chunks: chunks that the PNG standard
        // marks unsafe to copy, and that we do not know, must then be dropped.
        if (!keepImageData && !(u.name[3] & 0x20) && !isRegisteredChunk(u.type()))
            continue;
        if (u.location == PngUnknownChunk::AfterIDAT && keepImageData) {
            ctx.afterIdat.push_back(&u);
            continue;
        }
        png_unknown_chunk c {};
        std::memcpy(c.name, u.name.data(), 5);
        c.data = bytes(u.data);
        c.size = size_t(u.data.size());
        c.location = u.location;
        ctx.unknowns.push_back(c);
    }

    for (const PngColor &p : info.paletteData)
        ctx.palette.push_back(png_color { p.red, p.green, p.blue });
    if (info.transparencyColourValues) {
        const auto &v = *info.transparencyColourValues;
        ctx.transColour = png_color_16 { v.index, v.red, v.green, v.blue, v.gray };
    }
    if (info.backgroundColour) {
        const auto &v = *info.backgroundColour;
        ctx.background = png_color_16 { v.index, v.red, v.green, v.blue, v.gray };
    }
    if (info.sBIT) {
        const auto &v = *info.sBIT;
        ctx.sigBits = png_color_8 { v.red, v.green, v.blue, v.gray, v.alpha };
    }
    ctx.time = png_time { info.tIME.year, info.tIME.month, info.tIME.day, info.tIME.hour, info.tIME.minute,
        info.tIME.second };
    ctx.hist.assign(info.hIST.begin(), info.hIST.end());
    // The shortest text that reads back as the same number.
    ctx.scalWidth = QByteArray::number(info.sCALwidth, 'g', QLocale::FloatingPointShortest);
    ctx.scalHeight = QByteArray::number(info.sCALheight, 'g', QLocale::FloatingPointShortest);
    return true;
}

// The two library passes. A library error jumps back into the pass that raised it, so each
// keeps only trivially destructible locals and calls nothing that could throw; everything
// the library is handed was prepared before.

// The first pass: every value of the new file.
bool describeImage(png_structp png, png_infop pinfo, WriteContext &ctx, const PNGinfo &info)
{
    // NOLINTNEXTLINE(cert-err52-cpp): libpng reports errors by longjmp
    if (setjmp(png_jmpbuf(png)))
        return false;
    // Inconsistent colour information that a reader accepted must not stop a save.
    png_set_benign_errors(png, 1);
    png_set_IHDR(png, pinfo, info.width, info.height, info.bit_depth, info.colourType, info.interlace_method,
        info.compression_method, info.filter_method);
    if (!info.profileName.isNull())
        png_set_iCCP(png, pinfo, info.profileName.constData(), info.profileCompressionType, bytes(info.profileData),
            png_uint_32(info.profileData.size()));
    if (info.colourType == PNG_COLOR_TYPE_PALETTE) {
        png_set_PLTE(png, pinfo, ctx.palette.data(), int(ctx.palette.size()));
        if (!info.transparencyTable.isNull())
            png_set_tRNS(png, pinfo, bytes(info.transparencyTable), int(info.transparencyTable.size()),
                info.transparencyColourValues ? &ctx.transColour : nullptr);
        // The library takes the histogram's length from the palette; the two were checked to agree.
        if (!ctx.hist.empty())
            png_set_hIST(png, pinfo, ctx.hist.data());
    }
    if (info.hasGamma)
        png_set_gAMA(png, pinfo, info.gamma);
    if (info.use_sRGB)
        png_set_sRGB(png, pinfo, info.sRGBintent);
    if (info.hasbKGD && info.backgroundColour)
        png_set_bKGD(png, pinfo, &ctx.background);
    if (info.has_sBIT && info.sBIT)
        png_set_sBIT(png, pinfo, &ctx.sigBits);
    if (info.haspHYs)
        png_set_pHYs(png, pinfo, info.resX, info.resY, info.pHYsUnit);
    if (info.hassCAL)
        png_set_sCAL_s(png, pinfo, info.sCALunit, ctx.scalWidth.constData(), ctx.scalHeight.constData());
    if (info.hascHRM)
        png_set_cHRM(png, pinfo, info.cHRM[0], info.cHRM[1], info.cHRM[2], info.cHRM[3], info.cHRM[4], info.cHRM[5],
            info.cHRM[6], info.cHRM[7]);
    if (info.hastIME)
        png_set_tIME(png, pinfo, &ctx.time);
    if (!ctx.unknowns.empty()) {
        png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_ALWAYS, nullptr, 0);
        png_set_unknown_chunks(png, pinfo, ctx.unknowns.data(), int(ctx.unknowns.size()));
    }
    return true;
}

// The second pass: the whole file, into memory.
bool writeImage(png_structp png, png_infop pinfo, WriteContext &ctx)
{
    // NOLINTNEXTLINE(cert-err52-cpp): libpng reports errors by longjmp
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_write_fn(png, &ctx, writeCallback, flushCallback);
    png_write_info(png, pinfo);
    if (ctx.keepImageData) {
        static const png_byte idatName[] = "IDAT";
        static const png_byte iendName[] = "IEND";
        for (const auto &[data, size] : ctx.imageData)
            png_write_chunk(png, idatName, reinterpret_cast<png_const_bytep>(data), size);
        for (const PngUnknownChunk *u : ctx.afterIdat)
            png_write_chunk(
                png, reinterpret_cast<png_const_bytep>(u->name.data()), bytes(u->data), size_t(u->data.size()));
        png_write_chunk(png, iendName, nullptr, 0);
    } else {
        png_write_image(png, ctx.rowPointers.data());
        png_write_end(png, pinfo);
    }
    return true;
}

} // namespace

bool isRegisteredChunk(const QByteArray &type)
{
    static const char *const known[]
        = { "PLTE", "tRNS", "sPLT", "sTER", "pCAL", "hIST", "cHRM", "gAMA", "iCCP", "sRGB", "sBIT", "bKGD", "pHYs",
              "sCAL", "tIME", "oFFs", "eXIf", "acTL", "fcTL", "fdAT", "cICP", "mDCv", "cLLi", "gIFg", "gIFx", "dSIG" };
    for (const char *k : known) {
        if (type == k)
            return true;
    }
    return false;
}

bool writeRecordPNG(const PNGinfo &info, const PNGRows &rows, bool keepImageData, QByteArray *out, QString *error)
{
    WriteContext ctx;
    ctx.out = out;
    // rowPointers() hands out non-const pointers for the library; it does not touch pixels.
    if (!prepare(ctx, info, const_cast<PNGRows &>(rows), keepImageData, error))
        return false;
    PngStructs library(PngStructs::Write, &ctx);
    if (!library.info) {
        qCWarning(lcPngRecord, "Failed to create info struct");
        if (error)
            *error = reasonText(QT_TRANSLATE_NOOP("Reason", "the PNG library could not be set up"));
        return false;
    }
    out->clear();
    if (!describeImage(library.png, library.info, ctx, info) || !writeImage(library.png, library.info, ctx)) {
        if (ctx.outOfMemory)
            throw std::bad_alloc();
        if (error)
            *error = QString::fromUtf8(ctx.message);
        return false;
    }
    return true;
}
