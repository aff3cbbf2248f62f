#pragma once

#include "commentlist/widgets/RowTableView.h"

// The table of a comment list: cells edited in place, drags of the selected rows in the
// interchange forms, drops between rows. A drop on this table moves the rows; a drop
// anywhere else receives copies and the table never removes rows after a drag itself.
class CommentTableView : public RowTableView
{
    Q_OBJECT

public:
    explicit CommentTableView(QWidget *parent = nullptr);
    // The row a paste goes to: the current row when it is selected, else the last
    // selected row, or -1 (append) without a selection.
    int pasteRow() const;
    // Hands an open cell editor's value to the model and closes the editor.
    void commitEditing();

protected:
    void startDrag(Qt::DropActions supportedActions) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
};
