#include "cli/Cli.h"

#include "core/ImageSummary.h"
#include "core/PNGChunks.h"
#include "core/PNGReader.h"
#include "core/PNGWriter.h"
#include "core/TextMacros.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

#include <functional>

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

Options:
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
        err << "velmora-cli: " << message << "\n" << "Try 'velmora-cli --help'.\n";
        return kUsage;
    }
    void fileFailed(const QString &file, const QString &reason) { err << "velmora-cli: " << file << ": " << reason << "\n"; }
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

// Splits options (leading "--x" arguments) from the rest; "--" ends the options.
QStringList takeOptions(QStringList &args)
{
    QStringList options;
    while (!args.isEmpty() && args.first().startsWith(u'-') && args.first() != u'-') {
        const QString a = args.takeFirst();
        if (a == u"--")
            break;
        options << a;
    }
    return options;
}

int cmdInfo(Context &ctx, QStringList args)
{
    const QStringList options = takeOptions(args);
    if (!options.isEmpty())
        return ctx.usage(QStringLiteral("info: unknown option %1").arg(options.first()));
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

int cmdList(Context &ctx, QStringList args)
{
    bool json = false;
    for (const QString &o : takeOptions(args)) {
        if (o == u"--json")
            json = true;
        else
            return ctx.usage(QStringLiteral("list: unknown option %1").arg(o));
    }
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

int cmdSet(Context &ctx, QStringList args)
{
    bool replace = false;
    for (const QString &o : takeOptions(args)) {
        if (o == u"--replace")
            replace = true;
        else
            return ctx.usage(QStringLiteral("set: unknown option %1").arg(o));
    }
    if (args.size() < 2)
        return ctx.usage(QStringLiteral("set: give a file and at least one KEY=TEXT"));
    const QString path = args.takeFirst();
    QList<QPair<QString, QString>> entries;
    for (const QString &a : args) {
        const qsizetype eq = a.indexOf(u'=');
        if (eq <= 0)
            return ctx.usage(QStringLiteral("set: '%1' is not KEY=TEXT").arg(a));
        entries.append({a.left(eq), a.mid(eq + 1)});
    }
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

int cmdRemove(Context &ctx, QStringList args)
{
    const QStringList options = takeOptions(args);
    if (!options.isEmpty())
        return ctx.usage(QStringLiteral("remove: unknown option %1").arg(options.first()));
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

int cmdClear(Context &ctx, QStringList args)
{
    const QStringList options = takeOptions(args);
    if (!options.isEmpty())
        return ctx.usage(QStringLiteral("clear: unknown option %1").arg(options.first()));
    if (args.size() != 1)
        return ctx.usage(QStringLiteral("clear: give exactly one file"));
    LoadedFile file;
    if (!load(ctx, args.first(), file))
        return kFailed;
    file.comments.clear();
    return save(ctx, file) ? kOk : kFailed;
}

int cmdChunks(Context &ctx, QStringList args)
{
    const QStringList options = takeOptions(args);
    if (!options.isEmpty())
        return ctx.usage(QStringLiteral("chunks: unknown option %1").arg(options.first()));
    if (args.isEmpty())
        return ctx.usage(QStringLiteral("chunks: no file given"));
    int status = kOk;
    for (const QString &path : args) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly)) {
            ctx.fileFailed(path, QStringLiteral("cannot open the file: %1").arg(f.errorString()));
            status = kFailed;
            continue;
        }
        std::vector<PngChunk> chunks;
        QString error;
        const bool ok = scanPngChunks(f.readAll(), chunks, &error);
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

} // namespace

int runCli(const QStringList &arguments, QTextStream &out, QTextStream &err)
{
    Context ctx{out, err};
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
        {QStringLiteral("info"), cmdInfo},     {QStringLiteral("list"), cmdList},
        {QStringLiteral("set"), cmdSet},       {QStringLiteral("remove"), cmdRemove},
        {QStringLiteral("clear"), cmdClear},   {QStringLiteral("chunks"), cmdChunks},
    };
    const auto it = commands.constFind(command);
    if (it == commands.constEnd())
        return ctx.usage(QStringLiteral("unknown command '%1'").arg(command));
    return it.value()(ctx, args);
}
