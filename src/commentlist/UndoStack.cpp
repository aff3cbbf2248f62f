#include "commentlist/UndoStack.h"

#include <QLoggingCategory>

namespace {

Q_LOGGING_CATEGORY(lcUndo, "velmora.undo")

// Sets a flag for the lifetime of a scope.
class Running
{
public:
    explicit Running(bool &flag)
        : m_flag(flag)
    {
        m_flag = true;
    }
    ~Running() { m_flag = false; }

private:
    bool &m_flag;
};

} // namespace

UndoCommand::UndoCommand(const QString &text)
    : m_text(text)
{
}

UndoCommand::~UndoCommand() = default;

void UndoCommand::redo()
{
    for (auto &child : m_children)
        child->redo();
}

void UndoCommand::undo()
{
    for (auto it = m_children.rbegin(); it != m_children.rend(); ++it)
        (*it)->undo();
}

void UndoCommand::appendChild(std::unique_ptr<UndoCommand> child)
{
    m_children.push_back(std::move(child));
}

UndoStack::UndoStack(QObject *parent)
    : QObject(parent)
{
}

UndoStack::~UndoStack() = default;

UndoStack::State UndoStack::state() const
{
    return { m_index, isClean(), canUndo(), canRedo(), undoText(), redoText() };
}

void UndoStack::announce(const State &before)
{
    const State now = state();
    const auto tell = [&](auto State::*field, auto signal) {
        if (now.*field != before.*field)
            emit(this->*signal)(now.*field);
    };
    tell(&State::index, &UndoStack::indexChanged);
    tell(&State::clean, &UndoStack::cleanChanged);
    tell(&State::canUndo, &UndoStack::canUndoChanged);
    tell(&State::canRedo, &UndoStack::canRedoChanged);
    tell(&State::undoText, &UndoStack::undoTextChanged);
    tell(&State::redoText, &UndoStack::redoTextChanged);
}

void UndoStack::push(std::unique_ptr<UndoCommand> command)
{
    if (!command)
        return;
    if (m_running) {
        qCWarning(lcUndo, "A command was pushed while another one ran; it was dropped.");
        return;
    }
    {
        Running running(m_running);
        command->redo();
    }
    record(std::move(command));
}

void UndoStack::record(std::unique_ptr<UndoCommand> done)
{
    if (!m_openMacros.empty()) {
        m_openMacros.back()->appendChild(std::move(done));
        return;
    }
    const State before = state();
    m_commands.resize(m_index);
    if (m_cleanIndex > m_index)
        m_cleanIndex = -1;
    m_commands.push_back(std::move(done));
    ++m_index;
    announce(before);
}

void UndoStack::beginMacro(const QString &text)
{
    m_openMacros.push_back(std::make_unique<UndoCommand>(text));
}

void UndoStack::endMacro()
{
    if (m_openMacros.empty()) {
        qCWarning(lcUndo, "endMacro() without beginMacro().");
        return;
    }
    std::unique_ptr<UndoCommand> macro = std::move(m_openMacros.back());
    m_openMacros.pop_back();
    // Its children are done already: it is recorded without running it again.
    if (macro->childCount() > 0)
        record(std::move(macro));
}

bool UndoStack::refusedNow(const char *what) const
{
    if (m_openMacros.empty() && !m_running)
        return false;
    qCWarning(lcUndo, "%s refused while a step is under way.", what);
    return true;
}

void UndoStack::undo()
{
    if (!canUndo() || refusedNow("Undo"))
        return;
    const State before = state();
    {
        Running running(m_running);
        m_commands[m_index - 1]->undo();
    }
    --m_index;
    announce(before);
}

void UndoStack::redo()
{
    if (!canRedo() || refusedNow("Redo"))
        return;
    const State before = state();
    {
        Running running(m_running);
        m_commands[m_index]->redo();
    }
    ++m_index;
    announce(before);
}

bool UndoStack::canUndo() const
{
    return m_index > 0;
}

bool UndoStack::canRedo() const
{
    return m_index < count();
}

QString UndoStack::undoText() const
{
    return m_index > 0 ? m_commands[m_index - 1]->text() : QString();
}

QString UndoStack::redoText() const
{
    return m_index < count() ? m_commands[m_index]->text() : QString();
}

QString UndoStack::text(int index) const
{
    return index >= 0 && index < count() ? m_commands[index]->text() : QString();
}

void UndoStack::setClean()
{
    const State before = state();
    m_cleanIndex = m_index;
    announce(before);
}

void UndoStack::resetClean()
{
    const State before = state();
    m_cleanIndex = -1;
    announce(before);
}

void UndoStack::clear()
{
    if (refusedNow("Clearing the history"))
        return;
    const State before = state();
    m_commands.clear();
    m_index = 0;
    m_cleanIndex = 0;
    announce(before);
}
