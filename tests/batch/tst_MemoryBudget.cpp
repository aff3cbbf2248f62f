#include "batch/MemoryBudget.h"

#include <QtTest>

#include <atomic>
#include <limits>
#include <thread>

// The budget is what keeps many batch workers over huge images from holding more rows than
// the machine has: requests that do not fit must wait, in the order they came.
class tst_MemoryBudget : public QObject
{
    Q_OBJECT

    // A request made on its own thread; done() says whether it has been granted.
    struct Request
    {
        MemoryBudget &budget;
        std::atomic<bool> granted { false };
        std::thread thread;
        Request(MemoryBudget &b, quint64 bytes)
            : budget(b)
            , thread([this, bytes] {
                budget.acquire(bytes);
                granted = true;
            })
        {
        }
        ~Request()
        {
            if (!granted) // a failed check: let it through rather than hang
                budget.setLimit(std::numeric_limits<quint64>::max());
            thread.join();
        }
        // Whether it is granted within a while (long enough for a thread that could go on).
        bool grantedSoon() const
        {
            for (int i = 0; i < 200 && !granted; ++i)
                QThread::msleep(5);
            return granted;
        }
        bool stillWaiting() const
        {
            QThread::msleep(100);
            return !granted;
        }
    };

private Q_SLOTS:
    void requestsWaitUntilTheyFit_data()
    {
        QTest::addColumn<quint64>("held");
        QTest::addColumn<quint64>("asked");
        QTest::addColumn<bool>("waits");
        QTest::addColumn<bool>("newLimit"); // what lets a waiting request through: a limit of 200, else a release
        QTest::newRow("fits beside what is held") << quint64(40) << quint64(60) << false << false;
        QTest::newRow("one byte too many") << quint64(40) << quint64(61) << true << false;
        QTest::newRow("a new limit wakes it") << quint64(90) << quint64(50) << true << true;
        QTest::newRow("larger than the limit, nothing held") << quint64(0) << quint64(250) << false << false;
        QTest::newRow("larger than the limit, something held") << quint64(1) << quint64(250) << true << false;
    }
    void requestsWaitUntilTheyFit()
    {
        QFETCH(quint64, held);
        QFETCH(quint64, asked);
        QFETCH(bool, waits);
        QFETCH(bool, newLimit);
        MemoryBudget budget(100);
        budget.acquire(held);
        {
            Request request(budget, asked);
            if (waits) {
                QVERIFY(request.stillWaiting());
                newLimit ? budget.setLimit(200) : budget.release(held);
            }
            QVERIFY(request.grantedSoon());
        }
        QCOMPARE(budget.inUse(), waits && !newLimit ? asked : held + asked);
        QCOMPARE(budget.peakInUse(), std::max(held, budget.inUse()));
    }

    void servedInTheOrderAsked()
    {
        // A large request that waits is not overtaken by small ones that would fit.
        MemoryBudget budget(100);
        budget.acquire(50);
        Request large(budget, 80);
        QVERIFY(large.stillWaiting());
        Request small(budget, 10);
        QVERIFY(small.stillWaiting());
        budget.release(50);
        QVERIFY(large.grantedSoon());
        QVERIFY(small.grantedSoon());
        QCOMPARE(budget.inUse(), quint64(90));
    }

    void reservationGivesBackWhatItHolds()
    {
        MemoryBudget budget(100);
        {
            MemoryBudget::Reservation reservation(budget);
            reservation.acquire(70);
            QCOMPARE(budget.inUse(), quint64(70));
            // Asking again replaces what it held instead of waiting for itself.
            reservation.acquire(90);
            QCOMPARE(budget.inUse(), quint64(90));
        }
        QCOMPARE(budget.inUse(), quint64(0));
        QVERIFY(MemoryBudget::defaultLimit() >= quint64(4) << 30);
    }
};

QTEST_GUILESS_MAIN(tst_MemoryBudget)
#include "tst_MemoryBudget.moc"
