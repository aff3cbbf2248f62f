#include "core/SafeFile.h"

#include <QDir>
#include <QFileInfo>

#include <atomic>

namespace {
std::atomic<qint64> g_failAfter{-1};
}

void setWriteFailureAfterBytes(qint64 bytes)
{
    g_failAfter = bytes;
}

qint64 writeFailureAfterBytes()
{
    return g_failAfter;
}

bool checkReplaceable(const QString &path, QString *error)
{
    auto fail = [&](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    const QFileInfo file(path);
    const QFileInfo folder(file.absolutePath());
    if (!folder.exists())
        return fail(QStringLiteral("the folder %1 does not exist").arg(QDir::toNativeSeparators(folder.filePath())));
    if (!folder.isDir())
        return fail(QStringLiteral("%1 is not a folder").arg(QDir::toNativeSeparators(folder.filePath())));
    if (!(folder.permissions() & QFileDevice::WriteOwner))
        return fail(QStringLiteral("the folder %1 is read-only").arg(QDir::toNativeSeparators(folder.filePath())));
    if (file.exists()) {
        if (file.isDir())
            return fail(QStringLiteral("%1 is a folder").arg(QDir::toNativeSeparators(path)));
        if (!(file.permissions() & QFileDevice::WriteOwner))
            return fail(QStringLiteral("the file is read-only"));
    }
    return true;
}
