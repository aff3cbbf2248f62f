#include "templates/Template.h"
#include "core/Strings.h"

#include "interchange/InterchangeFile.h"
#include "interchange/MetadataXml.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QStandardPaths>
#include <QXmlStreamAttributes>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

Q_LOGGING_CATEGORY(lcTemplates, "velmora.templates")

namespace {

constexpr qsizetype kFallbackNameMax = 255;

QString attributeValue(const QXmlStreamAttributes &attributes, const char *name)
{
    const QString key = QString::fromLatin1(name);
    if (!attributes.hasAttribute(key))
        return QString();
    QString value = attributes.value(key).toString();
    return value.isNull() ? QStringLiteral("") : value;
}

QString yesNo(bool flag)
{
    return flag ? QStringLiteral("YES") : QStringLiteral("NO");
}

// The longest file name, in bytes, that the folder's file system takes.
qsizetype maximumNameLength(const QString &directory)
{
#ifdef Q_OS_UNIX
    if (!directory.isEmpty()) {
        const long max = ::pathconf(QFile::encodeName(directory).constData(), _PC_NAME_MAX);
        if (max > 0)
            return qsizetype(max);
    }
#else
    Q_UNUSED(directory);
#endif
    return kFallbackNameMax;
}

bool pathExists(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

// Files are moved and removed only in a folder whose owner may write to it, judged by the
// permission bits as they stand (also for root), as every save judges its folder.
bool folderIsWritable(const QString &folder, QString *error)
{
    if (QFileInfo(folder).permission(QFile::WriteOwner))
        return true;
    if (error)
        *error = reasonText(QT_TRANSLATE_NOOP("Reason", "The folder %1 is read-only.")).arg(folder);
    return false;
}

} // namespace

QString Template::templatesDirectory()
{
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation))
        .filePath(QStringLiteral("Velmora/Templates"));
}

bool Template::isUsableFileName(const QString &name, const QString &directory)
{
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return false;
    if (name.contains(u'/') || name.contains(u'\\') || name.contains(QChar(0)))
        return false;
    const QString folder = directory.isEmpty() ? templatesDirectory() : directory;
    // Measure against the nearest folder that exists (the templates folder may not yet).
    QString existing = folder;
    while (!existing.isEmpty() && !QFileInfo(existing).isDir()) {
        const QString parent = QFileInfo(existing).absolutePath();
        if (parent == existing)
            break;
        existing = parent;
    }
    return QFile::encodeName(name).size() <= maximumNameLength(existing);
}

std::shared_ptr<Template> Template::initWithName(const QString &name, const QString &directory)
{
    if (name.isNull())
        return nullptr;
    return std::make_shared<Template>(name, directory.isEmpty() ? templatesDirectory() : directory);
}

std::shared_ptr<Template> Template::initWithFile(const QString &path, QString *error)
{
    if (path.isNull()) {
        if (error)
            *error = reasonText(QT_TRANSLATE_NOOP("Reason", "No template file given."));
        return nullptr;
    }
    QByteArray bytes;
    if (!InterchangeFile::read(path, &bytes, error))
        return nullptr;

    MetadataXml::Content content;
    if (!MetadataXml::parse(bytes, &content, error))
        return nullptr;

    const QFileInfo info(path);
    auto result = std::make_shared<Template>(info.fileName(), info.absolutePath());
    result->m_clearAllComments = boolFromString(attributeValue(content.rootAttributes, kClearsAllWhenApplied));
    result->m_overwriteDuplicates = boolFromString(attributeValue(content.rootAttributes, kOverwritesDuplicates));
    // Every child of the root is a comment, whatever its name.
    result->m_comments = MetadataXml::comments(content.elements);
    return result;
}

Template::Template(const QString &name, const QString &directory)
    : m_name(name)
    , m_directory(directory)
{
}

QString Template::filePath() const
{
    return QDir(m_directory).filePath(m_name);
}

bool Template::setName(const QString &name, QString *error)
{
    const auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (name.isNull() || !isUsableFileName(name, m_directory))
        return fail(reasonText(QT_TRANSLATE_NOOP("Reason", "“%1” cannot be used as a file name.")).arg(name));
    if (name == m_name)
        return true;

    const QString oldPath = filePath();
    const QString newPath = QDir(m_directory).filePath(name);
    if (pathExists(newPath)) {
        // Only a change of case on a file system that ignores case may land on "itself".
        const QFileInfo oldInfo(oldPath);
        const QFileInfo newInfo(newPath);
        if (!oldInfo.exists() || oldInfo.canonicalFilePath() != newInfo.canonicalFilePath())
            return fail(reasonText(QT_TRANSLATE_NOOP("Reason", "A file named “%1” exists already in %2."))
                            .arg(name, m_directory));
    }
    if (pathExists(oldPath) && !QFileInfo(oldPath).isDir()) {
        if (!folderIsWritable(m_directory, error))
            return false;
        QFile file(oldPath);
        if (!file.rename(newPath))
            return fail(reasonText(QT_TRANSLATE_NOOP("Reason", "“%1” could not be renamed: %2"))
                            .arg(oldPath, file.errorString()));
    }
    m_name = name;
    return true;
}

QByteArray Template::fileContents() const
{
    QXmlStreamAttributes flags;
    flags.append(QString::fromLatin1(kClearsAllWhenApplied), yesNo(m_clearAllComments));
    flags.append(QString::fromLatin1(kOverwritesDuplicates), yesNo(m_overwriteDuplicates));
    return MetadataXml::write(QStringLiteral("ImageMetadata"), m_comments, MetadataXml::Layout::File, flags);
}

bool Template::save(QString *error) const
{
    if (m_name.isNull())
        return false;
    if (!isUsableFileName(m_name, m_directory)) {
        if (error)
            *error = reasonText(QT_TRANSLATE_NOOP("Reason", "“%1” cannot be used as a file name.")).arg(m_name);
        return false;
    }
    return InterchangeFile::write(filePath(), fileContents(), error);
}

bool Template::deleteFile(QString *error) const
{
    qCInfo(lcTemplates, "DeleteFile");
    const auto fail = [error](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    if (!isUsableFileName(m_name, m_directory))
        return fail(reasonText(QT_TRANSLATE_NOOP("Reason", "“%1” cannot be used as a file name.")).arg(m_name));
    const QString path = filePath();
    const QFileInfo info(path);
    if (!pathExists(path))
        return true;
    if (info.isDir() && !info.isSymLink())
        return fail(reasonText(QT_TRANSLATE_NOOP("Reason", "“%1” is a folder, not a template file.")).arg(path));
    if (!folderIsWritable(m_directory, error))
        return false;
    QFile file(path);
    if (!file.remove())
        return fail(
            reasonText(QT_TRANSLATE_NOOP("Reason", "“%1” could not be removed: %2")).arg(path, file.errorString()));
    return true;
}

bool boolFromString(const QString &string)
{
    if (string.isNull())
        return false;

    // The leading integer: optional blanks, an optional sign, decimal digits.
    qsizetype i = 0;
    while (i < string.size() && string.at(i).isSpace())
        ++i;
    if (i < string.size() && (string.at(i) == u'+' || string.at(i) == u'-'))
        ++i;
    for (; i < string.size() && string.at(i) >= u'0' && string.at(i) <= u'9'; ++i) {
        if (string.at(i) != u'0')
            return true;
    }
    return string.compare(QLatin1String("yes"), Qt::CaseInsensitive) == 0
        || string.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0;
}
