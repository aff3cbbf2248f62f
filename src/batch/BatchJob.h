#pragma once

#include "batch/BatchReport.h"
#include "batch/BatchRun.h"

#include <QObject>
#include <QTimer>

#include <atomic>
#include <functional>
#include <mutex>
#include <thread>

// One batch run in a worker thread, for a window that must stay responsive: progress
// reaches the thread that owns the job as signals, cancel() stops the run between files
// (each file is replaced whole or not at all), and the report comes when the run ends.
//
// The worker touches no Qt object: it records how far it got, and the owner's thread looks
// a few times a second. So a run over millions of small files sends the window no more
// than that, and the last progress always comes before finished().
class BatchJob : public QObject
{
    Q_OBJECT

public:
    // Called in the worker thread after each file processed (not for those a cancel left
    // out), before its progress is recorded.
    using FileObserver = std::function<void(const BatchRun::FileResult &result)>;

    BatchJob(const QStringList &files, const CommentList &comments, const BatchRun::Options &options,
        QObject *parent = nullptr);
    // Cancels a run that is still going and waits for it.
    ~BatchJob() override;

    // Starts the run; does nothing when it was started before.
    void start();
    // Stops the run before its next file; safe at any time.
    void cancel();
    bool isRunning() const { return m_state == State::Running; }
    bool isFinished() const { return m_state == State::Finished; }
    // Blocks until the run has ended and finished() was emitted (shutting down, tests).
    void waitForFinished();

    // After finished(): one result per file, in list order.
    const QList<BatchRun::FileResult> &results() const { return m_results; }
    const BatchReport &report() const { return m_report; }

    // A seam for tests, which pace a run with it; set it before start().
    void setFileObserver(FileObserver observer) { m_observer = std::move(observer); }

signals:
    // done of total files have been tried; path is the last of them.
    void progressChanged(int done, int total, const QString &path);
    void finished();

private:
    enum class State { Ready, Running, Finished };

    // In the worker thread.
    void work();
    void fileDone(int done, const BatchRun::FileResult &result);
    // In the owner's thread.
    void look();
    void showProgress();
    void end();

    BatchRun m_run;
    std::thread m_thread;
    QTimer m_looks;
    State m_state = State::Ready;
    FileObserver m_observer;
    QList<BatchRun::FileResult> m_results; // written by the worker, read after it ended
    BatchReport m_report;
    const int m_total = 0;
    int m_shownDone = 0;

    std::mutex m_progressMutex;
    int m_done = 0;
    QString m_lastPath;
    std::atomic<bool> m_workerDone { false };
};
