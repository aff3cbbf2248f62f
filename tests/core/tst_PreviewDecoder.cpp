#include "core/PreviewDecoder.h"

#include "TestSupport.h"

#include <QFileInfo>
#include <QImage>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>

using namespace TestSupport;

namespace {

// An IDAT chunk for unfiltered 8-bit rows.
RawChunk rawIdat(const QList<QByteArray> &rows)
{
    QByteArray filtered;
    for (const QByteArray &row : rows)
        filtered += char(0) + row;
    return idatOf(filtered);
}

QByteArray rgb(std::initializer_list<int> values)
{
    QByteArray out;
    for (int v : values)
        out += char(v);
    return out;
}

// The reference: Qt's own PNG reader, in the preview's pixel format.
QImage reference(const QString &path)
{
    return QImage(path).convertToFormat(QImage::Format_RGBA8888_Premultiplied);
}

int largestDifference(const PreviewImage &preview, const QImage &image)
{
    int worst = 0;
    for (int y = 0; y < preview.height; ++y) {
        const uchar *expected = image.constScanLine(y);
        const uint8_t *actual = preview.pixels.data() + size_t(y) * size_t(preview.width) * 4;
        for (int i = 0; i < preview.width * 4; ++i)
            worst = std::max(worst, std::abs(int(expected[i]) - int(actual[i])));
    }
    return worst;
}

PreviewImage decoded(const QString &path, int box, QString *error = nullptr)
{
    PreviewImage preview;
    PreviewDecoder::Options options;
    options.maxWidth = options.maxHeight = box;
    QString reason;
    if (!PreviewDecoder::decodeFile(path, options, &preview, nullptr, {}, &reason) && error)
        *error = reason;
    return preview;
}

} // namespace

class tst_PreviewDecoder : public QObject
{
    Q_OBJECT

private slots:
    void fittedSize_data()
    {
        QTest::addColumn<uint>("width");
        QTest::addColumn<uint>("height");
        QTest::addColumn<int>("box");
        QTest::addColumn<QSize>("expected");
        QTest::newRow("smaller than the box stays") << 32u << 20u << 100 << QSize(32, 20);
        QTest::newRow("landscape photo") << 6000u << 4000u << 1920 << QSize(1920, 1280);
        QTest::newRow("portrait") << 4000u << 6000u << 1920 << QSize(1280, 1920);
        QTest::newRow("a line keeps one pixel") << 100000u << 1u << 100 << QSize(100, 1);
        QTest::newRow("largest allowed image") << 1000000u << 1000000u << 1920 << QSize(1920, 1920);
    }

    void fittedSize()
    {
        QFETCH(uint, width);
        QFETCH(uint, height);
        QFETCH(int, box);
        int w = 0, h = 0;
        PreviewDecoder::fittedSize(width, height, box, box, &w, &h);
        QTEST(QSize(w, h), "expected");
    }

    void fullSizeMatchesTheReferenceDecoder()
    {
        // Every colour type, bit depth, palette, transparency and interlace of the suite.
        for (const QString &path : pngSuiteFiles()) {
            QString error;
            const PreviewImage preview = decoded(path, 4096, &error);
            QVERIFY2(!preview.isEmpty(), qPrintable(path + QStringLiteral(": ") + error));
            const QImage expected = reference(path);
            QCOMPARE(QSize(preview.width, preview.height), expected.size());
            if (QFileInfo(path).fileName().contains(QRegularExpression(QStringLiteral("^tb.n2c16")))) {
                // Qt's reader does not make the transparent colour of 16-bit RGB files transparent;
                // check against the file's raw 16-bit samples instead: the tRNS colour is clear,
                // every other pixel opaque and scaled to 8 bits with rounding.
                LoadedPng raw;
                QVERIFY(raw.load(path));
                const QByteArray trns = chunkPayloads(readFile(path), "tRNS").value(0);
                QCOMPARE(trns.size(), 6);
                for (uint32_t y = 0; y < raw.info.height; ++y) {
                    for (uint32_t x = 0; x < raw.info.width; ++x) {
                        const uint8_t *sample = raw.rows.row(y) + 6 * x;
                        const uint8_t *ours = preview.pixels.data() + 4 * (y * raw.info.width + x);
                        if (std::memcmp(sample, trns.constData(), 6) == 0) {
                            QCOMPARE(QList<int>({ ours[0], ours[1], ours[2], ours[3] }), QList<int>({ 0, 0, 0, 0 }));
                            continue;
                        }
                        for (int c = 0; c < 3; ++c) {
                            const int value = (sample[2 * c] << 8) | sample[2 * c + 1];
                            QCOMPARE(int(ours[c]), (value * 255 + 32767) / 65535);
                        }
                        QCOMPARE(int(ours[3]), 255);
                    }
                }
                continue;
            }
            // Premultiplying and 16-to-8-bit scaling may round one step apart.
            QVERIFY2(largestDifference(preview, expected) <= 1, qPrintable(path));
        }
    }

    void averagesTheSourcePixels()
    {
        // 4 × 2 pixels into 2 × 1: each preview pixel is the mean of a 2 × 2 block.
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("blocks.png"));
        QVERIFY(writeFile(path,
            buildPng({ ihdr(4, 2),
                rawIdat({ rgb({ 0, 0, 0, 100, 0, 0, 255, 255, 255, 255, 255, 255 }),
                    rgb({ 0, 0, 0, 100, 0, 0, 0, 0, 0, 0, 0, 1 }) }),
                iend() })));
        const PreviewImage preview = decoded(path, 2);
        QCOMPARE(QSize(preview.width, preview.height), QSize(2, 1));
        QCOMPARE(preview.pixels, (std::vector<uint8_t> { 50, 0, 0, 255, 128, 128, 128, 255 }));

        // Transparent pixels do not darken their neighbours: opaque red beside transparent
        // black averages to half-transparent red (premultiplied: 128, 0, 0, 128).
        const QString alpha = dir.filePath(QStringLiteral("alpha.png"));
        QVERIFY(
            writeFile(alpha, buildPng({ ihdr(2, 1, 8, 6), rawIdat({ rgb({ 255, 0, 0, 255, 0, 0, 0, 0 }) }), iend() })));
        QCOMPARE(decoded(alpha, 1).pixels, (std::vector<uint8_t> { 128, 0, 0, 128 }));
    }

    void interlacedGivesTheSamePreview_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("box");
        for (const char *name : { "0g01", "0g08", "2c08", "3p04", "4a16", "6a08" }) {
            for (int box : { 1, 7, 13, 32 })
                QTest::addRow("%s into %d", name, box) << QString::fromLatin1(name) << box;
        }
    }

    void interlacedGivesTheSamePreview()
    {
        // The suite holds each image twice, plain (basn) and interlaced (basi): the passes
        // must land on the same preview pixels as the rows do.
        QFETCH(QString, name);
        QFETCH(int, box);
        const auto suite
            = [&](const char *kind) { return decoded(dataPath(u"pngsuite/%1%2.png"_qs.arg(kind, name)), box); };
        const PreviewImage plain = suite("basn"), interlaced = suite("basi");
        QVERIFY(!plain.isEmpty());
        QCOMPARE(QSize(interlaced.width, interlaced.height), QSize(plain.width, plain.height));
        QCOMPARE(interlaced.pixels, plain.pixels);
    }

    void reportsProgress_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("rows");
        QTest::newRow("plain: one call a row") << "basn2c08" << 32;
        // 32 rows spread over seven passes: 4 + 4 + 4 + 8 + 8 + 16 + 16.
        QTest::newRow("interlaced: every pass row") << "basi2c08" << 60;
        // One pixel: the six later passes hold none and are skipped.
        QTest::newRow("interlaced, one pixel") << "s01i3p01" << 1;
        QTest::newRow("interlaced, 3 x 3") << "s03i3p01" << 6;
    }

    void reportsProgress()
    {
        QFETCH(QString, name);
        QFETCH(int, rows);
        QList<quint64> done;
        quint64 total = 0;
        PreviewImage preview;
        QVERIFY(PreviewDecoder::decodeFile(dataPath(QStringLiteral("pngsuite/") + name + QStringLiteral(".png")), {},
            &preview, nullptr, [&](quint64 d, quint64 t) {
                done << d;
                total = t;
            }));
        QCOMPARE(total, quint64(rows));
        QCOMPARE(done.size(), rows);
        QCOMPARE(done.last(), total);
        QVERIFY(std::is_sorted(done.begin(), done.end()));
    }

    void stopsWhenCancelled()
    {
        const QString path = dataPath(QStringLiteral("pngsuite/basi2c08.png"));
        PreviewImage preview;
        QString error;
        std::atomic<bool> cancel { false };
        int calls = 0;
        bool damaged = true;
        QVERIFY(!PreviewDecoder::decodeFile(
            path, {}, &preview, &cancel,
            [&](quint64 d, quint64) {
                ++calls;
                if (d == 10)
                    cancel = true;
            },
            &error, &damaged));
        QCOMPARE(calls, 10);
        QCOMPARE(error, QStringLiteral("cancelled"));
        QVERIFY(preview.isEmpty());
        QVERIFY(!damaged); // a cancel says nothing of the image data
    }

    void refusesDamagedImageData_data()
    {
        QTest::addColumn<QByteArray>("png");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<bool>("damaged"); // the image data's fault, not the file's as a whole
        const RawChunk header = ihdr(8, 8);
        const RawChunk data = idat(8, 8);

        RawChunk flipped = data;
        flipped.data[flipped.data.size() / 2] = char(flipped.data[flipped.data.size() / 2] ^ 0x55);
        QTest::newRow("damaged zlib stream") << buildPng({ header, flipped, iend() }) << "" << true;

        RawChunk checksum = data;
        checksum.data[checksum.data.size() - 1] = char(checksum.data[checksum.data.size() - 1] ^ 1);
        QTest::newRow("wrong Adler-32") << buildPng({ header, checksum, iend() }) << "" << true;

        RawChunk shortData = data;
        shortData.data.chop(shortData.data.size() / 3);
        QTest::newRow("too little image data") << buildPng({ header, shortData, iend() }) << "" << true;

        QByteArray badCrc = buildPng({ header, data, iend() });
        badCrc[badCrc.indexOf("IDAT") + 4 + data.data.size()] ^= 1;
        QTest::newRow("IDAT with a bad CRC") << badCrc << "CRC" << true;

        const QByteArray whole = buildPng({ header, data, iend() });
        QTest::newRow("file cut in the image data") << whole.left(whole.indexOf("IDAT") + 20) << "truncated" << true;
        QTest::newRow("file ends after the image data") << buildPng({ header, data }) << "truncated" << true;
        QTest::newRow("not a PNG") << QByteArray("GIF89a, not a PNG at all") << "" << false;
        // Sound image data that the preview's limits keep out of reach.
        QTest::newRow("larger than the limit") << buildPng({ ihdr(64, 8), idat(64, 8), iend() }) << "" << false;
    }

    void refusesDamagedImageData()
    {
        QFETCH(QByteArray, png);
        QFETCH(QString, reason);
        PreviewImage preview;
        QString error;
        bool damaged = false;
        PreviewDecoder::Options options;
        options.maxDimension = 32;
        QVERIFY(!PreviewDecoder::decodeBytes(png, options, &preview, nullptr, {}, &error, &damaged));
        QVERIFY(!error.isEmpty());
        QTEST(damaged, "damaged");
        QVERIFY2(error.contains(reason), qPrintable(error));
        QVERIFY(preview.isEmpty());
    }

    void refusesTheCorruptSuiteFiles()
    {
        for (const QString &path : pngSuiteFiles(false)) {
            PreviewImage preview;
            QString error;
            QVERIFY2(!PreviewDecoder::decodeFile(path, {}, &preview, nullptr, {}, &error), qPrintable(path));
            QVERIFY2(!error.isEmpty(), qPrintable(path));
        }
    }
};

QTEST_GUILESS_MAIN(tst_PreviewDecoder)
#include "tst_PreviewDecoder.moc"
