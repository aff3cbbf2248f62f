#include "core/ImageSummary.h"
#include "core/PNGinfo.h"
#include "core/Strings.h"

#include <QtTest>

class tst_ImageSummary : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void physicalSize_data();
    void physicalSize();
    void zeroResolutionIsUnknown();
    void linesUseTheirKeys();
    void loadFailedLines();
};

void tst_ImageSummary::physicalSize_data()
{
    QTest::addColumn<quint32>("width");
    QTest::addColumn<quint32>("height");
    QTest::addColumn<bool>("hasPhys");
    QTest::addColumn<int>("unit");
    QTest::addColumn<quint64>("mmW");
    QTest::addColumn<quint64>("mmH");
    QTest::addColumn<double>("inW");
    QTest::addColumn<double>("inH");
    QTest::newRow("no pHYs, 72 dpi assumed") << 640u << 480u << false << 0 << quint64(225) << quint64(169) << 8.888888 << 6.666666;
    QTest::newRow("2835 per metre") << 1000u << 500u << true << 1 << quint64(352) << quint64(176) << 13.887125 << 6.943562;
    QTest::newRow("aspect ratio only") << 640u << 480u << true << 0 << quint64(225) << quint64(169) << 8.888888 << 6.666666;
    QTest::newRow("huge image does not overflow") << 100000u << 100000u << false << 0 << quint64(35277) << quint64(35277)
                                                   << 1388.888916 << 1388.888916;
}

void tst_ImageSummary::physicalSize()
{
    QFETCH(quint32, width);
    QFETCH(quint32, height);
    QFETCH(bool, hasPhys);
    QFETCH(int, unit);
    PNGinfo info;
    info.width = width;
    info.height = height;
    info.haspHYs = hasPhys;
    info.resX = info.resY = 2835;
    info.pHYsUnit = uint8_t(unit);
    const auto p = ImageSummary::physicalSize(info);
    QVERIFY(p.known);
    QTEST(p.widthMM, "mmW");
    QTEST(p.heightMM, "mmH");
    QFETCH(double, inW);
    QFETCH(double, inH);
    QVERIFY2(qAbs(p.widthInch - inW) < 1e-5, qPrintable(QString::number(p.widthInch, 'f', 8)));
    QVERIFY2(qAbs(p.heightInch - inH) < 1e-5, qPrintable(QString::number(p.heightInch, 'f', 8)));
}

void tst_ImageSummary::zeroResolutionIsUnknown()
{
    PNGinfo info;
    info.width = 10;
    info.height = 10;
    info.haspHYs = true;
    info.pHYsUnit = 1;
    info.resX = 0;
    info.resY = 2835;
    QVERIFY(!ImageSummary::physicalSize(info).known);
    const ImageSummary s = ImageSummary::forImage(info);
    QCOMPARE(s.physicalSizeMM, localizedString("PhysicalSizeUnknown"));
    QCOMPARE(s.physicalSizeInch, localizedString("PhysicalSizeUnknown"));
}

void tst_ImageSummary::linesUseTheirKeys()
{
    PNGinfo info;
    info.width = 640;
    info.height = 480;
    info.bit_depth = 8;
    info.colourType = 4;
    info.interlace_method = 1;
    const ImageSummary s = ImageSummary::forImage(info);
    QCOMPARE(s.size, localizedString("ImageSize").arg(640).arg(480));
    QCOMPARE(s.colourFormat, localizedString("ColourFormat").arg(localizedString("GreyscaleAlpha")));
    QCOMPARE(s.interlace, localizedString("Interlaced").arg(localizedString("Adam7")));
    QVERIFY(s.size.contains(QStringLiteral("640")) && s.size.contains(QStringLiteral("480")));
    info.interlace_method = 7;
    QCOMPARE(ImageSummary::forImage(info).interlace, localizedString("Interlaced").arg(localizedString("Unknown")));
    QCOMPARE(QString::fromLatin1(colourTypeKey(6)), QStringLiteral("RGBA"));
    // A key missing from the table shows as itself.
    QCOMPARE(localizedString("NoSuchKey"), QStringLiteral("NoSuchKey"));
}

void tst_ImageSummary::loadFailedLines()
{
    const QStringList lines = ImageSummary::loadFailed().lines();
    QCOMPARE(lines.size(), 6);
    QCOMPARE(lines.first(), localizedString("ImageLoadFailed"));
    for (int i = 1; i < 6; ++i)
        QVERIFY(lines.at(i).isEmpty());
}

QTEST_GUILESS_MAIN(tst_ImageSummary)
#include "tst_ImageSummary.moc"
