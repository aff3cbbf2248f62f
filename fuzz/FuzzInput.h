#pragma once

#include "core/PNGComment.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <cstdint>

// Shared by the fuzz targets: the input as Qt bytes, a scratch file for code that reads
// from a path, and a comparable form of an entry list. Every target logs nothing: the
// warnings about hostile input come by the thousand and would only slow the fuzzer down.
namespace FuzzInput {

inline QByteArray bytes(const uint8_t *data, size_t size)
{
    return QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
}

// A path in a private scratch folder (in memory when /dev/shm exists), the same for a
// given name throughout the process.
QString scratchPath(const QString &name);
// Replaces the file at path with the input; aborts when it cannot (the run would test nothing).
void writeScratchFile(const QString &path, const uint8_t *data, size_t size);

// Keyword and text of each entry, in order (an absent field compares equal to an empty one).
QStringList entryFields(const CommentList &comments);

} // namespace FuzzInput
