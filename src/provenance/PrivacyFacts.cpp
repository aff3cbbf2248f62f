#include "provenance/PrivacyFacts.h"

#include "core/PNGSource.h"
#include "provenance/ExifData.h"
#include "provenance/GenerationRecord.h"
#include "provenance/XmpPacket.h"

PrivacyFacts PrivacyFacts::of(const CommentList &entries, const PNGSource *source, const QList<qsizetype> &leftOut)
{
    PrivacyFacts facts;
    facts.generationSettings = !GenerationRecord::fromEntries(entries).isEmpty();
    std::optional<GpsPosition> gps;
    // XMP joins the people of a list with "; ".
    const auto addCreator = [&facts](const QString &names) {
        for (const QString &name : names.split(QStringLiteral("; "))) {
            const QString person = name.trimmed();
            if (!person.isEmpty() && !facts.creators.contains(person))
                facts.creators << person;
        }
    };
    for (const CommentPtr &c : entries) {
        XmpPacket xmp;
        if (c && c->keyword() == QLatin1String(XmpPacket::Keyword) && XmpPacket::read(c->text().toUtf8(), &xmp)) {
            if (!gps)
                gps = xmp.gps();
            addCreator(xmp.value(QStringLiteral("dc:creator")));
        }
    }
    for (size_t i = 0; source && i < source->chunks.size(); ++i) {
        const PngChunk &c = source->chunks[i];
        ExifData exif;
        if (c.type == "eXIf" && !leftOut.contains(qsizetype(i))
            && ExifData::read(QByteArray::fromRawData(source->payload(c), c.length), &exif)) {
            if (!gps)
                gps = exif.gps;
            addCreator(exif.value(QStringLiteral("Artist")));
            addCreator(exif.value(QStringLiteral("Camera owner")));
        }
    }
    if (gps) {
        facts.gpsPosition = true;
        facts.gpsText = gps->text();
    }
    return facts;
}
