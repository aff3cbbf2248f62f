#pragma once

#include <QObject>
#include <QPointer>

class QAction;
class UndoStack;

// The Undo and Redo items of a window's Edit menu over one undo history: each enabled while
// there is a step to take (and the window lets them), and named after it ("Undo Delete
// All"). The history may change (the template editor showing another template); without
// one both are disabled. The window connects the actions' triggered() to its own commands.
class UndoActions : public QObject
{
    Q_OBJECT

public:
    // Makes the two actions (undoAction, redoAction, with the standard shortcuts) as
    // children of parent.
    explicit UndoActions(QObject *parent);

    QAction *undoAction() const { return m_undo; }
    QAction *redoAction() const { return m_redo; }
    void setStack(UndoStack *stack);
    // Off: both disabled whatever the history holds (a list that cannot be changed now).
    void setEnabled(bool enabled);

private:
    void show();

    QAction *m_undo = nullptr;
    QAction *m_redo = nullptr;
    QPointer<UndoStack> m_stack;
    bool m_enabled = true;
};
