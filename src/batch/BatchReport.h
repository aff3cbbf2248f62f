#pragma once

#include "batch/BatchRun.h"

#include <QList>
#include <QString>

// What a finished batch run tells the user: how many of the files were processed, and
// every file that failed with its reason and every file the run did not reach, as texts
// to show and to copy.
class BatchReport
{
public:
    BatchReport() = default;
    // results in list order, as BatchRun::process() gives them.
    BatchReport(const QList<BatchRun::FileResult> &results, bool cancelled);

    int total() const { return m_total; }
    int succeeded() const { return m_succeeded; }
    // Of those, the files a removal of metadata left as they were (nothing to remove).
    int unchanged() const { return m_unchanged; }
    bool wasCancelled() const { return m_cancelled; }
    // Files that were tried and failed, with their reasons, in list order.
    const QList<BatchRun::FileResult> &failures() const { return m_failures; }
    // Files a cancel left untouched, in list order.
    const QStringList &notProcessed() const { return m_notProcessed; }

    // "N of M files processed" (and how many had nothing to remove), as the command line
    // reports a run.
    QString tally() const;
    // "Processing complete", or that the run was cancelled.
    QString title() const;
    // The first line of summary(): how many files were processed.
    QString headline() const;
    // The counts, one line each: files processed, files in the batch, and, when there are
    // any, files with nothing to remove, files failed and files not processed.
    QString summary() const;
    // "path: reason" for every failed file, then the files not processed; empty when
    // every file was processed.
    QString details() const;
    // summary() and details(), as the user copies the report.
    QString text() const;

private:
    int m_total = 0;
    int m_succeeded = 0;
    int m_unchanged = 0;
    bool m_cancelled = false;
    QList<BatchRun::FileResult> m_failures;
    QStringList m_notProcessed;
};
