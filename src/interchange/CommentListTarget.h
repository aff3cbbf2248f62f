#pragma once

#include "core/PNGComment.h"

class CommentContainer;
struct PNGinfo;

// What the interchange formats (velmx, delimited text, clipboard and drag forms) need of
// an owner of a comment list. Three kinds implement it: the document (its arranged list,
// texts expanded against its image, a change counted), the batch list (its whole list,
// texts kept as typed) and the template (its whole list, texts kept as typed).
class CommentListTarget
{
public:
    enum class Operation { Import, Paste };

    virtual ~CommentListTarget() = default;

    // The comments the formats export, copy and search for duplicates, in order.
    virtual CommentList interchangeComments() const = 0;
    // Inserts comments at a position of that list; position == size appends (for a
    // filtered list: at the end of the whole list). The formats pass 0 <= position <= size
    // and have already given each comment its container (or none, for imports), so an
    // implementation must leave the containers as they are.
    virtual void insertInterchangeComments(qsizetype position, const CommentList &comments) = 0;
    // Removes exactly these comment objects (by identity); comments a filter hides are
    // never passed and must stay.
    virtual void removeInterchangeComments(const CommentList &comments) = 0;
    // The image record that imported and XML-pasted texts expand against;
    // nullptr keeps texts as they were read.
    virtual const PNGinfo *expansionInfo() const = 0;
    // The container given to pasted and dropped comments; nullptr for none.
    virtual CommentContainer *pasteContainer() = 0;
    // Called once after an import or a paste that succeeded.
    virtual void interchangeFinished(Operation operation) = 0;
};
