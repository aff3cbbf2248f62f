#include "commentlist/widgets/CommentTableModel.h"

#include "commentlist/CommentListOwner.h"
#include "core/Strings.h"
#include "core/TextChunks.h"

#include <QApplication>
#include <QColor>
#include <QStyle>

CommentTableModel::CommentTableModel(CommentListOwner *owner, QObject *parent)
    : RowDragModel(parent)
{
    setOwner(owner);
}

void CommentTableModel::setOwner(CommentListOwner *owner)
{
    if (m_owner)
        disconnect(m_owner, nullptr, this, nullptr);
    beginResetModel();
    m_owner = owner;
    m_rows = owner ? owner->comments() : CommentList();
    forgetDrag();
    endResetModel();
    if (!owner)
        return;
    connect(owner, &CommentListOwner::commentsInserted, this, &CommentTableModel::insertRows);
    connect(owner, &CommentListOwner::commentsRemoved, this, &CommentTableModel::removeRows);
    connect(owner, &CommentListOwner::commentMoved, this, &CommentTableModel::moveRow);
    connect(owner, &CommentListOwner::commentChanged, this, &CommentTableModel::changeRow);
    connect(owner, &CommentListOwner::commentsReset, this, &CommentTableModel::reset);
}

CommentListOwner *CommentTableModel::owner() const
{
    return m_owner;
}

CommentPtr CommentTableModel::commentAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows[row] : nullptr;
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
    const bool keyword = index.column() == CommentListOwner::KeywordColumn;
    switch (role) {
    case Qt::DisplayRole:
        return keyword ? comment.keyword() : singleLine(comment.text());
    case Qt::EditRole:
        return keyword ? comment.keyword() : comment.text();
    case Qt::ToolTipRole: {
        // An entry a PNG file cannot hold says why, in both cells.
        const QString problem = whyUnwritable(comment);
        if (!problem.isEmpty())
            return localizedString("EntryNotWritable").arg(problem);
        return keyword || comment.text().isEmpty() ? QVariant() : QVariant(comment.text());
    }
    case Qt::DecorationRole:
        // The visible mark of such an entry: a warning sign beside its keyword, its texts in red.
        if (keyword && qobject_cast<QApplication *>(QCoreApplication::instance()) && !whyUnwritable(comment).isEmpty())
            return QApplication::style()->standardIcon(QStyle::SP_MessageBoxWarning);
        return QVariant();
    case Qt::ForegroundRole:
        return whyUnwritable(comment).isEmpty() ? QVariant() : QVariant(QColor(Qt::darkRed));
    case Qt::AccessibleDescriptionRole: {
        const QString problem = whyUnwritable(comment);
        return problem.isEmpty() ? QVariant() : QVariant(localizedString("EntryNotWritable").arg(problem));
    }
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
    return localizedString(section == CommentListOwner::KeywordColumn ? "KeywordColumn" : "TextColumn");
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
    if (role != Qt::EditRole || !m_owner
        || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    // The owner tells every view, this one included.
    return m_owner->setData(index.row(), CommentListOwner::Column(index.column()), value.toString());
}

bool CommentTableModel::beginDrag(const QList<int> &rows, QMimeData *mime) const
{
    return m_owner && m_owner->beginDrag(rows, mime);
}

bool CommentTableModel::acceptDrop(const QMimeData *mime, int row, bool fromThisTable)
{
    return m_owner && m_owner->acceptDrop(mime, row, fromThisTable);
}

void CommentTableModel::insertRows(int first, int count)
{
    beginInsertRows(QModelIndex(), first, first + count - 1);
    m_rows = m_owner->comments();
    endInsertRows();
}

void CommentTableModel::removeRows(int first, int count)
{
    beginRemoveRows(QModelIndex(), first, first + count - 1);
    m_rows = m_owner->comments();
    endRemoveRows();
}

void CommentTableModel::moveRow(int from, int to)
{
    // The row goes before the row that stood at the destination beforehand.
    beginMoveRows(QModelIndex(), from, from, QModelIndex(), to > from ? to + 1 : to);
    m_rows = m_owner->comments();
    endMoveRows();
}

void CommentTableModel::changeRow(int row)
{
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

void CommentTableModel::reset()
{
    beginResetModel();
    m_rows = m_owner->comments();
    endResetModel();
}
