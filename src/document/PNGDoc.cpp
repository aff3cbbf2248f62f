#include "document/PNGDoc.h"

#include "core/PNGReader.h"
#include "core/PNGSource.h"
#include "core/RegularFile.h"
#include "core/SourceFile.h"
#include "core/Strings.h"
#include "core/TextChunks.h"
#include "document/PreviewLoader.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QSize>
#include <QThreadPool>
#include <QUrl>

#include <algorithm>
#include <limits>

namespace {

Q_LOGGING_CATEGORY(lcDocument, "velmora.document")

bool isFilterSpace(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

} // namespace

// One change of the chunks a save leaves out, as a step of the undo history.
class PNGDoc::LeaveOutEdit : public UndoCommand
{
public:
    LeaveOutEdit(PNGDoc *doc, QList<qsizetype> before, QList<qsizetype> after)
        : m_doc(doc)
        , m_before(std::move(before))
        , m_after(std::move(after))
    {
    }
    void redo() override { m_doc->setLeftOutChunks(m_after); }
    void undo() override { m_doc->setLeftOutChunks(m_before); }

private:
    PNGDoc *m_doc;
    QList<qsizetype> m_before;
    QList<qsizetype> m_after;
};

PNGDoc::PNGDoc(QObject *parent)
    : CommentListOwner(parent)
{
    connect(undoStack(), &UndoStack::cleanChanged, this, [this](bool clean) { emit modifiedChanged(!clean); });
    m_imageCheck = new PreviewLoader(this, checkThreadPool());
    connect(m_imageCheck, &PreviewLoader::progressChanged, this, &PNGDoc::imageDataCheckProgress);
    connect(m_imageCheck, &PreviewLoader::finished, this, [this] {
        setImageDataChecked(QString());
        emit imageDataCheckEnded();
    });
    connect(m_imageCheck, &PreviewLoader::failed, this, [this](const QString &reason, bool damaged) {
        if (damaged)
            setImageDataChecked(reason);
        emit imageDataCheckEnded();
    });
}

PNGDoc::~PNGDoc() = default;

// --- The file -----------------------------------------------------------------------------

bool PNGDoc::readFromPath(const QString &path)
{
    if (path.isEmpty())
        return false;
    m_info.path = QFileInfo(path).absoluteFilePath();
    emit pathChanged(m_info.path);
    return true;
}

bool PNGDoc::loadPNG(QString *error)
{
    // Read into a record of its own: a failed read must not take away an image read
    // earlier, or the edits made since could never be saved.
    PNGinfo info;
    info.path = m_info.path;
    PNGRows rows;
    CommentList read;
    QString reason;
    // Editing the entries needs no pixels: the image data is kept as read, and without
    // decoded rows to hold, an image of any size opens.
    PNGReadOptions options;
    options.decodeImage = false;
    options.memoryLimit = std::numeric_limits<quint64>::max();
    if (!::loadPNG(info, rows, read, options, &reason)) {
        if (!m_loaded) {
            m_info = info;
            m_rows = std::move(rows);
            m_summary = ImageSummary::loadFailed();
            // What can be read before the damage is shown (the window keeps it read-only).
            QByteArray bytes;
            if (readRegularFile(info.path, options.maxFileSize, &bytes))
                resetComments(textBeforeDamage(bytes));
        }
        if (error)
            *error = reason;
        emit summaryChanged();
        emit loadFailed(reason);
        return false;
    }
    m_info = info;
    m_rows = std::move(rows);
    m_loaded = true;
    m_imageCheck->cancel();
    m_imageDataChecked = false;
    m_imageDataDamage.clear();
    m_summary = ImageSummary::forImage(m_info);
    resetComments(read);
    setLeftOutChunks({});
    qCInfo(lcDocument, "Physical size: %02f x %02f inches", double(float(m_info.width) / 72.0f),
        double(float(m_info.height) / 72.0f));
    emit summaryChanged();
    emit loaded();
    return true;
}

bool PNGDoc::write(const QString &path, QString *error)
{
    // Every comment is written, also those the search filter hides, apart from those a PNG
    // file cannot hold, which stay in the list to be mended; comments without keyword cannot
    // be written and leave the list (a step of its own) once the file holds the rest.
    CommentList writable;
    QStringList skipped;
    for (const auto &comment : allComments()) {
        const QString reason = whyUnwritable(*comment);
        if (reason.isEmpty())
            writable.append(comment);
        else
            skipped.append(reason);
    }
    // Re-encoding needs the pixels: decoded for this save only.
    PNGRows decoded;
    if (m_writeOptions.recompress && !m_rows.hasPixels() && m_rows.source()) {
        QString reason;
        if (!decodeImageRows(m_rows, decoded, &reason)) {
            if (error)
                *error = reasonText(QT_TRANSLATE_NOOP("Reason", "the image cannot be decoded: %1")).arg(reason);
            return false;
        }
    }
    PNGWriteOptions options = m_writeOptions;
    if (m_rows.source())
        options.leftOutChunks = StripPlan::chunkContents(*m_rows.source(), m_leftOutChunks);
    if (!savePNG(path, m_info, decoded.hasPixels() ? decoded : m_rows, writable, options, error))
        return false;
    m_skipped = skipped;
    for (const QString &reason : std::as_const(skipped))
        qCInfo(lcDocument, "Entry not saved: %s", qUtf8Printable(reason));
    CommentList unnamed;
    for (const auto &comment : allComments()) {
        if (!comment->isValid())
            unnamed.append(comment);
    }
    removeComments(unnamed, localizedString("StepRemoveUnnamed"));
    return true;
}

std::shared_ptr<const SourceFile> PNGDoc::file() const
{
    return m_rows.source() ? m_rows.source()->file : nullptr;
}

void PNGDoc::setImageDataChecked(const QString &damage)
{
    // An answer from elsewhere (the picture's decode) makes a check of our own needless.
    m_imageCheck->cancel();
    m_imageDataChecked = true;
    m_imageDataDamage = damage;
    if (!damage.isEmpty())
        qCWarning(lcDocument, "Damaged image data in %s: %s", qUtf8Printable(m_info.path), qUtf8Printable(damage));
    emit imageDataChecked(damage);
}

QThreadPool *PNGDoc::checkThreadPool()
{
    static QThreadPool *pool = PreviewLoader::newThreadPool();
    return pool;
}

bool PNGDoc::startImageDataCheck()
{
    if (m_imageDataChecked || !file())
        return false;
    if (m_imageCheck->isRunning())
        return true;
    // The smallest picture: every row is still decoded, and nothing is kept.
    m_imageCheck->start(file(), QSize(1, 1));
    return true;
}

void PNGDoc::cancelImageDataCheck()
{
    m_imageCheck->cancel();
}

bool PNGDoc::isCheckingImageData() const
{
    return m_imageCheck->isRunning();
}

bool PNGDoc::saveImage(QString *error)
{
    if (!write(m_info.path, error))
        return false;
    emit saved();
    return true;
}

bool PNGDoc::saveTo(const QString &path, DocumentError *error)
{
    qCInfo(lcDocument, "Saving to URL: %s", qUtf8Printable(QUrl::fromLocalFile(path).toString()));
    QString reason;
    if (path.isEmpty() || !write(path, &reason)) {
        if (error) {
            *error = DocumentError();
            error->reason = path.isEmpty() ? reasonText(QT_TRANSLATE_NOOP("Reason", "no file name was given")) : reason;
        }
        return false;
    }
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (absolute != m_info.path) {
        m_info.path = absolute;
        emit pathChanged(absolute);
    }
    // The file lacks the entries that were skipped: no state of the list is saved.
    setModified(!m_skipped.isEmpty());
    emit saved();
    return true;
}

bool PNGDoc::revert(QString *error)
{
    if (!loadPNG(error))
        return false;
    setModified(false);
    return true;
}

void PNGDoc::setModified(bool modified)
{
    if (modified)
        undoStack()->resetClean();
    else
        undoStack()->setClean();
}

// --- Removing metadata --------------------------------------------------------------

StripPlan PNGDoc::removalPlan() const
{
    return StripPlan::make(allComments(), m_rows.source(), StripRules(), StripPlan::Descriptions::Yes, m_leftOutChunks);
}

bool PNGDoc::removeMetadata(const StripPlan &plan)
{
    CommentList entries;
    QList<qsizetype> chunks = m_leftOutChunks;
    const qsizetype chunkCount = m_rows.source() ? qsizetype(m_rows.source()->chunks.size()) : 0;
    for (const StripItem &item : plan.items) {
        if (!item.chosen)
            continue;
        if (item.kind == StripItem::Kind::TextEntry && contains(item.entry))
            entries.append(item.entry);
        else if (item.kind == StripItem::Kind::Chunk && item.chunk >= 0 && item.chunk < chunkCount
            && !chunks.contains(item.chunk))
            chunks.append(item.chunk);
    }
    if (entries.isEmpty() && chunks == m_leftOutChunks)
        return false;
    const QString step = localizedString("StepRemoveMetadata");
    UndoMacro macro(*undoStack(), step);
    if (!entries.isEmpty())
        removeComments(entries, step);
    if (chunks != m_leftOutChunks)
        undoStack()->push(std::make_unique<LeaveOutEdit>(this, m_leftOutChunks, chunks));
    return true;
}

PrivacyFacts PNGDoc::privacyFacts() const
{
    return PrivacyFacts::of(allComments(), m_rows.source(), m_leftOutChunks);
}

void PNGDoc::setLeftOutChunks(const QList<qsizetype> &chunks)
{
    if (chunks == m_leftOutChunks)
        return;
    m_leftOutChunks = chunks;
    emit leftOutChunksChanged();
}

// --- Search filter --------------------------------------------------------------------

QString PNGDoc::trimmedSearchText(const QString &text)
{
    qsizetype start = 0, end = text.size();
    while (start < end && isFilterSpace(text[start]))
        ++start;
    while (end > start && isFilterSpace(text[end - 1]))
        --end;
    return text.sliced(start, end - start);
}

bool PNGDoc::passesFilter(const PNGComment &comment, const QString &filter, bool inTexts)
{
    if (filter.isEmpty())
        return true;
    return !comment.keyword().isEmpty()
        && (comment.keyword().contains(filter, Qt::CaseInsensitive)
            || (inTexts && comment.text().contains(filter, Qt::CaseInsensitive)));
}

void PNGDoc::setSearchInTexts(bool on)
{
    if (on == m_searchInTexts)
        return;
    m_searchInTexts = on;
    if (!m_filter.isEmpty())
        rearrange();
    emit searchInTextsChanged(on);
}

void PNGDoc::setSearchText(const QString &text)
{
    if (text == m_searchText)
        return;
    m_searchText = text;
    m_filter = trimmedSearchText(text);
    rearrange();
    emit searchTextChanged(text);
}

void PNGDoc::revealComments(const CommentList &entering)
{
    if (m_filter.isEmpty())
        return;
    const bool hidden = std::any_of(entering.cbegin(), entering.cend(),
        [this](const CommentPtr &c) { return !passesFilter(*c, m_filter, m_searchInTexts); });
    if (!hidden)
        return;
    m_searchText.clear();
    m_filter.clear();
    rearrange();
    emit searchTextChanged(m_searchText);
}
