#include "core/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>

#include <sys/stat.h>

namespace {
std::atomic<qint64> g_failAfter { -1 };
}

void setWriteFailureAfterBytes(qint64 bytes)
{
    g_failAfter = bytes;
}

qint64 writeFailureAfterBytes()
{
    return g_failAfter;
}

bool checkReplaceable(const QString &path, QString *error)
{
    auto fail = [&](const QString &reason) {
        if (error)
            *error = reason;
        return false;
    };
    // Plain stat calls: this runs once per file of a batch.
    const QString folder = QFileInfo(path).absolutePath();
    struct stat st;
    if (::stat(QFile::encodeName(folder).constData(), &st) != 0)
        return fail(QStringLiteral("the folder %1 does not exist").arg(QDir::toNativeSeparators(folder)));
    if (!S_ISDIR(st.st_mode))
        return fail(QStringLiteral("%1 is not a folder").arg(QDir::toNativeSeparators(folder)));
    if (!(st.st_mode & S_IWUSR))
        return fail(QStringLiteral("the folder %1 is read-only").arg(QDir::toNativeSeparators(folder)));
    if (::stat(QFile::encodeName(path).constData(), &st) == 0) {
        if (S_ISDIR(st.st_mode))
            return fail(QStringLiteral("%1 is a folder").arg(QDir::toNativeSeparators(path)));
        if (!(st.st_mode & S_IWUSR))
            return fail(QStringLiteral("the file is read-only"));
    }
    return true;
}

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
constexpr qsizetype kBufferSize = 1 << 20;

QString systemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}
} // namespace

AtomicFileWriter::AtomicFileWriter(const QString &path)
    : m_path(path)
{
}

AtomicFileWriter::~AtomicFileWriter()
{
    cancel();
}

bool AtomicFileWriter::open()
{
    // Saving through a link writes the file it leads to, not a new file in its place.
    char resolved[PATH_MAX];
    if (::realpath(QFile::encodeName(m_path).constData(), resolved))
        m_target = QByteArray(resolved);
    else
        m_target = QFile::encodeName(QFileInfo(m_path).absoluteFilePath());
    // A short hidden name beside the target, so that a folder search never picks up a
    // leftover and a long file name still leaves room for it.
    const qsizetype slash = m_target.lastIndexOf('/');
    m_temporaryPath = m_target.left(slash + 1) + ".velmora-XXXXXX";
    m_fd = ::mkstemp(m_temporaryPath.data());
    if (m_fd < 0) {
        m_error = systemError();
        m_temporaryPath.clear();
        return false;
    }
    struct stat st;
    // New files get the usual permissions; read the process's mask once.
    static const mode_t mask = [] {
        const mode_t m = ::umask(0);
        ::umask(m);
        return m;
    }();
    mode_t mode = 0666 & ~mask;
    if (::stat(m_target.constData(), &st) == 0) {
        mode = st.st_mode & 07777;
        // Keep the owner and group too, where we may (as root); otherwise they are ours.
        if (::fchown(m_fd, st.st_uid, st.st_gid) != 0)
            errno = 0;
    }
    ::fchmod(m_fd, mode);
    m_buffer.reserve(kBufferSize);
    return true;
}

bool AtomicFileWriter::flushBuffer()
{
    const char *p = m_buffer.constData();
    qsizetype left = m_buffer.size();
    while (left > 0) {
        const ssize_t n = ::write(m_fd, p, size_t(left));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            m_error = systemError();
            return false;
        }
        p += n;
        left -= n;
    }
    m_buffer.clear();
    return true;
}

bool AtomicFileWriter::write(const char *data, qint64 length)
{
    if (m_fd < 0)
        return false;
    if (m_buffer.size() + length > kBufferSize && !flushBuffer())
        return false;
    if (length >= kBufferSize) {
        m_buffer = QByteArray::fromRawData(data, qsizetype(length));
        const bool ok = flushBuffer();
        m_buffer = QByteArray();
        m_buffer.reserve(kBufferSize);
        return ok;
    }
    m_buffer.append(data, qsizetype(length));
    return true;
}

bool AtomicFileWriter::commit()
{
    if (m_fd < 0)
        return false;
    bool ok = flushBuffer();
    if (ok && ::fdatasync(m_fd) != 0) {
        m_error = systemError();
        ok = false;
    }
    if (::close(m_fd) != 0 && ok) {
        m_error = systemError();
        ok = false;
    }
    m_fd = -1;
    if (ok && ::rename(m_temporaryPath.constData(), m_target.constData()) != 0) {
        m_error = systemError();
        ok = false;
    }
    if (ok)
        m_temporaryPath.clear();
    else
        cancel();
    return ok;
}

void AtomicFileWriter::cancel()
{
    if (m_fd >= 0) {
        ::close(m_fd);
        m_fd = -1;
    }
    if (!m_temporaryPath.isEmpty()) {
        ::unlink(m_temporaryPath.constData());
        m_temporaryPath.clear();
    }
}
