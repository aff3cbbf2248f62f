#include "document/PreviewLoader.h"

#include "TestSupport.h"

#include <QSignalSpy>
#include <QTest>
#include <QThreadPool>

using namespace TestSupport;

// The picture is decoded off the GUI thread; whatever the window does meanwhile (a new
// file, closing), only the current decode's result may arrive.
class tst_PreviewLoader : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { m_large = m_dir.write(QStringLiteral("large.png"), simplePng(1200, 900)); }

    // A file by its path, or the file's bytes as a document holds them.
    void deliversAScaledPreviewWithProgress_data() { addSources(); }
    void deliversAScaledPreviewWithProgress()
    {
        QFETCH(bool, fromMemory);
        PreviewLoader loader;
        QSignalSpy progress(&loader, &PreviewLoader::progressChanged);
        QSignalSpy finished(&loader, &PreviewLoader::finished);
        if (fromMemory)
            loader.start(readFile(m_large), QSize(400, 400));
        else
            loader.start(m_large, QSize(400, 400));
        QVERIFY(loader.isRunning());
        QVERIFY(finished.wait(20000));
        QVERIFY(!loader.isRunning());
        QCOMPARE(QSize(loader.preview().width, loader.preview().height), QSize(400, 300));
        QVERIFY(!progress.isEmpty());
        QCOMPARE(progress.last().first().toInt(), 100);
        for (qsizetype i = 1; i < progress.size(); ++i)
            QVERIFY(progress[i].first().toInt() > progress[i - 1].first().toInt());
    }

    // A damaged file, by its path or as bytes, is the image data's fault; a file out of reach
    // is not.
    void reportsAFailure_data()
    {
        addSources();
        QTest::newRow("missing file") << false;
    }
    void reportsAFailure()
    {
        QFETCH(bool, fromMemory);
        const bool missing = QByteArray(QTest::currentDataTag()) == "missing file";
        const QString damaged = m_dir.path(missing ? QStringLiteral("missing.png") : QStringLiteral("damaged.png"));
        QByteArray bytes = simplePng(64, 64);
        bytes.chop(40); // the end of the image data and the end chunk
        QVERIFY(missing || writeFile(damaged, bytes));
        PreviewLoader loader;
        QSignalSpy failed(&loader, &PreviewLoader::failed);
        QSignalSpy finished(&loader, &PreviewLoader::finished);
        if (fromMemory)
            loader.start(bytes, QSize(100, 100));
        else
            loader.start(damaged, QSize(100, 100));
        QVERIFY(failed.wait(20000));
        QCOMPARE(failed.first().first().toString().contains(QStringLiteral("truncated")), !missing);
        QCOMPARE(loader.errorString(), failed.first().first().toString());
        QCOMPARE(failed.first().at(1).toBool(), !missing); // the image data's fault
        QVERIFY(finished.isEmpty());
        QVERIFY(loader.preview().isEmpty());
    }

    void onlyTheCurrentDecodeDelivers()
    {
        PreviewLoader loader;
        QSignalSpy finished(&loader, &PreviewLoader::finished);
        QSignalSpy failed(&loader, &PreviewLoader::failed);
        QSignalSpy progress(&loader, &PreviewLoader::progressChanged);
        loader.start(m_large, QSize(400, 400));
        loader.cancel();
        QVERIFY(!loader.isRunning());
        // Cancelled after the decode finished, its progress and result still on their way.
        loader.start(m_large, QSize(400, 400));
        PreviewLoader::threadPool()->waitForDone();
        loader.cancel();

        // A window closed while its picture is decoding: the decode may still be running
        // when the loader is gone, and must neither crash nor call back.
        auto *closing = new PreviewLoader;
        closing->start(m_large, QSize(400, 400));
        delete closing;

        PreviewLoader::threadPool()->waitForDone();
        QCoreApplication::processEvents();
        QVERIFY(finished.isEmpty());
        QVERIFY(failed.isEmpty());
        QVERIFY(progress.isEmpty());

        // Started again before the first decode is done: only the latest start is delivered.
        loader.start(m_large, QSize(400, 400));
        loader.start(m_dir.write(QStringLiteral("small.png"), simplePng(30, 20)), QSize(400, 400));
        QVERIFY(finished.wait(20000));
        PreviewLoader::threadPool()->waitForDone();
        QCoreApplication::processEvents();
        QCOMPARE(finished.size(), 1);
        QCOMPARE(loader.preview().width, 30);
    }

private:
    static void addSources()
    {
        QTest::addColumn<bool>("fromMemory");
        QTest::newRow("file") << false;
        QTest::newRow("bytes in memory") << true;
    }

    TempFolder m_dir;
    QString m_large;
};

QTEST_GUILESS_MAIN(tst_PreviewLoader)
#include "tst_PreviewLoader.moc"
