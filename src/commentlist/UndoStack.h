#pragma once

#include <QObject>
#include <QString>

#include <memory>
#include <vector>

// One undoable step. redo() makes the change, undo() takes it back; both are only ever run
// by an UndoStack, in stack order, so a command may rely on the state it left behind. A
// command with children (a macro) runs them in order and undoes them in reverse.
class UndoCommand
{
public:
    explicit UndoCommand(const QString &text = QString());
    virtual ~UndoCommand();
    UndoCommand(const UndoCommand &) = delete;
    UndoCommand &operator=(const UndoCommand &) = delete;

    virtual void redo();
    virtual void undo();

    // Names the step in the Edit menu ("Delete All").
    QString text() const { return m_text; }
    void setText(const QString &text) { m_text = text; }

    int childCount() const { return int(m_children.size()); }
    // Records a child that has already been carried out.
    void appendChild(std::unique_ptr<UndoCommand> child);

private:
    QString m_text;
    std::vector<std::unique_ptr<UndoCommand>> m_children;
};

// The undo history of one editable thing (a document's comment list, a template, a batch
// list): QtCore only, so model code can use it. Commands are carried out when pushed; the
// index counts the commands that are done. The clean index marks the state last saved:
// isClean() is true while the index is there, and cleanChanged() tells when that changes.
//
// Between beginMacro() and endMacro() pushed commands are carried out and collected into
// one step, named by the macro; a macro that collected nothing leaves no step. Undo and
// redo are refused while a macro is open, and pushes while a command runs are refused
// (both are programmer errors and only logged).
class UndoStack : public QObject
{
    Q_OBJECT

public:
    explicit UndoStack(QObject *parent = nullptr);
    ~UndoStack() override;

    // Carries the command out and records it, dropping every undone command; a macro
    // that is open takes it instead.
    void push(std::unique_ptr<UndoCommand> command);
    void beginMacro(const QString &text);
    void endMacro();
    bool isInMacro() const { return !m_openMacros.empty(); }

    void undo();
    void redo();
    bool canUndo() const;
    bool canRedo() const;
    // The names of the steps that undo() and redo() would take; empty when there is none.
    QString undoText() const;
    QString redoText() const;

    int count() const { return int(m_commands.size()); }
    int index() const { return m_index; }
    // The name of the step at a position of the history (0 … count() - 1).
    QString text(int index) const;

    bool isClean() const { return m_cleanIndex == m_index; }
    // -1 when the saved state can no longer be reached by undo and redo.
    int cleanIndex() const { return m_cleanIndex; }
    // The current state is the saved one.
    void setClean();
    // No state is the saved one any more.
    void resetClean();
    // Forgets every step; the (empty) history is clean.
    void clear();

signals:
    void indexChanged(int index);
    void cleanChanged(bool clean);
    void canUndoChanged(bool canUndo);
    void canRedoChanged(bool canRedo);
    void undoTextChanged(const QString &text);
    void redoTextChanged(const QString &text);

private:
    struct State
    {
        int index = 0;
        bool clean = true;
        bool canUndo = false;
        bool canRedo = false;
        QString undoText;
        QString redoText;
    };
    State state() const;
    void announce(const State &before);
    bool refusedNow(const char *what) const;
    // Adds a command that is done to the open macro, or to the history.
    void record(std::unique_ptr<UndoCommand> done);

    std::vector<std::unique_ptr<UndoCommand>> m_commands;
    std::vector<std::unique_ptr<UndoCommand>> m_openMacros;
    int m_index = 0;
    int m_cleanIndex = 0;
    bool m_running = false;
};

// Collects the commands pushed during its lifetime into one step.
class UndoMacro
{
public:
    UndoMacro(UndoStack &stack, const QString &text)
        : m_stack(stack)
    {
        m_stack.beginMacro(text);
    }
    ~UndoMacro() { m_stack.endMacro(); }
    UndoMacro(const UndoMacro &) = delete;
    UndoMacro &operator=(const UndoMacro &) = delete;

private:
    UndoStack &m_stack;
};
