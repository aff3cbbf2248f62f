#pragma once

#include <QString>
#include <QStringList>

// Gathering PNG files for a batch from dropped, pasted or named paths.
//
// A folder is searched to any depth: hidden entries (names starting with ".") are skipped,
// links to folders are followed, a link that leads back into a folder being searched is
// not followed again, and dangling links are skipped. With checkExtension on, only files
// whose extension is "png" in any case are taken.

// Appends the files found at paths to files, then sorts the whole list by path.
// Paths that do not exist are skipped. A path given twice is listed twice.
void appendGatheredFiles(QStringList &files, const QStringList &paths, bool checkExtension);

// Appends the files inside folder (searched as above) to files, unsorted.
void addFilesInDirectory(QStringList &files, const QString &folder, bool checkExtension);

// Whether a file name passes the extension check.
bool hasPngExtension(const QString &path);
