#include "presets/PresetEditor.h"

#include "core/Strings.h"
#include "interchange/PasteboardFormats.h"
#include "presets/MetadataPresetManager.h"

#include <QMimeData>
#include <QXmlStreamWriter>

#include <algorithm>

namespace {

QString orEmpty(const QString &text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

} // namespace

// One command of the editor: the state before and after it. Undo and redo put the store and
// the selection back into one of them.
class PresetEditor::Step : public UndoCommand
{
public:
    Step(PresetEditor *editor, Snapshot before, Snapshot after, const QString &text, bool sortsLater)
        : UndoCommand(text)
        , m_editor(editor)
        , m_before(std::move(before))
        , m_after(std::move(after))
        , m_sortsLater(sortsLater)
    {
    }
    void redo() override
    {
        // The first run finds the state already there and changes nothing.
        if (m_editor->restore(m_after) && m_sortsLater)
            m_editor->scheduleRefresh();
    }
    void undo() override { m_editor->restore(m_before); }

private:
    PresetEditor *m_editor;
    Snapshot m_before;
    Snapshot m_after;
    bool m_sortsLater;
};

PresetEditor::PresetEditor(MetadataPresetManager *store, QObject *parent)
    : QObject(parent)
    , m_store(store)
{
    m_refreshTimer.setSingleShot(true);
    m_refreshTimer.setInterval(RefreshDelayMs);
    connect(&m_refreshTimer, &QTimer::timeout, this, &PresetEditor::refresh);
    connect(m_store, &MetadataPresetManager::presetsRemoved, this, &PresetEditor::forgetRemoved);
    connect(m_store, &MetadataPresetManager::presetsReset, this, &PresetEditor::forgetRemoved);
}

PresetEditor::~PresetEditor() = default;

// --- Selection and fields -----------------------------------------------------------------

QList<int> PresetEditor::selectedRows() const
{
    QList<int> rows;
    for (const auto &preset : m_selection) {
        const qsizetype row = m_store->indexOfPreset(preset);
        if (row >= 0)
            rows.append(int(row));
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

int PresetEditor::currentRow() const
{
    return m_current ? int(m_store->indexOfPreset(m_current)) : -1;
}

QString PresetEditor::fieldText(Field field) const
{
    return m_fields[int(field)];
}

void PresetEditor::setSelection(const QList<int> &rows, int current)
{
    PresetList chosen;
    PresetPtr lead;
    int highest = -1;
    for (int row : rows) {
        const PresetPtr preset = m_store->presetAtIndex(row);
        if (!preset || chosen.contains(preset))
            continue;
        chosen.append(preset);
        if (row == current)
            lead = preset;
        if (row > highest)
            highest = row;
    }
    if (!lead && highest >= 0)
        lead = m_store->presetAtIndex(highest);
    select(chosen, lead);
}

void PresetEditor::select(const PresetList &presets, const PresetPtr &current)
{
    const bool changed = presets != m_selection || current != m_current;
    m_selection = presets;
    if (current != m_current) {
        m_current = current;
        showPreset(current);
    }
    if (changed)
        emit selectionChanged();
}

void PresetEditor::showPreset(const PresetPtr &preset)
{
    // Without a preset the fields keep their texts; they are only disabled.
    if (preset) {
        m_fields[int(Field::Keyword)] = orEmpty(preset->keyword());
        m_fields[int(Field::Value)] = orEmpty(preset->value());
        m_fields[int(Field::Shorthand)] = orEmpty(preset->shorthand());
    }
    emit fieldsChanged();
}

void PresetEditor::forgetRemoved()
{
    PresetList kept;
    for (const auto &preset : std::as_const(m_selection)) {
        if (m_store->indexOfPreset(preset) >= 0)
            kept.append(preset);
    }
    const PresetPtr current = m_current && m_store->indexOfPreset(m_current) >= 0 ? m_current : nullptr;
    m_dragged.removeIf([this](const PresetPtr &preset) { return m_store->indexOfPreset(preset) < 0; });
    if (kept != m_selection || current != m_current)
        select(kept, current);
}

// --- History --------------------------------------------------------------------------------

PresetEditor::Snapshot PresetEditor::snapshot() const
{
    Snapshot state;
    state.list = m_store->metadataPresets();
    for (const auto &preset : std::as_const(state.list))
        state.values.append(*preset);
    state.selection = m_selection;
    state.current = m_current;
    return state;
}

bool PresetEditor::restore(const Snapshot &state)
{
    bool changed = state.list != m_store->metadataPresets();
    m_store->replacePresets(state.list);
    for (qsizetype i = 0; i < state.list.size(); ++i) {
        if (!(*state.list[i] == state.values[i])) {
            m_store->setPresetFields(state.list[i], state.values[i]);
            changed = true;
        }
    }
    const bool sameCurrent = state.current == m_current;
    select(state.selection, state.current);
    if (changed) {
        // The fields show the restored values of a preset that stayed current.
        if (sameCurrent && m_current)
            showPreset(m_current);
        m_store->notifyPresetsChanged();
    }
    return changed;
}

void PresetEditor::record(const Snapshot &before, const char *stepKey, bool sortsLater)
{
    m_undoStack.push(std::make_unique<Step>(this, before, snapshot(), localizedString(stepKey), sortsLater));
}

void PresetEditor::undo()
{
    m_undoStack.undo();
}

void PresetEditor::redo()
{
    m_undoStack.redo();
}

// --- Commands -------------------------------------------------------------------------------

void PresetEditor::endEditing(Field field, const QString &text)
{
    if (!m_current)
        return;
    MetadataPreset values = *m_current;
    switch (field) {
    case Field::Keyword:
        values.setKeyword(text);
        break;
    case Field::Value:
        values.setValue(text);
        break;
    case Field::Shorthand:
        values.setShorthand(orEmpty(text));
        break;
    }
    if (values == *m_current)
        return;

    const Snapshot before = snapshot();
    m_store->setPresetFields(m_current, values);
    if (field == Field::Keyword)
        m_fields[int(Field::Keyword)] = orEmpty(values.keyword());
    else if (field == Field::Value)
        m_fields[int(Field::Value)] = orEmpty(values.value());
    const QString shorthand = values.updatedShorthandForEditor();
    if (!shorthand.isNull())
        m_fields[int(Field::Shorthand)] = shorthand;
    emit fieldsChanged();

    m_store->sortPresets();
    m_store->notifyPresetsChanged();
    const char *step = field == Field::Keyword ? "StepEditKeyword"
        : field == Field::Value                ? "StepEditValue"
                                               : "StepEditShorthand";
    record(before, step);
}

void PresetEditor::newPreset()
{
    const Snapshot before = snapshot();
    const auto preset = std::make_shared<MetadataPreset>();
    m_store->appendPreset(preset);
    select({ preset }, preset);
    m_store->notifyPresetsChanged();
    record(before, "StepNewPreset");
}

bool PresetEditor::copy(QMimeData *mime) const
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty() || !mime)
        return false;
    // In list order, as the rows stand.
    PresetList presets;
    for (int row : rows)
        presets.append(m_store->presetAtIndex(row));
    writePresets(presets, mime);
    return true;
}

bool PresetEditor::cut(QMimeData *mime)
{
    if (!copy(mime))
        return false;
    removeSelection("StepCut");
    return true;
}

bool PresetEditor::deleteSelection()
{
    if (m_selection.isEmpty())
        return false;
    removeSelection("StepDelete");
    return true;
}

void PresetEditor::removeSelection(const char *stepKey)
{
    const QList<int> rows = selectedRows();
    if (rows.isEmpty())
        return;
    const Snapshot before = snapshot();
    // Exactly the presets that were selected (and copied), whatever their rows are now.
    m_store->removePresets(m_selection);
    // As a table keeps its selected row: the preset that moved up into it.
    const PresetPtr next = m_store->presetAtIndex(rows.first());
    select(next ? PresetList { next } : PresetList(), next);
    record(before, stepKey);
}

void PresetEditor::insertAndSelect(const PresetList &presets, int row)
{
    const qsizetype index = row < 0 || row > m_store->count() ? m_store->count() : row;
    m_store->insertPresets(index, presets);
    if (!presets.isEmpty())
        select(presets, presets.last());
}

bool PresetEditor::paste(const QMimeData *mime)
{
    PresetList presets;
    if (!readPresets(mime, &presets))
        return false;
    const Snapshot before = snapshot();
    insertAndSelect(presets, currentRow());
    scheduleRefresh();
    if (!presets.isEmpty()) {
        m_store->notifyPresetsChanged();
        record(before, "StepPaste", true);
    }
    return true;
}

void PresetEditor::restoreDefaults()
{
    const Snapshot before = snapshot();
    m_store->restoreDefaultPresets();
    select({}, nullptr);
    record(before, "StepRestoreDefaults");
}

// --- Drag and drop --------------------------------------------------------------------------

bool PresetEditor::beginDrag(const QList<int> &rows, QMimeData *mime)
{
    m_dragged.clear();
    PresetList presets;
    QList<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    for (int row : sorted) {
        const PresetPtr preset = m_store->presetAtIndex(row);
        if (preset && !presets.contains(preset))
            presets.append(preset);
    }
    if (presets.isEmpty() || !mime)
        return false;
    m_dragged = presets;
    writePresets(presets, mime);
    return true;
}

bool PresetEditor::acceptDrop(const QMimeData *mime, int row, bool sourceIsThisTable)
{
    const PresetList originals = sourceIsThisTable ? m_dragged : PresetList();
    if (sourceIsThisTable)
        m_dragged.clear();
    PresetList presets;
    if (!readPresets(mime, &presets))
        return false;
    const Snapshot before = snapshot();
    insertAndSelect(presets, row);
    // The originals leave only once their copies are in: a drop that brought nothing
    // leaves the list as it was.
    if (!presets.isEmpty() && !originals.isEmpty())
        m_store->removePresets(originals);
    scheduleRefresh();
    if (!presets.isEmpty()) {
        m_store->notifyPresetsChanged();
        record(before, "StepDrop", true);
    }
    return true;
}

// --- Refresh and closing ------------------------------------------------------------------

void PresetEditor::refresh()
{
    m_refreshTimer.stop();
    m_store->sortPresets();
    m_store->notifyPresetsChanged();
}

bool PresetEditor::finishEditing(QString *error)
{
    if (refreshPending())
        refresh();
    m_store->tidyMetadataPresets();
    m_undoStack.clear();
    return m_store->saveMetadataPresets(error);
}

// --- Clipboard forms ------------------------------------------------------------------------

void PresetEditor::writePresets(const PresetList &presets, QMimeData *mime)
{
    QByteArray xml;
    QXmlStreamWriter writer(&xml);
    writer.writeStartElement(QStringLiteral("PasteboardMetadataXML"));
    QStringList lines;
    for (const auto &preset : presets) {
        preset->writeXml(writer);
        lines.append(orEmpty(preset->keyword()) + u'\t' + preset->exportValue());
    }
    writer.writeEndElement();
    setPasteboardForms(mime, xml, lines.join(u'\n').toUtf8());
}

bool PresetEditor::readPresets(const QMimeData *mime, PresetList *presets)
{
    PastedData pasted;
    if (!readPasteboard(mime, &pasted))
        return false;
    PresetList read;
    if (pasted.fromXml) {
        for (const auto &attributes : std::as_const(pasted.elements))
            read.append(MetadataPreset::fromXmlAttributes(attributes));
    } else {
        for (const auto &comment : std::as_const(pasted.comments))
            read.append(std::make_shared<MetadataPreset>(comment->keyword(), comment->text()));
    }
    if (presets)
        *presets = read;
    return true;
}
