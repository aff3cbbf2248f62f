#include "provenance/ChunkDescription.h"

#include "core/PNGReader.h"
#include "core/PNGSource.h"
#include "core/Strings.h"
#include "core/TextChunks.h"
#include "provenance/ExifData.h"
#include "provenance/GenerationRecord.h"
#include "provenance/XmpPacket.h"

#include <QJsonObject>
#include <QLocale>
#include <QtEndian>

namespace {

// The compressed texts of a file may inflate to at most this much in all for their
// descriptions, as when the file is read.
constexpr qsizetype kMaxTextBytes = 64 << 20;
// Text shown in a summary: at most this many characters.
constexpr qsizetype kSummaryText = 80;

quint32 u32(const QByteArray &p, qsizetype at)
{
    return qFromBigEndian<quint32>(p.constData() + at);
}
quint16 u16(const QByteArray &p, qsizetype at)
{
    return qFromBigEndian<quint16>(p.constData() + at);
}
int u8(const QByteArray &p, qsizetype at)
{
    return quint8(p.at(at));
}

// A summary is English where it is made (velmora-cli and the library print it); the chunk
// window shows it in the user's language (shownText).
QString summaryText(const char *sourceText)
{
    return rememberedText("ChunkSummary", sourceText);
}

QString number(qint64 n)
{
    return QLocale::c().toString(n);
}

QString malformed(const QByteArray &payload)
{
    return summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "malformed (%1 bytes)")).arg(payload.size());
}

QString colourTypeName(int colourType)
{
    switch (colourType) {
    case 0:
        return summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "greyscale"));
    case 2:
        return QStringLiteral("RGB");
    case 3:
        return summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "palette"));
    case 4:
        return summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "greyscale with alpha"));
    case 6:
        return summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "RGB with alpha"));
    default:
        return summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "colour type %1")).arg(colourType);
    }
}

// One line of a text, shortened.
QString excerpt(const QString &text)
{
    QString line = text.simplified();
    if (line.size() > kSummaryText)
        line = line.left(kSummaryText - 1) + u'…';
    return line;
}

// Values in 1/100000 (gAMA, cHRM).
QString fixedPoint(quint32 v)
{
    return QString::number(v / 100000.0, 'g', 6);
}

QString ihdr(const QByteArray &p)
{
    if (p.size() != 13)
        return malformed(p);
    return summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "%1×%2, %3-bit %4, %5"))
        .arg(u32(p, 0))
        .arg(u32(p, 4))
        .arg(u8(p, 8))
        .arg(colourTypeName(u8(p, 9)))
        .arg(u8(p, 12) == 1 ? summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "interlaced (Adam7)"))
                            : summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "not interlaced")));
}

// The samples of a tRNS or bKGD colour by the image's colour type.
QString colourSamples(const QByteArray &p, int colourType)
{
    if ((colourType == 0 || colourType == 4) && p.size() == 2)
        return summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "grey %1")).arg(u16(p, 0));
    if ((colourType == 2 || colourType == 6) && p.size() == 6)
        return QStringLiteral("%1, %2, %3").arg(u16(p, 0)).arg(u16(p, 2)).arg(u16(p, 4));
    return QString();
}

QString phys(const QByteArray &p)
{
    if (p.size() != 9)
        return malformed(p);
    const quint32 x = u32(p, 0), y = u32(p, 4);
    if (u8(p, 8) == 1)
        return summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "%1 × %2 dpi (%3 × %4 pixels per metre)"))
            .arg(qRound(x * 0.0254))
            .arg(qRound(y * 0.0254))
            .arg(x)
            .arg(y);
    return summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "pixel aspect ratio %1:%2")).arg(x).arg(y);
}

QString time(const QByteArray &p)
{
    if (p.size() != 7)
        return malformed(p);
    return summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "last modified %1-%2-%3 %4:%5:%6 UTC"))
        .arg(u16(p, 0), 4, 10, QLatin1Char('0'))
        .arg(u8(p, 2), 2, 10, QLatin1Char('0'))
        .arg(u8(p, 3), 2, 10, QLatin1Char('0'))
        .arg(u8(p, 4), 2, 10, QLatin1Char('0'))
        .arg(u8(p, 5), 2, 10, QLatin1Char('0'))
        .arg(u8(p, 6), 2, 10, QLatin1Char('0'));
}

QString chrm(const QByteArray &p)
{
    if (p.size() != 32)
        return malformed(p);
    return summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "white point %1, %2; red %3, %4; green %5, %6; blue %7, %8"))
        .arg(fixedPoint(u32(p, 0)), fixedPoint(u32(p, 4)), fixedPoint(u32(p, 8)), fixedPoint(u32(p, 12)),
            fixedPoint(u32(p, 16)), fixedPoint(u32(p, 20)), fixedPoint(u32(p, 24)), fixedPoint(u32(p, 28)));
}

QString cicp(const QByteArray &p)
{
    if (p.size() != 4)
        return malformed(p);
    auto named = [](int code, std::initializer_list<QPair<int, const char *>> names) {
        for (const auto &[c, name] : names) {
            if (c == code)
                return QStringLiteral("%1 (%2)").arg(code).arg(QLatin1String(name));
        }
        return QString::number(code);
    };
    return summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "colour primaries %1, transfer %2, matrix %3, %4"))
        .arg(named(u8(p, 0), { { 1, "BT.709" }, { 9, "BT.2020" }, { 12, "Display P3" } }),
            named(u8(p, 1), { { 1, "BT.709" }, { 8, "linear" }, { 13, "sRGB" }, { 16, "PQ" }, { 18, "HLG" } }),
            QString::number(u8(p, 2)),
            u8(p, 3) ? summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "full range"))
                     : summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "narrow range")));
}

QString mdcv(const QByteArray &p)
{
    if (p.size() != 24)
        return malformed(p);
    auto xy = [&](qsizetype at) {
        return QStringLiteral("%1, %2").arg(u16(p, at) * 0.00002, 0, 'f', 4).arg(u16(p, at + 2) * 0.00002, 0, 'f', 4);
    };
    return summaryText(QT_TRANSLATE_NOOP("ChunkSummary",
                           "mastering display: red %1; green %2; blue %3; white point %4; luminance %5 to %6 cd/m²"))
        .arg(xy(0), xy(4), xy(8), xy(12))
        .arg(u32(p, 20) * 0.0001, 0, 'g', 6)
        .arg(u32(p, 16) * 0.0001, 0, 'g', 6);
}

QString clli(const QByteArray &p)
{
    if (p.size() != 8)
        return malformed(p);
    return summaryText(
        QT_TRANSLATE_NOOP("ChunkSummary", "maximum content light level %1 cd/m², maximum frame-average %2 cd/m²"))
        .arg(u32(p, 0) * 0.0001, 0, 'g', 6)
        .arg(u32(p, 4) * 0.0001, 0, 'g', 6);
}

QString actl(const QByteArray &p)
{
    if (p.size() != 8)
        return malformed(p);
    const quint32 plays = u32(p, 4);
    return summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "animation of %1 frames, %2"))
        .arg(u32(p, 0))
        .arg(plays == 0 ? summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "played forever"))
                        : summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "played %1 times")).arg(plays));
}

QString fctl(const QByteArray &p)
{
    if (p.size() != 26)
        return malformed(p);
    static const char *const dispose[] = { "none", "background", "previous" };
    static const char *const blend[] = { "source", "over" };
    const quint16 den = u16(p, 22);
    return summaryText(
        QT_TRANSLATE_NOOP("ChunkSummary", "frame, sequence %1: %2×%3 at %4, %5, delay %6/%7 s, dispose %8, blend %9"))
        .arg(u32(p, 0))
        .arg(u32(p, 4))
        .arg(u32(p, 8))
        .arg(u32(p, 12))
        .arg(u32(p, 16))
        .arg(u16(p, 20))
        .arg(den == 0 ? 100 : den)
        .arg(QLatin1String(u8(p, 24) < 3 ? dispose[u8(p, 24)] : "?"))
        .arg(QLatin1String(u8(p, 25) < 2 ? blend[u8(p, 25)] : "?"));
}

// The name before the first NUL (iCCP, sPLT, pCAL), with what follows it.
QString leadingName(const QByteArray &p)
{
    const qsizetype nul = p.indexOf('\0');
    return nul < 0 ? QString() : QString::fromLatin1(p.left(nul));
}

void describeExif(ChunkDescription &d, const QByteArray &p)
{
    ExifData exif;
    if (!ExifData::read(p, &exif)) {
        d.summary = summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "Exif data, unreadable (%1 bytes)")).arg(p.size());
        return;
    }
    d.details = exif.fields;
    QStringList parts;
    // The model usually names the make too ("Canon EOS R5").
    const QString make = exif.value(QStringLiteral("Camera make")), model = exif.value(QStringLiteral("Camera model"));
    const QString camera = model.startsWith(make) ? model : (make + u' ' + model).trimmed();
    if (!camera.isEmpty())
        parts << camera;
    if (const QString taken = exif.value(QStringLiteral("Date taken")); !taken.isEmpty())
        parts << summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "taken %1")).arg(taken);
    if (exif.gps) {
        parts << summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "GPS position %1")).arg(exif.gps->text());
        d.details.append({ summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "GPS position")), exif.gps->text() });
    } else if (exif.hasGpsData) {
        parts << summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "GPS data without a position"));
    }
    d.summary = summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "Exif data"))
        + (parts.isEmpty() ? QString() : QStringLiteral(": ") + parts.join(QStringLiteral(", ")));
}

void describeText(ChunkDescription &d, const QByteArray &type, const QByteArray &p, qsizetype *budget)
{
    DecodedTextChunk text;
    const TextChunkStatus status = decodeTextChunk(type, p.constData(), p.size(), *budget, &text);
    if (status == TextChunkStatus::TooLarge) {
        d.summary = summaryText(QT_TRANSLATE_NOOP("ChunkSummary",
                                    "text entry, too large to read (the texts of a file may take %1 MiB in all)"))
                        .arg(kMaxTextBytes >> 20);
        return;
    }
    if (status != TextChunkStatus::Ok) {
        d.summary = summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "text entry, unreadable (%1 bytes)")).arg(p.size());
        return;
    }
    *budget -= text.text.size();
    const QString keyword = decodePngText(text.keyword);
    const QString value = decodePngText(text.text);
    const QString compressed = text.compressed
        ? QStringLiteral(", ") + summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "compressed"))
        : QString();
    if (keyword == QLatin1String(XmpPacket::Keyword)) {
        XmpPacket xmp;
        if (XmpPacket::read(text.text, &xmp)) {
            d.details = xmp.properties;
            d.summary = summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "XMP packet with %1 properties%2"))
                            .arg(xmp.properties.size())
                            .arg(compressed);
            if (const auto gps = xmp.gps())
                d.summary += QStringLiteral(", ")
                    + summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "GPS position %1")).arg(gps->text());
        } else {
            d.summary = summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "XMP packet, unreadable%1")).arg(compressed);
        }
        return;
    }
    d.summary = QStringLiteral("“%1”%2: %3").arg(keyword, compressed, excerpt(value));
    if (GenerationRecord::isGenerationKeyword(keyword)) {
        const QList<GenerationRecord> records = GenerationRecord::fromEntries({ makeComment(keyword, value) });
        if (!records.isEmpty()) {
            d.summary = summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "“%1”%2: generation settings (%3): %4"))
                            .arg(keyword, compressed, records.first().generator, excerpt(records.first().prompt));
            d.details = records.first().labelledFields();
        }
    }
}

} // namespace

ChunkDescription ChunkDescription::describeOne(
    const QByteArray &type, const QByteArray &p, int colourType, qsizetype *textBudget)
{
    qsizetype ownBudget = kMaxTextBytes;
    ChunkDescription d;
    d.type = type;
    d.length = quint32(p.size());
    d.critical = !type.isEmpty() && !(type.at(0) & 0x20);
    d.safeToCopy = type.size() == 4 && (type.at(3) & 0x20);
    if (type == "IHDR") {
        d.summary = ihdr(p);
    } else if (type == "PLTE") {
        d.summary = p.size() % 3
            ? malformed(p)
            : summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "palette of %1 colours")).arg(p.size() / 3);
    } else if (type == "IDAT") {
        d.summary = summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "image data"));
    } else if (type == "IEND") {
        d.summary = summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "end of the image"));
    } else if (type == "tRNS") {
        const QString samples = colourSamples(p, colourType);
        d.summary = colourType == 3
            ? summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "alpha of %1 palette entries")).arg(p.size())
            : samples.isEmpty()
            ? summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "transparency (%1 bytes)")).arg(p.size())
            : summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "transparent colour %1")).arg(samples);
    } else if (type == "bKGD") {
        const QString samples = colourSamples(p, colourType);
        d.summary = colourType == 3 && p.size() == 1
            ? summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "background: palette entry %1")).arg(u8(p, 0))
            : samples.isEmpty() ? malformed(p)
                                : summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "background: %1")).arg(samples);
    } else if (type == "gAMA") {
        d.summary = p.size() == 4
            ? summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "gamma %1")).arg(fixedPoint(u32(p, 0)))
            : malformed(p);
    } else if (type == "cHRM") {
        d.summary = chrm(p);
    } else if (type == "sRGB") {
        static const char *const intents[]
            = { "perceptual", "relative colorimetric", "saturation", "absolute colorimetric" };
        d.summary = p.size() == 1 && u8(p, 0) < 4
            ? summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "sRGB colour space, %1 rendering intent"))
                  .arg(QLatin1String(intents[u8(p, 0)]))
            : malformed(p);
    } else if (type == "iCCP") {
        const QString name = leadingName(p);
        d.summary = name.isNull() || p.size() < name.size() + 2
            ? malformed(p)
            : summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "ICC profile “%1” (%2 bytes compressed)"))
                  .arg(name, number(p.size() - name.size() - 2));
    } else if (type == "cICP") {
        d.summary = cicp(p);
    } else if (type == "mDCV" || type == "mDCv") {
        d.summary = mdcv(p);
    } else if (type == "cLLI" || type == "cLLi") {
        d.summary = clli(p);
    } else if (type == "sBIT") {
        QStringList bits;
        for (char b : p)
            bits << QString::number(quint8(b));
        d.summary = p.isEmpty() || p.size() > 4 ? malformed(p)
                                                : summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "significant bits %1"))
                                                      .arg(bits.join(QStringLiteral(", ")));
    } else if (type == "pHYs") {
        d.summary = phys(p);
    } else if (type == "tIME") {
        d.summary = time(p);
    } else if (type == "acTL") {
        d.summary = actl(p);
    } else if (type == "fcTL") {
        d.summary = fctl(p);
    } else if (type == "fdAT") {
        d.summary = p.size() < 4
            ? malformed(p)
            : summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "frame data, sequence %1")).arg(u32(p, 0));
    } else if (type == "eXIf") {
        describeExif(d, p);
    } else if (type == "tEXt" || type == "zTXt" || type == "iTXt") {
        describeText(d, type, p, textBudget ? textBudget : &ownBudget);
    } else if (type == "caBX") {
        d.summary = summaryText(
            QT_TRANSLATE_NOOP("ChunkSummary", "content credentials present (C2PA manifest store, %1 bytes)"))
                        .arg(number(p.size()));
    } else if (type == "hIST") {
        d.summary = summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "histogram of %1 palette entries")).arg(p.size() / 2);
    } else if (type == "sPLT") {
        d.summary = summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "suggested palette “%1”")).arg(leadingName(p));
    } else if (type == "oFFs") {
        d.summary = p.size() == 9
            ? summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "image offset %1, %2 %3"))
                  .arg(qint32(u32(p, 0)))
                  .arg(qint32(u32(p, 4)))
                  .arg(u8(p, 8) == 1 ? summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "micrometres"))
                                     : summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "pixels")))
            : malformed(p);
    } else if (type == "sCAL") {
        d.summary = summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "physical scale of the pixels"));
    } else if (type == "pCAL") {
        d.summary = summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "pixel calibration “%1”")).arg(leadingName(p));
    } else if (type == "sTER") {
        d.summary = summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "stereo pair"));
    } else if (type == "dSIG") {
        d.summary = summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "digital signature"));
    } else {
        d.summary = type.size() == 4 && (type.at(1) & 0x20)
            ? summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "private chunk"))
            : summaryText(QT_TRANSLATE_NOOP("ChunkSummary", "unknown chunk"));
    }
    return d;
}

namespace {

// Every chunk described, its payload as payloadOf gives it (empty: not at hand).
QList<ChunkDescription> describeChunks(
    const std::vector<PngChunk> &chunks, const std::function<QByteArray(const PngChunk &)> &payloadOf)
{
    QList<ChunkDescription> result;
    int colourType = -1;
    qsizetype textBudget = kMaxTextBytes;
    for (const PngChunk &c : chunks) {
        const QByteArray payload = c.type == "IDAT" ? QByteArray() : payloadOf(c);
        ChunkDescription d = ChunkDescription::describeOne(c.type, payload, colourType, &textBudget);
        d.offset = c.offset - 8;
        d.length = c.length;
        d.crcOk = c.crcOk;
        if (c.type == "IHDR" && c.length == 13)
            colourType = u8(payload, 9);
        result.append(std::move(d));
    }
    return result;
}

} // namespace

QList<ChunkDescription> ChunkDescription::describe(const QByteArray &bytes, const std::vector<PngChunk> &chunks)
{
    return describeChunks(chunks, [&bytes](const PngChunk &c) {
        return c.offset >= 0 && c.offset + qint64(c.length) <= bytes.size()
            ? QByteArray::fromRawData(bytes.constData() + c.offset, c.length)
            : QByteArray();
    });
}

QList<ChunkDescription> ChunkDescription::ofSource(const PNGSource &source)
{
    return describeChunks(source.chunks, [&source](const PngChunk &c) {
        const char *held = source.payload(c);
        return held ? QByteArray::fromRawData(held, c.length) : QByteArray();
    });
}

QList<ChunkDescription> ChunkDescription::ofFile(const QByteArray &bytes, QString *error)
{
    std::vector<PngChunk> chunks;
    QString reason;
    if (!scanPngChunks(bytes, chunks, &reason) && error)
        *error = reason;
    return describe(bytes, chunks);
}

QString ChunkDescription::toText(const QList<ChunkDescription> &chunks)
{
    QString text;
    for (const ChunkDescription &c : chunks) {
        text += QStringLiteral("%1\toffset %2\tlength %3\t%4\t%5\t%6\t%7\n")
                    .arg(QString::fromLatin1(c.type), number(c.offset), number(c.length),
                        c.crcOk ? QStringLiteral("CRC ok") : QStringLiteral("CRC wrong"),
                        c.critical ? QStringLiteral("critical") : QStringLiteral("ancillary"),
                        c.safeToCopy ? QStringLiteral("safe to copy") : QStringLiteral("unsafe to copy"), c.summary);
        for (const auto &[name, value] : c.details)
            text += QStringLiteral("\t%1: %2\n").arg(name, value);
    }
    return text;
}

QJsonArray ChunkDescription::toJson(const QList<ChunkDescription> &chunks)
{
    QJsonArray array;
    for (const ChunkDescription &c : chunks) {
        QJsonObject o;
        o.insert(QLatin1String("type"), QString::fromLatin1(c.type));
        o.insert(QLatin1String("offset"), c.offset);
        o.insert(QLatin1String("length"), qint64(c.length));
        o.insert(QLatin1String("crc_ok"), c.crcOk);
        o.insert(QLatin1String("critical"), c.critical);
        o.insert(QLatin1String("safe_to_copy"), c.safeToCopy);
        o.insert(QLatin1String("summary"), c.summary);
        if (!c.details.isEmpty()) {
            QJsonArray details;
            for (const auto &[name, value] : c.details)
                details.append(QJsonObject { { QStringLiteral("name"), name }, { QStringLiteral("value"), value } });
            o.insert(QLatin1String("details"), details);
        }
        array.append(o);
    }
    return array;
}
