#pragma once

#include "commentlist/UndoStack.h"
#include "core/PNGComment.h"
#include "interchange/CommentListTarget.h"

#include <QList>
#include <QObject>
#include <QString>

#include <optional>

class QMimeData;
struct PNGinfo;

// The owner of one comment list (a document's, a template's, a batch list's) and the only
// way to change it. Every change is one step of the owner's undo history, applies the
// owner's expansion policy (expansionInfo(): a document expands macros against its image,
// other owners keep texts as typed) and is announced precisely: rows inserted, removed,
// moved or changed, and a reset only for bulk changes (replaceAll(), a new filter, a
// list read from a file).
//
// The arranged list is what the owner shows: the comments that pass its filter
// (isArranged(), every comment unless a subclass narrows it), in list order. Row numbers
// and the signals are positions in the arranged list; comments entering the list that the
// filter would hide are first revealed (revealComments()). Without a filter the arranged
// list is the whole list.
//
// Records handed to an insertion are copied: the list holds records of its own, so
// nothing outside the owner can change them unnoticed. An operation that would change
// nothing leaves no step in the history.
class CommentListOwner : public QObject, public CommentListTarget
{
    Q_OBJECT

public:
    enum Column { KeywordColumn = 0, TextColumn = 1 };

    explicit CommentListOwner(QObject *parent = nullptr);
    ~CommentListOwner() override;

    // --- Reading ------------------------------------------------------------------------

    // The arranged list.
    const CommentList &comments() const { return m_arranged; }
    // Every comment, also those the filter hides.
    const CommentList &allComments() const { return m_comments; }
    int rowCount() const { return int(m_arranged.size()); }
    // nullptr outside 0 … rowCount() - 1.
    CommentPtr commentAt(int row) const;
    // Whether a filter narrows the arranged list (a search typed), whatever it hides now.
    virtual bool isFiltered() const { return false; }
    // The row of a comment, -1 when it is hidden or not in the list.
    int rowOf(const CommentPtr &comment) const { return int(m_arranged.indexOf(comment)); }
    // Whether the comment object is in the list (hidden or not).
    bool contains(const CommentPtr &comment) const { return comment && m_comments.contains(comment); }

    UndoStack *undoStack() { return &m_undoStack; }
    const UndoStack *undoStack() const { return &m_undoStack; }

    // --- Expansion policy ---------------------------------------------------------------

    // The image record that texts to expand are expanded against; nullptr keeps them.
    virtual const PNGinfo *expansionInfo() const { return nullptr; }
    // A typed text as this owner stores it. The one place that applies the policy.
    QString expandedText(const QString &text) const;

    // --- The table's commands (rows of the arranged list) ------------------------------

    // Appends a blank comment and returns its row.
    int addMetadataField();
    // Removes the comments at rows ("Remove Comments", for the remove button and menu).
    void removeMetadataField(const QList<int> &rows);
    // The same as the edit command "Delete".
    void deleteRows(const QList<int> &rows);
    // Removes every comment of the arranged list; hidden ones stay. With a filter the step
    // is "Delete All Shown".
    void deleteAll();
    void removeAllFields() { deleteAll(); }

    // Writes the comments at rows, in list order, in the three clipboard forms. False,
    // mime untouched, without rows.
    bool copy(const QList<int> &rows, QMimeData *mime) const;
    // Every comment of the arranged list (an empty list too).
    bool writeAllCommentsToPasteboard(QMimeData *mime) const;
    // copy, then removes the rows. Returns whether something was copied.
    bool cut(const QList<int> &rows, QMimeData *mime);
    // Inserts the comments of mime at selectedRow (negative or past the end: appends), so
    // the selected comment follows them. False, nothing changed, when mime offers no
    // usable form.
    bool paste(const QMimeData *mime, int selectedRow);

    // A cell edit: the keyword column sets the keyword (cut at 79 characters), the text
    // column the text as typed (expandedText()). False for a row or column outside the
    // table.
    bool setData(int row, Column column, const QString &value);

    // Appends a comment made from a preset (its keyword, its value as typed, taken as the
    // owner takes typed texts) and returns its row.
    int addPresetMetadataField(const PNGComment &preset);
    // Appends a comment with the keyword (cut at 79) and the text as given (no expansion).
    // An empty keyword does nothing.
    void addText(const QString &text, const QString &keyword);
    // Removes every comment of the arranged list whose keyword equals keyword (exact). An
    // empty keyword does nothing.
    void removeCommentsForKey(const QString &keyword);
    // Indexed accessors of the arranged list: inserts a copy of the comment (texts as they
    // are) at index (outside 0 … rowCount(): appends), removes the comment at index.
    void insertObject(const CommentPtr &comment, int index);
    void removeObjectFromComments(int index);

    // Drag and drop. beginDrag remembers the dragged rows and writes them to mime.
    // acceptDrop inserts the dropped comments at row (negative or past the end: at the end).
    // When the drag started in this owner's own table the dragged comments themselves move
    // instead, before the first row at or after row that is not dragged (or to the end);
    // they only move when mime brings comments.
    bool beginDrag(const QList<int> &rows, QMimeData *mime);
    bool acceptDrop(const QMimeData *mime, int row, bool sourceIsThisTable);
    std::optional<QList<int>> draggedRows() const { return m_draggedRows; }

    // An import from a metadata file in the format its suffix names (importMetadataFile()),
    // one step. The file is read first: a file that cannot be read, or of no metadata
    // format, changes nothing (false, *error set). Then, with clearExisting, the arranged
    // list is emptied; then the comments are appended as appendImportedComments() describes
    // (texts expanded, replace removing comments with an imported keyword).
    bool importMetadataFile(
        const QString &path, QChar separator, bool replace, bool clearExisting, QString *error = nullptr);

    // --- Editing a comment (panels, presets, templates) ---------------------------------

    // Each returns false, changing nothing, when the comment is not in the list.
    bool setKeyword(const CommentPtr &comment, const QString &keyword);
    // The text as typed: expandedText() is stored.
    bool setText(const CommentPtr &comment, const QString &text);
    // Both fields in one step; the keyword is cut at 79, the text taken as expansion says.
    bool setFields(const CommentPtr &comment, const QString &keyword, const QString &text, Expansion expansion,
        const QString &step);

    // Inserts copies of records at row (outside 0 … rowCount() - 1: at the end of the whole
    // list), texts taken as expansion says. Returns the comments now in the list.
    CommentList insertComments(int row, const CommentList &records, Expansion expansion, const QString &step);
    CommentPtr appendComment(const PNGComment &record, Expansion expansion, const QString &step);
    // Removes those of the comment objects that are in the list. False when none is.
    bool removeComments(const CommentList &comments, const QString &step);
    // Moves comment objects of the list (keeping their order) before the first comment of
    // the arranged list at or after row that is not moved, or to the end of the list.
    bool moveComments(const CommentList &moved, int row, const QString &step);
    // The bulk change: the whole list becomes list. Comments of the list stay the same
    // objects; others are copied in, texts taken as expansion says. One reset.
    bool replaceAll(const CommentList &list, Expansion expansion, const QString &step);

    // Not an edit: the list becomes comments (as they are, a file's contents) and the
    // history is forgotten. Nothing is revealed.
    void resetComments(const CommentList &comments);

    // --- CommentListTarget: the arranged list ---------------------------------------------
    CommentList interchangeComments() const override { return m_arranged; }
    void insertInterchangeComments(qsizetype position, const CommentList &comments, Expansion expansion) override;
    void removeInterchangeComments(const CommentList &comments) override;

signals:
    // Rows of the arranged list, after the change.
    void commentsInserted(int first, int count);
    void commentsRemoved(int first, int count);
    // The comment at from now stands at to (QList::move).
    void commentMoved(int from, int to);
    void commentChanged(int row);
    void commentsReset();
    // After every change of the list or of a comment in it, hidden ones included.
    void commentsChanged();

protected:
    // Whether a comment belongs to the arranged list. A subclass whose answer changes calls
    // rearrange().
    virtual bool isArranged(const PNGComment &comment) const;
    // Called before comments enter the list: a subclass with a filter may lift it so
    // that they show.
    virtual void revealComments(const CommentList &entering);
    // Builds the arranged list again (one reset).
    void rearrange();

private:
    class InsertEdit;
    class RemoveEdit;
    class ChangeEdit;
    class ListEdit;

    CommentList commentsAtRows(const QList<int> &rows) const;
    // Where an insertion at a row goes in the whole list.
    qsizetype insertionIndex(int row) const;
    int arrangedCountBefore(qsizetype index) const;
    CommentPtr takeRecord(const PNGComment &record, Expansion expansion) const;
    bool change(const CommentPtr &comment, const PNGComment &after, const QString &step);

    // The changes the steps are made of, on positions of the whole list. Each keeps the
    // arranged list in step and tells the views.
    void insertAt(qsizetype index, const CommentList &items);
    void removeAt(qsizetype index, qsizetype count);
    void assign(const CommentPtr &comment, const PNGComment &values);
    void reorder(const CommentList &order);
    void resetTo(const CommentList &list, bool reveal);
    void replaceList(const CommentList &list);

    CommentList m_comments;
    CommentList m_arranged;
    UndoStack m_undoStack;
    std::optional<QList<int>> m_draggedRows;
};
