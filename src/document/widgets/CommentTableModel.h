#pragma once

#include "core/PNGComment.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QPointer>

class PNGDoc;
class QMimeData;

// The comment table of a document window: the document's arranged list, one row per
// comment, columns keyword and text. Cells are edited through the document (a text is
// macro-expanded, a keyword cut at 79 characters). A text shows on one line, its line
// breaks as ⏎; the edit role gives it unchanged.
//
// The model keeps the list it last showed and, on every change of the document, turns
// the difference into inserted or removed rows, or one reset when rows moved.
class CommentTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit CommentTableModel(PNGDoc *document, QObject *parent = nullptr);

    PNGDoc *document() const { return m_document; }

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
    // Keyword and text of a row as the table last showed them.
    using Values = std::pair<QString, QString>;

    void sync();
    void rememberShownValues();

    PNGDoc *m_document = nullptr;
    CommentList m_rows;
    QHash<const PNGComment *, Values> m_shown;
    mutable QPointer<QMimeData> m_dragData;
};
