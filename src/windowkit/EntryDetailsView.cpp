#include "windowkit/EntryDetailsView.h"

#include "core/Strings.h"
#include "provenance/XmpPacket.h"
#include "windowkit/WindowActions.h"

#include <QApplication>
#include <QClipboard>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTabWidget>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// What Copy Value puts on the clipboard for an item: its value as text, a JSON branch as
// indented JSON.
constexpr int kValueRole = Qt::UserRole + 1;
// A JSON branch whose own branches are made when it is first opened (a graph of 500 KB holds
// tens of thousands of values).
constexpr int kUnfilledRole = Qt::UserRole + 2;

QString copyText(const QJsonValue &value)
{
    if (value.isObject())
        return QString::fromUtf8(QJsonDocument(value.toObject()).toJson(QJsonDocument::Indented)).trimmed();
    if (value.isArray())
        return QString::fromUtf8(QJsonDocument(value.toArray()).toJson(QJsonDocument::Indented)).trimmed();
    return GenerationRecord::jsonText(value);
}

QList<QStandardItem *> fieldRow(const QString &name, const QJsonValue &value, const QString &shown)
{
    auto *label = new QStandardItem(name);
    label->setData(QVariant::fromValue(value), kValueRole);
    auto *text = new QStandardItem(shown);
    text->setToolTip(shown.left(2000));
    for (QStandardItem *item : { label, text })
        item->setEditable(false);
    return { label, text };
}

void addJson(QStandardItem *parent, const QString &name, const QJsonValue &value);

// The branches of a JSON value: its members or items.
void addJsonChildren(QStandardItem *parent, const QJsonValue &value)
{
    if (value.isObject()) {
        const QJsonObject object = value.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            addJson(parent, it.key(), it.value());
    } else if (value.isArray()) {
        const QJsonArray array = value.toArray();
        for (qsizetype i = 0; i < array.size(); ++i)
            addJson(parent, QStringLiteral("[%1]").arg(i), array.at(i));
    }
}

void addJson(QStandardItem *parent, const QString &name, const QJsonValue &value)
{
    QString shown;
    if (value.isObject())
        shown = QStringLiteral("{ %1 }").arg(value.toObject().size());
    else if (value.isArray())
        shown = QStringLiteral("[ %1 ]").arg(value.toArray().size());
    else
        shown = GenerationRecord::jsonText(value);
    const QList<QStandardItem *> row = fieldRow(name, value, shown);
    parent->appendRow(row);
    if (!value.toObject().isEmpty() || !value.toArray().isEmpty()) {
        row.first()->setData(true, kUnfilledRole);
        row.first()->appendRow(new QStandardItem); // so that the branch can be opened
    }
}

// A heading of the tree: a branch for one kind of reading.
QStandardItem *addSection(QStandardItemModel *model, const QString &title)
{
    auto *section = new QStandardItem(title);
    section->setEditable(false);
    QFont font = section->font();
    font.setBold(true);
    section->setFont(font);
    model->appendRow(section);
    return section;
}

} // namespace

EntryDetailsView::EntryDetailsView(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("detailsView"));
    m_title = new QLabel;
    m_title->setObjectName(QStringLiteral("detailsTitle"));
    m_title->setWordWrap(true);
    m_title->setTextInteractionFlags(Qt::TextSelectableByMouse);

    m_fields = new QStandardItemModel(this);
    m_fields->setHorizontalHeaderLabels(
        { localizedString("DetailsNameColumn"), localizedString("DetailsValueColumn") });
    m_tree = new QTreeView;
    m_tree->setObjectName(QStringLiteral("detailsTree"));
    m_tree->setModel(m_fields);
    m_tree->setAccessibleName(localizedString("DetailsFields"));
    m_tree->setUniformRowHeights(true);
    m_tree->setContextMenuPolicy(Qt::ActionsContextMenu);

    m_textView = new QPlainTextEdit;
    m_textView->setObjectName(QStringLiteral("detailsText"));
    m_textView->setReadOnly(true);
    m_textView->setAccessibleName(localizedString("DetailsText"));
    m_textView->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    m_tabs = new QTabWidget;
    m_tabs->setObjectName(QStringLiteral("detailsTabs"));
    m_tabs->setAccessibleName(localizedString("DetailsTitle"));
    m_tabs->addTab(m_tree, localizedString("DetailsFieldsTab"));
    m_tabs->addTab(m_textView, localizedString("DetailsTextTab"));

    m_copyPrompt = makeWindowAction(this, "copyPromptAction", "CopyPrompt");
    connect(m_copyPrompt, &QAction::triggered, this, &EntryDetailsView::copyPrompt);
    m_copyValue = makeWindowAction(this, "copyValueAction", "CopyValue");
    connect(m_copyValue, &QAction::triggered, this, &EntryDetailsView::copyValue);
    m_tree->addActions({ m_copyValue, m_copyPrompt });
    m_menu = new QMenu(localizedString("MenuDetails"), this);
    m_menu->setObjectName(QStringLiteral("detailsMenu"));
    m_menu->addActions({ m_copyPrompt, m_copyValue });

    auto *promptButton = new QPushButton(localizedString("CopyPrompt").remove(u'&'));
    promptButton->setObjectName(QStringLiteral("copyPromptButton"));
    auto *valueButton = new QPushButton(localizedString("CopyValue").remove(u'&'));
    valueButton->setObjectName(QStringLiteral("copyValueButton"));
    for (auto [button, action] : { std::pair { promptButton, m_copyPrompt }, std::pair { valueButton, m_copyValue } }) {
        button->setAutoDefault(false);
        connect(button, &QPushButton::clicked, action, &QAction::trigger);
        connect(action, &QAction::enabledChanged, button, &QWidget::setEnabled);
    }

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_title);
    layout->addWidget(m_tabs, 1);
    layout->addLayout(makeButtonRow({ promptButton, valueButton }));

    connect(m_tree->selectionModel(), &QItemSelectionModel::selectionChanged, this, &EntryDetailsView::updateActions);
    connect(m_tree, &QTreeView::expanded, this, &EntryDetailsView::fillBranch);
    connect(m_tabs, &QTabWidget::currentChanged, this, [this](int tab) {
        if (tab == 1)
            showText();
    });
    rebuild();
}

void EntryDetailsView::showEntry(const CommentPtr &entry)
{
    if (entry == m_entry)
        return;
    m_entry = entry;
    rebuild();
}

void EntryDetailsView::refresh()
{
    if (m_entry && (m_entry->keyword() != m_keyword || m_entry->text() != m_text))
        rebuild();
}

void EntryDetailsView::rebuild()
{
    m_keyword = m_entry ? m_entry->keyword() : QString();
    m_text = m_entry ? m_entry->text() : QString();
    m_fields->removeRows(0, m_fields->rowCount());
    m_records = m_entry ? GenerationRecord::fromEntries({ m_entry }) : QList<GenerationRecord>();
    m_title->setText(m_entry ? localizedString("DetailsOf").arg(m_keyword) : localizedString("DetailsNone"));

    for (const GenerationRecord &record : std::as_const(m_records)) {
        QString heading = localizedString("DetailsGeneration").arg(record.generator);
        if (!record.node.isEmpty())
            heading += QStringLiteral(" (%1)").arg(record.node);
        QStandardItem *section = addSection(m_fields, heading);
        for (const auto &[label, value] : record.labelledFields())
            section->appendRow(fieldRow(shownText(label), value, value));
    }
    XmpPacket xmp;
    if (m_keyword == QLatin1String(XmpPacket::Keyword) && XmpPacket::read(m_text.toUtf8(), &xmp)) {
        QStandardItem *section = addSection(m_fields, localizedString("DetailsXmp"));
        for (const auto &[name, value] : std::as_const(xmp.properties))
            section->appendRow(fieldRow(name, value, value));
    }
    // Only a text that is a JSON object or array counts: "12" or "true" are plain texts.
    QJsonParseError error {};
    const QString trimmed = m_text.trimmed();
    const QJsonDocument json = trimmed.startsWith(u'{') || trimmed.startsWith(u'[')
        ? QJsonDocument::fromJson(trimmed.toUtf8(), &error)
        : QJsonDocument();
    if (!json.isNull()) {
        QStandardItem *section = addSection(m_fields, localizedString("DetailsJson"));
        const QJsonValue root = json.isObject() ? QJsonValue(json.object()) : QJsonValue(json.array());
        section->setData(QVariant::fromValue(root), kValueRole);
        addJsonChildren(section, root);
    }
    // The sections open, their headings across the columns; a JSON tree shows its first level.
    for (int row = 0; row < m_fields->rowCount(); ++row) {
        m_tree->setFirstColumnSpanned(row, QModelIndex(), true);
        m_tree->expand(m_fields->index(row, 0));
    }
    m_tree->resizeColumnToContents(0);
    m_tree->setColumnWidth(0, std::min(m_tree->columnWidth(0), 150));

    m_json = json;
    m_textShown = false;
    const bool fields = m_fields->rowCount() > 0;
    m_tabs->setTabVisible(0, fields);
    m_tabs->setTabText(1, localizedString(json.isNull() ? "DetailsTextTab" : "DetailsFormattedTab"));
    m_tabs->setCurrentIndex(fields ? 0 : 1);
    if (m_tabs->currentIndex() == 1)
        showText();
    updateActions();
}

void EntryDetailsView::showText()
{
    if (m_textShown)
        return;
    m_textShown = true;
    // Pretty-printing is for the eyes only: the entry keeps its text as stored.
    m_textView->setPlainText(m_json.isNull() ? m_text : QString::fromUtf8(m_json.toJson(QJsonDocument::Indented)));
}

void EntryDetailsView::fillBranch(const QModelIndex &index)
{
    QStandardItem *item = m_fields->itemFromIndex(index);
    if (!item || !item->data(kUnfilledRole).toBool())
        return;
    item->setData(false, kUnfilledRole);
    item->removeRows(0, item->rowCount());
    addJsonChildren(item, item->data(kValueRole).value<QJsonValue>());
}

void EntryDetailsView::updateActions()
{
    bool prompt = false;
    for (const GenerationRecord &record : std::as_const(m_records))
        prompt = prompt || !record.prompt.isEmpty();
    m_copyPrompt->setEnabled(prompt);
    const QModelIndex current = m_tree->selectionModel()->currentIndex();
    m_copyValue->setEnabled(m_tree->selectionModel()->hasSelection() && current.isValid()
        && current.siblingAtColumn(0).data(kValueRole).isValid());
}

void EntryDetailsView::copyPrompt()
{
    // Each sampler's prompt once, in node order.
    QStringList prompts;
    for (const GenerationRecord &record : std::as_const(m_records)) {
        if (!record.prompt.isEmpty() && !prompts.contains(record.prompt))
            prompts << record.prompt;
    }
    if (!prompts.isEmpty())
        QGuiApplication::clipboard()->setText(prompts.join(QStringLiteral("\n\n")));
}

void EntryDetailsView::copyValue()
{
    const QVariant value = m_tree->selectionModel()->currentIndex().siblingAtColumn(0).data(kValueRole);
    if (value.isValid())
        QGuiApplication::clipboard()->setText(copyText(value.value<QJsonValue>()));
}
