#pragma once

#include "templates/TemplateEditor.h"

#include <QAbstractListModel>
#include <QPointer>

// The item model of the templates table: one row per template of the shared store,
// showing its name, in store order. Editing a name renames the template (moving its file);
// a refused or failed rename changes nothing and is reported with renameRefused().
class TemplateListModel : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit TemplateListModel(TemplateEditor *store, QObject *parent = nullptr);

    TemplatePtr templateAt(int row) const;
    // True while the rows are being changed (between a model's begin and end signals).
    bool isChanging() const { return m_changing; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

signals:
    // A rename was refused by the name rules (check) or failed (reason, check Acceptable).
    void renameRefused(TemplateEditor::NameCheck check, const QString &name, const QString &reason);

private:
    void insertRow(int row);
    void removeRow(int row);
    void changeRow(int row);
    void reset();

    QPointer<TemplateEditor> m_store;
    TemplateList m_rows;
    bool m_changing = false;
};
