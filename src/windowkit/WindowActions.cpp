#include "windowkit/WindowActions.h"

#include "core/Strings.h"
#include "core/TextMacros.h"

#include <QIcon>
#include <QWidget>

QAction *makeWindowAction(
    QObject *parent, const char *name, const char *textKey, const QKeySequence &shortcut, const char *icon)
{
    auto *action = new QAction(localizedString(textKey), parent);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    if (icon)
        action->setIcon(QIcon::fromTheme(QString::fromLatin1(icon)));
    return action;
}

QToolButton *makeToolButton(const char *name, const QString &text, const QString &description)
{
    auto *button = new QToolButton;
    button->setObjectName(QString::fromLatin1(name));
    button->setText(text);
    // A menu item's text may come with its Alt letter, which a tip and a name go without.
    const QString plain = QString(description).remove(u'&');
    button->setToolTip(plain);
    button->setAccessibleName(plain);
    return button;
}

QHBoxLayout *makeButtonRow(const QList<QWidget *> &controls)
{
    auto *row = new QHBoxLayout;
    for (QWidget *control : controls)
        row->addWidget(control);
    row->addStretch();
    return row;
}

QMenu *makeMacrosMenu(QWidget *parent, const std::function<void(const QString &)> &insert)
{
    auto *menu = new QMenu(localizedString("InsertMacro"), parent);
    menu->setObjectName(QStringLiteral("macrosMenu"));
    menu->menuAction()->setObjectName(QStringLiteral("macrosMenuAction"));
    for (const QString &name : macroNames()) {
        QAction *item = menu->addAction(QString(name).replace(u'&', QStringLiteral("&&")));
        QObject::connect(item, &QAction::triggered, menu, [insert, name] { insert(name); });
    }
    return menu;
}

void addCloseAction(QMenu *file, QWidget *window)
{
    QAction *close = makeWindowAction(window, "closeAction", "MenuCloseWindow", QKeySequence::Close);
    QObject::connect(close, &QAction::triggered, window, &QWidget::close);
    file->addAction(close);
}
