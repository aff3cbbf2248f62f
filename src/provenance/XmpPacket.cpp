#include "provenance/XmpPacket.h"
#include "core/Strings.h"

#include "interchange/MetadataXml.h"

#include <QHash>
#include <QXmlStreamReader>

#include <cmath>

namespace {

const QString kRdf = QStringLiteral("http://www.w3.org/1999/02/22-rdf-syntax-ns#");

// Elements of RDF's own structure, which hold properties rather than being one.
bool isStructural(const QXmlStreamReader &reader)
{
    if (reader.namespaceUri() != kRdf)
        return reader.qualifiedName() == u"x:xmpmeta" || reader.qualifiedName() == u"x:xapmeta";
    static const QStringList names { QStringLiteral("RDF"), QStringLiteral("Description"), QStringLiteral("Seq"),
        QStringLiteral("Bag"), QStringLiteral("Alt"), QStringLiteral("li") };
    return names.contains(reader.name().toString());
}

// An XMP GPS coordinate, "DDD,MM,SSk" or "DDD,MM.mmk" (k: N, S, E or W), as signed degrees.
std::optional<double> xmpCoordinate(const QString &text, double limit)
{
    const QString t = text.trimmed();
    if (t.size() < 2)
        return std::nullopt;
    const QChar direction = t.back().toUpper();
    const QStringList parts = t.chopped(1).split(u',');
    if (parts.size() < 2 || parts.size() > 3)
        return std::nullopt;
    double degrees = 0, scale = 1;
    for (const QString &part : parts) {
        bool ok = false;
        const double v = part.toDouble(&ok);
        if (!ok || v < 0)
            return std::nullopt;
        degrees += v / scale;
        scale *= 60;
    }
    if (!std::isfinite(degrees) || degrees > limit)
        return std::nullopt;
    if (direction == u'S' || direction == u'W')
        return -degrees;
    if (direction == u'N' || direction == u'E')
        return degrees;
    return std::nullopt;
}

} // namespace

QString XmpPacket::value(const QString &name) const
{
    for (const auto &[key, text] : properties) {
        if (key == name)
            return text;
    }
    return QString();
}

std::optional<GpsPosition> XmpPacket::gps() const
{
    const auto latitude = xmpCoordinate(value(QStringLiteral("exif:GPSLatitude")), 90);
    const auto longitude = xmpCoordinate(value(QStringLiteral("exif:GPSLongitude")), 180);
    if (!latitude || !longitude)
        return std::nullopt;
    return GpsPosition { *latitude, *longitude, std::nullopt };
}

bool XmpPacket::read(const QByteArray &xml, XmpPacket *out, QString *error)
{
    QXmlStreamReader reader(xml);
    XmpPacket result;
    // The property names open, from the outermost; structural elements add none.
    QStringList path;
    std::vector<bool> addsName;
    QString text;
    QHash<QString, qsizetype> indexOf; // of each property in the list
    auto add = [&](const QString &name, const QString &value) {
        const auto it = indexOf.constFind(name);
        if (it != indexOf.constEnd()) {
            result.properties[*it].second += QStringLiteral("; ") + value;
            return;
        }
        indexOf.insert(name, result.properties.size());
        result.properties.append({ name, value });
    };
    int depth = 0;
    while (!reader.atEnd()) {
        switch (MetadataXml::readNextSafely(reader, depth)) {
        case QXmlStreamReader::StartElement: {
            text.clear();
            const bool structural = isStructural(reader);
            addsName.push_back(!structural);
            if (!structural)
                path.append(reader.qualifiedName().toString());
            // Properties written as attributes (of rdf:Description mostly).
            for (const QXmlStreamAttribute &a : reader.attributes()) {
                if (a.namespaceUri() == kRdf || a.qualifiedName().startsWith(u"xmlns") || a.prefix() == u"xml")
                    continue;
                QStringList name = path;
                name.append(a.qualifiedName().toString());
                add(name.join(u'/'), a.value().toString());
            }
            break;
        }
        case QXmlStreamReader::Characters:
            text += reader.text();
            break;
        case QXmlStreamReader::EndElement: {
            const QString value = text.trimmed();
            text.clear();
            if (!value.isEmpty() && !path.isEmpty())
                add(path.join(u'/'), value);
            if (!addsName.empty()) {
                if (addsName.back())
                    path.removeLast();
                addsName.pop_back();
            }
            break;
        }
        default:
            break;
        }
    }
    if (reader.hasError()) {
        if (error)
            *error = reasonText(QT_TRANSLATE_NOOP("Reason", "not a readable XMP packet (line %1): %2"))
                         .arg(reader.lineNumber())
                         .arg(reader.errorString());
        return false;
    }
    *out = std::move(result);
    return true;
}
