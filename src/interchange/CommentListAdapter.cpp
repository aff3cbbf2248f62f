#include "interchange/CommentListAdapter.h"

#include "core/TextMacros.h"

void CommentListAdapter::insertInterchangeComments(qsizetype position, const CommentList &comments, Expansion expansion)
{
    position = qBound(qsizetype(0), position, m_comments.size());
    for (const auto &comment : comments) {
        if (expansion == Expansion::Expand && m_info)
            comment->setText(processedTextForPNG(comment->text(), *m_info));
        m_comments.insert(position++, comment);
    }
}

void CommentListAdapter::removeInterchangeComments(const CommentList &comments)
{
    removeCommentsByIdentity(m_comments, comments);
}
