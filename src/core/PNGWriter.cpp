#include "core/PNGWriter.h"
#include "core/Strings.h"

#include "core/ByteSink.h"
#include "core/PNGChunks.h"
#include "core/PNGRecordWriter.h"
#include "core/PNGSource.h"
#include "core/SafeFile.h"
#include "core/SourceFile.h"

#include <QHash>
#include <QLoggingCategory>
#include <QtEndian>

#include <algorithm>
#include <cstring>
#include <new>

Q_LOGGING_CATEGORY(lcPngWrite, "velmora.png.write")

namespace {

bool fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

// Why the record cannot be written as it stands, or an empty string. Sizes that the library
// would trust are checked against each other here, so that no inconsistent record can make
// it read past a buffer.
QString inconsistency(const PNGinfo &info, const PNGRows &rows)
{
    if (!info.hasImage())
        return reasonText(QT_TRANSLATE_NOOP("Reason", "there is no image to write (the file was not read)"));
    if (!rows.hasOriginalImageData() && !rows.hasPixels())
        return reasonText(QT_TRANSLATE_NOOP("Reason", "there is no image data to write"));
    static const int channels[] = { 1, 0, 3, 1, 2, 0, 4 };
    const int colour = info.colourType;
    if (colour < 0 || colour > 6 || channels[colour] == 0 || info.bit_depth < 1 || info.bit_depth > 16)
        return reasonText(QT_TRANSLATE_NOOP("Reason", "the image header is not valid"));
    const quint64 bits = quint64(info.width) * quint64(channels[colour]) * quint64(info.bit_depth);
    if (info.bytesPerRow < 0 || quint64(info.bytesPerRow) != (bits + 7) / 8)
        return reasonText(QT_TRANSLATE_NOOP("Reason", "the row size does not match the image header"));
    if (rows.hasPixels() && (rows.height() != info.height || rows.rowBytes() != size_t(info.bytesPerRow)))
        return reasonText(QT_TRANSLATE_NOOP("Reason", "the image rows do not match the image header"));
    if (colour == 3) {
        const size_t entries = info.paletteData.size();
        if (entries == 0 || entries > 256)
            return reasonText(QT_TRANSLATE_NOOP("Reason", "the palette is missing or too long"));
        if (size_t(info.transparencyTable.size()) > entries)
            return reasonText(QT_TRANSLATE_NOOP("Reason", "the transparency table is longer than the palette"));
        if (!info.hIST.empty() && info.hIST.size() != entries)
            return reasonText(QT_TRANSLATE_NOOP("Reason", "the histogram does not match the palette"));
    }
    if (quint64(info.profileData.size()) > 0x7fffffffu)
        return reasonText(QT_TRANSLATE_NOOP("Reason", "the colour profile is too large"));
    for (const PngUnknownChunk &u : info.unknowns) {
        if (quint64(u.data.size()) > 0x7fffffffu)
            return reasonText(QT_TRANSLATE_NOOP("Reason", "a carried-over chunk is too large"));
    }
    return QString();
}

// Whether the image data read with the rows still fits the record's header: the same size and
// sample format, the same interlace.
bool fitsOriginalImageData(const PNGinfo &info, const PNGRows &rows)
{
    const PNGSource *source = rows.source();
    if (!source)
        return false;
    const PNGinfo &read = source->info;
    return info.width == read.width && info.height == read.height && info.bit_depth == read.bit_depth
        && info.colourType == read.colourType && info.interlace_method == read.interlace_method
        && info.compression_method == read.compression_method && info.filter_method == read.filter_method;
}

// The image data must be encoded anew: asked for, the rows changed since they were read, or
// the header no longer describes the data read.
bool reencodes(const PNGinfo &info, const PNGRows &rows, const PNGWriteOptions &options)
{
    return options.recompress || !rows.hasOriginalImageData() || !fitsOriginalImageData(info, rows);
}

// Why nothing can be written, or an empty string: everything checked before a file is made.
QString refusal(const PNGinfo &info, const PNGRows &rows, const CommentList &comments, const PNGWriteOptions &options)
{
    QString wrong = inconsistency(info, rows);
    if (!wrong.isEmpty())
        return wrong;
    if (reencodes(info, rows, options) && !rows.hasPixels())
        return reasonText(
            QT_TRANSLATE_NOOP("Reason", "the image must be decoded before its data can be encoded again"));
    for (const CommentPtr &comment : comments) {
        if (!comment)
            continue;
        wrong = whyUnwritable(*comment);
        if (!wrong.isEmpty())
            return reasonText(QT_TRANSLATE_NOOP("Reason", "cannot write the entry: %1")).arg(wrong);
    }
    return QString();
}

// A whole chunk: length, type, payload, CRC.
QByteArray chunkBytes(const QByteArray &type, const QByteArray &data)
{
    QByteArray out(qsizetype(12) + data.size(), Qt::Uninitialized);
    qToBigEndian(quint32(data.size()), out.data());
    std::copy(type.begin(), type.begin() + 4, out.begin() + 4);
    std::copy(data.begin(), data.end(), out.begin() + 8);
    qToBigEndian(pngChunkCrc(type.constData(), data.constData(), size_t(data.size())), out.data() + 8 + data.size());
    return out;
}

// A file as chunks, to splice the text entries into: the file that was read, or the one the
// PNG library made from the record.
struct Base
{
    const SourceFile &bytes;
    const std::vector<PngChunk> &chunks;
    // The origin of the comment read from each chunk; empty for a file made from the record.
    const std::vector<std::shared_ptr<const TextChunkOrigin>> &origins;
    bool isComment(size_t i) const { return i < origins.size() && origins[i]; }
};

// One text entry of the new file.
struct Entry
{
    QByteArray chunk; // the whole chunk
    qsizetype sourceIndex = -1; // the base chunk it was read from (changed since or not)
    bool afterImageData = false; // unchanged, from after the image data: may stay there
    bool anchored = false; // stands in the place of that chunk
    size_t slot = 0; // written at the place of this base chunk
};

// Marks, among the entries at positions (in list order) with a source index, the longest
// run whose source indices increase: those keep their places, the others move.
void anchorLongestIncreasingRun(std::vector<Entry> &entries, const std::vector<size_t> &positions)
{
    // Patience sorting: tailOf[k] ends the best run of length k + 1 found so far (an index
    // into positions), previous links each to the one before it in its run.
    std::vector<qsizetype> previous(positions.size(), -1);
    std::vector<size_t> tailOf;
    for (size_t i = 0; i < positions.size(); ++i) {
        const qsizetype key = entries[positions[i]].sourceIndex;
        const auto it = std::lower_bound(tailOf.begin(), tailOf.end(), key,
            [&](size_t j, qsizetype k) { return entries[positions[j]].sourceIndex < k; });
        const size_t length = size_t(it - tailOf.begin());
        previous[i] = length > 0 ? qsizetype(tailOf[length - 1]) : -1;
        if (it == tailOf.end())
            tailOf.push_back(i);
        else
            *it = i;
    }
    for (qsizetype i = tailOf.empty() ? -1 : qsizetype(tailOf.back()); i >= 0; i = previous[size_t(i)])
        entries[positions[size_t(i)]].anchored = true;
}

// Gives each entry the base chunk it is written at. Entries of one part (before or after the
// image data) in list order: an anchored one at the place of the chunk it was read from,
// any other after the anchored one before it, or at the part's start.
void placeEntries(std::vector<Entry> &entries, const Base &base)
{
    size_t firstIdat = 0, iend = base.chunks.size() - 1;
    qsizetype firstCommentBefore = -1, firstCommentAfter = -1;
    for (size_t i = base.chunks.size(); i-- > 0;) {
        const PngChunk &c = base.chunks[i];
        if (c.type == "IDAT")
            firstIdat = i;
        if (c.type == "IEND")
            iend = i;
        if (base.isComment(i))
            (c.position == PngChunk::AfterIDAT ? firstCommentAfter : firstCommentBefore) = qsizetype(i);
    }

    // The end of the list that was read from after the image data, unchanged, stays there.
    size_t split = entries.size();
    while (split > 0 && entries[split - 1].afterImageData)
        --split;
    for (size_t i = 0; i < split; ++i)
        entries[i].afterImageData = false;

    for (const bool after : { false, true }) {
        std::vector<size_t> candidates;
        for (size_t i = 0; i < entries.size(); ++i) {
            const Entry &e = entries[i];
            if (e.afterImageData == after && e.sourceIndex >= 0
                && (base.chunks[size_t(e.sourceIndex)].position == PngChunk::AfterIDAT) == after)
                candidates.push_back(i);
        }
        anchorLongestIncreasingRun(entries, candidates);
        const qsizetype firstComment = after ? firstCommentAfter : firstCommentBefore;
        size_t slot = firstComment >= 0 ? size_t(firstComment) : (after ? iend : firstIdat);
        for (Entry &e : entries) {
            if (e.afterImageData != after)
                continue;
            if (e.anchored)
                slot = size_t(e.sourceIndex);
            e.slot = slot;
        }
    }
}

// Whether the options name the chunk (its type and payload) to be left out.
bool isLeftOut(const Base &base, const PngChunk &c, const PNGWriteOptions &options)
{
    if (c.isCritical())
        return false;
    return std::any_of(options.leftOutChunks.begin(), options.leftOutChunks.end(), [&](const auto &chunk) {
        if (chunk.first != c.type || chunk.second.size() != qsizetype(c.length))
            return false;
        if (const char *payload = base.bytes.held(c.offset, c.length))
            return std::memcmp(chunk.second.constData(), payload, c.length) == 0;
        QByteArray payload(qsizetype(c.length), Qt::Uninitialized);
        QString error;
        return base.bytes.read(c.offset, c.length, payload.data(), &error) && payload == chunk.second;
    });
}

// Writes a byte range of the base, joining ranges that follow each other into one write; what
// the base does not hold in memory is copied from its file.
class BaseWriter
{
public:
    BaseWriter(ByteSink &file, const SourceFile &bytes)
        : m_file(file)
        , m_bytes(bytes)
    {
    }
    bool range(qint64 start, qint64 size)
    {
        if (start == m_start + m_size) {
            m_size += size;
            return true;
        }
        if (!flush())
            return false;
        m_start = start;
        m_size = size;
        return true;
    }
    bool bytes(const QByteArray &data) { return flush() && m_file.write(data.constData(), data.size()); }
    bool flush()
    {
        // A range the base does not hold whole (the image data chunks) is copied from the file
        // in one piece: what the base holds of it (their lengths and CRCs) is the file's too.
        const char *held = m_bytes.held(m_start, m_size);
        const bool ok = m_size == 0 || (held ? m_file.write(held, m_size) : m_file.copyFrom(m_bytes, m_start, m_size));
        m_start = m_size = 0;
        return ok;
    }

private:
    ByteSink &m_file;
    const SourceFile &m_bytes;
    qint64 m_start = 0;
    qint64 m_size = 0;
};

// The whole new file: the base's chunks with the text entries in their places and, when
// given, newImageData (whole chunks) in place of the base's image data.
bool spliceInto(ByteSink &file, const Base &base, const CommentList &comments, const PNGWriteOptions &options,
    const QByteArray *newImageData)
{
    QHash<const TextChunkOrigin *, qsizetype> fromBase;
    for (size_t i = 0; i < base.origins.size(); ++i) {
        if (base.origins[i])
            fromBase.insert(base.origins[i].get(), qsizetype(i));
    }
    const bool compress = options.textCompression == PNGWriteOptions::TextCompression::BySize;
    std::vector<Entry> entries;
    entries.reserve(size_t(comments.size()));
    for (const CommentPtr &comment : comments) {
        if (!comment || !comment->isValid())
            continue;
        Entry e;
        const TextChunkOrigin *origin = comment->origin().get();
        if (origin)
            e.sourceIndex = fromBase.value(origin, -1);
        if (comment->isAsRead()) {
            e.chunk = chunkBytes(origin->type, origin->data);
            e.afterImageData = e.sourceIndex >= 0 && origin->afterImageData;
        } else {
            const EncodedTextChunk encoded = encodeTextChunk(*comment, compress);
            e.chunk = chunkBytes(encoded.type, encoded.data);
        }
        entries.push_back(std::move(e));
    }
    placeEntries(entries, base);
    std::vector<std::vector<const Entry *>> atSlot(base.chunks.size());
    for (const Entry &e : entries)
        atSlot[e.slot].push_back(&e);

    BaseWriter out(file, base.bytes);
    if (!out.range(0, 8)) // the signature
        return false;
    bool imageDataWritten = false;
    for (size_t i = 0; i < base.chunks.size(); ++i) {
        const PngChunk &c = base.chunks[i];
        for (const Entry *e : atSlot[i]) {
            if (!out.bytes(e->chunk))
                return false;
        }
        if (base.isComment(i) || (!c.crcOk && !c.isCritical()) || isLeftOut(base, c, options))
            continue;
        if (newImageData) {
            if (c.type == "IDAT") {
                if (!imageDataWritten && !out.bytes(*newImageData))
                    return false;
                imageDataWritten = true;
                continue;
            }
            // New image data: chunks that depend on the old one, unknown to us, must go.
            if (!c.isSafeToCopy() && !c.isCritical() && !isRegisteredChunk(c.type))
                continue;
        }
        if (!out.range(c.offset - 8, qint64(c.length) + 12))
            return false;
    }
    return out.flush();
}

// The image data chunks (whole, in one run) of the rows encoded anew by the PNG library.
bool encodedImageData(const PNGinfo &info, const PNGRows &rows, QByteArray *out, QString *error)
{
    // Only what encoding the pixels needs: the header and, for palette images, the palette.
    PNGinfo image;
    image.width = info.width;
    image.height = info.height;
    image.bytesPerRow = info.bytesPerRow;
    image.colourType = info.colourType;
    image.bit_depth = info.bit_depth;
    image.interlace_method = info.interlace_method;
    image.compression_method = info.compression_method;
    image.filter_method = info.filter_method;
    image.paletteData = info.paletteData;
    QByteArray encoded;
    if (!writeRecordPNG(image, rows, false, &encoded, error))
        return false;
    std::vector<PngChunk> chunks;
    if (!scanPngChunks(encoded, chunks, error))
        return false;
    qint64 start = -1, end = -1;
    for (const PngChunk &c : chunks) {
        if (c.type != "IDAT")
            continue;
        if (start < 0)
            start = c.offset - 8;
        end = c.offset + c.length + 4;
    }
    *out = encoded.mid(start, end - start);
    return true;
}

} // namespace

namespace {

// writePNG() once its refusals were checked.
bool writeChecked(ByteSink &file, const PNGinfo &info, const PNGRows &rows, const CommentList &comments,
    const PNGWriteOptions &options, QString *error)
{
    auto failed = [&](const QString &reason) {
        // A failed write says why in the file's own words.
        const QString written = file.errorString();
        file.cancel();
        return fail(error,
            written.isEmpty() ? reason
                              : reasonText(QT_TRANSLATE_NOOP("Reason", "cannot write the file: %1")).arg(written));
    };
    QString reason;
    const PNGSource *source = rows.source();
    if (source && source->describes(info)) {
        QByteArray imageData;
        const bool reencode = reencodes(info, rows, options);
        if (reencode && !encodedImageData(info, rows, &imageData, &reason))
            return failed(reason);
        const Base base { *source->file, source->chunks, source->origins };
        if (!spliceInto(file, base, comments, options, reencode ? &imageData : nullptr))
            return failed(QString());
        // What was copied from the file is what was read, unless it changed since.
        if (!source->file->unchanged(&reason))
            return failed(reason);
        return true;
    }

    // No file to splice into: the library writes one from the record.
    QByteArray made;
    if (!writeRecordPNG(info, rows, !reencodes(info, rows, options), &made, error))
        return false;
    std::vector<PngChunk> chunks;
    if (!scanPngChunks(made, chunks, error))
        return false;
    static const std::vector<std::shared_ptr<const TextChunkOrigin>> none;
    const SourceFile madeFile(made);
    if (!spliceInto(file, Base { madeFile, chunks, none }, comments, options, nullptr))
        return failed(QString());
    return true;
}

} // namespace

bool writePNG(ByteSink &file, const PNGinfo &info, const PNGRows &rows, const CommentList &comments,
    const PNGWriteOptions &options, QString *error)
{
    const QString wrong = refusal(info, rows, comments, options);
    if (!wrong.isEmpty()) {
        file.cancel();
        return fail(error, wrong);
    }
    return writeChecked(file, info, rows, comments, options, error);
}

bool savePNG(const QString &path, const PNGinfo &info, const PNGRows &rows, const CommentList &comments,
    const PNGWriteOptions &options, QString *error)
{
    try {
        // Refused before a file is made.
        const QString wrong = refusal(info, rows, comments, options);
        if (!wrong.isEmpty())
            return fail(error, wrong);
        AtomicFileWriter file(path);
        if (!file.open()) {
            qCWarning(lcPngWrite, "Failed to create output file");
            return fail(error, file.errorString());
        }
        if (!writeChecked(file, info, rows, comments, options, error))
            return false;
        if (!file.commit())
            return fail(
                error, reasonText(QT_TRANSLATE_NOOP("Reason", "cannot write the file: %1")).arg(file.errorString()));
        return true;
    } catch (const std::bad_alloc &) {
        return fail(error, reasonText(QT_TRANSLATE_NOOP("Reason", "not enough memory to write the file")));
    }
}

bool encodePNG(QByteArray *out, const PNGinfo &info, const PNGRows &rows, const CommentList &comments,
    const PNGWriteOptions &options, QString *error)
{
    try {
        const PNGSource *source = rows.source();
        MemorySink memory(source ? source->file->size() : 0);
        if (!writePNG(memory, info, rows, comments, options, error))
            return false;
        *out = memory.bytes();
        return true;
    } catch (const std::bad_alloc &) {
        return fail(error, reasonText(QT_TRANSLATE_NOOP("Reason", "not enough memory to write the file")));
    }
}
