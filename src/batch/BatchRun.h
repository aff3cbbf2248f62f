#pragma once

#include "core/PNGComment.h"
#include "provenance/StripPlan.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <memory>
#include <optional>

class AtomicFileWriter;
struct PNGinfo;

// One batch run: writes one comment list into many PNG files in place, or removes their
// metadata (Options::strip).
//
// Each file is read into a record of its own; invalid batch comments (no keyword) are left
// out; the batch texts are macro-expanded against that file (the date read afresh for each
// entry) and put in front of the file's own entries, which are carried over unchanged
// (byte for byte, macros and all) unless clear-existing is on. The file is spliced
// (savePNG()): every other chunk and the image data stay as they were. New texts are
// written uncompressed (iTXt for non-ASCII text). The batch comments themselves are never
// changed.
//
// Each file is written through a temporary file beside it, so a file that fails stays
// exactly as it was. A run commits the files in groups (AtomicFileGroup): a file counts as
// done only once its group is safely on the disk.
class BatchRun
{
public:
    struct FileResult
    {
        QString path;
        bool ok = false;
        QString error; // why it failed
        bool cancelled = false; // not processed: the run was cancelled before this file
        bool unchanged = false; // ok, but not rewritten: a removal found nothing to remove
    };

    struct Options
    {
        bool clearExisting = false;
        // Batch entries replace the file's own entries of the same keyword (exactly equal)
        // instead of standing beside them.
        bool replaceSameKeyword = false;
        // Check the image data of every file (it inflates to the size the header implies, with
        // the right checksum and valid row filters: ImageDataCheck) rather than only the
        // chunk structure, the CRCs and the header. The compressed image data is kept either
        // way.
        bool verifyImage = true;
        // Decode every image with the PNG library and encode it again.
        bool recompress = false;
        // Files processed at once; 1 processes them one after the other in list order. More
        // than maxThreads() are not started. Callers without a choice take defaultThreads().
        int threads = 1;
        // A worker puts the files it wrote in place in groups of at most this many (and
        // 64 MB, and what a second gathers): one flush of the disk for the group. A file is
        // reported once it is in place. 1 puts each file in place before the next is read.
        int groupFiles = 4096;
        // Instead of writing the comments: remove what these rules say from each file (the
        // chosen items of StripPlan), keeping everything else byte for byte. A file with
        // nothing to remove is not rewritten.
        std::optional<StripRules> strip;
    };

    // Called after each file with the number finished so far (files a cancel left out are
    // reported without counting); from a worker thread when threads > 1, one call at a time.
    // It must not throw.
    using Progress = std::function<void(int done, int total, const FileResult &result)>;

    BatchRun(QStringList files, CommentList comments, Options options);

    // Processes one file; true when it was rewritten (or, removing metadata, had nothing to
    // remove: *unchanged then true), otherwise false with *error set and the file as it was. The memory its image data
    // needs to be checked or decoded is taken from the process-wide budget (MemoryBudget::decodedRows()): it waits
    // until it fits. May throw std::bad_alloc.
    bool processFile(const QString &path, QString *error = nullptr, bool *unchanged = nullptr) const;

    // Why a list of batch comments cannot be written into files (whyUnwritable() of the
    // first that cannot), or a null string. Comments without keyword are left out of a run
    // and do not count. Each file of a run would refuse such a list (savePNG()); callers ask
    // first, to say so once before they gather or touch anything.
    static QString whyUnwritable(const CommentList &comments);

    // Processes every file. A path listed twice is processed twice, the second pass after
    // the first. Results come in list order; files not reached after a cancel are marked
    // as not processed. A file that fails, even for want of memory, fails alone with its
    // reason; no exception from the processing of a file leaves the run.
    QList<FileResult> process(const Progress &progress = {});

    // The files processed at once unless the user chose: one per processor core.
    static int defaultThreads();
    // The most files processed at once: a small multiple of the processor cores (the work
    // waits on the disk as much as on the processor).
    static int maxThreads();

    // Stops a run between files; safe to call from another thread.
    void cancel() { m_cancelled = true; }
    bool wasCancelled() const { return m_cancelled; }

    static int successCount(const QList<FileResult> &results);

private:
    // Reads the file and writes its new version into a temporary file beside it, which the
    // caller commits; null with *error set when the file cannot be processed, null with
    // *unchanged set when there is nothing to write.
    std::unique_ptr<AtomicFileWriter> prepareFile(const QString &path, QString *error, bool *unchanged) const;
    // The comments written into a file whose own are these.
    CommentList commentsFor(const PNGinfo &info, CommentList own) const;

    QStringList m_files;
    CommentList m_comments;
    Options m_options;
    std::atomic<bool> m_cancelled { false };
};
