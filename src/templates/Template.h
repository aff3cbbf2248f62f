#pragma once

#include "core/PNGComment.h"

#include <QList>
#include <QString>

#include <memory>

// A named, ordered set of comments with two flags that say how it is applied to a comment
// list. Texts keep their macros; they are expanded when the template is applied to an image.
//
// A template lives in one file, named by the template, in its folder (normally the
// templates folder, or the sub-folder it was loaded from). The file is a Metadata XML
// document whose root "ImageMetadata" carries the two flags.
//
// A plain record: while the template editor shows a template it edits it through an
// EditedTemplate (a list owner with an undo history), which writes every change back here.
class Template
{
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

    Template(const QString &name, const QString &directory);

    QString name() const { return m_name; }
    QString directory() const { return m_directory; }
    // The folder joined with the name.
    QString filePath() const;

    // Moves the file (if it exists) to the new name in the same folder, then takes the
    // name. Null or unusable names change nothing. When a file exists and cannot be moved,
    // or the target exists already, nothing changes and false is returned with *error set.
    bool setName(const QString &name, QString *error = nullptr);

    // The file contents: pretty-printed XML with both flags and one element per comment.
    QByteArray fileContents() const;
    // Writes the file atomically. The folder is not created here. On failure returns false,
    // fills *error and leaves an existing file untouched.
    bool save(QString *error = nullptr) const;
    // Logs "DeleteFile" and removes the file (never a folder). The record is untouched.
    // A file that is not there counts as removed. False, with *error, when it stays.
    bool deleteFile(QString *error = nullptr) const;

    bool clearsCommentsWhenApplied() const { return m_clearAllComments; }
    bool overwritesDuplicatesWhenApplied() const { return m_overwriteDuplicates; }
    void setClearAll(bool clearAll) { m_clearAllComments = clearAll; }
    void setOverwriteDuplicates(bool overwrite) { m_overwriteDuplicates = overwrite; }

    // The comments in order, texts as typed.
    const CommentList &comments() const { return m_comments; }
    void setComments(const CommentList &comments) { m_comments = comments; }
    // Appends a copy of the comment (texts as they are).
    void addComment(const CommentPtr &comment) { m_comments.append(std::make_shared<PNGComment>(*comment)); }

private:
    QString m_name;
    QString m_directory;
    bool m_clearAllComments = false;
    bool m_overwriteDuplicates = false;
    CommentList m_comments;
};

using TemplatePtr = std::shared_ptr<Template>;
using TemplateList = QList<TemplatePtr>;

// "yes"/"true" in any case, or a non-zero leading integer: true. Null and anything else: false.
bool boolFromString(const QString &string);
