#include "core/SourceFile.h"
#include "core/Strings.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <unistd.h>

SourceFile::SourceFile(QByteArray whole)
    : m_held(std::move(whole))
    , m_runs { Run { 0, m_held.size() } }
    , m_heldAt { 0 }
    , m_size(m_held.size())
{
}

SourceFile::SourceFile(int descriptor, const struct stat &asRead, QByteArray held, std::vector<Run> runs)
    : m_held(std::move(held))
    , m_runs(std::move(runs))
    , m_size(asRead.st_size)
    , m_fd(descriptor)
    , m_modifiedSeconds(asRead.st_mtim.tv_sec)
    , m_modifiedNanoseconds(asRead.st_mtim.tv_nsec)
{
    qint64 at = 0;
    for (const Run &run : m_runs) {
        m_heldAt.push_back(at);
        at += run.length;
    }
}

SourceFile::~SourceFile()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

qsizetype SourceFile::runBefore(qint64 offset) const
{
    const auto it = std::upper_bound(
        m_runs.begin(), m_runs.end(), offset, [](qint64 value, const Run &run) { return value < run.offset; });
    return qsizetype(it - m_runs.begin()) - 1;
}

const char *SourceFile::held(qint64 offset, qint64 length) const
{
    if (offset < 0 || length < 0 || offset > m_size - length)
        return nullptr;
    const qsizetype i = runBefore(offset);
    if (i < 0)
        return nullptr;
    const Run &run = m_runs[size_t(i)];
    if (offset + length > run.offset + run.length)
        return nullptr;
    return m_held.constData() + m_heldAt[size_t(i)] + (offset - run.offset);
}

bool SourceFile::unchanged(QString *error) const
{
    if (m_fd < 0)
        return true;
    struct stat now;
    if (::fstat(m_fd, &now) != 0) {
        if (error)
            *error = reasonText(QT_TRANSLATE_NOOP("Reason", "the file cannot be read again: %1"))
                         .arg(qt_error_string(errno));
        return false;
    }
    // The time of change of the inode moves when the file is replaced (its last name goes),
    // which leaves the bytes read intact: only the contents' time and the size count.
    if (now.st_size != m_size || now.st_mtim.tv_sec != m_modifiedSeconds
        || now.st_mtim.tv_nsec != m_modifiedNanoseconds) {
        if (error)
            *error = reasonText(QT_TRANSLATE_NOOP(
                "Reason", "the file was changed by another program since it was opened (open it again)"));
        return false;
    }
    return true;
}

bool SourceFile::read(qint64 offset, qint64 length, char *out, QString *error) const
{
    if (offset < 0 || length < 0 || offset > m_size - length) {
        if (error)
            *error = reasonText(QT_TRANSLATE_NOOP("Reason", "the file is shorter than it was"));
        return false;
    }
    if (const char *bytes = held(offset, length)) {
        std::memcpy(out, bytes, size_t(length));
        return true;
    }
    // Not held whole: read from the file in one go (what is held of it is the file's too).
    if (m_fd < 0 || !unchanged(error))
        return false;
    while (length > 0) {
        const ssize_t got = ::pread(m_fd, out, size_t(length), offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0) {
            if (error)
                *error = got < 0 ? reasonText(QT_TRANSLATE_NOOP("Reason", "the file cannot be read again: %1"))
                                       .arg(qt_error_string(errno))
                                 : reasonText(QT_TRANSLATE_NOOP("Reason", "the file is shorter than it was"));
            return false;
        }
        out += got;
        offset += got;
        length -= got;
    }
    return true;
}

bool SourceFile::readAll(QByteArray *out, QString *error) const
{
    if (m_fd < 0) {
        *out = m_held;
        return true;
    }
    QByteArray all(qsizetype(m_size), Qt::Uninitialized);
    if (!read(0, m_size, all.data(), error) || !unchanged(error))
        return false;
    *out = std::move(all);
    return true;
}
