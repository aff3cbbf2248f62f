#pragma once

#include "commentlist/widgets/RowDragModel.h"
#include "core/PNGComment.h"

#include <QPointer>

class CommentListOwner;

// The item model of every comment table: the arranged list of a CommentListOwner (a
// document, a template, a batch list), one row per comment, columns keyword and text.
// Cells are edited through the owner (which cuts keywords at 79 characters and applies
// its expansion policy to texts). A text shows on one line, its line breaks as ⏎; the
// edit role gives it unchanged. An entry that a PNG file cannot hold (whyUnwritable()) shows
// in red with a warning icon beside its keyword, and says why in its tooltips.
//
// The owner's precise signals become the model's: rows inserted, removed, moved or
// changed, a reset only when the owner resets. Drags and drops go to the owner
// (RowDragModel).
class CommentTableModel : public RowDragModel
{
    Q_OBJECT

public:
    explicit CommentTableModel(CommentListOwner *owner, QObject *parent = nullptr);

    CommentListOwner *owner() const;
    // Shows another owner's list (nullptr: none, an empty table), in one reset.
    void setOwner(CommentListOwner *owner);
    // The comment a row shows, or nullptr.
    CommentPtr commentAt(int row) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    // A text on one line: every line break (CR LF, LF, CR, U+2028, U+2029) becomes ⏎.
    static QString singleLine(const QString &text);

protected:
    bool beginDrag(const QList<int> &rows, QMimeData *mime) const override;
    bool acceptDrop(const QMimeData *mime, int row, bool fromThisTable) override;

private:
    void insertRows(int first, int count);
    void removeRows(int first, int count);
    void moveRow(int from, int to);
    void changeRow(int row);
    void reset();

    QPointer<CommentListOwner> m_owner;
    // The rows as the model shows them; follows the owner one signal at a time.
    CommentList m_rows;
};
