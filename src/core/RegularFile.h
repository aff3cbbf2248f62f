#pragma once

#include <QByteArray>
#include <QString>

#include <sys/stat.h>

// Reads a whole regular file, refusing anything else before reading a byte: the open is
// non-blocking (a FIFO cannot hang it), folders, devices and sockets are refused, and so is
// a file larger than maxSize, also one that grows past it while it is read (/proc files
// claim a size of 0). Every input of the application goes through here: PNG files, velmx
// and delimited text, the presets file and template files.
//
// On failure returns false, leaves *bytes untouched and sets *error to a reason that does
// not name the file ("it is a folder, not a file", "the file is too large (… bytes)").
bool readRegularFile(const QString &path, qint64 maxSize, QByteArray *bytes, QString *error = nullptr);

// The two halves of readRegularFile(), for a reader that keeps the file open: opens path
// and refuses what is not a regular file of at most maxSize bytes (the descriptor, or -1 with
// *error set; *st what fstat() said), then reads the whole file from the start.
int openRegularFile(const QString &path, qint64 maxSize, struct stat *st, QString *error = nullptr);
bool readOpenFile(int fd, const struct stat &st, qint64 maxSize, QByteArray *bytes, QString *error = nullptr);
