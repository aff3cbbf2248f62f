#include "core/PNGComment.h"

#include <QSet>

PNGComment::PNGComment(const QString &keyword, const QString &text)
    : m_keyword(keyword)
    , m_text(text)
{
}

QByteArray PNGComment::ckeyword() const
{
    return m_keyword.isNull() ? QByteArray() : m_keyword.toUtf8();
}

QByteArray PNGComment::ctext() const
{
    return m_text.isNull() ? QByteArray() : m_text.toUtf8();
}

QString PNGComment::exportText() const
{
    return m_text.isNull() ? QStringLiteral("") : m_text;
}

QString PNGComment::truncatedKeyword(const QString &keyword)
{
    if (keyword.size() <= MaxKeywordLength)
        return keyword;
    qsizetype cut = MaxKeywordLength;
    // Never keep half of a surrogate pair.
    if (keyword.at(cut - 1).isHighSurrogate())
        --cut;
    return keyword.left(cut);
}

void PNGComment::setKeyword(const QString &keyword)
{
    m_keyword = truncatedKeyword(keyword);
}

std::shared_ptr<PNGComment> PNGComment::copy() const
{
    auto result = std::make_shared<PNGComment>(*this);
    result->setKeyword(m_keyword);
    return result;
}

void PNGComment::copyFieldsFromComment(const PNGComment &other)
{
    m_keyword = other.m_keyword;
    m_text = other.m_text;
    m_international = other.m_international;
    m_language = other.m_language;
    m_translatedKeyword = other.m_translatedKeyword;
    m_origin = other.m_origin;
}

bool PNGComment::isAsRead() const
{
    return m_origin && m_keyword == m_origin->keyword && m_text == m_origin->text
        && m_international == m_origin->international && m_language == m_origin->language
        && m_translatedKeyword == m_origin->translatedKeyword;
}

bool PNGComment::operator==(const PNGComment &other) const
{
    return m_keyword == other.m_keyword && m_text == other.m_text && m_international == other.m_international
        && m_language == other.m_language && m_translatedKeyword == other.m_translatedKeyword;
}

void PNGComment::setInternational(const QString &language, const QString &translatedKeyword)
{
    m_international = true;
    m_language = language;
    m_translatedKeyword = translatedKeyword;
}

CommentList commentsWithKeyword(const CommentList &list, const QString &keyword)
{
    CommentList result;
    if (keyword.isNull())
        return result;
    for (const auto &c : list) {
        if (!c->keyword().isNull() && c->keyword() == keyword)
            result.append(c);
    }
    return result;
}

int removeCommentsWithKeyword(CommentList &list, const QString &keyword)
{
    if (keyword.isNull())
        return 0;
    return int(list.removeIf([&](const CommentPtr &c) { return !c->keyword().isNull() && c->keyword() == keyword; }));
}

int removeCommentsByIdentity(CommentList &list, const CommentList &doomed)
{
    if (doomed.isEmpty())
        return 0;
    QSet<const PNGComment *> set;
    for (const auto &comment : doomed)
        set.insert(comment.get());
    return int(list.removeIf([&set](const CommentPtr &c) { return set.contains(c.get()); }));
}

void moveCommentsToRow(CommentList &list, const CommentList &shown, qsizetype row, const CommentList &moved)
{
    QSet<const PNGComment *> set;
    for (const auto &comment : moved)
        set.insert(comment.get());
    CommentPtr anchor;
    for (qsizetype i = row; i >= 0 && i < shown.size(); ++i) {
        if (!set.contains(shown[i].get())) {
            anchor = shown[i];
            break;
        }
    }
    CommentList taken;
    for (const auto &comment : std::as_const(list)) {
        if (set.contains(comment.get()))
            taken.append(comment);
    }
    removeCommentsByIdentity(list, taken);
    qsizetype at = anchor ? list.indexOf(anchor) : list.size();
    if (at < 0)
        at = list.size();
    for (const auto &comment : std::as_const(taken))
        list.insert(at++, comment);
}

int removeInvalidComments(CommentList &list)
{
    return int(list.removeIf([](const CommentPtr &c) { return !c->isValid(); }));
}

CommentList cloneComments(const CommentList &list)
{
    CommentList result;
    result.reserve(list.size());
    for (const auto &c : list)
        result.append(std::make_shared<PNGComment>(*c));
    return result;
}
