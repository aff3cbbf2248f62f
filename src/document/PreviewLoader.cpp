#include "document/PreviewLoader.h"

#include "core/SourceFile.h"

#include <QMutex>
#include <QRunnable>
#include <QThread>
#include <QThreadPool>

// One decode: shared by the loader and the worker, so either may go first.
struct PreviewLoader::Job
{
    QString path;
    std::shared_ptr<const SourceFile> file; // decoded instead of path when path is empty
    PreviewDecoder::Options options;
    std::atomic<bool> cancel { false };
    std::atomic<bool> started { false };
    // The loader to report to; cleared (under the mutex) when the loader no longer wants
    // this job's result, so the worker never posts to a loader that is gone.
    QMutex mutex;
    PreviewLoader *receiver = nullptr;
    PreviewImage preview;
    QString error;
    bool damaged = false;
    bool ok = false;

    void detach()
    {
        cancel = true;
        QMutexLocker lock(&mutex);
        receiver = nullptr;
    }

    // Posts call(receiver) to the receiver's thread while the receiver is known to exist;
    // the call is dropped with the receiver if it is destroyed before it runs.
    template <typename F> void post(F call)
    {
        QMutexLocker lock(&mutex);
        if (PreviewLoader *to = receiver)
            QMetaObject::invokeMethod(
                to, [to, call] { call(to); }, Qt::QueuedConnection);
    }
};

PreviewLoader::PreviewLoader(QObject *parent, QThreadPool *pool)
    : QObject(parent)
    , m_pool(pool)
{
}

PreviewLoader::~PreviewLoader()
{
    cancel();
}

QThreadPool *PreviewLoader::newThreadPool()
{
    auto *pool = new QThreadPool;
    pool->setMaxThreadCount(std::max(1, QThread::idealThreadCount()));
    return pool;
}

QThreadPool *PreviewLoader::threadPool()
{
    static QThreadPool *pool = newThreadPool();
    return pool;
}

void PreviewLoader::start(const QString &path, const QSize &box)
{
    auto job = std::make_shared<Job>();
    job->path = path;
    run(job, box);
}

void PreviewLoader::start(const QByteArray &bytes, const QSize &box)
{
    start(std::make_shared<const SourceFile>(bytes), box);
}

void PreviewLoader::start(std::shared_ptr<const SourceFile> file, const QSize &box)
{
    auto job = std::make_shared<Job>();
    job->file = std::move(file);
    if (!job->file)
        job->file = std::make_shared<const SourceFile>(QByteArray());
    run(job, box);
}

void PreviewLoader::run(const std::shared_ptr<Job> &job, const QSize &box)
{
    cancel();
    m_preview = PreviewImage();
    m_error.clear();
    job->options.maxWidth = std::max(1, box.width());
    job->options.maxHeight = std::max(1, box.height());
    job->receiver = this;
    m_job = job;
    m_running = true;

    m_pool->start([job] {
        job->started = true;
        int lastPercent = -1;
        const auto progress = [&](quint64 done, quint64 total) {
            const int percent = total ? int(done * 100 / total) : 100;
            if (percent == lastPercent)
                return;
            lastPercent = percent;
            job->post([job, percent](PreviewLoader *loader) {
                if (loader->m_job == job)
                    emit loader->progressChanged(percent);
            });
        };
        if (job->cancel)
            return;
        job->ok = job->path.isEmpty() ? PreviewDecoder::decodeSource(
                      *job->file, job->options, &job->preview, &job->cancel, progress, &job->error, &job->damaged)
                                      : PreviewDecoder::decodeFile(job->path, job->options, &job->preview, &job->cancel,
                                          progress, &job->error, &job->damaged);
        job->post([job](PreviewLoader *loader) { loader->deliver(job); });
    });
}

bool PreviewLoader::isDecoding() const
{
    return m_job && m_job->started;
}

void PreviewLoader::cancel()
{
    if (m_job) {
        m_job->detach();
        m_job.reset();
    }
    m_running = false;
}

void PreviewLoader::deliver(const std::shared_ptr<Job> &job)
{
    // A result that arrives after a newer start() or a cancel() is not ours any more.
    if (job != m_job)
        return;
    m_job.reset();
    m_running = false;
    if (job->ok) {
        m_preview = std::move(job->preview);
        emit finished();
    } else {
        m_error = job->error;
        emit failed(m_error, job->damaged);
    }
}
