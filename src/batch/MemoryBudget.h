#pragma once

#include <QtGlobal>

#include <condition_variable>
#include <mutex>
#include <utility>

// An allowance of bytes shared by threads: each takes what it needs before it allocates and
// gives it back when it is done, so that many workers over huge images never hold more
// decoded rows at once than the machine can bear. Requests are served in the order they
// come; one larger than the whole allowance waits until nothing else is held and then runs
// alone. Thread-safe.
class MemoryBudget
{
public:
    explicit MemoryBudget(quint64 limit);

    // The process-wide budget of decoded-row bytes that batch runs share.
    static MemoryBudget &decodedRows();
    // Half the physical memory, and never less than the 4 GiB one image may take.
    static quint64 defaultLimit();

    // A new limit applies to every request from now on; waiting requests check it again.
    void setLimit(quint64 limit);
    quint64 limit() const;
    quint64 inUse() const;
    // The most that was held at once since the last resetPeak().
    quint64 peakInUse() const;
    void resetPeak();

    // Blocks until bytes fit beside what is held (see above). Never fails.
    void acquire(quint64 bytes);
    void release(quint64 bytes);

    // Holds what it acquired until it is destroyed.
    class Reservation
    {
    public:
        explicit Reservation(MemoryBudget &budget)
            : m_budget(budget)
        {
        }
        ~Reservation() { m_budget.release(m_bytes); }
        Reservation(const Reservation &) = delete;
        Reservation &operator=(const Reservation &) = delete;
        // Holds bytes from now on; what it held before is given back first, so that it never
        // waits for itself.
        void acquire(quint64 bytes)
        {
            m_budget.release(std::exchange(m_bytes, 0));
            m_budget.acquire(bytes);
            m_bytes = bytes;
        }

    private:
        MemoryBudget &m_budget;
        quint64 m_bytes = 0;
    };

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    quint64 m_limit = 0;
    quint64 m_inUse = 0;
    quint64 m_peak = 0;
    quint64 m_nextTicket = 0; // handed to each request in turn
    quint64 m_serving = 0; // the ticket whose turn it is
};
