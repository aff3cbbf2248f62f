#include "document/widgets/CommentTableModel.h"

#include "core/Strings.h"
#include "document/PNGDoc.h"
#include "interchange/PasteboardFormats.h"

#include <QHash>
#include <QMimeData>
#include <QSet>

CommentTableModel::CommentTableModel(PNGDoc *document, QObject *parent)
    : QAbstractTableModel(parent)
    , m_document(document)
    , m_rows(document->comments())
{
    rememberShownValues();
    connect(document, &PNGDoc::commentsChanged, this, &CommentTableModel::sync);
}

int CommentTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int CommentTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : 2;
}

QString CommentTableModel::singleLine(const QString &text)
{
    QString line = text;
    line.replace(QStringLiteral("\r\n"), QStringLiteral("⏎"));
    for (QChar c : { QChar(u'\n'), QChar(u'\r'), QChar(0x2028), QChar(0x2029) })
        line.replace(c, QStringLiteral("⏎"));
    return line;
}

QVariant CommentTableModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    const PNGComment &comment = *m_rows[index.row()];
    const bool keyword = index.column() == 0;
    switch (role) {
    case Qt::DisplayRole:
        return keyword ? comment.keyword() : singleLine(comment.text());
    case Qt::EditRole:
        return keyword ? comment.keyword() : comment.text();
    case Qt::ToolTipRole:
        return keyword || comment.text().isEmpty() ? QVariant() : QVariant(comment.text());
    default:
        return QVariant();
    }
}

QVariant CommentTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return section + 1;
    return localizedString(section == 0 ? "KeywordColumn" : "TextColumn");
}

Qt::ItemFlags CommentTableModel::flags(const QModelIndex &index) const
{
    // Drops go between rows (or after the last), never onto a comment.
    if (!index.isValid())
        return Qt::ItemIsDropEnabled;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemIsDragEnabled;
}

bool CommentTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    // The document tells every view, this one included, through commentsChanged.
    return m_document->setData(
        index.row(), index.column() == 0 ? PNGDoc::KeywordColumn : PNGDoc::TextColumn, value.toString());
}

Qt::DropActions CommentTableModel::supportedDragActions() const
{
    return Qt::CopyAction | Qt::MoveAction;
}

Qt::DropActions CommentTableModel::supportedDropActions() const
{
    return Qt::CopyAction | Qt::MoveAction;
}

QStringList CommentTableModel::mimeTypes() const
{
    return pasteboardTypes();
}

QMimeData *CommentTableModel::mimeData(const QModelIndexList &indexes) const
{
    QList<int> rows;
    for (const QModelIndex &index : indexes) {
        if (index.isValid() && !rows.contains(index.row()))
            rows.append(index.row());
    }
    auto *data = new QMimeData;
    if (!m_document->beginDrag(rows, data)) {
        delete data;
        return nullptr;
    }
    m_dragData = data;
    return data;
}

bool CommentTableModel::dropMimeData(
    const QMimeData *data, Qt::DropAction action, int row, int, const QModelIndex &parent)
{
    if (action == Qt::IgnoreAction)
        return true;
    if (row < 0 && parent.isValid())
        row = parent.row();
    // Within the application a drag hands the drop its own QMimeData object.
    const bool fromThisTable = data && data == m_dragData.data();
    return m_document->acceptDrop(data, row, fromThisTable);
}

void CommentTableModel::sync()
{
    const CommentList now = m_document->comments();

    // Rows only removed: the new list is what is left of the old one.
    QList<bool> kept(m_rows.size(), false);
    qsizetype matched = 0;
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        if (matched < now.size() && m_rows[i] == now[matched]) {
            kept[i] = true;
            ++matched;
        }
    }
    if (matched == now.size()) {
        for (qsizetype last = m_rows.size() - 1; last >= 0; --last) {
            if (kept[last])
                continue;
            qsizetype first = last;
            while (first > 0 && !kept[first - 1])
                --first;
            beginRemoveRows(QModelIndex(), int(first), int(last));
            m_rows.remove(first, last - first + 1);
            endRemoveRows();
            last = first;
        }
    } else {
        // Rows only inserted: the old list is what is left of the new one.
        QList<bool> old(now.size(), false);
        matched = 0;
        for (qsizetype j = 0; j < now.size(); ++j) {
            if (matched < m_rows.size() && now[j] == m_rows[matched]) {
                old[j] = true;
                ++matched;
            }
        }
        if (matched == m_rows.size()) {
            for (qsizetype first = 0; first < now.size(); ++first) {
                if (old[first])
                    continue;
                qsizetype last = first;
                while (last + 1 < now.size() && !old[last + 1])
                    ++last;
                beginInsertRows(QModelIndex(), int(first), int(last));
                for (qsizetype j = first; j <= last; ++j)
                    m_rows.insert(j, now[j]);
                endInsertRows();
                first = last;
            }
        } else {
            beginResetModel();
            m_rows = now;
            rememberShownValues();
            endResetModel();
            return;
        }
    }
    // Keywords and texts may have changed in place; only rows whose values differ from
    // what they showed are announced, so an open editor elsewhere keeps its contents.
    QHash<const PNGComment *, Values> shown;
    shown.swap(m_shown);
    for (int row = 0; row < m_rows.size(); ++row) {
        const PNGComment *comment = m_rows[row].get();
        const Values values { comment->keyword(), comment->text() };
        const auto before = shown.constFind(comment);
        if (before != shown.cend() && *before != values)
            emit dataChanged(index(row, 0), index(row, 1));
        m_shown.insert(comment, values);
    }
}

void CommentTableModel::rememberShownValues()
{
    m_shown.clear();
    for (const auto &comment : std::as_const(m_rows))
        m_shown.insert(comment.get(), { comment->keyword(), comment->text() });
}
