#pragma once

#include "core/CommentContainer.h"
#include "core/PNGComment.h"
#include "interchange/CommentListTarget.h"

#include <QList>
#include <QObject>
#include <QString>

#include <memory>

class QMimeData;

// A named, ordered set of comments with two flags that say how it is applied to a comment
// list. Texts keep their macros; they are expanded when the template is applied to an image.
//
// A template lives in one file, named by the template, in its folder (normally the
// templates folder, or the sub-folder it was loaded from). The file is a Metadata XML
// document whose root "ImageMetadata" carries the two flags.
class Template : public QObject, public CommentContainer, public CommentListTarget
{
    Q_OBJECT

public:
    static constexpr const char *kClearsAllWhenApplied = "ClearsAllWhenApplied";
    static constexpr const char *kOverwritesDuplicates = "OverwritesDuplicateKeys";

    // The per-user templates folder: the generic data folder (QStandardPaths) joined with
    // "Velmora/Templates".
    static QString templatesDirectory();

    // A name that can stand as a file name of its own in a folder: not empty, not "." or
    // "..", without "/", "\" or NUL, and short enough for the file system.
    static bool isUsableFileName(const QString &name, const QString &directory = QString());

    // A new template, not yet written: empty list, both flags off. Null name: nullptr.
    // An empty directory means the templates folder.
    static std::shared_ptr<Template> initWithName(const QString &name, const QString &directory = QString());
    // Reads a template file; the name is the whole file name. Returns nullptr (and fills
    // *error) when the path is null, the file is not a readable regular file or not
    // well-formed XML, or it has no root element.
    static std::shared_ptr<Template> initWithFile(const QString &path, QString *error = nullptr);

    Template(const QString &name, const QString &directory, QObject *parent = nullptr);
    ~Template() override;

    QString name() const { return m_name; }
    QString directory() const { return m_directory; }
    // The folder joined with the name.
    QString filePath() const;

    // Moves the file (if it exists) to the new name in the same folder, then takes the
    // name. Null or unusable names change nothing. When a file exists and cannot be moved,
    // or the target exists already, nothing changes and false is returned.
    bool setName(const QString &name);

    // The file contents: pretty-printed XML with both flags and one element per comment.
    QByteArray fileContents() const;
    // Writes the file atomically. The folder is not created here. On failure returns false,
    // fills *error and leaves an existing file untouched.
    bool save(QString *error = nullptr) const;
    // Logs "DeleteFile" and removes the file (never a folder). The record is untouched.
    bool deleteFile() const;

    const CommentList &comments() const { return m_comments; }
    bool clearsCommentsWhenApplied() const { return m_clearAllComments; }
    void setClearAll(bool clearAll) { m_clearAllComments = clearAll; }
    bool overwritesDuplicatesWhenApplied() const { return m_overwriteDuplicates; }
    void setOverwriteDuplicates(bool overwrite) { m_overwriteDuplicates = overwrite; }

    // Appends a comment with absent keyword and text, the template as its container.
    CommentPtr addNewComment();
    // Appends the comment and makes the template its container.
    void addComment(const CommentPtr &comment);
    // Removes the comments at those positions; positions outside the list are ignored.
    void removeCommentsAtIndices(QList<qsizetype> indices);
    // Removes every comment, then commentsChanged().
    void removeAllComments();

    // Clipboard and drag forms (shared with every comment table).
    // The comments at those rows, in list order; false (and nothing written) for no row.
    bool writeRows(const QList<qsizetype> &rows, QMimeData *mimeData) const;
    // Remembers the rows as dragged from this template's own table, then writeRows().
    bool writeDraggedRows(const QList<qsizetype> &rows, QMimeData *mimeData);
    // Every comment; true also for an empty template.
    bool writeAllCommentsToPasteboard(QMimeData *mimeData) const;
    // Inserts the richest form offered at index: texts as read (macros unexpanded), the
    // template as container. False when no form could be read.
    bool insertDataFromPasteboard(const QMimeData *mimeData, qsizetype index);
    // A drop at row: inserts copies at min(row, count); when the drag started in this
    // template's table (fromOwnTable) the dragged comments themselves move instead, before
    // the first row at or after row that is not dragged (or to the end).
    bool acceptDrop(const QMimeData *mimeData, qsizetype row, bool fromOwnTable);

    // CommentContainer: a comment changed; the editor's table should show it.
    void refreshCommentTable() override;

    // CommentListTarget: the whole list, texts as typed, the template as container.
    CommentList interchangeComments() const override { return m_comments; }
    void insertInterchangeComments(qsizetype position, const CommentList &comments) override;
    void removeInterchangeComments(const CommentList &comments) override;
    const PNGinfo *expansionInfo() const override { return nullptr; }
    CommentContainer *pasteContainer() override { return this; }
    void interchangeFinished(Operation operation) override;

signals:
    // The comment list or a comment changed; a table showing this template reloads.
    void commentsChanged();

private:
    // Clears the container of those comments that name this template.
    void release(const CommentList &comments);

    QString m_name;
    QString m_directory;
    CommentList m_comments;
    bool m_clearAllComments = false;
    bool m_overwriteDuplicates = false;
    QList<qsizetype> m_draggedRows;
};

using TemplatePtr = std::shared_ptr<Template>;
using TemplateList = QList<TemplatePtr>;

// "yes"/"true" in any case, or a non-zero leading integer: true. Null and anything else: false.
bool boolFromString(const QString &string);
