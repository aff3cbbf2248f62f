#pragma once

#include "batch/BatchJob.h"

#include <QSemaphore>

#include <memory>

// Holds a batch run after each file until the test lets it go on, so a test knows exactly
// how far the run got when it looks (no timing involved). Going out of scope lets the
// run go on freely, so a test that fails half-way still ends: declare it after the
// processor or window that runs.
class RunPacer
{
public:
    ~RunPacer() { m_gates->go.release(1 << 20); }

    BatchJob::FileObserver observer() const
    {
        return [gates = m_gates](const BatchRun::FileResult &) {
            gates->arrived.release();
            gates->go.acquire();
        };
    }
    // Waits until the run has finished one more file and waits in turn.
    bool waitForFile() { return m_gates->arrived.tryAcquire(1, 60000); }
    void letGo(int files = 1) { m_gates->go.release(files); }

private:
    struct Gates
    {
        QSemaphore arrived;
        QSemaphore go;
    };
    std::shared_ptr<Gates> m_gates = std::make_shared<Gates>();
};
