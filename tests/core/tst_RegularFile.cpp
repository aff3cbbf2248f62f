#include "core/RegularFile.h"

#include "TestSupport.h"

#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

// Every input of the application is read here: anything but a regular file of sane size
// must be refused before it can block the reader or exhaust the memory.
class tst_RegularFile : public QObject
{
    Q_OBJECT

private slots:
    void readsRegularFiles_data()
    {
        QTest::addColumn<QString>("path"); // empty: a file holding contents
        QTest::addColumn<QByteArray>("contents");
        QTest::addColumn<qint64>("limit");
        QTest::newRow("empty file") << QString() << QByteArray() << qint64(10);
        QTest::newRow("exactly the limit") << QString() << QByteArray(10, 'x') << qint64(10);
        QTest::newRow("larger than the first read") << QString() << QByteArray(100000, 'y') << qint64(1 << 20);
        // /proc files claim a size of 0: what they hold is read all the same.
        QFile proc(QStringLiteral("/proc/self/cmdline"));
        QVERIFY(proc.open(QIODevice::ReadOnly));
        QTest::newRow("claims 0 bytes") << proc.fileName() << proc.readAll() << qint64(1 << 20);
    }

    void readsRegularFiles()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, contents);
        QFETCH(qint64, limit);
        QTemporaryDir dir;
        if (path.isEmpty())
            QVERIFY(TestSupport::writeFile(path = dir.filePath(QStringLiteral("f")), contents));
        QByteArray read("old");
        QString error;
        QVERIFY2(readRegularFile(path, limit, &read, &error), qPrintable(error));
        QCOMPARE(read, contents);
    }

    void refusesWhatIsNotARegularFile_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << u"missing"_qs << u"does not exist"_qs;
        QTest::newRow("folder") << u"folder"_qs << u"folder"_qs;
        QTest::newRow("FIFO (would block)") << u"fifo"_qs << u"not a regular file"_qs;
        QTest::newRow("device without end") << u"/dev/zero"_qs << u"not a regular file"_qs;
        QTest::newRow("over the limit") << u"big"_qs << u"too large"_qs;
        // /proc files claim a size of 0 and grow while they are read.
        QTest::newRow("claims 0 bytes, holds more") << u"/proc/self/maps"_qs << u"too large"_qs;
    }

    void refusesWhatIsNotARegularFile()
    {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        QString path = dir.filePath(kind);
        if (kind == u"folder") {
            QVERIFY(QDir(dir.path()).mkdir(kind));
        } else if (kind == u"fifo") {
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        } else if (kind == u"big") {
            QVERIFY(TestSupport::writeFile(path, QByteArray(11, 'z')));
        } else if (kind.startsWith(u'/')) {
            path = kind;
        }
        QByteArray read("kept");
        QString error;
        QVERIFY(!readRegularFile(path, 10, &read, &error));
        QVERIFY2(error.contains(reason), qPrintable(error));
        QCOMPARE(read, QByteArray("kept")); // a failure leaves the buffer alone
    }
};

QTEST_GUILESS_MAIN(tst_RegularFile)
#include "tst_RegularFile.moc"
