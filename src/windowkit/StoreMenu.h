#pragma once

#include <QMenu>

#include <functional>

class MetadataPresetManager;
class TemplateEditor;

// A menu of the entries of a shared store (the presets, the templates): one item per
// entry, in store order, so an item's position is the index of its entry. The menu fills
// itself again whenever the store announces a change, and offers one disabled item that
// says so when the store is empty or missing. Every comment window uses these menus, in
// its menu bar and behind its popup buttons.
class StoreMenu : public QMenu
{
    Q_OBJECT

public:
    // The presets of store, each titled with its display text as the preset editor and
    // velmora-cli show it (MetadataPresetManager::presetMenuTitles()).
    static StoreMenu *presetsMenu(MetadataPresetManager *store, QWidget *parent = nullptr);
    // The templates of store, each titled with its name.
    static StoreMenu *templatesMenu(TemplateEditor *store, QWidget *parent = nullptr);

    // Fills the menu again from the store.
    void rebuild();

signals:
    // An item was chosen; index is the position of its entry in the store.
    void chosen(int index);

private:
    StoreMenu(const QString &title, const QString &emptyText, std::function<QStringList()> titles, QWidget *parent);

    QString m_emptyText;
    std::function<QStringList()> m_titles;
};
