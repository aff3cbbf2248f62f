#include "commentlist/CommentListOwner.h"

#include "core/Strings.h"
#include "core/TextMacros.h"
#include "interchange/CommentListAdapter.h"
#include "interchange/ImportedComments.h"
#include "interchange/MetadataFormats.h"
#include "interchange/PasteboardFormats.h"

#include <QHash>
#include <QMimeData>
#include <QSet>

#include <algorithm>

// --- The steps ------------------------------------------------------------------------------
// Each step works on positions of the whole list, which undo and redo restore exactly, so
// a step finds the list as it left it.

class CommentListOwner::InsertEdit : public UndoCommand
{
public:
    InsertEdit(CommentListOwner *owner, qsizetype index, const CommentList &items, const QString &text)
        : UndoCommand(text)
        , m_owner(owner)
        , m_index(index)
        , m_items(items)
    {
    }
    void redo() override { m_owner->insertAt(m_index, m_items); }
    void undo() override { m_owner->removeAt(m_index, m_items.size()); }

private:
    CommentListOwner *m_owner;
    qsizetype m_index;
    CommentList m_items;
};

class CommentListOwner::RemoveEdit : public UndoCommand
{
public:
    using Positions = QList<std::pair<qsizetype, CommentPtr>>; // ascending positions

    RemoveEdit(CommentListOwner *owner, const Positions &positions, const QString &text)
        : UndoCommand(text)
        , m_owner(owner)
    {
        // Runs of neighbouring comments go out and come back in one change each.
        for (const auto &[index, comment] : positions) {
            if (!m_runs.isEmpty() && m_runs.last().first + m_runs.last().second.size() == index)
                m_runs.last().second.append(comment);
            else
                m_runs.append({ index, CommentList { comment } });
        }
    }
    void redo() override
    {
        for (auto run = m_runs.crbegin(); run != m_runs.crend(); ++run)
            m_owner->removeAt(run->first, run->second.size());
    }
    void undo() override
    {
        for (const auto &[index, comments] : std::as_const(m_runs))
            m_owner->insertAt(index, comments);
    }

private:
    CommentListOwner *m_owner;
    QList<std::pair<qsizetype, CommentList>> m_runs;
};

class CommentListOwner::ChangeEdit : public UndoCommand
{
public:
    ChangeEdit(CommentListOwner *owner, const CommentPtr &comment, const PNGComment &after, const QString &text)
        : UndoCommand(text)
        , m_owner(owner)
        , m_comment(comment)
        , m_before(*comment)
        , m_after(after)
    {
    }
    void redo() override { m_owner->assign(m_comment, m_after); }
    void undo() override { m_owner->assign(m_comment, m_before); }

private:
    CommentListOwner *m_owner;
    CommentPtr m_comment;
    PNGComment m_before;
    PNGComment m_after;
};

// A change of the whole list from one state to another: a reorder (views see moves) or a
// replacement (views see a reset).
class CommentListOwner::ListEdit : public UndoCommand
{
public:
    using Apply = void (CommentListOwner::*)(const CommentList &);
    ListEdit(
        CommentListOwner *owner, Apply apply, const CommentList &before, const CommentList &after, const QString &text)
        : UndoCommand(text)
        , m_owner(owner)
        , m_apply(apply)
        , m_before(before)
        , m_after(after)
    {
    }
    void redo() override { (m_owner->*m_apply)(m_after); }
    void undo() override { (m_owner->*m_apply)(m_before); }

private:
    CommentListOwner *m_owner;
    Apply m_apply;
    CommentList m_before;
    CommentList m_after;
};

// --- The owner ------------------------------------------------------------------------------

CommentListOwner::CommentListOwner(QObject *parent)
    : QObject(parent)
{
}

CommentListOwner::~CommentListOwner() = default;

CommentPtr CommentListOwner::commentAt(int row) const
{
    return row >= 0 && row < m_arranged.size() ? m_arranged[row] : nullptr;
}

bool CommentListOwner::isArranged(const PNGComment &) const
{
    return true;
}

void CommentListOwner::revealComments(const CommentList &) { }

QString CommentListOwner::expandedText(const QString &text) const
{
    const PNGinfo *info = expansionInfo();
    return info ? processedTextForPNG(text, *info) : text;
}

CommentPtr CommentListOwner::takeRecord(const PNGComment &record, Expansion expansion) const
{
    auto comment = std::make_shared<PNGComment>(record);
    if (expansion == Expansion::Expand)
        comment->setText(expandedText(record.text()));
    return comment;
}

CommentList CommentListOwner::commentsAtRows(const QList<int> &rows) const
{
    CommentList result;
    for (int row : rows) {
        if (CommentPtr comment = commentAt(row))
            result.append(comment);
    }
    return result;
}

qsizetype CommentListOwner::insertionIndex(int row) const
{
    // A row of the arranged list maps onto the comment it names; the end of the arranged
    // list is the end of the whole list.
    return row >= 0 && row < m_arranged.size() ? m_comments.indexOf(m_arranged[row]) : m_comments.size();
}

int CommentListOwner::arrangedCountBefore(qsizetype index) const
{
    int count = 0;
    for (qsizetype i = 0; i < index && i < m_comments.size(); ++i) {
        if (isArranged(*m_comments[i]))
            ++count;
    }
    return count;
}

// --- Changes --------------------------------------------------------------------------------

void CommentListOwner::insertAt(qsizetype index, const CommentList &items)
{
    revealComments(items);
    const int row = arrangedCountBefore(index);
    CommentList shown;
    for (qsizetype i = 0; i < items.size(); ++i) {
        m_comments.insert(index + i, items[i]);
        if (isArranged(*items[i]))
            shown.append(items[i]);
    }
    for (qsizetype i = 0; i < shown.size(); ++i)
        m_arranged.insert(row + i, shown[i]);
    if (!shown.isEmpty())
        emit commentsInserted(row, int(shown.size()));
    emit commentsChanged();
}

void CommentListOwner::removeAt(qsizetype index, qsizetype count)
{
    const int row = arrangedCountBefore(index);
    int shown = 0;
    for (qsizetype i = index; i < index + count; ++i) {
        if (isArranged(*m_comments[i]))
            ++shown;
    }
    m_comments.remove(index, count);
    m_arranged.remove(row, shown);
    if (shown > 0)
        emit commentsRemoved(row, shown);
    emit commentsChanged();
}

void CommentListOwner::assign(const CommentPtr &comment, const PNGComment &values)
{
    const qsizetype index = m_comments.indexOf(comment);
    if (index < 0)
        return;
    const int oldRow = rowOf(comment);
    *comment = values;
    // A keyword edit may take a comment into or out of the arranged list.
    if (isArranged(*comment)) {
        if (oldRow >= 0) {
            emit commentChanged(oldRow);
        } else {
            const int row = arrangedCountBefore(index);
            m_arranged.insert(row, comment);
            emit commentsInserted(row, 1);
        }
    } else if (oldRow >= 0) {
        m_arranged.removeAt(oldRow);
        emit commentsRemoved(oldRow, 1);
    }
    emit commentsChanged();
}

void CommentListOwner::reorder(const CommentList &order)
{
    // One comment at a time, each to the place order gives it.
    for (qsizetype i = 0; i < order.size() && i < m_comments.size(); ++i) {
        if (m_comments[i] == order[i])
            continue;
        const qsizetype from = m_comments.indexOf(order[i], i + 1);
        if (from < 0)
            continue;
        m_comments.move(from, i);
        const int oldRow = rowOf(order[i]);
        if (oldRow < 0)
            continue;
        const int newRow = arrangedCountBefore(i);
        if (newRow != oldRow) {
            m_arranged.move(oldRow, newRow);
            emit commentMoved(oldRow, newRow);
        }
    }
    emit commentsChanged();
}

void CommentListOwner::resetTo(const CommentList &list, bool reveal)
{
    if (reveal) {
        QSet<const PNGComment *> present;
        for (const auto &comment : std::as_const(m_comments))
            present.insert(comment.get());
        CommentList entering;
        for (const auto &comment : list) {
            if (!present.contains(comment.get()))
                entering.append(comment);
        }
        revealComments(entering);
    }
    m_comments = list;
    rearrange();
}

void CommentListOwner::replaceList(const CommentList &list)
{
    resetTo(list, true);
}

void CommentListOwner::rearrange()
{
    m_arranged.clear();
    for (const auto &comment : std::as_const(m_comments)) {
        if (isArranged(*comment))
            m_arranged.append(comment);
    }
    emit commentsReset();
    emit commentsChanged();
}

// --- Editing a comment ----------------------------------------------------------------------

bool CommentListOwner::change(const CommentPtr &comment, const PNGComment &after, const QString &step)
{
    if (!contains(comment))
        return false;
    if (after != *comment)
        m_undoStack.push(std::make_unique<ChangeEdit>(this, comment, after, step));
    return true;
}

bool CommentListOwner::setKeyword(const CommentPtr &comment, const QString &keyword)
{
    if (!comment)
        return false;
    PNGComment after = *comment;
    after.setKeyword(keyword);
    return change(comment, after, localizedString("StepEditKeyword"));
}

bool CommentListOwner::setText(const CommentPtr &comment, const QString &text)
{
    if (!comment)
        return false;
    PNGComment after = *comment;
    after.setText(expandedText(text));
    return change(comment, after, localizedString("StepEditText"));
}

bool CommentListOwner::setFields(
    const CommentPtr &comment, const QString &keyword, const QString &text, Expansion expansion, const QString &step)
{
    if (!comment)
        return false;
    PNGComment after = *comment;
    after.setKeyword(keyword);
    after.setText(expansion == Expansion::Expand ? expandedText(text) : text);
    return change(comment, after, step);
}

CommentList CommentListOwner::insertComments(
    int row, const CommentList &records, Expansion expansion, const QString &step)
{
    CommentList items;
    for (const auto &record : records) {
        if (record)
            items.append(takeRecord(*record, expansion));
    }
    if (!items.isEmpty())
        m_undoStack.push(std::make_unique<InsertEdit>(this, insertionIndex(row), items, step));
    return items;
}

CommentPtr CommentListOwner::appendComment(const PNGComment &record, Expansion expansion, const QString &step)
{
    const CommentPtr comment = takeRecord(record, expansion);
    m_undoStack.push(std::make_unique<InsertEdit>(this, m_comments.size(), CommentList { comment }, step));
    return comment;
}

bool CommentListOwner::removeComments(const CommentList &comments, const QString &step)
{
    QHash<const PNGComment *, qsizetype> index;
    for (qsizetype i = 0; i < m_comments.size(); ++i)
        index.insert(m_comments[i].get(), i);
    RemoveEdit::Positions positions;
    for (const auto &comment : comments) {
        const auto found = comment ? index.constFind(comment.get()) : index.constEnd();
        if (found == index.constEnd())
            continue;
        positions.append({ found.value(), comment });
        index.erase(found); // a comment named twice goes once
    }
    if (positions.isEmpty())
        return false;
    std::sort(positions.begin(), positions.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    m_undoStack.push(std::make_unique<RemoveEdit>(this, positions, step));
    return true;
}

bool CommentListOwner::moveComments(const CommentList &moved, int row, const QString &step)
{
    CommentList order = m_comments;
    moveCommentsToRow(order, m_arranged, row, moved);
    if (order == m_comments)
        return false;
    m_undoStack.push(std::make_unique<ListEdit>(this, &CommentListOwner::reorder, m_comments, order, step));
    return true;
}

bool CommentListOwner::replaceAll(const CommentList &list, Expansion expansion, const QString &step)
{
    QSet<const PNGComment *> unused;
    for (const auto &comment : std::as_const(m_comments))
        unused.insert(comment.get());
    CommentList after;
    for (const auto &comment : list) {
        if (!comment)
            continue;
        // A comment of the list stays itself (once); anything else comes in as a copy.
        after.append(unused.remove(comment.get()) ? comment : takeRecord(*comment, expansion));
    }
    if (after == m_comments)
        return false;
    m_undoStack.push(std::make_unique<ListEdit>(this, &CommentListOwner::replaceList, m_comments, after, step));
    return true;
}

void CommentListOwner::resetComments(const CommentList &comments)
{
    m_draggedRows.reset();
    resetTo(comments, false);
    m_undoStack.clear();
}

// --- The table's commands -------------------------------------------------------------------

int CommentListOwner::addMetadataField()
{
    return rowOf(appendComment(PNGComment(), Expansion::Verbatim, localizedString("StepAddComment")));
}

void CommentListOwner::removeMetadataField(const QList<int> &rows)
{
    removeComments(commentsAtRows(rows), localizedString("StepRemoveComments"));
}

void CommentListOwner::deleteRows(const QList<int> &rows)
{
    removeComments(commentsAtRows(rows), localizedString("StepDelete"));
}

void CommentListOwner::deleteAll()
{
    removeComments(m_arranged, localizedString(isFiltered() ? "StepDeleteAllShown" : "StepDeleteAll"));
}

bool CommentListOwner::copy(const QList<int> &rows, QMimeData *mime) const
{
    if (rows.isEmpty() || !mime)
        return false;
    return writeRows(*this, QList<qsizetype>(rows.cbegin(), rows.cend()), mime);
}

bool CommentListOwner::writeAllCommentsToPasteboard(QMimeData *mime) const
{
    return mime && ::writeAllCommentsToPasteboard(*this, mime);
}

bool CommentListOwner::cut(const QList<int> &rows, QMimeData *mime)
{
    const bool copied = copy(rows, mime);
    removeComments(commentsAtRows(rows), localizedString("StepCut"));
    return copied;
}

bool CommentListOwner::paste(const QMimeData *mime, int selectedRow)
{
    UndoMacro step(m_undoStack, localizedString("StepPaste"));
    return insertDataFromPasteboard(*this, mime, selectedRow < 0 ? rowCount() : selectedRow);
}

bool CommentListOwner::setData(int row, Column column, const QString &value)
{
    const CommentPtr comment = commentAt(row);
    if (!comment)
        return false;
    if (column == KeywordColumn)
        return setKeyword(comment, value);
    if (column == TextColumn)
        return setText(comment, value);
    return false;
}

int CommentListOwner::addPresetMetadataField(const PNGComment &preset)
{
    PNGComment record = preset;
    record.setKeyword(preset.keyword());
    return rowOf(appendComment(record, Expansion::Expand, localizedString("StepAddPreset")));
}

void CommentListOwner::addText(const QString &text, const QString &keyword)
{
    if (keyword.isEmpty())
        return;
    PNGComment record(QString(), text);
    record.setKeyword(keyword);
    appendComment(record, Expansion::Verbatim, localizedString("StepAddComment"));
}

void CommentListOwner::removeCommentsForKey(const QString &keyword)
{
    if (keyword.isEmpty())
        return;
    removeComments(commentsWithKeyword(m_arranged, keyword), localizedString("StepRemoveComments"));
}

void CommentListOwner::insertObject(const CommentPtr &comment, int index)
{
    insertComments(index, { comment }, Expansion::Verbatim, localizedString("StepAddComment"));
}

void CommentListOwner::removeObjectFromComments(int index)
{
    removeComments(commentsAtRows({ index }), localizedString("StepRemoveComments"));
}

bool CommentListOwner::beginDrag(const QList<int> &rows, QMimeData *mime)
{
    m_draggedRows = rows;
    return copy(rows, mime);
}

bool CommentListOwner::acceptDrop(const QMimeData *mime, int row, bool sourceIsThisTable)
{
    CommentList originals;
    if (sourceIsThisTable && m_draggedRows) {
        originals = commentsAtRows(*m_draggedRows);
        m_draggedRows.reset();
    }
    if (!originals.isEmpty()) {
        // A drag within the table moves the comments themselves: copies read back from the
        // clipboard forms would have their macros expanded and lose the iTXt details. The
        // dropped data is still read, so a drop that brings nothing moves nothing.
        CommentList dropped;
        CommentListAdapter reader(dropped);
        if (!insertDataFromPasteboard(reader, mime, 0))
            return false;
        if (!dropped.isEmpty())
            moveComments(originals, row, localizedString("StepMove"));
        return true;
    }
    // The drop row taken as unsigned: a negative row means the end of the list.
    const int position = unsigned(row) < unsigned(rowCount()) ? row : rowCount();
    UndoMacro step(m_undoStack, localizedString("StepDrop"));
    return insertDataFromPasteboard(*this, mime, position);
}

bool CommentListOwner::importMetadataFile(
    const QString &path, QChar separator, bool replace, bool clearExisting, QString *error)
{
    CommentList read;
    CommentListAdapter reader(read);
    if (!::importMetadataFile(reader, path, separator, false, error))
        return false;
    UndoMacro step(m_undoStack, localizedString("StepImport"));
    if (clearExisting)
        deleteAll();
    appendImportedComments(*this, read, replace);
    return true;
}

// --- CommentListTarget ----------------------------------------------------------------------

void CommentListOwner::insertInterchangeComments(qsizetype position, const CommentList &comments, Expansion expansion)
{
    insertComments(int(position), comments, expansion, localizedString("StepAddComments"));
}

void CommentListOwner::removeInterchangeComments(const CommentList &comments)
{
    removeComments(comments, localizedString("StepRemoveComments"));
}
