#pragma once

#include <QStyledItemDelegate>

// Cell editors of a comment table: a one-line editor limited to 79 characters for the
// keyword column, a multi-line editor for the text column that keeps line breaks (Return
// adds a line; Ctrl+Return, Tab or leaving the cell ends the edit). An editor that was
// not changed writes nothing back.
class CommentCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT

public:
    explicit CommentCellDelegate(QObject *parent = nullptr);

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    void setEditorData(QWidget *editor, const QModelIndex &index) const override;
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override;
    void updateEditorGeometry(
        QWidget *editor, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

protected:
    bool eventFilter(QObject *object, QEvent *event) override;
};
