#pragma once

#include <QString>

// Whether a file may be written at path by a write-beside-and-rename save: its folder must
// exist and be writable by its owner, and an existing file must be writable by its owner.
// Permission bits are judged as they stand, even for root, so that a file the user marked
// read-only is never replaced behind their back. On refusal *error holds the reason.
bool checkReplaceable(const QString &path, QString *error = nullptr);

// Test hook: the next writes fail once this many bytes have gone out (negative: never).
void setWriteFailureAfterBytes(qint64 bytes);
qint64 writeFailureAfterBytes();
