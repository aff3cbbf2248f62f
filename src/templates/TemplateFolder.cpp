#include "templates/TemplateFolder.h"

#include "interchange/InterchangeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kStandardsResource = QStringLiteral(":/velmora/templates/Standards");
const QString kStandardsName = QStringLiteral("Standards");

// Deeper folders than this inside the templates folder are not walked.
constexpr int kMaxWalkDepth = 16;

void seed(const QString &directory)
{
    if (!QDir().mkpath(directory))
        return;
    const QByteArray contents = standardsTemplateContents();
    if (contents.isEmpty())
        return;
    // Written rather than copied, so the seeded file is an ordinary writable file.
    InterchangeFile::write(QDir(directory).filePath(kStandardsName), contents, nullptr);
}

void walk(const QString &folder, int depth, TemplateList &templates)
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
                walk(entry.filePath(), depth + 1, templates);
            continue;
        }
        if (auto loaded = Template::initWithFile(entry.filePath()))
            templates.append(loaded);
    }
}

} // namespace

TemplateList loadTemplateFolder(const QString &directory)
{
    if (!QFileInfo(directory).isDir())
        seed(directory);
    TemplateList templates;
    walk(directory, 0, templates);
    return templates;
}

QByteArray standardsTemplateContents()
{
    // The resource of this static library is registered once, by hand.
    static const bool registered = [] {
        Q_INIT_RESOURCE(templates);
        return true;
    }();
    Q_UNUSED(registered);
    QFile file(kStandardsResource);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

TemplatePtr templateWithName(const TemplateList &templates, const QString &name)
{
    for (const auto &item : templates) {
        if (item->name() == name)
            return item;
    }
    return nullptr;
}

QStringList templateNames(const TemplateList &templates)
{
    QStringList titles;
    titles.reserve(templates.size());
    for (const auto &item : templates)
        titles.append(item->name());
    return titles;
}
