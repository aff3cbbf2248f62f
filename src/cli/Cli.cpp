#include "cli/Cli.h"

#include "batch/BatchRun.h"
#include "batch/FileGathering.h"
#include "core/ImageSummary.h"
#include "core/PNGChunks.h"
#include "core/PNGReader.h"
#include "core/PNGWriter.h"
#include "core/RegularFile.h"
#include "core/TextMacros.h"
#include "interchange/CommentListAdapter.h"
#include "interchange/DelimitedTextFormat.h"
#include "interchange/VelmxFormat.h"
#include "presets/MetadataPresetManager.h"
#include "templates/TemplateApplication.h"
#include "templates/TemplateEditor.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <QThread>

#include <functional>

#include <unistd.h>

namespace {

constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

const char *const kUsageText = R"(Usage: velmora-cli [--recompress] COMMAND [OPTIONS] ARGS

Reads and edits the text entries (tEXt, zTXt, iTXt) of PNG files. A file is only ever
replaced whole, after the new version was written completely; a file that fails is left
as it was. Everything but the text entries is kept, the compressed image data byte for
byte (unless --recompress is given).

Commands:
  info FILE...                  Size, bit depth, colour format, interlace and physical size.
  list [--json] FILE...         The text entries in file order, one per line as
                                KEYWORD<TAB>TEXT (line breaks shown as \n, backslashes as
                                \\). With --json: one array with an object per file,
                                {"file": ..., "comments": [{"keyword": ..., "text": ...}]}.
  set [--replace] FILE KEY=TEXT...
                                Appends entries; with --replace first removes the entries
                                with the same keyword. Texts may hold macros (%FILENAME%,
                                %DATE%, %WIDTH% ...), expanded against FILE.
  remove FILE KEY...            Removes every entry with one of the keywords.
  clear FILE                    Removes every text entry.
  chunks FILE...                Every chunk: type, length, position relative to the image
                                data, and whether its CRC is right.
  export [--separator C] FILE OUT
                                Writes FILE's entries to OUT: a velmx (XML) file when OUT
                                ends in .velmx, delimited text when it ends in .csv.
  import [--replace] [--clear] [--separator C] FILE IN
                                Adds the entries of IN (.velmx or .csv) to FILE. --clear
                                first removes FILE's entries; --replace removes entries
                                with the same keyword as an imported one. Macros in the
                                imported texts are expanded against FILE.
  batch [--clear-existing] [--comments LIST] [--set KEY=TEXT]... [--no-check-ext]
        [--no-verify-image] [--separator C] [-j N] PATH...
                                Writes one list of entries into every PNG found at the
                                paths (folders are searched to any depth, hidden entries
                                skipped; with --no-check-ext files need not end in .png).
                                The list is LIST's entries (.velmx or .csv) followed by
                                the --set entries; macros are expanded per file. Each
                                file keeps its own entries after them unless
                                --clear-existing is given. --no-verify-image checks the
                                chunk structure and CRCs but does not decode the pixels.
                                -j N processes N files at once (default: the number of
                                cores).
  presets                       The preset list, one display text per line, in order.
  templates                     The template names, one per line.
  apply-template NAME FILE...   Applies the template to each file as a document window
                                does (its clear and overwrite flags, macros expanded
                                against each file) and saves the file.

Options:
  --separator C                 The delimited-text separator: one character, "tab" or
                                "space" (default: comma).
  --recompress                  Re-encode the image data instead of keeping it unchanged.
  -h, --help                    Show this help.

Macros: %DATE% %DATETIME% %FILENAME% %OSUSERNAME% %HEIGHT% %WIDTH% %COLOURTYPE%
        %BITDEPTH% %INTERLACE% %COLOURPROFILE%

Exit status: 0 success, 1 when any file failed (one line per failed file), 2 usage error.
)";

struct Context
{
    QTextStream &out;
    QTextStream &err;
    bool recompress = false;

    int usage(const QString &message)
    {
        err << "velmora-cli: " << message << "\n"
            << "Try 'velmora-cli --help'.\n";
        return kUsage;
    }
    void fileFailed(const QString &file, const QString &reason)
    {
        err << "velmora-cli: " << file << ": " << reason << "\n";
    }
};

struct LoadedFile
{
    PNGinfo info;
    PNGRows rows;
    CommentList comments;
};

bool load(Context &ctx, const QString &path, LoadedFile &file)
{
    file.info.path = path;
    QString error;
    if (!loadPNG(file.info, file.rows, file.comments, {}, &error)) {
        ctx.fileFailed(path, error);
        return false;
    }
    return true;
}

bool save(Context &ctx, LoadedFile &file)
{
    QString error;
    PNGWriteOptions options;
    options.recompress = ctx.recompress;
    removeInvalidComments(file.comments);
    if (!savePNG(file.info.path, file.info, file.rows, file.comments, options, &error)) {
        ctx.fileFailed(file.info.path, error);
        return false;
    }
    return true;
}

QString escapeLine(const QString &text)
{
    QString s = text;
    s.replace(u'\\', QStringLiteral("\\\\"));
    s.replace(u'\n', QStringLiteral("\\n"));
    s.replace(u'\r', QStringLiteral("\\r"));
    return s;
}

// Options of one command: flags, and options that take a value ("--separator ;").
// Options may stand anywhere; "--" ends them.
struct Options
{
    QStringList flags;
    QHash<QString, QStringList> values;
    QStringList positional;
    QString error;

    bool has(const QString &flag) const { return flags.contains(flag); }
    QString value(const QString &option) const { return values.value(option).value(0); }
};

Options parseOptions(const QStringList &args, const QStringList &knownFlags, const QStringList &valued = {})
{
    Options o;
    bool optionsEnded = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString &a = args.at(i);
        if (optionsEnded || !a.startsWith(u'-') || a == u"-") {
            o.positional << a;
        } else if (a == u"--") {
            optionsEnded = true;
        } else if (valued.contains(a)) {
            if (i + 1 >= args.size()) {
                o.error = QStringLiteral("option %1 needs a value").arg(a);
                return o;
            }
            o.values[a] << args.at(++i);
        } else if (knownFlags.contains(a)) {
            o.flags << a;
        } else {
            o.error = QStringLiteral("unknown option %1").arg(a);
            return o;
        }
    }
    return o;
}

// KEY=TEXT arguments; false when one has no "=" or an empty key.
bool parsePairs(const QStringList &args, QList<QPair<QString, QString>> &pairs)
{
    for (const QString &a : args) {
        const qsizetype eq = a.indexOf(u'=');
        if (eq <= 0)
            return false;
        pairs.append({ a.left(eq), a.mid(eq + 1) });
    }
    return true;
}

int cmdInfo(Context &ctx, const QStringList &arguments)
{
    const Options o = parseOptions(arguments, {});
    if (!o.error.isEmpty())
        return ctx.usage(QStringLiteral("info: ") + o.error);
    const QStringList &args = o.positional;
    if (args.isEmpty())
        return ctx.usage(QStringLiteral("info: no file given"));
    int status = kOk;
    for (const QString &path : args) {
        LoadedFile file;
        PNGReadOptions readOptions;
        readOptions.decodeImage = false;
        file.info.path = path;
        QString error;
        if (!loadPNG(file.info, file.rows, file.comments, readOptions, &error)) {
            ctx.fileFailed(path, error);
            status = kFailed;
            continue;
        }
        ctx.out << path << ":\n";
        for (const QString &line : ImageSummary::forImage(file.info).lines())
            ctx.out << "  " << line << "\n";
    }
    return status;
}

int cmdList(Context &ctx, const QStringList &arguments)
{
    const Options o = parseOptions(arguments, { QStringLiteral("--json") });
    if (!o.error.isEmpty())
        return ctx.usage(QStringLiteral("list: ") + o.error);
    const bool json = o.has(QStringLiteral("--json"));
    const QStringList &args = o.positional;
    if (args.isEmpty())
        return ctx.usage(QStringLiteral("list: no file given"));
    int status = kOk;
    QJsonArray files;
    for (const QString &path : args) {
        LoadedFile file;
        PNGReadOptions readOptions;
        readOptions.decodeImage = false;
        file.info.path = path;
        QString error;
        if (!loadPNG(file.info, file.rows, file.comments, readOptions, &error)) {
            ctx.fileFailed(path, error);
            status = kFailed;
            continue;
        }
        if (json) {
            QJsonArray comments;
            for (const CommentPtr &c : file.comments) {
                QJsonObject o;
                o.insert(QStringLiteral("keyword"), c->keyword().isNull() ? QJsonValue() : QJsonValue(c->keyword()));
                o.insert(QStringLiteral("text"), c->text().isNull() ? QJsonValue() : QJsonValue(c->text()));
                comments.append(o);
            }
            QJsonObject entry;
            entry.insert(QStringLiteral("file"), path);
            entry.insert(QStringLiteral("comments"), comments);
            files.append(entry);
            continue;
        }
        if (args.size() > 1)
            ctx.out << "==> " << path << " <==\n";
        for (const CommentPtr &c : file.comments)
            ctx.out << escapeLine(c->keyword()) << "\t" << escapeLine(c->exportText()) << "\n";
    }
    if (json)
        ctx.out << QString::fromUtf8(QJsonDocument(files).toJson(QJsonDocument::Indented));
    return status;
}

int cmdSet(Context &ctx, const QStringList &arguments)
{
    const Options o = parseOptions(arguments, { QStringLiteral("--replace") });
    if (!o.error.isEmpty())
        return ctx.usage(QStringLiteral("set: ") + o.error);
    const bool replace = o.has(QStringLiteral("--replace"));
    QStringList args = o.positional;
    if (args.size() < 2)
        return ctx.usage(QStringLiteral("set: give a file and at least one KEY=TEXT"));
    const QString path = args.takeFirst();
    QList<QPair<QString, QString>> entries;
    if (!parsePairs(args, entries))
        return ctx.usage(QStringLiteral("set: give entries as KEY=TEXT"));
    LoadedFile file;
    if (!load(ctx, path, file))
        return kFailed;
    for (const auto &[key, text] : entries) {
        if (replace)
            removeCommentsWithKeyword(file.comments, PNGComment::truncatedKeyword(key));
        auto comment = std::make_shared<PNGComment>();
        comment->setKeyword(key);
        comment->setText(processedTextForPNG(text, file.info));
        file.comments.append(comment);
    }
    return save(ctx, file) ? kOk : kFailed;
}

int cmdRemove(Context &ctx, const QStringList &arguments)
{
    const Options o = parseOptions(arguments, {});
    if (!o.error.isEmpty())
        return ctx.usage(QStringLiteral("remove: ") + o.error);
    QStringList args = o.positional;
    if (args.size() < 2)
        return ctx.usage(QStringLiteral("remove: give a file and at least one keyword"));
    const QString path = args.takeFirst();
    LoadedFile file;
    if (!load(ctx, path, file))
        return kFailed;
    for (const QString &key : args)
        removeCommentsWithKeyword(file.comments, key);
    return save(ctx, file) ? kOk : kFailed;
}

int cmdClear(Context &ctx, const QStringList &arguments)
{
    const Options o = parseOptions(arguments, {});
    if (!o.error.isEmpty())
        return ctx.usage(QStringLiteral("clear: ") + o.error);
    QStringList args = o.positional;
    if (args.size() != 1)
        return ctx.usage(QStringLiteral("clear: give exactly one file"));
    LoadedFile file;
    if (!load(ctx, args.first(), file))
        return kFailed;
    file.comments.clear();
    return save(ctx, file) ? kOk : kFailed;
}

int cmdChunks(Context &ctx, const QStringList &arguments)
{
    const Options o = parseOptions(arguments, {});
    if (!o.error.isEmpty())
        return ctx.usage(QStringLiteral("chunks: ") + o.error);
    QStringList args = o.positional;
    if (args.isEmpty())
        return ctx.usage(QStringLiteral("chunks: no file given"));
    int status = kOk;
    for (const QString &path : args) {
        QByteArray bytes;
        QString error;
        if (!readRegularFile(path, PNGReadOptions().maxFileSize, &bytes, &error)) {
            ctx.fileFailed(path, error);
            status = kFailed;
            continue;
        }
        std::vector<PngChunk> chunks;
        const bool ok = scanPngChunks(bytes, chunks, &error);
        if (args.size() > 1)
            ctx.out << "==> " << path << " <==\n";
        for (const PngChunk &c : chunks) {
            const char *where = c.position == PngChunk::BeforeIDAT ? "before-IDAT"
                : c.position == PngChunk::IDAT                     ? "IDAT"
                                                                   : "after-IDAT";
            ctx.out << QString::fromLatin1(c.type) << "\t" << c.length << "\t" << where << "\t"
                    << (c.crcOk ? "crc-ok" : "crc-BAD") << "\n";
        }
        if (!ok) {
            ctx.fileFailed(path, error);
            status = kFailed;
        }
    }
    return status;
}

// The separator option: one character, "tab" or "space"; comma when not given.
bool separatorFrom(const Options &o, QChar &separator)
{
    const QString value = o.value(QStringLiteral("--separator"));
    if (value.isEmpty() && !o.values.contains(QStringLiteral("--separator"))) {
        separator = u',';
        return true;
    }
    if (value == u"tab")
        separator = u'\t';
    else if (value == u"space")
        separator = u' ';
    else if (value.size() == 1)
        separator = value.at(0);
    else
        return false;
    return true;
}

enum class MetadataFileType { Unknown, Velmx, Csv };

// The type of a metadata file by its extension, compared exactly.
MetadataFileType metadataFileType(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix();
    if (suffix == u"velmx")
        return MetadataFileType::Velmx;
    if (suffix == u"csv")
        return MetadataFileType::Csv;
    return MetadataFileType::Unknown;
}

bool importInto(CommentListTarget &target, const QString &path, QChar separator, bool replace, QString *error)
{
    switch (metadataFileType(path)) {
    case MetadataFileType::Velmx:
        return importMetadataFromVelmx(target, path, replace, error);
    case MetadataFileType::Csv:
        return importMetadataFromCsv(target, path, separator, replace, error);
    case MetadataFileType::Unknown:
        break;
    }
    if (error)
        *error = QStringLiteral("not a metadata file (the name must end in .velmx or .csv)");
    return false;
}

int cmdExport(Context &ctx, const QStringList &arguments)
{
    const Options o = parseOptions(arguments, {}, { QStringLiteral("--separator") });
    if (!o.error.isEmpty())
        return ctx.usage(QStringLiteral("export: ") + o.error);
    QChar separator;
    if (!separatorFrom(o, separator))
        return ctx.usage(QStringLiteral("export: the separator is one character, \"tab\" or \"space\""));
    if (o.positional.size() != 2)
        return ctx.usage(QStringLiteral("export: give a PNG file and the file to write"));
    const QString out = o.positional.at(1);
    const MetadataFileType type = metadataFileType(out);
    if (type == MetadataFileType::Unknown)
        return ctx.usage(QStringLiteral("export: the file to write must end in .velmx or .csv"));
    LoadedFile file;
    if (!load(ctx, o.positional.at(0), file))
        return kFailed;
    CommentListAdapter target(file.comments);
    QString error;
    const bool ok = type == MetadataFileType::Velmx ? exportMetadataToVelmx(target, out, &error)
                                                    : exportMetadataToCsv(target, out, separator, &error);
    if (!ok) {
        ctx.fileFailed(out, error);
        return kFailed;
    }
    return kOk;
}

int cmdImport(Context &ctx, const QStringList &arguments)
{
    const Options o = parseOptions(
        arguments, { QStringLiteral("--replace"), QStringLiteral("--clear") }, { QStringLiteral("--separator") });
    if (!o.error.isEmpty())
        return ctx.usage(QStringLiteral("import: ") + o.error);
    QChar separator;
    if (!separatorFrom(o, separator))
        return ctx.usage(QStringLiteral("import: the separator is one character, \"tab\" or \"space\""));
    if (o.positional.size() != 2)
        return ctx.usage(QStringLiteral("import: give a PNG file and the metadata file to read"));
    const QString in = o.positional.at(1);
    LoadedFile file;
    if (!load(ctx, o.positional.at(0), file))
        return kFailed;
    if (o.has(QStringLiteral("--clear")))
        file.comments.clear();
    CommentListAdapter target(file.comments, &file.info);
    QString error;
    if (!importInto(target, in, separator, o.has(QStringLiteral("--replace")), &error)) {
        ctx.fileFailed(in, error);
        return kFailed; // nothing was written
    }
    return save(ctx, file) ? kOk : kFailed;
}

int cmdBatch(Context &ctx, const QStringList &arguments)
{
    const Options o = parseOptions(arguments,
        { QStringLiteral("--clear-existing"), QStringLiteral("--no-check-ext"), QStringLiteral("--no-verify-image") },
        { QStringLiteral("--comments"), QStringLiteral("--set"), QStringLiteral("-j"), QStringLiteral("--separator") });
    if (!o.error.isEmpty())
        return ctx.usage(QStringLiteral("batch: ") + o.error);
    QChar separator;
    if (!separatorFrom(o, separator))
        return ctx.usage(QStringLiteral("batch: the separator is one character, \"tab\" or \"space\""));
    if (o.positional.isEmpty())
        return ctx.usage(QStringLiteral("batch: give at least one file or folder"));
    int threads = QThread::idealThreadCount();
    if (o.values.contains(QStringLiteral("-j"))) {
        bool number = false;
        threads = o.value(QStringLiteral("-j")).toInt(&number);
        if (!number || threads < 1)
            return ctx.usage(QStringLiteral("batch: -j takes a number of at least 1"));
    }
    QList<QPair<QString, QString>> pairs;
    if (!parsePairs(o.values.value(QStringLiteral("--set")), pairs))
        return ctx.usage(QStringLiteral("batch: give --set entries as KEY=TEXT"));

    // The batch list keeps its macros: they are expanded for each file.
    CommentList comments;
    for (const QString &list : o.values.value(QStringLiteral("--comments"))) {
        CommentListAdapter target(comments);
        QString error;
        if (!importInto(target, list, separator, false, &error)) {
            ctx.fileFailed(list, error);
            return kFailed;
        }
    }
    for (const auto &[key, text] : pairs) {
        auto c = std::make_shared<PNGComment>();
        c->setKeyword(key);
        c->setText(text);
        comments.append(c);
    }

    QStringList files;
    appendGatheredFiles(files, o.positional, !o.has(QStringLiteral("--no-check-ext")));

    BatchRun::Options options;
    options.clearExisting = o.has(QStringLiteral("--clear-existing"));
    options.verifyImage = !o.has(QStringLiteral("--no-verify-image"));
    options.recompress = ctx.recompress;
    options.threads = threads;
    BatchRun run(files, comments, options);

    // A progress line on a terminal only.
    const bool showProgress = isatty(STDOUT_FILENO) && isatty(STDERR_FILENO);
    const auto results = run.process([&](int done, int total, const BatchRun::FileResult &result) {
        if (showProgress) {
            ctx.err << "\r\033[K[" << done << "/" << total << "] " << QFileInfo(result.path).fileName();
            ctx.err.flush();
        }
    });
    if (showProgress)
        ctx.err << "\r\033[K";
    const int succeeded = BatchRun::successCount(results);
    ctx.out << succeeded << " of " << results.size() << " files processed\n";
    for (const BatchRun::FileResult &r : results) {
        if (!r.ok)
            ctx.fileFailed(r.path, r.error);
    }
    return succeeded == results.size() ? kOk : kFailed;
}

int cmdPresets(Context &ctx, const QStringList &arguments)
{
    const Options o = parseOptions(arguments, {});
    if (!o.error.isEmpty() || !o.positional.isEmpty())
        return ctx.usage(QStringLiteral("presets takes no arguments"));
    MetadataPresetManager presets;
    presets.loadMetaDataPresets();
    for (const QString &title : presets.presetMenuTitles())
        ctx.out << title << "\n";
    return kOk;
}

int cmdTemplates(Context &ctx, const QStringList &arguments)
{
    const Options o = parseOptions(arguments, {});
    if (!o.error.isEmpty() || !o.positional.isEmpty())
        return ctx.usage(QStringLiteral("templates takes no arguments"));
    TemplateEditor templates;
    templates.loadTemplates();
    for (const QString &name : templates.templateMenuTitles())
        ctx.out << name << "\n";
    return kOk;
}

int cmdApplyTemplate(Context &ctx, const QStringList &arguments)
{
    const Options o = parseOptions(arguments, {});
    if (!o.error.isEmpty())
        return ctx.usage(QStringLiteral("apply-template: ") + o.error);
    if (o.positional.size() < 2)
        return ctx.usage(QStringLiteral("apply-template: give a template name and at least one file"));
    TemplateEditor templates;
    templates.loadTemplates();
    const TemplatePtr chosen = templates.templateWithName(o.positional.first());
    if (!chosen) {
        ctx.err << "velmora-cli: no template named '" << o.positional.first() << "'\n";
        return kFailed;
    }
    int status = kOk;
    for (const QString &path : o.positional.mid(1)) {
        LoadedFile file;
        if (!load(ctx, path, file)) {
            status = kFailed;
            continue;
        }
        applyTemplate(*chosen, file.comments, &file.info);
        if (!save(ctx, file))
            status = kFailed;
    }
    return status;
}

} // namespace

int runCli(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    Context ctx { out, err };
    QStringList args = arguments;
    while (!args.isEmpty() && args.first().startsWith(u'-')) {
        const QString a = args.takeFirst();
        if (a == u"-h" || a == u"--help") {
            out << kUsageText;
            return kOk;
        }
        if (a == u"--recompress")
            ctx.recompress = true;
        else
            return ctx.usage(QStringLiteral("unknown option %1").arg(a));
    }
    if (args.isEmpty())
        return ctx.usage(QStringLiteral("no command given"));
    const QString command = args.takeFirst();
    if (args.contains(QStringLiteral("--help")) || args.contains(QStringLiteral("-h"))) {
        out << kUsageText;
        return kOk;
    }
    // --recompress is accepted after the command too.
    if (args.removeAll(QStringLiteral("--recompress")) > 0)
        ctx.recompress = true;

    static const QHash<QString, std::function<int(Context &, QStringList)>> commands = {
        { QStringLiteral("info"), cmdInfo },
        { QStringLiteral("list"), cmdList },
        { QStringLiteral("set"), cmdSet },
        { QStringLiteral("remove"), cmdRemove },
        { QStringLiteral("clear"), cmdClear },
        { QStringLiteral("chunks"), cmdChunks },
        { QStringLiteral("export"), cmdExport },
        { QStringLiteral("import"), cmdImport },
        { QStringLiteral("batch"), cmdBatch },
        { QStringLiteral("presets"), cmdPresets },
        { QStringLiteral("templates"), cmdTemplates },
        { QStringLiteral("apply-template"), cmdApplyTemplate },
    };
    const auto it = commands.constFind(command);
    if (it == commands.constEnd())
        return ctx.usage(QStringLiteral("unknown command '%1'").arg(command));
    return it.value()(ctx, args);
}
