// batch: one list of entries written into every PNG found at the paths given.
#include "batch/BatchReport.h"
#include "batch/FileGathering.h"
#include "cli/CliCommand.h"
#include "cli/CliContext.h"
#include "cli/CliOptions.h"
#include "interchange/CommentListAdapter.h"
#include "interchange/MetadataFormats.h"

#include <QFile>
#include <QFileInfo>
#include <QTextStream>

#include <cstdio>
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

int batch(CliContext &ctx, const CliOptions &options)
{
    const QString command = QStringLiteral("batch");
    QChar separator;
    if (!separatorOption(options, &separator))
        return ctx.usage(command, QStringLiteral("the separator is one character, \"tab\" or \"space\""));
    const QStringList lists = options.values(QStringLiteral("--files-from"));
    if (options.operands().isEmpty() && lists.isEmpty())
        return ctx.usage(command, QStringLiteral("give at least one file or folder, or --files-from"));
    if (options.isSet(QStringLiteral("-0")) && lists.isEmpty())
        return ctx.usage(command, QStringLiteral("-0 goes with --files-from"));
    int threads = BatchRun::defaultThreads();
    if (options.isSet(QStringLiteral("-j"))) {
        bool number = false;
        threads = options.value(QStringLiteral("-j")).toInt(&number);
        if (!number || threads < 1)
            return ctx.usage(command, QStringLiteral("-j takes a number of at least 1"));
    }
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

    QStringList paths = options.operands();
    for (const QString &list : lists) {
        QString error;
        if (!readPathList(list, options.isSet(QStringLiteral("-0")), &paths, &error)) {
            ctx.fileFailed(list, error);
            return CliStatus::Failed;
        }
    }

    // An entry no file can take is refused before any file is touched.
    const QString unwritable = BatchRun::whyUnwritable(comments);
    if (!unwritable.isEmpty()) {
        ctx.err << "velmora-cli: batch: " << unwritable << "\n";
        return CliStatus::Failed;
    }

    QStringList files;
    if (!gatherFiles(ctx, paths, !options.isSet(QStringLiteral("--no-check-ext")), &files))
        return CliStatus::Failed;

    BatchRun::Options runOptions;
    runOptions.clearExisting = options.isSet(QStringLiteral("--clear-existing"));
    runOptions.replaceSameKeyword = options.isSet(QStringLiteral("--replace"));
    runOptions.verifyImage = !options.isSet(QStringLiteral("--no-verify-image"));
    runOptions.recompress = ctx.recompress;
    runOptions.threads = threads;
    BatchRun run(files, comments, runOptions);

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
    const BatchReport report(results, false);
    ctx.out << report.tally() << "\n";
    for (const BatchRun::FileResult &failure : report.failures())
        ctx.fileFailed(failure.path, failure.error);
    return report.succeeded() == report.total() ? CliStatus::Ok : CliStatus::Failed;
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
                           "The list is LIST's entries (%1) followed by\n"
                           "the --set entries; macros are expanded per file. Each\n"
                           "file keeps its own entries after them, unchanged, unless\n"
                           "--clear-existing is given; with --replace the list's\n"
                           "keywords replace the file's entries of the same keyword.\n"
                           "A path that does not exist or holds no PNG file, or an\n"
                           "entry no PNG file can hold, is named and nothing is\n"
                           "written.")
                .arg(metadataFormatSuffixes()),
            QStringLiteral("  --clear-existing              Drop each file's own entries.\n"
                           "  --replace                     Drop each file's own entries whose keyword the list\n"
                           "                                has (exact, case-sensitive).\n"
                           "  --comments LIST               Entries from a %1 file (repeatable).\n"
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
                           "  -j N                          Process N files at once (default: the number of cores).\n")
                .arg(metadataFormatSuffixes()),
            { QStringLiteral("--clear-existing"), QStringLiteral("--replace"), QStringLiteral("--no-check-ext"),
                QStringLiteral("--no-verify-image"), QStringLiteral("-0") },
            { QStringLiteral("--comments"), QStringLiteral("--set"), QStringLiteral("-j"),
                QStringLiteral("--separator"), QStringLiteral("--files-from") },
            batch },
    };
}
