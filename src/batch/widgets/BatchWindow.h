#pragma once

#include "batch/BatchProcessor.h"
#include "commentlist/widgets/CommentListWindow.h"

#include <QMainWindow>
#include <QPointer>

class BatchFileTableView;
class BatchReport;
class CommentEditorPanel;
class CommentTableModel;
class CommentTableView;
class QAction;
class QCheckBox;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class StoreMenu;

// A batch window: a list of comments and a list of PNG files, and the command that
// writes the comments into every file. The window shows its BatchProcessor's lists and
// calls its operations; the edit commands act on the table that has the focus. A run
// goes on in a worker thread: the window shows its progress, offers Cancel, keeps its
// lists from being edited, and shows the report when the run ends. Closing the window
// during a run asks first, then stops the run and closes when it has stopped.
//
// Child widgets carry object names for tests: commentsTable, filesTable, filesLabel,
// addButton, removeButton, presetsButton, templatesButton, macrosButton,
// commentEditorButton, addFilesButton, addFolderButton, removeFilesButton,
// clearExistingCheckbox, replaceCheckbox, progressBar, progressLabel, runButton,
// cancelButton, presetsMenu, templatesMenu, macrosMenu; actions are named after their
// commands (runAction, cancelAction, addFilesAction …).
class BatchWindow : public QMainWindow, public CommentListWindow
{
    Q_OBJECT

public:
    explicit BatchWindow(QWidget *parent = nullptr);
    ~BatchWindow() override;

    BatchProcessor *processor() const { return m_processor; }
    CommentTableView *commentsTable() const { return m_commentsTable; }
    BatchFileTableView *filesTable() const { return m_filesTable; }
    // The comment editor panel, or nullptr before its first use.
    CommentEditorPanel *commentEditor() const;

    // The list whose table has the focus (a cell being edited counts for its table).
    BatchProcessor::Focus focusedList() const;

    // Import and export act on the batch's comments; no import while a run goes on.
    CommentListOwner *metadataList() override;
    bool canImportMetadata() const override;

public slots:
    void cut();
    void copy();
    void paste();
    void deleteSelection();
    void deleteAll();
    void selectAll();
    void undo();
    void redo();
    void addMetadataField();
    void removeMetadataField();
    void addPresetMetadataField(int index);
    void applyTemplate(int index);
    // Inserts a macro name at the cursor of the comment cell being edited; nothing when
    // no cell is being edited.
    void insertMacro(const QString &name);
    void openCommentEditor();
    void addFilesWithDialog();
    void addFolderWithDialog();
    void removeFiles();
    void run();
    void cancelRun();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildWidgets();
    void buildMenus();
    QAction *makeAction(const char *name, const char *textKey, const QList<QKeySequence> &shortcuts = {});
    // Hands open edits (a table cell, the panel) to the list.
    void commitEditing();
    QList<int> selectedRows(BatchProcessor::Focus focus) const;
    void updateActions();
    void updateFileCount();
    void showRunning(bool running);
    void showProgress(int done, int total, const QString &path);
    void showReport(const BatchReport &report);

    BatchProcessor *m_processor = nullptr;
    CommentTableModel *m_commentsModel = nullptr;
    CommentTableView *m_commentsTable = nullptr;
    BatchFileTableView *m_filesTable = nullptr;
    QLabel *m_filesLabel = nullptr;
    QCheckBox *m_clearExistingCheckbox = nullptr;
    QCheckBox *m_replaceCheckbox = nullptr;
    QProgressBar *m_progressBar = nullptr;
    QLabel *m_progressLabel = nullptr;
    QPushButton *m_runButton = nullptr;
    QPushButton *m_cancelButton = nullptr;
    StoreMenu *m_presetsMenu = nullptr;
    StoreMenu *m_templatesMenu = nullptr;
    QMenu *m_macrosMenu = nullptr;
    // Controls and commands that change the lists, off while a run goes on.
    QList<QWidget *> m_editingWidgets;
    QList<QAction *> m_editingActions;
    QAction *m_clearExistingAction = nullptr;
    QAction *m_replaceAction = nullptr;
    QAction *m_runAction = nullptr;
    QAction *m_cancelAction = nullptr;
    QAction *m_undoAction = nullptr;
    QAction *m_redoAction = nullptr;
    QPointer<CommentEditorPanel> m_commentEditor;
    bool m_closeWhenStopped = false;
    bool m_cancelRequested = false;
};
