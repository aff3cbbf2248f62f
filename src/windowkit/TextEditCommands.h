#pragma once

class QWidget;

// The Edit menu of a window with text fields and tables: while a text editor of the window
// has the focus (a field, a cell being edited), Cut, Copy, Paste, Delete and Select All act
// on its text, as their shortcuts do there, and Undo and Redo take back its typing, instead
// of acting on the window's list.
enum class TextEditCommand { Cut, Copy, Paste, Delete, SelectAll, Undo, Redo };

// Whether widget is a text editor the commands act on (QLineEdit or QPlainTextEdit).
bool isTextEditor(const QWidget *widget);

// Carries the command out on the window's focused, enabled text editor and returns true;
// false when no such editor has the focus, and for Undo and Redo when it has no typing to
// take back or forward.
bool sendToFocusedTextEditor(const QWidget *window, TextEditCommand command);

// Alt with a letter belongs to the commands (a menu's title, a control's mnemonic): in a text
// field it never types the letter, even when no command takes it (a menu that is off).
void leaveAltLettersToCommands(QWidget *field);
