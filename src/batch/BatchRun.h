#pragma once

#include "core/PNGComment.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

// One batch run: writes one comment list into many PNG files in place.
//
// Each file is read into a record of its own; unless clear-existing is on, its own text
// entries are carried over after the batch comments; invalid batch comments (no keyword)
// are left out; every text is macro-expanded against that file (the date read afresh for
// each entry); the file is written back through a temporary file, so a file that fails
// stays exactly as it was. Texts are written uncompressed (iTXt for non-ASCII text).
// The batch comments themselves are never changed.
class BatchRun
{
public:
    struct FileResult
    {
        QString path;
        bool ok = false;
        QString error; // why it failed
        bool cancelled = false; // not processed: the run was cancelled before this file
    };

    struct Options
    {
        bool clearExisting = false;
        // The batch comments replace the file's own entries with the same keyword (exact,
        // case-sensitive) instead of being written beside them.
        bool replaceSameKeyword = false;
        // Decode every image (checks the image data) rather than only the chunk structure,
        // the CRCs and the header. The compressed image data is kept either way.
        bool verifyImage = true;
        bool recompress = false;
        // Files processed at once; 1 processes them one after the other in list order. More
        // than maxThreads() are not started.
        int threads = 1;
    };

    // Called after each file with the number done so far; from a worker thread when
    // threads > 1, one call at a time. It must not throw.
    using Progress = std::function<void(int done, int total, const FileResult &result)>;

    BatchRun(QStringList files, CommentList comments, Options options);

    // Processes one file; true when it was rewritten, otherwise false with *error set and
    // the file as it was. Its decoded rows are taken from the process-wide budget
    // (MemoryBudget::decodedRows()): it waits until they fit. May throw std::bad_alloc.
    bool processFile(const QString &path, QString *error = nullptr) const;

    // Processes every file. A path listed twice is processed twice, the second pass after
    // the first. Results come in list order; files not reached after a cancel are marked
    // as not processed. A file that fails, even for want of memory, fails alone with its
    // reason; no exception from the processing of a file leaves the run.
    QList<FileResult> process(const Progress &progress = {});

    // The most files processed at once: a small multiple of the processor cores (the work
    // waits on the disk as much as on the processor).
    static int maxThreads();

    // Stops a run between files; safe to call from another thread.
    void cancel() { m_cancelled = true; }
    bool wasCancelled() const { return m_cancelled; }

    static int successCount(const QList<FileResult> &results);
    // The completion message: title and informative text.
    static QString completionTitle();
    static QString completionText(int successCount);

private:
    QStringList m_files;
    CommentList m_comments;
    Options m_options;
    std::atomic<bool> m_cancelled { false };
};
