#pragma once

#include "core/PNGComment.h"

#include <QList>
#include <QString>

struct PNGSource;

// What a file gives away that people rarely mean to share, for a notice in the document's
// summary: a GPS position (in Exif or XMP) and an image generator's settings.
struct PrivacyFacts
{
    bool gpsPosition = false;
    bool generationSettings = false;
    QString gpsText; // the position, when there is one

    // Of the file's text entries now and the chunks of the file as read (source may be
    // null), without the chunks at the indices in leftOut.
    static PrivacyFacts of(const CommentList &entries, const PNGSource *source, const QList<qsizetype> &leftOut = {});
};
