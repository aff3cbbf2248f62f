#include "windowkit/TextEditCommands.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace {

class AltLetterFilter : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            const auto *key = static_cast<QKeyEvent *>(event);
            // AltGr, which types letters, is not Alt (nor, where it is Ctrl+Alt, Alt alone).
            const Qt::KeyboardModifiers mods = key->modifiers() & ~(Qt::ShiftModifier | Qt::KeypadModifier);
            if (mods == Qt::AltModifier && !key->text().isEmpty() && key->text().front().isPrint()) {
                event->accept();
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }
};

// The commands of QLineEdit and QPlainTextEdit, which share their names but no base class;
// Delete differs (deleteChar removes the selection, or the character after the cursor).
template <typename Editor, typename DeleteChar>
bool run(Editor *editor, TextEditCommand command, bool undoable, bool redoable, DeleteChar deleteChar)
{
    switch (command) {
    case TextEditCommand::Cut:
        editor->cut();
        break;
    case TextEditCommand::Copy:
        editor->copy();
        break;
    case TextEditCommand::Paste:
        editor->paste();
        break;
    case TextEditCommand::Delete:
        if (!editor->isReadOnly())
            deleteChar();
        break;
    case TextEditCommand::SelectAll:
        editor->selectAll();
        break;
    case TextEditCommand::Undo:
        if (!undoable)
            return false;
        editor->undo();
        break;
    case TextEditCommand::Redo:
        if (!redoable)
            return false;
        editor->redo();
        break;
    }
    return true;
}

} // namespace

bool isTextEditor(const QWidget *widget)
{
    return qobject_cast<const QLineEdit *>(widget) || qobject_cast<const QPlainTextEdit *>(widget);
}

bool sendToFocusedTextEditor(const QWidget *window, TextEditCommand command)
{
    QWidget *focus = QApplication::focusWidget();
    if (!focus || !focus->isEnabled() || focus->window() != window)
        return false;
    if (auto *line = qobject_cast<QLineEdit *>(focus))
        return run(line, command, line->isUndoAvailable(), line->isRedoAvailable(), [line] { line->del(); });
    if (auto *text = qobject_cast<QPlainTextEdit *>(focus)) {
        const QTextDocument *document = text->document();
        return run(text, command, document->isUndoAvailable(), document->isRedoAvailable(),
            [text] { text->textCursor().deleteChar(); });
    }
    return false;
}

void leaveAltLettersToCommands(QWidget *field)
{
    field->installEventFilter(new AltLetterFilter(field));
}
