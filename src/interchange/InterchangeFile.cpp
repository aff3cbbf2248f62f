#include "interchange/InterchangeFile.h"

#include "core/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

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
    // The same rules and the same write-beside-and-rename as a PNG save.
    QString reason;
    if (!checkReplaceable(path, &reason))
        return fail(error, QStringLiteral("Can't write “%1”: %2").arg(path, reason));
    AtomicFileWriter file(path);
    if (!file.open() || !file.write(contents.constData(), contents.size()) || !file.commit())
        return fail(error, QStringLiteral("Can't write “%1”: %2").arg(path, file.errorString()));
    return true;
}
