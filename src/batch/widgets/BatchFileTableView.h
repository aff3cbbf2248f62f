#pragma once

#include "commentlist/widgets/RowTableView.h"

// The table of a batch's files: whole rows selected, drags of the selected paths as a
// file-name list (to a file manager, another batch window), drops of file-name lists from
// anywhere but itself (a file of the list dropped on it again would be listed twice).
class BatchFileTableView : public RowTableView
{
    Q_OBJECT

public:
    explicit BatchFileTableView(QWidget *parent = nullptr);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
};
