#include "batch/widgets/BatchFileTableView.h"

#include <QDragMoveEvent>

BatchFileTableView::BatchFileTableView(QWidget *parent)
    : RowTableView(parent)
{
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setDropIndicatorShown(false);
    setTextElideMode(Qt::ElideMiddle);
}

void BatchFileTableView::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->source() == this) {
        event->ignore();
        return;
    }
    QTableView::dragEnterEvent(event);
    if (event->isAccepted())
        event->setDropAction(Qt::CopyAction);
}

void BatchFileTableView::dragMoveEvent(QDragMoveEvent *event)
{
    if (event->source() == this) {
        event->ignore();
        return;
    }
    QTableView::dragMoveEvent(event);
    if (event->isAccepted()) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
}

void BatchFileTableView::dropEvent(QDropEvent *event)
{
    if (event->source() == this) {
        event->ignore();
        return;
    }
    event->setDropAction(Qt::CopyAction);
    QTableView::dropEvent(event);
}
