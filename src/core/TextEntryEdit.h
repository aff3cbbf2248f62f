#pragma once

#include "core/PNGComment.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

struct PNGinfo;

// A change of a file's text entries, as velmora-cli's set, remove and clear and the library's
// update make it: first clear, then remove, then set.
struct TextEntryEdit
{
    // Every entry goes.
    bool clear = false;
    // Every entry whose keyword is one of these (compared exactly) goes.
    QStringList remove;
    // Appended in this order after the file's entries; keywords are cut at 79 characters.
    QList<QPair<QString, QString>> set;
    // Each entry set first removes the entries with its (cut) keyword.
    bool replace = false;
    // Texts set are expanded against the image (%FILENAME%, %WIDTH% …).
    bool expandMacros = true;

    // Applies the change to comments. False with the reason when an entry to set has an empty
    // keyword; comments are then unchanged. Whether the entries can be written is the save's
    // to judge (whyUnwritable()).
    bool apply(CommentList &comments, const PNGinfo &info, QString *error) const;
};
