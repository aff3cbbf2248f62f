#pragma once

#include "core/PNGComment.h"

#include <QAbstractTableModel>
#include <QPointer>

class CommentListOwner;
class QMimeData;

// The item model of every comment table: the arranged list of a CommentListOwner (a
// document, a template, a batch list), one row per comment, columns keyword and text.
// Cells are edited through the owner (which cuts keywords at 79 characters and applies
// its expansion policy to texts). A text shows on one line, its line breaks as ⏎; the
// edit role gives it unchanged. An entry that a PNG file cannot hold (whyUnwritable()) shows
// in red with a warning icon beside its keyword, and says why in its tooltips.
//
// The owner's precise signals become the model's: rows inserted, removed, moved or
// changed, a reset only when the owner resets.
class CommentTableModel : public QAbstractTableModel
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

    // Drag and drop in the interchange forms: a drop of data this model handed out for a
    // drag is a move within the table, any other drop inserts copies.
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    bool dropMimeData(
        const QMimeData *data, Qt::DropAction action, int row, int column, const QModelIndex &parent) override;

    // A text on one line: every line break (CR LF, LF, CR, U+2028, U+2029) becomes ⏎.
    static QString singleLine(const QString &text);

private:
    void insertRows(int first, int count);
    void removeRows(int first, int count);
    void moveRow(int from, int to);
    void changeRow(int row);
    void reset();

    QPointer<CommentListOwner> m_owner;
    // The rows as the model shows them; follows the owner one signal at a time.
    CommentList m_rows;
    mutable QPointer<QMimeData> m_dragData;
};
