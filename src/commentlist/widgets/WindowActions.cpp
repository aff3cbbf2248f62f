#include "commentlist/widgets/WindowActions.h"

#include "core/Strings.h"

#include <QWidget>

QAction *makeWindowAction(QObject *parent, const char *name, const char *textKey, const QKeySequence &shortcut)
{
    auto *action = new QAction(localizedString(textKey), parent);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    return action;
}

void addCloseAction(QMenu *file, QWidget *window)
{
    QAction *close = makeWindowAction(window, "closeAction", "MenuCloseWindow", QKeySequence::Close);
    QObject::connect(close, &QAction::triggered, window, &QWidget::close);
    file->addAction(close);
}
