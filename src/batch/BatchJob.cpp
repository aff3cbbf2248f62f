#include "batch/BatchJob.h"

#include <QThread>

BatchJob::BatchJob(
    const QStringList &files, const CommentList &comments, const BatchRun::Options &options, QObject *parent)
    : QObject(parent)
    , m_run(files, comments, options)
    , m_total(int(files.size()))
{
}

BatchJob::~BatchJob()
{
    if (m_thread) {
        m_run.cancel();
        m_thread->wait();
    }
}

void BatchJob::start()
{
    if (m_state != State::Ready)
        return;
    m_state = State::Running;
    m_thread = QThread::create([this] {
        m_results = m_run.process(
            [this](int done, int total, const BatchRun::FileResult &result) { fileDone(done, total, result); });
    });
    m_thread->setParent(this);
    // Emitted by the worker, delivered here once its last progress has been posted.
    connect(m_thread, &QThread::finished, this, &BatchJob::end, Qt::QueuedConnection);
    m_thread->start();
}

void BatchJob::cancel()
{
    m_run.cancel();
}

void BatchJob::waitForFinished()
{
    if (m_state != State::Running)
        return;
    m_thread->wait();
    end();
}

void BatchJob::fileDone(int done, int total, const BatchRun::FileResult &result)
{
    if (m_observer)
        m_observer(result);
    {
        std::lock_guard lock(m_progressMutex);
        m_done = done;
        m_total = total;
        m_lastPath = result.path;
    }
    if (!m_progressPosted.exchange(true))
        QMetaObject::invokeMethod(this, &BatchJob::postProgress, Qt::QueuedConnection);
}

void BatchJob::postProgress()
{
    // Already delivered (end() delivers what is still waiting).
    if (!m_progressPosted.exchange(false))
        return;
    int done = 0, total = 0;
    QString path;
    {
        std::lock_guard lock(m_progressMutex);
        done = m_done;
        total = m_total;
        path = m_lastPath;
    }
    emit progressChanged(done, total, path);
}

void BatchJob::end()
{
    if (m_state != State::Running)
        return;
    m_thread->wait();
    // Progress posted by the worker's last file but not delivered yet comes first.
    postProgress();
    m_state = State::Finished;
    m_report = BatchReport(m_results, m_run.wasCancelled());
    emit finished();
}
