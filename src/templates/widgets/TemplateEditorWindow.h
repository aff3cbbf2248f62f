#pragma once

#include "templates/TemplateEditor.h"
#include "windowkit/CommentListPane.h"

#include <QMainWindow>

class MetadataPresetManager;
class NewTemplateSheet;
class QAction;
class QCheckBox;
class QSplitter;
class QTableView;
class TemplateListModel;

// The template editor: the window of the shared template store. On the left the templates
// (renamed in place), on the right the comment list pane of the current template (texts
// kept as typed, macros included, with Macros and the presets of a store) and its two
// apply flags. While the templates table has the focus, Copy copies every comment of the
// template and Cut and Delete delete the template (after asking); otherwise the edit
// commands are the pane's. Undo and Redo take the steps of the current template's own
// history (comments and flags).
//
// Without a current template the pane shows no list and the template's controls are off.
// The template being left is written when another is chosen, when the window closes and
// when the application quits with the window open; failures show their reason.
//
// Child widgets carry object names for tests: splitter, templatesTable, clearAllCheckbox,
// overwriteDuplicatesCheckbox, newTemplateButton, deleteTemplateButton, newTemplateSheet,
// and those of the pane; actions are named after their commands.
class TemplateEditorWindow : public QMainWindow
{
    Q_OBJECT

public:
    // The divider of the split view stays between these (in pixels from the left, and from
    // the right edge of the window).
    static constexpr int MinimumListWidth = 135;
    static constexpr int MinimumCommentsWidth = 430;

    TemplateEditorWindow(TemplateEditor *store, MetadataPresetManager *presets, QWidget *parent = nullptr);

    TemplateEditor *store() const { return m_store; }
    TemplateListModel *templatesModel() const { return m_templatesModel; }
    QTableView *templatesTable() const { return m_templatesTable; }
    CommentListPane *pane() const { return m_pane; }

    // Brings the window to the front as the active window.
    void makeWindowKey();
    // The application quits: when the window is open, or its last write at closing failed,
    // the current template is written again. True when nothing failed; else *error says why (a quit
    // from the menu asks whether to quit all the same, the end of a session only logs it).
    bool saveForQuit(QString *error = nullptr);

public slots:
    // Opens the sheet that asks for the new template's name.
    void newTemplate();
    // Asks, then deletes the current template and its file.
    void deleteTemplate();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildWidgets(MetadataPresetManager *presets);
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
    // Hands open edits (a comment cell, the panel) to the template and closes the panel.
    void leaveTemplate();
    // An edit command while the templates table has the focus.
    bool runTemplatesCommand(CommentListPane::EditCommand command);
    void reportFailure(const char *textKey, const QString &name, const QString &reason);

    bool m_showingSelection = false;
    // The write when the window last closed failed; the quit tries again.
    bool m_closeSaveFailed = false;
    TemplateEditor *m_store = nullptr;
    EditedTemplatePtr m_shown;
    TemplateListModel *m_templatesModel = nullptr;
    QTableView *m_templatesTable = nullptr;
    CommentListPane *m_pane = nullptr;
    QSplitter *m_splitter = nullptr;
    NewTemplateSheet *m_newTemplateSheet = nullptr;
    // Controls and commands of the current template, off without one.
    QList<QWidget *> m_templateControls;
    QList<QAction *> m_templateActions;
    // The two flags, as check boxes and as menu items: clears all, overwrites duplicates.
    QCheckBox *m_flagBoxes[2] = {};
    QAction *m_flagActions[2] = {};
};
