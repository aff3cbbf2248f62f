#pragma once

#include <QTableView>

// A table of a list's entries: whole rows selected (several at once), one line each, no
// row numbers, the last column stretched, rows dragged and dropped.
class RowTableView : public QTableView
{
    Q_OBJECT

public:
    explicit RowTableView(QWidget *parent = nullptr);

    // The selected rows in ascending order.
    QList<int> selectedRowNumbers() const;
};
