#pragma once

#include <QStyledItemDelegate>

class QPlainTextEdit;

// Cell editors of a comment table: a one-line editor limited to 79 characters for the
// keyword column, a multi-line editor for the text column. In both, Return (or Enter)
// ends the edit and hands the value to the model, Escape ends it without a change, and
// Tab or leaving the cell ends it too (the menu bar borrowing the focus does not). In the
// text editor Shift+Return and Alt+Return insert a line break. An editor that was not
// changed writes nothing back.
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

    // The text of a multi-line editor as a comment stores it: line breaks as line feeds,
    // every other character kept.
    static QString editedText(const QPlainTextEdit *editor);

protected:
    bool eventFilter(QObject *object, QEvent *event) override;
};
