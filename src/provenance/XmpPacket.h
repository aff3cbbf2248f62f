#pragma once

#include "provenance/ExifData.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

// The properties of an XMP packet (the text of an iTXt entry "XML:com.adobe.xmp"): each by
// its qualified name ("dc:creator", "photoshop:City"), in document order. Simple values,
// the items of arrays (joined by "; ") and the fields of structures ("parent/field") all
// become one property each.
//
// Read with QXmlStreamReader under the rules of MetadataXml::readNextSafely(): no document
// type declaration, so no entity is ever expanded or fetched, and no absurd nesting.
struct XmpPacket
{
    static constexpr auto Keyword = "XML:com.adobe.xmp";

    QList<QPair<QString, QString>> properties;

    QString value(const QString &name) const;
    // The GPS position of exif:GPSLatitude and exif:GPSLongitude ("51,30.0447N"), when both
    // are there and valid.
    std::optional<GpsPosition> gps() const;

    // False with *error set when the packet is not well-formed XML or breaks the rules above.
    static bool read(const QByteArray &xml, XmpPacket *out, QString *error = nullptr);
};
