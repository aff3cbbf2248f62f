#include "core/PNGWriter.h"

#include "core/SafeFile.h"

#include <QLocale>
#include <QLoggingCategory>

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

Q_LOGGING_CATEGORY(lcPngWrite, "velmora.png.write")

namespace {

constexpr qsizetype kCompressFromBytes = 1000;

// Standard chunks whose meaning does not depend on how the image data is compressed.
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

// Where a carried-over chunk stands, in the library's own terms.
static_assert(PngUnknownChunk::BeforePLTE == PNG_HAVE_IHDR);
static_assert(PngUnknownChunk::BeforeIDAT == PNG_HAVE_PLTE);
static_assert(PngUnknownChunk::AfterIDAT == PNG_AFTER_IDAT);

struct WriteContext
{
    AtomicFileWriter *file = nullptr;
    // Set by the error callback, which may neither allocate nor throw.
    char message[160] = {};
    // Storage the library's entries point into, all prepared before the library runs.
    std::vector<QByteArray> strings;
    std::vector<png_text> texts;
    std::vector<png_unknown_chunk> unknowns;
    std::vector<const PngUnknownChunk *> afterIdat;
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
    bool ok = false;
    try {
        ok = ctx->file->write(reinterpret_cast<const char *>(data), qint64(length));
    } catch (...) {
        ok = false;
    }
    if (!ok)
        png_error(png, "write error");
}

void flushCallback(png_structp) noexcept { }

void errorCallback(png_structp png, png_const_charp message) noexcept
{
    auto *ctx = static_cast<WriteContext *>(png_get_error_ptr(png));
    std::snprintf(ctx->message, sizeof ctx->message, "%s", message ? message : "unknown error");
    png_longjmp(png, 1);
}

void warningCallback(png_structp, png_const_charp message) noexcept
{
    try {
        qCDebug(lcPngWrite) << "libpng warning:" << message;
    } catch (...) {
    }
}

// The library's write structures, freed on every way out of a save (also an exception).
// Lives outside the library's jump scope.
struct WriteStructs
{
    png_structp png = nullptr;
    png_infop info = nullptr;
    explicit WriteStructs(WriteContext *ctx)
    {
        png = png_create_write_struct(PNG_LIBPNG_VER_STRING, ctx, errorCallback, warningCallback);
        if (png)
            info = png_create_info_struct(png);
    }
    ~WriteStructs() { png_destroy_write_struct(&png, &info); }
    WriteStructs(const WriteStructs &) = delete;
    WriteStructs &operator=(const WriteStructs &) = delete;
};

bool isAscii(const QString &s)
{
    for (QChar c : s) {
        if (c.unicode() > 0x7f)
            return false;
    }
    return true;
}

const char *chunkName(TextChunkKind kind)
{
    switch (kind) {
    case TextChunkKind::tEXt:
        return "tEXt";
    case TextChunkKind::zTXt:
        return "zTXt";
    default:
        return "iTXt";
    }
}

png_byte *bytes(const QByteArray &a)
{
    return reinterpret_cast<png_byte *>(const_cast<char *>(a.constData()));
}

// Prepares every value the library will be handed, outside the library's error scope.
void prepare(
    WriteContext &ctx, const PNGinfo &info, PNGRows &rows, const CommentList &comments, const PNGWriteOptions &options)
{
    ctx.strings.reserve(size_t(comments.size()) * 4 + 2);
    for (const CommentPtr &comment : comments) {
        if (!comment || !comment->isValid())
            continue;
        const TextChunkKind kind = textChunkKindFor(*comment, options.textCompression);
        const QByteArray key = pngKeywordBytes(comment->keyword());
        if (key.isEmpty()) {
            qCWarning(lcPngWrite, "Empty keyword in %s chunk", chunkName(kind));
            continue;
        }
        png_text t {};
        ctx.strings.push_back(key);
        t.key = reinterpret_cast<png_charp>(bytes(ctx.strings.back()));
        const QString text = comment->exportText();
        if (kind == TextChunkKind::tEXt || kind == TextChunkKind::zTXt) {
            ctx.strings.push_back(text.toLatin1());
            t.compression = kind == TextChunkKind::tEXt ? PNG_TEXT_COMPRESSION_NONE : PNG_TEXT_COMPRESSION_zTXt;
            t.text = reinterpret_cast<png_charp>(bytes(ctx.strings.back()));
            t.text_length = size_t(ctx.strings.back().size());
        } else {
            ctx.strings.push_back(text.toUtf8());
            t.compression = kind == TextChunkKind::iTXt ? PNG_ITXT_COMPRESSION_NONE : PNG_ITXT_COMPRESSION_zTXt;
            t.text = reinterpret_cast<png_charp>(bytes(ctx.strings.back()));
            t.itxt_length = size_t(ctx.strings.back().size());
            ctx.strings.push_back(comment->language().toLatin1());
            t.lang = reinterpret_cast<png_charp>(bytes(ctx.strings.back()));
            ctx.strings.push_back(comment->translatedKeyword().toUtf8());
            t.lang_key = reinterpret_cast<png_charp>(bytes(ctx.strings.back()));
        }
        ctx.texts.push_back(t);
    }

    ctx.keepImageData = rows.hasOriginalImageData() && !(options.recompress && rows.hasPixels());
    if (!ctx.keepImageData)
        ctx.rowPointers = rows.rowPointers();

    for (const PngUnknownChunk &u : info.unknowns) {
        // Re-encoded image data changes the critical chunks: chunks that the PNG standard
        // marks unsafe to copy, and that we do not know, must then be dropped.
        if (!ctx.keepImageData && !(u.name[3] & 0x20) && !isRegisteredChunk(u.type()))
            continue;
        if (u.location == PngUnknownChunk::AfterIDAT && ctx.keepImageData) {
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
}

// The two library passes. A library error jumps back into the pass that raised it, so each
// keeps only trivially destructible locals and calls nothing that could throw; everything
// the library is handed was prepared before, and the file is opened between the passes.

// The first pass: every value of the new file.
bool describeImage(png_structp png, png_infop pinfo, WriteContext &ctx, const PNGinfo &info)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    // Inconsistent colour information that a reader accepted must not stop a save.
    png_set_benign_errors(png, 1);
    png_set_IHDR(png, pinfo, info.width, info.height, info.bit_depth, info.colourType, info.interlace_method,
        info.compression_method, info.filter_method);
    if (!ctx.texts.empty())
        png_set_text(png, pinfo, ctx.texts.data(), int(ctx.texts.size()));
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

// The second pass: the whole file, into the writer opened between the passes.
bool writeImage(png_structp png, png_infop pinfo, WriteContext &ctx, const std::vector<QByteArray> &imageData)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_write_fn(png, &ctx, writeCallback, flushCallback);
    png_write_info(png, pinfo);
    if (ctx.keepImageData) {
        static const png_byte idatName[] = "IDAT";
        static const png_byte iendName[] = "IEND";
        for (const QByteArray &chunk : imageData)
            png_write_chunk(png, idatName, bytes(chunk), size_t(chunk.size()));
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

// Why the record cannot be written as it stands, or an empty string. Sizes that the library
// would trust are checked against each other here, so that no inconsistent record can make
// it read past a buffer.
QString inconsistency(const PNGinfo &info, const PNGRows &rows)
{
    if (!info.hasImage())
        return QStringLiteral("there is no image to write (the file was not read)");
    if (!rows.hasOriginalImageData() && !rows.hasPixels())
        return QStringLiteral("there is no image data to write");
    static const int channels[] = { 1, 0, 3, 1, 2, 0, 4 };
    const int colour = info.colourType;
    if (colour < 0 || colour > 6 || channels[colour] == 0 || info.bit_depth < 1 || info.bit_depth > 16)
        return QStringLiteral("the image header is not valid");
    const quint64 bits = quint64(info.width) * quint64(channels[colour]) * quint64(info.bit_depth);
    if (info.bytesPerRow < 0 || quint64(info.bytesPerRow) != (bits + 7) / 8)
        return QStringLiteral("the row size does not match the image header");
    if (rows.hasPixels() && (rows.height() != info.height || rows.rowBytes() != size_t(info.bytesPerRow)))
        return QStringLiteral("the image rows do not match the image header");
    if (colour == PNG_COLOR_TYPE_PALETTE) {
        const size_t entries = info.paletteData.size();
        if (entries == 0 || entries > PNG_MAX_PALETTE_LENGTH)
            return QStringLiteral("the palette is missing or too long");
        if (size_t(info.transparencyTable.size()) > entries)
            return QStringLiteral("the transparency table is longer than the palette");
        if (!info.hIST.empty() && info.hIST.size() != entries)
            return QStringLiteral("the histogram does not match the palette");
    }
    if (quint64(info.profileData.size()) > PNG_UINT_31_MAX)
        return QStringLiteral("the colour profile is too large");
    for (const PngUnknownChunk &u : info.unknowns) {
        if (quint64(u.data.size()) > PNG_UINT_31_MAX)
            return QStringLiteral("a carried-over chunk is too large");
    }
    return QString();
}

} // namespace

QByteArray pngKeywordBytes(const QString &keyword)
{
    bool latin1 = true;
    for (QChar c : keyword) {
        if (c.unicode() > 0xff) {
            latin1 = false;
            break;
        }
    }
    const QByteArray raw = latin1 ? keyword.toLatin1() : keyword.toUtf8();
    QByteArray out;
    out.reserve(raw.size());
    for (char ch : raw) {
        const auto b = static_cast<unsigned char>(ch);
        const bool printable = (b >= 0x21 && b <= 0x7e) || b >= 0xa1;
        if (!printable) {
            // Non-printable bytes become spaces; leading spaces and runs of spaces go.
            if (!out.isEmpty() && !out.endsWith(' '))
                out.append(' ');
            continue;
        }
        out.append(ch);
    }
    if (out.size() > 79)
        out.truncate(79);
    while (out.endsWith(' '))
        out.chop(1);
    return out;
}

TextChunkKind textChunkKindFor(const PNGComment &comment, PNGWriteOptions::TextCompression compression)
{
    const QString text = comment.exportText();
    const bool ascii = isAscii(text);
    const qsizetype size = ascii ? text.size() : text.toUtf8().size();
    const bool compress = compression == PNGWriteOptions::TextCompression::BySize && size >= kCompressFromBytes;
    if (ascii && !comment.isInternational())
        return compress ? TextChunkKind::zTXt : TextChunkKind::tEXt;
    return compress ? TextChunkKind::iTXtCompressed : TextChunkKind::iTXt;
}

bool savePNG(const QString &path, const PNGinfo &info, const PNGRows &rows, const CommentList &comments,
    const PNGWriteOptions &options, QString *error)
{
    auto fail = [&](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    const QString wrong = inconsistency(info, rows);
    if (!wrong.isEmpty())
        return fail(wrong);

    try {
        WriteContext ctx;
        // rowPointers() hands out non-const pointers for the library; it does not touch pixels.
        prepare(ctx, info, const_cast<PNGRows &>(rows), comments, options);
        WriteStructs library(&ctx);
        if (!library.info) {
            qCWarning(lcPngWrite, "Failed to create info struct");
            return fail(QStringLiteral("the PNG library could not be set up"));
        }
        if (!describeImage(library.png, library.info, ctx, info))
            return fail(QString::fromUtf8(ctx.message));

        // Only now is anything written, and only to a temporary file beside the destination.
        AtomicFileWriter file(path);
        if (!file.open()) {
            qCWarning(lcPngWrite, "Failed to create output file");
            return fail(file.errorString());
        }
        ctx.file = &file;
        if (!writeImage(library.png, library.info, ctx, rows.imageDataChunks())) {
            // A failed write says why in the file's own words.
            const QString reason = file.errorString();
            file.cancel();
            return fail(reason.isEmpty() ? QString::fromUtf8(ctx.message)
                                         : QStringLiteral("cannot write the file: %1").arg(reason));
        }
        if (!file.commit())
            return fail(QStringLiteral("cannot write the file: %1").arg(file.errorString()));
        return true;
    } catch (const std::bad_alloc &) {
        return fail(QStringLiteral("not enough memory to write the file"));
    }
}
