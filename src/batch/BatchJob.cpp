#include "batch/BatchJob.h"

#include <system_error>

namespace {

// How often the owner's thread looks at the run, in milliseconds.
constexpr int kLookInterval = 50;

} // namespace

BatchJob::BatchJob(
    const QStringList &files, const CommentList &comments, const BatchRun::Options &options, QObject *parent)
    : QObject(parent)
    , m_run(files, comments, options)
    , m_total(int(files.size()))
{
    m_looks.setInterval(kLookInterval);
    connect(&m_looks, &QTimer::timeout, this, &BatchJob::look);
}

BatchJob::~BatchJob()
{
    if (m_thread.joinable()) {
        m_run.cancel();
        m_thread.join();
    }
}

void BatchJob::start()
{
    if (m_state != State::Ready)
        return;
    m_state = State::Running;
    m_looks.start();
    try {
        m_thread = std::thread(&BatchJob::work, this);
    } catch (const std::system_error &) {
        work(); // no thread to be had: the run goes on here, the window waits
    }
}

void BatchJob::work()
{
    m_results = m_run.process([this](int done, int, const BatchRun::FileResult &result) { fileDone(done, result); });
    m_workerDone = true;
}

void BatchJob::cancel()
{
    m_run.cancel();
}

void BatchJob::waitForFinished()
{
    if (m_state == State::Running)
        end();
}

void BatchJob::fileDone(int done, const BatchRun::FileResult &result)
{
    // Files a cancel left out were not processed: nothing to observe.
    if (m_observer && !result.cancelled)
        m_observer(result);
    std::lock_guard lock(m_progressMutex);
    m_done = done;
    m_lastPath = result.path;
}

void BatchJob::look()
{
    if (m_workerDone)
        end();
    else
        showProgress();
}

void BatchJob::showProgress()
{
    int done = 0;
    QString path;
    {
        std::lock_guard lock(m_progressMutex);
        done = m_done;
        path = m_lastPath;
    }
    if (done == m_shownDone)
        return;
    m_shownDone = done;
    emit progressChanged(done, m_total, path);
}

void BatchJob::end()
{
    if (m_state != State::Running)
        return;
    m_looks.stop();
    if (m_thread.joinable())
        m_thread.join();
    showProgress(); // the files done since the last look come first
    m_state = State::Finished;
    m_report = BatchReport(m_results, m_run.wasCancelled());
    emit finished();
}
