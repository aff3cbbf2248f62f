#include "templates/TemplateEditor.h"

#include "interchange/InterchangeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kStandardsResource = QStringLiteral(":/velmora/templates/Standards");
const QString kStandardsName = QStringLiteral("Standards");

// Deeper folders than this inside the templates folder are not walked.
constexpr int kMaxWalkDepth = 16;

} // namespace

void TemplateEditor::ensureResources()
{
    static const bool registered = [] {
        Q_INIT_RESOURCE(templates);
        return true;
    }();
    Q_UNUSED(registered);
}

QByteArray TemplateEditor::standardsTemplateContents()
{
    ensureResources();
    QFile file(kStandardsResource);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

const char *TemplateEditor::alertKey(NameCheck check)
{
    switch (check) {
    case NameCheck::IllegalCharacters:
        return "IllegalCharactersInName";
    case NameCheck::NotUnique:
        return "ChooseUniqueName";
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

bool TemplateEditor::ensureDirectory() const
{
    return QDir().mkpath(m_directory);
}

void TemplateEditor::seedTemplatesDirectory() const
{
    if (!ensureDirectory())
        return;
    const QByteArray contents = standardsTemplateContents();
    if (contents.isEmpty())
        return;
    // Written rather than copied, so the seeded file is an ordinary writable file.
    InterchangeFile::write(QDir(m_directory).filePath(kStandardsName), contents, nullptr);
}

qsizetype TemplateEditor::loadTemplates()
{
    m_currentTemplate.reset();
    m_templates.clear();
    if (!QFileInfo(m_directory).isDir())
        seedTemplatesDirectory();
    walk(m_directory, 0);
    emit templatesReset();
    return m_templates.size();
}

void TemplateEditor::walk(const QString &folder, int depth)
{
    if (depth > kMaxWalkDepth)
        return;
    // Hidden entries are no templates: a safe write's temporary file among them.
    const QFileInfoList entries = QDir(folder).entryInfoList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo &entry : entries) {
        if (entry.fileName().startsWith(u'.'))
            continue;
        if (entry.isDir()) {
            // Linked folders are not followed: they may lead out of the folder or in circles.
            if (!entry.isSymLink())
                walk(entry.filePath(), depth + 1);
            continue;
        }
        if (auto loaded = Template::initWithFile(entry.filePath()))
            m_templates.append(loaded);
    }
}

TemplatePtr TemplateEditor::templateAtIndex(qsizetype index) const
{
    if (index < 0 || index >= m_templates.size())
        return nullptr;
    return m_templates.at(index);
}

TemplatePtr TemplateEditor::templateWithName(const QString &name) const
{
    for (const auto &item : m_templates) {
        if (item->name() == name)
            return item;
    }
    return nullptr;
}

QStringList TemplateEditor::templateMenuTitles() const
{
    QStringList titles;
    titles.reserve(m_templates.size());
    for (const auto &item : m_templates)
        titles.append(item->name());
    return titles;
}

TemplateEditor::NameCheck TemplateEditor::templateNameIsAcceptable(const QString &name) const
{
    return nameCheckIn(name, m_directory);
}

TemplateEditor::NameCheck TemplateEditor::nameCheckIn(const QString &name, const QString &directory) const
{
    if (name.isEmpty())
        return NameCheck::Empty;
    if (!Template::isUsableFileName(name, directory))
        return NameCheck::IllegalCharacters;
    if (templateWithName(name))
        return NameCheck::NotUnique;
    // A file (or folder) of that name that is no loaded template is never overwritten.
    const QFileInfo existing(QDir(directory).filePath(name));
    if (existing.exists() || existing.isSymLink())
        return NameCheck::NotUnique;
    return NameCheck::Acceptable;
}

bool TemplateEditor::setCurrentTemplateIndex(qsizetype index, QString *error)
{
    const bool saved = !m_currentTemplate || saveCurrentTemplate(error);
    m_currentTemplate = templateAtIndex(index);
    return saved;
}

bool TemplateEditor::saveCurrentTemplate(QString *error)
{
    if (!m_currentTemplate)
        return false;
    const QString folder = m_currentTemplate->directory();
    if (!QDir().mkpath(folder)) {
        if (error)
            *error = QStringLiteral("The folder %1 could not be created.").arg(folder);
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
    m_currentTemplate = created;
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
        m_currentTemplate.reset();
    m_templates.removeAt(index);
    emit templateRemoved(int(index));
    emit templatesNeedUpdated();
    return true;
}
