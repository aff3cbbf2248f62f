#pragma once

#include "commentlist/UndoStack.h"
#include "presets/MetadataPreset.h"

#include <QObject>
#include <QTimer>

class MetadataPresetManager;
class QMimeData;

// What the preset editor window shows and does on the shared preset store: the selected
// presets, the preset its three fields edit (the current one), its commands and their undo
// history. The window passes on what the person did and shows the results.
//
// The selection is kept by preset, not by row: when the list is sorted again (after an
// edit, and a tenth of a second after a paste or drop) the same presets stay selected and
// the fields keep editing the same preset, so a following Delete removes the preset the
// person sees selected.
//
// Order: the list is sorted by display text after every edit of a field; a new preset
// waits at the end until its first edit; pasted and dropped presets are sorted in a tenth
// of a second (refresh()). Every command that changes the list announces it once to the
// preset menus (presetsNeedUpdated()), so a menu item's position always is its preset's
// index.
//
// Each command is one step of the editor's own history. Closing the window (or quitting
// with it open) tidies and writes the presets file and forgets the history.
class PresetEditor : public QObject
{
    Q_OBJECT

public:
    enum class Field { Keyword, Value, Shorthand };
    static constexpr int RefreshDelayMs = 100;

    // The store must outlive the editor.
    explicit PresetEditor(MetadataPresetManager *store, QObject *parent = nullptr);
    ~PresetEditor() override;

    MetadataPresetManager *store() const { return m_store; }
    UndoStack *undoStack() { return &m_undoStack; }

    // --- Selection and fields -----------------------------------------------------------

    // The rows of the selected presets, ascending.
    QList<int> selectedRows() const;
    const PresetList &selectedPresets() const { return m_selection; }
    // The preset the fields edit, or nullptr; its row, or -1.
    PresetPtr currentPreset() const { return m_current; }
    int currentRow() const;
    // The selection step: the presets at rows (those inside the list) are selected; the one
    // at current, or at the highest selected row when current is not among them, becomes
    // current and the fields show its keyword, value and display text. With no row inside
    // the list no preset is current and the fields keep their texts, disabled.
    void setSelection(const QList<int> &rows, int current = -1);
    bool fieldsEnabled() const { return m_current != nullptr; }
    // What a field shows ("" for an absent value).
    QString fieldText(Field field) const;

    // --- Commands -----------------------------------------------------------------------

    // The end of an edit of a field of the current preset: the keyword is cut at 79
    // characters; after a keyword or value edit the display text field shows the new display
    // text (unless there is none); the display text field stores what it holds as the
    // preset's own display text (empty too). Then the list is sorted and announced. Without
    // a current preset, or when the text changes nothing, nothing happens.
    void endEditing(Field field, const QString &text);
    // Appends a preset without any field at the end (not sorted) and makes it current.
    void newPreset();
    // The selected presets in the three clipboard forms. False, mime untouched, without a
    // selection.
    bool copy(QMimeData *mime) const;
    // Copies the selected presets and removes exactly those.
    bool cut(QMimeData *mime);
    // Inserts the presets mime carries at the current preset's row (at the end without
    // one), selects them and sorts the list a tenth of a second later. False, nothing
    // changed, when mime offers no usable form; an XML form that does not parse inserts
    // nothing and succeeds.
    bool paste(const QMimeData *mime);
    // Removes the selected presets; the preset that now stands at the first removed row is
    // selected (none past the end). False without a selection.
    bool deleteSelection();
    // The confirmed restore question: the list becomes the ten defaults, nothing selected.
    void restoreDefaults();
    void undo();
    void redo();

    // --- Drag and drop ------------------------------------------------------------------

    // Remembers the presets at rows as the ones being dragged and writes them to mime.
    bool beginDrag(const QList<int> &rows, QMimeData *mime);
    // Inserts the presets mime carries at row (outside the list: at the end), selects them
    // and sorts a tenth of a second later. A drag that started in this editor's own table
    // then removes the dragged presets, only when presets arrived. False, nothing changed,
    // when mime offers no usable form.
    bool acceptDrop(const QMimeData *mime, int row, bool sourceIsThisTable);

    // --- Delayed refresh ----------------------------------------------------------------

    bool refreshPending() const { return m_refreshTimer.isActive(); }
    // Sorts the list and announces it (what the timer runs).
    void refresh();

    // --- Closing ------------------------------------------------------------------------

    // Runs a pending refresh, removes presets without keyword and writes the presets file;
    // the history is forgotten. False, with *error, when the file could not be written (the
    // list stays in memory and is written at the next close).
    bool finishEditing(QString *error = nullptr);

    // --- Clipboard forms of presets -----------------------------------------------------

    // The XML form holds one "comment" element per preset (with its stored display text);
    // the text forms one "keyword<TAB>value" line per preset.
    static void writePresets(const PresetList &presets, QMimeData *mime);
    // Presets from the first form mime offers: from the XML form with their stored display
    // texts, from the text forms without. False, after logging why, as a comment paste.
    static bool readPresets(const QMimeData *mime, PresetList *presets);

signals:
    // Other presets are selected or current. (Rows that move under a sort, an insertion
    // or a removal keep their presets selected; views learn of the moves from the store.)
    void selectionChanged();
    // The texts or the enabled state of the fields changed.
    void fieldsChanged();

private:
    class Step;
    struct Snapshot
    {
        PresetList list;
        QList<MetadataPreset> values;
        PresetList selection;
        PresetPtr current;
    };
    Snapshot snapshot() const;
    // Makes the store and the selection what the snapshot says; true when the list changed.
    bool restore(const Snapshot &state);
    void record(const Snapshot &before, const char *stepKey, bool sortsLater = false);

    void select(const PresetList &presets, const PresetPtr &current);
    void showPreset(const PresetPtr &preset);
    // Drops presets that left the list from the selection.
    void forgetRemoved();
    void removeSelection(const char *stepKey);
    void insertAndSelect(const PresetList &presets, int row);
    void scheduleRefresh() { m_refreshTimer.start(); }

    MetadataPresetManager *m_store = nullptr;
    UndoStack m_undoStack;
    PresetList m_selection;
    PresetPtr m_current;
    QString m_fields[3];
    PresetList m_dragged;
    QTimer m_refreshTimer;
};
