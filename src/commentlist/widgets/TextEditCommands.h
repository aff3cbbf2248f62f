#pragma once

class QWidget;

// The Edit menu of a window with text fields and tables: while a text editor of the window
// has the focus (a field, a cell being edited), Cut, Copy, Paste and Delete act on its text,
// as their shortcuts do there, instead of on the window's list.
enum class TextEditCommand { Cut, Copy, Paste, Delete };

// Carries the command out on the window's focused, editable text editor (QLineEdit or
// QPlainTextEdit) and returns true; false when no such editor has the focus.
bool sendToFocusedTextEditor(const QWidget *window, TextEditCommand command);
