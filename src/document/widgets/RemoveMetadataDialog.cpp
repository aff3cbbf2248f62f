#include "document/widgets/RemoveMetadataDialog.h"

#include "core/Strings.h"
#include "windowkit/Prompts.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

QString itemName(const StripItem &item)
{
    const QString type = QString::fromLatin1(item.type);
    return item.kind == StripItem::Kind::TextEntry ? localizedString("RemoveEntryName").arg(type, item.keyword) : type;
}

} // namespace

RemoveMetadataDialog::RemoveMetadataDialog(const StripPlan &plan, const QString &fileName, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("removeMetadataDialog"));
    setWindowTitle(localizedString("RemoveMetadataTitle").arg(fileName));
    auto *intro = new QLabel(localizedString("RemoveMetadataIntro"));
    intro->setWordWrap(true);

    m_items = new QTreeWidget;
    m_items->setObjectName(QStringLiteral("removeItemsTree"));
    m_items->setAccessibleName(localizedString("RemoveItemsTable"));
    m_items->setRootIsDecorated(false);
    m_items->setWordWrap(true);
    m_items->setHeaderLabels({ localizedString("RemoveColumnItem"), localizedString("RemoveColumnSize"),
        localizedString("RemoveColumnWhat") });
    bool credentials = false;
    for (const StripItem &item : plan.items) {
        const QString description = shownText(item.description);
        auto *line = new QTreeWidgetItem(
            m_items, { itemName(item), QLocale().formattedDataSize(item.size), description.left(400) });
        line->setCheckState(0, item.chosen ? Qt::Checked : Qt::Unchecked);
        line->setToolTip(2, description.left(4000));
        credentials = credentials || item.type == "caBX";
    }
    m_items->header()->resizeSection(0, 220);
    m_items->resizeColumnToContents(1);

    // The whole of what the current item gives away, as a line cannot show it.
    auto *detail = new QPlainTextEdit;
    detail->setObjectName(QStringLiteral("removeItemDetail"));
    detail->setReadOnly(true);
    detail->setAccessibleName(localizedString("RemoveColumnWhat"));
    detail->setMaximumHeight(110);
    connect(m_items, &QTreeWidget::currentItemChanged, detail, [plan, this, detail](QTreeWidgetItem *current) {
        const int row = m_items->indexOfTopLevelItem(current);
        detail->setPlainText(
            row >= 0 && row < plan.items.size() ? shownText(plan.items.at(row).description) : QString());
    });
    m_items->setCurrentItem(m_items->topLevelItem(0));

    m_warning = new QLabel(localizedString("CredentialsWarning"));
    m_warning->setObjectName(QStringLiteral("credentialsWarning"));
    m_warning->setWordWrap(true);
    m_warning->setVisible(credentials);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    QPushButton *remove = buttons->addButton(localizedString("RemoveButton"), QDialogButtonBox::AcceptRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(intro);
    layout->addWidget(m_items, 1);
    layout->addWidget(detail);
    layout->addWidget(m_warning);
    layout->addWidget(buttons);
    // Default only once it stands in the dialog: a button made default before is not the
    // dialog's, and Return would press Cancel.
    remove->setDefault(true);
    resize(760, 420);
}

QList<bool> RemoveMetadataDialog::choices() const
{
    QList<bool> chosen;
    for (int i = 0; i < m_items->topLevelItemCount(); ++i)
        chosen << (m_items->topLevelItem(i)->checkState(0) == Qt::Checked);
    return chosen;
}

bool RemoveMetadataDialog::choose(QWidget *parent, const QString &fileName, StripPlan *plan)
{
    Prompts::Request request { Prompts::Kind::RemoveMetadata, localizedString("RemoveMetadataTitle").arg(fileName),
        QString() };
    for (const StripItem &item : std::as_const(plan->items)) {
        request.detail += itemName(item) + u'\t' + item.description + u'\n';
        request.options << item.chosen;
    }
    const QVariantList answer = Prompts::ask(request, [&]() -> QVariant {
        RemoveMetadataDialog dialog(*plan, fileName, parent);
        if (dialog.exec() != QDialog::Accepted)
            return QVariant();
        QVariantList chosen;
        for (bool on : dialog.choices())
            chosen << on;
        return chosen;
    }).toList();
    if (answer.size() != plan->items.size())
        return false;
    for (qsizetype i = 0; i < answer.size(); ++i)
        plan->items[i].chosen = answer[i].toBool();
    return true;
}
