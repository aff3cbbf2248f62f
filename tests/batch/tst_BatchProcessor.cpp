#include "RunPacer.h"
#include "TestSupport.h"

#include "batch/BatchFileList.h"
#include "batch/BatchProcessor.h"
#include "commentlist/CommentListOwner.h"
#include "interchange/PasteboardFormats.h"

#include <QMimeData>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

using namespace TestSupport;
using Focus = BatchProcessor::Focus;

Q_DECLARE_METATYPE(BatchProcessor::Focus)

namespace {

QStringList commentsOf(const BatchProcessor &processor)
{
    return describe(processor.comments()->comments());
}

} // namespace

// What stands behind a batch window: edit commands by focus, the comment sources, the run
// with its progress, cancel and report.
class tst_BatchProcessor : public QObject
{
    Q_OBJECT

    QTemporaryDir m_stores;
    std::unique_ptr<TempFolder> m_dir;

    QString png(const QString &name, const std::vector<RawChunk> &chunks = {})
    {
        return m_dir->write(name, simplePng(6, 4, chunks));
    }
    // A processor with comments A=1, B=2, C=3 and the files a.png, b.png, c.png.
    void fill(BatchProcessor &processor)
    {
        for (const CommentPtr &c : commentsFrom({ "A=1", "B=2", "C=3" }))
            processor.comments()->insertObject(c, -1);
        processor.addFiles({ png(u"c.png"_qs), png(u"a.png"_qs), png(u"b.png"_qs) });
    }
    QStringList fileNames(const BatchProcessor &processor) const
    {
        QStringList names;
        for (const QString &p : processor.files()->paths())
            names << QFileInfo(p).fileName();
        return names;
    }

private Q_SLOTS:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_stores.filePath(u"config"_qs)));
        QCoreApplication::setOrganizationName(QStringLiteral("VelmoraTest"));
    }
    void init() { m_dir = std::make_unique<TempFolder>(); }

    void editCommandsActOnTheFocusedList_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<Focus>("focus");
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<QStringList>("comments");
        QTest::addColumn<QStringList>("files");
        const QStringList allComments { "A=1", "B=2", "C=3" }, allFiles { "a.png", "b.png", "c.png" };
        const auto row = [](const char *name, const char *command, Focus focus, const QList<int> &rows,
                             const QStringList &comments, const QStringList &files) {
            QTest::newRow(name) << QString(command) << focus << rows << comments << files;
        };
        row("delete comments", "delete", Focus::Comments, { 0, 2 }, { "B=2" }, allFiles);
        row("delete files", "delete", Focus::Files, { 2, 0 }, allComments, { "b.png" });
        row("delete, no table focused", "delete", Focus::None, { 0 }, allComments, allFiles);
        row("delete all comments", "deleteAll", Focus::Comments, {}, {}, allFiles);
        row("delete all files", "deleteAll", Focus::Files, {}, allComments, {});
        row("delete all, no table focused", "deleteAll", Focus::None, {}, allComments, allFiles);
        row("cut comments", "cut", Focus::Comments, { 1 }, { "A=1", "C=3" }, allFiles);
        row("cut files", "cut", Focus::Files, { 1 }, allComments, { "a.png", "c.png" });
        row("cut, no table focused", "cut", Focus::None, { 1 }, allComments, allFiles);
        row("copy leaves both", "copy", Focus::Files, { 1 }, allComments, allFiles);
        // Before the selected row, macros kept; files to their sorted places.
        row("paste comments", "paste", Focus::Comments, { 1 }, { "A=1", "X=%DATE%", "B=2", "C=3" }, allFiles);
        row("paste files", "paste", Focus::Files, { 0 }, allComments, { "0.png", "a.png", "b.png", "c.png", "z.png" });
        row("paste, no table focused", "paste", Focus::None, { 0 }, allComments, allFiles);
    }
    void editCommandsActOnTheFocusedList()
    {
        QFETCH(QString, command);
        QFETCH(Focus, focus);
        QFETCH(QList<int>, rows);
        BatchProcessor processor;
        fill(processor);
        QMimeData mime;
        bool done = false;
        if (command == u"delete")
            done = processor.deleteRows(focus, rows);
        else if (command == u"deleteAll")
            done = processor.deleteAll(focus);
        else if (command == u"cut")
            done = processor.cut(focus, rows, &mime);
        else if (command == u"copy")
            done = processor.copy(focus, rows, &mime);
        if (command == u"paste") {
            writeComments(commentsFrom({ "X=%DATE%" }), &mime);
            mime.setUrls({ QUrl::fromLocalFile(png(u"0.png"_qs)), QUrl::fromLocalFile(png(u"z.png"_qs)) });
            done = processor.paste(focus, &mime, rows.first());
        }
        QCOMPARE(done, focus != Focus::None);
        QTEST(commentsOf(processor), "comments");
        QTEST(fileNames(processor), "files");
        // What was cut or copied is on the clipboard in the focused list's own form.
        if (focus == Focus::Files && (command == u"cut" || command == u"copy"))
            QCOMPARE(mime.urls(), QList<QUrl> { QUrl::fromLocalFile(m_dir->path(u"b.png"_qs)) });
        if (focus == Focus::Comments && command == u"cut")
            QCOMPARE(mime.text(), QStringLiteral("B\t2"));
        if (focus == Focus::None && command != u"paste")
            QVERIFY(mime.formats().isEmpty());
    }

    void runReportsEveryFailedFileWithItsReason()
    {
        BatchProcessor processor;
        processor.setThreads(2);
        const QString good = png(u"set/good.png"_qs, { tEXt("Author", "Old") });
        const QString notPng = m_dir->write(u"set/text.png"_qs, "just text");
        const QString other = png(u"set/sub/other.png"_qs, { tEXt("Author", "Someone") });
        QCOMPARE(processor.addFiles({ m_dir->path(u"set"_qs) }), 3);

        processor.comments()->insertObject(commentsFrom({ "Author=Ann" }).first(), -1);
        processor.comments()->insertObject(commentsFrom({ "Title=%FILENAME%" }).first(), -1);
        processor.setReplaceSameKeyword(true);
        QSignalSpy finished(&processor, &BatchProcessor::runFinished);
        QVERIFY(processor.run());
        QVERIFY(processor.isRunning());
        QVERIFY(finished.wait(60000));
        QVERIFY(!processor.isRunning());

        // The run's own report (its texts are the report's tests').
        const BatchReport &report = processor.lastReport();
        QCOMPARE(report.succeeded(), 2);
        QCOMPARE(report.failures().size(), 1);
        QCOMPARE(report.failures()[0].path, notPng);
        // The options reach the run.
        QCOMPARE(fileComments(good), QStringList({ "Author=Ann", "Title=good" }));
        // The lists are as they were.
        QCOMPARE(commentsOf(processor), QStringList({ "Author=Ann", "Title=%FILENAME%" }));
        QCOMPARE(processor.files()->count(), 3);
    }

    // A run paced file by file (each in place before the next is read): its progress, the
    // lists locked while it goes, and a cancel between files.
    void progressLockedListsAndCancel()
    {
        BatchProcessor processor;
        processor.setThreads(1);
        QStringList files;
        for (int i = 0; i < 6; ++i)
            files << png(u"f%1.png"_qs.arg(i), { tEXt("Own", "x") });
        processor.addFiles(files);
        processor.comments()->insertObject(commentsFrom({ "K=v" }).first(), -1);
        RunPacer pacer;
        processor.setGroupFiles(1);
        processor.setFileObserver(pacer.observer());
        QStringList progress;
        connect(&processor, &BatchProcessor::progressChanged, this, [&](int done, int total, const QString &path) {
            progress << u"%1/%2 %3"_qs.arg(done).arg(total).arg(QFileInfo(path).fileName());
        });
        QSignalSpy progressed(&processor, &BatchProcessor::progressChanged);
        QSignalSpy finished(&processor, &BatchProcessor::runFinished);
        QVERIFY(processor.run());
        for (int i = 0; i < 2; ++i) {
            QVERIFY(pacer.waitForFile());
            pacer.letGo();
            QVERIFY(progressed.wait(60000));
        }
        // Held after the third file, the run tells nothing new, and nothing comes.
        QVERIFY(pacer.waitForFile());
        QTest::qWait(300);
        QCOMPARE(progress, QStringList({ "0/6 ", "1/6 f0.png", "2/6 f1.png" }));

        // While it goes the lists cannot be changed.
        QVERIFY(!processor.run());
        QMimeData mime;
        QVERIFY(processor.copy(Focus::Comments, { 0 }, &mime));
        QVERIFY(!processor.paste(Focus::Comments, &mime, -1));
        QVERIFY(!processor.cut(Focus::Comments, { 0 }, &mime));
        QVERIFY(!processor.deleteAll(Focus::Comments));
        QVERIFY(processor.files()->isReadOnly());
        QCOMPARE(commentsOf(processor), QStringList { "K=v" });

        processor.cancel();
        pacer.letGo();
        QVERIFY(finished.wait(60000));
        const BatchReport &report = processor.lastReport();
        QVERIFY(report.wasCancelled());
        QCOMPARE(report.succeeded(), 3);
        QCOMPARE(report.failures().size(), 0);
        QCOMPARE(report.notProcessed(), files.mid(3));

        QVERIFY(!processor.files()->isReadOnly()); // editable again
    }

    void entryNoFileCanHoldStartsNothing()
    {
        BatchProcessor processor;
        const QString file = png(u"unwritable/a.png"_qs, { tEXt("Author", "Old") });
        QCOMPARE(processor.addFiles({ file }), 1);
        processor.comments()->insertObject(commentsFrom({ "Author=Ann" }).first(), -1);
        processor.comments()->insertObject(commentsFrom({ "日本=x" }).first(), -1);
        QString error;
        QVERIFY(!processor.run(&error));
        QVERIFY2(error.contains(u"日本"_qs), qPrintable(error));
        QVERIFY(!processor.isRunning());

        // Without files a run ends at once.
        processor.deleteAll(Focus::Comments);
        processor.deleteAll(Focus::Files);
        QSignalSpy finished(&processor, &BatchProcessor::runFinished);
        QVERIFY(processor.run());
        QVERIFY(finished.wait(60000));
        QCOMPARE(processor.lastReport().total(), 0);
    }

    void closingDuringARunLeavesNoFileHalfWritten()
    {
        auto processor = std::make_unique<BatchProcessor>();
        processor->setThreads(2);
        QStringList files;
        for (int i = 0; i < 8; ++i)
            files << png(u"f%1.png"_qs.arg(i));
        const QByteArray original = readFile(files[0]);
        processor->addFiles(files);
        processor->comments()->insertObject(commentsFrom({ "K=v" }).first(), -1);
        RunPacer pacer;
        // Paced file by file: each in place before the next is read.
        processor->setGroupFiles(1);
        processor->setFileObserver(pacer.observer());
        QVERIFY(processor->run());
        QVERIFY(pacer.waitForFile());
        // Enough to let every worker finish what it started; the processor cancels and waits.
        pacer.letGo(100);
        processor.reset();
        int written = 0;
        for (const QString &f : files) {
            if (readFile(f) != original) {
                QCOMPARE(fileComments(f), QStringList { "K=v" });
                ++written;
            }
        }
        QVERIFY(written >= 1);
    }
};

QTEST_GUILESS_MAIN(tst_BatchProcessor)
#include "tst_BatchProcessor.moc"
