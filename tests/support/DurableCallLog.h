#pragma once

#include "core/SafeFile.h"

#include <QHash>
#include <QString>

#include <mutex>
#include <vector>

// Records the system calls that make new versions durable (setDurableCallObserver) while it
// lives, from any thread, and judges their order: a test of any writer or batch then fails
// when a file replaced its target before its data reached the disk, or its folder was not
// flushed after the rename.
class DurableCallLog
{
public:
    DurableCallLog()
    {
        setDurableCallObserver([this](const DurableCallRecord &record) {
            std::lock_guard lock(m_mutex);
            m_records.push_back(record);
        });
    }
    ~DurableCallLog() { setDurableCallObserver({}); }
    DurableCallLog(const DurableCallLog &) = delete;
    DurableCallLog &operator=(const DurableCallLog &) = delete;

    // The number of calls so far: a mark for what happened before a moment (a file reported done).
    qsizetype mark() const
    {
        std::lock_guard lock(m_mutex);
        return qsizetype(m_records.size());
    }
    int count(DurableCall call) const
    {
        std::lock_guard lock(m_mutex);
        return int(std::count_if(
            m_records.begin(), m_records.end(), [call](const DurableCallRecord &r) { return r.ok && r.call == call; }));
    }

    // Empty when every successful rename put in place a file whose data were flushed (the
    // file, or its whole file system) after its last byte was written, and its folder was
    // flushed after the rename (before the mark given for the target's name, when given);
    // otherwise what went wrong first.
    QString violation(const QHash<QByteArray, qsizetype> &doneAt = {}) const
    {
        std::lock_guard lock(m_mutex);
        const auto &log = m_records;
        for (size_t i = 0; i < log.size(); ++i) {
            const DurableCallRecord &rename = log[i];
            if (rename.call != DurableCall::Rename || !rename.ok)
                continue;
            const QString name = QString::fromUtf8(rename.name);
            size_t written = i;
            while (written-- > 0) {
                const DurableCallRecord &r = log[written];
                if (r.call == DurableCall::FileWritten && r.device == rename.device && r.file == rename.file)
                    break;
            }
            if (written == size_t(-1))
                return QStringLiteral("%1 was renamed without being written").arg(name);
            const bool flushed
                = std::any_of(log.begin() + qsizetype(written), log.begin() + qsizetype(i), [&](const auto &r) {
                      return r.ok && r.device == rename.device
                          && ((r.call == DurableCall::FileFlush && r.file == rename.file)
                              || r.call == DurableCall::FileSystemFlush);
                  });
            if (!flushed)
                return QStringLiteral("%1 replaced its target before its data were flushed").arg(name);
            const qsizetype end = doneAt.value(rename.name, qsizetype(log.size()));
            const bool folderFlushed = std::any_of(log.begin() + qsizetype(i), log.begin() + end, [&](const auto &r) {
                return r.ok && r.call == DurableCall::FolderFlush && r.device == rename.device
                    && r.folder == rename.folder;
            });
            if (!folderFlushed)
                return QStringLiteral("the folder of %1 was not flushed after the rename").arg(name);
        }
        return QString();
    }

private:
    mutable std::mutex m_mutex;
    std::vector<DurableCallRecord> m_records;
};
