#pragma once

#include <QByteArray>
#include <QString>

// Reads a whole regular file, refusing anything else before reading a byte: the open is
// non-blocking (a FIFO cannot hang it), folders, devices and sockets are refused, and so is
// a file larger than maxSize, also one that grows past it while it is read (/proc files
// claim a size of 0). Every input of the application goes through here: PNG files, velmx
// and delimited text, the presets file and template files.
//
// On failure returns false, leaves *bytes untouched and sets *error to a reason that does
// not name the file ("it is a folder, not a file", "the file is too large (… bytes)").
bool readRegularFile(const QString &path, qint64 maxSize, QByteArray *bytes, QString *error = nullptr);
