#include "core/ImageSummary.h"
#include "core/PNGinfo.h"
#include "core/Strings.h"

#include <QtTest>

class tst_ImageSummary : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The document's summary covers the usual images; these are the awkward ones.
    void physicalSize_data()
    {
        QTest::addColumn<quint32>("size");
        QTest::addColumn<bool>("hasPhys"); // without it 72 per inch
        QTest::addColumn<quint32>("resX"); // pixels per metre, resY 2835
        QTest::addColumn<quint64>("mm");
        QTest::addColumn<double>("inches"); // negative: unknown
        QTest::newRow("2835 per metre is not quite 72 per inch") << 1000u << true << 2835u << quint64(352) << 13.887125;
        QTest::newRow("huge image does not overflow") << 100000u << false << 2835u << quint64(35277) << 1388.888916;
        QTest::newRow("0 per metre on one axis is unknown") << 10u << true << 0u << quint64(0) << -1.0;
    }
    void physicalSize()
    {
        QFETCH(quint32, size);
        QFETCH(bool, hasPhys);
        QFETCH(quint32, resX);
        QFETCH(double, inches);
        PNGinfo info;
        info.width = info.height = size;
        info.haspHYs = hasPhys;
        info.pHYsUnit = 1;
        info.resX = resX;
        info.resY = 2835;
        const auto p = ImageSummary::physicalSize(info);
        QCOMPARE(p.known, inches >= 0);
        if (!p.known) {
            const ImageSummary s = ImageSummary::forImage(info);
            QCOMPARE(s.physicalSizeMM, localizedString("PhysicalSizeUnknown"));
            QCOMPARE(s.physicalSizeInch, localizedString("PhysicalSizeUnknown"));
            return;
        }
        // A size the file gives no resolution for says it assumes one.
        QCOMPARE(ImageSummary::forImage(info).physicalSizeMM.contains(u"72 dpi"_qs), !hasPhys);
        QTEST(p.widthMM, "mm");
        QTEST(p.heightMM, "mm");
        QVERIFY2(qAbs(p.widthInch - inches) < 1e-5, qPrintable(QString::number(p.widthInch, 'f', 8)));
        QVERIFY2(qAbs(p.heightInch - inches) < 1e-5, qPrintable(QString::number(p.heightInch, 'f', 8)));
    }

    void oddValues()
    {
        PNGinfo info;
        info.interlace_method = 7;
        QCOMPARE(ImageSummary::forImage(info).interlace, localizedString("Interlaced").arg(localizedString("Unknown")));
        // A key missing from the table shows as itself.
        QCOMPARE(localizedString("NoSuchKey"), QStringLiteral("NoSuchKey"));
        const QStringList failed { localizedString("ImageLoadFailed"), {}, {}, {}, {}, {} };
        QCOMPARE(ImageSummary::loadFailed().lines(), failed);
    }
};

QTEST_GUILESS_MAIN(tst_ImageSummary)
#include "tst_ImageSummary.moc"
