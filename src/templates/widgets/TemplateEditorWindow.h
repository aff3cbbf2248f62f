#pragma once

#include "templates/TemplateEditor.h"

#include <QMainWindow>
#include <QPointer>

class CommentEditorPanel;
class CommentTableModel;
class CommentTableView;
class NewTemplateSheet;
class QAction;
class QCheckBox;
class QSplitter;
class QTableView;
class StoreMenu;
class TemplateListModel;
class UndoActions;

// The template editor: the window of the shared template store. On the left the templates
// (renamed in place), on the right the comments of the current template (texts kept as
// typed, macros included), its two apply flags, the presets menu and the comment commands.
// The edit commands act on the table that has the focus: with the templates table, Copy
// copies every comment of the template and Delete deletes the template (after asking);
// otherwise they act on the selected comments. Undo and Redo take the steps of the current
// template's own history (comments and flags).
//
// Without a current template the comments table is empty and its controls are disabled.
// The template being left is written when another is chosen, when the window closes and
// when the application quits with the window open; failures show their reason.
//
// Child widgets carry object names for tests: splitter, templatesTable, commentsTable,
// clearAllCheckbox, overwriteDuplicatesCheckbox, presetsButton, newCommentButton,
// removeCommentButton, openCommentEditorButton, newTemplateButton, deleteTemplateButton,
// newTemplateSheet; actions are named after their commands.
class TemplateEditorWindow : public QMainWindow
{
    Q_OBJECT

public:
    // The divider of the split view stays between these (in pixels from the left, and from
    // the right edge of the window).
    static constexpr int MinimumListWidth = 135;
    static constexpr int MinimumCommentsWidth = 430;

    explicit TemplateEditorWindow(TemplateEditor *store, QWidget *parent = nullptr);
    ~TemplateEditorWindow() override;

    TemplateEditor *store() const { return m_store; }
    TemplateListModel *templatesModel() const { return m_templatesModel; }
    CommentTableModel *commentsModel() const { return m_commentsModel; }
    QTableView *templatesTable() const { return m_templatesTable; }
    CommentTableView *commentsTable() const { return m_commentsTable; }
    // The comment editor panel, or nullptr before its first use.
    CommentEditorPanel *commentEditor() const;

    // Brings the window to the front as the active window.
    void makeWindowKey();
    // The application quits: when the window is open the current template is written (a
    // failure is only logged). True when nothing failed.
    bool saveForQuit();

public slots:
    // Opens the sheet that asks for the new template's name.
    void newTemplate();
    // Asks, then deletes the current template and its file.
    void deleteTemplate();
    void cut();
    void copy();
    void paste();
    void deleteSelection();
    void deleteAll();
    void undo();
    void redo();
    void addMetadataField();
    void removeMetadataField();
    // Appends the preset at index of the shared store (its value as typed) and starts
    // editing its text.
    void addPresetMetadataField(int index);
    void openCommentEditor();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildWidgets();
    void buildMenus();
    // The selection step for a row of the templates table (-1: none).
    void chooseTemplate(int row);
    void createTemplate(const QString &name);
    bool acceptName(const QString &name);
    void showRenameRefused(TemplateEditor::NameCheck check, const QString &name, const QString &reason);
    // The current template, shown: the comments, its flags, its history, the controls.
    void showCurrentTemplate();
    // The templates table selects the current template.
    void showTemplateSelection();
    void showFlags();
    void updateActions();
    // Hands open edits (a comment cell, the panel) to the template.
    void commitEditing();
    void closeCommentEditor();
    bool templatesTableHasFocus() const;
    int pasteRow() const;
    void reportFailure(const char *textKey, const QString &name, const QString &reason);

    TemplateEditor *m_store = nullptr;
    EditedTemplatePtr m_shown;
    TemplateListModel *m_templatesModel = nullptr;
    CommentTableModel *m_commentsModel = nullptr;
    QSplitter *m_splitter = nullptr;
    QTableView *m_templatesTable = nullptr;
    CommentTableView *m_commentsTable = nullptr;
    QCheckBox *m_clearAllCheckbox = nullptr;
    QCheckBox *m_overwriteCheckbox = nullptr;
    StoreMenu *m_presetsMenu = nullptr;
    NewTemplateSheet *m_newTemplateSheet = nullptr;
    UndoActions *m_history = nullptr;
    QAction *m_clearAllAction = nullptr;
    QAction *m_overwriteAction = nullptr;
    QList<QWidget *> m_templateControls;
    QList<QAction *> m_templateActions;
    QList<QWidget *> m_selectionControls;
    QList<QAction *> m_selectionActions;
    QPointer<CommentEditorPanel> m_commentEditor;
    bool m_showingSelection = false;
};
