#include "TestSupport.h"

#include "provenance/ChunkDescription.h"
#include "provenance/ExifData.h"
#include "provenance/XmpPacket.h"

#include <QtEndian>
#include <QtTest>

using namespace TestSupport;

namespace {

QString joined(const QList<QPair<QString, QString>> &pairs)
{
    QStringList parts;
    for (const auto &[name, value] : pairs)
        parts << name + u'=' + value;
    return parts.join(QStringLiteral("; "));
}

const QString kCamera
    = QStringLiteral("Camera make=Canon; Camera model=Canon EOS R5; Lens=RF24-105mm F4 L IS USM; "
                     "Date taken=2024:05:01 10:00:00; Date changed=2024:05:02 09:30:00; Artist=Ann Lee");
const QString kGps = QStringLiteral("51.50740° N, 0.12777° W, 35 m");

} // namespace

// The readers of Exif and XMP against the fixtures and against damaged input, and what the
// chunk inspector says of every kind of chunk.
class tst_MetadataReaders : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void exif_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("patchAt"); // a little-endian 32-bit value written there, -1: none
        QTest::addColumn<quint32>("value");
        QTest::addColumn<int>("size"); // cut to this size, -1: whole
        QTest::addColumn<QString>("fields"); // none: not read
        QTest::addColumn<QString>("gps");
        const QString le = QStringLiteral("provenance/exif-le.tiff");
        QTest::newRow("little-endian") << le << -1 << 0u << -1 << kCamera << kGps;
        QTest::newRow("big-endian") << u"provenance/exif-be.tiff"_qs << -1 << 0u << -1 << kCamera << kGps;
        QTest::newRow("IFD0 chained to itself") << le << 94 << 8u << -1 << kCamera << kGps;
        QTest::newRow("Exif IFD chained to itself") << le << 172 << 146u << -1 << kCamera << kGps;
        QTest::newRow("Exif pointer back to IFD0") << le << 78 << 8u << -1
                                                   << u"Camera make=Canon; Camera model=Canon EOS R5; Date changed="
                                                      "2024:05:02 09:30:00; Artist=Ann Lee"_qs
                                                   << kGps;
        QTest::newRow("value offset past the end") << le << 18 << 0xfffffff0u << -1 << kCamera.mid(19) << kGps;
        QTest::newRow("count past the end") << le << 14 << 0xffffffffu << -1 << kCamera.mid(19) << kGps;
        QTest::newRow("latitude past the end") << le << 254 << 0xfffffff0u << -1 << kCamera << QString();
        QTest::newRow("zero denominator in the latitude") << le << 314 << 0u << -1 << kCamera << QString();
        QTest::newRow("GPS pointer past the end") << le << 90 << 0x7fffffffu << -1 << kCamera << QString();
        QTest::newRow("cut inside the GPS IFD") << le << -1 << 0u << 300 << kCamera << QString();
        QTest::newRow("first IFD past the end") << le << 4 << 400u << -1 << QString() << QString();
        QTest::newRow("no TIFF header") << le << 0 << 0x2a4d4du << -1 << QString() << QString();
        QTest::newRow("header only") << le << -1 << 0u << 8 << QString() << QString();
    }
    void exif()
    {
        QFETCH(QString, file);
        QFETCH(int, patchAt);
        QFETCH(quint32, value);
        QFETCH(int, size);
        QByteArray tiff = readFile(dataPath(file));
        if (patchAt >= 0)
            qToLittleEndian(value, tiff.data() + patchAt);
        if (size >= 0)
            tiff.truncate(size);
        ExifData exif;
        QFETCH(QString, fields);
        QCOMPARE(ExifData::read(tiff, &exif), !fields.isEmpty());
        QCOMPARE(joined(exif.fields), fields);
        QTEST(exif.gps ? exif.gps->text() : QString(), "gps");
    }

    void xmp_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QString>("properties"); // none: not read
        QTest::addColumn<QString>("gps");
        const QByteArray packet = chunkPayloads(readFile(dataPath("provenance/xmp.png")), "iTXt").value(0).mid(22);
        QTest::newRow("the fixture's packet") << packet
                                              << u"xmp:CreatorTool=Darktable 4.6; photoshop:City=London; "
                                                 u"dc:creator=Ann Lee; Bo Chen; dc:title=Tower Bridge "
                                                 "at dawn; exif:GPSLatitude=51,30.444N; exif:GPSLongitude=0,7.666W"_qs
                                              << u"51.50740° N, 0.12777° W"_qs;
        const QByteArray rdf = "<rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#' "
                               "xmlns:exif='http://ns.adobe.com/exif/1.0/'><rdf:Description ";
        QTest::newRow("latitude out of range") << rdf + "exif:GPSLatitude='91,0N' exif:GPSLongitude='0,7W'/></rdf:RDF>"
                                               << u"exif:GPSLatitude=91,0N; exif:GPSLongitude=0,7W"_qs << QString();
        QTest::newRow("structure fields") << rdf
                + "><exif:Flash rdf:parseType='Resource'><exif:Fired>True</exif:Fired>"
                  "</exif:Flash></rdf:Description></rdf:RDF>"
                                          << u"exif:Flash/exif:Fired=True"_qs << QString();
        QTest::newRow("a document type declaration (the guards are MetadataXml's)") << QByteArray(
            "<!DOCTYPE x [<!ENTITY a 'aaaaaaaaaa'><!ENTITY b '&a;&a;&a;'>]>"
            "<x>&b;</x>") << QString() << QString();
        QTest::newRow("cut off") << packet.left(packet.size() / 2) << QString() << QString();
    }
    void xmp()
    {
        QFETCH(QByteArray, xml);
        XmpPacket packet;
        QFETCH(QString, properties);
        QCOMPARE(XmpPacket::read(xml, &packet), !properties.isEmpty());
        QCOMPARE(joined(packet.properties), properties);
        const auto gps = packet.gps();
        QTEST(gps ? gps->text() : QString(), "gps");
    }

    void chunkSummaries_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("summaries");
        QTest::newRow("every kind of chunk")
            << u"provenance/everything.png"_qs
            << QStringList {
                   "IHDR 8×8, 8-bit palette, not interlaced",
                   "gAMA gamma 0.45455",
                   "cHRM white point 0.3127, 0.329; red 0.64, 0.33; green 0.3, 0.6; blue 0.15, 0.06",
                   "cICP colour primaries 1 (BT.709), transfer 13 (sRGB), matrix 0, full range",
                   "mDCV mastering display: red 0.7080, 0.2920; green 0.1700, 0.7970; blue 0.1310, 0.0460; white "
                   "point 0.3127, 0.3290; luminance 0.005 to 1000 cd/m²",
                   "cLLI maximum content light level 1000 cd/m², maximum frame-average 400 cd/m²",
                   "sBIT significant bits 5, 6, 5",
                   "tEXt “Author”: Ann Lee",
                   "eXIf Exif data: Canon EOS R5, taken 2024:05:01 10:00:00, GPS position " + kGps,
                   "tIME last modified 2024-05-02 09:30:00 UTC",
                   "PLTE palette of 16 colours",
                   "tRNS alpha of 16 palette entries",
                   "bKGD background: palette entry 3",
                   "hIST histogram of 16 palette entries",
                   "pHYs 72 × 72 dpi (2835 × 2835 pixels per metre)",
                   "caBX content credentials present (C2PA manifest store, 117 bytes)",
                   "prVt private chunk",
                   "aBCd unknown chunk",
                   "iTXt XMP packet with 6 properties, GPS position 51.50740° N, 0.12777° W",
                   "zTXt “parameters”, compressed: generation settings (Stable Diffusion web UI v1.9.3): masterpiece, "
                   "a "
                   "lighthouse on a cliff, (dusk:1.2), dramatic sky",
                   "IDAT image data",
                   "tEXt “Comment”: after the image data",
                   "tIME last modified 2024-05-03 08:00:00 UTC",
                   "IEND end of the image",
               };
        QTest::newRow("animation") << u"provenance/animated.png"_qs
                                   << QStringList {
                                          "IHDR 16×16, 8-bit RGB, not interlaced",
                                          "acTL animation of 3 frames, played forever",
                                          "tEXt “parameters”: generation settings (Stable Diffusion web UI v1.9.3): "
                                          "masterpiece, a lighthouse on a cliff, (dusk:1.2), dramatic sky",
                                          "tIME last modified 2024-05-01 10:00:00 UTC",
                                          "fcTL frame, sequence 0: 16×16 at 0, 0, delay 10/100 s, dispose none, blend "
                                          "source",
                                          "IDAT image data",
                                          "fcTL frame, sequence 1: 16×16 at 0, 0, delay 10/100 s, dispose none, blend "
                                          "source",
                                          "fdAT frame data, sequence 2",
                                          "fcTL frame, sequence 3: 16×16 at 0, 0, delay 10/100 s, dispose none, blend "
                                          "source",
                                          "fdAT frame data, sequence 4",
                                          "tEXt “Comment”: frames after the first",
                                          "IEND end of the image",
                                      };
        QTest::newRow("cut off: the chunks before the break")
            << u"provenance/xmp.png"_qs << QStringList { "IHDR 8×8, 8-bit RGB, not interlaced", "ERROR" };
    }
    void chunkSummaries()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, summaries);
        QByteArray bytes = readFile(dataPath(file));
        const bool cut = summaries.last() == u"ERROR";
        if (cut) {
            bytes.truncate(60);
            summaries.removeLast();
        }
        QString error;
        QStringList got;
        for (const ChunkDescription &c : ChunkDescription::ofFile(bytes, &error)) {
            got << QString::fromLatin1(c.type) + u' ' + c.summary;
            QVERIFY(c.crcOk);
        }
        QCOMPARE(got, summaries);
        QCOMPARE(error.isEmpty(), !cut);
    }

    // Payloads of the wrong size are called malformed, never read past.
    void malformedPayloads_data()
    {
        QTest::addColumn<QByteArray>("type");
        for (const char *type :
            { "IHDR", "gAMA", "cHRM", "sRGB", "cICP", "mDCV", "cLLI", "pHYs", "tIME", "acTL", "fcTL", "oFFs", "bKGD" })
            QTest::newRow(type) << QByteArray(type);
    }
    void malformedPayloads()
    {
        QFETCH(QByteArray, type);
        for (const QByteArray &payload : { QByteArray(), QByteArray(3, 'x'), QByteArray(27, 'x') })
            QVERIFY2(ChunkDescription::describeOne(type, payload, 2).summary.startsWith(u"malformed"), type);
    }
};

QTEST_GUILESS_MAIN(tst_MetadataReaders)
#include "tst_MetadataReaders.moc"
