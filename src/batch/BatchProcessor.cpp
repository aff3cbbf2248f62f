#include "batch/BatchProcessor.h"

#include "batch/BatchFileList.h"
#include "commentlist/CommentListOwner.h"

BatchProcessor::BatchProcessor(QObject *parent)
    : QObject(parent)
    , m_comments(new CommentListOwner(this))
    , m_files(new BatchFileList(this))
{
}

BatchProcessor::~BatchProcessor()
{
    delete m_job.data(); // cancels and waits
}

void BatchProcessor::setClearExisting(bool on)
{
    if (m_clearExisting == on)
        return;
    m_clearExisting = on;
    emit clearExistingChanged(on);
}

void BatchProcessor::setReplaceSameKeyword(bool on)
{
    if (m_replaceSameKeyword == on)
        return;
    m_replaceSameKeyword = on;
    emit replaceSameKeywordChanged(on);
}

// --- Edit commands ------------------------------------------------------------------------

bool BatchProcessor::copy(Focus focus, const QList<int> &rows, QMimeData *mime) const
{
    switch (focus) {
    case Focus::Comments:
        return m_comments->copy(rows, mime);
    case Focus::Files:
        return m_files->writeFiles(rows, mime);
    case Focus::None:
        break;
    }
    return false;
}

bool BatchProcessor::cut(Focus focus, const QList<int> &rows, QMimeData *mime)
{
    if (isRunning() || !copy(focus, rows, mime))
        return false;
    return deleteRows(focus, rows);
}

bool BatchProcessor::paste(Focus focus, const QMimeData *mime, int selectedRow)
{
    if (isRunning())
        return false;
    switch (focus) {
    case Focus::Comments:
        return m_comments->paste(mime, selectedRow);
    case Focus::Files:
        return m_files->insertDataFromPasteboard(mime);
    case Focus::None:
        break;
    }
    return false;
}

bool BatchProcessor::deleteRows(Focus focus, const QList<int> &rows)
{
    if (isRunning())
        return false;
    switch (focus) {
    case Focus::Comments: {
        const int before = m_comments->rowCount();
        m_comments->deleteRows(rows);
        return m_comments->rowCount() != before;
    }
    case Focus::Files:
        return m_files->removeFiles(rows);
    case Focus::None:
        break;
    }
    return false;
}

bool BatchProcessor::deleteAll(Focus focus)
{
    if (isRunning())
        return false;
    switch (focus) {
    case Focus::Comments: {
        const bool any = m_comments->rowCount() > 0;
        m_comments->deleteAll();
        return any;
    }
    case Focus::Files:
        return m_files->removeAllFiles();
    case Focus::None:
        break;
    }
    return false;
}

// --- The files ----------------------------------------------------------------------------

int BatchProcessor::addFiles(const QStringList &paths)
{
    return isRunning() ? 0 : m_files->addFiles(paths);
}

// --- The run ------------------------------------------------------------------------------

BatchRun::Options BatchProcessor::runOptions() const
{
    BatchRun::Options options;
    options.clearExisting = m_clearExisting;
    options.replaceSameKeyword = m_replaceSameKeyword;
    options.threads = m_threads > 0 ? m_threads : BatchRun::defaultThreads();
    options.groupFiles = m_groupFiles;
    return options;
}

bool BatchProcessor::run(QString *error)
{
    if (isRunning())
        return false;
    const QString unwritable = BatchRun::whyUnwritable(m_comments->allComments());
    if (!unwritable.isEmpty()) {
        if (error)
            *error = unwritable;
        return false;
    }
    start(m_comments->allComments(), runOptions());
    return true;
}

bool BatchProcessor::removeMetadata(const StripRules &rules)
{
    if (isRunning())
        return false;
    BatchRun::Options options = runOptions();
    options.strip = rules;
    // The image data stay byte for byte: only the chunk structure and the CRCs are checked.
    options.verifyImage = false;
    start({}, options);
    return true;
}

void BatchProcessor::start(const CommentList &comments, const BatchRun::Options &options)
{
    auto *job = new BatchJob(m_files->paths(), comments, options, this);
    job->setFileObserver(m_observer);
    connect(job, &BatchJob::progressChanged, this, &BatchProcessor::progressChanged);
    connect(job, &BatchJob::finished, this, &BatchProcessor::finishRun);
    m_job = job;
    m_files->setReadOnly(true);
    emit runningChanged(true);
    emit progressChanged(0, m_files->count(), QString());
    job->start();
}

void BatchProcessor::cancel()
{
    if (m_job)
        m_job->cancel();
}

void BatchProcessor::finishRun()
{
    BatchJob *job = m_job;
    m_lastReport = job->report();
    m_job = nullptr;
    job->deleteLater();
    m_files->setReadOnly(false);
    emit runningChanged(false);
    emit runFinished(m_lastReport);
}
