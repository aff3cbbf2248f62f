#include "batch/BatchRun.h"

#include "batch/MemoryBudget.h"

#include "core/PNGReader.h"
#include "core/PNGWriter.h"
#include "core/Strings.h"
#include "core/TextMacros.h"

#include <QFileInfo>
#include <QHash>

#include <exception>
#include <iterator>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

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
    // Declared first, so it is given back after the rows are freed.
    MemoryBudget::Reservation rowMemory(MemoryBudget::decodedRows());
    PNGinfo info;
    PNGRows rows;
    CommentList own;
    info.path = path;
    PNGReadOptions readOptions;
    readOptions.decodeImage = m_options.verifyImage;
    readOptions.reserveRowMemory = [&rowMemory](quint64 bytes) { rowMemory.acquire(bytes); };
    if (!loadPNG(info, rows, own, readOptions, error))
        return false;
    if (m_options.clearExisting)
        own.clear();
    if (m_options.replaceSameKeyword) {
        for (const CommentPtr &c : m_comments) {
            if (c->isValid())
                removeCommentsWithKeyword(own, c->keyword());
        }
    }

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

int BatchRun::maxThreads()
{
    return 4 * std::max(1, int(std::thread::hardware_concurrency()));
}

QList<BatchRun::FileResult> BatchRun::process(const Progress &progress)
{
    const int total = int(m_files.size());
    // Workers write only their own elements, through a container they never resize.
    std::vector<FileResult> results(static_cast<size_t>(total));
    for (int i = 0; i < total; ++i)
        results[size_t(i)].path = m_files.at(i);

    // Occurrences of one file form one job, processed in list order by one worker, so a
    // file listed twice is written twice, one pass after the other, even when the two
    // entries name it differently (a relative path, a link).
    std::vector<std::vector<int>> jobs;
    QHash<QString, size_t> jobOfFile;
    for (int i = 0; i < total; ++i) {
        QString identity = QFileInfo(m_files.at(i)).canonicalFilePath();
        if (identity.isEmpty())
            identity = m_files.at(i);
        const auto it = jobOfFile.constFind(identity);
        if (it != jobOfFile.constEnd()) {
            jobs[it.value()].push_back(i);
        } else {
            jobOfFile.insert(identity, jobs.size());
            jobs.push_back({ i });
        }
    }

    std::mutex reportMutex;
    int done = 0;
    std::atomic<size_t> nextJob { 0 };
    auto worker = [&] {
        for (;;) {
            const size_t job = nextJob++;
            if (job >= jobs.size())
                return;
            for (int index : jobs[job]) {
                FileResult &result = results[size_t(index)];
                if (m_cancelled) {
                    result.error = QStringLiteral("not processed (the run was cancelled)");
                    result.cancelled = true;
                    continue;
                }
                // One file's failure, whatever it is, must not end the run or the process.
                try {
                    result.ok = processFile(result.path, &result.error);
                } catch (const std::bad_alloc &) {
                    result.ok = false;
                    result.error = QStringLiteral("not enough memory to process the file");
                } catch (const std::exception &e) {
                    result.ok = false;
                    result.error
                        = QStringLiteral("the file could not be processed (%1)").arg(QString::fromUtf8(e.what()));
                } catch (...) {
                    result.ok = false;
                    result.error = QStringLiteral("the file could not be processed");
                }
                std::lock_guard lock(reportMutex);
                ++done;
                if (progress)
                    progress(done, total, result);
            }
        }
    };

    const int threads = std::clamp(m_options.threads, 1, std::max(1, std::min(int(jobs.size()), maxThreads())));
    if (threads == 1) {
        worker();
    } else {
        std::vector<std::thread> pool;
        pool.reserve(size_t(threads));
        for (int t = 0; t < threads; ++t) {
            // Fewer threads than asked when the system has no more to give.
            try {
                pool.emplace_back(worker);
            } catch (const std::system_error &) {
                break;
            }
        }
        if (pool.empty())
            worker();
        for (auto &thread : pool)
            thread.join();
    }
    return QList<FileResult>(std::make_move_iterator(results.begin()), std::make_move_iterator(results.end()));
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
