#pragma once

#include "core/ByteSink.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>

#include <sys/types.h>

// Whether a file may be written at path by a write-beside-and-rename save. Links are followed
// first: what is judged is the file the path leads to and the folder that file is in. That
// folder must exist and be writable by its owner; an existing file must be a regular file
// writable by its owner. Permission bits are judged as they stand, even for root, so that a
// file the user marked read-only is never replaced behind their back. On refusal *error holds
// the reason. AtomicFileWriter::open() makes the same checks itself.
bool checkReplaceable(const QString &path, QString *error = nullptr);

// Test seam inside the writer, so that one set of failure tests covers every kind of file
// written through it (PNG files and every side file). Process-wide; set it while no write
// is running.
struct WriteFailures
{
    qint64 afterBytes = -1; // writes fail (no space left) once this many bytes of a file went out; -1: never
    bool fileFlush = false; // flushing the new file to the disk fails
    bool rename = false; // renaming the new file over the target fails
    bool folderFlush = false; // flushing the folder after the rename fails
};
void setWriteFailures(const WriteFailures &failures);
// Shorthand: only writes fail, after this many bytes (negative: never); the other steps succeed.
void setWriteFailureAfterBytes(qint64 bytes);

// Test seam at the system calls that make a new version durable. Each is reported as it
// returns (succeeded or not), with what it concerned, identified by device and inode:
// FileWritten when a new file's last byte was written and its permissions set, FileFlush of
// that file, FileSystemFlush of a whole file system (device only), Rename of a new file over
// its target (the file and the folder), FolderFlush of a folder. Process-wide, called from
// the thread that makes the call; set it while no write is running.
enum class DurableCall { FileWritten, FileFlush, FileSystemFlush, Rename, FolderFlush };
struct DurableCallRecord
{
    DurableCall call = DurableCall::FileWritten;
    bool ok = false;
    dev_t device = 0;
    ino_t file = 0; // FileWritten, FileFlush, Rename
    ino_t folder = 0; // Rename, FolderFlush
    QByteArray name; // Rename: the target's name in its folder
};
void setDurableCallObserver(std::function<void(const DurableCallRecord &record)> observer);

// The folder a file is written in, shared by the files written there at a time.
struct WriteFolder;

// Writes a new version of a file beside it and renames it over the file on commit():
// readers see the old file or the complete new one, never a part, and once commit() has
// returned true the new version survives a power cut.
//
// A path that is a link writes the file it leads to. The new file gets the old one's
// permissions and, where the process may set them, its owner and group; the set-user-ID and
// set-group-ID bits are kept only when the owner (or group) could be kept. A new file gets the
// usual permissions (the process's umask, applied by the system).
//
// Error contract: every operation returns false on failure and errorString() then says why
// (without naming the file). Whatever fails, the target is left exactly as it was and no
// temporary file remains; the one exception is a folder that cannot be flushed on a file
// system without hard links, which errorString() says. Destroying an uncommitted writer
// removes the temporary file.
class AtomicFileWriter : public ByteSink
{
public:
    explicit AtomicFileWriter(const QString &path);
    ~AtomicFileWriter() override;
    AtomicFileWriter(const AtomicFileWriter &) = delete;
    AtomicFileWriter &operator=(const AtomicFileWriter &) = delete;

    // Resolves the target, checks it as checkReplaceable() does and creates the temporary
    // file beside the resolved target, with the target's permissions.
    bool open();
    // Buffered; the bytes reach the disk at the latest in commit().
    bool write(const char *data, qint64 length) override;
    // Copied by the system where it can (no pass through this process's memory), else read
    // and written in pieces.
    bool copyFrom(const SourceFile &file, qint64 offset, qint64 length) override;
    // Writes what is buffered, flushes the file to the disk, renames it over the target and
    // flushes the folder. On failure everything is undone (see above).
    bool commit();
    // Drops the temporary file; the target stays as it was.
    void cancel() override;
    QString errorString() const override { return m_error; }
    QString path() const { return m_path; }

    // Writes what is buffered and gives the file its permissions, without flushing it to
    // the disk: the file is then ready to be committed together with others
    // (AtomicFileGroup). On failure the file is cancelled.
    bool finishWriting();
    qint64 bytesWritten() const { return m_written; }

protected:
    void setErrorString(const QString &reason) override { m_error = reason; }

private:
    friend class AtomicFileGroup;
    // The steps of commit(), apart so that several files can share their flushes.
    bool finishFile();
    bool closeFile();
    bool replaceTarget();
    bool settle(int folderError);
    bool writeOut(const char *data, qint64 length);
    bool flushBuffer();
    bool keepPermissions();
    bool fail(const QString &reason);
    bool failWithSystemError(const QString &what, int code);

    QString m_path;
    std::shared_ptr<WriteFolder> m_folder; // the resolved target's folder, where every step takes place
    QByteArray m_name; // the target's name in that folder
    QByteArray m_temporaryName;
    // Where the old version stays between the rename and the folder flush: the temporary
    // name (exchanged with the target) or a second name (a hard link).
    QByteArray m_backup;
    bool m_targetExisted = false;
    mode_t m_targetMode = 0;
    uid_t m_targetOwner = 0;
    gid_t m_targetGroup = 0;
    int m_fd = -1;
    dev_t m_device = 0; // of the new file, known once it is written
    ino_t m_inode = 0;
    qint64 m_written = 0;
    QByteArray m_buffer;
    QString m_error;
    bool m_finished = false; // finishWriting() done
};

// Commits many written files at once, as durably as commit() does each but with far fewer
// flushes: first the data of every file reach the disk (one flush per file system), then
// each file is renamed over its target, then each folder is flushed once. A group holds no
// descriptor per file (the files of one folder share the folder's), so it may grow large. A power cut at any
// moment leaves every target either as it was or complete in its new version, never empty
// or in part. Not thread-safe: one group per thread.
class AtomicFileGroup
{
public:
    AtomicFileGroup() = default;
    AtomicFileGroup(const AtomicFileGroup &) = delete;
    AtomicFileGroup &operator=(const AtomicFileGroup &) = delete;

    // Takes a file that was opened and written; finishes writing it. False when that fails
    // (the file is then not taken; its errorString() says why).
    bool add(std::unique_ptr<AtomicFileWriter> &file);
    int size() const { return int(m_files.size()); }
    bool isEmpty() const { return m_files.empty(); }
    // Bytes written into the files of the group.
    qint64 bytes() const { return m_bytes; }

    // Commits every file and empties the group. Returns, for each file in the order they were
    // added, an empty string when it was committed or the reason it was not; a file that was
    // not committed has its target exactly as it was, with the one exception commit()
    // names.
    QStringList commit();

private:
    std::vector<std::unique_ptr<AtomicFileWriter>> m_files;
    qint64 m_bytes = 0;
};
