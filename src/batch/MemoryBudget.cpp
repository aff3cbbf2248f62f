#include "batch/MemoryBudget.h"

#include <algorithm>

#include <unistd.h>

MemoryBudget::MemoryBudget(quint64 limit)
    : m_limit(limit)
{
}

MemoryBudget &MemoryBudget::decodedRows()
{
    static MemoryBudget budget(defaultLimit());
    return budget;
}

quint64 MemoryBudget::defaultLimit()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGE_SIZE);
    const quint64 physical = pages > 0 && pageSize > 0 ? quint64(pages) * quint64(pageSize) : 0;
    return std::max(physical / 2, quint64(4) << 30);
}

void MemoryBudget::setLimit(quint64 limit)
{
    {
        std::lock_guard lock(m_mutex);
        m_limit = limit;
    }
    m_changed.notify_all();
}

quint64 MemoryBudget::limit() const
{
    std::lock_guard lock(m_mutex);
    return m_limit;
}

quint64 MemoryBudget::inUse() const
{
    std::lock_guard lock(m_mutex);
    return m_inUse;
}

quint64 MemoryBudget::peakInUse() const
{
    std::lock_guard lock(m_mutex);
    return m_peak;
}

void MemoryBudget::resetPeak()
{
    std::lock_guard lock(m_mutex);
    m_peak = m_inUse;
}

void MemoryBudget::acquire(quint64 bytes)
{
    if (bytes == 0)
        return;
    std::unique_lock lock(m_mutex);
    const quint64 ticket = m_nextTicket++;
    m_changed.wait(lock,
        [&] { return ticket == m_serving && (m_inUse == 0 || (bytes <= m_limit && m_inUse <= m_limit - bytes)); });
    m_inUse += bytes;
    m_peak = std::max(m_peak, m_inUse);
    ++m_serving;
    lock.unlock();
    // The next in line may fit too.
    m_changed.notify_all();
}

void MemoryBudget::release(quint64 bytes)
{
    if (bytes == 0)
        return;
    {
        std::lock_guard lock(m_mutex);
        m_inUse -= std::min(bytes, m_inUse);
    }
    m_changed.notify_all();
}
