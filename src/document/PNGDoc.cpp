#include "document/PNGDoc.h"

#include "core/PNGReader.h"
#include "core/TextMacros.h"
#include "interchange/CommentListAdapter.h"
#include "interchange/PasteboardFormats.h"

#include <QFileInfo>
#include <QLoggingCategory>
#include <QMimeData>
#include <QSet>
#include <QUrl>

#include <algorithm>

namespace {

Q_LOGGING_CATEGORY(lcDocument, "velmora.document")

bool isFilterSpace(QChar c)
{
    return c == u'\t' || c.category() == QChar::Separator_Space;
}

} // namespace

PNGDoc::PNGDoc(QObject *parent)
    : QObject(parent)
{
}

PNGDoc::~PNGDoc()
{
    // Comments may outlive the document (on the clipboard, in a view's snapshot); they
    // must not call back into it.
    for (const auto &comment : std::as_const(m_comments)) {
        if (comment->container() == this)
            comment->setContainer(nullptr);
    }
}

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
    if (!::loadPNG(info, rows, read, {}, &reason)) {
        if (!m_loaded) {
            m_info = info;
            m_rows = std::move(rows);
            m_summary = ImageSummary::loadFailed();
        }
        if (error)
            *error = reason;
        emit summaryChanged();
        emit loadFailed(reason);
        return false;
    }
    m_info = info;
    m_rows = std::move(rows);
    for (const auto &comment : std::as_const(m_comments)) {
        if (comment->container() == this)
            comment->setContainer(nullptr);
    }
    m_comments = read;
    m_loaded = true;
    m_summary = ImageSummary::forImage(m_info);
    listChanged();
    qCInfo(lcDocument, "Physical size: %02f x %02f inches", double(float(m_info.width) / 72.0f),
        double(float(m_info.height) / 72.0f));
    emit summaryChanged();
    emit loaded();
    return true;
}

bool PNGDoc::write(const QString &path, QString *error)
{
    // Every comment is written, also those the search filter hides; comments without
    // keyword cannot be written and leave the list once the file holds the rest.
    if (!savePNG(path, m_info, m_rows, m_comments, m_writeOptions, error))
        return false;
    if (removeInvalidComments(m_comments) > 0)
        listChanged();
    return true;
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
            error->reason = path.isEmpty() ? QStringLiteral("no file name was given") : reason;
        }
        return false;
    }
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (absolute != m_info.path) {
        m_info.path = absolute;
        emit pathChanged(absolute);
    }
    setModified(false);
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
    if (m_modified == modified)
        return;
    m_modified = modified;
    emit modifiedChanged(modified);
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

bool PNGDoc::passesFilter(const PNGComment &comment, const QString &filter)
{
    if (filter.isEmpty())
        return true;
    return !comment.keyword().isEmpty() && comment.keyword().contains(filter, Qt::CaseInsensitive);
}

void PNGDoc::setSearchText(const QString &text)
{
    if (text == m_searchText)
        return;
    m_searchText = text;
    m_filter = trimmedSearchText(text);
    listChanged();
    emit searchTextChanged(text);
}

void PNGDoc::revealInserted(const CommentList &inserted)
{
    if (m_filter.isEmpty())
        return;
    const bool hidden = std::any_of(
        inserted.cbegin(), inserted.cend(), [this](const CommentPtr &c) { return !passesFilter(*c, m_filter); });
    if (!hidden)
        return;
    m_searchText.clear();
    m_filter.clear();
    emit searchTextChanged(m_searchText);
}

// --- The comment list -----------------------------------------------------------------

void PNGDoc::listChanged()
{
    m_arranged.clear();
    for (const auto &comment : std::as_const(m_comments)) {
        if (passesFilter(*comment, m_filter))
            m_arranged.append(comment);
    }
    emit commentsChanged();
}

CommentPtr PNGDoc::commentAt(int row) const
{
    return row >= 0 && row < m_arranged.size() ? m_arranged[row] : nullptr;
}

CommentList PNGDoc::commentsAtRows(const QList<int> &rows) const
{
    CommentList result;
    for (int row : rows) {
        if (CommentPtr comment = commentAt(row))
            result.append(comment);
    }
    return result;
}

void PNGDoc::removeByIdentity(const CommentList &doomed)
{
    // A removed comment may live on (on the clipboard, in an undo record); it must not
    // call back into this document.
    for (const auto &comment : doomed) {
        if (comment && comment->container() == this && m_comments.contains(comment))
            comment->setContainer(nullptr);
    }
    removeCommentsByIdentity(m_comments, doomed);
}

int PNGDoc::addMetadataField()
{
    auto comment = makeComment();
    comment->setContainer(this);
    m_comments.append(comment);
    revealInserted({ comment });
    listChanged();
    updateChangeCount();
    return rowCount() - 1;
}

void PNGDoc::removeMetadataField(const QList<int> &rows)
{
    if (rows.isEmpty())
        return;
    QList<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end(), std::greater<int>());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    for (int row : std::as_const(sorted)) {
        if (CommentPtr comment = commentAt(row)) {
            removeByIdentity({ comment });
            listChanged();
        }
    }
    updateChangeCount();
}

void PNGDoc::deleteRows(const QList<int> &rows)
{
    const CommentList doomed = commentsAtRows(rows);
    if (!doomed.isEmpty()) {
        removeByIdentity(doomed);
        listChanged();
    }
    updateChangeCount();
}

void PNGDoc::deleteAll()
{
    if (!m_arranged.isEmpty()) {
        removeByIdentity(m_arranged);
        listChanged();
    }
    updateChangeCount();
}

bool PNGDoc::copy(const QList<int> &rows, QMimeData *mime) const
{
    if (rows.isEmpty() || !mime)
        return false;
    return writeRows(*this, QList<qsizetype>(rows.cbegin(), rows.cend()), mime);
}

bool PNGDoc::cut(const QList<int> &rows, QMimeData *mime)
{
    const bool copied = copy(rows, mime);
    deleteRows(rows);
    return copied;
}

bool PNGDoc::paste(const QMimeData *mime, int selectedRow)
{
    return insertDataFromPasteboard(*this, mime, selectedRow < 0 ? rowCount() : selectedRow);
}

bool PNGDoc::setData(int row, Column column, const QString &value)
{
    const CommentPtr comment = commentAt(row);
    if (!comment)
        return false;
    if (column == KeywordColumn) {
        comment->setKeyword(value);
    } else if (column == TextColumn) {
        // Expanded exactly once: a comment whose container is a document would expand
        // again on setText, so a file name holding a macro name would be expanded twice.
        CommentContainer *container = comment->container();
        comment->setContainer(nullptr);
        comment->setText(processedTextForPNG(value, m_info));
        comment->setContainer(container);
    } else {
        return false;
    }
    listChanged();
    updateChangeCount();
    return true;
}

void PNGDoc::addText(const QString &text, const QString &keyword)
{
    if (keyword.isEmpty())
        return;
    auto comment = makeComment();
    comment->setKeyword(keyword);
    comment->setText(text);
    m_comments.append(comment);
    revealInserted({ comment });
    listChanged();
    updateChangeCount();
}

void PNGDoc::removeCommentsForKey(const QString &keyword)
{
    if (keyword.isEmpty())
        return;
    removeByIdentity(commentsWithKeyword(m_arranged, keyword));
    listChanged();
    updateChangeCount();
}

void PNGDoc::insertObject(const CommentPtr &comment, int index)
{
    if (!comment)
        return;
    comment->setContainer(this);
    insertInterchangeComments(index, { comment });
}

void PNGDoc::removeObjectFromComments(int index)
{
    if (CommentPtr comment = commentAt(index)) {
        removeByIdentity({ comment });
        listChanged();
    }
}

bool PNGDoc::beginDrag(const QList<int> &rows, QMimeData *mime)
{
    m_draggedRows = rows;
    return copy(rows, mime);
}

bool PNGDoc::acceptDrop(const QMimeData *mime, int row, bool sourceIsThisTable)
{
    CommentList originals;
    if (sourceIsThisTable && m_draggedRows) {
        originals = commentsAtRows(*m_draggedRows);
        m_draggedRows.reset();
    }
    if (!originals.isEmpty()) {
        // A drag within this table moves the comments themselves: copies read back from
        // the clipboard forms would have their macros expanded and lose the iTXt details.
        // The dropped data is still read, so a drop that brings nothing moves nothing.
        CommentList dropped;
        CommentListAdapter reader(dropped);
        if (!insertDataFromPasteboard(reader, mime, 0))
            return false;
        if (!dropped.isEmpty())
            moveCommentsToRow(m_comments, m_arranged, row, originals);
        listChanged();
        updateChangeCount();
        return true;
    }
    // The drop row taken as unsigned: a negative row means the end of the list.
    const int position = unsigned(row) < unsigned(rowCount()) ? row : rowCount();
    return insertDataFromPasteboard(*this, mime, position);
}

// --- CommentContainer -----------------------------------------------------------------

void PNGDoc::refreshCommentTable()
{
    listChanged();
}

// --- CommentListTarget ----------------------------------------------------------------

void PNGDoc::insertInterchangeComments(qsizetype position, const CommentList &comments)
{
    if (comments.isEmpty())
        return;
    // A position of the arranged list maps onto the comment it names; the end of the
    // arranged list is the end of the whole list.
    qsizetype at
        = position >= 0 && position < m_arranged.size() ? m_comments.indexOf(m_arranged[position]) : m_comments.size();
    for (const auto &comment : comments)
        m_comments.insert(at++, comment);
    revealInserted(comments);
    listChanged();
}

void PNGDoc::removeInterchangeComments(const CommentList &comments)
{
    if (comments.isEmpty())
        return;
    removeByIdentity(comments);
    listChanged();
}

void PNGDoc::interchangeFinished(Operation)
{
    refreshCommentTable();
    updateChangeCount();
}
