#pragma once

#include "batch/BatchProcessor.h"
#include "windowkit/CommentListPane.h"
#include "windowkit/CommentListWindow.h"
#include "windowkit/WindowStores.h"

#include <QMainWindow>

class BatchFileTableView;
class BatchReport;
class QAction;
class QCheckBox;
class QLabel;
class QProgressBar;
class QPushButton;

// A batch window: a list of comments (the comment list pane, texts kept as typed, with
// Macros) and a list of PNG files, and the command that writes the comments into every
// file. The window shows its BatchProcessor's lists and calls its operations; while the
// files table has the focus the edit commands act on the files. A run goes on in a worker
// thread: the window shows its progress, offers Cancel, keeps its lists from being edited
// (the pane is read-only), and shows the report when the run ends. Closing the window
// during a run asks first, then stops the run and closes when it has stopped.
//
// Child widgets carry object names for tests: filesTable, filesLabel, addFilesButton,
// addFolderButton, removeFilesButton, clearExistingCheckbox, replaceCheckbox, progressBar,
// progressLabel, runButton, cancelButton, and those of the pane; actions are named after
// their commands (runAction, removeMetadataAction, cancelAction, addFilesAction …).
class BatchWindow : public QMainWindow, public CommentListWindow
{
    Q_OBJECT

public:
    explicit BatchWindow(const WindowStores &stores, QWidget *parent = nullptr);

    BatchProcessor *processor() const { return m_processor; }
    CommentListPane *pane() const { return m_pane; }
    BatchFileTableView *filesTable() const { return m_filesTable; }

    // Import and export act on the batch's comments; no import while a run goes on.
    CommentListOwner *metadataList() override;
    bool canImportMetadata() const override;

public slots:
    void addFilesWithDialog();
    void addFolderWithDialog();
    void removeFiles();
    void run();
    // Batch ▸ Remove Metadata…: asks what to remove (StripChoices), then runs the removal
    // over the files instead of writing the comments.
    void removeMetadata();
    void cancelRun();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildWidgets();
    void buildMenus();
    // An edit command while the files table has the focus.
    bool runFilesCommand(CommentListPane::EditCommand command);
    void updateFileCount();
    void showRunning(bool running);
    void showProgress(int done, int total, const QString &path);
    void showReport(const BatchReport &report);

    BatchProcessor *m_processor = nullptr;
    CommentListPane *m_pane = nullptr;
    // Controls and commands of the files, the options and Run, off while a run goes on.
    QList<QWidget *> m_editingWidgets;
    QList<QAction *> m_editingActions;
    BatchFileTableView *m_filesTable = nullptr;
    QLabel *m_filesLabel = nullptr;
    // The run's own: its progress, Cancel, and what Cancel and closing asked for.
    QProgressBar *m_progressBar = nullptr;
    QLabel *m_progressLabel = nullptr;
    bool m_cancelRequested = false;
    bool m_closeWhenStopped = false;
    QPushButton *m_cancelButton = nullptr;
    QAction *m_cancelAction = nullptr;
};
