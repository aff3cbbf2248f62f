#pragma once

#include "core/PNGComment.h"

// How the texts of comments that enter a list are taken.
enum class Expansion {
    // Texts as a person typed or stored them, macros included (cell and panel edits,
    // presets, templates, imports, the XML clipboard form): the list's owner applies its
    // expansion policy (a document expands them against its image, others keep them).
    Expand,
    // Texts taken as they are by every owner (plain-text clipboard forms, moves).
    Verbatim,
};

// What the interchange formats (velmx, delimited text, clipboard and drag forms) need of
// an owner of a comment list: the document (its arranged list), a batch list and a
// template (their whole lists) through CommentListOwner, a plain list through
// CommentListAdapter.
class CommentListTarget
{
public:
    virtual ~CommentListTarget() = default;

    // The comments the formats export, copy and search for duplicates, in order.
    virtual CommentList interchangeComments() const = 0;
    // Inserts the comments at a position of that list; position == size appends (for a
    // filtered list: at the end of the whole list). The formats pass 0 <= position <= size
    // and comments that nothing else holds. The texts are taken as expansion says.
    virtual void insertInterchangeComments(qsizetype position, const CommentList &comments, Expansion expansion) = 0;
    // Removes exactly these comment objects (by identity); comments a filter hides are
    // never passed and must stay.
    virtual void removeInterchangeComments(const CommentList &comments) = 0;
};
