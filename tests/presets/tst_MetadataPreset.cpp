#include "core/PNGinfo.h"
#include "presets/MetadataPreset.h"

#include <QtTest>

namespace {

// n characters cycling through the alphabet, so that a cut at the wrong place shows.
QString run(int n, char16_t first = u'a')
{
    QString s;
    for (int i = 0; i < n; ++i)
        s.append(QChar(char16_t(first + i % 26)));
    return s;
}

} // namespace

class tst_MetadataPreset : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void displayText_data()
    {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");

        const QString k10 = run(10, u'A'), k33 = run(33, u'A'), k34 = run(34, u'A');
        const QString k36 = run(36, u'A'), k40 = run(40, u'A'), k41 = run(41, u'A');
        QTest::newRow("short pair") << "Author"
                                    << "%OSUSERNAME%"
                                    << "Author : %OSUSERNAME%";
        QTest::newRow("no value") << "Comment" << QString() << "Comment";
        QTest::newRow("empty value") << "Comment"
                                     << ""
                                     << "Comment";
        QTest::newRow("41 keyword ignores value") << k41 << "v" << k41.left(37) + "...";
        QTest::newRow("40 keyword no value") << k40 << QString() << k40;
        QTest::newRow("k10 v26 fits") << k10 << run(26) << k10 + " : " + run(26);
        QTest::newRow("k10 v27 cut") << k10 << run(27) << k10 + " : " + run(24) + "...";
        QTest::newRow("k33 v3 fits") << k33 << run(3) << k33 + " : abc";
        QTest::newRow("k33 v4 one char") << k33 << run(4) << k33 + " : a...";
        QTest::newRow("k34 v2 fits") << k34 << run(2) << k34 + " : ab";
        QTest::newRow("k34 v3") << k34 << run(3) << k34.left(30) + "... : a...";
        QTest::newRow("k36 v15") << k36 << run(15) << k36.left(30) + "... : a...";
        QTest::newRow("k36 v16") << k36 << run(16) << k36.left(16) + "... : " + run(15) + "...";
        QTest::newRow("k40 v1") << k40 << run(1) << k40.left(30) + "... : a...";
        // 18 emoji are 36 UTF-16 code units: one more character no longer fits.
        const QString emoji = QString::fromUtf8("\xF0\x9F\x98\x80").repeated(18);
        QTest::newRow("UTF-16 lengths") << emoji << "a" << emoji.left(30) + "... : a...";
        QTest::newRow("empty keyword") << ""
                                       << "value" << QString();
        QTest::newRow("absent keyword") << QString() << "value" << QString();
    }
    void displayText()
    {
        QFETCH(QString, keyword);
        QFETCH(QString, value);
        QFETCH(QString, expected);
        const MetadataPreset preset(keyword, value);
        QCOMPARE(preset.shorthand(), expected);
        QCOMPARE(preset.shorthand().isNull(), expected.isNull());
        QCOMPARE(preset.isValid(), !keyword.isEmpty());
    }

    void orderKeywordCutAndXml()
    {
        // Sorting by display text is covered by the store's tests; absent counts as empty there.
        MetadataPreset stored(QStringLiteral("Author"), QStringLiteral("Jane"));
        stored.setShorthand(QStringLiteral(""));
        QCOMPARE(MetadataPreset().compare(stored), 0);

        MetadataPreset cut;
        cut.setKeyword(run(80));
        QCOMPARE(cut.keyword(), run(79));
        QCOMPARE(MetadataPreset::presetWithKeyword(run(100), QString())->keyword(), run(100));
        QCOMPARE(MetadataPreset().xml(), QStringLiteral("<comment keyword=\"\" text=\"\"/>"));
    }

    void comments()
    {
        PNGinfo info;
        info.path = QStringLiteral("/pictures/sunset.png");
        info.width = 640;
        const MetadataPreset width(QStringLiteral("Width"), QStringLiteral("%WIDTH% of %FILENAME%"));
        QCOMPARE(width.newComment(info)->text(), QStringLiteral("640 of sunset"));
        QCOMPARE(width.unprocessedComment()->text(), QStringLiteral("%WIDTH% of %FILENAME%"));
        const auto empty = MetadataPreset(QStringLiteral("Comment"), QString()).newComment(info);
        QVERIFY(!empty->text().isNull() && empty->text().isEmpty());
        QCOMPARE(MetadataPreset(run(100), QString()).unprocessedComment()->keyword(), run(79));
    }
};

QTEST_GUILESS_MAIN(tst_MetadataPreset)
#include "tst_MetadataPreset.moc"
