#include "TestSupport.h"
#include "batch/BatchFileList.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QMimeData>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

// The files list of a batch window: what enters it from file-name lists and chosen paths,
// in which order, and how rows leave it.
class tst_BatchFileList : public QObject
{
    Q_OBJECT

    QTemporaryDir m_settings;
    std::unique_ptr<TestSupport::TempFolder> m_dir;

    QString path(const QString &relative) const { return m_dir->path(relative); }
    QString touch(const QString &relative) { return m_dir->write(relative); }
    QStringList relative(const QStringList &paths) const { return m_dir->relative(paths); }
    static std::unique_ptr<QMimeData> fileNames(const QStringList &paths)
    {
        auto mime = std::make_unique<QMimeData>();
        for (const QString &p : paths)
            mime->setUrls(mime->urls() << QUrl::fromLocalFile(p));
        return mime;
    }
    static void setExtensionCheck(const QVariant &value)
    {
        QSettings settings;
        if (value.isValid())
            settings.setValue(QStringLiteral("checkFileExtWhenAddingToBatchList"), value);
        else
            settings.remove(QStringLiteral("checkFileExtWhenAddingToBatchList"));
    }

private Q_SLOTS:
    void initTestCase()
    {
        // The settings go to the test's own folder, never the user's.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_settings.path()));
        QCoreApplication::setOrganizationName(QStringLiteral("VelmoraTest"));
    }
    void init() { m_dir = std::make_unique<TestSupport::TempFolder>(); }
    void cleanup() { setExtensionCheck(QVariant()); }

    void droppedFolderHonoursTheExtensionSetting_data()
    {
        QTest::addColumn<QVariant>("setting");
        QTest::addColumn<QStringList>("expected");
        const QStringList pngs { "f/a.PNG", "f/b.png", "f/sub/d.png" };
        QTest::newRow("never set: checked") << QVariant() << pngs;
        QTest::newRow("off") << QVariant(false) << QStringList { "f/a.PNG", "f/b.png", "f/c.jpg", "f/sub/d.png" };
    }
    void droppedFolderHonoursTheExtensionSetting()
    {
        QFETCH(QVariant, setting);
        setExtensionCheck(setting);
        for (const char *f : { "f/a.PNG", "f/b.png", "f/c.jpg", "f/.hidden.png", "f/sub/d.png", "f/.dot/e.png" })
            touch(QString::fromLatin1(f));
        BatchFileList list;
        QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
        int added = -1;
        // Dropped on the first row, pasted, it makes no difference: the files go to their
        // sorted places.
        QVERIFY(list.dropMimeData(fileNames({ path(u"f"_qs) }).get(), Qt::CopyAction, 0, 0, QModelIndex()));
        QTEST(relative(list.paths()), "expected");
        QVERIFY(list.insertDataFromPasteboard(fileNames({ path(u"f/b.png"_qs) }).get(), &added));
        QCOMPARE(added, 1);
        QCOMPARE(list.paths().count(path(u"f/b.png"_qs)), 2); // listed twice
    }

    void chosenPathsSortedWithTheListAlreadyThere()
    {
        BatchFileList list;
        QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QSignalSpy changed(&list, &BatchFileList::filesChanged);
        QCOMPARE(list.addFiles({ touch(u"m.png"_qs), touch(u"c.png"_qs) }), 2);
        QCOMPARE(list.addFiles({ touch(u"x.png"_qs), path(u"missing.png"_qs), touch(u"a.png"_qs) }), 2);
        QCOMPARE(relative(list.paths()), QStringList({ "a.png", "c.png", "m.png", "x.png" }));
        // Nothing found: no change announced.
        QCOMPARE(list.addFiles({ path(u"missing.png"_qs), touch(u"notes.txt"_qs) }, true), 0);
        QCOMPARE(changed.size(), 2);
        QCOMPARE(list.addFiles({ path(u"notes.txt"_qs) }, false), 1);
        QCOMPARE(list.index(2).data().toString(), path(u"m.png"_qs));
    }

    // A path as plain text is no file name.
    void pasteboardWithoutFileNames()
    {
        BatchFileList list;
        QMimeData text;
        text.setData(u"text/plain"_qs, QByteArray("/tmp/a.png"));
        QTest::ignoreMessage(QtWarningMsg, "No compatible paste types found.");
        int added = -1;
        QVERIFY(!list.insertDataFromPasteboard(&text, &added));
        QCOMPARE(added, 0);
        QVERIFY(!list.canDropMimeData(&text, Qt::CopyAction, -1, -1, QModelIndex()));
    }

    void copiedRowsGoAsOneFileNameList()
    {
        BatchFileList list;
        list.addFiles({ touch(u"a.png"_qs), touch(u"b.png"_qs), touch(u"c.png"_qs), touch(u"d.png"_qs) });
        QMimeData mime;
        QVERIFY(!list.writeFiles({}, &mime));
        QVERIFY(!list.writeFiles({ 7, -1 }, &mime));
        QVERIFY(mime.formats().isEmpty());
        QVERIFY(list.writeFiles({ 3, 0, 2, 9 }, &mime));
        QCOMPARE(mime.formats(), QStringList { "text/uri-list" });
        QCOMPARE(mime.urls(), fileNames({ path(u"a.png"_qs), path(u"c.png"_qs), path(u"d.png"_qs) })->urls());
        // The model hands out the same list for a drag.
        std::unique_ptr<QMimeData> dragged(list.mimeData({ list.index(1), list.index(3) }));
        QCOMPARE(dragged->urls(), fileNames({ path(u"b.png"_qs), path(u"d.png"_qs) })->urls());
    }

    void removingRows_data()
    {
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<int>("removals"); // rowsRemoved signals: one per run of neighbouring rows
        QTest::newRow("one") << QList<int> { 2 } << QStringList { "a", "b", "d", "e", "f" } << 1;
        QTest::newRow("scattered, unordered, repeated")
            << QList<int> { 4, 0, 1, 4, 5 } << QStringList { "c", "d" } << 2;
        QTest::newRow("outside the list ignored")
            << QList<int> { -1, 6, 3 } << QStringList { "a", "b", "c", "e", "f" } << 1;
        QTest::newRow("none in the list") << QList<int> { 6 } << QStringList { "a", "b", "c", "d", "e", "f" } << 0;
    }
    void removingRows()
    {
        QFETCH(QList<int>, rows);
        QFETCH(QStringList, left);
        QFETCH(int, removals);
        BatchFileList list;
        QAbstractItemModelTester tester(&list, QAbstractItemModelTester::FailureReportingMode::QtTest);
        for (const char *name : { "a", "b", "c", "d", "e", "f" })
            list.addFiles({ touch(QString::fromLatin1(name)) }, false);
        QSignalSpy removed(&list, &QAbstractItemModel::rowsRemoved);
        QCOMPARE(list.removeFiles(rows), removals > 0);
        QCOMPARE(relative(list.paths()), left);
        QCOMPARE(removed.size(), removals);
    }

    void readOnlyDuringARun()
    {
        BatchFileList list;
        list.addFiles({ touch(u"a.png"_qs), touch(u"b.png"_qs) });
        list.setReadOnly(true);
        const auto mime = fileNames({ touch(u"c.png"_qs) });
        QCOMPARE(list.addFiles({ path(u"c.png"_qs) }), 0);
        QVERIFY(!list.canDropMimeData(mime.get(), Qt::CopyAction, -1, -1, QModelIndex()));
        QVERIFY(!list.dropMimeData(mime.get(), Qt::CopyAction, -1, -1, QModelIndex()));
        QVERIFY(!list.removeFiles({ 0 }));
        QVERIFY(!list.removeAllFiles());
        QCOMPARE(list.flags(QModelIndex()) & Qt::ItemIsDropEnabled, Qt::ItemFlags());
        QCOMPARE(relative(list.paths()), QStringList({ "a.png", "b.png" }));
        list.setReadOnly(false);
        QVERIFY(list.removeAllFiles());
        QCOMPARE(list.count(), 0);
    }
};

QTEST_GUILESS_MAIN(tst_BatchFileList)
#include "tst_BatchFileList.moc"
