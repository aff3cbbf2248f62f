#include "core/PNGinfo.h"
#include "presets/MetadataPresetManager.h"

#include <QTemporaryDir>
#include <QtTest>

#include "TestSupport.h"

namespace {

const QStringList kDefaultTitles = { "Author : %OSUSERNAME%", "Comment", "Copyright : %OSUSERNAME%, %DATE%",
    "Creation Time : %DATETIME%", "Description", "Disclaimer", "Software", "Source", "Title : %FILENAME%", "Warning" };

// n characters cycling through the alphabet, so that a cut at the wrong place shows.
QString run(int n, char16_t first = u'a')
{
    QString s;
    for (int i = 0; i < n; ++i)
        s.append(QChar(char16_t(first + i % 26)));
    return s;
}

} // namespace

// The presets and the shared store of them with its file.
class tst_MetadataPresetManager : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("config"))));
    }

    void missingFileGivesDefaultsTidyAndRestore()
    {
        MetadataPresetManager store;
        QCOMPARE(
            store.presetsFilePath(), m_home.filePath(QStringLiteral("config/org.velmora.Velmora.MetadataPresets")));
        QSignalSpy spy(&store, &MetadataPresetManager::presetsNeedUpdated);
        QCOMPARE(store.loadMetaDataPresets(), MetadataPresetManager::LoadResult::NoFile);
        QCOMPARE(store.loadMetaDataPresets(), MetadataPresetManager::LoadResult::NoFile); // replaces, never appends
        QCOMPARE(store.presetMenuTitles(), kDefaultTitles);
        QCOMPARE(spy.count(), 0);
        QVERIFY(!QFile::exists(store.presetsFilePath()));

        // Tidying drops presets without keyword and keeps the order; restoring brings back the defaults only.
        const auto zulu = MetadataPreset::presetWithKeyword(QStringLiteral("Zulu"), QString());
        const auto alpha = MetadataPreset::presetWithKeyword(QStringLiteral("Alpha"), QString());
        store.insertPresets(0,
            { zulu, MetadataPreset::presetWithKeyword(QString(""), QStringLiteral("lost")),
                std::make_shared<MetadataPreset>(), alpha });
        store.tidyMetadataPresets();
        QCOMPARE(store.metadataPresets().mid(0, 2), PresetList({ zulu, alpha })); // order kept, not sorted
        QCOMPARE(store.metadataPresets().size(), 12);
        store.tidyMetadataPresets();
        QCOMPARE(spy.count(), 2); // also when nothing went
        store.restoreDefaultPresets();
        QCOMPARE(store.presetMenuTitles(), kDefaultTitles);
        QCOMPARE(spy.count(), 3);
    }

    void readFile_data()
    {
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QStringList>("titles"); // empty: the defaults after the log line

        QTest::newRow("sorted by display text")
            << QByteArray("<MetadataPresets><comment keyword=\"Title\" text=\"%FILENAME%\"/>"
                          "<comment keyword=\"author\" text=\"\"/><comment keyword=\"Comment\"/></MetadataPresets>")
            << QStringList { "author", "Comment", "Title : %FILENAME%" };
        QTest::newRow("foreign root, other children ignored")
            << QByteArray("<?xml version=\"1.0\"?><Other><note keyword=\"No\"/><comment keyword=\"b\" extra=\"x\"/>"
                          "<comment keyword=\"A\"><comment keyword=\"Nested\"/></comment></Other>")
            << QStringList { "A", "b" };
        QTest::newRow("stored and empty shorthands, missing keyword")
            << QByteArray("<MetadataPresets><comment keyword=\"Author\" shorthand=\"Zed\"/>"
                          "<comment keyword=\"Title\" shorthand=\"\"/><comment text=\"x\"/></MetadataPresets>")
            << QStringList { "", "", "Zed" };
        QTest::newRow("no comment: empty list") << QByteArray("<MetadataPresets/>") << QStringList { "(empty)" };
        QTest::newRow("truncated") << QByteArray("<MetadataPresets><comment keyword=\"A\"/><comm") << QStringList();
    }
    void readFile()
    {
        QFETCH(QByteArray, xml);
        QFETCH(QStringList, titles);
        QVERIFY(TestSupport::writeFile(file(), xml));
        MetadataPresetManager store(file());
        using enum MetadataPresetManager::LoadResult;
        if (titles.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, "Can't parse Metadata Presets XML");
        QCOMPARE(store.loadMetaDataPresets(), titles.isEmpty() ? Malformed : FromFile);
        QCOMPARE(store.presetMenuTitles(),
            titles.isEmpty()                          ? kDefaultTitles
                : titles == QStringList { "(empty)" } ? QStringList()
                                                      : titles);
        QCOMPARE(QFile(file()).size(), qint64(xml.size())); // a bad file too stays until a save
    }

    void saveRoundTrip()
    {
        const QString path = m_home.filePath(QStringLiteral("new/folder/presets"));
        MetadataPresetManager store(path);
        const QString odd = QStringLiteral("line one\nline two\r\n\t\"q\" <&> é 😀");
        store.appendPreset(MetadataPreset::presetWithKeyword(QStringLiteral("Notes"), odd));
        store.appendPreset(MetadataPreset::presetWithKeyword(QStringLiteral("Comment"), QString()));
        auto emptyShorthand = MetadataPreset::presetWithKeyword(QStringLiteral("Author"), QStringLiteral("me"));
        emptyShorthand->setShorthand(QStringLiteral(""));
        store.appendPreset(emptyShorthand);
        // A character XML cannot carry is replaced; it does not keep the others from being saved.
        store.appendPreset(MetadataPreset::presetWithKeyword(QStringLiteral("Odd\u000B"), QStringLiteral("a\u000Bb")));
        QString error;
        QVERIFY2(store.saveMetadataPresets(&error), qPrintable(error));

        const QByteArray bytes = TestSupport::readFile(path);
        QVERIFY(bytes.contains("<MetadataPresets>"));
        QVERIFY(bytes.indexOf("Notes") < bytes.indexOf("Comment")); // written in list order

        MetadataPresetManager again(path);
        QCOMPARE(again.loadMetaDataPresets(), MetadataPresetManager::LoadResult::FromFile);
        // Sorted by display text; "|…" a stored display text.
        QStringList read;
        for (const auto &p : again.metadataPresets())
            read << p->keyword() + u'=' + p->value()
                    + (p->hasStoredShorthand() ? u'|' + p->storedShorthand() : QString());
        QCOMPARE(read, QStringList({ "Author=me|", "Comment=", "Notes=" + odd, u"Odd\uFFFD=a\uFFFDb"_qs }));

        // A target that cannot be replaced (a folder) is reported and left alone.
        const QString taken = m_home.filePath(QStringLiteral("taken"));
        QVERIFY(QDir().mkpath(taken));
        QVERIFY(!MetadataPresetManager(taken).saveMetadataPresets(&error));
        QVERIFY(QFileInfo(taken).isDir());
    }

    // --- One preset ---------------------------------------------------------------------------
    void displayText_data()
    {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expected");

        const QString k10 = run(10, u'A'), k33 = run(33, u'A'), k34 = run(34, u'A');
        const QString k36 = run(36, u'A'), k40 = run(40, u'A'), k41 = run(41, u'A');
        QTest::newRow("short pair") << u"Author"_qs << u"%OSUSERNAME%"_qs << u"Author : %OSUSERNAME%"_qs;
        QTest::newRow("no value") << "Comment" << QString() << "Comment";
        QTest::newRow("empty value") << u"Comment"_qs << u""_qs << u"Comment"_qs;
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
        QTest::newRow("empty keyword") << u""_qs << u"value"_qs << QString();
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
    }

private:
    QString file() const { return m_home.filePath(QStringLiteral("presets")); }
    QTemporaryDir m_home;
};

QTEST_GUILESS_MAIN(tst_MetadataPresetManager)
#include "tst_MetadataPresetManager.moc"
