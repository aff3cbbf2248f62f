// batch and strip: one list of entries written into, or the metadata removed from, every
// PNG found at the paths given.
#include "batch/BatchReport.h"
#include "batch/FileGathering.h"
#include "cli/CliCommand.h"
#include "cli/CliContext.h"
#include "cli/CliOptions.h"
#include "interchange/CommentListAdapter.h"
#include "interchange/MetadataFormats.h"
#include "provenance/StripPlan.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <unistd.h>

namespace {

// Why a path given on the command line yields no file, or null when it yields some.
QString emptyPathReason(const QString &path, bool checkExtension)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("no such file or folder");
    if (info.isDir())
        return checkExtension ? QStringLiteral("the folder holds no PNG file (none ending in .png)")
                              : QStringLiteral("the folder holds no file");
    return QStringLiteral("not a PNG file name (give --no-check-ext to take files not ending in .png)");
}

// The files to process: every file found at each path, sorted. A path that yields none is
// named on stderr; then false, and nothing is processed (a typo must not go unseen, and a
// second run after a partial one would append the entries twice).
bool gatherFiles(CliContext &ctx, const QStringList &paths, bool checkExtension, QStringList *files)
{
    bool ok = true;
    for (const QString &path : paths) {
        QStringList found;
        appendGatheredFiles(found, { path }, checkExtension);
        if (found.isEmpty()) {
            ctx.fileFailed(path, emptyPathReason(path, checkExtension));
            ok = false;
        }
        files->append(found);
    }
    std::sort(files->begin(), files->end());
    return ok;
}

// Appends the paths listed in source ("-": standard input), one a line, or separated by NUL
// characters when nulSeparated; empty entries are skipped, and in lines a carriage return
// before the line feed is dropped. The list is read as it comes, so a pipe from find works
// and its size is bounded only by the memory the paths take.
bool readPathList(const QString &source, bool nulSeparated, QStringList *paths, QString *error)
{
    QFile file;
    const bool opened = source == u"-" ? file.open(stdin, QIODevice::ReadOnly)
                                       : (file.setFileName(source), file.open(QIODevice::ReadOnly));
    if (!opened) {
        *error = file.errorString();
        return false;
    }
    const char separator = nulSeparated ? '\0' : '\n';
    auto take = [&](QByteArray entry) {
        if (!nulSeparated && entry.endsWith('\r'))
            entry.chop(1);
        if (!entry.isEmpty())
            paths->append(QFile::decodeName(entry));
    };
    QByteArray pending;
    for (;;) {
        const QByteArray chunk = file.read(1 << 20);
        if (chunk.isEmpty()) {
            if (file.error() != QFileDevice::NoError) {
                *error = file.errorString();
                return false;
            }
            break;
        }
        pending += chunk;
        qsizetype start = 0;
        for (qsizetype end; (end = pending.indexOf(separator, start)) >= 0; start = end + 1)
            take(pending.mid(start, end - start));
        pending.remove(0, start);
    }
    take(pending);
    return true;
}

// Why the path options of a command over many files do not fit together, or null.
QString pathOptionsProblem(const CliOptions &options)
{
    if (options.operands().isEmpty() && !options.isSet(QStringLiteral("--files-from")))
        return QStringLiteral("give at least one file or folder, or --files-from");
    if (options.isSet(QStringLiteral("-0")) && !options.isSet(QStringLiteral("--files-from")))
        return QStringLiteral("-0 goes with --files-from");
    return QString();
}

// The value of -j (default: one job per core); none when it is not a number of at least 1.
std::optional<int> threadsOption(const CliOptions &options)
{
    if (!options.isSet(QStringLiteral("-j")))
        return BatchRun::defaultThreads();
    bool number = false;
    const int threads = options.value(QStringLiteral("-j")).toInt(&number);
    return number && threads >= 1 ? std::optional<int>(threads) : std::nullopt;
}

// The files to process: those at the operands and at the paths listed by --files-from,
// folders searched. False when a list cannot be read or a path yields no file (each named).
bool filesToProcess(CliContext &ctx, const CliOptions &options, QStringList *files)
{
    QStringList paths = options.operands();
    for (const QString &list : options.values(QStringLiteral("--files-from"))) {
        QString error;
        if (!readPathList(list, options.isSet(QStringLiteral("-0")), &paths, &error)) {
            ctx.fileFailed(list, error);
            return false;
        }
    }
    return gatherFiles(ctx, paths, !options.isSet(QStringLiteral("--no-check-ext")), files);
}

// Runs a batch, with a progress line on a terminal; prints "N of M files processed" and one
// line per failed file. The exit status: Ok when every file succeeded.
int runBatch(CliContext &ctx, BatchRun &run)
{
    const bool showProgress = isatty(STDOUT_FILENO) && isatty(STDERR_FILENO);
    const auto results = run.process([&](int done, int total, const BatchRun::FileResult &result) {
        if (showProgress) {
            ctx.err << "\r\033[K[" << done << "/" << total << "] " << QFileInfo(result.path).fileName();
            ctx.err.flush();
        }
    });
    if (showProgress)
        ctx.err << "\r\033[K";
    const BatchReport report(results, false);
    ctx.out << report.tally() << "\n";
    for (const BatchRun::FileResult &failure : report.failures())
        ctx.fileFailed(failure.path, failure.error);
    return report.succeeded() == report.total() ? CliStatus::Ok : CliStatus::Failed;
}

int batch(CliContext &ctx, const CliOptions &options)
{
    const QString command = QStringLiteral("batch");
    QChar separator;
    if (!separatorOption(options, &separator))
        return ctx.usage(command, QStringLiteral("the separator is one character, \"tab\" or \"space\""));
    if (const QString problem = pathOptionsProblem(options); !problem.isEmpty())
        return ctx.usage(command, problem);
    const std::optional<int> threads = threadsOption(options);
    if (!threads)
        return ctx.usage(command, QStringLiteral("-j takes a number of at least 1"));
    QList<QPair<QString, QString>> pairs;
    if (!keyTextPairs(options.values(QStringLiteral("--set")), &pairs))
        return ctx.usage(command, QStringLiteral("give --set entries as KEY=TEXT"));

    // The batch list keeps its macros: they are expanded for each file.
    CommentList comments;
    for (const QString &list : options.values(QStringLiteral("--comments"))) {
        CommentListAdapter target(comments);
        QString error;
        if (!importMetadataFile(target, list, separator, false, &error)) {
            ctx.fileFailed(list, error);
            return CliStatus::Failed;
        }
    }
    for (const auto &[key, text] : pairs) {
        auto c = std::make_shared<PNGComment>();
        c->setKeyword(key);
        c->setText(text);
        comments.append(c);
    }

    // An entry no file can take is refused before any file is touched.
    const QString unwritable = BatchRun::whyUnwritable(comments);
    if (!unwritable.isEmpty()) {
        ctx.err << "velmora-cli: batch: " << unwritable << "\n";
        return CliStatus::Failed;
    }
    QStringList files;
    if (!filesToProcess(ctx, options, &files))
        return CliStatus::Failed;

    BatchRun::Options runOptions;
    runOptions.clearExisting = options.isSet(QStringLiteral("--clear-existing"));
    runOptions.replaceSameKeyword = options.isSet(QStringLiteral("--replace"));
    runOptions.verifyImage = !options.isSet(QStringLiteral("--no-verify-image"));
    runOptions.recompress = ctx.recompress;
    runOptions.threads = *threads;
    BatchRun run(files, comments, runOptions);
    return runBatch(ctx, run);
}

// "path:" and one line per chosen item of the plan, or "path: nothing to remove".
void printPlan(CliContext &ctx, const QString &path, const StripPlan &plan)
{
    if (!plan.removesAnything()) {
        ctx.out << path << ": nothing to remove\n";
        return;
    }
    ctx.out << path << ":\n";
    for (const StripItem &item : plan.items) {
        if (!item.chosen)
            continue;
        if (item.kind == StripItem::Kind::TextEntry)
            ctx.out << "  entry \"" << item.keyword << "\" (" << QString::fromLatin1(item.type) << ", " << item.size
                    << " bytes)\n";
        else
            ctx.out << "  chunk " << QString::fromLatin1(item.type) << " (" << item.size << " bytes)\n";
    }
}

// Prints what a removal would take from each file, changing nothing.
int stripDryRun(CliContext &ctx, const QStringList &files, const StripRules &rules)
{
    int status = CliStatus::Ok;
    int changing = 0;
    for (const QString &path : files) {
        CliFile file;
        if (!ctx.load(path, file, CliContext::Pixels::Skip)) {
            status = CliStatus::Failed;
            continue;
        }
        const StripPlan plan = StripPlan::make(file.comments, file.rows.source(), rules, StripPlan::Descriptions::No);
        changing += plan.removesAnything() ? 1 : 0;
        printPlan(ctx, path, plan);
    }
    ctx.out << changing << " of " << files.size() << " files would change\n";
    return status;
}

// The file on standard input, stripped to standard output (with --dry-run, what would go, as
// text).
int stripPipe(CliContext &ctx, const StripRules &rules, bool dryRun)
{
    const QString path = QStringLiteral("-");
    CliFile file;
    if (!ctx.load(path, file, ctx.recompress && !dryRun ? CliContext::Pixels::Decode : CliContext::Pixels::Skip))
        return CliStatus::Failed;
    const StripPlan plan = StripPlan::applyTo(file, rules);
    if (dryRun) {
        printPlan(ctx, path, plan);
        return CliStatus::Ok;
    }
    return ctx.save(file) ? CliStatus::Ok : CliStatus::Failed;
}

int strip(CliContext &ctx, const CliOptions &options)
{
    const QString command = QStringLiteral("strip");
    if (const QString problem = pathOptionsProblem(options); !problem.isEmpty())
        return ctx.usage(command, problem);
    const std::optional<int> threads = threadsOption(options);
    if (!threads)
        return ctx.usage(command, QStringLiteral("-j takes a number of at least 1"));
    StripRules rules;
    rules.keepKeywords = options.values(QStringLiteral("--keep"));
    for (const QString &type : options.values(QStringLiteral("--keep-chunk"))) {
        if (!StripRules::isChunkType(type))
            return ctx.usage(command, QStringLiteral("a chunk type is four letters, not \"%1\"").arg(type));
        rules.keepChunkTypes.append(type.toLatin1());
    }
    rules.credentials = options.isSet(QStringLiteral("--credentials"));

    const bool dryRun = options.isSet(QStringLiteral("--dry-run"));
    if (options.operands().contains(QStringLiteral("-"))) {
        if (options.operands().size() > 1 || options.isSet(QStringLiteral("--files-from")))
            return ctx.usage(command, QStringLiteral("- (standard input) stands alone"));
        return stripPipe(ctx, rules, dryRun);
    }
    QStringList files;
    if (!filesToProcess(ctx, options, &files))
        return CliStatus::Failed;
    if (dryRun)
        return stripDryRun(ctx, files, rules);

    BatchRun::Options runOptions;
    runOptions.strip = rules;
    // The image data stay byte for byte: only the chunk structure and the CRCs are checked.
    runOptions.verifyImage = false;
    runOptions.recompress = ctx.recompress;
    runOptions.threads = *threads;
    BatchRun run(files, {}, runOptions);
    return runBatch(ctx, run);
}

} // namespace

QList<CliCommand> batchCommands()
{
    return {
        { QStringLiteral("batch"),
            QStringLiteral("[--clear-existing] [--replace] [--comments LIST] [--set KEY=TEXT]...\n"
                           "[--no-check-ext] [--no-verify-image] [--separator C] [-j N]\n"
                           "[--files-from FILE [-0]] [PATH...]"),
            QStringLiteral("Writes one list of entries into every PNG found at the\n"
                           "paths (folders are searched to any depth, hidden entries\n"
                           "skipped; with --no-check-ext files need not end in .png).\n"
                           "The paths are those given and those listed in FILE, so\n"
                           "find, xargs or a job array can hand over any number.\n"
                           "The list is LIST's entries (.velmx or .csv) followed by\n"
                           "the --set entries; macros are expanded per file. Each\n"
                           "file keeps its own entries after them, unchanged, unless\n"
                           "--clear-existing is given; with --replace the list's\n"
                           "keywords replace the file's entries of the same keyword.\n"
                           "A path that does not exist or holds no PNG file, or an\n"
                           "entry no PNG file can hold, is named and nothing is\n"
                           "written."),
            QStringLiteral("  --clear-existing              Drop each file's own entries.\n"
                           "  --replace                     Drop each file's own entries whose keyword the list\n"
                           "                                has (exact, case-sensitive).\n"
                           "  --comments LIST               Entries from a .velmx or .csv file (repeatable).\n"
                           "  --set KEY=TEXT                One entry (repeatable).\n"
                           "  --files-from FILE             Also the paths listed in FILE, one a line (\"-\":\n"
                           "                                standard input; repeatable).\n"
                           "  -0                            The paths in FILE end in NUL characters instead\n"
                           "                                (find -print0).\n"
                           "  --no-check-ext                Take files whatever their name ends in.\n"
                           "  --no-verify-image             Check the chunk structure and CRCs but not the image\n"
                           "                                data (otherwise inflated and checked; the pixels are\n"
                           "                                decoded only with --recompress).\n"
                           "  --separator C                 The separator of .csv lists: one character, \"tab\" or\n"
                           "                                \"space\" (default: comma).\n"
                           "  -j N                          Process N files at once (default: the number of cores).\n"),
            { QStringLiteral("--clear-existing"), QStringLiteral("--replace"), QStringLiteral("--no-check-ext"),
                QStringLiteral("--no-verify-image"), QStringLiteral("-0") },
            { QStringLiteral("--comments"), QStringLiteral("--set"), QStringLiteral("-j"),
                QStringLiteral("--separator"), QStringLiteral("--files-from") },
            batch },
        { QStringLiteral("strip"),
            QStringLiteral("[--dry-run] [--keep KEY]... [--keep-chunk TYPE]... [--credentials]\n"
                           "[--no-check-ext] [-j N] [--files-from FILE [-0]] [PATH...]"),
            QStringLiteral("Removes from every PNG found at the paths (searched as by\n"
                           "batch) what tells how, where and by whom the picture was\n"
                           "made: every text entry (XMP included), Exif (eXIf), the\n"
                           "modification time (tIME) and private or unknown chunks.\n"
                           "Content credentials (caBX) go only with --credentials:\n"
                           "removing them breaks the picture's provenance (the proof\n"
                           "of where it comes from). Everything that shapes the picture\n"
                           "stays byte for byte and in its place: the image data, the\n"
                           "palette and transparency, the colour chunks, bKGD, pHYs and\n"
                           "an animation's frames. A file with nothing to remove is not\n"
                           "rewritten. With --dry-run each file's entries (keyword and\n"
                           "size) and chunks (type and size) that would go are listed\n"
                           "and nothing is written. A PATH given as - (alone) is read\n"
                           "from standard input and the new file written to standard\n"
                           "output."),
            QStringLiteral("  --dry-run                     List what would go; change nothing.\n"
                           "  --keep KEY                    Keep the text entries with this keyword (exact;\n"
                           "                                repeatable).\n"
                           "  --keep-chunk TYPE             Keep the chunks of this type (repeatable).\n"
                           "  --credentials                 Remove content credentials (caBX) too; this breaks\n"
                           "                                the picture's provenance.\n"
                           "  --files-from FILE             Also the paths listed in FILE, one a line (\"-\":\n"
                           "                                standard input; repeatable).\n"
                           "  -0                            The paths in FILE end in NUL characters instead.\n"
                           "  --no-check-ext                Take files whatever their name ends in.\n"
                           "  -j N                          Process N files at once (default: the number of cores).\n"),
            { QStringLiteral("--dry-run"), QStringLiteral("--credentials"), QStringLiteral("--no-check-ext"),
                QStringLiteral("-0") },
            { QStringLiteral("--keep"), QStringLiteral("--keep-chunk"), QStringLiteral("-j"),
                QStringLiteral("--files-from") },
            strip },
    };
}
