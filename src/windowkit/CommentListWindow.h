#pragma once

class CommentListOwner;

// A window whose comment list the application's File ▸ Import Metadata… and Export
// Metadata… act on while it is in front: a document (its arranged list) or a batch
// window (its comments).
class CommentListWindow
{
public:
    virtual ~CommentListWindow() = default;

    // The list, with open edits (a table cell, the comment editor panel) handed to it first.
    virtual CommentListOwner *metadataList() = 0;
    // Whether an import may change the list now; a batch window refuses while it runs.
    virtual bool canImportMetadata() const { return true; }
};
