#include "core/PNGinfo.h"
#include "core/Strings.h"
#include "core/TextMacros.h"

#include <QTimeZone>
#include <QtTest>

static PNGinfo sampleRecord()
{
    PNGinfo info;
    info.path = QStringLiteral("/photos/2008/sunset.png");
    info.width = 800;
    info.height = 600;
    info.bit_depth = 16;
    info.colourType = 4;
    info.interlace_method = 1;
    return info;
}

class tst_TextMacros : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { setMacroClock({}); }

    void expansion_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        const char *sunset = "/photos/2008/sunset.png";
        const auto row = [](const char *name, const char *path, const char *text, const QString &expected) {
            QTest::newRow(name) << QString(path) << QString(text) << expected;
        };
        row("size", sunset, "Shot %WIDTH%x%HEIGHT%", u"Shot 800x600"_qs);
        row("only last extension goes", "/x/archive.tar.png", "%FILENAME%", u"archive.tar"_qs);
        row("colour type 4", sunset, "%COLOURTYPE%", u"Greyscale + Alpha"_qs);
        row("bit depth", sunset, "%BITDEPTH%", u"16"_qs);
        row("interlace", sunset, "%INTERLACE%", localizedString("Adam7"));
        row("no profile", sunset, "%COLOURPROFILE%", localizedString("None"));
        row("user name", sunset, "%OSUSERNAME%", fullUserName());
        row("lone percent", sunset, "100% done", u"100% done"_qs);
        row("lower case is text", sunset, "%date%", u"%date%"_qs);
        row("later macro sees earlier value", "/p/%WIDTH%.png", "%FILENAME%", u"800"_qs);
        row("own value not searched again", "/p/%FILENAME%.png", "%FILENAME%", u"%FILENAME%"_qs);
        row("earlier macro not searched again", "/p/%DATE%.png", "%FILENAME%", u"%DATE%"_qs);
        row("adjacent macros", sunset, "%WIDTH%%HEIGHT%", u"800600"_qs);
    }
    void expansion()
    {
        QFETCH(QString, path);
        QFETCH(QString, text);
        PNGinfo info = sampleRecord();
        info.path = path;
        QTEST(processedTextForPNG(text, info), "expected");
    }

    void emptyAndNullGiveEmpty()
    {
        const PNGinfo info = sampleRecord();
        QCOMPARE(processedTextForPNG(QString(), info), QStringLiteral(""));
        QVERIFY(!processedTextForPNG(QString(), info).isNull());
        QVERIFY(!fullUserName().isEmpty());

        // A record reset after a failed read still names its file.
        PNGinfo zero;
        zero.path = QStringLiteral("/x/y.png");
        QCOMPARE(processedTextForPNG(QStringLiteral("%FILENAME% %WIDTH% %COLOURTYPE% %COLOURPROFILE%"), zero),
            QStringLiteral("y 0 Greyscale ") + localizedString("None"));
        zero.profileName = QByteArray("sRGB IEC61966-2.1");
        QCOMPARE(processedTextForPNG(QStringLiteral("%COLOURPROFILE%"), zero), QStringLiteral("sRGB IEC61966-2.1"));
    }

    // The date macros, each occurrence replaced with the clock read afresh.
    void dateReadAfreshForEachOccurrence()
    {
        int calls = 0;
        setMacroClock([&] {
            ++calls;
            // Midnight passes between the two occurrences.
            return calls == 1 ? QDateTime(QDate(2008, 12, 31), QTime(23, 59, 59))
                              : QDateTime(QDate(2009, 1, 1), QTime(0, 0, 0));
        });
        QCOMPARE(processedTextForPNG(QStringLiteral("%DATE% / %DATE%"), sampleRecord()),
            QStringLiteral("2008-12-31 / 2009-01-01"));
        // The date and time carry the clock's own offset.
        setMacroClock([] { return QDateTime(QDate(2020, 1, 2), QTime(3, 4, 5), QTimeZone(-(5 * 3600 + 30 * 60))); });
        QCOMPARE(processedTextForPNG(QStringLiteral("%DATETIME%"), sampleRecord()),
            QStringLiteral("2020-01-02 03:04:05 -0530"));
    }
};

QTEST_GUILESS_MAIN(tst_TextMacros)
#include "tst_TextMacros.moc"
