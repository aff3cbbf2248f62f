#include "batch/BatchRun.h"

#include "core/PNGReader.h"
#include "core/PNGWriter.h"
#include "core/Strings.h"
#include "core/TextMacros.h"

#include <QFileInfo>
#include <QHash>

#include <mutex>
#include <thread>

BatchRun::BatchRun(QStringList files, CommentList comments, Options options)
    : m_files(std::move(files))
    , m_options(options)
{
    // A private copy: the caller's comments may change while a run goes on in threads.
    for (const CommentPtr &c : comments)
        m_comments.append(std::make_shared<PNGComment>(*c));
}

bool BatchRun::processFile(const QString &path, QString *error) const
{
    PNGinfo info;
    PNGRows rows;
    CommentList own;
    info.path = path;
    PNGReadOptions readOptions;
    readOptions.decodeImage = m_options.verifyImage;
    if (!loadPNG(info, rows, own, readOptions, error))
        return false;
    if (m_options.clearExisting)
        own.clear();

    CommentList merged;
    merged.reserve(m_comments.size() + own.size());
    for (const CommentPtr &c : m_comments) {
        if (c->isValid())
            merged.append(c);
    }
    merged.append(own);

    // Every entry, the file's own included, is expanded against this file.
    CommentList written;
    written.reserve(merged.size());
    for (const CommentPtr &c : std::as_const(merged)) {
        auto entry = std::make_shared<PNGComment>(*c);
        entry->setText(processedTextForPNG(c->text(), info));
        written.append(entry);
    }

    PNGWriteOptions writeOptions;
    writeOptions.textCompression = PNGWriteOptions::TextCompression::Never;
    writeOptions.recompress = m_options.recompress;
    return savePNG(path, info, rows, written, writeOptions, error);
}

QList<BatchRun::FileResult> BatchRun::process(const Progress &progress)
{
    const int total = int(m_files.size());
    QList<FileResult> results(total);
    for (int i = 0; i < total; ++i)
        results[i].path = m_files.at(i);

    // Occurrences of one file form one job, processed in list order by one worker, so a
    // file listed twice is written twice, one pass after the other, even when the two
    // entries name it differently (a relative path, a link).
    QList<QList<int>> jobs;
    QHash<QString, int> jobOfFile;
    for (int i = 0; i < total; ++i) {
        QString identity = QFileInfo(m_files.at(i)).canonicalFilePath();
        if (identity.isEmpty())
            identity = m_files.at(i);
        const auto it = jobOfFile.constFind(identity);
        if (it != jobOfFile.constEnd()) {
            jobs[it.value()].append(i);
        } else {
            jobOfFile.insert(identity, int(jobs.size()));
            jobs.append(QList<int> { i });
        }
    }

    std::mutex reportMutex;
    int done = 0;
    std::atomic<int> nextJob { 0 };
    auto worker = [&] {
        for (;;) {
            const int job = nextJob++;
            if (job >= jobs.size())
                return;
            for (int index : std::as_const(jobs[job])) {
                FileResult &result = results[index];
                if (m_cancelled) {
                    result.error = QStringLiteral("not processed (the run was cancelled)");
                    continue;
                }
                result.ok = processFile(result.path, &result.error);
                std::lock_guard lock(reportMutex);
                ++done;
                if (progress)
                    progress(done, total, result);
            }
        }
    };

    const int threads = std::clamp(m_options.threads, 1, std::max(1, int(jobs.size())));
    if (threads == 1) {
        worker();
    } else {
        std::vector<std::thread> pool;
        for (int t = 0; t < threads; ++t)
            pool.emplace_back(worker);
        for (auto &thread : pool)
            thread.join();
    }
    return results;
}

int BatchRun::successCount(const QList<FileResult> &results)
{
    return int(std::count_if(results.begin(), results.end(), [](const FileResult &r) { return r.ok; }));
}

QString BatchRun::completionTitle()
{
    return localizedString("ProcessingComplete");
}

QString BatchRun::completionText(int successCount)
{
    return localizedString("FilesSuccessfullyProcessed").arg(successCount);
}
