#pragma once

#include "core/PNGComment.h"

#include <QList>
#include <QString>
#include <QStringList>

struct PNGSource;

// What a file gives away that people rarely mean to share, for a notice in the document's
// summary: a GPS position (in Exif or XMP), an image generator's settings, and the names of
// the people who made it or own the camera (XMP dc:creator, Exif Artist and Camera owner).
struct PrivacyFacts
{
    bool gpsPosition = false;
    bool generationSettings = false;
    QString gpsText; // the position, when there is one
    QStringList creators; // each person once, in file order

    bool any() const { return gpsPosition || generationSettings || !creators.isEmpty(); }

    // Of the file's text entries now and the chunks of the file as read (source may be
    // null), without the chunks at the indices in leftOut.
    static PrivacyFacts of(const CommentList &entries, const PNGSource *source, const QList<qsizetype> &leftOut = {});
};
