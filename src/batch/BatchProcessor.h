#pragma once

#include "batch/BatchJob.h"
#include "batch/BatchReport.h"

#include <QList>
#include <QObject>
#include <QPointer>

class BatchFileList;
class CommentListOwner;
class QMimeData;

// What stands behind one batch window: a list of comments (texts keep their macros, to
// be expanded for each file), a list of files, the run's two options, and the run itself.
// The window shows the lists and calls these operations; the edit commands act on the list
// whose table has the focus (the comments' own commands are those of their owner).
//
// A run works on copies of both lists taken when it starts, in a worker thread (BatchJob);
// while it goes on the lists cannot be changed: every change made through this object
// is refused, the file list is read-only, and the window keeps its tables from editing.
class BatchProcessor : public QObject
{
    Q_OBJECT

public:
    // The list an edit command acts on.
    enum class Focus { None, Comments, Files };

    explicit BatchProcessor(QObject *parent = nullptr);
    // A run still going is cancelled and waited for.
    ~BatchProcessor() override;

    CommentListOwner *comments() const { return m_comments; }
    BatchFileList *files() const { return m_files; }

    bool clearExisting() const { return m_clearExisting; }
    void setClearExisting(bool on);
    bool replaceSameKeyword() const { return m_replaceSameKeyword; }
    void setReplaceSameKeyword(bool on);

    // --- Edit commands (rows of the focused list) --------------------------------------
    // Each returns whether it did something; Focus::None does nothing.
    bool copy(Focus focus, const QList<int> &rows, QMimeData *mime) const;
    bool cut(Focus focus, const QList<int> &rows, QMimeData *mime);
    // Comments go before selectedRow (negative: at the end); files to their sorted place.
    bool paste(Focus focus, const QMimeData *mime, int selectedRow);
    bool deleteRows(Focus focus, const QList<int> &rows);
    bool deleteAll(Focus focus);

    // --- The files -------------------------------------------------------------------
    // Adds files and folders (searched to any depth), honouring the extension check.
    // Returns how many files were added.
    int addFiles(const QStringList &paths);

    // --- The run ---------------------------------------------------------------------
    bool isRunning() const { return m_job != nullptr; }
    // The options a run started now would use.
    BatchRun::Options runOptions() const;
    // Files processed at once (default: the number of cores).
    void setThreads(int threads) { m_threads = threads; }
    // Files put in place together (BatchRun::Options::groupFiles); 1: each before the next.
    void setGroupFiles(int files) { m_groupFiles = files; }
    // Starts a run over the files with the comments; false while one is going, and false
    // with *error naming the entry when a comment is one no PNG file can hold (nothing is
    // started, no file touched).
    bool run(QString *error = nullptr);
    // Starts a run that removes metadata from the files by these rules (StripRules; the
    // window's choices) instead of writing the comments; a file with nothing to remove is
    // left as it was. False while a run is going.
    bool removeMetadata(const StripRules &rules);
    // Stops the run between files; the report then names the files not processed.
    void cancel();
    // The report of the last run that ended.
    const BatchReport &lastReport() const { return m_lastReport; }
    // Tests pace runs with it (BatchJob::setFileObserver).
    void setFileObserver(BatchJob::FileObserver observer) { m_observer = std::move(observer); }

signals:
    void clearExistingChanged(bool on);
    void replaceSameKeywordChanged(bool on);
    void runningChanged(bool running);
    void progressChanged(int done, int total, const QString &path);
    void runFinished(const BatchReport &report);

private:
    void start(const CommentList &comments, const BatchRun::Options &options);
    void finishRun();

    CommentListOwner *m_comments = nullptr;
    BatchFileList *m_files = nullptr;
    bool m_clearExisting = false;
    bool m_replaceSameKeyword = false;
    int m_groupFiles = BatchRun::Options().groupFiles;
    int m_threads = 0;
    QPointer<BatchJob> m_job;
    BatchJob::FileObserver m_observer;
    BatchReport m_lastReport;
};
