#include "commentlist/widgets/WindowActions.h"

#include "core/Strings.h"

#include <QApplication>

QAction *makeWindowAction(QObject *parent, const char *name, const char *textKey, const QKeySequence &shortcut)
{
    auto *action = new QAction(localizedString(textKey), parent);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    return action;
}

void addCloseAndQuitActions(QMenu *file, QWidget *window)
{
    QAction *close = makeWindowAction(window, "closeAction", "MenuCloseWindow", QKeySequence::Close);
    QObject::connect(close, &QAction::triggered, window, &QWidget::close);
    QAction *quit = makeWindowAction(window, "quitAction", "MenuQuit", QKeySequence::Quit);
    quit->setMenuRole(QAction::QuitRole);
    QObject::connect(quit, &QAction::triggered, qApp, &QApplication::closeAllWindows, Qt::QueuedConnection);
    file->addAction(close);
    file->addSeparator();
    file->addAction(quit);
}
