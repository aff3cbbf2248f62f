#include "batch/FileGathering.h"

#include <QDir>
#include <QFileInfo>

namespace {

void searchFolder(QStringList &files, const QString &folder, bool checkExtension, QStringList &ancestors)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (canonical.isEmpty() || ancestors.contains(canonical))
        return; // unreadable, or a link cycle
    ancestors.append(canonical);
    const QStringList names
        = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QString &name : names) {
        if (name.startsWith(u'.'))
            continue;
        const QString path = folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
        const QFileInfo entry(path);
        if (!entry.exists()) // dangling link
            continue;
        if (entry.isDir())
            searchFolder(files, path, checkExtension, ancestors);
        else if (!checkExtension || hasPngExtension(path))
            files.append(path);
    }
    ancestors.removeLast();
}

} // namespace

bool hasPngExtension(const QString &path)
{
    return QFileInfo(path).suffix().compare(QLatin1String("png"), Qt::CaseInsensitive) == 0;
}

void addFilesInDirectory(QStringList &files, const QString &folder, bool checkExtension)
{
    QStringList ancestors;
    searchFolder(files, folder, checkExtension, ancestors);
}

void appendGatheredFiles(QStringList &files, const QStringList &paths, bool checkExtension)
{
    for (const QString &path : paths) {
        const QFileInfo info(path);
        if (!info.exists())
            continue;
        if (info.isDir())
            addFilesInDirectory(files, path, checkExtension);
        else if (!checkExtension || hasPngExtension(path))
            files.append(path);
    }
    std::sort(files.begin(), files.end());
}
