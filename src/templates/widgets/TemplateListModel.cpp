#include "templates/widgets/TemplateListModel.h"

#include "core/Strings.h"

#include <QScopedValueRollback>

TemplateListModel::TemplateListModel(TemplateEditor *store, QObject *parent)
    : QAbstractListModel(parent)
    , m_store(store)
    , m_rows(store->templates())
{
    connect(store, &TemplateEditor::templateInserted, this, &TemplateListModel::insertRow);
    connect(store, &TemplateEditor::templateRemoved, this, &TemplateListModel::removeRow);
    connect(store, &TemplateEditor::templateRenamed, this, &TemplateListModel::changeRow);
    connect(store, &TemplateEditor::templatesReset, this, &TemplateListModel::reset);
}

TemplatePtr TemplateListModel::templateAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows[row] : nullptr;
}

int TemplateListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant TemplateListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return m_rows[index.row()]->name();
    return QVariant();
}

QVariant TemplateListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section != 0)
        return QVariant();
    return localizedString("TemplatesTable");
}

Qt::ItemFlags TemplateListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemNeverHasChildren;
}

bool TemplateListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !m_store
        || !checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return false;
    const QString name = value.toString();
    TemplateEditor::NameCheck check = TemplateEditor::NameCheck::Acceptable;
    QString reason;
    // The store announces the new name, this model included.
    if (m_store->renameTemplate(m_store->indexOfTemplate(m_rows[index.row()]), name, &check, &reason))
        return true;
    emit renameRefused(check, name, reason);
    return false;
}

void TemplateListModel::insertRow(int row)
{
    const QScopedValueRollback changing(m_changing, true);
    beginInsertRows(QModelIndex(), row, row);
    m_rows = m_store->templates();
    endInsertRows();
}

void TemplateListModel::removeRow(int row)
{
    const QScopedValueRollback changing(m_changing, true);
    beginRemoveRows(QModelIndex(), row, row);
    m_rows = m_store->templates();
    endRemoveRows();
}

void TemplateListModel::changeRow(int row)
{
    const QModelIndex changed = index(row, 0);
    emit dataChanged(changed, changed);
}

void TemplateListModel::reset()
{
    const QScopedValueRollback changing(m_changing, true);
    beginResetModel();
    m_rows = m_store->templates();
    endResetModel();
}
