#include "commentlist/widgets/TextEditCommands.h"

#include <QApplication>
#include <QLineEdit>
#include <QPlainTextEdit>

bool sendToFocusedTextEditor(const QWidget *window, TextEditCommand command)
{
    QWidget *focus = QApplication::focusWidget();
    if (!focus || !focus->isEnabled() || focus->window() != window)
        return false;
    if (auto *line = qobject_cast<QLineEdit *>(focus)) {
        switch (command) {
        case TextEditCommand::Cut:
            line->cut();
            break;
        case TextEditCommand::Copy:
            line->copy();
            break;
        case TextEditCommand::Paste:
            line->paste();
            break;
        case TextEditCommand::Delete:
            line->del();
            break;
        }
        return true;
    }
    if (auto *text = qobject_cast<QPlainTextEdit *>(focus)) {
        switch (command) {
        case TextEditCommand::Cut:
            text->cut();
            break;
        case TextEditCommand::Copy:
            text->copy();
            break;
        case TextEditCommand::Paste:
            text->paste();
            break;
        case TextEditCommand::Delete:
            if (!text->isReadOnly())
                text->textCursor().deleteChar();
            break;
        }
        return true;
    }
    return false;
}
