#include "commentlist/widgets/CommentTableView.h"

#include <QDrag>
#include <QDragMoveEvent>
#include <QMimeData>

CommentTableView::CommentTableView(QWidget *parent)
    : RowTableView(parent)
{
    setEditTriggers(
        QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed | QAbstractItemView::AnyKeyPressed);
    setDropIndicatorShown(true);
    setDragDropOverwriteMode(false);
    setTextElideMode(Qt::ElideRight);
}

int CommentTableView::pasteRow() const
{
    const QItemSelectionModel *selection = selectionModel();
    if (!selection || !selection->hasSelection())
        return -1;
    const QModelIndex current = selection->currentIndex();
    if (current.isValid() && selection->isRowSelected(current.row()))
        return current.row();
    const QModelIndexList rows = selection->selectedRows();
    return rows.isEmpty() ? -1 : rows.last().row();
}

void CommentTableView::commitEditing()
{
    if (state() != QAbstractItemView::EditingState)
        return;
    if (QWidget *editor = indexWidget(currentIndex())) {
        commitData(editor);
        closeEditor(editor, QAbstractItemDelegate::NoHint);
    }
}

void CommentTableView::startDrag(Qt::DropActions supportedActions)
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (rows.isEmpty() || !model())
        return;
    QMimeData *data = model()->mimeData(rows);
    if (!data)
        return;
    auto *drag = new QDrag(this);
    drag->setMimeData(data);
    // Whatever the target answers, the rows leave this table only through a drop on it.
    drag->exec(supportedActions, Qt::CopyAction);
}

void CommentTableView::dragEnterEvent(QDragEnterEvent *event)
{
    QTableView::dragEnterEvent(event);
    if (event->isAccepted())
        event->setDropAction(event->source() == this ? Qt::MoveAction : Qt::CopyAction);
}

void CommentTableView::dragMoveEvent(QDragMoveEvent *event)
{
    QTableView::dragMoveEvent(event);
    if (event->isAccepted()) {
        event->setDropAction(event->source() == this ? Qt::MoveAction : Qt::CopyAction);
        event->accept();
    }
}
