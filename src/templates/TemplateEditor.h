#pragma once

#include "templates/EditedTemplate.h"
#include "templates/Template.h"

#include <QObject>
#include <QStringList>

// The store of templates the application shares: the templates read from the templates folder, in the
// order the folder is walked (loadTemplateFolder()), plus those created since. The template
// editor window is its view; documents and batch windows fill their template menus from it
// and announce nothing themselves: the store emits templatesNeedUpdated() after a template
// is created, deleted or renamed.
//
// The current template (the one the editor shows) is wrapped in an EditedTemplate, a list
// owner with an undo history, for as long as it is current; the other templates are plain
// records.
class TemplateEditor : public QObject
{
    Q_OBJECT

public:
    // Why templateNameIsAcceptable() refused a name.
    enum class NameCheck {
        Acceptable,
        Empty, // refused without an alert
        IllegalCharacters, // "/", "\", "." or ".."
        HoldsNul, // a NUL character
        TooLong, // too long for a file name in the folder
        NotUnique, // a loaded template has that name
        FileExists, // a file or folder that is no template has that name
    };

    // A store on the templates folder (the application controller makes it and hands it to
    // the windows). Nothing is loaded until loadTemplates().
    explicit TemplateEditor(QObject *parent = nullptr);
    // A store on a given folder (tests, tools).
    explicit TemplateEditor(const QString &templatesDirectory, QObject *parent = nullptr);
    ~TemplateEditor() override;

    // The localised-string key of the alert for a refused name; nullptr when none is shown.
    static const char *alertKey(NameCheck check);

    QString templatesDirectory() const { return m_directory; }

    // Replaces the list from the folder (loadTemplateFolder()); no template is current
    // afterwards. Returns the number of templates.
    qsizetype loadTemplates();

    const TemplateList &templates() const { return m_templates; }
    qsizetype count() const { return m_templates.size(); }
    // The template at index, or nullptr for any index outside the list (-1 included).
    TemplatePtr templateAtIndex(qsizetype index) const;
    // The first template whose name equals name exactly, or nullptr.
    TemplatePtr templateWithName(const QString &name) const;
    qsizetype indexOfTemplate(const TemplatePtr &item) const { return m_templates.indexOf(item); }
    // One title per template (its name), in list order: what fills a template menu.
    QStringList templateMenuTitles() const;

    // The name rules, in order: empty; illegal characters (and names no file can carry);
    // equal (case-sensitive) to a loaded template's name, or naming an existing file or
    // folder in the templates folder.
    NameCheck templateNameIsAcceptable(const QString &name) const;
    // The same rules with the files of directory (a renamed template's own folder).
    NameCheck nameCheckIn(const QString &name, const QString &directory) const;

    // The template being edited, or nullptr.
    TemplatePtr currentTemplate() const { return m_currentTemplate; }
    // The current template as the editor edits it (its comments, flags and history), or
    // nullptr. A new one each time a template becomes current.
    EditedTemplatePtr editedTemplate() const { return m_edited; }
    int currentRow() const { return int(m_templates.indexOf(m_currentTemplate)); }
    // The selection step: the template being left is written, then the template at index
    // becomes current (none for an index outside the list). False, with *error, when the
    // template being left could not be written (it is left all the same; its edits stay
    // in memory and are written when it is left or closed again).
    bool setCurrentTemplateIndex(qsizetype index, QString *error = nullptr);
    // Creates the folder if it is missing, then writes the current template. False when
    // none is current, or with *error when the write failed.
    bool saveCurrentTemplate(QString *error = nullptr);
    // The editor window closes: the current template is written (and stays current).
    bool windowWillClose(QString *error = nullptr) { return saveCurrentTemplate(error); }
    // The application quits: the current template is written when the window is open. True
    // when nothing needed writing.
    bool appIsQuitting(bool windowVisible, QString *error = nullptr);

    // Writes the current template, then creates, appends and writes a template with that
    // name and makes it current; emits templatesNeedUpdated(). Returns nullptr and fills
    // *check when the name is refused. A write that fails leaves the new template in the
    // list and fills *error (which stays empty otherwise).
    TemplatePtr createTemplate(const QString &name, NameCheck *check = nullptr, QString *error = nullptr);
    // Renames the template at index (moving its file within its own folder, whose files the
    // name is checked against); emits templatesNeedUpdated(). Confirming the template's own
    // name is a silent success that changes nothing. False, with *check filled, when the
    // name is refused; false with *error when the file cannot be moved.
    bool renameTemplate(qsizetype index, const QString &name, NameCheck *check = nullptr, QString *error = nullptr);
    // Removes the file of the template at index and the template (dropping it as current
    // without writing it); emits templatesNeedUpdated(). False for an index outside the
    // list, and with *error when the file stays (the template stays too).
    bool deleteTemplate(qsizetype index, QString *error = nullptr);

signals:
    // Every template menu empties itself and fills again from templateMenuTitles().
    void templatesNeedUpdated();
    // For views of the list, after the change.
    void templateInserted(int row);
    void templateRemoved(int row);
    void templateRenamed(int row);
    void templatesReset();

private:
    void setCurrent(const TemplatePtr &current);

    QString m_directory;
    TemplateList m_templates;
    TemplatePtr m_currentTemplate;
    EditedTemplatePtr m_edited;
};

// Applies a template to the arranged list of an owner (a document's, a batch list's) as one
// step ("Apply Template", one reset), the rules of applyTemplate() (TemplateApplication.h):
// the owner's filter decides what is visible and its policy what the texts become.
qsizetype applyTemplate(const Template &source, CommentListOwner &owner);
