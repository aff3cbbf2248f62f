#pragma once

#include <QAction>
#include <QKeySequence>
#include <QList>
#include <QMenu>

// The menu items the tool windows (the preset and template editors) share.

// An action of a window's menus, named for tests (objectName) and titled from the string
// table.
QAction *makeWindowAction(
    QObject *parent, const char *name, const char *textKey, const QKeySequence &shortcut = QKeySequence());

// Close Window at the end of a File menu (the application adds Quit after it).
void addCloseAction(QMenu *file, QWidget *window);

// Cut, Copy, Paste and Delete with their standard shortcuts, each running the window's slot
// of that name; returns them in that order.
template <typename Window> QList<QAction *> addClipboardActions(QMenu *edit, Window *window)
{
    QAction *cut = makeWindowAction(window, "cutAction", "MenuCut", QKeySequence::Cut);
    QObject::connect(cut, &QAction::triggered, window, &Window::cut);
    QAction *copy = makeWindowAction(window, "copyAction", "MenuCopy", QKeySequence::Copy);
    QObject::connect(copy, &QAction::triggered, window, &Window::copy);
    QAction *paste = makeWindowAction(window, "pasteAction", "MenuPaste", QKeySequence::Paste);
    QObject::connect(paste, &QAction::triggered, window, &Window::paste);
    QAction *del = makeWindowAction(window, "deleteAction", "MenuDelete", QKeySequence::Delete);
    QObject::connect(del, &QAction::triggered, window, &Window::deleteSelection);
    const QList<QAction *> actions { cut, copy, paste, del };
    edit->addActions(actions);
    return actions;
}
