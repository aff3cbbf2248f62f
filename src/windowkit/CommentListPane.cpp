#include "windowkit/CommentListPane.h"

#include "commentlist/CommentListOwner.h"
#include "commentlist/widgets/CommentCellDelegate.h"
#include "commentlist/widgets/CommentTableModel.h"
#include "commentlist/widgets/CommentTableView.h"
#include "core/Strings.h"
#include "presets/MetadataPresetManager.h"
#include "templates/TemplateApplication.h"
#include "templates/TemplateEditor.h"
#include "windowkit/CommentEditorPanel.h"
#include "windowkit/EntryDetailsView.h"
#include "windowkit/StoreMenu.h"
#include "windowkit/TextEditCommands.h"
#include "windowkit/UndoActions.h"
#include "windowkit/WindowActions.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

constexpr QAbstractItemView::EditTriggers kEditTriggers
    = QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed;

// A button that opens a menu of the menu bar; no mnemonic, the menu bar's menu has it.
QToolButton *menuButton(const char *name, QMenu *menu, const QString &text)
{
    QToolButton *button = makeToolButton(name, text, menu->title().remove(u'&'));
    button->setMenu(menu);
    button->setPopupMode(QToolButton::InstantPopup);
    return button;
}

TextEditCommand textCommand(CommentListPane::EditCommand command)
{
    switch (command) {
    case CommentListPane::EditCommand::Cut:
        return TextEditCommand::Cut;
    case CommentListPane::EditCommand::Copy:
        return TextEditCommand::Copy;
    case CommentListPane::EditCommand::Paste:
        return TextEditCommand::Paste;
    case CommentListPane::EditCommand::Delete:
        return TextEditCommand::Delete;
    case CommentListPane::EditCommand::DeleteAll:
    case CommentListPane::EditCommand::SelectAll:
        break;
    }
    return TextEditCommand::SelectAll;
}

} // namespace

CommentListPane::CommentListPane(
    CommentListOwner *owner, const WindowStores &stores, const Options &options, QWidget *parent)
    : QWidget(parent)
    , m_stores(stores)
    , m_editorTitle(options.editorTitle)
{
    m_model = new CommentTableModel(nullptr, this);
    buildActions();
    buildWidgets(options);
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this, &CommentListPane::updateActions);
    connect(m_model, &QAbstractItemModel::modelReset, this, &CommentListPane::updateActions);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &CommentListPane::updateActions);
    if (m_details) {
        connect(m_model, &QAbstractItemModel::modelReset, this, &CommentListPane::updateDetails);
        connect(m_model, &QAbstractItemModel::rowsRemoved, this, &CommentListPane::updateDetails);
        connect(
            m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this, &CommentListPane::updateDetails);
    }
    // A text editor taking or leaving the focus changes what Cut, Copy and Delete act on;
    // the menu bar borrowing the focus does not.
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        if (!qobject_cast<QMenuBar *>(now) && !qobject_cast<QMenu *>(now))
            updateActions();
    });
    setOwner(owner);
}

CommentListPane::~CommentListPane()
{
    // The panel goes first, while the list it edits is still there.
    delete m_editor.data();
}

CommentListOwner *CommentListPane::owner() const
{
    return m_owner;
}

CommentEditorPanel *CommentListPane::commentEditor() const
{
    return m_editor;
}

// --- Building -------------------------------------------------------------------------

void CommentListPane::buildActions()
{
    m_history = new UndoActions(this);
    connect(m_history->undoAction(), &QAction::triggered, this, &CommentListPane::undo);
    connect(m_history->redoAction(), &QAction::triggered, this, &CommentListPane::redo);

    const struct
    {
        EditCommand command;
        const char *name;
        const char *textKey;
        QKeySequence shortcut;
    } edits[] = {
        { EditCommand::Cut, "cutAction", "MenuCut", QKeySequence::Cut },
        { EditCommand::Copy, "copyAction", "MenuCopy", QKeySequence::Copy },
        { EditCommand::Paste, "pasteAction", "MenuPaste", QKeySequence::Paste },
        { EditCommand::Delete, "deleteAction", "MenuDelete", QKeySequence::Delete },
        { EditCommand::DeleteAll, "deleteAllAction", "MenuDeleteAll", QKeySequence() },
        { EditCommand::SelectAll, "selectAllAction", "MenuSelectAll", QKeySequence::SelectAll },
    };
    for (const auto &edit : edits) {
        QAction *action = makeWindowAction(this, edit.name, edit.textKey, edit.shortcut);
        connect(action, &QAction::triggered, this, [this, command = edit.command] { runEditCommand(command); });
        m_actions[int(edit.command)] = action;
    }
    m_addAction = makeWindowAction(this, "addAction", "AddComment", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    connect(m_addAction, &QAction::triggered, this, &CommentListPane::addComment);
    m_removeAction = makeWindowAction(this, "removeAction", "RemoveComment");
    connect(m_removeAction, &QAction::triggered, this, &CommentListPane::removeComments);
    m_openEditorAction
        = makeWindowAction(this, "openCommentEditorAction", "OpenCommentEditor", QKeySequence(Qt::CTRL | Qt::Key_E));
    connect(m_openEditorAction, &QAction::triggered, this, &CommentListPane::openCommentEditor);

    // The actions work wherever the window has the focus, as those of its menu bar do.
    addActions({ m_history->undoAction(), m_history->redoAction() });
    addActions(QList<QAction *>(std::begin(m_actions), std::end(m_actions)));
    addActions({ m_addAction, m_removeAction, m_openEditorAction });
    for (QAction *action : actions())
        action->setShortcutContext(Qt::WindowShortcut);
}

void CommentListPane::buildWidgets(const Options &options)
{
    m_table = new CommentTableView;
    m_table->setObjectName(QStringLiteral("commentsTable"));
    m_table->setModel(m_model);
    m_table->setItemDelegate(new CommentCellDelegate(m_table));
    m_table->horizontalHeader()->resizeSection(0, 160);
    m_table->setAccessibleName(options.tableName.isEmpty() ? localizedString("CommentsTable") : options.tableName);

    QToolButton *add = makeToolButton("addButton", QStringLiteral("+"), localizedString("AddComment"));
    add->setAccessibleDescription(localizedString("AddCommentDescription"));
    connect(add, &QToolButton::clicked, this, &CommentListPane::addComment);
    QToolButton *remove = makeToolButton("removeButton", QStringLiteral("−"), localizedString("RemoveComment"));
    remove->setAccessibleDescription(localizedString("RemoveCommentDescription"));
    connect(remove, &QToolButton::clicked, this, &CommentListPane::removeComments);
    m_removeButton = remove;
    auto *editor = new QPushButton(localizedString("OpenCommentEditor").remove(u'&'));
    editor->setObjectName(QStringLiteral("commentEditorButton"));
    editor->setAutoDefault(false);
    connect(editor, &QPushButton::clicked, this, &CommentListPane::openCommentEditor);
    m_editorButton = editor;

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(add);
    buttons->addWidget(remove);
    buttons->addStretch();
    m_editingButtons = { add };
    const auto addMenuButton = [&](const char *name, QMenu *menu, const QString &text) {
        QToolButton *button = menuButton(name, menu, text);
        buttons->addWidget(button);
        m_editingButtons << button;
        m_editingMenus << menu;
        return button;
    };
    auto *comments = new QMenu(localizedString("MenuComments"), this);
    comments->setObjectName(QStringLiteral("commentsMenu"));
    comments->addActions({ m_addAction, m_removeAction });
    comments->addSeparator();
    comments->addAction(m_openEditorAction);
    StoreMenu *presets = StoreMenu::presetsMenu(m_stores.presets, this);
    connect(presets, &StoreMenu::chosen, this, &CommentListPane::addPreset);
    addMenuButton("presetsButton", presets, localizedString("PresetsButton").remove(u'&'));
    m_menus = { comments, presets };
    if (m_stores.templates) {
        StoreMenu *templates = StoreMenu::templatesMenu(m_stores.templates, this);
        connect(templates, &StoreMenu::chosen, this, &CommentListPane::applyTemplate);
        addMenuButton("templatesButton", templates, localizedString("TemplatesButton"));
        m_menus << templates;
    }
    if (options.macros) {
        QMenu *macros = makeMacrosMenu(this, [this](const QString &name) { insertMacro(name); });
        comments->addMenu(macros);
        // Clicking it leaves the focus in the cell being edited, where the macro goes.
        addMenuButton("macrosButton", macros, localizedString("MacrosButton"))->setFocusPolicy(Qt::NoFocus);
    }
    buttons->addWidget(editor);

    // The table's row, with the details of the selected entry beside it.
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    if (options.details) {
        m_details = new EntryDetailsView;
        auto *row = new QSplitter(Qt::Horizontal);
        row->setObjectName(QStringLiteral("detailsSplitter"));
        row->addWidget(m_table);
        row->addWidget(m_details);
        row->setStretchFactor(0, 3);
        row->setStretchFactor(1, 2);
        row->setChildrenCollapsible(false);
        m_menus << m_details->menu();
        layout->addWidget(row, 1);
    } else {
        layout->addWidget(m_table, 1);
    }
    layout->addLayout(buttons);
}

void CommentListPane::addEditActions(QMenu *edit) const
{
    edit->addActions({ m_history->undoAction(), m_history->redoAction() });
    edit->addSeparator();
    edit->addActions({ m_actions[0], m_actions[1], m_actions[2], m_actions[3], m_actions[4] });
    edit->addSeparator();
    edit->addAction(m_actions[int(EditCommand::SelectAll)]);
}

void CommentListPane::addMenus(QMenuBar *bar) const
{
    for (QMenu *menu : m_menus)
        bar->addMenu(menu);
}

// --- State --------------------------------------------------------------------------------

void CommentListPane::setOwner(CommentListOwner *owner)
{
    if (m_owner && m_details)
        disconnect(m_owner, &CommentListOwner::commentsChanged, m_details, nullptr);
    m_owner = owner;
    if (owner && m_details)
        connect(owner, &CommentListOwner::commentsChanged, m_details, &EntryDetailsView::refresh);
    if (m_model->owner() != owner)
        m_model->setOwner(owner);
    if (m_editor)
        m_editor->setOwner(owner);
    m_history->setStack(owner ? owner->undoStack() : nullptr);
    updateActions();
    if (m_details)
        updateDetails();
}

void CommentListPane::updateDetails()
{
    const QList<int> rows = m_table->selectedRowNumbers();
    m_details->showEntry(m_owner && !rows.isEmpty() ? m_owner->commentAt(rows.last()) : nullptr);
}

void CommentListPane::setReadOnly(bool readOnly)
{
    m_readOnly = readOnly;
    // The table stays readable (and copyable), but takes no edits and no drops.
    m_table->setEditTriggers(readOnly ? QAbstractItemView::NoEditTriggers : kEditTriggers);
    m_table->setDragDropMode(readOnly ? QAbstractItemView::DragOnly : QAbstractItemView::DragDrop);
    m_table->setAcceptDrops(!readOnly);
    if (m_editor)
        m_editor->setEnabled(!readOnly);
    updateActions();
}

void CommentListPane::setEditorTitle(const QString &title)
{
    m_editorTitle = title;
    if (m_editor)
        m_editor->setWindowTitle(localizedString("CommentEditorTitle") + QStringLiteral(" — ") + title);
}

void CommentListPane::updateActions()
{
    const bool shown = m_owner != nullptr;
    const bool editable = shown && !m_readOnly;
    const bool rows = shown && m_table->selectionModel()->hasSelection();
    // A focused text editor of the window takes Cut, Copy and Delete, else a focused list of
    // the window's own with its selection.
    QWidget *focus = QApplication::focusWidget();
    const bool text = focus && focus->window() == window() && isTextEditor(focus);
    const bool other = windowListHasFocus();
    const bool focusedRows = other ? m_windowList->selectionModel()->hasSelection() : rows;
    m_table->setEnabled(shown);
    for (QWidget *button : std::as_const(m_editingButtons))
        button->setEnabled(editable);
    m_removeButton->setEnabled(editable && rows);
    m_editorButton->setEnabled(rows);
    m_history->setEnabled(editable);
    m_actions[int(EditCommand::Cut)]->setEnabled(text || (editable && focusedRows));
    m_actions[int(EditCommand::Copy)]->setEnabled(text || focusedRows);
    m_actions[int(EditCommand::Paste)]->setEnabled(text || editable);
    m_actions[int(EditCommand::Delete)]->setEnabled(text || (editable && focusedRows));
    m_actions[int(EditCommand::DeleteAll)]->setEnabled(editable);
    m_actions[int(EditCommand::SelectAll)]->setEnabled(text || other || shown);
    m_addAction->setEnabled(editable);
    m_removeAction->setEnabled(editable && rows);
    m_openEditorAction->setEnabled(rows);
    for (QMenu *menu : std::as_const(m_editingMenus))
        menu->menuAction()->setEnabled(editable);
}

// --- Commands ---------------------------------------------------------------------------

void CommentListPane::commitEditing()
{
    m_table->commitEditing();
    if (m_editor)
        m_editor->commit();
}

void CommentListPane::closeCommentEditor()
{
    if (m_editor)
        m_editor->close();
}

void CommentListPane::setWindowList(QAbstractItemView *view, WindowListCommands commands)
{
    m_windowList = view;
    m_windowListCommands = std::move(commands);
    connect(view->selectionModel(), &QItemSelectionModel::selectionChanged, this, &CommentListPane::updateActions);
    updateActions();
}

bool CommentListPane::windowListHasFocus() const
{
    const QWidget *focus = QApplication::focusWidget();
    return m_windowList && focus && (focus == m_windowList || m_windowList->isAncestorOf(focus));
}

void CommentListPane::focusTable()
{
    m_table->setFocus(Qt::OtherFocusReason);
}

void CommentListPane::runEditCommand(EditCommand command)
{
    if (command != EditCommand::DeleteAll && sendToFocusedTextEditor(window(), textCommand(command)))
        return;
    if (windowListHasFocus() && m_windowListCommands(command))
        return;
    if (!m_owner)
        return;
    commitEditing();
    const QList<int> rows = m_table->selectedRowNumbers();
    const bool editable = !m_readOnly;
    switch (command) {
    case EditCommand::Cut:
    case EditCommand::Copy: {
        auto *mime = new QMimeData;
        const bool done
            = command == EditCommand::Copy ? m_owner->copy(rows, mime) : editable && m_owner->cut(rows, mime);
        if (done)
            QGuiApplication::clipboard()->setMimeData(mime);
        else
            delete mime;
        break;
    }
    case EditCommand::Paste:
        if (editable)
            m_owner->paste(QGuiApplication::clipboard()->mimeData(), m_table->pasteRow());
        break;
    case EditCommand::Delete:
        if (editable)
            m_owner->deleteRows(rows);
        break;
    case EditCommand::DeleteAll:
        if (editable)
            m_owner->deleteAll();
        break;
    case EditCommand::SelectAll:
        m_table->selectAll();
        break;
    }
    focusTable();
}

void CommentListPane::undo()
{
    if (sendToFocusedTextEditor(window(), TextEditCommand::Undo) || !m_owner || m_readOnly)
        return;
    commitEditing();
    m_owner->undoStack()->undo();
    focusTable();
}

void CommentListPane::redo()
{
    if (sendToFocusedTextEditor(window(), TextEditCommand::Redo) || !m_owner || m_readOnly)
        return;
    commitEditing();
    m_owner->undoStack()->redo();
    focusTable();
}

void CommentListPane::editCell(int row, int column)
{
    const QModelIndex cell = m_model->index(row, column);
    focusTable();
    m_table->setCurrentIndex(cell);
    m_table->scrollTo(cell);
    m_table->edit(cell);
    // The value stays as it is until the first key: the cursor goes after it.
    if (auto *text = qobject_cast<QPlainTextEdit *>(m_table->indexWidget(cell)))
        text->moveCursor(QTextCursor::End);
    else if (auto *line = qobject_cast<QLineEdit *>(m_table->indexWidget(cell)))
        line->end(false);
}

void CommentListPane::addComment()
{
    if (!m_owner || m_readOnly)
        return;
    commitEditing();
    editCell(m_owner->addMetadataField(), CommentListOwner::KeywordColumn);
}

void CommentListPane::removeComments()
{
    if (!m_owner || m_readOnly)
        return;
    commitEditing();
    m_owner->removeMetadataField(m_table->selectedRowNumbers());
    focusTable();
}

void CommentListPane::addPreset(int index)
{
    const PresetPtr preset = m_stores.presets ? m_stores.presets->presetAtIndex(index) : nullptr;
    if (!preset || !m_owner || m_readOnly)
        return;
    commitEditing();
    editCell(m_owner->addPresetMetadataField(*preset->unprocessedComment()), CommentListOwner::TextColumn);
}

void CommentListPane::applyTemplate(int index)
{
    const TemplatePtr chosen = m_stores.templates ? m_stores.templates->templateAtIndex(index) : nullptr;
    if (!chosen || !m_owner || m_readOnly)
        return;
    commitEditing();
    ::applyTemplate(*chosen, *m_owner);
    focusTable();
}

void CommentListPane::insertMacro(const QString &name)
{
    QWidget *editor = QApplication::focusWidget();
    if (!editor || !m_table->isAncestorOf(editor) || m_readOnly)
        return;
    if (auto *line = qobject_cast<QLineEdit *>(editor)) {
        line->insert(name);
        line->setModified(true);
    } else if (auto *text = qobject_cast<QPlainTextEdit *>(editor)) {
        text->insertPlainText(name);
    }
}

void CommentListPane::openCommentEditor()
{
    const QList<int> rows = m_table->selectedRowNumbers();
    const CommentPtr comment = m_owner && !rows.isEmpty() ? m_owner->commentAt(rows.last()) : nullptr;
    if (!comment)
        return;
    m_table->commitEditing();
    if (!m_editor) {
        m_editor = new CommentEditorPanel(m_owner, m_stores.presets, window());
        setEditorTitle(m_editorTitle);
        m_editor->setEnabled(!m_readOnly);
    }
    m_editor->editComment(comment);
}
