#pragma once

#include "interchange/CommentListTarget.h"

struct PNGinfo;

// Lets the interchange formats work on a plain comment list, for callers without a list
// owner of their own (the command line, tools). The whole list is used; with an image
// record, texts to expand are expanded against it.
class CommentListAdapter : public CommentListTarget
{
public:
    explicit CommentListAdapter(CommentList &comments, const PNGinfo *expansionInfo = nullptr)
        : m_comments(comments)
        , m_info(expansionInfo)
    {
    }

    CommentList interchangeComments() const override { return m_comments; }
    void insertInterchangeComments(qsizetype position, const CommentList &comments, Expansion expansion) override;
    void removeInterchangeComments(const CommentList &comments) override;

private:
    CommentList &m_comments;
    const PNGinfo *m_info = nullptr;
};
