#include "shell/AppSettings.h"

#include <QFileInfo>
#include <QSettings>

namespace {

const QString kClearExisting = QStringLiteral("importClearExistingMetadata");
const QString kEnforceUnique = QStringLiteral("importEnforceUniqueKeywords");
const QString kCheckFileExt = QStringLiteral("checkFileExtWhenAddingToBatchList");
const QString kExportFormat = QStringLiteral("exportFormat");
const QString kRecentFiles = QStringLiteral("recentFiles");
const QString kSearchInTexts = QStringLiteral("searchInTexts");

QString sameFileKey(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

} // namespace

namespace AppSettings {

void registerDefaults(QSettings &settings)
{
    const QList<std::pair<QString, QVariant>> defaults {
        { kClearExisting, false },
        { kEnforceUnique, false },
        { kCheckFileExt, true },
        { kExportFormat, formatDisplayName(MetadataFormat::Velmx) },
    };
    for (const auto &[key, value] : defaults) {
        if (!settings.contains(key))
            settings.setValue(key, value);
    }
}

bool importClearExistingMetadata()
{
    return QSettings().value(kClearExisting, false).toBool();
}

void setImportClearExistingMetadata(bool on)
{
    QSettings().setValue(kClearExisting, on);
}

bool importEnforceUniqueKeywords()
{
    return QSettings().value(kEnforceUnique, false).toBool();
}

void setImportEnforceUniqueKeywords(bool on)
{
    QSettings().setValue(kEnforceUnique, on);
}

QString formatDisplayName(MetadataFormat format)
{
    const MetadataFileFormat *row = metadataFileFormat(format);
    return QString((row ? row : &metadataFileFormats().front())->settingsName);
}

MetadataFormat exportFormat()
{
    const QString name = QSettings().value(kExportFormat).toString();
    for (const MetadataFileFormat &row : metadataFileFormats()) {
        if (name == row.settingsName)
            return row.format;
    }
    return metadataFileFormats().front().format;
}

void setExportFormat(MetadataFormat format)
{
    QSettings().setValue(kExportFormat, formatDisplayName(format));
}

bool searchInTexts()
{
    return QSettings().value(kSearchInTexts, false).toBool();
}

void setSearchInTexts(bool on)
{
    QSettings().setValue(kSearchInTexts, on);
}

QStringList recentFiles()
{
    QStringList files = QSettings().value(kRecentFiles).toStringList();
    files.removeAll(QString());
    return files.mid(0, MaxRecentFiles);
}

void addRecentFile(const QString &path)
{
    if (path.isEmpty())
        return;
    const QString key = sameFileKey(path);
    QStringList files = recentFiles();
    files.removeIf([&](const QString &file) { return sameFileKey(file) == key; });
    files.prepend(key);
    QSettings().setValue(kRecentFiles, files.mid(0, MaxRecentFiles));
}

void removeRecentFile(const QString &path)
{
    const QString key = sameFileKey(path);
    QStringList files = recentFiles();
    files.removeIf([&](const QString &file) { return sameFileKey(file) == key; });
    QSettings().setValue(kRecentFiles, files);
}

void clearRecentFiles()
{
    QSettings().remove(kRecentFiles);
}

QByteArray windowState(const QString &kind, const QString &part)
{
    return QSettings().value(QStringLiteral("windows/%1/%2").arg(kind, part)).toByteArray();
}

void setWindowState(const QString &kind, const QString &part, const QByteArray &state)
{
    QSettings().setValue(QStringLiteral("windows/%1/%2").arg(kind, part), state);
}

} // namespace AppSettings
