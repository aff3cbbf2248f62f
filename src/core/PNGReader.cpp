#include "core/PNGReader.h"

#include "core/ImageDataCheck.h"
#include "core/PNGChunks.h"
#include "core/PNGSource.h"
#include "core/RegularFile.h"

#include <QLocale>
#include <QLoggingCategory>
#include <QStringDecoder>
#include <QtEndian>

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

Q_LOGGING_CATEGORY(lcPngRead, "velmora.png.read")

namespace {

bool fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

// The text of all text chunks of one file, decompressed, may take at most this much; a
// file that needs more is refused rather than allowed to exhaust the memory.
constexpr qsizetype kMaxTextBytes = 64 << 20;
// A file with more chunks than this is refused.
constexpr size_t kMaxChunks = 1000000;
// Ancillary chunks (iCCP, sPLT …) that the library may allocate at most.
constexpr png_alloc_size_t kMaxChunkBytes = 64 << 20;
// Widths and heights above this are refused (the PNG library's own default).
constexpr png_uint_32 kMaxDimension = 1000000;

// What the library's callbacks share with the read. Plain data only: the callbacks run
// inside the library and must neither allocate nor throw.
struct ReadContext
{
    const QByteArray *bytes = nullptr;
    qsizetype position = 0;
    char message[160] = {};
};

void readCallback(png_structp png, png_bytep out, size_t length) noexcept
{
    auto *ctx = static_cast<ReadContext *>(png_get_io_ptr(png));
    if (length > size_t(ctx->bytes->size() - ctx->position))
        png_error(png, "unexpected end of file");
    std::memcpy(out, ctx->bytes->constData() + ctx->position, length);
    ctx->position += qsizetype(length);
}

void errorCallback(png_structp png, png_const_charp message) noexcept
{
    auto *ctx = static_cast<ReadContext *>(png_get_error_ptr(png));
    (void)std::snprintf(ctx->message, sizeof ctx->message, "%s", message ? message : "unknown error");
    png_longjmp(png, 1);
}

void warningCallback(png_structp, png_const_charp message) noexcept
{
    try {
        qCDebug(lcPngRead) << "libpng warning:" << message;
    } catch (...) {
    }
}

// The library's read structures, freed on every way out of the read (also an exception).
// Lives outside every library jump scope.
struct ReadStructs
{
    png_structp png = nullptr;
    png_infop info = nullptr;
    explicit ReadStructs(ReadContext *ctx)
    {
        png = png_create_read_struct(PNG_LIBPNG_VER_STRING, ctx, errorCallback, warningCallback);
        if (png)
            info = png_create_info_struct(png);
    }
    ~ReadStructs() { png_destroy_read_struct(&png, &info, nullptr); }
    ReadStructs(const ReadStructs &) = delete;
    ReadStructs &operator=(const ReadStructs &) = delete;
};

const PngChunk *chunkBeforeIdat(const std::vector<PngChunk> &chunks, const char *type)
{
    for (const PngChunk &c : chunks) {
        if (c.position != PngChunk::BeforeIDAT)
            return nullptr;
        if (c.crcOk && c.type == type)
            return &c;
    }
    return nullptr;
}

bool presentBeforeIdat(const std::vector<PngChunk> &chunks, const char *type)
{
    return chunkBeforeIdat(chunks, type) != nullptr;
}

// The fixed-point values (units of 1/100000) a gAMA or cHRM chunk holds.
std::vector<double> fixedPointValues(const QByteArray &bytes, const PngChunk *c, size_t count)
{
    if (!c || c->length != count * 4)
        return {};
    std::vector<double> values;
    for (size_t i = 0; i < count; ++i)
        values.push_back(qFromBigEndian<quint32>(bytes.constData() + c->offset + 4 * i) / 100000.0);
    return values;
}

// Copies what the library parsed before the image data into the record. Only chunks that
// really stood in the file count: the library also reports values it derives (a gamma
// implied by sRGB, say), which must not turn into new chunks on a save.
//
// A chunk whose value the library would write back differently (a gamma it replaced by the
// one sRGB implies, a scale it would spell otherwise) is not captured: it is carried over
// as it stood instead.
void captureChunks(
    png_structp png, png_infop pinfo, const QByteArray &bytes, const std::vector<PngChunk> &chunks, PNGinfo &info)
{
    png_uint_32 w = 0, h = 0;
    int depth = 0, colour = 0, interlace = 0, compression = 0, filter = 0;
    png_get_IHDR(png, pinfo, &w, &h, &depth, &colour, &interlace, &compression, &filter);
    info.width = w;
    info.height = h;
    info.bit_depth = depth;
    info.colourType = colour;
    info.interlace_method = interlace;
    info.compression_method = compression;
    info.filter_method = filter;
    info.bytesPerRow = int32_t(png_get_rowbytes(png, pinfo));

    if (presentBeforeIdat(chunks, "iCCP") && png_get_valid(png, pinfo, PNG_INFO_iCCP)) {
        png_charp name = nullptr;
        int type = 0;
        png_bytep profile = nullptr;
        png_uint_32 length = 0;
        if (png_get_iCCP(png, pinfo, &name, &type, &profile, &length)) {
            info.profileName = QByteArray(name);
            info.profileCompressionType = type;
            info.profileData = QByteArray(reinterpret_cast<const char *>(profile), qsizetype(length));
        }
    }
    if (colour == PNG_COLOR_TYPE_PALETTE) {
        png_colorp palette = nullptr;
        int count = 0;
        if (png_get_PLTE(png, pinfo, &palette, &count)) {
            info.paletteData.resize(size_t(count));
            for (int i = 0; i < count; ++i)
                info.paletteData[size_t(i)] = { palette[i].red, palette[i].green, palette[i].blue };
        }
        png_bytep alpha = nullptr;
        int numAlpha = 0;
        png_color_16p transColour = nullptr;
        if (presentBeforeIdat(chunks, "tRNS") && png_get_tRNS(png, pinfo, &alpha, &numAlpha, &transColour)) {
            info.transparencyTable = QByteArray(reinterpret_cast<const char *>(alpha), numAlpha);
            if (info.transparencyTable.isNull())
                info.transparencyTable = QByteArray("");
            if (transColour)
                info.transparencyColourValues = PngColor16 { transColour->index, transColour->red, transColour->green,
                    transColour->blue, transColour->gray };
        }
        png_uint_16p hist = nullptr;
        if (presentBeforeIdat(chunks, "hIST") && png_get_hIST(png, pinfo, &hist))
            info.hIST.assign(hist, hist + count);
    }
    double gamma = 0;
    const auto fileGamma = fixedPointValues(bytes, chunkBeforeIdat(chunks, "gAMA"), 1);
    if (!fileGamma.empty() && png_get_gAMA(png, pinfo, &gamma) && qAbs(gamma - fileGamma[0]) < 1e-9) {
        info.hasGamma = true;
        info.gamma = fileGamma[0];
    }
    int intent = 0;
    if (presentBeforeIdat(chunks, "sRGB") && png_get_sRGB(png, pinfo, &intent)) {
        info.use_sRGB = true;
        info.sRGBintent = intent;
    }
    png_color_16p background = nullptr;
    if (presentBeforeIdat(chunks, "bKGD") && png_get_bKGD(png, pinfo, &background)) {
        info.hasbKGD = true;
        info.backgroundColour
            = PngColor16 { background->index, background->red, background->green, background->blue, background->gray };
    }
    png_color_8p sig = nullptr;
    if (presentBeforeIdat(chunks, "sBIT") && png_get_sBIT(png, pinfo, &sig)) {
        info.has_sBIT = true;
        info.sBIT = PngColor8 { sig->red, sig->green, sig->blue, sig->gray, sig->alpha };
    }
    png_uint_32 resX = 0, resY = 0;
    int unit = 0;
    if (presentBeforeIdat(chunks, "pHYs") && png_get_pHYs(png, pinfo, &resX, &resY, &unit)) {
        info.haspHYs = true;
        info.resX = resX;
        info.resY = resY;
        info.pHYsUnit = uint8_t(unit);
    }
    int scalUnit = 0;
    png_charp scalWidth = nullptr, scalHeight = nullptr;
    if (presentBeforeIdat(chunks, "sCAL") && png_get_sCAL_s(png, pinfo, &scalUnit, &scalWidth, &scalHeight)) {
        const double width = QByteArray(scalWidth).toDouble();
        const double height = QByteArray(scalHeight).toDouble();
        // Written back in the shortest form that reads as the same number.
        if (QByteArray::number(width, 'g', QLocale::FloatingPointShortest) == scalWidth
            && QByteArray::number(height, 'g', QLocale::FloatingPointShortest) == scalHeight) {
            info.hassCAL = true;
            info.sCALunit = scalUnit;
            info.sCALwidth = width;
            info.sCALheight = height;
        }
    }
    double c[8] = {};
    const auto fileChrm = fixedPointValues(bytes, chunkBeforeIdat(chunks, "cHRM"), 8);
    if (!fileChrm.empty() && png_get_cHRM(png, pinfo, &c[0], &c[1], &c[2], &c[3], &c[4], &c[5], &c[6], &c[7])
        && std::equal(
            std::begin(c), std::end(c), fileChrm.begin(), [](double a, double b) { return qAbs(a - b) < 1e-9; })) {
        info.hascHRM = true;
        std::copy(fileChrm.begin(), fileChrm.end(), info.cHRM.begin());
    }
    png_timep time = nullptr;
    if (presentBeforeIdat(chunks, "tIME") && png_get_tIME(png, pinfo, &time)) {
        info.hastIME = true;
        info.tIME = PngTime { time->year, time->month, time->day, time->hour, time->minute, time->second };
    }
}

// The two library passes. A library error jumps back into the pass that raised it, so each
// keeps only trivially destructible locals and calls nothing that could throw; everything
// else (copying values out, allocating the rows) happens between the passes.

// The first pass: every chunk up to the image data.
bool readHeader(png_structp png, png_infop pinfo, ReadContext &ctx)
{
    // NOLINTNEXTLINE(cert-err52-cpp): libpng reports errors by longjmp
    if (setjmp(png_jmpbuf(png)))
        return false;
    // Text chunks are read separately, with their encodings; the library skips them.
    static const png_byte textChunks[] = "tEXt\0zTXt\0iTXt";
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, textChunks, 3);
    png_set_chunk_malloc_max(png, kMaxChunkBytes);
    // Hostile headers are refused before anything is allocated for them.
    png_set_user_limits(png, kMaxDimension, kMaxDimension);
    // The chunk scan has checked every CRC already and refused damaged critical chunks:
    // the library need not compute them again for the image data.
    png_set_crc_action(png, PNG_CRC_QUIET_USE, PNG_CRC_DEFAULT);
    png_set_read_fn(png, &ctx, readCallback);
    ctx.position = 8;
    png_set_sig_bytes(png, 8);
    png_read_info(png, pinfo);
    return true;
}

// The second pass: every row, into the rows allocated between the passes.
bool decodeRows(png_structp png, png_bytepp rowPointers)
{
    // NOLINTNEXTLINE(cert-err52-cpp): libpng reports errors by longjmp
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_image(png, rowPointers);
    png_read_end(png, nullptr);
    return true;
}

// Reads the header and the chunks before the image data into info and, when decoding, the
// rows. False with *error set on failure.
bool runLibrary(const QByteArray &bytes, const std::vector<PngChunk> &chunks, const PNGReadOptions &options,
    PNGinfo &info, PNGRows &rows, QString *error)
{
    ReadContext ctx;
    ctx.bytes = &bytes;
    ReadStructs library(&ctx);
    if (!library.info)
        return fail(error, QStringLiteral("the PNG library could not be set up"));
    if (!readHeader(library.png, library.info, ctx))
        return fail(error, QString::fromUtf8(ctx.message));

    const quint64 rowBytes = png_get_rowbytes(library.png, library.info);
    const quint64 height = png_get_image_height(library.png, library.info);
    if (rowBytes == 0 || height == 0)
        return fail(error, QStringLiteral("the image has no pixels"));
    if (rowBytes > quint64(INT32_MAX) || rowBytes * height > options.memoryLimit)
        return fail(error, QStringLiteral("the image is too large to open in memory"));

    // The library's getters only hand out what the first pass stored; none raises an error.
    captureChunks(library.png, library.info, bytes, chunks, info);
    if (!options.decodeImage) {
        rows.setGeometry(uint32_t(height), size_t(rowBytes));
        if (!options.checkImageData)
            return true;
        ImageDataCheck check { info.width, info.height, info.bit_depth, info.colourType, info.interlace_method,
            options.reserveRowMemory };
        return check.check(bytes, chunks, error);
    }
    if (options.reserveRowMemory)
        options.reserveRowMemory(rowBytes * height);
    if (!rows.allocate(uint32_t(height), size_t(rowBytes)))
        return fail(error, QStringLiteral("not enough memory for the image"));
    std::vector<png_bytep> pointers = rows.rowPointers();
    if (!decodeRows(library.png, pointers.data()))
        return fail(error, QString::fromUtf8(ctx.message));
    return true;
}

enum class TextStatus { Ok, Malformed, TooLarge };

// Inflates at most limit bytes.
TextStatus inflateText(const char *data, qsizetype length, qsizetype limit, QByteArray &out)
{
    z_stream stream {};
    if (inflateInit(&stream) != Z_OK)
        return TextStatus::Malformed;
    stream.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data));
    stream.avail_in = uInt(length);
    out.clear();
    char buffer[16384];
    int status = Z_OK;
    do {
        stream.next_out = reinterpret_cast<Bytef *>(buffer);
        stream.avail_out = sizeof buffer;
        status = inflate(&stream, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END)
            break;
        out.append(buffer, qsizetype(sizeof buffer - stream.avail_out));
        if (out.size() > limit) {
            inflateEnd(&stream);
            return TextStatus::TooLarge;
        }
    } while (status != Z_STREAM_END && (stream.avail_in > 0 || stream.avail_out == 0));
    inflateEnd(&stream);
    return status == Z_STREAM_END ? TextStatus::Ok : TextStatus::Malformed;
}

// Turns one text chunk into a comment; null when the chunk is malformed or its text would
// exceed the budget (then *status says which). The budget shrinks by the text's size.
CommentPtr commentFromTextChunk(const QByteArray &bytes, const PngChunk &c, qsizetype &budget, TextStatus *status)
{
    *status = TextStatus::Malformed;
    const char *data = bytes.constData() + c.offset;
    const qsizetype length = c.length;
    const char *end = data + length;
    const char *keyEnd = static_cast<const char *>(std::memchr(data, 0, size_t(length)));
    if (c.type == "tEXt" && !keyEnd)
        keyEnd = end; // a keyword with no text at all
    if (!keyEnd || keyEnd == data)
        return nullptr;
    const QByteArray keyword(data, keyEnd - data);
    QByteArray text;
    QString language, translated;
    bool international = false;
    const char *p = keyEnd + (keyEnd < end ? 1 : 0);
    if (c.type == "tEXt") {
        text = QByteArray(p, end - p);
    } else if (c.type == "zTXt") {
        if (end - p < 1 || *p != 0)
            return nullptr;
        *status = inflateText(p + 1, end - p - 1, budget, text);
        if (*status != TextStatus::Ok)
            return nullptr;
    } else { // iTXt
        if (end - p < 2)
            return nullptr;
        const bool compressed = p[0] != 0;
        if (compressed && p[1] != 0)
            return nullptr;
        p += 2;
        const char *langEnd = static_cast<const char *>(std::memchr(p, 0, size_t(end - p)));
        if (!langEnd)
            return nullptr;
        language = QString::fromLatin1(p, langEnd - p);
        p = langEnd + 1;
        const char *transEnd = static_cast<const char *>(std::memchr(p, 0, size_t(end - p)));
        if (!transEnd)
            return nullptr;
        translated = QString::fromUtf8(p, transEnd - p);
        p = transEnd + 1;
        if (compressed) {
            *status = inflateText(p, end - p, budget, text);
            if (*status != TextStatus::Ok)
                return nullptr;
        } else {
            text = QByteArray(p, end - p);
        }
        international = true;
    }
    if (text.size() + keyword.size() > budget) {
        *status = TextStatus::TooLarge;
        return nullptr;
    }
    budget -= text.size() + keyword.size();
    *status = TextStatus::Ok;
    auto comment = std::make_shared<PNGComment>();
    comment->setKeyword(decodePngText(keyword));
    comment->setText(decodePngText(text));
    if (international)
        comment->setInternational(language, translated);
    // The values as the comment holds them (a keyword cut at 79): a comment nobody changed
    // writes its chunk back as it stood.
    auto origin = std::make_shared<TextChunkOrigin>();
    origin->type = c.type;
    origin->data = bytes.mid(c.offset, length);
    origin->afterImageData = c.position == PngChunk::AfterIDAT;
    origin->keyword = comment->keyword();
    origin->text = comment->text();
    origin->international = international;
    origin->language = comment->language();
    origin->translatedKeyword = comment->translatedKeyword();
    comment->setOrigin(std::move(origin));
    return comment;
}

} // namespace

QString decodePngText(const QByteArray &bytes)
{
    QStringDecoder decoder(
        QStringDecoder::Utf8, QStringDecoder::Flag::Stateless | QStringDecoder::Flag::ConvertInitialBom);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return QString::fromLatin1(bytes);
    if (text.isNull())
        text = QStringLiteral("");
    return text;
}

namespace {

// The whole read of a file's bytes into an empty record and rows; leaves the clean-up after a
// failure to the caller.
bool readPng(const QByteArray &bytes, PNGinfo &info, PNGRows &rows, CommentList &read, const PNGReadOptions &options,
    QString *error)
{
    if (bytes.size() > options.maxFileSize)
        return fail(error, QStringLiteral("the file is too large (%1 bytes)").arg(bytes.size()));
    if (bytes.size() < 8 || png_sig_cmp(reinterpret_cast<png_const_bytep>(bytes.constData()), 0, 8) != 0)
        return fail(error, QStringLiteral("not a PNG file (the PNG signature is missing)"));

    std::vector<PngChunk> chunks;
    QString reason;
    if (!scanPngChunks(bytes, chunks, &reason))
        return fail(error, reason);
    if (chunks.size() > kMaxChunks)
        return fail(error, QStringLiteral("the file holds too many chunks (%1)").arg(chunks.size()));
    for (const PngChunk &c : chunks) {
        if (!c.crcOk && c.isCritical())
            return fail(error, QStringLiteral("the %1 chunk is damaged (CRC error)").arg(QString::fromLatin1(c.type)));
    }

    if (!runLibrary(bytes, chunks, options, info, rows, error))
        return false;

    // The file as read, kept to be spliced on a save, and for a save from the record every
    // chunk the record has no place for, kept where it stood.
    auto source = std::make_shared<PNGSource>();
    source->origins.resize(chunks.size());
    qsizetype textBudget = kMaxTextBytes;
    const bool palette = info.colourType == 3;
    for (size_t i = 0; i < chunks.size(); ++i) {
        const PngChunk &c = chunks[i];
        const QByteArray &t = c.type;
        if (t == "IDAT")
            continue;
        if (t == "tEXt" || t == "zTXt" || t == "iTXt") {
            if (!c.crcOk)
                continue;
            TextStatus status;
            if (auto comment = commentFromTextChunk(bytes, c, textBudget, &status)) {
                source->origins[i] = comment->origin();
                read.append(comment);
            } else if (status == TextStatus::TooLarge) {
                return fail(error,
                    QStringLiteral("the text entries are too large (more than %1 MiB in all)")
                        .arg(kMaxTextBytes >> 20));
            } else {
                qCDebug(lcPngRead) << "keeping a malformed" << t << "chunk as it stands";
            }
            continue;
        }
        if (t == "IHDR" || t == "IEND" || !c.crcOk)
            continue;
        if (c.position == PngChunk::BeforeIDAT) {
            const bool captured = (t == "PLTE" && palette)
                || (t == "tRNS" && palette && !info.transparencyTable.isNull())
                || (t == "hIST" && palette && !info.hIST.empty()) || (t == "gAMA" && info.hasGamma)
                || (t == "sRGB" && info.use_sRGB) || (t == "iCCP" && !info.profileName.isNull())
                || (t == "cHRM" && info.hascHRM) || (t == "bKGD" && info.hasbKGD) || (t == "sBIT" && info.has_sBIT)
                || (t == "pHYs" && info.haspHYs) || (t == "sCAL" && info.hassCAL) || (t == "tIME" && info.hastIME);
            if (captured)
                continue;
        }
        PngUnknownChunk kept;
        std::memcpy(kept.name.data(), t.constData(), 4);
        kept.data = bytes.mid(c.offset, c.length);
        kept.location = c.position == PngChunk::AfterIDAT ? PngUnknownChunk::AfterIDAT
            : (c.seenPLTE || t == "PLTE")                 ? PngUnknownChunk::BeforeIDAT
                                                          : PngUnknownChunk::BeforePLTE;
        // A chunk standing before PLTE stays before it; PLTE itself is written with them.
        if (t == "PLTE")
            kept.location = PngUnknownChunk::BeforePLTE;
        info.unknowns.push_back(std::move(kept));
    }
    source->bytes = bytes;
    source->chunks = std::move(chunks);
    source->info = info;
    rows.setSource(std::move(source));
    return true;
}

} // namespace

CommentList textBeforeDamage(const QByteArray &bytes)
{
    std::vector<PngChunk> chunks;
    scanPngChunks(bytes, chunks);
    CommentList comments;
    qsizetype budget = kMaxTextBytes;
    for (const PngChunk &c : chunks) {
        if (!c.crcOk || (c.type != "tEXt" && c.type != "zTXt" && c.type != "iTXt"))
            continue;
        TextStatus status;
        try {
            if (CommentPtr comment = commentFromTextChunk(bytes, c, budget, &status))
                comments.append(comment);
        } catch (const std::bad_alloc &) {
            break;
        }
    }
    return comments;
}

bool decodeImageRows(const PNGRows &rows, PNGRows &decoded, QString *error)
{
    decoded.clear();
    const std::shared_ptr<const PNGSource> source = rows.sharedSource();
    if (!source)
        return fail(error, QStringLiteral("the image was not read from a file"));
    PNGinfo scratch;
    PNGReadOptions options;
    options.memoryLimit = std::numeric_limits<quint64>::max();
    bool ok = false;
    try {
        ok = runLibrary(source->bytes, source->chunks, options, scratch, decoded, error);
    } catch (const std::bad_alloc &) {
        ok = fail(error, QStringLiteral("not enough memory to decode the image"));
    }
    if (!ok || decoded.height() != rows.height() || decoded.rowBytes() != rows.rowBytes()) {
        decoded.clear();
        return ok ? fail(error, QStringLiteral("the image does not match its file")) : false;
    }
    decoded.setSource(source);
    return true;
}

namespace {

// Reads bytes (or, when null, the file at info.path) as loadPNG() describes.
bool load(const QByteArray *given, PNGinfo &info, PNGRows &rows, CommentList &comments, const PNGReadOptions &options,
    QString *error)
{
    zeroImageData(info);
    rows.clear();
    CommentList read;
    bool ok = false;
    try {
        QByteArray bytes;
        if (given)
            bytes = *given;
        ok = (given || readRegularFile(info.path, options.maxFileSize, &bytes, error))
            && readPng(bytes, info, rows, read, options, error);
    } catch (const std::bad_alloc &) {
        ok = fail(error, QStringLiteral("not enough memory to read the file"));
    }
    if (!ok) {
        zeroImageData(info);
        rows.clear();
        return false;
    }
    comments = std::move(read);
    return true;
}

} // namespace

bool loadPNG(PNGinfo &info, PNGRows &rows, CommentList &comments, const PNGReadOptions &options, QString *error)
{
    return load(nullptr, info, rows, comments, options, error);
}

bool loadPNGBytes(const QByteArray &bytes, PNGinfo &info, PNGRows &rows, CommentList &comments,
    const PNGReadOptions &options, QString *error)
{
    return load(&bytes, info, rows, comments, options, error);
}
