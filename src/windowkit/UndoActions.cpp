#include "windowkit/UndoActions.h"

#include "commentlist/UndoStack.h"
#include "core/Strings.h"

#include <QAction>

UndoActions::UndoActions(QObject *parent)
    : QObject(parent)
    , m_undo(new QAction(parent))
    , m_redo(new QAction(parent))
{
    m_undo->setObjectName(QStringLiteral("undoAction"));
    m_undo->setShortcut(QKeySequence::Undo);
    m_redo->setObjectName(QStringLiteral("redoAction"));
    m_redo->setShortcut(QKeySequence::Redo);
    show();
}

void UndoActions::setStack(UndoStack *stack)
{
    if (m_stack)
        disconnect(m_stack, nullptr, this, nullptr);
    m_stack = stack;
    if (stack) {
        connect(stack, &UndoStack::indexChanged, this, &UndoActions::show);
        connect(stack, &UndoStack::undoTextChanged, this, &UndoActions::show);
        connect(stack, &UndoStack::redoTextChanged, this, &UndoActions::show);
        connect(stack, &UndoStack::canUndoChanged, this, &UndoActions::show);
        connect(stack, &UndoStack::canRedoChanged, this, &UndoActions::show);
    }
    show();
}

void UndoActions::setEnabled(bool enabled)
{
    m_enabled = enabled;
    show();
}

void UndoActions::show()
{
    const auto name = [](QAction *action, const char *plainKey, const char *stepKey, const QString &step) {
        action->setText(step.isEmpty() ? localizedString(plainKey) : localizedString(stepKey).arg(step));
    };
    name(m_undo, "MenuUndo", "MenuUndoStep", m_stack ? m_stack->undoText() : QString());
    name(m_redo, "MenuRedo", "MenuRedoStep", m_stack ? m_stack->redoText() : QString());
    m_undo->setEnabled(m_enabled && m_stack && m_stack->canUndo());
    m_redo->setEnabled(m_enabled && m_stack && m_stack->canRedo());
}
