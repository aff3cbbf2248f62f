#include "core/SafeFile.h"
#include "core/Strings.h"

#include "core/SourceFile.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRandomGenerator>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qsizetype kBufferSize = 1 << 20;
constexpr qint64 kStartWritingBytes = 256 << 10;

std::atomic<qint64> g_failAfterBytes { -1 };
std::atomic<bool> g_failFileFlush { false };
std::atomic<bool> g_failRename { false };
std::atomic<bool> g_failFolderFlush { false };
std::function<void(const DurableCallRecord &)> g_observer;

// The system's text for an error number (strerror is not safe in the batch's threads).
QString systemError(int code)
{
    return qt_error_string(code);
}

QString native(const QByteArray &path)
{
    return QDir::toNativeSeparators(QFile::decodeName(path));
}

bool failWith(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

// --- The system calls that make a version durable: the only place that makes them, with the
// test seam's failures and reports.

void report(DurableCall call, bool ok, int fd, int folder = -1)
{
    if (!g_observer)
        return;
    DurableCallRecord record;
    record.call = call;
    record.ok = ok;
    struct stat st;
    if (fd >= 0 && ::fstat(fd, &st) == 0) {
        record.device = st.st_dev;
        (call == DurableCall::FolderFlush ? record.folder : record.file) = st.st_ino;
    }
    if (folder >= 0 && ::fstat(folder, &st) == 0) {
        record.device = st.st_dev;
        record.folder = st.st_ino;
    }
    g_observer(record);
}

// Each returns 0 or the error number.
int flushFile(int fd)
{
    const int code = g_failFileFlush ? EIO : ::fsync(fd) == 0 ? 0 : errno;
    report(DurableCall::FileFlush, code == 0, fd);
    return code;
}

int flushFileSystem(int fd)
{
    const int code = g_failFileFlush ? EIO : ::syncfs(fd) == 0 ? 0 : errno;
    if (g_observer) {
        DurableCallRecord record;
        record.call = DurableCall::FileSystemFlush;
        record.ok = code == 0;
        struct stat st;
        if (::fstat(fd, &st) == 0)
            record.device = st.st_dev;
        g_observer(record);
    }
    return code;
}

// File systems that cannot flush a folder say so with EINVAL (or EROFS): nothing more to do.
int flushFolder(int folder)
{
    int code = g_failFolderFlush ? EIO : ::fsync(folder) == 0 ? 0 : errno;
    if (code == EINVAL || code == EROFS)
        code = 0;
    report(DurableCall::FolderFlush, code == 0, -1, folder);
    return code;
}

// Renames from over to in folder; with exchange the two names swap their files.
int renameIn(int folder, const QByteArray &from, const QByteArray &to, bool exchange)
{
    struct stat renamed = {};
    if (g_observer)
        (void)::fstatat(folder, from.constData(), &renamed, AT_SYMLINK_NOFOLLOW);
    int code = 0;
    if (g_failRename)
        code = EIO;
    else if (::renameat2(folder, from.constData(), folder, to.constData(), exchange ? RENAME_EXCHANGE : 0) != 0)
        code = errno;
    if (g_observer) {
        DurableCallRecord record;
        record.call = DurableCall::Rename;
        record.ok = code == 0;
        record.name = to;
        struct stat st;
        if (::fstat(folder, &st) == 0)
            record.folder = st.st_ino;
        record.device = renamed.st_dev;
        record.file = renamed.st_ino;
        g_observer(record);
    }
    return code;
}

} // namespace

// A folder files are written in, opened once for all the files a thread writes there at a
// time: every step works relative to it, so the checks and the write concern the same place
// even if a link on the way is changed meanwhile.
struct WriteFolder
{
    int fd = -1;
    bool syncable = true; // false: the folder could only be opened for lookups
    bool writable = false; // by its owner
    QByteArray path; // as it was reached
    WriteFolder() = default;
    WriteFolder(const WriteFolder &) = delete;
    WriteFolder &operator=(const WriteFolder &) = delete;
    ~WriteFolder()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

namespace {

using Folder = WriteFolder;

// The file a save writes: its folder and its name there, and what it is now.
struct Target
{
    std::shared_ptr<Folder> folder;
    QByteArray name;
    bool exists = false;
    struct stat st = {};
};

// The folders this thread opened lately, while a writer still uses them: the files of one
// folder in a batch look the folder up once.
std::shared_ptr<Folder> openFolder(const QByteArray &path, QString *error)
{
    thread_local std::vector<std::weak_ptr<Folder>> recent;
    for (auto it = recent.begin(); it != recent.end();) {
        std::shared_ptr<Folder> known = it->lock();
        if (!known) {
            it = recent.erase(it);
            continue;
        }
        if (known->path == path)
            return known;
        ++it;
    }
    auto folder = std::make_shared<Folder>();
    folder->path = path;
    folder->fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folder->fd < 0 && errno == EACCES) {
        // A folder we may write but not list: it can still be written, not flushed.
        folder->fd = ::open(path.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        folder->syncable = false;
    }
    if (folder->fd < 0) {
        const int code = errno;
        if (code == ENOENT)
            failWith(error, reasonText(QT_TRANSLATE_NOOP("Reason", "the folder %1 does not exist")).arg(native(path)));
        else if (code == ENOTDIR)
            failWith(error, reasonText(QT_TRANSLATE_NOOP("Reason", "%1 is not a folder")).arg(native(path)));
        else
            failWith(error, systemError(code));
        return nullptr;
    }
    struct stat st;
    if (::fstat(folder->fd, &st) != 0) {
        failWith(error, systemError(errno));
        return nullptr;
    }
    folder->writable = st.st_mode & S_IWUSR;
    if (recent.size() >= 8)
        recent.erase(recent.begin());
    recent.push_back(folder);
    return folder;
}

// Opens the folder the file is (or will be) in, following the links on the way (the system
// does that for the folder; a file that is a link is resolved first), then judges the folder
// and an existing file by their permission bits.
bool openTarget(const QByteArray &encoded, Target &target, QString *error, bool resolved = false)
{
    if (encoded.isEmpty())
        return failWith(error, reasonText(QT_TRANSLATE_NOOP("Reason", "no file name was given")));
    const qsizetype slash = encoded.lastIndexOf('/');
    const QByteArray folderPath = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : encoded.left(slash);
    target.name = encoded.mid(slash + 1);
    if (target.name.isEmpty() || target.name == "." || target.name == "..")
        return failWith(error, reasonText(QT_TRANSLATE_NOOP("Reason", "%1 is a folder")).arg(native(encoded)));
    target.folder = openFolder(folderPath, error);
    if (!target.folder)
        return false;

    if (::fstatat(target.folder->fd, target.name.constData(), &target.st, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno != ENOENT)
            return failWith(error, systemError(errno));
        if (!target.folder->writable)
            return failWith(error,
                reasonText(QT_TRANSLATE_NOOP("Reason", "the folder %1 is read-only")).arg(native(target.folder->path)));
        return true; // a new file
    }
    if (S_ISLNK(target.st.st_mode) && !resolved) {
        // Saving through a link writes the file it leads to, judged in that file's folder.
        char full[PATH_MAX];
        if (!::realpath(encoded.constData(), full)) {
            // A link that leads nowhere (or round in circles) is not followed into a guess.
            return failWith(error,
                reasonText(QT_TRANSLATE_NOOP("Reason", "the link leads to no file (%1)")).arg(systemError(errno)));
        }
        target = Target();
        return openTarget(QByteArray(full), target, error, true);
    }
    if (!target.folder->writable)
        return failWith(error,
            reasonText(QT_TRANSLATE_NOOP("Reason", "the folder %1 is read-only")).arg(native(target.folder->path)));
    target.exists = true;
    if (S_ISDIR(target.st.st_mode))
        return failWith(error, reasonText(QT_TRANSLATE_NOOP("Reason", "%1 is a folder")).arg(native(encoded)));
    if (!S_ISREG(target.st.st_mode))
        return failWith(error, reasonText(QT_TRANSLATE_NOOP("Reason", "it is not a regular file")));
    if (!(target.st.st_mode & S_IWUSR))
        return failWith(error, reasonText(QT_TRANSLATE_NOOP("Reason", "the file is read-only")));
    return true;
}

// A hidden name that no other file in the folder has yet: a folder search never picks up a
// leftover, and a long file name still leaves room for it.
QByteArray hiddenName()
{
    static const char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    QByteArray name(".velmora-");
    for (int i = 0; i < 6; ++i)
        name += letters[QRandomGenerator::global()->bounded(int(sizeof letters - 1))];
    return name;
}

// Creates a new file under a fresh hidden name; returns its descriptor or -1 (errno set).
int createHidden(int folder, mode_t mode, QByteArray *name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        *name = hiddenName();
        const int fd = ::openat(folder, name->constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

} // namespace

void setWriteFailures(const WriteFailures &failures)
{
    g_failAfterBytes = failures.afterBytes;
    g_failFileFlush = failures.fileFlush;
    g_failRename = failures.rename;
    g_failFolderFlush = failures.folderFlush;
}

void setDurableCallObserver(std::function<void(const DurableCallRecord &record)> observer)
{
    g_observer = std::move(observer);
}

void setWriteFailureAfterBytes(qint64 bytes)
{
    WriteFailures failures;
    failures.afterBytes = bytes;
    setWriteFailures(failures);
}

bool checkReplaceable(const QString &path, QString *error)
{
    Target target;
    return openTarget(QFile::encodeName(path), target, error);
}

AtomicFileWriter::AtomicFileWriter(const QString &path)
    : m_path(path)
{
}

AtomicFileWriter::~AtomicFileWriter()
{
    cancel();
}

bool AtomicFileWriter::fail(const QString &reason)
{
    m_error = reason;
    cancel();
    return false;
}

bool AtomicFileWriter::failWithSystemError(const QString &what, int code)
{
    return fail(what.isEmpty() ? systemError(code) : QStringLiteral("%1: %2").arg(what, systemError(code)));
}

bool AtomicFileWriter::open()
{
    cancel();
    m_error.clear();
    Target target;
    if (!openTarget(QFile::encodeName(m_path), target, &m_error))
        return false;
    m_folder = std::move(target.folder);
    m_name = target.name;
    m_targetExisted = target.exists;

    // An existing file's contents must not be readable by others while they are written:
    // its copy starts private and gets the old permissions on commit. A new file gets the usual
    // ones, the system applying the umask (which a process cannot read without changing it).
    m_fd = createHidden(m_folder->fd, m_targetExisted ? 0600 : 0666, &m_temporaryName);
    if (m_fd < 0) {
        m_temporaryName.clear();
        return failWithSystemError(QString(), errno);
    }
    if (m_targetExisted) {
        m_targetMode = target.st.st_mode & 07777;
        m_targetOwner = target.st.st_uid;
        m_targetGroup = target.st.st_gid;
    }
    m_written = 0;
    m_finished = false;
    return true;
}

bool AtomicFileWriter::writeOut(const char *data, qint64 length)
{
    const qint64 failAfter = g_failAfterBytes;
    while (length > 0) {
        qint64 chunk = length;
        if (failAfter >= 0) {
            if (m_written >= failAfter)
                return failWithSystemError(QString(), ENOSPC);
            chunk = std::min(chunk, failAfter - m_written);
        }
        const ssize_t n = ::write(m_fd, data, size_t(chunk));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return failWithSystemError(QString(), errno);
        }
        data += n;
        length -= n;
        m_written += n;
    }
    return true;
}

bool AtomicFileWriter::flushBuffer()
{
    const bool ok = writeOut(m_buffer.constData(), m_buffer.size());
    m_buffer.resize(0); // keeps the capacity
    return ok;
}

bool AtomicFileWriter::write(const char *data, qint64 length)
{
    if (m_fd < 0 || m_finished)
        return false;
    if (length <= 0)
        return true;
    if (m_buffer.size() + length > kBufferSize) {
        if (!flushBuffer())
            return false;
        if (length >= kBufferSize)
            return writeOut(data, length);
    }
    // Grown as needed up to its limit: a small file takes little memory while it waits
    // in a group.
    m_buffer.append(data, qsizetype(length));
    return true;
}

bool AtomicFileWriter::copyFrom(const SourceFile &file, qint64 offset, qint64 length)
{
    if (m_fd < 0 || m_finished || !flushBuffer())
        return false;
    const int fd = file.descriptor();
    if (fd < 0)
        return ByteSink::copyFrom(file, offset, length);
    // Injected write failures count the bytes: those copies go through write().
    bool system = g_failAfterBytes < 0;
    while (length > 0) {
        if (system) {
            loff_t from = offset;
            const ssize_t n = ::copy_file_range(fd, &from, m_fd, nullptr, size_t(length), 0);
            if (n > 0) {
                offset += n;
                length -= n;
                m_written += n;
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n == 0)
                return fail(reasonText(QT_TRANSLATE_NOOP("Reason", "the file read is shorter than it was")));
            if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP && errno != EBADF)
                return failWithSystemError(QString(), errno);
            system = false; // not between these files: through memory
        }
        thread_local std::vector<char> buffer(kBufferSize);
        const ssize_t n = ::pread(fd, buffer.data(), size_t(std::min<qint64>(length, kBufferSize)), offset);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return n < 0 ? failWithSystemError(
                       reasonText(QT_TRANSLATE_NOOP("Reason", "the file read cannot be read again")), errno)
                         : fail(reasonText(QT_TRANSLATE_NOOP("Reason", "the file read is shorter than it was")));
        if (!writeOut(buffer.data(), n))
            return false;
        offset += n;
        length -= n;
    }
    return true;
}

// Gives the new file the old one's owner, group and permissions. Done after the last write:
// the system drops the set-user-ID and set-group-ID bits of a file that an unprivileged
// process writes to.
bool AtomicFileWriter::keepPermissions()
{
    struct stat mine;
    if (::fstat(m_fd, &mine) != 0)
        return failWithSystemError(QString(), errno);
    m_device = mine.st_dev;
    m_inode = mine.st_ino;
    if (!m_targetExisted)
        return true;
    if (mine.st_uid != m_targetOwner || mine.st_gid != m_targetGroup) {
        // Keep the owner and group where we may (root), or at least the group (a member).
        if (::fchown(m_fd, m_targetOwner, m_targetGroup) != 0)
            (void)::fchown(m_fd, uid_t(-1), m_targetGroup);
        if (::fstat(m_fd, &mine) != 0)
            return failWithSystemError(QString(), errno);
    }
    mode_t mode = m_targetMode;
    // Running a file as its owner or group must not turn into running it as us.
    if (mine.st_uid != m_targetOwner)
        mode &= ~mode_t(S_ISUID);
    if (mine.st_gid != m_targetGroup)
        mode &= ~mode_t(S_ISGID);
    if (::fchmod(m_fd, mode) != 0)
        return failWithSystemError(reasonText(QT_TRANSLATE_NOOP("Reason", "the permissions could not be kept")), errno);
    return true;
}

bool AtomicFileWriter::commit()
{
    if (!finishFile() || !replaceTarget())
        return false;
    // The rename lives in the folder: only flushing the folder makes it survive a power cut.
    return settle(m_folder->syncable ? flushFolder(m_folder->fd) : 0);
}

bool AtomicFileWriter::finishWriting()
{
    if (m_fd < 0)
        return false;
    if (!m_finished) {
        if (!flushBuffer() || !keepPermissions())
            return false;
        m_buffer = QByteArray(); // a file waiting in a group holds no buffer
        m_finished = true;
        report(DurableCall::FileWritten, true, m_fd);
    }
    return true;
}

// Writes what is buffered, gives the file its permissions and flushes it to the disk.
bool AtomicFileWriter::finishFile()
{
    if (!finishWriting())
        return false;
    if (const int code = flushFile(m_fd))
        return failWithSystemError(
            reasonText(QT_TRANSLATE_NOOP("Reason", "flushing the file to the disk failed")), code);
    return closeFile();
}

bool AtomicFileWriter::closeFile()
{
    if (m_fd >= 0 && ::close(std::exchange(m_fd, -1)) != 0)
        return failWithSystemError(reasonText(QT_TRANSLATE_NOOP("Reason", "writing the file failed")), errno);
    return true;
}

// Renames the new file over the target. The old version keeps a name until the new one is
// safely in place, so that a failure after the rename can still put it back: the two swap
// names, or where the file system cannot swap, the old one gets a second name first.
bool AtomicFileWriter::replaceTarget()
{
    const int folder = m_folder->fd;
    m_backup.clear();
    int code = 0;
    if (m_targetExisted) {
        code = renameIn(folder, m_temporaryName, m_name, true);
        if (code == 0) {
            m_backup = std::exchange(m_temporaryName, QByteArray());
            return true;
        }
        if (code != EINVAL && code != ENOSYS && code != ENOENT)
            return failWithSystemError(reasonText(QT_TRANSLATE_NOOP("Reason", "replacing the file failed")), code);
        for (int attempt = 0; attempt < 100 && code != ENOENT && m_backup.isEmpty(); ++attempt) {
            const QByteArray name = hiddenName();
            if (::linkat(folder, m_name.constData(), folder, name.constData(), 0) == 0)
                m_backup = name;
            else if (errno != EEXIST)
                break; // no hard links here, or the file is gone: no way back
        }
    }
    code = renameIn(folder, m_temporaryName, m_name, false);
    if (code != 0) {
        if (!m_backup.isEmpty())
            ::unlinkat(folder, m_backup.constData(), 0);
        m_backup.clear();
        return failWithSystemError(reasonText(QT_TRANSLATE_NOOP("Reason", "replacing the file failed")), code);
    }
    m_temporaryName.clear(); // it is the target now
    return true;
}

// After the folder was flushed (folderError 0) drops the old version; otherwise puts it back.
bool AtomicFileWriter::settle(int folderError)
{
    const QByteArray backup = std::exchange(m_backup, QByteArray());
    const int folder = m_folder->fd;
    if (folderError == 0) {
        if (!backup.isEmpty())
            ::unlinkat(folder, backup.constData(), 0);
        m_folder.reset();
        return true;
    }
    QString reason = reasonText(QT_TRANSLATE_NOOP("Reason", "flushing the folder to the disk failed: %1"))
                         .arg(systemError(folderError));
    if (!backup.isEmpty()) {
        if (::renameat(folder, backup.constData(), folder, m_name.constData()) != 0)
            reason += QStringLiteral("; ")
                + reasonText(QT_TRANSLATE_NOOP("Reason", "the old version is kept as %1")).arg(native(backup));
    } else if (!m_targetExisted) {
        ::unlinkat(folder, m_name.constData(), 0);
    } else {
        reason += QStringLiteral("; ")
            + reasonText(QT_TRANSLATE_NOOP("Reason", "the file holds the new version, which a power cut may undo"));
    }
    return fail(reason);
}

void AtomicFileWriter::cancel()
{
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
    if (!m_temporaryName.isEmpty() && m_folder)
        ::unlinkat(m_folder->fd, m_temporaryName.constData(), 0);
    m_temporaryName.clear();
    m_folder.reset();
    m_buffer = QByteArray();
}

bool AtomicFileGroup::add(std::unique_ptr<AtomicFileWriter> &file)
{
    if (!file || !file->finishWriting())
        return false;
    // The disk starts on a large file's data now, while the next files are prepared; the
    // flush of the group then finds less to do. Small files go out together in that flush.
    if (file->bytesWritten() >= kStartWritingBytes)
        (void)::sync_file_range(file->m_fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    // A group of more than one is flushed by file system, which needs no descriptor of the
    // files: they close as soon as a second comes (a file in a folder that cannot be flushed
    // stays open, to be flushed alone). A file that fails to close is not taken.
    if (!m_files.empty()) {
        if (file->m_folder->syncable && !file->closeFile())
            return false;
        AtomicFileWriter &first = *m_files.front();
        if (m_files.size() == 1 && first.m_fd >= 0 && first.m_folder->syncable)
            (void)first.closeFile(); // on failure it is cancelled, and commit() says why
    }
    m_bytes += file->bytesWritten();
    m_files.push_back(std::move(file));
    return true;
}

QStringList AtomicFileGroup::commit()
{
    std::vector<std::unique_ptr<AtomicFileWriter>> files = std::exchange(m_files, {});
    m_bytes = 0;
    QStringList results;
    for (size_t i = 0; i < files.size(); ++i)
        results.append(files[i]->m_folder ? QString() : files[i]->errorString());
    const auto failed = [&](size_t i) { return !results[qsizetype(i)].isEmpty(); };

    // 1. Every file's data to the disk. One file system flush serves all the files on it
    //    (flushing each file costs a journal commit apiece); a file still open (a group of
    //    one, a folder that cannot be flushed) is flushed alone.
    QHash<dev_t, int> fileSystemError;
    for (size_t i = 0; i < files.size(); ++i) {
        if (failed(i))
            continue;
        AtomicFileWriter &f = *files[i];
        int code = 0;
        if (f.m_fd >= 0) {
            code = flushFile(f.m_fd);
        } else {
            const auto known = fileSystemError.constFind(f.m_device);
            if (known != fileSystemError.constEnd()) {
                code = known.value();
            } else {
                code = flushFileSystem(f.m_folder->fd);
                fileSystemError.insert(f.m_device, code);
            }
        }
        if (code != 0) {
            f.failWithSystemError(
                reasonText(QT_TRANSLATE_NOOP("Reason", "flushing the file to the disk failed")), code);
            results[qsizetype(i)] = f.errorString();
        } else if (!f.closeFile()) {
            results[qsizetype(i)] = f.errorString();
        }
    }

    // 2. Each new version in place of its target.
    for (size_t i = 0; i < files.size(); ++i) {
        if (!failed(i) && !files[i]->replaceTarget())
            results[qsizetype(i)] = files[i]->errorString();
    }

    // 3. Each folder once, then each file settles with its folder's outcome.
    QHash<const WriteFolder *, int> folderError;
    for (size_t i = 0; i < files.size(); ++i) {
        if (failed(i))
            continue;
        AtomicFileWriter &f = *files[i];
        const WriteFolder *folder = f.m_folder.get();
        int code = 0;
        if (folder->syncable) {
            const auto known = folderError.constFind(folder);
            if (known != folderError.constEnd()) {
                code = known.value();
            } else {
                code = flushFolder(folder->fd);
                folderError.insert(folder, code);
            }
        }
        if (!f.settle(code))
            results[qsizetype(i)] = f.errorString();
    }
    return results;
}
