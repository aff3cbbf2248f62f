#include "provenance/ExifData.h"
#include "core/Strings.h"

#include "core/PNGReader.h"

#include <QHash>
#include <QtEndian>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <vector>

namespace {

// The IFDs followed at most: IFD0, the thumbnail IFD, the Exif and the GPS IFD, and a few
// more for writers that chain others.
constexpr int kMaxIfds = 8;

enum Tag : quint16 {
    Make = 0x010f,
    Model = 0x0110,
    Software = 0x0131,
    DateTime = 0x0132,
    Artist = 0x013b,
    Copyright = 0x8298,
    ExifIfd = 0x8769,
    GpsIfd = 0x8825,
    DateTimeOriginal = 0x9003,
    OwnerName = 0xa430,
    BodySerialNumber = 0xa431,
    LensModel = 0xa434,
    GpsLatitudeRef = 0x0001,
    GpsLatitude = 0x0002,
    GpsLongitudeRef = 0x0003,
    GpsLongitude = 0x0004,
    GpsAltitudeRef = 0x0005,
    GpsAltitude = 0x0006,
};

enum Type : quint16 { Byte = 1, Ascii = 2, Short = 3, Long = 4, Rational = 5, Undefined = 7, Ifd = 13 };

// Bytes per value of the TIFF field types (0: unknown type).
qint64 typeSize(quint16 type)
{
    static const qint64 sizes[] = { 0, 1, 1, 2, 4, 8, 1, 1, 2, 4, 8, 4, 8, 4 };
    return type < std::size(sizes) ? sizes[type] : 0;
}

class TiffReader
{
public:
    explicit TiffReader(const QByteArray &bytes)
        : m_bytes(bytes)
    {
    }

    bool header(quint32 *firstIfd)
    {
        if (m_bytes.size() < 8)
            return false;
        if (m_bytes.startsWith("II*\0"))
            m_bigEndian = false;
        else if (m_bytes.startsWith(QByteArray("MM\0*", 4)))
            m_bigEndian = true;
        else
            return false;
        *firstIfd = u32(4);
        return true;
    }

    // Whether size bytes from offset lie inside the block.
    bool holds(qint64 offset, qint64 size) const { return offset >= 0 && size >= 0 && offset <= m_bytes.size() - size; }

    quint16 u16(qint64 at) const
    {
        const char *p = m_bytes.constData() + at;
        return m_bigEndian ? qFromBigEndian<quint16>(p) : qFromLittleEndian<quint16>(p);
    }
    quint32 u32(qint64 at) const
    {
        const char *p = m_bytes.constData() + at;
        return m_bigEndian ? qFromBigEndian<quint32>(p) : qFromLittleEndian<quint32>(p);
    }

    struct Field
    {
        quint16 tag = 0;
        quint16 type = 0;
        quint32 count = 0;
        qint64 valueOffset = -1; // where the value lies; -1 when it does not fit the block
    };

    // The fields of the IFD at offset and the offset of the next IFD (0: none). False when
    // the IFD does not lie inside the block.
    bool ifd(quint32 offset, std::vector<Field> *fields, quint32 *next) const
    {
        if (!holds(offset, 2))
            return false;
        const quint16 count = u16(offset);
        const qint64 entries = qint64(offset) + 2;
        if (!holds(entries, qint64(count) * 12))
            return false;
        fields->clear();
        for (quint16 i = 0; i < count; ++i) {
            const qint64 at = entries + qint64(i) * 12;
            Field f;
            f.tag = u16(at);
            f.type = u16(at + 2);
            f.count = u32(at + 4);
            const qint64 size = typeSize(f.type) * qint64(f.count);
            if (typeSize(f.type) > 0)
                f.valueOffset = size <= 4 ? at + 8 : qint64(u32(at + 8));
            if (!holds(f.valueOffset, size))
                f.valueOffset = -1;
            fields->push_back(f);
        }
        const qint64 nextAt = entries + qint64(count) * 12;
        *next = holds(nextAt, 4) ? u32(nextAt) : 0;
        return true;
    }

    QString ascii(const Field &f) const
    {
        if (f.valueOffset < 0 || (f.type != Ascii && f.type != Undefined && f.type != Byte))
            return QString();
        QByteArray raw = m_bytes.mid(f.valueOffset, f.count);
        const qsizetype nul = raw.indexOf('\0');
        if (nul >= 0)
            raw.truncate(nul);
        return decodePngText(raw).trimmed();
    }

    std::optional<quint32> integer(const Field &f) const
    {
        if (f.valueOffset < 0 || f.count < 1)
            return std::nullopt;
        switch (f.type) {
        case Byte:
        case Undefined:
            return quint8(m_bytes.at(f.valueOffset));
        case Short:
            return u16(f.valueOffset);
        case Long:
        case Ifd:
            return u32(f.valueOffset);
        default:
            return std::nullopt;
        }
    }

    // The index-th unsigned rational of the field; none for a zero denominator.
    std::optional<double> rational(const Field &f, quint32 index) const
    {
        if (f.valueOffset < 0 || f.type != Rational || index >= f.count)
            return std::nullopt;
        const qint64 at = f.valueOffset + qint64(index) * 8;
        const quint32 denominator = u32(at + 4);
        if (denominator == 0)
            return std::nullopt;
        return double(u32(at)) / denominator;
    }

private:
    const QByteArray &m_bytes;
    bool m_bigEndian = false;
};

const TiffReader::Field *find(const std::vector<TiffReader::Field> &fields, quint16 tag)
{
    for (const auto &f : fields) {
        if (f.tag == tag)
            return &f;
    }
    return nullptr;
}

// Degrees from three rationals (degrees, minutes, seconds), signed by the reference letter.
std::optional<double> coordinate(
    const TiffReader &tiff, const TiffReader::Field *value, const QString &ref, QChar negative, double limit)
{
    if (!value || value->count < 3)
        return std::nullopt;
    const auto d = tiff.rational(*value, 0), m = tiff.rational(*value, 1), s = tiff.rational(*value, 2);
    if (!d || !m || !s)
        return std::nullopt;
    const double degrees = *d + *m / 60 + *s / 3600;
    if (!std::isfinite(degrees) || degrees > limit)
        return std::nullopt;
    return ref.startsWith(negative, Qt::CaseInsensitive) ? -degrees : degrees;
}

std::optional<GpsPosition> gpsPosition(const TiffReader &tiff, const std::vector<TiffReader::Field> &fields)
{
    const auto *latRef = find(fields, GpsLatitudeRef), *lonRef = find(fields, GpsLongitudeRef);
    const auto latitude
        = coordinate(tiff, find(fields, GpsLatitude), latRef ? tiff.ascii(*latRef) : QString(), u'S', 90);
    const auto longitude
        = coordinate(tiff, find(fields, GpsLongitude), lonRef ? tiff.ascii(*lonRef) : QString(), u'W', 180);
    if (!latitude || !longitude)
        return std::nullopt;
    GpsPosition position { *latitude, *longitude, std::nullopt };
    if (const auto *altitude = find(fields, GpsAltitude)) {
        if (const auto metres = tiff.rational(*altitude, 0)) {
            const auto *below = find(fields, GpsAltitudeRef);
            const auto ref = below ? tiff.integer(*below) : std::nullopt;
            position.altitude = ref.value_or(0) == 1 ? -*metres : *metres;
        }
    }
    return position;
}

} // namespace

QString GpsPosition::text() const
{
    QString s = QStringLiteral("%1° %2, %3° %4")
                    .arg(std::abs(latitude), 0, 'f', 5)
                    .arg(QChar(latitude < 0 ? u'S' : u'N'))
                    .arg(std::abs(longitude), 0, 'f', 5)
                    .arg(QChar(longitude < 0 ? u'W' : u'E'));
    if (altitude)
        s += QStringLiteral(", %1 m").arg(*altitude, 0, 'f', 0);
    return s;
}

QString ExifData::value(const QString &label) const
{
    for (const auto &[name, text] : fields) {
        if (name == label)
            return text;
    }
    return QString();
}

bool ExifData::read(const QByteArray &tiffBytes, ExifData *out, QString *error)
{
    TiffReader tiff(tiffBytes);
    quint32 first = 0;
    std::vector<TiffReader::Field> fields;
    quint32 next = 0;
    if (!tiff.header(&first) || !tiff.ifd(first, &fields, &next)) {
        if (error)
            *error = reasonText(QT_TRANSLATE_NOOP("Reason", "not an Exif block (no valid TIFF header or first IFD)"));
        return false;
    }

    // Every IFD read, by offset: a chain or pointer leading back is not followed again.
    std::vector<quint32> seen;
    struct Pending
    {
        quint32 offset;
        enum Kind { Image, Exif, Gps } kind;
    };
    std::vector<Pending> pending { { first, Pending::Image } };
    // The fields shown, in this order.
    static const QPair<quint16, const char *> shown[] = {
        { Make, QT_TRANSLATE_NOOP("FieldName", "Camera make") },
        { Model, QT_TRANSLATE_NOOP("FieldName", "Camera model") },
        { LensModel, QT_TRANSLATE_NOOP("FieldName", "Lens") },
        { BodySerialNumber, QT_TRANSLATE_NOOP("FieldName", "Camera serial number") },
        { DateTimeOriginal, QT_TRANSLATE_NOOP("FieldName", "Date taken") },
        { DateTime, QT_TRANSLATE_NOOP("FieldName", "Date changed") },
        { Software, QT_TRANSLATE_NOOP("FieldName", "Software") },
        { Artist, QT_TRANSLATE_NOOP("FieldName", "Artist") },
        { OwnerName, QT_TRANSLATE_NOOP("FieldName", "Camera owner") },
        { Copyright, QT_TRANSLATE_NOOP("FieldName", "Copyright") },
    };
    QHash<quint16, QString> found;
    ExifData result;
    while (!pending.empty() && int(seen.size()) < kMaxIfds) {
        const Pending p = pending.front();
        pending.erase(pending.begin());
        if (std::find(seen.begin(), seen.end(), p.offset) != seen.end())
            continue;
        seen.push_back(p.offset);
        if (!tiff.ifd(p.offset, &fields, &next))
            continue;
        if (p.kind == Pending::Gps) {
            result.hasGpsData = true;
            if (!result.gps)
                result.gps = gpsPosition(tiff, fields);
            continue;
        }
        for (const auto &f : fields) {
            if (f.tag == ExifIfd || f.tag == GpsIfd) {
                if (const auto offset = tiff.integer(f); offset && (f.type == Long || f.type == Ifd))
                    pending.push_back({ *offset, f.tag == ExifIfd ? Pending::Exif : Pending::Gps });
                continue;
            }
            // A field keeps the first value found: IFD0's before the Exif IFD's and the
            // thumbnail's.
            const bool isShown
                = std::any_of(std::begin(shown), std::end(shown), [&](const auto &s) { return s.first == f.tag; });
            if (isShown && found.value(f.tag).isEmpty())
                found.insert(f.tag, tiff.ascii(f));
        }
        if (p.kind == Pending::Image && next != 0)
            pending.push_back({ next, Pending::Image });
    }
    for (const auto &[tag, label] : shown) {
        const QString text = found.value(tag);
        if (!text.isEmpty())
            result.fields.append({ rememberedText("FieldName", label), text });
    }
    *out = std::move(result);
    return true;
}
