#include "interchange/CommentListAdapter.h"

#include <QSet>

void CommentListAdapter::insertInterchangeComments(qsizetype position, const CommentList &comments)
{
    position = qBound(qsizetype(0), position, m_comments.size());
    for (const auto &comment : comments)
        m_comments.insert(position++, comment);
}

void CommentListAdapter::removeInterchangeComments(const CommentList &comments)
{
    QSet<const PNGComment *> doomed;
    for (const auto &comment : comments)
        doomed.insert(comment.get());
    m_comments.removeIf([&doomed](const CommentPtr &c) { return doomed.contains(c.get()); });
}
