#pragma once

#include "presets/MetadataPreset.h"

#include <QAbstractListModel>
#include <QPointer>

class MetadataPresetManager;
class PresetEditor;
class QMimeData;

// The item model of the preset table: one row per preset of the shared store, showing its
// display text. It follows the store one change at a time (rows inserted, removed or
// changed; a sort moves the rows, so selections stay with their presets). Drags carry the
// presets in the clipboard forms; a drop of the model's own drag data moves presets within
// the table, any other drop inserts copies (through the editor).
class PresetListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit PresetListModel(PresetEditor *editor, QObject *parent = nullptr);

    PresetPtr presetAt(int row) const;
    // True while the rows are being changed (between a model's begin and end signals).
    bool isChanging() const { return m_changing; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    bool dropMimeData(
        const QMimeData *data, Qt::DropAction action, int row, int column, const QModelIndex &parent) override;

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
    mutable QPointer<QMimeData> m_dragData;
};
