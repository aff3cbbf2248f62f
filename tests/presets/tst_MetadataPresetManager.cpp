#include "presets/MetadataPresetManager.h"

#include <QTemporaryDir>
#include <QtTest>

#include "TestSupport.h"

namespace {

const QStringList kDefaultTitles = { "Author : %OSUSERNAME%", "Comment", "Copyright : %OSUSERNAME%, %DATE%",
    "Creation Time : %DATETIME%", "Description", "Disclaimer", "Software", "Source", "Title : %FILENAME%", "Warning" };

} // namespace

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
        QCOMPARE(store.presetAtIndex(-1), nullptr);
        QCOMPARE(store.presetAtIndex(10), nullptr);
        QCOMPARE(store.presetAtIndex(9)->keyword(), QStringLiteral("Warning"));
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
        // "+2ADYAA-" decodes to two unpaired surrogates, which no saved file could carry.
        QTest::newRow("another encoding, unpaired surrogates")
            << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-7\"?><MetadataPresets>"
                          "<comment keyword=\"K+2ADYAA-\" text=\"t\"/></MetadataPresets>")
            << QStringList { u"K\uFFFD\uFFFD : t"_qs };
        QTest::newRow("truncated") << QByteArray("<MetadataPresets><comment keyword=\"A\"/><comm") << QStringList();
        QTest::newRow("empty file") << QByteArray() << QStringList();
        QTest::newRow("not XML") << QByteArray("Author\tme\n") << QStringList();
        QTest::newRow("entities in a DTD are never expanded")
            << QByteArray("<!DOCTYPE MetadataPresets [<!ENTITY a \"aaaaaaaaaa\">]>"
                          "<MetadataPresets><comment keyword=\"&a;&a;\"/></MetadataPresets>")
            << QStringList();
    }
    void readFile()
    {
        QFETCH(QByteArray, xml);
        QFETCH(QStringList, titles);
        QVERIFY(TestSupport::writeFile(file(), xml));
        MetadataPresetManager store(file());
        if (titles.isEmpty()) {
            QTest::ignoreMessage(QtWarningMsg, "Can't parse Metadata Presets XML");
            QCOMPARE(store.loadMetaDataPresets(), MetadataPresetManager::LoadResult::Malformed);
            QCOMPARE(store.presetMenuTitles(), kDefaultTitles);
            QCOMPARE(QFile(file()).size(), qint64(xml.size())); // the bad file stays until a save
            return;
        }
        QCOMPARE(store.loadMetaDataPresets(), MetadataPresetManager::LoadResult::FromFile);
        QCOMPARE(store.presetMenuTitles(), titles == QStringList { "(empty)" } ? QStringList() : titles);
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
        QString error;
        QVERIFY2(store.saveMetadataPresets(&error), qPrintable(error));

        const QByteArray bytes = TestSupport::readFile(path);
        QVERIFY(bytes.contains("<MetadataPresets>"));
        QCOMPARE(bytes.count("<comment "), 3);
        QCOMPARE(bytes.count("shorthand=\"\""), 1);
        QVERIFY(bytes.indexOf("Notes") < bytes.indexOf("Comment")); // written in list order

        MetadataPresetManager again(path);
        QCOMPARE(again.loadMetaDataPresets(), MetadataPresetManager::LoadResult::FromFile);
        QCOMPARE(again.presetMenuTitles().mid(0, 2), QStringList({ "", "Comment" }));
        QVERIFY(again.presetAtIndex(0)->hasStoredShorthand());
        QCOMPARE(again.presetAtIndex(1)->value(), QString()); // absent value written empty
        QCOMPARE(again.presetAtIndex(2)->value(), odd);
        QVERIFY(!again.presetAtIndex(2)->hasStoredShorthand());

        // A target that cannot be replaced (a folder) is reported and left alone.
        const QString taken = m_home.filePath(QStringLiteral("taken"));
        QVERIFY(QDir().mkpath(taken));
        QVERIFY(!MetadataPresetManager(taken).saveMetadataPresets(&error));
        QVERIFY(QFileInfo(taken).isDir());
    }

    void characterXmlCannotCarryStillSaves()
    {
        // One preset with a vertical tab must not keep the others from being saved.
        const QString path = m_home.filePath(QStringLiteral("odd/presets"));
        MetadataPresetManager store(path);
        store.appendPreset(MetadataPreset::presetWithKeyword(QStringLiteral("Odd\u000B"), QStringLiteral("a\u000Bb")));
        store.appendPreset(MetadataPreset::presetWithKeyword(QStringLiteral("Plain"), QStringLiteral("kept")));
        QString error;
        QVERIFY2(store.saveMetadataPresets(&error), qPrintable(error));

        MetadataPresetManager again(path);
        QCOMPARE(again.loadMetaDataPresets(), MetadataPresetManager::LoadResult::FromFile);
        QCOMPARE(again.presetAtIndex(0)->keyword(), QStringLiteral("Odd\uFFFD"));
        QCOMPARE(again.presetAtIndex(0)->value(), QStringLiteral("a\uFFFDb"));
        QCOMPARE(again.presetAtIndex(1)->value(), QStringLiteral("kept"));
    }

private:
    QString file() const { return m_home.filePath(QStringLiteral("presets")); }
    QTemporaryDir m_home;
};

QTEST_GUILESS_MAIN(tst_MetadataPresetManager)
#include "tst_MetadataPresetManager.moc"
