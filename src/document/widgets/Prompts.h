#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

class QWidget;

// The modal questions and file dialogs of the document windows, in one place, so that
// tests can answer them instead of a person: with a handler installed no dialog is shown
// and the handler's answer is used.
class Prompts
{
public:
    enum class Kind { SaveChanges, RevertChanges, Error, OpenFiles, SaveFile };
    enum class SaveChoice { Save, Discard, Cancel };

    struct Request
    {
        Kind kind;
        QString text;
        QString detail;
    };
    // Answers: SaveChanges a SaveChoice (as int), RevertChanges a bool (true: revert),
    // OpenFiles a QStringList, SaveFile a QString (empty: cancelled); Error is only reported.
    using Handler = std::function<QVariant(const Request &)>;
    // Installs a handler (an empty one restores the real dialogs).
    static void setHandler(Handler handler);

    // "Save the changes to fileName?" with Save, Discard and Cancel.
    static SaveChoice askSaveChanges(QWidget *parent, const QString &fileName);
    // "Revert fileName to the saved file?" with Continue (first) and Cancel; true for Continue.
    static bool askRevert(QWidget *parent, const QString &fileName);
    static void showError(QWidget *parent, const QString &text, const QString &detail);
    // PNG files to open; empty when cancelled.
    static QStringList openFileNames(QWidget *parent);
    // Where to save a PNG, starting at suggestedPath; empty when cancelled.
    static QString saveFileName(QWidget *parent, const QString &suggestedPath);
};
