#include "TestSupport.h"

#include "batch/BatchJob.h"

#include <QSignalSpy>
#include <QtTest>

using namespace TestSupport;

// A batch run in a worker thread: what reaches the owner's thread, and the report.
class tst_BatchJob : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void progressNeverFloodsTheOwner()
    {
        TempFolder dir;
        QStringList files;
        for (int i = 0; i < 60; ++i)
            files << dir.write(u"f%1.png"_qs.arg(i, 2, 10, QChar(u'0')), simplePng(2, 2));
        BatchRun::Options options;
        options.threads = 3;
        BatchJob job(files, commentsFrom({ "K=v" }), options);
        QSignalSpy progress(&job, &BatchJob::progressChanged);
        QSignalSpy finished(&job, &BatchJob::finished);
        job.start();
        job.start(); // once only
        QVERIFY(job.isRunning());
        // The owner's thread is busy and handles no events until the run is over: it hears
        // of all the files at once, before the end.
        job.waitForFinished();
        QVERIFY(job.isFinished());
        QCOMPARE(progress.size(), 1);
        QCOMPARE(progress[0].mid(0, 2), QVariantList({ 60, 60 }));
        QVERIFY(files.contains(progress[0][2].toString()));
        QCOMPARE(finished.size(), 1);
        QCoreApplication::processEvents();
        QCOMPARE(progress.size(), 1);
        QCOMPARE(finished.size(), 1);
        QCOMPARE(job.report().succeeded(), 60);

        // A job never started goes quietly.
        BatchJob unstarted({ u"/nonexistent/a.png"_qs }, {}, {});
        QSignalSpy unfinished(&unstarted, &BatchJob::finished);
        unstarted.cancel();
        unstarted.waitForFinished();
        QVERIFY(!unstarted.isRunning() && !unstarted.isFinished());
        QCOMPARE(unfinished.size(), 0);
    }

    void reportTexts_data()
    {
        QTest::addColumn<QStringList>("outcomes"); // path=ok, path=unchanged, path=reason, path=cancelled
        QTest::addColumn<bool>("cancelled");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QString>("details");
        const auto row
            = [](const char *name, const QStringList &outcomes, bool cancelled, const QString &summary,
                  const QString &details) { QTest::newRow(name) << outcomes << cancelled << summary << details; };
        row("all processed", { "/a.png=ok", "/b.png=ok" }, false,
            u"2 files were successfully processed.\nFiles in the batch: 2"_qs, QString());
        row("failures with their reasons", { "/a.png=ok", "/b.png=the file is read-only", "/c: d.png=not a PNG file" },
            false, u"1 files were successfully processed.\nFiles in the batch: 3\nFailed: 2"_qs,
            u"Failed files:\n/b.png: the file is read-only\n/c: d.png: not a PNG file"_qs);
        row("cancelled after a failure", { "/a.png=no such file", "/b.png=ok", "/c.png=cancelled", "/d.png=cancelled" },
            true,
            u"1 files were successfully processed.\nFiles in the batch: 4\nFailed: 1\n"
            u"Not processed (the run was cancelled): 2"_qs,
            u"Failed files:\n/a.png: no such file\n\nFiles not processed:\n/c.png\n/d.png"_qs);
        row("a file with nothing to remove", { "/a.png=ok", "/b.png=unchanged" }, false,
            u"2 files were successfully processed.\nFiles in the batch: 2\nLeft as they were (nothing to remove): 1"_qs,
            QString());
        row("cancelled after the last file", { "/a.png=ok" }, true,
            u"1 files were successfully processed.\nFiles in the batch: 1"_qs, QString());
    }
    void reportTexts()
    {
        QFETCH(QStringList, outcomes);
        QFETCH(bool, cancelled);
        QFETCH(QString, summary);
        QFETCH(QString, details);
        QList<BatchRun::FileResult> results;
        for (const QString &outcome : outcomes) {
            BatchRun::FileResult r;
            const qsizetype eq = outcome.lastIndexOf(u'=');
            r.path = outcome.left(eq);
            const QString what = outcome.mid(eq + 1);
            r.ok = what == u"ok" || what == u"unchanged";
            r.unchanged = what == u"unchanged";
            r.cancelled = what == u"cancelled";
            if (!r.ok)
                r.error = what;
            results << r;
        }
        const BatchReport report(results, cancelled);
        QCOMPARE(report.summary(), summary);
        QCOMPARE(report.details(), details);
        QCOMPARE(report.text(), details.isEmpty() ? summary : summary + u"\n\n"_qs + details);
    }
};

QTEST_GUILESS_MAIN(tst_BatchJob)
#include "tst_BatchJob.moc"
