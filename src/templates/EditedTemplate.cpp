#include "templates/EditedTemplate.h"

#include "core/Strings.h"

// A change of one apply flag, as a step of the template's history.
class EditedTemplate::FlagEdit : public UndoCommand
{
public:
    using Setter = void (EditedTemplate::*)(bool);
    FlagEdit(EditedTemplate *owner, Setter setter, bool value, const QString &text)
        : UndoCommand(text)
        , m_owner(owner)
        , m_setter(setter)
        , m_value(value)
    {
    }
    void redo() override { (m_owner->*m_setter)(m_value); }
    void undo() override { (m_owner->*m_setter)(!m_value); }

private:
    EditedTemplate *m_owner;
    Setter m_setter;
    bool m_value;
};

EditedTemplate::EditedTemplate(std::shared_ptr<Template> record, QObject *parent)
    : CommentListOwner(parent)
    , m_record(std::move(record))
{
    resetComments(m_record->comments());
    connect(this, &CommentListOwner::commentsChanged, this, [this] { m_record->setComments(allComments()); });
}

EditedTemplate::~EditedTemplate() = default;

void EditedTemplate::setClearAll(bool clearAll)
{
    m_record->setClearAll(clearAll);
    emit flagsChanged();
}

void EditedTemplate::setOverwriteDuplicates(bool overwrite)
{
    m_record->setOverwriteDuplicates(overwrite);
    emit flagsChanged();
}

bool EditedTemplate::editClearAll(bool clearAll)
{
    if (clearsCommentsWhenApplied() == clearAll)
        return false;
    undoStack()->push(
        std::make_unique<FlagEdit>(this, &EditedTemplate::setClearAll, clearAll, localizedString("StepClearsAll")));
    return true;
}

bool EditedTemplate::editOverwriteDuplicates(bool overwrite)
{
    if (overwritesDuplicatesWhenApplied() == overwrite)
        return false;
    undoStack()->push(std::make_unique<FlagEdit>(
        this, &EditedTemplate::setOverwriteDuplicates, overwrite, localizedString("StepOverwriteDuplicates")));
    return true;
}
