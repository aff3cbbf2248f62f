#include "core/RegularFile.h"
#include "core/Strings.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

// The system's text for an error number (strerror is not safe in the batch's threads).
QString systemError(int code)
{
    return qt_error_string(code);
}

// Closes the descriptor on every way out.
struct Descriptor
{
    int fd = -1;
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
};

} // namespace

int openRegularFile(const QString &path, qint64 maxSize, struct stat *st, QString *error)
{
    // Plain system calls: this runs once per file of a batch.
    Descriptor file;
    file.fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (file.fd < 0) {
        const int code = errno;
        if (code == ENOENT)
            return fail(error, reasonText(QT_TRANSLATE_NOOP("Reason", "the file does not exist"))), -1;
        return fail(error, reasonText(QT_TRANSLATE_NOOP("Reason", "cannot open the file: %1")).arg(systemError(code))),
               -1;
    }
    if (::fstat(file.fd, st) != 0)
        return fail(error, reasonText(QT_TRANSLATE_NOOP("Reason", "cannot read the file: %1")).arg(systemError(errno))),
               -1;
    if (S_ISDIR(st->st_mode))
        return fail(error, reasonText(QT_TRANSLATE_NOOP("Reason", "it is a folder, not a file"))), -1;
    if (!S_ISREG(st->st_mode))
        return fail(error, reasonText(QT_TRANSLATE_NOOP("Reason", "it is not a regular file"))), -1;
    if (st->st_size > maxSize)
        return fail(error,
                   reasonText(QT_TRANSLATE_NOOP("Reason", "the file is too large (%1 bytes)"))
                       .arg(qint64(st->st_size))),
               -1;
    return std::exchange(file.fd, -1);
}

bool readOpenFile(int fd, const struct stat &st, qint64 maxSize, QByteArray *bytes, QString *error)
{
    // Read until the end, whatever size the file claimed, but never past the limit.
    QByteArray data;
    data.resize(st.st_size > 0 ? qsizetype(st.st_size) : 0);
    qsizetype filled = 0;
    for (;;) {
        // Full as claimed: a small read into probe tells the end from a file that grew,
        // without doubling a large buffer first.
        char probe[4096];
        const bool full = filled == data.size();
        if (full && data.size() > maxSize)
            break;
        char *to = full ? probe : data.data() + filled;
        const ssize_t n = ::read(fd, to, full ? sizeof probe : size_t(data.size() - filled));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return fail(
                error, reasonText(QT_TRANSLATE_NOOP("Reason", "cannot read the file: %1")).arg(systemError(errno)));
        if (n == 0)
            break;
        if (!full) {
            filled += n;
            continue;
        }
        data.resize(qsizetype(std::min<qint64>(maxSize + 1, std::max<qint64>(4096, qint64(data.size()) * 2))));
        const qsizetype taken = std::min<qsizetype>(n, data.size() - filled);
        std::copy(probe, probe + taken, data.data() + filled);
        filled += taken;
    }
    if (filled > maxSize)
        return fail(
            error, reasonText(QT_TRANSLATE_NOOP("Reason", "the file is too large (more than %1 bytes)")).arg(maxSize));
    data.resize(filled);
    *bytes = std::move(data);
    return true;
}

bool readRegularFile(const QString &path, qint64 maxSize, QByteArray *bytes, QString *error)
{
    struct stat st;
    Descriptor file;
    file.fd = openRegularFile(path, maxSize, &st, error);
    return file.fd >= 0 && readOpenFile(file.fd, st, maxSize, bytes, error);
}
