#pragma once

#include "core/PreviewDecoder.h"

#include <QObject>
#include <QSize>
#include <QString>

#include <memory>

class QThreadPool;

// Decodes the picture of a PNG file off the GUI thread, into a preview that fits a box
// (see PreviewDecoder): the window shows its entries at once and the picture when it is
// ready. Decodes of every window share one thread pool of the core count, so opening many
// large files at once queues them instead of starving the GUI.
//
// Signals arrive on the loader's thread. A new start(), cancel() or the loader's
// destruction stops the decode in flight between two rows; its result is never delivered.
// A loader may run on a pool of its own instead (the document's check of its image data,
// which must not wait behind the pictures of other windows).
class PreviewLoader : public QObject
{
    Q_OBJECT

public:
    explicit PreviewLoader(QObject *parent = nullptr, QThreadPool *pool = threadPool());
    ~PreviewLoader() override;

    // The pool every preview decode runs on.
    static QThreadPool *threadPool();
    // A pool of one thread per core, never destroyed (its jobs may outlive every window).
    static QThreadPool *newThreadPool();

    // Decodes the file at path, a PNG file held in memory (shared, not copied) or a file as
    // it was read (SourceFile: a document's).
    void start(const QString &path, const QSize &box);
    void start(const QByteArray &bytes, const QSize &box);
    void start(std::shared_ptr<const SourceFile> file, const QSize &box);
    void cancel();
    bool isRunning() const { return m_running; }
    // Running, and a thread of the pool decodes it (it no longer waits for one).
    bool isDecoding() const;

    // The last finished preview (empty before one finished or after a failure).
    const PreviewImage &preview() const { return m_preview; }
    // Why the last decode failed (empty when it did not).
    QString errorString() const { return m_error; }

signals:
    // Percent of the rows decoded, at most once per step.
    void progressChanged(int percent);
    void finished();
    // damaged: the image data itself is unsound (PreviewDecoder), not merely the preview
    // out of reach (memory, an unreadable file).
    void failed(const QString &reason, bool damaged);

private:
    struct Job;

    void run(const std::shared_ptr<Job> &job, const QSize &box);
    void deliver(const std::shared_ptr<Job> &job);

    QThreadPool *m_pool = nullptr;
    std::shared_ptr<Job> m_job;
    PreviewImage m_preview;
    QString m_error;
    bool m_running = false;
};
