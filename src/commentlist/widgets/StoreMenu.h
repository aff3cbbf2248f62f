#pragma once

#include <QMenu>

#include <functional>

// A menu of the entries of a shared store (the presets, the templates): one item per
// entry, in store order, so an item's position is the index of its entry. The menu fills
// itself again whenever the store announces a change, and offers one disabled item that
// says so when the store is empty or missing. Every comment window uses these menus, in
// its menu bar and behind its popup buttons.
class StoreMenu : public QMenu
{
    Q_OBJECT

public:
    // The presets of MetadataPresetManager::presetManager(), each titled with its display
    // text (its keyword when that is empty).
    static StoreMenu *presetsMenu(QWidget *parent = nullptr);
    // The templates of TemplateEditor::templateEditor(), each titled with its name.
    static StoreMenu *templatesMenu(QWidget *parent = nullptr);

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
