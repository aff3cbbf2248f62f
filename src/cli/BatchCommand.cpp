// batch: one list of entries written into every PNG found at the paths given.
#include "batch/BatchRun.h"
#include "batch/FileGathering.h"
#include "cli/CliCommand.h"
#include "cli/CliContext.h"
#include "cli/CliOptions.h"
#include "cli/MetadataFiles.h"
#include "interchange/CommentListAdapter.h"

#include <QFileInfo>
#include <QTextStream>
#include <QThread>

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

int batch(CliContext &ctx, const CliOptions &options)
{
    const QString command = QStringLiteral("batch");
    QChar separator;
    if (!separatorOption(options, &separator))
        return ctx.usage(command, QStringLiteral("the separator is one character, \"tab\" or \"space\""));
    if (options.operands().isEmpty())
        return ctx.usage(command, QStringLiteral("give at least one file or folder"));
    int threads = QThread::idealThreadCount();
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

    // An entry no file can take is refused before any file is touched.
    const QString unwritable = BatchRun::whyUnwritable(comments);
    if (!unwritable.isEmpty()) {
        ctx.err << "velmora-cli: batch: " << unwritable << "\n";
        return CliStatus::Failed;
    }

    QStringList files;
    if (!gatherFiles(ctx, options.operands(), !options.isSet(QStringLiteral("--no-check-ext")), &files))
        return CliStatus::Failed;

    BatchRun::Options runOptions;
    runOptions.clearExisting = options.isSet(QStringLiteral("--clear-existing"));
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
    const int succeeded = BatchRun::successCount(results);
    ctx.out << succeeded << " of " << results.size() << " files processed\n";
    for (const BatchRun::FileResult &r : results) {
        if (!r.ok)
            ctx.fileFailed(r.path, r.error);
    }
    return succeeded == results.size() ? CliStatus::Ok : CliStatus::Failed;
}

} // namespace

QList<CliCommand> batchCommands()
{
    return {
        { QStringLiteral("batch"),
            QStringLiteral("[--clear-existing] [--comments LIST] [--set KEY=TEXT]... [--no-check-ext]\n"
                           "[--no-verify-image] [--separator C] [-j N] PATH..."),
            QStringLiteral("Writes one list of entries into every PNG found at the\n"
                           "paths (folders are searched to any depth, hidden entries\n"
                           "skipped; with --no-check-ext files need not end in .png).\n"
                           "The list is LIST's entries (.velmx or .csv) followed by\n"
                           "the --set entries; macros are expanded per file. Each\n"
                           "file keeps its own entries after them, unchanged, unless\n"
                           "--clear-existing is given. A path that does not exist or\n"
                           "holds no PNG file, or an entry no PNG file can hold, is\n"
                           "named and nothing is written."),
            QStringLiteral("  --clear-existing              Drop each file's own entries.\n"
                           "  --comments LIST               Entries from a .velmx or .csv file (repeatable).\n"
                           "  --set KEY=TEXT                One entry (repeatable).\n"
                           "  --no-check-ext                Take files whatever their name ends in.\n"
                           "  --no-verify-image             Check the chunk structure and CRCs but not the image\n"
                           "                                data (otherwise inflated and checked; the pixels are\n"
                           "                                decoded only with --recompress).\n"
                           "  --separator C                 The separator of .csv lists: one character, \"tab\" or\n"
                           "                                \"space\" (default: comma).\n"
                           "  -j N                          Process N files at once (default: the number of cores).\n"),
            { QStringLiteral("--clear-existing"), QStringLiteral("--no-check-ext"),
                QStringLiteral("--no-verify-image") },
            { QStringLiteral("--comments"), QStringLiteral("--set"), QStringLiteral("-j"),
                QStringLiteral("--separator") },
            batch },
    };
}
