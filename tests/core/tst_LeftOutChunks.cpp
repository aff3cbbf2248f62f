#include "TestSupport.h"

#include "core/PNGWriter.h"

#include <QtTest>

using namespace TestSupport;

namespace {
const QByteArray kTime("\x07\xe8\x05\x01\x0a\x00\x00", 7);
}

// A save that leaves chunks out (PNGWriteOptions::leftOutChunks): those named by type and
// payload go, whichever way the file is written; everything else stays byte for byte.
class tst_LeftOutChunks : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void leftOut_data()
    {
        QTest::addColumn<QList<QByteArray>>("named"); // "TYPE" and payload
        QTest::addColumn<bool>("changeRecord"); // written from the record, not spliced
        QTest::addColumn<bool>("recompress");
        QTest::addColumn<QStringList>("types");
        const QList<QByteArray> metadata { QByteArray("tIME") + kTime, "prVtfirst", "eXIfMM" };
        const QStringList kept { "IHDR", "pHYs", "tEXt", "prVt", "IDAT", "IEND" };
        const QStringList all { "IHDR", "pHYs", "tIME", "tEXt", "prVt", "prVt", "eXIf", "IDAT", "IEND" };
        QTest::newRow("spliced") << metadata << false << false << kept;
        QTest::newRow("written from the record (in the library's order)")
            << metadata << true << false << QStringList { "IHDR", "prVt", "pHYs", "tEXt", "IDAT", "IEND" };
        QTest::newRow("image data encoded anew") << metadata << false << true << kept;
        QTest::newRow("a critical chunk is never left out") << QList<QByteArray> { "IEND" } << false << false << all;
        QTest::newRow("a payload that differs keeps its chunk")
            << QList<QByteArray> { "prVtfirs", QByteArray("tIME") + kTime.left(6) + '\x01' } << false << false << all;
    }
    void leftOut()
    {
        QFETCH(QList<QByteArray>, named);
        QFETCH(bool, changeRecord);
        QFETCH(bool, recompress);
        TempFolder dir;
        const QString file = dir.write(QStringLiteral("image.png"),
            simplePng(8, 8,
                { pHYs(2835, 2835, 1), chunk("tIME", kTime), tEXt("Title", "kept"), chunk("prVt", "first"),
                    chunk("prVt", "second"), chunk("eXIf", "MM") }));
        LoadedPng png;
        PNGReadOptions read;
        read.decodeImage = recompress;
        QVERIFY(png.load(file, nullptr, read));
        if (changeRecord)
            png.info.resX = 3000;
        PNGWriteOptions options;
        options.recompress = recompress;
        for (const QByteArray &n : std::as_const(named))
            options.leftOutChunks.append({ n.left(4), n.mid(4) });
        QString error;
        QVERIFY2(savePNG(file, png.info, png.rows, png.comments, options, &error), qPrintable(error));
        const QByteArray saved = readFile(file);
        QTEST(chunkTypes(saved), "types");
        QCOMPARE(chunkPayloads(saved, "tEXt"), QList<QByteArray>({ QByteArray("Title\0kept", 10) }));
        QVERIFY(chunkPayloads(saved, "prVt").contains("second"));
    }
};

QTEST_GUILESS_MAIN(tst_LeftOutChunks)
#include "tst_LeftOutChunks.moc"
