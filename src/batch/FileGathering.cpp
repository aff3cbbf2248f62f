#include "batch/FileGathering.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>

namespace {

void searchFolder(QStringList &files, const QString &folder, bool checkExtension, QStringList &ancestors)
{
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (canonical.isEmpty() || ancestors.contains(canonical))
        return; // unreadable, or a link cycle
    ancestors.append(canonical);
    // The kind of each entry comes with the folder listing: only links are looked up.
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        it.next();
        const QFileInfo entry = it.fileInfo();
        const QString name = entry.fileName();
        if (name.startsWith(u'.'))
            continue;
        const QString path = folder.endsWith(u'/') ? folder + name : folder + u'/' + name;
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
