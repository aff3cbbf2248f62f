#pragma once

#include "commentlist/CommentListOwner.h"
#include "templates/Template.h"

// A template while the template editor shows it: the owner of its comment list (texts kept
// as typed, no filter) with an undo history of its own, its flags edited as steps of that
// history. Every change, undo and redo included, is written back into the template record
// at once, so what the editor saves and what a window applies is always the list shown.
class EditedTemplate : public CommentListOwner
{
    Q_OBJECT

public:
    explicit EditedTemplate(std::shared_ptr<Template> record, QObject *parent = nullptr);
    ~EditedTemplate() override;

    const std::shared_ptr<Template> &record() const { return m_record; }
    QString name() const { return m_record->name(); }

    bool clearsCommentsWhenApplied() const { return m_record->clearsCommentsWhenApplied(); }
    bool overwritesDuplicatesWhenApplied() const { return m_record->overwritesDuplicatesWhenApplied(); }
    // A flag changed in the editor: one step of the history. False when the flag is set that
    // way already (no step).
    bool editClearAll(bool clearAll);
    bool editOverwriteDuplicates(bool overwrite);

signals:
    // One of the two apply flags changed (also by undo and redo).
    void flagsChanged();

private:
    class FlagEdit;

    void setClearAll(bool clearAll);
    void setOverwriteDuplicates(bool overwrite);

    std::shared_ptr<Template> m_record;
};

using EditedTemplatePtr = std::shared_ptr<EditedTemplate>;
