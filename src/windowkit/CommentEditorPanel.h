#pragma once

#include "core/PNGComment.h"

#include <QPointer>
#include <QWidget>

class CommentListOwner;
class MetadataPresetManager;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QToolButton;
class StoreMenu;

// The comment editor panel: a non-modal tool window of an owner's window that edits one
// comment of the owner's list in a keyword field and a multi-line text editor, with a
// menu of the presets of a store. The comment list pane of a window creates one on first
// use and reuses it.
//
// Every change goes through the owner, one step per committed field: the keyword when
// its field's editing ends (Return or leaving it), the text when its editor loses the
// focus, both when the panel closes. Escape discards the typing not yet handed over (as
// it does in a table cell) and closes the panel. A preset replaces keyword and text in one step, its
// value taken as the owner takes typed texts (a document expands it, a template or batch
// list keeps it). The fields follow changes made elsewhere (the table, undo) unless they
// hold typing of their own. While the comment is not in the owner's list (deleted, cut,
// the list read again) the panel shows that and edits nothing; it edits the comment again
// if it comes back (undo).
//
// Children carry object names for tests: keywordField, textField, presetsButton,
// closeButton, statusLabel.
class CommentEditorPanel : public QWidget
{
    Q_OBJECT

public:
    CommentEditorPanel(CommentListOwner *owner, MetadataPresetManager *presets, QWidget *ownerWindow);
    ~CommentEditorPanel() override;

    // Shows the comment in the fields (committing the one shown before) and brings the
    // panel to the front as the active window.
    void editComment(const CommentPtr &comment);
    CommentPtr comment() const { return m_comment; }
    // Whether the comment is in the owner's list, so the panel can edit it.
    bool isAttached() const;
    // Hands changed fields to the owner.
    void commit();
    // Moves the panel to another owner (the template editor showing another template):
    // typed fields go to the old owner first, and the panel edits nothing until the next
    // editComment().
    void setOwner(CommentListOwner *owner);

protected:
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *object, QEvent *event) override;

private:
    void commitKeyword();
    void commitText();
    void applyPreset(int index);
    // Escape: the fields show the comment again, then the panel closes.
    void discardAndClose();
    // Shows the comment's values; force replaces typing too.
    void showComment(bool force);

    QPointer<CommentListOwner> m_owner;
    QPointer<MetadataPresetManager> m_presets;
    CommentPtr m_comment;
    QLineEdit *m_keywordField = nullptr;
    QPlainTextEdit *m_textField = nullptr;
    QToolButton *m_presetsButton = nullptr;
    QLabel *m_statusLabel = nullptr;
};
