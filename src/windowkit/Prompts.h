#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

class QWidget;

// The modal questions, messages and file dialogs of every window, in one place, so that
// tests can answer them instead of a person: with a handler installed no dialog is shown
// and the handler's answer is used. Dialogs with a parent are modal to that window only.
class Prompts
{
public:
    enum class Kind {
        SaveChanges,
        RevertChanges,
        Confirm,
        Error,
        Information,
        OpenFiles,
        SaveFile,
        OpenFolder,
        Report,
        // The application's own dialogs, shown through ask().
        ImportMetadata,
        ExportMetadata,
        CsvOptions,
        About,
        // Remove Metadata: the choices offered (options), answered with the choices made
        // (a QVariantList of the same size) or nothing (cancelled).
        RemoveMetadata,
    };
    enum class SaveChoice { Save, Discard, Cancel };

    // What a dialog would have shown. text and detail are the message and its
    // informative text; for file dialogs text is the suggested path and detail the
    // caption.
    struct Request
    {
        Kind kind;
        QString text;
        QString detail;
        // File dialogs: the name filters offered.
        QStringList filters = {};
        // Report: the text in its copyable area.
        QString report = {};
        // Dialogs shown through ask(): the states they start from.
        QVariantList options = {};
    };
    // Answers: SaveChanges a SaveChoice (as int); RevertChanges and Confirm a bool (true:
    // the confirming button); OpenFiles a QStringList; SaveFile and OpenFolder a QString
    // (empty: cancelled). Error, Information and Report are only reported.
    using Handler = std::function<QVariant(const Request &)>;
    // Installs a handler (an empty one restores the real dialogs).
    static void setHandler(Handler handler);

    // A dialog of the caller's own: the handler's answer when one is installed, else what
    // show() returns after showing the real dialog. The caller documents its answer.
    static QVariant ask(const Request &request, const std::function<QVariant()> &show);

    // "Save the changes to fileName?" with Save, Discard and Cancel.
    static SaveChoice askSaveChanges(QWidget *parent, const QString &fileName);
    // "Revert fileName to the saved file?" with Continue (first) and Cancel; true for Continue.
    static bool askRevert(QWidget *parent, const QString &fileName);
    // A question with a confirming button (Continue unless named) first and Cancel second;
    // Cancel is the default, so Return never confirms by accident. True when confirmed.
    static bool confirm(
        QWidget *parent, const QString &text, const QString &detail, const QString &confirmLabel = QString());
    static void showError(QWidget *parent, const QString &text, const QString &detail);
    // A message whose detail the user can select and copy (a report, a list of files).
    static void showInformation(QWidget *parent, const QString &text, const QString &detail);
    // A message with a long report below it (a list of files and reasons), shown in full
    // in a read-only area and copied whole by a Copy button: text and detail head it, the
    // button copies detail and report.
    static void showReport(QWidget *parent, const QString &text, const QString &detail, const QString &report);
    // PNG files to open; empty when cancelled.
    static QStringList openFileNames(QWidget *parent);
    // Files to open, offered through filters ("PNG files (*.png)"); empty when cancelled.
    static QStringList openFileNames(QWidget *parent, const QString &caption, const QStringList &filters);
    // A folder; empty when cancelled.
    static QString folderName(QWidget *parent, const QString &caption);
    // Where to save a PNG, starting at suggestedPath; empty when cancelled.
    static QString saveFileName(QWidget *parent, const QString &suggestedPath);
    // Where to save, with the filters offered; empty when cancelled.
    static QString saveFileName(
        QWidget *parent, const QString &caption, const QString &suggestedPath, const QStringList &filters);
};
