#include "CommentListTargetDoubles.h"
#include "TestSupport.h"
#include "core/SafeFile.h"
#include "interchange/MetadataFormats.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

// The table of metadata file formats: which format a name stands for, and the import and
// export by name that the command line and the application share.
class tst_MetadataFormats : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private slots:
    void cleanup() { setWriteFailures({}); }

    void formatByName_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("format");
        QTest::newRow("velmx") << "/t/a.velmx" << int(MetadataFormat::Velmx);
        QTest::newRow("velmx in capitals") << "/t/a.VELMX" << int(MetadataFormat::Velmx);
        QTest::newRow("csv mixed case") << "/t/a.Csv" << int(MetadataFormat::Csv);
        QTest::newRow("only the last extension counts") << "/t/a.csv.txt" << int(MetadataFormat::Unknown);
        QTest::newRow("no extension") << "/t/velmx" << int(MetadataFormat::Unknown);
        QTest::newRow("a folder named like one") << "/t.csv/a" << int(MetadataFormat::Unknown);
    }
    void formatByName()
    {
        QFETCH(QString, path);
        QTEST(int(metadataFormatForPath(path)), "format");
        QCOMPARE(metadataFormatSuffixes(), u".velmx or .csv"_qs);
        QCOMPARE(metadataFileNamePatterns(), u"*.velmx *.csv *.VELMX *.CSV"_qs);
    }

    void roundTripByName_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("velmx") << "out.velmx";
        QTest::newRow("csv in capitals") << "OUT.CSV";
        QTest::newRow("no metadata format") << "out.txt";
    }
    void roundTripByName()
    {
        QFETCH(QString, name);
        const QString path = m_dir.filePath(name);
        const bool known = metadataFormatForPath(path) != MetadataFormat::Unknown;
        TestTarget source(TestTarget::Batch, { "Author=Ann", "Note=a;b", "Title=%WIDTH%" });
        TestTarget target(TestTarget::Batch, { "Author=old" });
        QString error;
        QCOMPARE(exportMetadataFile(source, path, u'|', &error), known);
        QCOMPARE(importMetadataFile(target, path, u'|', true, &error), known);
        QCOMPARE(describe(target.all), known ? describe(source.all) : QStringList { "Author=old" });
        QCOMPARE(QFile::exists(path), known);
        if (!known)
            QVERIFY2(error.contains(u"out.txt"_qs) && error.contains(metadataFormatSuffixes()), qPrintable(error));
    }

    // Side files (velmx, delimited text, presets, templates) are all written by
    // InterchangeFile::write, through the safe write whose failures SafeFile's tests go over.
    void failedWriteKeepsTheOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("old.csv"));
        QVERIFY(writeFile(path, "old"));
        setWriteFailures({ 0, false, false, false });
        QString error;
        QVERIFY(!exportMetadataFile(TestTarget(TestTarget::Batch, { "A=b" }), path, u',', &error));
        QVERIFY2(error.contains(u"No space left"_qs) && error.contains(path), qPrintable(error));
        QCOMPARE(readFile(path), QByteArray("old"));
    }
};

QTEST_GUILESS_MAIN(tst_MetadataFormats)
#include "tst_MetadataFormats.moc"
