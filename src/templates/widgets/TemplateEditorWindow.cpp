#include "templates/widgets/TemplateEditorWindow.h"

#include "commentlist/widgets/CommentCellDelegate.h"
#include "commentlist/widgets/CommentEditorPanel.h"
#include "commentlist/widgets/CommentTableModel.h"
#include "commentlist/widgets/CommentTableView.h"
#include "commentlist/widgets/Prompts.h"
#include "commentlist/widgets/StoreMenu.h"
#include "commentlist/widgets/TextEditCommands.h"
#include "commentlist/widgets/UndoActions.h"
#include "commentlist/widgets/WindowActions.h"
#include "core/Strings.h"
#include "presets/MetadataPresetManager.h"
#include "templates/widgets/NewTemplateSheet.h"
#include "templates/widgets/TemplateListModel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLoggingCategory>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

Q_LOGGING_CATEGORY(lcTemplateWindow, "velmora.templates.window")

QToolButton *toolButton(const char *name, const QString &text, const QString &description)
{
    auto *button = new QToolButton;
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    button->setToolTip(description);
    button->setAccessibleName(description);
    return button;
}

} // namespace

TemplateEditorWindow::TemplateEditorWindow(TemplateEditor *store, QWidget *parent)
    : QMainWindow(parent)
    , m_store(store)
{
    setObjectName(QStringLiteral("templateEditorWindow"));
    setWindowTitle(localizedString("TemplateEditorTitle"));
    m_templatesModel = new TemplateListModel(store, this);
    m_commentsModel = new CommentTableModel(nullptr, this);
    buildWidgets();
    buildMenus();

    connect(m_templatesTable->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (m_showingSelection || m_templatesModel->isChanging())
            return;
        const QModelIndexList rows = m_templatesTable->selectionModel()->selectedRows();
        chooseTemplate(rows.isEmpty() ? -1 : rows.first().row());
    });
    // Rows of the templates table move; the current template stays selected.
    for (auto signal : { &QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved })
        connect(m_templatesModel, signal, this, &TemplateEditorWindow::showTemplateSelection);
    connect(m_templatesModel, &QAbstractItemModel::modelReset, this, [this] {
        showTemplateSelection();
        showCurrentTemplate();
    });
    // A refusal is shown once the name cell has closed.
    connect(m_templatesModel, &TemplateListModel::renameRefused, this, &TemplateEditorWindow::showRenameRefused,
        Qt::QueuedConnection);
    connect(m_commentsTable->selectionModel(), &QItemSelectionModel::selectionChanged, this,
        &TemplateEditorWindow::updateActions);
    connect(m_commentsModel, &QAbstractItemModel::modelReset, this, &TemplateEditorWindow::updateActions);
    connect(m_commentsModel, &QAbstractItemModel::rowsRemoved, this, &TemplateEditorWindow::updateActions);

    showTemplateSelection();
    showCurrentTemplate();
}

TemplateEditorWindow::~TemplateEditorWindow()
{
    // The panel goes first, while the template it edits is still there.
    delete m_commentEditor.data();
}

CommentEditorPanel *TemplateEditorWindow::commentEditor() const
{
    return m_commentEditor;
}

// --- Building -------------------------------------------------------------------------

void TemplateEditorWindow::buildWidgets()
{
    m_templatesTable = new QTableView;
    m_templatesTable->setObjectName(QStringLiteral("templatesTable"));
    m_templatesTable->setModel(m_templatesModel);
    m_templatesTable->setAccessibleName(localizedString("TemplatesTable"));
    m_templatesTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_templatesTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_templatesTable->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    m_templatesTable->setTabKeyNavigation(false);
    m_templatesTable->verticalHeader()->hide();
    m_templatesTable->horizontalHeader()->setStretchLastSection(true);
    m_templatesTable->horizontalHeader()->setHighlightSections(false);

    QToolButton *newTemplate
        = toolButton("newTemplateButton", QStringLiteral("+"), localizedString("NewTemplateTitle"));
    connect(newTemplate, &QToolButton::clicked, this, &TemplateEditorWindow::newTemplate);
    QToolButton *deleteTemplate
        = toolButton("deleteTemplateButton", QStringLiteral("−"), localizedString("DeleteTemplate"));
    connect(deleteTemplate, &QToolButton::clicked, this, &TemplateEditorWindow::deleteTemplate);
    auto *templateButtons = new QHBoxLayout;
    templateButtons->addWidget(newTemplate);
    templateButtons->addWidget(deleteTemplate);
    templateButtons->addStretch();

    auto *left = new QWidget;
    left->setMinimumWidth(MinimumListWidth);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->addWidget(m_templatesTable, 1);
    leftLayout->addLayout(templateButtons);

    m_commentsTable = new CommentTableView;
    m_commentsTable->setObjectName(QStringLiteral("commentsTable"));
    m_commentsTable->setModel(m_commentsModel);
    m_commentsTable->setItemDelegate(new CommentCellDelegate(m_commentsTable));
    m_commentsTable->horizontalHeader()->resizeSection(0, 140);
    m_commentsTable->setAccessibleName(localizedString("TemplateCommentsTable"));

    m_clearAllCheckbox = new QCheckBox(localizedString("ClearsAllWhenApplied"));
    m_clearAllCheckbox->setObjectName(QStringLiteral("clearAllCheckbox"));
    m_overwriteCheckbox = new QCheckBox(localizedString("OverwritesDuplicates"));
    m_overwriteCheckbox->setObjectName(QStringLiteral("overwriteDuplicatesCheckbox"));
    connect(m_clearAllCheckbox, &QCheckBox::clicked, this, [this](bool on) {
        if (m_shown)
            m_shown->editClearAll(on);
        showFlags();
    });
    connect(m_overwriteCheckbox, &QCheckBox::clicked, this, [this](bool on) {
        if (m_shown)
            m_shown->editOverwriteDuplicates(on);
        showFlags();
    });

    QToolButton *newComment = toolButton("newCommentButton", QStringLiteral("+"), localizedString("NewComment"));
    connect(newComment, &QToolButton::clicked, this, &TemplateEditorWindow::addMetadataField);
    QToolButton *removeComment
        = toolButton("removeCommentButton", QStringLiteral("−"), localizedString("RemoveComment"));
    connect(removeComment, &QToolButton::clicked, this, &TemplateEditorWindow::removeMetadataField);
    m_presetsMenu = StoreMenu::presetsMenu(this);
    connect(m_presetsMenu, &StoreMenu::chosen, this, &TemplateEditorWindow::addPresetMetadataField);
    QToolButton *presets = toolButton(
        "presetsButton", localizedString("PresetsButton").remove(u'&'), localizedString("MenuPresets").remove(u'&'));
    presets->setMenu(m_presetsMenu);
    presets->setPopupMode(QToolButton::InstantPopup);
    auto *openEditor = new QPushButton(localizedString("OpenCommentEditor").remove(u'&'));
    openEditor->setObjectName(QStringLiteral("openCommentEditorButton"));
    openEditor->setAutoDefault(false);
    connect(openEditor, &QPushButton::clicked, this, &TemplateEditorWindow::openCommentEditor);

    auto *commentButtons = new QHBoxLayout;
    commentButtons->addWidget(newComment);
    commentButtons->addWidget(removeComment);
    commentButtons->addStretch();
    commentButtons->addWidget(presets);
    commentButtons->addWidget(openEditor);

    auto *right = new QWidget;
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->addWidget(m_commentsTable, 1);
    rightLayout->addLayout(commentButtons);
    rightLayout->addWidget(m_clearAllCheckbox);
    rightLayout->addWidget(m_overwriteCheckbox);

    m_splitter = new QSplitter(Qt::Horizontal);
    m_splitter->setObjectName(QStringLiteral("splitter"));
    m_splitter->setAccessibleName(localizedString("TemplateSplitter"));
    m_splitter->addWidget(left);
    m_splitter->addWidget(right);
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setStretchFactor(1, 1);
    // The divider stops MinimumCommentsWidth short of the window's right edge.
    right->setMinimumWidth(MinimumCommentsWidth - m_splitter->handleWidth());
    setCentralWidget(m_splitter);
    m_splitter->setSizes({ 180, 520 });
    resize(760, 440);

    m_templateControls = { m_commentsTable, m_clearAllCheckbox, m_overwriteCheckbox, newComment, presets };
    m_selectionControls = { removeComment, openEditor };
    m_templateControls.append(deleteTemplate);
}

void TemplateEditorWindow::buildMenus()
{
    QAction *add = makeWindowAction(this, "newTemplateAction", "NewTemplate", QKeySequence::New);
    connect(add, &QAction::triggered, this, &TemplateEditorWindow::newTemplate);
    QMenu *file = menuBar()->addMenu(localizedString("MenuFile"));
    file->addAction(add);
    file->addSeparator();
    addCloseAction(file, this);

    m_history = new UndoActions(this);
    connect(m_history->undoAction(), &QAction::triggered, this, &TemplateEditorWindow::undo);
    connect(m_history->redoAction(), &QAction::triggered, this, &TemplateEditorWindow::redo);
    QMenu *edit = menuBar()->addMenu(localizedString("MenuEdit"));
    edit->addAction(m_history->undoAction());
    edit->addAction(m_history->redoAction());
    edit->addSeparator();
    const QList<QAction *> clipboard = addClipboardActions(edit, this);
    QAction *delAll = makeWindowAction(this, "deleteAllAction", "MenuDeleteAll");
    connect(delAll, &QAction::triggered, this, &TemplateEditorWindow::deleteAll);
    edit->addAction(delAll);

    QAction *remove = makeWindowAction(this, "deleteTemplateAction", "DeleteTemplate");
    connect(remove, &QAction::triggered, this, &TemplateEditorWindow::deleteTemplate);
    QAction *newComment
        = makeWindowAction(this, "addAction", "NewComment", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    connect(newComment, &QAction::triggered, this, &TemplateEditorWindow::addMetadataField);
    QAction *removeComment = makeWindowAction(this, "removeAction", "RemoveComment");
    connect(removeComment, &QAction::triggered, this, &TemplateEditorWindow::removeMetadataField);
    QAction *openEditor
        = makeWindowAction(this, "openCommentEditorAction", "OpenCommentEditor", QKeySequence(Qt::CTRL | Qt::Key_E));
    connect(openEditor, &QAction::triggered, this, &TemplateEditorWindow::openCommentEditor);
    m_clearAllAction = makeWindowAction(this, "clearAllAction", "ClearsAllWhenApplied");
    m_clearAllAction->setCheckable(true);
    connect(m_clearAllAction, &QAction::triggered, m_clearAllCheckbox, &QCheckBox::clicked);
    m_overwriteAction = makeWindowAction(this, "overwriteDuplicatesAction", "OverwritesDuplicates");
    m_overwriteAction->setCheckable(true);
    connect(m_overwriteAction, &QAction::triggered, m_overwriteCheckbox, &QCheckBox::clicked);

    QMenu *menu = menuBar()->addMenu(localizedString("MenuTemplate"));
    menu->addAction(add);
    menu->addAction(remove);
    menu->addSeparator();
    menu->addAction(newComment);
    menu->addAction(removeComment);
    menu->addAction(openEditor);
    menu->addMenu(m_presetsMenu);
    menu->addSeparator();
    menu->addAction(m_clearAllAction);
    menu->addAction(m_overwriteAction);

    m_templateActions = clipboard;
    m_templateActions << remove << newComment << delAll << m_clearAllAction << m_overwriteAction
                      << m_presetsMenu->menuAction();
    m_selectionActions = { removeComment, openEditor };
}

// --- Showing ----------------------------------------------------------------------------

void TemplateEditorWindow::makeWindowKey()
{
    show();
    raise();
    activateWindow();
}

void TemplateEditorWindow::showTemplateSelection()
{
    if (m_templatesModel->isChanging() || m_templatesModel->rowCount() != m_store->count())
        return;
    m_showingSelection = true;
    const int row = m_store->currentRow();
    QItemSelectionModel *selection = m_templatesTable->selectionModel();
    if (row < 0) {
        selection->clear();
    } else {
        const QModelIndex index = m_templatesModel->index(row, 0);
        selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_templatesTable->scrollTo(index);
    }
    m_showingSelection = false;
}

void TemplateEditorWindow::showCurrentTemplate()
{
    const EditedTemplatePtr current = m_store->editedTemplate();
    // A template that left the store lives until nothing here refers to it any more.
    const EditedTemplatePtr previous = m_shown;
    if (previous)
        disconnect(previous.get(), &EditedTemplate::flagsChanged, this, &TemplateEditorWindow::showFlags);
    m_shown = current;
    if (m_commentsModel->owner() != current.get())
        m_commentsModel->setOwner(current.get());
    if (m_commentEditor)
        m_commentEditor->setOwner(current.get());
    if (current)
        connect(current.get(), &EditedTemplate::flagsChanged, this, &TemplateEditorWindow::showFlags);
    m_history->setStack(current ? current->undoStack() : nullptr);
    showFlags();
    updateActions();
}

void TemplateEditorWindow::showFlags()
{
    const bool clearAll = m_shown && m_shown->clearsCommentsWhenApplied();
    const bool overwrite = m_shown && m_shown->overwritesDuplicatesWhenApplied();
    m_clearAllCheckbox->setChecked(clearAll);
    m_overwriteCheckbox->setChecked(overwrite);
    m_clearAllAction->setChecked(clearAll);
    m_overwriteAction->setChecked(overwrite);
}

void TemplateEditorWindow::updateActions()
{
    const bool current = m_shown != nullptr;
    for (QWidget *control : std::as_const(m_templateControls))
        control->setEnabled(current);
    for (QAction *action : std::as_const(m_templateActions))
        action->setEnabled(current);
    const bool selection = current && m_commentsTable->selectionModel()->hasSelection();
    for (QWidget *control : std::as_const(m_selectionControls))
        control->setEnabled(selection);
    for (QAction *action : std::as_const(m_selectionActions))
        action->setEnabled(selection);
}

void TemplateEditorWindow::reportFailure(const char *textKey, const QString &name, const QString &reason)
{
    Prompts::showError(this, localizedString(textKey).arg(name), reason);
}

// --- The templates ------------------------------------------------------------------------

void TemplateEditorWindow::commitEditing()
{
    m_commentsTable->commitEditing();
    if (m_commentEditor)
        m_commentEditor->commit();
}

void TemplateEditorWindow::closeCommentEditor()
{
    // Closing hands the panel's typing to the template it edits.
    if (m_commentEditor)
        m_commentEditor->close();
}

void TemplateEditorWindow::chooseTemplate(int row)
{
    // Edits still open belong to the template being left, before it is written.
    commitEditing();
    closeCommentEditor();
    const TemplatePtr leaving = m_store->currentTemplate();
    QString reason;
    if (!m_store->setCurrentTemplateIndex(row, &reason) && leaving)
        reportFailure("TemplateSaveFailed", leaving->name(), reason);
    showCurrentTemplate();
}

void TemplateEditorWindow::newTemplate()
{
    if (!m_newTemplateSheet) {
        m_newTemplateSheet = new NewTemplateSheet([this](const QString &name) { return acceptName(name); }, this);
        connect(m_newTemplateSheet, &NewTemplateSheet::nameChosen, this, &TemplateEditorWindow::createTemplate);
    }
    m_newTemplateSheet->ask();
}

bool TemplateEditorWindow::acceptName(const QString &name)
{
    const TemplateEditor::NameCheck check = m_store->templateNameIsAcceptable(name);
    if (const char *alert = TemplateEditor::alertKey(check))
        Prompts::showError(m_newTemplateSheet, localizedString(alert), QString());
    return check == TemplateEditor::NameCheck::Acceptable;
}

void TemplateEditorWindow::createTemplate(const QString &name)
{
    commitEditing();
    closeCommentEditor();
    const TemplatePtr leaving = m_store->currentTemplate();
    TemplateEditor::NameCheck check = TemplateEditor::NameCheck::Acceptable;
    QString reason;
    const TemplatePtr created = m_store->createTemplate(name, &check, &reason);
    if (!created) {
        // The name was fine a moment ago; a file may have appeared since.
        if (const char *alert = TemplateEditor::alertKey(check))
            Prompts::showError(this, localizedString(alert), QString());
        return;
    }
    showTemplateSelection();
    showCurrentTemplate();
    if (!reason.isEmpty())
        reportFailure("TemplateSaveFailed", leaving ? leaving->name() : name, reason);
}

void TemplateEditorWindow::showRenameRefused(
    TemplateEditor::NameCheck check, const QString &name, const QString &reason)
{
    if (const char *alert = TemplateEditor::alertKey(check))
        Prompts::showError(this, localizedString(alert), QString());
    else if (!reason.isEmpty())
        reportFailure("TemplateRenameFailed", name, reason);
}

void TemplateEditorWindow::deleteTemplate()
{
    const int row = m_store->currentRow();
    const TemplatePtr doomed = m_store->currentTemplate();
    if (row < 0 || !doomed)
        return;
    if (!Prompts::confirm(this, localizedString("SureDeleteTemplate"), QString()))
        return;
    closeCommentEditor();
    QString reason;
    if (!m_store->deleteTemplate(row, &reason)) {
        reportFailure("TemplateDeleteFailed", doomed->name(), reason);
        return;
    }
    // As a table keeps its selected row: the template that moved up into it, if any.
    m_store->setCurrentTemplateIndex(row < m_store->count() ? row : -1);
    showTemplateSelection();
    showCurrentTemplate();
}

// --- Edit commands --------------------------------------------------------------------------

bool TemplateEditorWindow::templatesTableHasFocus() const
{
    return m_templatesTable->hasFocus();
}

int TemplateEditorWindow::pasteRow() const
{
    const QItemSelectionModel *selection = m_commentsTable->selectionModel();
    if (!selection->hasSelection())
        return -1;
    const QModelIndex current = selection->currentIndex();
    if (current.isValid() && selection->isRowSelected(current.row()))
        return current.row();
    const QList<int> rows = m_commentsTable->selectedRowNumbers();
    return rows.isEmpty() ? -1 : rows.last();
}

void TemplateEditorWindow::cut()
{
    if (sendToFocusedTextEditor(this, TextEditCommand::Cut) || !m_shown)
        return;
    if (templatesTableHasFocus()) {
        // Every comment of the template, then the question whether to delete it.
        copy();
        deleteTemplate();
        return;
    }
    commitEditing();
    auto *mime = new QMimeData;
    if (m_shown->cut(m_commentsTable->selectedRowNumbers(), mime))
        QGuiApplication::clipboard()->setMimeData(mime);
    else
        delete mime;
}

void TemplateEditorWindow::copy()
{
    if (sendToFocusedTextEditor(this, TextEditCommand::Copy) || !m_shown)
        return;
    commitEditing();
    auto *mime = new QMimeData;
    const bool copied = templatesTableHasFocus() ? m_shown->writeAllCommentsToPasteboard(mime)
                                                 : m_shown->copy(m_commentsTable->selectedRowNumbers(), mime);
    if (copied)
        QGuiApplication::clipboard()->setMimeData(mime);
    else
        delete mime;
}

void TemplateEditorWindow::paste()
{
    if (sendToFocusedTextEditor(this, TextEditCommand::Paste) || !m_shown)
        return;
    commitEditing();
    m_shown->paste(QGuiApplication::clipboard()->mimeData(), pasteRow());
}

void TemplateEditorWindow::deleteSelection()
{
    if (sendToFocusedTextEditor(this, TextEditCommand::Delete) || !m_shown)
        return;
    if (templatesTableHasFocus()) {
        deleteTemplate();
        return;
    }
    commitEditing();
    m_shown->deleteRows(m_commentsTable->selectedRowNumbers());
}

void TemplateEditorWindow::deleteAll()
{
    if (!m_shown)
        return;
    commitEditing();
    m_shown->deleteAll();
}

void TemplateEditorWindow::undo()
{
    if (!m_shown)
        return;
    commitEditing();
    m_shown->undoStack()->undo();
}

void TemplateEditorWindow::redo()
{
    if (!m_shown)
        return;
    commitEditing();
    m_shown->undoStack()->redo();
}

// --- Comment commands -------------------------------------------------------------------

void TemplateEditorWindow::addMetadataField()
{
    if (!m_shown)
        return;
    commitEditing();
    const QModelIndex keyword = m_commentsModel->index(m_shown->addMetadataField(), CommentListOwner::KeywordColumn);
    m_commentsTable->setCurrentIndex(keyword);
    m_commentsTable->scrollTo(keyword);
    m_commentsTable->edit(keyword);
}

void TemplateEditorWindow::removeMetadataField()
{
    if (!m_shown)
        return;
    commitEditing();
    m_shown->removeMetadataField(m_commentsTable->selectedRowNumbers());
}

void TemplateEditorWindow::addPresetMetadataField(int index)
{
    const MetadataPresetManager *presets = MetadataPresetManager::presetManager();
    const PresetPtr preset = presets ? presets->presetAtIndex(index) : nullptr;
    if (!preset || !m_shown)
        return;
    commitEditing();
    // A template keeps the value's macros; they are expanded where it is applied.
    const int row = m_shown->addPresetMetadataField(*preset->unprocessedComment());
    const QModelIndex text = m_commentsModel->index(row, CommentListOwner::TextColumn);
    m_commentsTable->setCurrentIndex(text);
    m_commentsTable->scrollTo(text);
    m_commentsTable->edit(text);
}

void TemplateEditorWindow::openCommentEditor()
{
    const QList<int> rows = m_commentsTable->selectedRowNumbers();
    const CommentPtr comment = m_shown && !rows.isEmpty() ? m_shown->commentAt(rows.last()) : nullptr;
    if (!comment)
        return;
    m_commentsTable->commitEditing();
    if (!m_commentEditor) {
        m_commentEditor = new CommentEditorPanel(m_shown.get(), this);
        m_commentEditor->setWindowTitle(
            localizedString("CommentEditorTitle") + QStringLiteral(" — ") + localizedString("TemplateEditorTitle"));
    }
    m_commentEditor->editComment(comment);
}

// --- Closing ------------------------------------------------------------------------------

void TemplateEditorWindow::closeEvent(QCloseEvent *event)
{
    commitEditing();
    closeCommentEditor();
    QString reason;
    const TemplatePtr current = m_store->currentTemplate();
    if (current && !m_store->windowWillClose(&reason))
        reportFailure("TemplateSaveFailed", current->name(), reason);
    // The template stays current and in memory; the next close or choice writes it again.
    event->accept();
}

bool TemplateEditorWindow::saveForQuit()
{
    if (!isVisible())
        return true;
    commitEditing();
    closeCommentEditor();
    QString reason;
    if (m_store->appIsQuitting(true, &reason))
        return true;
    qCWarning(lcTemplateWindow, "The template could not be saved: %s", qUtf8Printable(reason));
    return false;
}
