#pragma once

#include "core/PNGComment.h"

#include <QDataStream>
#include <QVariantMap>

class QXmlStreamWriter;

// The forms one comment takes outside a PNG file: the XML element of metadata files and
// the clipboard, a keyed archive, and a data stream. Each carries the keyword and the text
// only; an absent field stays absent where the form can say so (archive, stream).

// Writes the <comment keyword="…" text="…"/> element (an absent field written empty).
void writeCommentElement(QXmlStreamWriter &writer, const PNGComment &comment);

// Keyed archiving: keys "keyword" and "text", each only when the field is present.
QVariantMap encodeComment(const PNGComment &comment);
// A comment from such a map, a missing key giving an absent field (no keyword shortening).
CommentPtr decodeComment(const QVariantMap &map);

// The archive in a data stream.
QDataStream &operator<<(QDataStream &out, const PNGComment &comment);
QDataStream &operator>>(QDataStream &in, PNGComment &comment);
