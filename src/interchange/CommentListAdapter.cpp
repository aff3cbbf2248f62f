#include "interchange/CommentListAdapter.h"

void CommentListAdapter::insertInterchangeComments(qsizetype position, const CommentList &comments)
{
    position = qBound(qsizetype(0), position, m_comments.size());
    for (const auto &comment : comments)
        m_comments.insert(position++, comment);
}

void CommentListAdapter::removeInterchangeComments(const CommentList &comments)
{
    removeCommentsByIdentity(m_comments, comments);
}
