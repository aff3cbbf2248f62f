#include "templates/TemplateEditor.h"

#include "core/Strings.h"
#include "templates/TemplateApplication.h"
#include "templates/TemplateFolder.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>

const char *TemplateEditor::alertKey(NameCheck check)
{
    switch (check) {
    case NameCheck::IllegalCharacters:
        return "IllegalCharactersInName";
    case NameCheck::HoldsNul:
        return "NameHoldsNul";
    case NameCheck::TooLong:
        return "NameTooLong";
    case NameCheck::NotUnique:
        return "ChooseUniqueName";
    case NameCheck::FileExists:
        return "NameTakenByFile";
    case NameCheck::Empty:
    case NameCheck::Acceptable:
        break;
    }
    return nullptr;
}

TemplateEditor::TemplateEditor(QObject *parent)
    : TemplateEditor(Template::templatesDirectory(), parent)
{
}

TemplateEditor::TemplateEditor(const QString &templatesDirectory, QObject *parent)
    : QObject(parent)
    , m_directory(templatesDirectory)
{
}

TemplateEditor::~TemplateEditor() = default;

qsizetype TemplateEditor::loadTemplates()
{
    setCurrent(nullptr);
    m_templates = loadTemplateFolder(m_directory);
    emit templatesReset();
    return m_templates.size();
}

void TemplateEditor::setCurrent(const TemplatePtr &current)
{
    m_currentTemplate = current;
    m_edited = current ? std::make_shared<EditedTemplate>(current) : nullptr;
}

TemplatePtr TemplateEditor::templateAtIndex(qsizetype index) const
{
    if (index < 0 || index >= m_templates.size())
        return nullptr;
    return m_templates.at(index);
}

TemplatePtr TemplateEditor::templateWithName(const QString &name) const
{
    return ::templateWithName(m_templates, name);
}

QStringList TemplateEditor::templateMenuTitles() const
{
    return templateNames(m_templates);
}

TemplateEditor::NameCheck TemplateEditor::templateNameIsAcceptable(const QString &name) const
{
    return nameCheckIn(name, m_directory);
}

TemplateEditor::NameCheck TemplateEditor::nameCheckIn(const QString &name, const QString &directory) const
{
    if (name.isEmpty())
        return NameCheck::Empty;
    if (name.contains(QChar(0)))
        return NameCheck::HoldsNul;
    if (name == QLatin1String(".") || name == QLatin1String("..") || name.contains(u'/') || name.contains(u'\\'))
        return NameCheck::IllegalCharacters;
    if (!Template::isUsableFileName(name, directory))
        return NameCheck::TooLong;
    if (templateWithName(name))
        return NameCheck::NotUnique;
    // A file (or folder) of that name that is no loaded template is never overwritten.
    const QFileInfo existing(QDir(directory).filePath(name));
    if (existing.exists() || existing.isSymLink())
        return NameCheck::FileExists;
    return NameCheck::Acceptable;
}

bool TemplateEditor::setCurrentTemplateIndex(qsizetype index, QString *error)
{
    const bool saved = !m_currentTemplate || saveCurrentTemplate(error);
    setCurrent(templateAtIndex(index));
    return saved;
}

bool TemplateEditor::saveCurrentTemplate(QString *error)
{
    if (!m_currentTemplate)
        return false;
    const QString folder = m_currentTemplate->directory();
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = reasonText(QT_TRANSLATE_NOOP("Reason", "The folder %1 could not be created.")).arg(folder);
        return false;
    }
    return m_currentTemplate->save(error);
}

bool TemplateEditor::appIsQuitting(bool windowVisible, QString *error)
{
    if (!windowVisible || !m_currentTemplate)
        return true;
    return saveCurrentTemplate(error);
}

TemplatePtr TemplateEditor::createTemplate(const QString &name, NameCheck *check, QString *error)
{
    const NameCheck result = templateNameIsAcceptable(name);
    if (check)
        *check = result;
    if (result != NameCheck::Acceptable)
        return nullptr;

    // Both writes are tried; the first reason is the one reported.
    QString reason;
    if (m_currentTemplate)
        saveCurrentTemplate(&reason);
    auto created = Template::initWithName(name, m_directory);
    m_templates.append(created);
    setCurrent(created);
    emit templateInserted(int(m_templates.size() - 1));
    QString newReason;
    if (!saveCurrentTemplate(&newReason) && reason.isEmpty())
        reason = newReason;
    if (error)
        *error = reason;
    emit templatesNeedUpdated();
    return created;
}

bool TemplateEditor::renameTemplate(qsizetype index, const QString &name, NameCheck *check, QString *error)
{
    const auto item = templateAtIndex(index);
    // Confirming a name unchanged is no rename, and no reason for an alert.
    if (item && name == item->name()) {
        if (check)
            *check = NameCheck::Acceptable;
        return true;
    }
    // A template moves within its own folder (a sub-folder for some), so that is where
    // a file of the new name would clash.
    const NameCheck result = item ? nameCheckIn(name, item->directory()) : NameCheck::Empty;
    if (check)
        *check = result;
    if (result != NameCheck::Acceptable)
        return false;
    if (!item->setName(name, error))
        return false;
    emit templateRenamed(int(index));
    emit templatesNeedUpdated();
    return true;
}

bool TemplateEditor::deleteTemplate(qsizetype index, QString *error)
{
    const auto item = templateAtIndex(index);
    if (!item)
        return false;
    // A file that stays would bring the template back at the next start.
    if (!item->deleteFile(error))
        return false;
    if (m_currentTemplate == item)
        setCurrent(nullptr);
    m_templates.removeAt(index);
    emit templateRemoved(int(index));
    emit templatesNeedUpdated();
    return true;
}

qsizetype applyTemplate(const Template &source, CommentListOwner &owner)
{
    // Worked out on a copy of the whole list, then handed to the owner in one change;
    // the owner expands the texts of the comments that are new to it.
    CommentList all = owner.allComments();
    QSet<const PNGComment *> visible;
    for (const auto &comment : owner.comments())
        visible.insert(comment.get());
    TemplateApplicationTarget scratch;
    scratch.visibleComments = [&] {
        CommentList shown;
        for (const auto &comment : std::as_const(all)) {
            if (visible.contains(comment.get()))
                shown.append(comment);
        }
        return shown;
    };
    scratch.removeAll = [&] { all.removeIf([&](const CommentPtr &c) { return visible.contains(c.get()); }); };
    scratch.removeComments = [&](const CommentList &doomed) { removeCommentsByIdentity(all, doomed); };
    scratch.append = [&](const CommentPtr &comment) { all.append(comment); };
    const qsizetype count = applyTemplate(source, scratch, nullptr);
    owner.replaceAll(all, Expansion::Expand, localizedString("StepApplyTemplate"));
    return count;
}
