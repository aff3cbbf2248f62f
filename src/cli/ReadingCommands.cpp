// info, list, chunks and generation: reading only. None of them decodes the pixels.
#include "cli/CliCommand.h"
#include "cli/CliContext.h"
#include "cli/CliOptions.h"
#include "core/ImageSummary.h"
#include "core/PNGChunks.h"
#include "core/PNGReader.h"
#include "provenance/ChunkDescription.h"
#include "provenance/GenerationRecord.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace {

// One line of plain text: a backslash doubled, line breaks, tabs and NUL as \n, \r, \t and
// \0, every other control character as \xNN.
QString escapedLine(const QString &text)
{
    QString s;
    s.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\':
            s += QStringLiteral("\\\\");
            break;
        case u'\n':
            s += QStringLiteral("\\n");
            break;
        case u'\r':
            s += QStringLiteral("\\r");
            break;
        case u'\t':
            s += QStringLiteral("\\t");
            break;
        case 0:
            s += QStringLiteral("\\0");
            break;
        default:
            if (c.category() == QChar::Other_Control)
                s += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
            else
                s += c;
        }
    }
    return s;
}

QJsonValue jsonString(const QString &s)
{
    return s.isNull() ? QJsonValue() : QJsonValue(s);
}

int info(CliContext &ctx, const CliOptions &options)
{
    const QStringList &paths = options.operands();
    if (paths.isEmpty())
        return ctx.usage(QStringLiteral("info"), QStringLiteral("no file given"));
    int status = CliStatus::Ok;
    for (const QString &path : paths) {
        CliFile file;
        if (!ctx.load(path, file, CliContext::Pixels::Skip)) {
            status = CliStatus::Failed;
            continue;
        }
        ctx.out << path << ":\n";
        for (const QString &line : ImageSummary::forImage(file.info).lines())
            ctx.out << "  " << line << "\n";
    }
    return status;
}

int list(CliContext &ctx, const CliOptions &options)
{
    const bool json = options.isSet(QStringLiteral("--json"));
    const QStringList &paths = options.operands();
    if (paths.isEmpty())
        return ctx.usage(QStringLiteral("list"), QStringLiteral("no file given"));
    int status = CliStatus::Ok;
    QJsonArray files;
    for (const QString &path : paths) {
        CliFile file;
        if (!ctx.load(path, file, CliContext::Pixels::Skip)) {
            // A damaged file (the reason is printed): the entries before the damage.
            QByteArray bytes;
            status = CliStatus::Failed;
            if (path == u"-" || !ctx.readBytes(path, &bytes))
                continue;
            file.comments = textBeforeDamage(bytes);
        }
        if (json) {
            QJsonArray comments;
            for (const CommentPtr &c : file.comments) {
                QJsonObject o;
                o.insert(QStringLiteral("keyword"), jsonString(c->keyword()));
                o.insert(QStringLiteral("text"), jsonString(c->text()));
                comments.append(o);
            }
            QJsonObject entry;
            entry.insert(QStringLiteral("file"), path);
            entry.insert(QStringLiteral("comments"), comments);
            files.append(entry);
            continue;
        }
        if (paths.size() > 1)
            ctx.out << "==> " << path << " <==\n";
        for (const CommentPtr &c : file.comments)
            ctx.out << escapedLine(c->keyword()) << "\t" << escapedLine(c->exportText()) << "\n";
    }
    if (json)
        ctx.out << QString::fromUtf8(QJsonDocument(files).toJson(QJsonDocument::Indented));
    return status;
}

int chunks(CliContext &ctx, const CliOptions &options)
{
    const bool json = options.isSet(QStringLiteral("--json"));
    const QStringList &paths = options.operands();
    if (paths.isEmpty())
        return ctx.usage(QStringLiteral("chunks"), QStringLiteral("no file given"));
    int status = CliStatus::Ok;
    QJsonArray files;
    for (const QString &path : paths) {
        QByteArray bytes;
        if (!ctx.readBytes(path, &bytes)) {
            status = CliStatus::Failed;
            continue;
        }
        QString error;
        std::vector<PngChunk> chunks;
        const bool ok = scanPngChunks(bytes, chunks, &error);
        if (json) {
            QJsonObject entry;
            entry.insert(QStringLiteral("file"), path);
            entry.insert(QStringLiteral("chunks"), ChunkDescription::toJson(ChunkDescription::describe(bytes, chunks)));
            if (!ok)
                entry.insert(QStringLiteral("error"), error);
            files.append(entry);
        } else {
            if (paths.size() > 1)
                ctx.out << "==> " << path << " <==\n";
            for (const PngChunk &c : chunks) {
                const char *where = c.position == PngChunk::BeforeIDAT ? "before-IDAT"
                    : c.position == PngChunk::IDAT                     ? "IDAT"
                                                                       : "after-IDAT";
                ctx.out << QString::fromLatin1(c.type) << "\t" << c.length << "\t" << where << "\t"
                        << (c.crcOk ? "crc-ok" : "crc-BAD") << "\n";
            }
        }
        if (!ok) {
            ctx.fileFailed(path, error);
            status = CliStatus::Failed;
        }
    }
    if (json)
        ctx.out << QString::fromUtf8(QJsonDocument(files).toJson(QJsonDocument::Indented));
    return status;
}

int generation(CliContext &ctx, const CliOptions &options)
{
    const bool json = options.isSet(QStringLiteral("--json"));
    const QStringList &paths = options.operands();
    if (paths.isEmpty())
        return ctx.usage(QStringLiteral("generation"), QStringLiteral("no file given"));
    int status = CliStatus::Ok;
    QJsonArray records;
    for (const QString &path : paths) {
        CliFile file;
        if (!ctx.load(path, file, CliContext::Pixels::Skip)) {
            status = CliStatus::Failed;
            continue;
        }
        const QList<GenerationRecord> found = GenerationRecord::fromEntries(file.comments);
        if (json) {
            for (const GenerationRecord &r : found) {
                QJsonObject o = r.toJson();
                o.insert(QStringLiteral("file"), path);
                records.append(o);
            }
            continue;
        }
        if (found.isEmpty())
            ctx.out << path << ": no generation settings\n";
        for (const GenerationRecord &r : found) {
            ctx.out << path << ": " << r.generator << " (entry \"" << r.keyword << "\""
                    << (r.node.isEmpty() ? QString() : QStringLiteral(", node ") + r.node) << ")\n";
            for (const auto &[label, value] : r.labelledFields()) {
                if (label != u"Generator" && label != u"Entry" && label != u"Node")
                    ctx.out << "  " << label << ": " << escapedLine(value) << "\n";
            }
        }
    }
    if (json)
        ctx.out << QString::fromUtf8(QJsonDocument(records).toJson(QJsonDocument::Indented));
    return status;
}

} // namespace

QList<CliCommand> readingCommands()
{
    return {
        { QStringLiteral("info"), QStringLiteral("FILE..."),
            QStringLiteral("Size, bit depth, colour format, interlace and physical size.\n"
                           "Reads the chunks only: the pixels are not decoded."),
            {}, {}, {}, info },
        { QStringLiteral("list"), QStringLiteral("[--json] FILE..."),
            QStringLiteral("The text entries in file order, one per line as\n"
                           "KEYWORD<TAB>TEXT (line breaks shown as \\n, tabs as \\t, NUL as\n"
                           "\\0, other control characters as \\xNN, backslashes as \\\\).\n"
                           "With --json: one array with an object per file, texts exact,\n"
                           "{\"file\": ..., \"comments\": [{\"keyword\": ..., \"text\": ...}]}."),
            QStringLiteral("  --json                        JSON instead of lines (an absent text as null).\n"),
            { QStringLiteral("--json") }, {}, list },
        { QStringLiteral("chunks"), QStringLiteral("[--json] FILE..."),
            QStringLiteral("Every chunk: type, length, position relative to the image\n"
                           "data, and whether its CRC is right. With --json: one array\n"
                           "with an object per file, {\"file\": ..., \"chunks\": [...]}, each\n"
                           "chunk with its type, offset (where it starts in the file),\n"
                           "length, crc_ok, critical, safe_to_copy, a summary of what it\n"
                           "means (image header, dpi, dates, colour values, frames, Exif\n"
                           "camera and GPS position, XMP properties, generation settings)\n"
                           "and, where it holds more, details [{\"name\": ..., \"value\": ...}]."),
            QStringLiteral("  --json                        JSON with a summary of every chunk.\n"),
            { QStringLiteral("--json") }, {}, chunks },
        { QStringLiteral("generation"), QStringLiteral("[--json] FILE..."),
            QStringLiteral("The settings an image generator stored in the file: one\n"
                           "record per sampler with generator, prompt, negative prompt,\n"
                           "seed, steps, sampler, scheduler, CFG scale, model and its\n"
                           "hash, size and the other settings. Read from the entries\n"
                           "parameters (A1111-style), prompt and workflow (ComfyUI),\n"
                           "Comment (NovelAI) and invokeai_metadata (InvokeAI); other\n"
                           "entries, and malformed ones, give no record. With --json:\n"
                           "one array of records for all files, each {\"file\": ...,\n"
                           "\"generator\": ..., \"keyword\": ..., \"prompt\": ..., ...,\n"
                           "\"extra\": {...}}, values as text, unset fields left out."),
            QStringLiteral("  --json                        One JSON array of records.\n"),
            { QStringLiteral("--json") }, {}, generation },
    };
}
