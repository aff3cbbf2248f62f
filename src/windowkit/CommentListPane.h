#pragma once

#include "windowkit/WindowStores.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class CommentEditorPanel;
class QAbstractItemView;
class CommentListOwner;
class CommentTableModel;
class CommentTableView;
class EntryDetailsView;
class QAction;
class QMenu;
class QMenuBar;
class QToolButton;
class UndoActions;

// The comment list of a window (a document, a batch window, the template editor): the table
// of an owner's list, + and −, the Presets and Templates buttons (and Macros where the owner
// keeps texts literal), Open Comment Editor and the comment editor panel, with the list's
// commands: the Comments, Presets and Templates menus and the Edit menu's Undo, Redo, Cut,
// Copy, Paste, Delete, Delete All and Select All. The window adds only what is its own.
//
// One rule says what an edit command acts on: the focused, editable text field or cell
// editor of the window when it can (Cut, Copy, Paste, Delete and Select All on its text,
// Undo and Redo of its typing), else a list of the window's own that has the focus (see
// setWindowList()), else the comment list; after a command on the comment list the
// focus goes to the table. One rule says what is enabled: Cut, Copy, Delete, Remove and
// Open Comment Editor need selected rows or a focused text editor; without an owner
// nothing is; a read-only pane (a batch window while it runs) still copies, selects and
// opens the panel, and changes nothing.
//
// Every command hands open edits (a table cell, the panel) to the owner first. A preset is
// added as the owner takes typed texts (a document expands it, other owners keep it), and
// editing starts in its text cell with the cursor after the value; a new comment starts in
// its keyword cell. A template is applied in one step.
//
// Children carry object names for tests: commentsTable, addButton, removeButton,
// presetsButton, templatesButton, macrosButton, commentEditorButton, detailsSplitter (and
// those of EntryDetailsView); the menus presetsMenu, templatesMenu, macrosMenu, commentsMenu; the actions undoAction,
// redoAction, cutAction, copyAction, pasteAction, deleteAction, deleteAllAction, selectAllAction, addAction,
// removeAction, openCommentEditorAction.
class CommentListPane : public QWidget
{
    Q_OBJECT

public:
    enum class EditCommand { Cut, Copy, Paste, Delete, DeleteAll, SelectAll };
    // Carries an edit command out on the window's own list and returns true; false leaves
    // it to the comment list.
    using WindowListCommands = std::function<bool(EditCommand)>;

    struct Options
    {
        // The Macros button and menu, for owners that keep texts as typed.
        bool macros = false;
        // The title of the comment editor panel after "Comment Editor — ".
        QString editorTitle;
        // What a screen reader calls the table (empty: "Comments").
        QString tableName;
        // The details of the selected entry beside the table (EntryDetailsView), with its
        // Details menu.
        bool details = false;
    };

    // Without a templates store there is no Templates button or menu.
    CommentListPane(CommentListOwner *owner, const WindowStores &stores, const Options &options, QWidget *parent);
    ~CommentListPane() override;

    CommentListOwner *owner() const;
    // Shows another owner's list (nullptr: none; every control is off). The panel follows.
    void setOwner(CommentListOwner *owner);
    bool isReadOnly() const { return m_readOnly; }
    // A read-only list shows, copies and selects, and changes nothing.
    void setReadOnly(bool readOnly);
    void setEditorTitle(const QString &title);
    // A list of the window's own (the batch window's files, the template editor's
    // templates): while its view has the focus the edit commands go to commands, and its
    // selection enables them.
    void setWindowList(QAbstractItemView *view, WindowListCommands commands);

    CommentTableModel *model() const { return m_model; }
    CommentTableView *table() const { return m_table; }
    // The details beside the table, or nullptr without Options::details.
    EntryDetailsView *details() const { return m_details; }
    // The comment editor panel, or nullptr before its first use.
    CommentEditorPanel *commentEditor() const;

    // Undo, Redo, Cut, Copy, Paste, Delete, Delete All and Select All, with separators.
    void addEditActions(QMenu *edit) const;
    // The Comments, Presets, (with a store) Templates and (with details) Details menus.
    void addMenus(QMenuBar *bar) const;

    // Hands open edits (a table cell, the panel) to the owner.
    void commitEditing();
    // Closes the panel, handing its typing to the owner.
    void closeCommentEditor();

public slots:
    void runEditCommand(EditCommand command);
    void undo();
    void redo();
    void addComment();
    void removeComments();
    // The preset or template at index of its store.
    void addPreset(int index);
    void applyTemplate(int index);
    // Inserts name at the cursor of the cell being edited; nothing when none is.
    void insertMacro(const QString &name);
    // Opens the panel on the comment of the highest selected row.
    void openCommentEditor();

private:
    void buildActions();
    void buildWidgets(const Options &options);
    void updateActions();
    // The details show the entry of the highest selected row.
    void updateDetails();
    // Starts editing a cell of the row; a text with the cursor after its value.
    void editCell(int row, int column);
    // After a command on the list the table takes the focus.
    void focusTable();
    bool windowListHasFocus() const;

    QPointer<CommentListOwner> m_owner;
    WindowStores m_stores;
    CommentTableModel *m_model = nullptr;
    CommentTableView *m_table = nullptr;
    UndoActions *m_history = nullptr;
    // The menus of the menu bar: Comments, Presets and (with a store) Templates.
    QList<QMenu *> m_menus;
    // The menus that change the list: Presets, Templates, Macros.
    QList<QMenu *> m_editingMenus;
    QAction *m_actions[6] = {}; // the EditCommand actions, in its order
    QAction *m_addAction = nullptr;
    QAction *m_removeAction = nullptr;
    QAction *m_openEditorAction = nullptr;
    QList<QWidget *> m_editingButtons;
    QWidget *m_removeButton = nullptr;
    QWidget *m_editorButton = nullptr;
    QPointer<CommentEditorPanel> m_editor;
    EntryDetailsView *m_details = nullptr;
    QString m_editorTitle;
    QPointer<QAbstractItemView> m_windowList;
    WindowListCommands m_windowListCommands;
    bool m_readOnly = false;
};
