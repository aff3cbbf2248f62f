#include "commentlist/widgets/RowDragModel.h"

#include "interchange/PasteboardFormats.h"

#include <QMimeData>

#include <algorithm>

Qt::DropActions RowDragModel::supportedDragActions() const
{
    return Qt::CopyAction | Qt::MoveAction;
}

Qt::DropActions RowDragModel::supportedDropActions() const
{
    return Qt::CopyAction | Qt::MoveAction;
}

QStringList RowDragModel::mimeTypes() const
{
    return pasteboardTypes();
}

QMimeData *RowDragModel::mimeData(const QModelIndexList &indexes) const
{
    QList<int> rows;
    for (const QModelIndex &index : indexes) {
        if (index.isValid() && !rows.contains(index.row()))
            rows.append(index.row());
    }
    std::sort(rows.begin(), rows.end());
    auto *data = new QMimeData;
    if (!beginDrag(rows, data)) {
        delete data;
        return nullptr;
    }
    m_dragData = data;
    return data;
}

bool RowDragModel::dropMimeData(const QMimeData *data, Qt::DropAction action, int row, int, const QModelIndex &parent)
{
    if (action == Qt::IgnoreAction)
        return true;
    if (row < 0 && parent.isValid())
        row = parent.row();
    // Within the application a drag hands the drop its own QMimeData object.
    const bool fromThisTable = data && data == m_dragData.data();
    return acceptDrop(data, row, fromThisTable);
}
