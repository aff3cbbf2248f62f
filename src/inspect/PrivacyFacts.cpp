#include "inspect/PrivacyFacts.h"

#include "core/PNGSource.h"
#include "inspect/ExifData.h"
#include "inspect/GenerationRecord.h"
#include "inspect/XmpPacket.h"

PrivacyFacts PrivacyFacts::of(const CommentList &entries, const PNGSource *source, const QList<qsizetype> &leftOut)
{
    PrivacyFacts facts;
    facts.generationSettings = !GenerationRecord::fromEntries(entries).isEmpty();
    std::optional<GpsPosition> gps;
    for (const CommentPtr &c : entries) {
        XmpPacket xmp;
        if (!gps && c && c->keyword() == QLatin1String(XmpPacket::Keyword) && XmpPacket::read(c->text().toUtf8(), &xmp))
            gps = xmp.gps();
    }
    for (size_t i = 0; source && !gps && i < source->chunks.size(); ++i) {
        const PngChunk &c = source->chunks[i];
        ExifData exif;
        if (c.type == "eXIf" && !leftOut.contains(qsizetype(i))
            && ExifData::read(QByteArray::fromRawData(source->payload(c), c.length), &exif))
            gps = exif.gps;
    }
    if (gps) {
        facts.gpsPosition = true;
        facts.gpsText = gps->text();
    }
    return facts;
}
