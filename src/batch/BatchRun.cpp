#include "batch/BatchRun.h"
#include "core/Strings.h"

#include "batch/MemoryBudget.h"

#include "core/PNGReader.h"
#include "core/PNGWriter.h"
#include "core/SafeFile.h"
#include "core/TextMacros.h"

#include <QFile>
#include <QHash>

#include <chrono>
#include <exception>
#include <iterator>
#include <mutex>
#include <new>
#include <system_error>
#include <thread>
#include <vector>

#include <sys/stat.h>

namespace {

// A worker commits its files in groups of at most this many files (Options::groupFiles), this
// many bytes or this long a gathering: a run of small files flushes the disk a few times, not
// once per handful of files, and the progress still moves on a slow disk. A file waiting in
// a group holds no descriptor and no buffer.
constexpr int kMaxGroupFiles = 4096;
constexpr qint64 kGroupBytes = qint64(64) << 20;
constexpr auto kGroupTime = std::chrono::milliseconds(1000);

} // namespace

BatchRun::BatchRun(QStringList files, CommentList comments, Options options)
    : m_files(std::move(files))
    , m_options(options)
{
    // A private copy: the caller's comments may change while a run goes on in threads.
    for (const CommentPtr &c : comments)
        m_comments.append(std::make_shared<PNGComment>(*c));
}

std::unique_ptr<AtomicFileWriter> BatchRun::prepareFile(const QString &path, QString *error, bool *unchanged) const
{
    *unchanged = false;
    // Declared first, so it is given back after the memory is freed.
    MemoryBudget::Reservation imageMemory(MemoryBudget::decodedRows());
    PNGinfo info;
    PNGRows rows;
    CommentList own;
    info.path = path;
    PNGReadOptions readOptions;
    // Re-encoding needs the pixels; otherwise a check of the image data does.
    readOptions.decodeImage = m_options.recompress;
    readOptions.checkImageData = m_options.verifyImage;
    readOptions.reserveRowMemory = [&imageMemory](quint64 bytes) { imageMemory.acquire(bytes); };
    if (!loadPNG(info, rows, own, readOptions, error))
        return nullptr;
    PNGWriteOptions writeOptions;
    writeOptions.textCompression = PNGWriteOptions::TextCompression::Never;
    writeOptions.recompress = m_options.recompress;
    CommentList written;
    if (m_options.strip) {
        const StripPlan plan = StripPlan::make(own, rows.source(), *m_options.strip, StripPlan::Descriptions::No);
        if (!plan.removesAnything()) {
            *unchanged = true;
            return nullptr;
        }
        written = plan.keptEntries(own);
        writeOptions.leftOutChunks = StripPlan::chunkContents(*rows.source(), plan.chosenChunks());
    } else {
        written = commentsFor(info, own);
    }
    auto file = std::make_unique<AtomicFileWriter>(path);
    if (!file->open()) {
        if (error)
            *error = file->errorString();
        return nullptr;
    }
    if (!writePNG(*file, info, rows, written, writeOptions, error))
        return nullptr;
    return file;
}

CommentList BatchRun::commentsFor(const PNGinfo &info, CommentList own) const
{
    if (m_options.clearExisting)
        own.clear();

    // The batch entries, expanded against this file, in front of the file's own entries,
    // which stay as they were.
    CommentList written;
    written.reserve(m_comments.size() + own.size());
    for (const CommentPtr &c : m_comments) {
        if (!c->isValid())
            continue;
        auto entry = std::make_shared<PNGComment>(*c);
        entry->setText(processedTextForPNG(c->text(), info));
        written.append(entry);
        if (m_options.replaceSameKeyword)
            removeCommentsWithKeyword(own, c->keyword());
    }
    written.append(own);
    return written;
}

bool BatchRun::processFile(const QString &path, QString *error, bool *unchanged) const
{
    bool nothing = false;
    std::unique_ptr<AtomicFileWriter> file = prepareFile(path, error, &nothing);
    if (unchanged)
        *unchanged = nothing;
    if (!file)
        return nothing;
    if (!file->commit()) {
        if (error)
            *error = reasonText(QT_TRANSLATE_NOOP("Reason", "cannot write the file: %1")).arg(file->errorString());
        return false;
    }
    return true;
}

QString BatchRun::whyUnwritable(const CommentList &comments)
{
    for (const CommentPtr &c : comments) {
        const QString reason = ::whyUnwritable(*c);
        if (!reason.isEmpty())
            return reason;
    }
    return QString();
}

int BatchRun::defaultThreads()
{
    return std::max(1, int(std::thread::hardware_concurrency()));
}

int BatchRun::maxThreads()
{
    return 4 * defaultThreads();
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
        // A file is known by its device and inode (one look-up, also through links and hard
        // links); one that cannot be looked up by its path.
        QString identity = m_files.at(i);
        struct stat st;
        if (::stat(QFile::encodeName(m_files.at(i)).constData(), &st) == 0)
            identity = QChar(0) + QStringLiteral("%1:%2").arg(quint64(st.st_dev)).arg(quint64(st.st_ino));
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
    const auto report = [&](const FileResult &result) {
        std::lock_guard lock(reportMutex);
        // The files finished: those a cancel left out do not count.
        if (!result.cancelled)
            ++done;
        if (progress)
            progress(done, total, result);
    };
    std::atomic<size_t> nextJob { 0 };
    const int groupFiles = std::clamp(m_options.groupFiles, 1, kMaxGroupFiles);
    auto worker = [&] {
        // The files this worker wrote that wait to be committed together.
        AtomicFileGroup group;
        std::vector<int> waiting;
        auto groupStart = std::chrono::steady_clock::now();
        const auto commit = [&] {
            QStringList outcome;
            bool known = true;
            try {
                outcome = group.commit();
            } catch (...) {
                // Memory ran out on the way: each file is either in place or as it was.
                known = false;
            }
            for (size_t k = 0; k < waiting.size(); ++k) {
                FileResult &result = results[size_t(waiting[k])];
                result.ok = known && outcome[qsizetype(k)].isEmpty();
                if (!known)
                    result.error = reasonText(QT_TRANSLATE_NOOP("Reason",
                        "not enough memory to finish writing the file (it holds either "
                        "the old or the new version)"));
                else if (!result.ok)
                    result.error = reasonText(QT_TRANSLATE_NOOP("Reason", "cannot write the file: %1"))
                                       .arg(outcome[qsizetype(k)]);
                report(result);
            }
            waiting.clear();
        };
        for (;;) {
            const size_t job = nextJob++;
            if (job >= jobs.size())
                break;
            bool first = true;
            for (int index : jobs[job]) {
                FileResult &result = results[size_t(index)];
                // A file listed again is read again: what the last pass wrote must be in place.
                if (!first && !waiting.empty())
                    commit();
                first = false;
                if (m_cancelled) {
                    result.error = reasonText(QT_TRANSLATE_NOOP("Reason", "not processed (the run was cancelled)"));
                    result.cancelled = true;
                    report(result);
                    continue;
                }
                // One file's failure, whatever it is, must not end the run or the process.
                std::unique_ptr<AtomicFileWriter> file;
                try {
                    file = prepareFile(result.path, &result.error, &result.unchanged);
                    result.ok = result.unchanged;
                    if (file) {
                        if (group.add(file))
                            waiting.push_back(index);
                        else
                            result.error = reasonText(QT_TRANSLATE_NOOP("Reason", "cannot write the file: %1"))
                                               .arg(file->errorString());
                    }
                } catch (const std::bad_alloc &) {
                    result.error = reasonText(QT_TRANSLATE_NOOP("Reason", "not enough memory to process the file"));
                } catch (const std::exception &e) {
                    result.error = reasonText(QT_TRANSLATE_NOOP("Reason", "the file could not be processed (%1)"))
                                       .arg(QString::fromUtf8(e.what()));
                } catch (...) {
                    result.error = reasonText(QT_TRANSLATE_NOOP("Reason", "the file could not be processed"));
                }
                if (waiting.empty() || waiting.back() != index)
                    report(result);
                else if (waiting.size() == 1)
                    groupStart = std::chrono::steady_clock::now();
                if (!waiting.empty()
                    && (group.size() >= groupFiles || group.bytes() >= kGroupBytes
                        || std::chrono::steady_clock::now() - groupStart >= kGroupTime))
                    commit();
            }
        }
        if (!waiting.empty())
            commit();
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
