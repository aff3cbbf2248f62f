#pragma once

#include <QAction>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QList>
#include <QMenu>
#include <QToolButton>

#include <functional>

// The menu items the windows share, made in one way: named for tests (objectName), titled
// from the string table.

// An action of a window's menus, named for tests (objectName), titled from the string
// table, with the desktop theme's icon of that name when one is given.
QAction *makeWindowAction(QObject *parent, const char *name, const char *textKey,
    const QKeySequence &shortcut = QKeySequence(), const char *icon = nullptr);

// A tool button (+, −) named for tests, whose description is its tooltip and accessible name.
QToolButton *makeToolButton(const char *name, const QString &text, const QString &description);

// A row of controls, left-aligned (a stretch after them).
QHBoxLayout *makeButtonRow(const QList<QWidget *> &controls);

// The Insert Macro menu (macrosMenu): one item per macro name, each handing its name to
// insert.
QMenu *makeMacrosMenu(QWidget *parent, const std::function<void(const QString &)> &insert);

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
