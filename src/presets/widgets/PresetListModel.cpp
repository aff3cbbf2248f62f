#include "presets/widgets/PresetListModel.h"

#include "core/Strings.h"
#include "presets/MetadataPresetManager.h"
#include "presets/PresetEditor.h"

#include <QScopedValueRollback>

PresetListModel::PresetListModel(PresetEditor *editor, QObject *parent)
    : RowDragModel(parent)
    , m_editor(editor)
    , m_store(editor->store())
    , m_rows(m_store->metadataPresets())
{
    connect(m_store, &MetadataPresetManager::presetsInserted, this, &PresetListModel::insertRows);
    connect(m_store, &MetadataPresetManager::presetsRemoved, this, &PresetListModel::removeRows);
    connect(m_store, &MetadataPresetManager::presetChanged, this, &PresetListModel::changeRow);
    connect(m_store, &MetadataPresetManager::presetsReordered, this, &PresetListModel::reorder);
    connect(m_store, &MetadataPresetManager::presetsReset, this, &PresetListModel::reset);
}

PresetPtr PresetListModel::presetAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows[row] : nullptr;
}

int PresetListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int PresetListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 1;
}

QVariant PresetListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    const MetadataPreset &preset = *m_rows[index.row()];
    const QString title = preset.displayText();
    switch (role) {
    case Qt::DisplayRole:
        return title;
    case Qt::AccessibleTextRole:
        // A row without display text is still read out by its keyword.
        return title.isEmpty() ? preset.keyword() : title;
    case Qt::ToolTipRole:
        return preset.keyword().isEmpty() ? QVariant() : QVariant(preset.keyword() + u'\n' + preset.exportValue());
    default:
        return QVariant();
    }
}

QVariant PresetListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section != 0)
        return QVariant();
    return localizedString("PresetsTable");
}

Qt::ItemFlags PresetListModel::flags(const QModelIndex &index) const
{
    // Drops go between rows (or after the last), never onto a preset. Rows are edited in
    // the fields, not in place.
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled | Qt::ItemNeverHasChildren;
}

bool PresetListModel::beginDrag(const QList<int> &rows, QMimeData *mime) const
{
    return m_editor && m_editor->beginDrag(rows, mime);
}

bool PresetListModel::acceptDrop(const QMimeData *mime, int row, bool fromThisTable)
{
    return m_editor && m_editor->acceptDrop(mime, row, fromThisTable);
}

void PresetListModel::insertRows(int first, int count)
{
    const QScopedValueRollback changing(m_changing, true);
    beginInsertRows(QModelIndex(), first, first + count - 1);
    m_rows = m_store->metadataPresets();
    endInsertRows();
}

void PresetListModel::removeRows(int first, int count)
{
    const QScopedValueRollback changing(m_changing, true);
    beginRemoveRows(QModelIndex(), first, first + count - 1);
    m_rows = m_store->metadataPresets();
    endRemoveRows();
}

void PresetListModel::changeRow(int row)
{
    const QModelIndex changed = index(row, 0);
    emit dataChanged(changed, changed);
}

void PresetListModel::reorder()
{
    const QScopedValueRollback changing(m_changing, true);
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const PresetList before = m_rows;
    m_rows = m_store->metadataPresets();
    // Every index kept by a view (selection, current row) follows its preset.
    const QModelIndexList kept = persistentIndexList();
    QModelIndexList moved;
    moved.reserve(kept.size());
    for (const QModelIndex &index : kept) {
        const qsizetype row = index.row() < before.size() ? m_rows.indexOf(before[index.row()]) : -1;
        moved.append(row < 0 ? QModelIndex() : this->index(int(row), index.column()));
    }
    changePersistentIndexList(kept, moved);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void PresetListModel::reset()
{
    const QScopedValueRollback changing(m_changing, true);
    beginResetModel();
    m_rows = m_store->metadataPresets();
    endResetModel();
}
