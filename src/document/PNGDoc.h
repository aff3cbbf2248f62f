#pragma once

#include "core/CommentContainer.h"
#include "core/ImageSummary.h"
#include "core/PNGComment.h"
#include "core/PNGRows.h"
#include "core/PNGWriter.h"
#include "core/PNGinfo.h"
#include "document/DocumentError.h"
#include "interchange/CommentListTarget.h"

#include <QList>
#include <QObject>
#include <QString>

#include <optional>

class QMimeData;

// One open PNG file: its image record, decoded rows and comments, the search filter that
// narrows the comments to the arranged list, and the modified state. Row numbers are
// positions in the arranged list (the comments whose keyword contains the search text).
//
// Every edit emits commentsChanged() once the list is in its new state; a view compares
// the arranged list before and after. Loading replaces all comments; saving writes all
// comments, including those the search filter hides.
class PNGDoc : public QObject, public CommentContainer, public CommentListTarget
{
    Q_OBJECT

public:
    enum Column { KeywordColumn = 0, TextColumn = 1 };

    explicit PNGDoc(QObject *parent = nullptr);
    ~PNGDoc() override;

    // --- The file ---------------------------------------------------------------------

    // Names the document's file (made absolute); nothing is read. False for an empty path.
    bool readFromPath(const QString &path);
    QString path() const { return m_info.path; }

    // Reads path() into the record, the rows and the comments. On success every comment
    // is replaced by the file's. On failure (false, *error the reason) the comments stay
    // as they were; an image read before stays too (record, rows and summary), so the
    // document can still be saved. Without one the record is zero apart from the path
    // and the summary shows the load-failed lines.
    bool loadPNG(QString *error = nullptr);
    bool isLoaded() const { return m_loaded; }
    ImageSummary summary() const { return m_summary; }
    const PNGinfo &info() const { return m_info; }
    const PNGRows &rows() const { return m_rows; }

    // Direct save to path(); the modified state is left alone. False with the reason when
    // the file could not be written (it is then unchanged, as is the comment list).
    bool saveImage(QString *error = nullptr);
    // Save to a location (the document's own or another): on success path() becomes that
    // location and the document is unmodified. On failure path() and the comments are
    // unchanged and *error holds domain "Velmora", code 27 and the reason.
    bool saveTo(const QString &path, DocumentError *error = nullptr);
    // Reads the file again; on success the document is unmodified. On failure as loadPNG:
    // the image read before, the edited comments and the modified state are kept.
    bool revert(QString *error = nullptr);

    PNGWriteOptions writeOptions() const { return m_writeOptions; }
    void setWriteOptions(const PNGWriteOptions &options) { m_writeOptions = options; }

    bool isModified() const { return m_modified; }
    void setModified(bool modified);
    // Counts one change: the document becomes modified.
    void updateChangeCount() { setModified(true); }

    // --- Search filter ----------------------------------------------------------------

    QString searchText() const { return m_searchText; }
    // The text as typed; the filter is that text without leading and trailing tabs and
    // space separators. An empty filter shows every comment.
    void setSearchText(const QString &text);
    static QString trimmedSearchText(const QString &text);
    // Whether a comment passes a (trimmed) filter: its keyword contains the filter,
    // ignoring case. A comment without keyword passes only the empty filter.
    static bool passesFilter(const PNGComment &comment, const QString &filter);

    // --- The comment list -------------------------------------------------------------

    // The arranged list, in list order.
    CommentList comments() const { return m_arranged; }
    // Every comment, also those the filter hides.
    const CommentList &allComments() const { return m_comments; }
    int rowCount() const { return int(m_arranged.size()); }
    // nullptr outside 0 … rowCount() - 1.
    CommentPtr commentAt(int row) const;

    // Appends a blank comment (this document as its container) and returns its row. A
    // blank comment passes no filter, so an active filter is cleared first.
    int addMetadataField();
    // Removes the comments at rows one by one, the highest row first. Counts a change
    // when at least one row is given.
    void removeMetadataField(const QList<int> &rows);
    // Removes the comments at rows in one step; counts a change even for no rows.
    void deleteRows(const QList<int> &rows);
    // Removes every comment of the arranged list (hidden ones stay); counts a change.
    void deleteAll();
    void removeAllFields() { deleteAll(); }

    // Writes the comments at rows, in list order, in the three clipboard forms. False,
    // mime untouched, without rows.
    bool copy(const QList<int> &rows, QMimeData *mime) const;
    // copy, then deleteRows.
    bool cut(const QList<int> &rows, QMimeData *mime);
    // Inserts the comments of mime at selectedRow (negative: appends), so the selected
    // comment follows them. Counts a change when the paste succeeds.
    bool paste(const QMimeData *mime, int selectedRow);

    // A cell edit: the keyword column sets the keyword (cut at 79 characters), the text
    // column the value with its macros expanded once against this image. Counts a change.
    // False for a row or column outside the table.
    bool setData(int row, Column column, const QString &value);

    // Appends a comment with the keyword and the text as given (no expansion, no
    // container) and counts a change. An empty keyword does nothing.
    void addText(const QString &text, const QString &keyword);
    // Removes every comment of the arranged list whose keyword equals keyword (exact) and
    // counts a change. An empty keyword does nothing.
    void removeCommentsForKey(const QString &keyword);

    // Indexed accessors of the arranged list; no change is counted. insertObject gives the
    // comment this document as container; an index outside 0 … rowCount() appends.
    void insertObject(const CommentPtr &comment, int index);
    void removeObjectFromComments(int index);

    // Drag and drop. beginDrag remembers the dragged rows and writes them to mime.
    // acceptDrop inserts copies of the dropped comments at row (negative or past the end:
    // at the end). When the drag started in this document's table the dragged comments
    // themselves move instead, before the first row at or after row that is not dragged
    // (or to the end); they only move when mime brings comments. Counts a change when the
    // drop succeeds.
    bool beginDrag(const QList<int> &rows, QMimeData *mime);
    bool acceptDrop(const QMimeData *mime, int row, bool sourceIsThisTable);
    std::optional<QList<int>> draggedRows() const { return m_draggedRows; }

    // --- CommentContainer -------------------------------------------------------------
    void refreshCommentTable() override;
    const PNGinfo *documentInfo() const override { return &m_info; }

    // --- CommentListTarget ------------------------------------------------------------
    CommentList interchangeComments() const override { return m_arranged; }
    void insertInterchangeComments(qsizetype position, const CommentList &comments) override;
    void removeInterchangeComments(const CommentList &comments) override;
    const PNGinfo *expansionInfo() const override { return &m_info; }
    CommentContainer *pasteContainer() override { return this; }
    void interchangeFinished(Operation operation) override;

signals:
    // The arranged list or a comment in it changed.
    void commentsChanged();
    void searchTextChanged(const QString &text);
    void modifiedChanged(bool modified);
    void pathChanged(const QString &path);
    // The summary lines changed (after every load, failed or not).
    void summaryChanged();
    void loaded();
    void loadFailed(const QString &reason);
    void saved();

private:
    // Rebuilds the arranged list and tells the views.
    void listChanged();
    // Clears the filter when it would hide one of the comments just inserted.
    void revealInserted(const CommentList &inserted);
    void removeByIdentity(const CommentList &doomed);
    CommentList commentsAtRows(const QList<int> &rows) const;
    bool write(const QString &path, QString *error);

    PNGinfo m_info;
    PNGRows m_rows;
    CommentList m_comments;
    CommentList m_arranged;
    QString m_searchText;
    QString m_filter;
    ImageSummary m_summary;
    PNGWriteOptions m_writeOptions;
    std::optional<QList<int>> m_draggedRows;
    bool m_loaded = false;
    bool m_modified = false;
};
