#include "batch/widgets/BatchWindow.h"

#include "batch/BatchFileList.h"
#include "batch/BatchReport.h"
#include "batch/widgets/BatchFileTableView.h"
#include "commentlist/CommentListOwner.h"
#include "commentlist/widgets/CommentCellDelegate.h"
#include "commentlist/widgets/CommentEditorPanel.h"
#include "commentlist/widgets/CommentTableModel.h"
#include "commentlist/widgets/CommentTableView.h"
#include "commentlist/widgets/Prompts.h"
#include "commentlist/widgets/StoreMenu.h"
#include "core/Strings.h"
#include "core/TextMacros.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

QToolButton *toolButton(const char *name, const QString &text, const QString &accessibleName)
{
    auto *button = new QToolButton;
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setToolTip(accessibleName);
    button->setAccessibleName(accessibleName);
    return button;
}

QToolButton *menuButton(const char *name, QMenu *menu)
{
    // No mnemonics: the menu bar's menus have them.
    QToolButton *button = toolButton(name, menu->title().remove(u'&'), menu->title().remove(u'&'));
    button->setMenu(menu);
    button->setPopupMode(QToolButton::InstantPopup);
    return button;
}

} // namespace

BatchWindow::BatchWindow(QWidget *parent)
    : QMainWindow(parent)
    , m_processor(new BatchProcessor(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(localizedString("BatchWindowTitle"));
    m_commentsModel = new CommentTableModel(m_processor->comments(), this);
    buildWidgets();
    buildMenus();

    connect(m_processor, &BatchProcessor::runningChanged, this, &BatchWindow::showRunning);
    connect(m_processor, &BatchProcessor::progressChanged, this, &BatchWindow::showProgress);
    connect(m_processor, &BatchProcessor::runFinished, this, &BatchWindow::showReport);
    connect(m_processor->files(), &QAbstractItemModel::modelReset, this, &BatchWindow::updateFileCount);
    connect(m_processor->files(), &QAbstractItemModel::rowsRemoved, this, &BatchWindow::updateFileCount);
    connect(m_presetsMenu, &StoreMenu::chosen, this, &BatchWindow::addPresetMetadataField);
    connect(m_templatesMenu, &StoreMenu::chosen, this, &BatchWindow::applyTemplate);
    statusBar(); // there from the start, so the layout does not move when it first speaks
    updateFileCount();
    showRunning(false);
}

CommentListOwner *BatchWindow::metadataList()
{
    commitEditing();
    return m_processor->comments();
}

bool BatchWindow::canImportMetadata() const
{
    return !m_processor->isRunning();
}

BatchWindow::~BatchWindow()
{
    // The panel goes first, while the list it edits is still there.
    delete m_commentEditor.data();
}

CommentEditorPanel *BatchWindow::commentEditor() const
{
    return m_commentEditor;
}

// --- Building -------------------------------------------------------------------------

void BatchWindow::buildWidgets()
{
    m_commentsTable = new CommentTableView;
    m_commentsTable->setObjectName(QStringLiteral("commentsTable"));
    m_commentsTable->setModel(m_commentsModel);
    m_commentsTable->setItemDelegate(new CommentCellDelegate(m_commentsTable));
    m_commentsTable->horizontalHeader()->resizeSection(0, 160);
    m_commentsTable->setAccessibleName(localizedString("BatchCommentsLabel"));
    auto *commentsLabel = new QLabel(localizedString("BatchCommentsLabel"));
    commentsLabel->setBuddy(m_commentsTable);

    auto *addButton = toolButton("addButton", QStringLiteral("+"), localizedString("AddComment"));
    connect(addButton, &QToolButton::clicked, this, &BatchWindow::addMetadataField);
    auto *removeButton = toolButton("removeButton", QStringLiteral("−"), localizedString("RemoveComment"));
    connect(removeButton, &QToolButton::clicked, this, &BatchWindow::removeMetadataField);

    m_presetsMenu = StoreMenu::presetsMenu(this);
    m_templatesMenu = StoreMenu::templatesMenu(this);
    m_macrosMenu = new QMenu(localizedString("InsertMacro"), this);
    m_macrosMenu->setObjectName(QStringLiteral("macrosMenu"));
    for (const QString &name : macroNames()) {
        QAction *item = m_macrosMenu->addAction(name);
        connect(item, &QAction::triggered, this, [this, name] { insertMacro(name); });
    }
    QToolButton *presetsButton = menuButton("presetsButton", m_presetsMenu);
    QToolButton *templatesButton = menuButton("templatesButton", m_templatesMenu);
    QToolButton *macrosButton = menuButton("macrosButton", m_macrosMenu);
    macrosButton->setText(localizedString("MacrosButton"));
    // Clicking it leaves the focus in the cell being edited, where the macro goes.
    macrosButton->setFocusPolicy(Qt::NoFocus);
    auto *editorButton = new QPushButton(localizedString("OpenCommentEditor").remove(u'&'));
    editorButton->setObjectName(QStringLiteral("commentEditorButton"));
    editorButton->setAutoDefault(false);
    connect(editorButton, &QPushButton::clicked, this, &BatchWindow::openCommentEditor);

    auto *commentButtons = new QHBoxLayout;
    commentButtons->addWidget(addButton);
    commentButtons->addWidget(removeButton);
    commentButtons->addStretch();
    commentButtons->addWidget(presetsButton);
    commentButtons->addWidget(templatesButton);
    commentButtons->addWidget(macrosButton);
    commentButtons->addWidget(editorButton);

    auto *commentsPane = new QWidget;
    auto *commentsLayout = new QVBoxLayout(commentsPane);
    commentsLayout->addWidget(commentsLabel);
    commentsLayout->addWidget(m_commentsTable, 1);
    commentsLayout->addLayout(commentButtons);

    m_filesTable = new BatchFileTableView;
    m_filesTable->setObjectName(QStringLiteral("filesTable"));
    m_filesTable->setModel(m_processor->files());
    m_filesTable->setAccessibleName(localizedString("BatchFilesLabel"));
    m_filesLabel = new QLabel;
    m_filesLabel->setObjectName(QStringLiteral("filesLabel"));
    m_filesLabel->setBuddy(m_filesTable);

    auto *addFilesButton = new QPushButton(localizedString("AddFiles"));
    addFilesButton->setObjectName(QStringLiteral("addFilesButton"));
    connect(addFilesButton, &QPushButton::clicked, this, &BatchWindow::addFilesWithDialog);
    auto *addFolderButton = new QPushButton(localizedString("AddFolder"));
    addFolderButton->setObjectName(QStringLiteral("addFolderButton"));
    connect(addFolderButton, &QPushButton::clicked, this, &BatchWindow::addFolderWithDialog);
    auto *removeFilesButton = toolButton("removeFilesButton", QStringLiteral("−"), localizedString("RemoveFiles"));
    connect(removeFilesButton, &QToolButton::clicked, this, &BatchWindow::removeFiles);
    for (QPushButton *button : { addFilesButton, addFolderButton })
        button->setAutoDefault(false);

    auto *fileButtons = new QHBoxLayout;
    fileButtons->addWidget(addFilesButton);
    fileButtons->addWidget(addFolderButton);
    fileButtons->addWidget(removeFilesButton);
    fileButtons->addStretch();

    auto *filesPane = new QWidget;
    auto *filesLayout = new QVBoxLayout(filesPane);
    filesLayout->addWidget(m_filesLabel);
    filesLayout->addWidget(m_filesTable, 1);
    filesLayout->addLayout(fileButtons);

    auto *splitter = new QSplitter(Qt::Vertical);
    splitter->setObjectName(QStringLiteral("splitter"));
    splitter->addWidget(commentsPane);
    splitter->addWidget(filesPane);
    splitter->setChildrenCollapsible(false);

    m_clearExistingCheckbox = new QCheckBox(localizedString("ClearExistingMetadata"));
    m_clearExistingCheckbox->setObjectName(QStringLiteral("clearExistingCheckbox"));
    connect(m_clearExistingCheckbox, &QCheckBox::toggled, m_processor, &BatchProcessor::setClearExisting);
    connect(m_processor, &BatchProcessor::clearExistingChanged, m_clearExistingCheckbox, &QCheckBox::setChecked);
    m_replaceCheckbox = new QCheckBox(localizedString("ReplaceSameKeyword"));
    m_replaceCheckbox->setObjectName(QStringLiteral("replaceCheckbox"));
    connect(m_replaceCheckbox, &QCheckBox::toggled, m_processor, &BatchProcessor::setReplaceSameKeyword);
    connect(m_processor, &BatchProcessor::replaceSameKeywordChanged, m_replaceCheckbox, &QCheckBox::setChecked);

    m_progressBar = new QProgressBar;
    m_progressBar->setObjectName(QStringLiteral("progressBar"));
    m_progressBar->setAccessibleName(localizedString("BatchProgress"));
    m_progressBar->setRange(0, 1);
    m_progressBar->setValue(0);
    m_progressBar->setFormat(QStringLiteral("%v / %m"));
    m_progressBar->setTextVisible(false);
    // Hidden until a run counts its files (an empty bar reads as an empty text field), its
    // place kept so the Run button does not move.
    QSizePolicy barPolicy = m_progressBar->sizePolicy();
    barPolicy.setRetainSizeWhenHidden(true);
    m_progressBar->setSizePolicy(barPolicy);
    m_progressBar->hide();
    m_progressLabel = new QLabel;
    m_progressLabel->setObjectName(QStringLiteral("progressLabel"));
    m_progressLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_progressLabel->setMinimumWidth(100);

    m_runButton = new QPushButton(localizedString("RunBatch"));
    m_runButton->setObjectName(QStringLiteral("runButton"));
    m_runButton->setAutoDefault(false);
    connect(m_runButton, &QPushButton::clicked, this, &BatchWindow::run);
    m_cancelButton = new QPushButton(localizedString("CancelRun"));
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    m_cancelButton->setAutoDefault(false);
    connect(m_cancelButton, &QPushButton::clicked, this, &BatchWindow::cancelRun);

    auto *options = new QHBoxLayout;
    options->addWidget(m_clearExistingCheckbox);
    options->addWidget(m_replaceCheckbox);
    options->addStretch();
    auto *runRow = new QHBoxLayout;
    runRow->addWidget(m_progressBar, 1);
    runRow->addWidget(m_runButton);
    runRow->addWidget(m_cancelButton);

    auto *central = new QWidget;
    auto *layout = new QVBoxLayout(central);
    layout->addWidget(splitter, 1);
    layout->addLayout(options);
    layout->addLayout(runRow);
    layout->addWidget(m_progressLabel);
    setCentralWidget(central);
    resize(760, 640);

    m_editingWidgets = { addButton, removeButton, presetsButton, templatesButton, macrosButton, addFilesButton,
        addFolderButton, removeFilesButton, m_clearExistingCheckbox, m_replaceCheckbox };
}

QAction *BatchWindow::makeAction(const char *name, const char *textKey, const QList<QKeySequence> &shortcuts)
{
    auto *action = new QAction(localizedString(textKey), this);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcuts(shortcuts);
    return action;
}

void BatchWindow::buildMenus()
{
    QAction *addFiles = makeAction("addFilesAction", "AddFiles", { Qt::CTRL | Qt::SHIFT | Qt::Key_O });
    connect(addFiles, &QAction::triggered, this, &BatchWindow::addFilesWithDialog);
    QAction *addFolder = makeAction("addFolderAction", "AddFolder");
    connect(addFolder, &QAction::triggered, this, &BatchWindow::addFolderWithDialog);
    QAction *close = makeAction("closeAction", "MenuClose", { QKeySequence::Close });
    connect(close, &QAction::triggered, this, &QWidget::close);

    QMenu *file = menuBar()->addMenu(localizedString("MenuFile"));
    file->addAction(addFiles);
    file->addAction(addFolder);
    file->addSeparator();
    file->addAction(close);

    m_undoAction = makeAction("undoAction", "MenuUndo", { QKeySequence::Undo });
    connect(m_undoAction, &QAction::triggered, this, &BatchWindow::undo);
    m_redoAction = makeAction("redoAction", "MenuRedo", { QKeySequence::Redo });
    connect(m_redoAction, &QAction::triggered, this, &BatchWindow::redo);
    // Undo and Redo name the step they take ("Undo Delete All").
    UndoStack *history = m_processor->comments()->undoStack();
    const auto showStep = [](QAction *action, const char *plainKey, const char *stepKey, const QString &step) {
        action->setText(step.isEmpty() ? localizedString(plainKey) : localizedString(stepKey).arg(step));
    };
    connect(history, &UndoStack::undoTextChanged, m_undoAction,
        [=, this](const QString &step) { showStep(m_undoAction, "MenuUndo", "MenuUndoStep", step); });
    connect(history, &UndoStack::redoTextChanged, m_redoAction,
        [=, this](const QString &step) { showStep(m_redoAction, "MenuRedo", "MenuRedoStep", step); });
    connect(history, &UndoStack::canUndoChanged, this, &BatchWindow::updateActions);
    connect(history, &UndoStack::canRedoChanged, this, &BatchWindow::updateActions);

    QAction *cut = makeAction("cutAction", "MenuCut", { QKeySequence::Cut });
    connect(cut, &QAction::triggered, this, &BatchWindow::cut);
    QAction *copy = makeAction("copyAction", "MenuCopy", { QKeySequence::Copy });
    connect(copy, &QAction::triggered, this, &BatchWindow::copy);
    QAction *paste = makeAction("pasteAction", "MenuPaste", { QKeySequence::Paste });
    connect(paste, &QAction::triggered, this, &BatchWindow::paste);
    QAction *del = makeAction("deleteAction", "MenuDelete", { QKeySequence::Delete });
    connect(del, &QAction::triggered, this, &BatchWindow::deleteSelection);
    QAction *delAll = makeAction("deleteAllAction", "MenuDeleteAll");
    connect(delAll, &QAction::triggered, this, &BatchWindow::deleteAll);
    QAction *selectAll = makeAction("selectAllAction", "MenuSelectAll", { QKeySequence::SelectAll });
    connect(selectAll, &QAction::triggered, this, &BatchWindow::selectAll);

    QMenu *edit = menuBar()->addMenu(localizedString("MenuEdit"));
    edit->addAction(m_undoAction);
    edit->addAction(m_redoAction);
    edit->addSeparator();
    edit->addAction(cut);
    edit->addAction(copy);
    edit->addAction(paste);
    edit->addAction(del);
    edit->addAction(delAll);
    edit->addSeparator();
    edit->addAction(selectAll);

    QAction *add = makeAction("addAction", "AddComment", { Qt::CTRL | Qt::SHIFT | Qt::Key_N });
    connect(add, &QAction::triggered, this, &BatchWindow::addMetadataField);
    QAction *remove = makeAction("removeAction", "RemoveComment");
    connect(remove, &QAction::triggered, this, &BatchWindow::removeMetadataField);
    QAction *openEditor = makeAction("openCommentEditorAction", "OpenCommentEditor", { Qt::CTRL | Qt::Key_E });
    connect(openEditor, &QAction::triggered, this, &BatchWindow::openCommentEditor);

    QMenu *comments = menuBar()->addMenu(localizedString("MenuComments"));
    comments->addAction(add);
    comments->addAction(remove);
    comments->addSeparator();
    comments->addAction(openEditor);
    comments->addMenu(m_macrosMenu);

    menuBar()->addMenu(m_presetsMenu);
    menuBar()->addMenu(m_templatesMenu);

    QAction *removeFiles = makeAction("removeFilesAction", "RemoveFiles");
    connect(removeFiles, &QAction::triggered, this, &BatchWindow::removeFiles);
    m_clearExistingAction = makeAction("clearExistingAction", "ClearExistingMetadata");
    m_clearExistingAction->setCheckable(true);
    connect(m_clearExistingAction, &QAction::toggled, m_processor, &BatchProcessor::setClearExisting);
    connect(m_processor, &BatchProcessor::clearExistingChanged, m_clearExistingAction, &QAction::setChecked);
    m_replaceAction = makeAction("replaceAction", "ReplaceSameKeyword");
    m_replaceAction->setCheckable(true);
    connect(m_replaceAction, &QAction::toggled, m_processor, &BatchProcessor::setReplaceSameKeyword);
    connect(m_processor, &BatchProcessor::replaceSameKeywordChanged, m_replaceAction, &QAction::setChecked);
    m_runAction = makeAction("runAction", "RunBatch", { Qt::CTRL | Qt::Key_R });
    connect(m_runAction, &QAction::triggered, this, &BatchWindow::run);
    m_cancelAction = makeAction("cancelAction", "CancelRun", { Qt::Key_Escape, Qt::CTRL | Qt::Key_Period });
    connect(m_cancelAction, &QAction::triggered, this, &BatchWindow::cancelRun);

    QMenu *batch = menuBar()->addMenu(localizedString("MenuBatch"));
    batch->addAction(addFiles);
    batch->addAction(addFolder);
    batch->addAction(removeFiles);
    batch->addSeparator();
    batch->addAction(m_clearExistingAction);
    batch->addAction(m_replaceAction);
    batch->addSeparator();
    batch->addAction(m_runAction);
    batch->addAction(m_cancelAction);

    m_editingActions = { addFiles, addFolder, cut, paste, del, delAll, add, remove, removeFiles, m_clearExistingAction,
        m_replaceAction };
    m_presetsMenu->menuAction()->setObjectName(QStringLiteral("presetsMenuAction"));
    m_templatesMenu->menuAction()->setObjectName(QStringLiteral("templatesMenuAction"));
    m_macrosMenu->menuAction()->setObjectName(QStringLiteral("macrosMenuAction"));
}

// --- Showing ----------------------------------------------------------------------------

void BatchWindow::updateActions()
{
    const bool running = m_processor->isRunning();
    for (QAction *action : std::as_const(m_editingActions))
        action->setEnabled(!running);
    for (QAction *menu : { m_presetsMenu->menuAction(), m_templatesMenu->menuAction(), m_macrosMenu->menuAction() })
        menu->setEnabled(!running);
    const UndoStack *history = m_processor->comments()->undoStack();
    m_undoAction->setEnabled(!running && history->canUndo());
    m_redoAction->setEnabled(!running && history->canRedo());
    m_runAction->setEnabled(!running);
    m_cancelAction->setEnabled(running);
}

void BatchWindow::updateFileCount()
{
    m_filesLabel->setText(localizedString("BatchFilesCount").arg(m_processor->files()->count()));
}

void BatchWindow::showRunning(bool running)
{
    for (QWidget *widget : std::as_const(m_editingWidgets))
        widget->setEnabled(!running);
    // The tables stay readable (and copyable), but take no edits and no drops.
    m_commentsTable->setEditTriggers(running
            ? QAbstractItemView::NoEditTriggers
            : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    for (QAbstractItemView *table :
        { static_cast<QAbstractItemView *>(m_commentsTable), static_cast<QAbstractItemView *>(m_filesTable) }) {
        table->setDragDropMode(running ? QAbstractItemView::DragOnly : QAbstractItemView::DragDrop);
        table->setAcceptDrops(!running);
    }
    if (m_commentEditor)
        m_commentEditor->setEnabled(!running);
    m_runButton->setEnabled(!running);
    m_cancelButton->setEnabled(running);
    if (running) {
        m_cancelRequested = false;
        m_progressLabel->setText(localizedString("BatchStarting"));
        m_cancelButton->setFocus(Qt::OtherFocusReason);
    }
    updateActions();
}

void BatchWindow::showProgress(int done, int total, const QString &path)
{
    m_progressBar->setTextVisible(true);
    m_progressBar->show();
    m_progressBar->setRange(0, std::max(total, 1));
    m_progressBar->setValue(done);
    if (!path.isEmpty() && !m_cancelRequested)
        m_progressLabel->setText(
            localizedString("BatchProgressText").arg(done).arg(total).arg(QFileInfo(path).fileName()));
}

void BatchWindow::showReport(const BatchReport &report)
{
    m_progressLabel->setText(report.headline());
    if (m_closeWhenStopped) {
        close();
        return;
    }
    Prompts::showReport(this, report.title(), report.summary(), report.details());
}

// --- Commands ---------------------------------------------------------------------------

BatchProcessor::Focus BatchWindow::focusedList() const
{
    for (const QWidget *widget = focusWidget(); widget && widget != this; widget = widget->parentWidget()) {
        if (widget == m_commentsTable)
            return BatchProcessor::Focus::Comments;
        if (widget == m_filesTable)
            return BatchProcessor::Focus::Files;
    }
    return BatchProcessor::Focus::None;
}

QList<int> BatchWindow::selectedRows(BatchProcessor::Focus focus) const
{
    switch (focus) {
    case BatchProcessor::Focus::Comments:
        return m_commentsTable->selectedRowNumbers();
    case BatchProcessor::Focus::Files:
        return m_filesTable->selectedRowNumbers();
    case BatchProcessor::Focus::None:
        break;
    }
    return {};
}

void BatchWindow::commitEditing()
{
    m_commentsTable->commitEditing();
    if (m_commentEditor)
        m_commentEditor->commit();
}

void BatchWindow::cut()
{
    commitEditing();
    const BatchProcessor::Focus focus = focusedList();
    auto *mime = new QMimeData;
    if (m_processor->cut(focus, selectedRows(focus), mime))
        QGuiApplication::clipboard()->setMimeData(mime);
    else
        delete mime;
}

void BatchWindow::copy()
{
    commitEditing();
    const BatchProcessor::Focus focus = focusedList();
    auto *mime = new QMimeData;
    if (m_processor->copy(focus, selectedRows(focus), mime))
        QGuiApplication::clipboard()->setMimeData(mime);
    else
        delete mime;
}

void BatchWindow::paste()
{
    commitEditing();
    const BatchProcessor::Focus focus = focusedList();
    const int row = focus == BatchProcessor::Focus::Comments ? m_commentsTable->pasteRow() : -1;
    m_processor->paste(focus, QGuiApplication::clipboard()->mimeData(), row);
}

void BatchWindow::deleteSelection()
{
    commitEditing();
    const BatchProcessor::Focus focus = focusedList();
    m_processor->deleteRows(focus, selectedRows(focus));
}

void BatchWindow::deleteAll()
{
    commitEditing();
    m_processor->deleteAll(focusedList());
}

void BatchWindow::selectAll()
{
    switch (focusedList()) {
    case BatchProcessor::Focus::Comments:
        m_commentsTable->selectAll();
        break;
    case BatchProcessor::Focus::Files:
        m_filesTable->selectAll();
        break;
    case BatchProcessor::Focus::None:
        break;
    }
}

void BatchWindow::undo()
{
    commitEditing();
    if (!m_processor->isRunning())
        m_processor->comments()->undoStack()->undo();
}

void BatchWindow::redo()
{
    commitEditing();
    if (!m_processor->isRunning())
        m_processor->comments()->undoStack()->redo();
}

void BatchWindow::addMetadataField()
{
    commitEditing();
    const int row = m_processor->addMetadataField();
    if (row < 0)
        return;
    const QModelIndex keyword = m_commentsModel->index(row, CommentListOwner::KeywordColumn);
    m_commentsTable->setFocus(Qt::OtherFocusReason);
    m_commentsTable->setCurrentIndex(keyword);
    m_commentsTable->scrollTo(keyword);
    m_commentsTable->edit(keyword);
}

void BatchWindow::removeMetadataField()
{
    commitEditing();
    m_processor->removeMetadataField(m_commentsTable->selectedRowNumbers());
}

void BatchWindow::addPresetMetadataField(int index)
{
    commitEditing();
    const int row = m_processor->addPresetMetadataField(index);
    if (row < 0)
        return;
    const QModelIndex text = m_commentsModel->index(row, CommentListOwner::TextColumn);
    m_commentsTable->setFocus(Qt::OtherFocusReason);
    m_commentsTable->setCurrentIndex(text);
    m_commentsTable->scrollTo(text);
    m_commentsTable->edit(text);
}

void BatchWindow::applyTemplate(int index)
{
    commitEditing();
    m_processor->applyTemplate(index);
}

void BatchWindow::insertMacro(const QString &name)
{
    QWidget *editor = QApplication::focusWidget();
    if (!editor || !m_commentsTable->isAncestorOf(editor) || m_processor->isRunning())
        return;
    if (auto *line = qobject_cast<QLineEdit *>(editor)) {
        line->insert(name);
        line->setModified(true);
    } else if (auto *text = qobject_cast<QPlainTextEdit *>(editor))
        text->insertPlainText(name);
}

void BatchWindow::openCommentEditor()
{
    const QList<int> rows = m_commentsTable->selectedRowNumbers();
    const CommentPtr comment = rows.isEmpty() ? nullptr : m_processor->comments()->commentAt(rows.last());
    if (!comment)
        return;
    m_commentsTable->commitEditing();
    if (!m_commentEditor) {
        m_commentEditor = new CommentEditorPanel(m_processor->comments(), this);
        m_commentEditor->setWindowTitle(
            localizedString("CommentEditorTitle") + QStringLiteral(" — ") + localizedString("BatchWindowTitle"));
        m_commentEditor->setEnabled(!m_processor->isRunning());
    }
    m_commentEditor->editComment(comment);
}

void BatchWindow::addFilesWithDialog()
{
    if (m_processor->isRunning())
        return;
    QStringList filters { localizedString("PngFileFilter"), localizedString("AllFilesFilter") };
    if (!BatchFileList::checkFileExtension())
        std::swap(filters[0], filters[1]);
    const QStringList paths = Prompts::openFileNames(this, localizedString("ChooseFiles"), filters);
    if (!paths.isEmpty())
        statusBar()->showMessage(localizedString("FilesAdded").arg(m_processor->addFiles(paths)), 5000);
}

void BatchWindow::addFolderWithDialog()
{
    if (m_processor->isRunning())
        return;
    const QString folder = Prompts::folderName(this, localizedString("ChooseFolder"));
    if (!folder.isEmpty())
        statusBar()->showMessage(localizedString("FilesAdded").arg(m_processor->addFiles({ folder })), 5000);
}

void BatchWindow::removeFiles()
{
    m_processor->deleteRows(BatchProcessor::Focus::Files, m_filesTable->selectedRowNumbers());
}

void BatchWindow::run()
{
    commitEditing();
    QString error;
    if (!m_processor->run(&error) && !error.isEmpty())
        Prompts::showError(this, localizedString("BatchCannotRun"), error);
}

void BatchWindow::cancelRun()
{
    if (!m_processor->isRunning())
        return;
    m_processor->cancel();
    m_cancelRequested = true;
    m_progressLabel->setText(localizedString("BatchCancelling"));
}

void BatchWindow::closeEvent(QCloseEvent *event)
{
    commitEditing();
    if (!m_processor->isRunning()) {
        event->accept();
        return;
    }
    // The window goes once the run has stopped (between files).
    event->ignore();
    if (!m_closeWhenStopped
        && !Prompts::confirm(
            this, localizedString("StopRunQuery"), localizedString("StopRunInfo"), localizedString("StopAndClose")))
        return;
    m_closeWhenStopped = true;
    if (m_processor->isRunning())
        cancelRun();
    else // it ended while the question was open
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}
