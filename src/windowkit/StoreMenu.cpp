#include "windowkit/StoreMenu.h"

#include "core/Strings.h"
#include "presets/MetadataPresetManager.h"
#include "templates/TemplateEditor.h"

#include <QPointer>

StoreMenu::StoreMenu(
    const QString &title, const QString &emptyText, std::function<QStringList()> titles, QWidget *parent)
    : QMenu(title, parent)
    , m_emptyText(emptyText)
    , m_titles(std::move(titles))
{
    rebuild();
}

StoreMenu *StoreMenu::presetsMenu(MetadataPresetManager *store, QWidget *parent)
{
    QPointer<MetadataPresetManager> shown = store;
    auto *menu = new StoreMenu(
        localizedString("MenuPresets"), localizedString("NoPresets"),
        [shown] { return shown ? shown->presetMenuTitles() : QStringList(); }, parent);
    menu->setObjectName(QStringLiteral("presetsMenu"));
    if (store)
        connect(store, &MetadataPresetManager::presetsNeedUpdated, menu, &StoreMenu::rebuild);
    return menu;
}

StoreMenu *StoreMenu::templatesMenu(TemplateEditor *store, QWidget *parent)
{
    QPointer<TemplateEditor> shown = store;
    auto *menu = new StoreMenu(
        localizedString("MenuTemplates"), localizedString("NoTemplates"),
        [shown] { return shown ? shown->templateMenuTitles() : QStringList(); }, parent);
    menu->setObjectName(QStringLiteral("templatesMenu"));
    if (store)
        connect(store, &TemplateEditor::templatesNeedUpdated, menu, &StoreMenu::rebuild);
    return menu;
}

void StoreMenu::rebuild()
{
    clear();
    const QStringList titles = m_titles();
    for (int i = 0; i < titles.size(); ++i) {
        QString title = titles[i];
        // A title is text, not a mnemonic.
        QAction *item = addAction(title.replace(u'&', QStringLiteral("&&")));
        connect(item, &QAction::triggered, this, [this, i] { emit chosen(i); });
    }
    if (titles.isEmpty())
        addAction(m_emptyText)->setEnabled(false);
}
