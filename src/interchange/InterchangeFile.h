#pragma once

#include <QByteArray>
#include <QString>

// Reading and writing the side files of metadata interchange (velmx, delimited text).
// Reading refuses anything that is not a regular file of sane size; writing goes through
// a temporary file beside the target, so a failed write leaves an existing file as it was.
class InterchangeFile
{
public:
    // Side files larger than this are refused before they are read.
    static constexpr qint64 MaxImportSize = qint64(16) * 1024 * 1024;

    // Reads the whole file. Fails (false, *error set, *contents untouched) when path is
    // missing, a folder or another non-regular file, larger than MaxImportSize, or unreadable.
    static bool read(const QString &path, QByteArray *contents, QString *error);

    // Replaces the file at path with contents, atomically. Fails (false, *error set, an
    // existing file untouched) when the folder is missing, carries no write permission bit
    // (checked on the bits, so it holds for root too), path names a folder, or the write fails.
    static bool write(const QString &path, const QByteArray &contents, QString *error);
};
