#include "app/StartWindow.h"

#include "core/Strings.h"
#include "shell/AppSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QIcon>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QPushButton *button(const char *name, const char *textKey, const char *icon)
{
    auto *result = new QPushButton(QIcon::fromTheme(QString::fromLatin1(icon)), localizedString(textKey));
    result->setObjectName(QString::fromLatin1(name));
    result->setAccessibleName(localizedString(textKey).remove(u'&').remove(u'…').trimmed());
    return result;
}

} // namespace

StartWindow::StartWindow(QWidget *parent)
    : QMainWindow(parent)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(localizedString("StartWindowTitle"));

    auto *intro = new QLabel(localizedString("StartWindowIntro"));
    intro->setWordWrap(true);
    auto *open = button("openButton", "StartOpenButton", "document-open");
    open->setDefault(true);
    auto *recentLabel = new QLabel(localizedString("RecentFilesLabel"));
    m_recent = new QListWidget;
    m_recent->setObjectName(QStringLiteral("recentFilesList"));
    m_recent->setAccessibleName(localizedString("RecentFilesLabel").remove(u'&').remove(u':'));
    m_recent->setAccessibleDescription(localizedString("RecentFilesDescription"));
    recentLabel->setBuddy(m_recent);
    auto *batch = button("batchButton", "StartBatchButton", "folder-new");
    auto *presets = button("presetEditorButton", "StartPresetsButton", "document-properties");
    auto *templates = button("templateEditorButton", "StartTemplatesButton", "document-edit");

    connect(open, &QPushButton::clicked, this, &StartWindow::openRequested);
    connect(batch, &QPushButton::clicked, this, &StartWindow::newBatchWindowRequested);
    connect(presets, &QPushButton::clicked, this, &StartWindow::presetEditorRequested);
    connect(templates, &QPushButton::clicked, this, &StartWindow::templateEditorRequested);
    connect(m_recent, &QListWidget::itemActivated, this,
        [this](QListWidgetItem *item) { emit openFileRequested(item->data(Qt::UserRole).toString()); });

    auto *tools = new QHBoxLayout;
    tools->addWidget(batch);
    tools->addWidget(presets);
    tools->addWidget(templates);
    tools->addStretch();

    auto *central = new QWidget;
    auto *layout = new QVBoxLayout(central);
    layout->addWidget(intro);
    layout->addWidget(open, 0, Qt::AlignLeft);
    layout->addWidget(recentLabel);
    layout->addWidget(m_recent, 1);
    layout->addLayout(tools);
    setCentralWidget(central);
    setTabOrder(open, m_recent);
    setTabOrder(m_recent, batch);
    setTabOrder(batch, presets);
    setTabOrder(presets, templates);
    showRecentFiles();
    resize(520, 380);
}

void StartWindow::showRecentFiles()
{
    m_recent->clear();
    for (const QString &path : AppSettings::recentFiles()) {
        auto *item = new QListWidgetItem(
            QFileInfo(path).fileName() + QStringLiteral(" — ") + QDir::toNativeSeparators(QFileInfo(path).path()));
        item->setData(Qt::UserRole, path);
        item->setToolTip(QDir::toNativeSeparators(path));
        m_recent->addItem(item);
    }
    if (m_recent->count() > 0)
        m_recent->setCurrentRow(0);
}
