#pragma once

#include "interchange/CommentListTarget.h"

// Lets the interchange formats work on a plain comment list, for callers without a list
// owner of their own (the command line, tools). The whole list is used; with an image
// record, imported and XML-pasted texts expand against it. No container is given and
// finishing does nothing.
class CommentListAdapter : public CommentListTarget
{
public:
    explicit CommentListAdapter(CommentList &comments, const PNGinfo *expansionInfo = nullptr)
        : m_comments(comments)
        , m_info(expansionInfo)
    {
    }

    CommentList interchangeComments() const override { return m_comments; }
    void insertInterchangeComments(qsizetype position, const CommentList &comments) override;
    void removeInterchangeComments(const CommentList &comments) override;
    const PNGinfo *expansionInfo() const override { return m_info; }
    CommentContainer *pasteContainer() override { return nullptr; }
    void interchangeFinished(Operation) override { }

private:
    CommentList &m_comments;
    const PNGinfo *m_info = nullptr;
};
