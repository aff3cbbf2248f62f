#pragma once

#include <QMainWindow>

class CommentTableView;
class PresetEditor;
class PresetListModel;
class MetadataPresetManager;
class QAction;
class QLineEdit;
class QMenu;
class QToolButton;

// The preset editor: the window of the shared preset store. A one-column table of the
// presets' display texts, the keyword, value and display text fields of the current
// preset, a menu of the macro names to insert into the field being edited, and the
// commands New Preset, Restore Defaults, Cut, Copy, Paste, Delete, Undo and Redo. Presets
// drag within the table and to and from every comment table.
//
// The window keeps no state of its own: PresetEditor holds the selection, the fields and
// the history; the window shows them and passes on what the person did. A field's edit
// ends (and reaches the preset) with Return or when the focus leaves the field for another
// control or window; opening a menu does not end it. Every command ends it first.
//
// Closing the window writes the presets file; a write that fails shows its reason. The
// application controller keeps one window and shows it again on request.
//
// Child widgets carry object names for tests: presetTable, keywordField, valueField,
// shorthandField, macroButton, newButton, deleteButton, restoreButton; actions are named
// after their commands (newPresetAction, restoreDefaultsAction, undoAction …).
class PresetEditorWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit PresetEditorWindow(MetadataPresetManager *store, QWidget *parent = nullptr);
    ~PresetEditorWindow() override;

    PresetEditor *editor() const { return m_editor; }
    PresetListModel *listModel() const { return m_model; }
    CommentTableView *presetTable() const { return m_table; }

    // Brings the window to the front as the active window.
    void makeWindowKey();
    // The application quits: when the window is open, or its last write at closing failed,
    // its edits are written again. True when nothing failed; else *error says why (a quit
    // from the menu asks whether to quit all the same, the end of a session only logs it).
    bool saveForQuit(QString *error = nullptr);

public slots:
    void newPreset();
    void cut();
    void copy();
    void paste();
    // Edit ▸ Delete: the selected text of the field being edited, else the selected presets.
    void deleteSelection();
    // The selected presets, wherever the focus is (the − button).
    void deletePresets();
    void restorePresets();
    void undo();
    void redo();
    // Inserts the macro name at the cursor of the field being edited; nothing when no
    // field has the focus.
    void insertMacro(const QString &name);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    void buildWidgets();
    void buildMenus();
    // Hands a field's typing to the editor when it changed.
    void commitField(QLineEdit *field);
    void commitFields();
    void showFields();
    // The editor's selection, shown by the table.
    void showSelection();
    // The table's selection, given to the editor (unless the window set it itself).
    void takeSelection();
    // The field that has the focus, or nullptr.
    QLineEdit *focusedField() const;

    PresetEditor *m_editor = nullptr;
    PresetListModel *m_model = nullptr;
    CommentTableView *m_table = nullptr;
    QLineEdit *m_fields[3] = {};
    QToolButton *m_macroButton = nullptr;
    QMenu *m_macroMenu = nullptr;
    QList<QAction *> m_selectionActions;
    bool m_showingSelection = false;
    // The write when the window last closed failed; the quit tries again.
    bool m_closeSaveFailed = false;
};
