#include "core/SafeFile.h"

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

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qsizetype kBufferSize = 1 << 20;

std::atomic<qint64> g_failAfterBytes { -1 };
std::atomic<bool> g_failFileFlush { false };
std::atomic<bool> g_failRename { false };
std::atomic<bool> g_failFolderFlush { false };
std::function<void(DurableStep, const QString &)> g_durableStepObserver;

void notify(DurableStep step, const QString &path)
{
    if (g_durableStepObserver)
        g_durableStepObserver(step, path);
}

// The system's text for an error number (strerror is not safe in the batch's threads).
QString systemError(int code)
{
    return qt_error_string(code);
}

QString native(const QByteArray &path)
{
    return QDir::toNativeSeparators(QFile::decodeName(path));
}

// The file a save writes: its folder, opened, and its name there. Every later step works
// relative to that open folder, so the checks and the write concern the same place even if
// a link on the way is changed meanwhile.
struct Target
{
    int folder = -1;
    bool folderSyncable = true; // false: the folder could only be opened for lookups
    QByteArray folderPath;
    QByteArray name;
    bool exists = false;
    struct stat st = {};

    Target() = default;
    Target(const Target &) = delete;
    Target &operator=(const Target &) = delete;
    ~Target() { close(); }
    void close()
    {
        if (folder >= 0)
            ::close(folder);
        folder = -1;
    }
    int releaseFolder() { return std::exchange(folder, -1); }
};

bool failWith(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

// Follows every link of path and opens the folder the file is (or will be) in, then judges
// the folder and an existing file by their permission bits.
bool openTarget(const QString &path, Target &target, QString *error)
{
    const QByteArray encoded = QFile::encodeName(path);
    if (encoded.isEmpty())
        return failWith(error, QStringLiteral("no file name was given"));
    char resolved[PATH_MAX];
    QByteArray full;
    if (::realpath(encoded.constData(), resolved)) {
        full = resolved;
    } else {
        const int code = errno;
        struct stat st;
        if (::lstat(encoded.constData(), &st) == 0) {
            // A link that leads nowhere (or round in circles) is not followed into a guess.
            if (S_ISLNK(st.st_mode))
                return failWith(error, QStringLiteral("the link leads to no file (%1)").arg(systemError(code)));
            return failWith(error, systemError(code));
        }
        // A new file: its folder must exist.
        const qsizetype slash = encoded.lastIndexOf('/');
        const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : encoded.left(slash);
        const QByteArray name = encoded.mid(slash + 1);
        if (name.isEmpty() || name == "." || name == "..")
            return failWith(error, QStringLiteral("%1 is a folder").arg(native(encoded)));
        if (!::realpath(folder.constData(), resolved)) {
            const int folderCode = errno;
            if (folderCode == ENOENT)
                return failWith(error, QStringLiteral("the folder %1 does not exist").arg(native(folder)));
            if (folderCode == ENOTDIR)
                return failWith(error, QStringLiteral("%1 is not a folder").arg(native(folder)));
            return failWith(error, systemError(folderCode));
        }
        full = QByteArray(resolved);
        if (!full.endsWith('/'))
            full += '/';
        full += name;
    }

    const qsizetype slash = full.lastIndexOf('/');
    target.folderPath = slash == 0 ? QByteArray("/") : full.left(slash);
    target.name = full.mid(slash + 1);
    if (target.name.isEmpty())
        return failWith(error, QStringLiteral("%1 is a folder").arg(native(full)));
    target.folder = ::open(target.folderPath.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (target.folder < 0 && errno == EACCES) {
        // A folder we may write but not list: it can still be written, not flushed.
        target.folder = ::open(target.folderPath.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
        target.folderSyncable = false;
    }
    if (target.folder < 0) {
        const int code = errno;
        if (code == ENOTDIR)
            return failWith(error, QStringLiteral("%1 is not a folder").arg(native(target.folderPath)));
        return failWith(error, systemError(code));
    }
    struct stat folderStat;
    if (::fstat(target.folder, &folderStat) != 0)
        return failWith(error, systemError(errno));
    if (!(folderStat.st_mode & S_IWUSR))
        return failWith(error, QStringLiteral("the folder %1 is read-only").arg(native(target.folderPath)));

    if (::fstatat(target.folder, target.name.constData(), &target.st, AT_SYMLINK_NOFOLLOW) == 0) {
        target.exists = true;
        if (S_ISDIR(target.st.st_mode))
            return failWith(error, QStringLiteral("%1 is a folder").arg(native(full)));
        if (!S_ISREG(target.st.st_mode))
            return failWith(error, QStringLiteral("it is not a regular file"));
        if (!(target.st.st_mode & S_IWUSR))
            return failWith(error, QStringLiteral("the file is read-only"));
    } else if (errno != ENOENT) {
        return failWith(error, systemError(errno));
    }
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

void setDurableStepObserver(std::function<void(DurableStep step, const QString &path)> observer)
{
    g_durableStepObserver = std::move(observer);
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
    return openTarget(path, target, error);
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
    if (!openTarget(m_path, target, &m_error))
        return false;
    m_folderSyncable = target.folderSyncable;
    m_folderPath = target.folderPath;
    m_folder = target.releaseFolder();
    m_name = target.name;
    m_targetExisted = target.exists;

    // An existing file's contents must not be readable by others while they are written:
    // its copy starts private and gets the old permissions on commit. A new file gets the usual
    // ones, the system applying the umask (which a process cannot read without changing it).
    m_fd = createHidden(m_folder, m_targetExisted ? 0600 : 0666, &m_temporaryName);
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
    if (m_fd < 0)
        return false;
    if (length <= 0)
        return true;
    if (m_buffer.size() + length > kBufferSize) {
        if (!flushBuffer())
            return false;
        if (length >= kBufferSize)
            return writeOut(data, length);
    }
    // Reserved on first use: a file written in one large piece needs no buffer.
    if (m_buffer.capacity() < kBufferSize)
        m_buffer.reserve(kBufferSize);
    m_buffer.append(data, qsizetype(length));
    return true;
}

// Gives the new file the old one's owner, group and permissions. Done after the last write:
// the system drops the set-user-ID and set-group-ID bits of a file that an unprivileged
// process writes to.
bool AtomicFileWriter::keepPermissions()
{
    if (!m_targetExisted)
        return true;
    struct stat mine;
    if (::fstat(m_fd, &mine) != 0)
        return failWithSystemError(QString(), errno);
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
        return failWithSystemError(QStringLiteral("the permissions could not be kept"), errno);
    return true;
}

bool AtomicFileWriter::commit()
{
    if (!finishFile() || !replaceTarget())
        return false;
    // The rename lives in the folder: only flushing the folder makes it survive a power cut.
    // File systems that cannot flush a folder say so with EINVAL; there is nothing more to do.
    int code = 0;
    if (g_failFolderFlush)
        code = EIO;
    else if (m_folderSyncable && ::fsync(m_folder) != 0 && errno != EINVAL && errno != EROFS)
        code = errno;
    if (code == 0)
        notify(DurableStep::FolderFlushed, QFile::decodeName(m_folderPath));
    return settle(code);
}

bool AtomicFileWriter::finishWriting()
{
    if (m_fd < 0)
        return false;
    if (!m_finished && (!flushBuffer() || !keepPermissions()))
        return false;
    m_finished = true;
    return true;
}

// Writes what is buffered, gives the file its permissions and flushes it to the disk.
bool AtomicFileWriter::finishFile()
{
    if (!finishWriting())
        return false;
    if (g_failFileFlush || ::fsync(m_fd) != 0)
        return failWithSystemError(
            QStringLiteral("flushing the file to the disk failed"), g_failFileFlush ? EIO : errno);
    if (::close(std::exchange(m_fd, -1)) != 0)
        return failWithSystemError(QStringLiteral("writing the file failed"), errno);
    notify(DurableStep::FileFlushed, m_path);
    return true;
}

// Renames the new file over the target. The old version keeps a second name until the new
// one is safely in place, so that a failure after the rename can still put it back.
bool AtomicFileWriter::replaceTarget()
{
    m_backup.clear();
    if (m_targetExisted) {
        for (int attempt = 0; attempt < 100 && m_backup.isEmpty(); ++attempt) {
            const QByteArray name = hiddenName();
            if (::linkat(m_folder, m_name.constData(), m_folder, name.constData(), 0) == 0)
                m_backup = name;
            else if (errno != EEXIST)
                break; // no hard links here, or the file is gone: no way back
        }
    }
    if (g_failRename || ::renameat(m_folder, m_temporaryName.constData(), m_folder, m_name.constData()) != 0) {
        const int code = g_failRename ? EIO : errno;
        if (!m_backup.isEmpty())
            ::unlinkat(m_folder, m_backup.constData(), 0);
        m_backup.clear();
        return failWithSystemError(QStringLiteral("replacing the file failed"), code);
    }
    m_temporaryName.clear(); // it is the target now
    notify(DurableStep::Replaced, m_path);
    return true;
}

// After the folder was flushed (folderError 0) drops the old version; otherwise puts it back.
bool AtomicFileWriter::settle(int folderError)
{
    const QByteArray backup = std::exchange(m_backup, QByteArray());
    if (folderError == 0) {
        if (!backup.isEmpty())
            ::unlinkat(m_folder, backup.constData(), 0);
        ::close(std::exchange(m_folder, -1));
        return true;
    }
    QString reason = QStringLiteral("flushing the folder to the disk failed: %1").arg(systemError(folderError));
    if (!backup.isEmpty()) {
        if (::renameat(m_folder, backup.constData(), m_folder, m_name.constData()) != 0)
            reason += QStringLiteral("; the old version is kept as %1").arg(native(backup));
    } else if (!m_targetExisted) {
        ::unlinkat(m_folder, m_name.constData(), 0);
    } else {
        reason += QStringLiteral("; the file holds the new version, which a power cut may undo");
    }
    return fail(reason);
}

void AtomicFileWriter::cancel()
{
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
    if (!m_temporaryName.isEmpty() && m_folder >= 0)
        ::unlinkat(m_folder, m_temporaryName.constData(), 0);
    m_temporaryName.clear();
    if (m_folder >= 0)
        ::close(std::exchange(m_folder, -1));
    m_buffer.resize(0);
}

bool AtomicFileGroup::add(std::unique_ptr<AtomicFileWriter> &file)
{
    if (!file || !file->finishWriting())
        return false;
    // The disk starts on the file's data now, while the next files are prepared; the flush
    // of the group then finds less to do.
    (void)::sync_file_range(file->m_fd, 0, 0, SYNC_FILE_RANGE_WRITE);
    const qint64 written = file->bytesWritten();
    m_files.push_back(std::move(file));
    m_bytes += written;
    return true;
}

QStringList AtomicFileGroup::commit()
{
    std::vector<std::unique_ptr<AtomicFileWriter>> files = std::exchange(m_files, {});
    m_bytes = 0;
    QStringList results;
    for (size_t i = 0; i < files.size(); ++i)
        results.append(QString());
    const auto failed = [&](size_t i) { return !results[qsizetype(i)].isEmpty(); };

    // 1. Every file's data to the disk. One file system flush serves all the files on it
    //    (flushing each file costs a journal commit apiece); a file whose folder cannot be
    //    opened for it, or a group of one, is flushed alone.
    QHash<dev_t, int> fileSystemError;
    for (size_t i = 0; i < files.size(); ++i) {
        AtomicFileWriter &f = *files[i];
        struct stat st;
        int code = 0;
        if (g_failFileFlush) {
            code = EIO;
        } else if (files.size() > 1 && f.m_folderSyncable && ::fstat(f.m_fd, &st) == 0) {
            const auto known = fileSystemError.constFind(st.st_dev);
            if (known != fileSystemError.constEnd()) {
                code = known.value();
            } else {
                code = ::syncfs(f.m_folder) == 0 ? 0 : errno;
                fileSystemError.insert(st.st_dev, code);
            }
        } else if (::fsync(f.m_fd) != 0) {
            code = errno;
        }
        if (code != 0) {
            f.failWithSystemError(QStringLiteral("flushing the file to the disk failed"), code);
            results[qsizetype(i)] = f.errorString();
            continue;
        }
        if (::close(std::exchange(f.m_fd, -1)) != 0) {
            f.failWithSystemError(QStringLiteral("writing the file failed"), errno);
            results[qsizetype(i)] = f.errorString();
            continue;
        }
        notify(DurableStep::FileFlushed, f.m_path);
    }

    // 2. Each new version in place of its target.
    for (size_t i = 0; i < files.size(); ++i) {
        if (!failed(i) && !files[i]->replaceTarget())
            results[qsizetype(i)] = files[i]->errorString();
    }

    // 3. Each folder once, then each file settles with its folder's outcome.
    QHash<QPair<dev_t, ino_t>, int> folderError;
    for (size_t i = 0; i < files.size(); ++i) {
        if (failed(i))
            continue;
        AtomicFileWriter &f = *files[i];
        int code = 0;
        struct stat st;
        if (g_failFolderFlush) {
            code = EIO;
        } else if (f.m_folderSyncable && ::fstat(f.m_folder, &st) == 0) {
            const QPair<dev_t, ino_t> key(st.st_dev, st.st_ino);
            const auto known = folderError.constFind(key);
            if (known != folderError.constEnd()) {
                code = known.value();
            } else {
                code = ::fsync(f.m_folder) != 0 && errno != EINVAL && errno != EROFS ? errno : 0;
                folderError.insert(key, code);
                if (code == 0)
                    notify(DurableStep::FolderFlushed, QFile::decodeName(f.m_folderPath));
            }
        }
        if (!f.settle(code))
            results[qsizetype(i)] = f.errorString();
    }
    return results;
}
