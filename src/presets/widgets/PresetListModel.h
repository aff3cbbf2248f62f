#pragma once

#include "commentlist/widgets/RowDragModel.h"
#include "presets/MetadataPreset.h"

#include <QPointer>

class MetadataPresetManager;
class PresetEditor;

// The item model of the preset table: one row per preset of the shared store, showing its
// display text. It follows the store one change at a time (rows inserted, removed or
// changed; a sort moves the rows, so selections stay with their presets). Drags and drops
// go to the editor (RowDragModel).
class PresetListModel : public RowDragModel
{
    Q_OBJECT

public:
    explicit PresetListModel(PresetEditor *editor, QObject *parent = nullptr);

    PresetPtr presetAt(int row) const;
    // True while the rows are being changed (between a model's begin and end signals).
    bool isChanging() const { return m_changing; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

private:
    void insertRows(int first, int count);
    void removeRows(int first, int count);
    void changeRow(int row);
    void reorder();
    void reset();

    QPointer<PresetEditor> m_editor;
    MetadataPresetManager *m_store = nullptr;
    // The rows as the model shows them; follows the store one signal at a time.
    PresetList m_rows;
    bool m_changing = false;

protected:
    bool beginDrag(const QList<int> &rows, QMimeData *mime) const override;
    bool acceptDrop(const QMimeData *mime, int row, bool fromThisTable) override;
};
