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
    // Whether the window may close: what it would lose is saved or given up as the user
    // answers (nothing asked when there is nothing to lose); false when the user cancelled.
    virtual bool mayClose() = 0;
    // Closes without asking again, once mayClose() agreed (a running batch stops first).
    virtual void closeAgreed() = 0;
};
