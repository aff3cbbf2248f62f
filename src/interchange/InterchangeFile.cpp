#include "interchange/InterchangeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

bool fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

} // namespace

bool InterchangeFile::read(const QString &path, QByteArray *contents, QString *error)
{
    const QFileInfo info(path);
    if (!info.exists())
        return fail(error, QStringLiteral("“%1” does not exist.").arg(path));
    if (info.isDir())
        return fail(error, QStringLiteral("“%1” is a folder, not a file.").arg(path));
    if (!info.isFile())
        return fail(error, QStringLiteral("“%1” is not a regular file.").arg(path));
    if (info.size() > MaxImportSize)
        return fail(error, QStringLiteral("“%1” is larger than %2 MiB.").arg(path).arg(MaxImportSize >> 20));

    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(error, QStringLiteral("Can't read “%1”: %2").arg(path, file.errorString()));
    // The file may have grown since it was measured; never read more than the limit allows.
    const QByteArray data = file.read(MaxImportSize + 1);
    if (file.error() != QFileDevice::NoError)
        return fail(error, QStringLiteral("Can't read “%1”: %2").arg(path, file.errorString()));
    if (data.size() > MaxImportSize)
        return fail(error, QStringLiteral("“%1” is larger than %2 MiB.").arg(path).arg(MaxImportSize >> 20));
    *contents = data;
    return true;
}

bool InterchangeFile::write(const QString &path, const QByteArray &contents, QString *error)
{
    const QFileInfo target(path);
    if (target.isDir())
        return fail(error, QStringLiteral("“%1” is a folder, not a file.").arg(path));
    const QFileInfo folder(target.absolutePath());
    if (!folder.isDir())
        return fail(error, QStringLiteral("The folder “%1” does not exist.").arg(folder.filePath()));
    constexpr auto anyWrite = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
    if (!(folder.permissions() & anyWrite) || !folder.isWritable())
        return fail(error, QStringLiteral("The folder “%1” is not writable.").arg(folder.filePath()));

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return fail(error, QStringLiteral("Can't write “%1”: %2").arg(path, file.errorString()));
    if (file.write(contents) != contents.size()) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return fail(error, QStringLiteral("Can't write “%1”: %2").arg(path, reason));
    }
    if (!file.commit())
        return fail(error, QStringLiteral("Can't write “%1”: %2").arg(path, file.errorString()));
    return true;
}
