#pragma once

struct PNGinfo;

// The owner of a comment list (a document, a batch list, a template), as a comment sees it.
// A comment keeps a non-owning pointer to its container and calls it after an edit.
class CommentContainer
{
public:
    virtual ~CommentContainer() = default;

    // Redraw the table that shows the owner's comments.
    virtual void refreshCommentTable() = 0;

    // The image record macros expand against. Only a document has one; every other
    // owner keeps texts as typed and answers nullptr.
    virtual const PNGinfo *documentInfo() const { return nullptr; }
};
