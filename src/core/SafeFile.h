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

// Writes a new version of a file beside it and renames it over the file on commit():
// readers see the old file or the complete new one, never a part. A path that is a link
// writes the file it leads to. The new file gets the old one's permissions (and owner,
// where the process may set it) and is flushed to the disk before the rename. Destroying
// an uncommitted writer removes the temporary file.
class AtomicFileWriter
{
public:
    explicit AtomicFileWriter(const QString &path);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter &) = delete;
    AtomicFileWriter &operator=(const AtomicFileWriter &) = delete;

    bool open();
    bool write(const char *data, qint64 length);
    bool commit();
    void cancel();
    QString errorString() const { return m_error; }

private:
    bool flushBuffer();

    QString m_path;
    QByteArray m_target; // the path with links resolved
    QByteArray m_temporaryPath;
    int m_fd = -1;
    QByteArray m_buffer;
    QString m_error;
};
