#pragma once

#include "provenance/StripPlan.h"

#include <QDialog>

class QLabel;
class QTreeWidget;

// File ▸ Remove Metadata… of a document: every item of the removal plan on a line of its
// own with a check box, its size and what it gives away said plainly (the prompt, the GPS
// position), as the plan chose them; content credentials come unchecked, with a warning
// that removing them breaks the picture's provenance.
//
// Children carry object names for tests: removeItemsTree, removeItemDetail (the whole of what
// the current item gives away), credentialsWarning.
class RemoveMetadataDialog : public QDialog
{
    Q_OBJECT

public:
    RemoveMetadataDialog(const StripPlan &plan, const QString &fileName, QWidget *parent);

    // The check box of each item, in plan order.
    QList<bool> choices() const;

    // Asks through Prompts (Kind::RemoveMetadata, the chosen states as options) and marks
    // the items of *plan as the user chose; false when cancelled.
    static bool choose(QWidget *parent, const QString &fileName, StripPlan *plan);

private:
    QTreeWidget *m_items = nullptr;
    QLabel *m_warning = nullptr;
};
