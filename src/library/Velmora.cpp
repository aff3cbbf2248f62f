// libvelmora: the public API (include/velmora/velmora.h) over the core. Everything here
// converts: standard types in, Qt types to the core, reasons out as velmora::Error.
#include <velmora/velmora.h>

#include "core/ImageSummary.h"
#include "core/PNGChunks.h"
#include "core/PNGFile.h"
#include "core/PNGReader.h"
#include "core/RegularFile.h"
#include "core/TextEntryEdit.h"
#include "provenance/StripPlan.h"

#include <QFile>
#include <QStringDecoder>

#include <new>

namespace velmora {

namespace {

    std::string whatOf(const std::string &reason, const std::filesystem::path &file)
    {
        return file.empty() ? reason : file.string() + ": " + reason;
    }

    // A file name as the core takes it; refused when it is not UTF-8 (it could not be found again).
    QString filePath(const std::filesystem::path &file)
    {
        const QString path = QFile::decodeName(QByteArray::fromStdString(file.native()));
        if (QFile::encodeName(path).toStdString() != file.native())
            throw Error("the file name is not valid UTF-8", file);
        return path;
    }

    QString text(const std::string &utf8, const char *what)
    {
        QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        QString decoded = decoder.decode(QByteArrayView(utf8.data(), qsizetype(utf8.size())));
        if (decoder.hasError())
            throw Error(std::string(what) + " is not valid UTF-8");
        return decoded.isNull() ? QStringLiteral("") : decoded;
    }

    QStringList texts(const std::vector<std::string> &utf8, const char *what)
    {
        QStringList list;
        for (const std::string &s : utf8)
            list.append(text(s, what));
        return list;
    }

    // The bytes of png, not copied: the core keeps them only while a call runs.
    QByteArray bytesOf(std::span<const std::byte> png)
    {
        return QByteArray::fromRawData(reinterpret_cast<const char *>(png.data()), qsizetype(png.size()));
    }

    std::vector<std::byte> bytesFrom(const QByteArray &bytes)
    {
        const auto *begin = reinterpret_cast<const std::byte *>(bytes.constData());
        return { begin, begin + bytes.size() };
    }

    // Where a call reads from and writes to: a file, or bytes in memory.
    struct Source
    {
        const std::filesystem::path *file = nullptr;
        std::span<const std::byte> png;

        std::filesystem::path name() const { return file ? *file : std::filesystem::path(); }
        [[noreturn]] void fail(const QString &reason) const { throw Error(reason.toStdString(), name()); }

        PNGFile read(PNGFile::Pixels pixels) const
        {
            PNGFile opened;
            QString error;
            const bool ok = file ? opened.read(filePath(*file), pixels, &error)
                                 : opened.readBytes(bytesOf(png), QString(), pixels, &error);
            if (!ok)
                fail(error);
            return opened;
        }
        QByteArray bytes() const
        {
            if (!file)
                return bytesOf(png);
            QByteArray read;
            QString error;
            if (!readRegularFile(filePath(*file), PNGReadOptions().maxFileSize, &read, &error))
                fail(error);
            return read;
        }
        // Saves the file in place, or returns the new bytes.
        std::vector<std::byte> save(PNGFile &opened, bool recompress) const
        {
            QString error;
            if (file) {
                if (!opened.save(recompress, &error))
                    fail(error);
                return {};
            }
            QByteArray out;
            if (!opened.encode(recompress, &out, &error))
                fail(error);
            return bytesFrom(out);
        }
    };

    // Runs an operation, turning a failure to allocate into an Error like any other.
    template <typename Operation> auto guarded(const Source &source, Operation operation)
    {
        try {
            return operation();
        } catch (const std::bad_alloc &) {
            throw Error("not enough memory", source.name());
        }
    }

    std::vector<Entry> entriesOf(const Source &source)
    {
        return guarded(source, [&] {
            const PNGFile opened = source.read(PNGFile::Pixels::Skip);
            std::vector<Entry> entries;
            entries.reserve(size_t(opened.comments.size()));
            for (const CommentPtr &c : opened.comments)
                entries.push_back({ c->keyword().toStdString(), c->text().toStdString() });
            return entries;
        });
    }

    std::vector<std::byte> updated(const Source &source, const Changes &changes)
    {
        return guarded(source, [&] {
            TextEntryEdit edit;
            edit.clear = changes.clear;
            edit.remove = texts(changes.remove, "a keyword to remove");
            for (const Entry &e : changes.set)
                edit.set.append({ text(e.keyword, "a keyword"), text(e.text, "a text") });
            edit.replace = changes.replace;
            edit.expandMacros = changes.expandMacros;
            PNGFile opened = source.read(PNGFile::Pixels::Decode);
            QString error;
            if (!edit.apply(opened.comments, opened.info, &error))
                source.fail(error);
            return source.save(opened, changes.recompress);
        });
    }

    std::vector<std::byte> stripped(
        const Source &source, const std::vector<std::string> &keep, bool dryRun, std::vector<Removed> *removed)
    {
        return guarded(source, [&] {
            const QStringList kept = texts(keep, "a keyword to keep");
            // Only a file that will be written is decoded (its image data checked).
            PNGFile opened = source.read(dryRun ? PNGFile::Pixels::Skip : PNGFile::Pixels::Decode);
            StripRules rules;
            rules.keepKeywords = kept;
            const StripPlan plan = StripPlan::applyTo(opened, rules);
            if (removed) {
                removed->clear();
                for (const StripItem &item : plan.items) {
                    if (item.chosen)
                        removed->push_back({ item.type.toStdString(), item.keyword.toStdString(), quint64(item.size) });
                }
            }
            if (dryRun)
                return std::vector<std::byte>();
            if (!plan.removesAnything())
                return source.file ? std::vector<std::byte>()
                                   : std::vector<std::byte>(source.png.begin(), source.png.end());
            return source.save(opened, false);
        });
    }

    Summary summaryOf(const Source &source)
    {
        return guarded(source, [&] {
            const PNGFile opened = source.read(PNGFile::Pixels::Skip);
            const PNGinfo &info = opened.info;
            Summary s;
            s.width = info.width;
            s.height = info.height;
            s.bitDepth = info.bit_depth;
            s.colourType = info.colourType;
            s.colourFormat = colourTypeKey(info.colourType);
            s.interlaced = info.interlace_method != 0;
            const ImageSummary::Physical physical = ImageSummary::physicalSize(info);
            s.physicalSizeKnown = physical.known;
            s.widthMM = physical.widthMM;
            s.heightMM = physical.heightMM;
            s.widthInches = physical.widthInch;
            s.heightInches = physical.heightInch;
            for (const QString &line : ImageSummary::forImage(info).lines())
                s.lines.push_back(line.toStdString());
            return s;
        });
    }

    std::vector<Chunk> chunksOf(const Source &source)
    {
        return guarded(source, [&] {
            std::vector<PngChunk> found;
            QString error;
            if (!scanPngChunks(source.bytes(), found, &error))
                source.fail(error);
            std::vector<Chunk> list;
            list.reserve(found.size());
            for (const PngChunk &c : found) {
                const auto position = c.position == PngChunk::BeforeIDAT ? Chunk::Position::BeforeImageData
                    : c.position == PngChunk::IDAT                       ? Chunk::Position::ImageData
                                                                         : Chunk::Position::AfterImageData;
                list.push_back({ c.type.toStdString(), c.length, quint64(c.offset - 8), position, c.crcOk });
            }
            return list;
        });
    }

} // namespace

Error::Error(const std::string &reason, const std::filesystem::path &file)
    : std::runtime_error(whatOf(reason, file))
    , m_reason(reason)
    , m_file(file)
{
}

Error::~Error() = default;

std::vector<Entry> readEntries(const std::filesystem::path &file)
{
    return entriesOf({ &file, {} });
}

std::vector<Entry> readEntries(std::span<const std::byte> png)
{
    return entriesOf({ nullptr, png });
}

void update(const std::filesystem::path &file, const Changes &changes)
{
    updated({ &file, {} }, changes);
}

std::vector<std::byte> update(std::span<const std::byte> png, const Changes &changes)
{
    return updated({ nullptr, png }, changes);
}

std::vector<Removed> strip(const std::filesystem::path &file, const std::vector<std::string> &keep, bool dryRun)
{
    std::vector<Removed> removed;
    stripped({ &file, {} }, keep, dryRun, &removed);
    return removed;
}

std::vector<std::byte> strip(
    std::span<const std::byte> png, const std::vector<std::string> &keep, std::vector<Removed> *removed)
{
    return stripped({ nullptr, png }, keep, false, removed);
}

Summary summary(const std::filesystem::path &file)
{
    return summaryOf({ &file, {} });
}

Summary summary(std::span<const std::byte> png)
{
    return summaryOf({ nullptr, png });
}

std::vector<Chunk> chunks(const std::filesystem::path &file)
{
    return chunksOf({ &file, {} });
}

std::vector<Chunk> chunks(std::span<const std::byte> png)
{
    return chunksOf({ nullptr, png });
}

std::string version()
{
    return VELMORA_VERSION;
}

} // namespace velmora
