#include "TestSupport.h"

#include "core/ImageDataCheck.h"
#include "core/PNGChunks.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace TestSupport;

namespace {

// Rows of an 8×4 RGB image with their filter bytes (all "none").
QByteArray rows(int count = 4, char filter = 0)
{
    QByteArray raw;
    for (int y = 0; y < count; ++y)
        raw += filter + QByteArray(24, char(y * 16));
    return raw;
}

// The same zlib stream with its last byte (of the Adler-32) changed.
QByteArray wrongChecksum(QByteArray stream)
{
    stream[stream.size() - 1] = char(stream[stream.size() - 1] ^ 0x01);
    return stream;
}

} // namespace

// The check of the image data without decoding must refuse what decoding refuses and accept
// what it accepts.
class tst_ImageDataCheck : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

private Q_SLOTS:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void agreesWithDecoding_data()
    {
        QTest::addColumn<QByteArray>("png");
        QTest::addColumn<QString>("reason"); // empty: accepted
        const auto file = [](std::vector<RawChunk> chunks) {
            chunks.insert(chunks.begin(), ihdr(8, 4));
            chunks.push_back(iend());
            return buildPng(chunks);
        };
        const QByteArray good = zlibCompressed(rows());
        QTest::newRow("whole") << file({ idatOf(rows()) }) << QString();
        QTest::newRow("split over many chunks")
            << file({ chunk("IDAT", good.left(3)), chunk("IDAT", good.mid(3, 5)), chunk("IDAT", good.mid(8)) })
            << QString();
        QTest::newRow("filter type 5 in the first row")
            << file({ idatOf(char(5) + rows().mid(1)) }) << u"filter type (5)"_qs;
        QByteArray lastRowBad = rows();
        lastRowBad[3 * 25] = char(0xff);
        QTest::newRow("filter type 255 in the last row") << file({ idatOf(lastRowBad) }) << u"filter type (255)"_qs;
        QTest::newRow("one byte short") << file({ idatOf(rows().chopped(1)) }) << u"not enough image data"_qs;
        QTest::newRow("one row short") << file({ idatOf(rows(3)) }) << u"not enough image data"_qs;
        // Decoders warn about data beyond the image and show the image.
        QTest::newRow("one row too many") << file({ idatOf(rows(5)) }) << QString();
        QTest::newRow("a megabyte too much") << file({ idatOf(rows() + QByteArray(1 << 20, 0)) }) << QString();
        QTest::newRow("bytes after the end of the stream") << file({ chunk("IDAT", good + "trailing") }) << QString();
        QTest::newRow("wrong checksum") << file({ chunk("IDAT", wrongChecksum(good)) }) << u"damaged"_qs;
        QTest::newRow("stream cut short") << file({ chunk("IDAT", good.chopped(6)) }) << u"damaged"_qs;
        QTest::newRow("not a zlib stream") << file({ chunk("IDAT", QByteArray(40, 'x')) }) << u"damaged"_qs;
        // A larger image, inflated in several windows, its stream split anywhere.
        QByteArray wide;
        for (int y = 0; y < 300; ++y)
            wide += char(y % 5) + QByteArray(3000, char(y));
        const QByteArray wideStream = zlibCompressed(wide);
        const auto wideFile = [&](const QByteArray &stream) {
            return buildPng({ ihdr(1000, 300), chunk("IDAT", stream.left(7)), chunk("IDAT", stream.mid(7)), iend() });
        };
        QTest::newRow("large, in pieces") << wideFile(wideStream) << QString();
        QByteArray wideBad = wide;
        wideBad[299 * 3001] = char(9);
        QTest::newRow("large, filter type 9 in the last row") << wideFile(zlibCompressed(wideBad)) << u"(9)"_qs;
        QTest::newRow("large, one row short") << wideFile(zlibCompressed(wide.chopped(3001))) << u"not enough"_qs;
        QTest::newRow("large, wrong checksum") << wideFile(wrongChecksum(wideStream)) << u"damaged"_qs;
    }
    void agreesWithDecoding()
    {
        QFETCH(QByteArray, png);
        QFETCH(QString, reason);
        const QString path = m_dir->filePath(QStringLiteral("image.png"));
        QVERIFY(writeFile(path, png));
        LoadedPng decoded;
        QString decodeError;
        const bool decodes = decoded.load(path, &decodeError);
        // The file held whole, or read chunk by chunk with the image data checked as it comes.
        for (const qint64 holdWholeBelow : { qint64(1) << 30, qint64(0) }) {
            LoadedPng checked;
            QString checkError;
            PNGReadOptions check;
            check.decodeImage = false;
            check.checkImageData = true;
            check.holdWholeBelow = holdWholeBelow;
            const bool passes = checked.load(path, &checkError, check);
            QCOMPARE(passes, reason.isEmpty());
            QVERIFY2(
                passes == decodes, qPrintable(QStringLiteral("decoding: %1; check: %2").arg(decodeError, checkError)));
            QVERIFY2(checkError.contains(reason), qPrintable(checkError));
            QVERIFY(!checked.rows.hasPixels());
        }
    }

    void everySuiteImagePasses_data()
    {
        QTest::addColumn<QString>("file");
        for (const QString &f : pngSuiteFiles())
            QTest::newRow(qPrintable(QFileInfo(f).fileName())) << f;
    }
    void everySuiteImagePasses()
    {
        // Interlaced images of every size (passes without pixels have no rows at all).
        QFETCH(QString, file);
        const QByteArray png = readFile(file);
        std::vector<PngChunk> chunks;
        QVERIFY(scanPngChunks(png, chunks));
        const char *header = png.constData() + chunks[0].offset;
        ImageDataCheck check(
            qFromBigEndian<quint32>(header), qFromBigEndian<quint32>(header + 4), header[8], header[9], header[12]);
        QString error;
        QVERIFY2(check.check(png, chunks, &error), qPrintable(error));
        QVERIFY(check.inflatedSize() > 0);
    }
};

QTEST_GUILESS_MAIN(tst_ImageDataCheck)
#include "tst_ImageDataCheck.moc"
