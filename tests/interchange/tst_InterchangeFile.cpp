#include "TestSupport.h"

#include "core/SafeFile.h"
#include "interchange/InterchangeFile.h"

#include <QDir>
#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

Q_DECLARE_METATYPE(WriteFailures)

// Side files (velmx, delimited text, presets, templates) are all written by
// InterchangeFile::write: whichever step of the write fails, the old file must stay as it was.
class tst_InterchangeFile : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void cleanup() { setWriteFailures({}); }

    void failedWriteKeepsTheOldFile_data()
    {
        QTest::addColumn<WriteFailures>("failures");
        QTest::addColumn<QString>("reason");
        QTest::newRow("no space") << WriteFailures { 10, false, false, false } << "No space left";
        QTest::newRow("the file cannot be flushed") << WriteFailures { -1, true, false, false } << "flushing the file";
        QTest::newRow("the rename fails") << WriteFailures { -1, false, true, false } << "replacing the file";
        QTest::newRow("the folder cannot be flushed")
            << WriteFailures { -1, false, false, true } << "flushing the folder";
    }
    void failedWriteKeepsTheOldFile()
    {
        QFETCH(WriteFailures, failures);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("presets.xml"));
        const QByteArray old("<presets/>\n");
        QVERIFY(writeFile(path, old));
        setWriteFailures(failures);
        QString error;
        QVERIFY(!InterchangeFile::write(path, QByteArray(5000, 'x'), &error));
        QVERIFY2(error.contains(reason) && error.contains(path), qPrintable(error));
        QCOMPARE(readFile(path), old);
        QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList { QStringLiteral("presets.xml") });
    }
};

QTEST_GUILESS_MAIN(tst_InterchangeFile)
#include "tst_InterchangeFile.moc"
