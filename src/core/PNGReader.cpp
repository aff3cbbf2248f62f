#include "core/PNGReader.h"
#include "core/Strings.h"

#include "core/ImageDataCheck.h"
#include "core/PNGChunks.h"
#include "core/PNGSource.h"
#include "core/PngLibrary.h"
#include "core/RegularFile.h"
#include "core/SourceFile.h"
#include "core/TextChunks.h"

#include <QLocale>
#include <QLoggingCategory>
#include <QStringDecoder>
#include <QtEndian>

#include <zlib.h>

#include <cerrno>
#include <cstring>
#include <limits>
#include <new>

#include <sys/stat.h>
#include <unistd.h>

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
struct ReadContext : PngLibraryContext
{
    const char *data = nullptr;
    qint64 size = 0; // the bytes the library may read: the file, or its part before the image data
    qint64 position = 0;
};

void readCallback(png_structp png, png_bytep out, size_t length) noexcept
{
    auto *ctx = static_cast<ReadContext *>(png_get_io_ptr(png));
    if (length > size_t(ctx->size - ctx->position))
        png_error(png, "unexpected end of file");
    std::memcpy(out, ctx->data + ctx->position, length);
    ctx->position += qint64(length);
}

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
std::vector<double> fixedPointValues(const char *bytes, const PngChunk *c, size_t count)
{
    if (!c || c->length != count * 4)
        return {};
    std::vector<double> values;
    for (size_t i = 0; i < count; ++i)
        values.push_back(qFromBigEndian<quint32>(bytes + c->offset + 4 * i) / 100000.0);
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
    png_structp png, png_infop pinfo, const char *bytes, const std::vector<PngChunk> &chunks, PNGinfo &info)
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
// rows, from the first size bytes of the file at data (the whole file when decoding). False
// with *error set on failure.
bool runLibrary(const char *data, qint64 size, const std::vector<PngChunk> &chunks, const PNGReadOptions &options,
    PNGinfo &info, PNGRows &rows, QString *error)
{
    ReadContext ctx;
    ctx.data = data;
    ctx.size = size;
    PngStructs library(PngStructs::Read, &ctx);
    if (!library.info)
        return fail(error, reasonText(QT_TRANSLATE_NOOP("Reason", "the PNG library could not be set up")));
    if (!readHeader(library.png, library.info, ctx))
        return fail(error, QString::fromUtf8(ctx.message));

    const quint64 rowBytes = png_get_rowbytes(library.png, library.info);
    const quint64 height = png_get_image_height(library.png, library.info);
    if (rowBytes == 0 || height == 0)
        return fail(error, reasonText(QT_TRANSLATE_NOOP("Reason", "the image has no pixels")));
    if (rowBytes > quint64(INT32_MAX) || rowBytes * height > options.memoryLimit)
        return fail(error, reasonText(QT_TRANSLATE_NOOP("Reason", "the image is too large to open in memory")));

    // The library's getters only hand out what the first pass stored; none raises an error.
    captureChunks(library.png, library.info, data, chunks, info);
    if (!options.decodeImage) {
        rows.setGeometry(uint32_t(height), size_t(rowBytes));
        return true;
    }
    if (options.reserveRowMemory)
        options.reserveRowMemory(rowBytes * height);
    if (!rows.allocate(uint32_t(height), size_t(rowBytes)))
        return fail(error, reasonText(QT_TRANSLATE_NOOP("Reason", "not enough memory for the image")));
    std::vector<png_bytep> pointers = rows.rowPointers();
    if (!decodeRows(library.png, pointers.data()))
        return fail(error, QString::fromUtf8(ctx.message));
    return true;
}

// Turns one text chunk into a comment; null when the chunk is malformed or its text would
// exceed the budget (then *status says which). The budget shrinks by the text's size.
CommentPtr commentFromTextChunk(const char *data, const PngChunk &c, qsizetype &budget, TextChunkStatus *status)
{
    DecodedTextChunk decoded;
    *status = decodeTextChunk(c.type, data, c.length, budget, &decoded);
    if (*status != TextChunkStatus::Ok)
        return nullptr;
    if (decoded.text.size() + decoded.keyword.size() > budget) {
        *status = TextChunkStatus::TooLarge;
        return nullptr;
    }
    budget -= decoded.text.size() + decoded.keyword.size();
    auto comment = std::make_shared<PNGComment>();
    comment->setKeyword(decodePngText(decoded.keyword));
    comment->setText(decodePngText(decoded.text));
    if (decoded.international)
        comment->setInternational(decoded.language, decoded.translatedKeyword);
    // The values as the comment holds them (a keyword cut at 79): a comment nobody changed
    // writes its chunk back as it stood.
    auto origin = std::make_shared<TextChunkOrigin>();
    origin->type = c.type;
    origin->data = QByteArray(data, c.length);
    origin->afterImageData = c.position == PngChunk::AfterIDAT;
    origin->keyword = comment->keyword();
    origin->text = comment->text();
    origin->international = decoded.international;
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

// Reads from a file as it comes, through a buffer each thread reuses.
class SequentialReader
{
public:
    SequentialReader(int fd, qint64 size)
        : m_fd(fd)
        , m_size(size)
    {
        thread_local std::vector<char> buffer;
        buffer.resize(kReadBuffer);
        m_buffer = &buffer;
    }
    qint64 position() const { return m_position; }
    bool read(char *out, qint64 length, QString *error)
    {
        return pass(length, error, [&](const char *data, qint64 n) {
            std::memcpy(out, data, size_t(n));
            out += n;
            return true;
        });
    }
    // Hands length bytes to take in pieces; stops when it returns false.
    template <typename Take> bool pass(qint64 length, QString *error, Take take)
    {
        while (length > 0) {
            if (m_start == m_end && !fill(error))
                return false;
            const qint64 n = std::min(length, m_end - m_start);
            if (!take(m_buffer->data() + m_start, n))
                return false;
            m_start += n;
            m_position += n;
            length -= n;
        }
        return true;
    }

private:
    static constexpr qint64 kReadBuffer = 1 << 20;
    bool fill(QString *error)
    {
        for (;;) {
            const ssize_t n = ::read(m_fd, m_buffer->data(), size_t(std::min(kReadBuffer, m_size - m_position)));
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                return fail(error,
                    n < 0 ? reasonText(QT_TRANSLATE_NOOP("Reason", "cannot read the file: %1"))
                                .arg(qt_error_string(errno))
                          : reasonText(
                              QT_TRANSLATE_NOOP("Reason", "the file is truncated (it ends before the end chunk)")));
            m_start = 0;
            m_end = n;
            return true;
        }
    }
    int m_fd;
    qint64 m_size;
    qint64 m_position = 0;
    std::vector<char> *m_buffer = nullptr;
    qint64 m_start = 0;
    qint64 m_end = 0;
};

// Reads a large file chunk by chunk: every chunk is held but the image data, whose payloads
// pass through their CRC and, when given, the check. A failed check is recorded in
// *checkFailure (it is reported after the header was judged); other failures return false.
bool readHoldingAllButImageData(int fd, const struct stat &st, ImageDataCheck *check, std::shared_ptr<SourceFile> *file,
    std::vector<PngChunk> &chunks, QString *checkFailure, QString *error)
{
    const qint64 size = st.st_size;
    SequentialReader in(fd, size);
    QByteArray held;
    std::vector<SourceFile::Run> runs;
    qint64 runStart = 0;
    char signature[8];
    if (size < 8 || !in.read(signature, 8, nullptr) || QByteArray::fromRawData(signature, 8) != PngSignature)
        return fail(error, reasonText(QT_TRANSLATE_NOOP("Reason", "not a PNG file (the PNG signature is missing)")));
    held.append(signature, 8);
    PngChunkSequence sequence;
    bool checking = check != nullptr;
    while (!sequence.ended()) {
        const qint64 pos = in.position();
        char header[8];
        const bool whole = size - pos >= 12;
        if (whole && !in.read(header, 8, error))
            return false;
        PngChunk c;
        if (!sequence.next(whole ? header : nullptr, pos, size, c, error))
            return false;
        held.append(header, 8);
        quint32 crc = pngCrcUpdate(0, header + 4, 4);
        if (c.type == "IDAT") {
            runs.push_back({ runStart, c.offset - runStart });
            runStart = c.offset + c.length;
            const bool ok = in.pass(c.length, error, [&](const char *data, qint64 n) {
                crc = pngCrcUpdate(crc, data, size_t(n));
                if (checking && !check->feed(data, size_t(n), checkFailure))
                    checking = false;
                return true;
            });
            if (!ok)
                return false;
        } else {
            const qsizetype at = held.size();
            held.resize(at + qsizetype(c.length));
            if (!in.read(held.data() + at, c.length, error))
                return false;
            crc = pngCrcUpdate(crc, held.constData() + at, c.length);
        }
        char stored[4];
        if (!in.read(stored, 4, error))
            return false;
        held.append(stored, 4);
        c.crcOk = qFromBigEndian<quint32>(stored) == crc;
        chunks.push_back(c);
        if (chunks.size() > kMaxChunks)
            return fail(error,
                reasonText(QT_TRANSLATE_NOOP("Reason", "the file holds too many chunks (%1)")).arg(chunks.size()));
    }
    if (!sequence.finish(error))
        return false;
    if (checking && !check->finish(checkFailure))
        checking = false;
    runs.push_back({ runStart, in.position() - runStart });
    *file = std::make_shared<SourceFile>(fd, st, std::move(held), std::move(runs));
    return true;
}

// Closes a descriptor on every way out, unless it was handed on.
struct OpenFile
{
    int fd = -1;
    ~OpenFile()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

// A file's bytes as read, before the record is made of them: the bytes (held whole or in
// part), their chunks and, for a file read in part, the image data check made as they came.
struct ReadBytes
{
    std::shared_ptr<SourceFile> file;
    std::vector<PngChunk> chunks;
    // Set when the image data were checked as they were read (null: they are checked whole).
    std::unique_ptr<ImageDataCheck> check;
    QString checkFailure;
};

// Holds every byte of a file: its chunks scanned.
bool holdWhole(QByteArray bytes, ReadBytes &out, QString *error)
{
    if (bytes.size() < 8 || png_sig_cmp(reinterpret_cast<png_const_bytep>(bytes.constData()), 0, 8) != 0)
        return fail(error, reasonText(QT_TRANSLATE_NOOP("Reason", "not a PNG file (the PNG signature is missing)")));
    QString reason;
    if (!scanPngChunks(bytes, out.chunks, &reason))
        return fail(error, reason);
    if (out.chunks.size() > kMaxChunks)
        return fail(error,
            reasonText(QT_TRANSLATE_NOOP("Reason", "the file holds too many chunks (%1)")).arg(out.chunks.size()));
    out.file = std::make_shared<SourceFile>(std::move(bytes));
    return true;
}

// Reads the file at path: whole, or (a large file read without decoding) chunk by chunk.
bool readFile(const QString &path, const PNGReadOptions &options, ReadBytes &out, QString *error)
{
    struct stat st;
    OpenFile opened;
    opened.fd = openRegularFile(path, options.maxFileSize, &st, error);
    if (opened.fd < 0)
        return false;
    if (!options.decodeImage && st.st_size >= options.holdWholeBelow) {
        // The header's values, read ahead: the check starts with the image data. (The chunk
        // scan and the library judge the header itself.)
        if (options.checkImageData) {
            char head[8 + 8 + 13];
            if (::pread(opened.fd, head, sizeof head, 0) != qint64(sizeof head))
                return fail(error,
                    reasonText(QT_TRANSLATE_NOOP("Reason", "the file is truncated (it ends before the end chunk)")));
            out.check = std::make_unique<ImageDataCheck>(qFromBigEndian<quint32>(head + 16),
                qFromBigEndian<quint32>(head + 20), uchar(head[24]), uchar(head[25]), uchar(head[28]));
        }
        if (!readHoldingAllButImageData(
                opened.fd, st, out.check.get(), &out.file, out.chunks, &out.checkFailure, error))
            return false;
        opened.fd = -1; // the source file holds it now
        return true;
    }
    QByteArray bytes;
    return readOpenFile(opened.fd, st, options.maxFileSize, &bytes, error) && holdWhole(std::move(bytes), out, error);
}

// Makes the record, rows and comments of a file's bytes (empty before); leaves the clean-up
// after a failure to the caller.
bool readPng(
    ReadBytes &bytes, PNGinfo &info, PNGRows &rows, CommentList &read, const PNGReadOptions &options, QString *error)
{
    auto &[file, chunks, check, checkFailure] = bytes;
    for (const PngChunk &c : chunks) {
        if (!c.crcOk && c.isCritical())
            return fail(error,
                reasonText(QT_TRANSLATE_NOOP("Reason", "the %1 chunk is damaged (CRC error)"))
                    .arg(QString::fromLatin1(c.type)));
    }

    // The library reads the chunks up to the image data (all of it when it decodes).
    qint64 libraryBytes = file->size();
    for (const PngChunk &c : chunks) {
        if (c.type == "IDAT" && !options.decodeImage) {
            libraryBytes = c.offset;
            break;
        }
    }
    const char *prefix = file->held(0, libraryBytes);
    if (!prefix)
        return fail(error, reasonText(QT_TRANSLATE_NOOP("Reason", "the file is truncated")));
    if (!runLibrary(prefix, libraryBytes, chunks, options, info, rows, error))
        return false;
    if (!options.decodeImage && options.checkImageData) {
        if (!check) {
            check = std::make_unique<ImageDataCheck>(
                info.width, info.height, info.bit_depth, info.colourType, info.interlace_method);
            const char *whole = file->held(0, file->size());
            (void)check->check(QByteArray::fromRawData(whole, qsizetype(file->size())), chunks, &checkFailure);
        }
        if (!checkFailure.isEmpty())
            return fail(error, checkFailure);
    }

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
        const char *payload = file->held(c.offset, c.length);
        if (t == "tEXt" || t == "zTXt" || t == "iTXt") {
            if (!c.crcOk)
                continue;
            TextChunkStatus status;
            if (auto comment = commentFromTextChunk(payload, c, textBudget, &status)) {
                source->origins[i] = comment->origin();
                read.append(comment);
            } else if (status == TextChunkStatus::TooLarge) {
                return fail(error,
                    reasonText(QT_TRANSLATE_NOOP("Reason", "the text entries are too large (more than %1 MiB in all)"))
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
        kept.data = QByteArray(payload, qsizetype(c.length));
        kept.location = c.position == PngChunk::AfterIDAT ? PngUnknownChunk::AfterIDAT
            : (c.seenPLTE || t == "PLTE")                 ? PngUnknownChunk::BeforeIDAT
                                                          : PngUnknownChunk::BeforePLTE;
        // A chunk standing before PLTE stays before it; PLTE itself is written with them.
        if (t == "PLTE")
            kept.location = PngUnknownChunk::BeforePLTE;
        info.unknowns.push_back(std::move(kept));
    }
    source->file = std::move(file);
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
        TextChunkStatus status;
        try {
            if (CommentPtr comment = commentFromTextChunk(bytes.constData() + c.offset, c, budget, &status))
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
        return fail(error, reasonText(QT_TRANSLATE_NOOP("Reason", "the image was not read from a file")));
    PNGinfo scratch;
    PNGReadOptions options;
    options.memoryLimit = std::numeric_limits<quint64>::max();
    bool ok = false;
    try {
        QByteArray bytes;
        ok = source->file->readAll(&bytes, error)
            && runLibrary(bytes.constData(), bytes.size(), source->chunks, options, scratch, decoded, error);
    } catch (const std::bad_alloc &) {
        ok = fail(error, reasonText(QT_TRANSLATE_NOOP("Reason", "not enough memory to decode the image")));
    }
    if (!ok || decoded.height() != rows.height() || decoded.rowBytes() != rows.rowBytes()) {
        decoded.clear();
        return ok ? fail(error, reasonText(QT_TRANSLATE_NOOP("Reason", "the image does not match its file"))) : false;
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
        ReadBytes bytes;
        if (given && given->size() > options.maxFileSize)
            ok = fail(
                error, reasonText(QT_TRANSLATE_NOOP("Reason", "the file is too large (%1 bytes)")).arg(given->size()));
        else
            ok = (given ? holdWhole(*given, bytes, error) : readFile(info.path, options, bytes, error))
                && readPng(bytes, info, rows, read, options, error);
    } catch (const std::bad_alloc &) {
        ok = fail(error, reasonText(QT_TRANSLATE_NOOP("Reason", "not enough memory to read the file")));
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
