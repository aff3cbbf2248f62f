#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>

// A text chunk as it stood in a file, with the values the reader made of it.
struct TextChunkOrigin
{
    QByteArray type; // "tEXt", "zTXt" or "iTXt"
    QByteArray data; // the payload, as it stood
    bool afterImageData = false;
    // The values read from it: the keyword before any shortening, the text, the iTXt details.
    QString keyword;
    QString text;
    bool international = false;
    QString language;
    QString translatedKeyword;
};

// One text entry of a PNG file: a keyword and its text. A null QString stands for an
// absent keyword or text, which is not the same as an empty one.
//
// Entries read from an iTXt chunk remember that they are international, with their
// language tag and translated keyword, so that a save writes them back as iTXt.
//
// An entry read from a file also remembers the chunk it came from (its origin): while its
// values are those it was read with, a save writes that chunk back byte for byte.
//
// A plain value: it knows nothing of the list that holds it. A comment in a list is
// changed through the list's owner (CommentListOwner), which expands macros as that
// owner does and tells the views.
class PNGComment
{
public:
    static constexpr int MaxKeywordLength = 79;

    PNGComment() = default;
    // Stores both strings as given: no shortening, no macro expansion.
    PNGComment(const QString &keyword, const QString &text);

    QString keyword() const { return m_keyword; }
    QString text() const { return m_text; }
    // UTF-8 forms; a null QByteArray when the string is absent.
    QByteArray ckeyword() const;
    QByteArray ctext() const;
    // The text, or "" when it is absent.
    QString exportText() const;

    // Keeps at most 79 UTF-16 code units (never splitting a surrogate pair).
    void setKeyword(const QString &keyword);
    // Stores the text as given.
    void setText(const QString &text) { m_text = text; }

    bool isValid() const { return !m_keyword.isEmpty(); }

    // A new record with the keyword through setKeyword (so cut at 79), everything else
    // unchanged.
    std::shared_ptr<PNGComment> copy() const;
    // Replaces keyword and text (and the iTXt details and the origin) with the other's, as
    // they are.
    void copyFieldsFromComment(const PNGComment &other);

    // iTXt details.
    bool isInternational() const { return m_international; }
    QString language() const { return m_language; }
    QString translatedKeyword() const { return m_translatedKeyword; }
    void setInternational(const QString &language, const QString &translatedKeyword);

    static QString truncatedKeyword(const QString &keyword);

    // The chunk the entry was read from, or null. Copies share it.
    const std::shared_ptr<const TextChunkOrigin> &origin() const { return m_origin; }
    void setOrigin(std::shared_ptr<const TextChunkOrigin> origin) { m_origin = std::move(origin); }
    // Whether the entry still holds the values it was read with, so that its chunk can be
    // written back as it was.
    bool isAsRead() const;

    // Keyword, text and the iTXt details equal; the origin plays no part.
    bool operator==(const PNGComment &other) const;

private:
    QString m_keyword;
    QString m_text;
    bool m_international = false;
    QString m_language;
    QString m_translatedKeyword;
    std::shared_ptr<const TextChunkOrigin> m_origin;
};

using CommentPtr = std::shared_ptr<PNGComment>;
using CommentList = QList<CommentPtr>;

inline CommentPtr makeComment(const QString &keyword = QString(), const QString &text = QString())
{
    return std::make_shared<PNGComment>(keyword, text);
}

// List helpers shared by every comment list owner.
// Comments whose keyword is present and equal (case-sensitive) to keyword.
CommentList commentsWithKeyword(const CommentList &list, const QString &keyword);
// Removes those comments; a null keyword removes nothing. Returns how many went.
int removeCommentsWithKeyword(CommentList &list, const QString &keyword);
// Removes exactly these comment objects (by identity); returns how many went.
int removeCommentsByIdentity(CommentList &list, const CommentList &doomed);
// Moves the comments of moved (objects of list; they keep their list order) so they stand
// before the first comment of shown at or after row that is not moved, or at the end of
// list when there is none (also for a negative row). shown is list or a part of it in the
// same order, as a table shows it.
void moveCommentsToRow(CommentList &list, const CommentList &shown, qsizetype row, const CommentList &moved);
// Removes comments with no keyword; returns how many went.
int removeInvalidComments(CommentList &list);
// Deep copy of a list (each record copied as it is).
CommentList cloneComments(const CommentList &list);
