#pragma once

#include "core/PNGComment.h"

#include <functional>

class Template;
struct PNGinfo;

// Applying a template to a comment list, the same way for a document, a batch list and the
// command line (a list owner's form, one undo step, is in TemplateEditor.h):
//   1. when the template clears all comments, the target's visible comments are removed;
//   2. for each template comment in order: when the template overwrites duplicates, every
//      comment with an equal keyword (exact, case-sensitive) is removed, among the target's
//      visible comments and the comments this application appended already; then
//   3. a new comment is appended: the keyword (cut at 79) and the text expanded against
//      expandAgainst, or kept as typed when expandAgainst is nullptr.
// The template's own comments are never inserted or changed.

// How a list owner takes part. Every function is required.
struct TemplateApplicationTarget
{
    // The comments the owner shows (a document's filtered list, else the whole list).
    std::function<CommentList()> visibleComments;
    // Removes every visible comment (hidden ones stay).
    std::function<void()> removeAll;
    // Removes exactly these comment objects.
    std::function<void(const CommentList &)> removeComments;
    // Appends one new comment.
    std::function<void(const CommentPtr &)> append;
};

// Returns the number of comments appended.
qsizetype applyTemplate(const Template &source, const TemplateApplicationTarget &target, const PNGinfo *expandAgainst);

// The same on a plain list.
qsizetype applyTemplate(const Template &source, CommentList &target, const PNGinfo *expandAgainst);

// The comment a template comment becomes in a target.
CommentPtr appliedComment(const PNGComment &templateComment, const PNGinfo *expandAgainst);
