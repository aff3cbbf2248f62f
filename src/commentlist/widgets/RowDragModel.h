#pragma once

#include <QAbstractTableModel>
#include <QPointer>

class QMimeData;

// The drag and drop of a table of entries in the clipboard forms (the comments of a list,
// the presets): a drag carries the dragged rows, a drop of data this model handed out for
// a drag is a move within the table, any other drop inserts copies. Drops go between rows
// (or after the last), never onto an entry. A subclass hands both to its list's owner.
class RowDragModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    bool dropMimeData(
        const QMimeData *data, Qt::DropAction action, int row, int column, const QModelIndex &parent) override;

protected:
    // Writes the entries at rows (ascending, no repeats) to mime; false when there is
    // nothing to drag.
    virtual bool beginDrag(const QList<int> &rows, QMimeData *mime) const = 0;
    // Takes a drop before row (negative: at the end); a move when fromThisTable.
    virtual bool acceptDrop(const QMimeData *mime, int row, bool fromThisTable) = 0;
    // Forgets the data of the last drag (the list shown changed).
    void forgetDrag() { m_dragData.clear(); }

private:
    mutable QPointer<QMimeData> m_dragData;
};
