#include "RunPacer.h"
#include "TestSupport.h"

#include "batch/BatchFileList.h"
#include "batch/BatchProcessor.h"
#include "commentlist/CommentListOwner.h"
#include "interchange/PasteboardFormats.h"
#include "interchange/VelmxFormat.h"

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
    std::unique_ptr<QTemporaryDir> m_dir;

    QString png(const QString &name, const std::vector<RawChunk> &chunks = {})
    {
        const QString path = m_dir->filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (!writeFile(path, simplePng(6, 4, chunks)))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }
    // A processor with comments A=1, B=2, C=3 and the files a.png, b.png, c.png.
    void fill(BatchProcessor &processor)
    {
        for (const QString &pair : { u"A=1"_qs, u"B=2"_qs, u"C=3"_qs }) {
            const CommentPtr c = commentsFrom({ pair }).first();
            processor.comments()->insertObject(c, -1);
        }
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
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void editCommandsActOnTheFocusedList_data()
    {
        QTest::addColumn<QString>("command");
        QTest::addColumn<Focus>("focus");
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<QStringList>("comments");
        QTest::addColumn<QStringList>("files");
        const QStringList allComments { "A=1", "B=2", "C=3" }, allFiles { "a.png", "b.png", "c.png" };
        QTest::newRow("delete comments") << "delete" << Focus::Comments << QList<int> { 0, 2 } << QStringList { "B=2" }
                                         << allFiles;
        QTest::newRow("delete files") << "delete" << Focus::Files << QList<int> { 2, 0 } << allComments
                                      << QStringList { "b.png" };
        QTest::newRow("delete, no table focused")
            << "delete" << Focus::None << QList<int> { 0 } << allComments << allFiles;
        QTest::newRow("delete all comments")
            << "deleteAll" << Focus::Comments << QList<int> {} << QStringList {} << allFiles;
        QTest::newRow("delete all files")
            << "deleteAll" << Focus::Files << QList<int> {} << allComments << QStringList {};
        QTest::newRow("delete all, no table focused")
            << "deleteAll" << Focus::None << QList<int> {} << allComments << allFiles;
        QTest::newRow("cut comments") << "cut" << Focus::Comments << QList<int> { 1 } << QStringList { "A=1", "C=3" }
                                      << allFiles;
        QTest::newRow("cut files") << "cut" << Focus::Files << QList<int> { 1 } << allComments
                                   << QStringList { "a.png", "c.png" };
        QTest::newRow("cut, no table focused") << "cut" << Focus::None << QList<int> { 1 } << allComments << allFiles;
        QTest::newRow("copy leaves both") << "copy" << Focus::Files << QList<int> { 1 } << allComments << allFiles;
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
        else
            done = processor.copy(focus, rows, &mime);
        QCOMPARE(done, focus != Focus::None);
        QTEST(commentsOf(processor), "comments");
        QTEST(fileNames(processor), "files");
        // What was cut or copied is on the clipboard in the focused list's own form.
        if (focus == Focus::Files && command != u"delete" && command != u"deleteAll")
            QCOMPARE(mime.urls(), QList<QUrl> { QUrl::fromLocalFile(m_dir->filePath(u"b.png"_qs)) });
        if (focus == Focus::Comments && command == u"cut")
            QCOMPARE(mime.text(), QStringLiteral("B\t2"));
        if (focus == Focus::None)
            QVERIFY(mime.formats().isEmpty());
    }

    void pasteGoesToTheFocusedList()
    {
        BatchProcessor processor;
        fill(processor);
        QMimeData comments;
        writeComments(commentsFrom({ "X=%DATE%", "Y=y" }), &comments);
        // No row selected: appended; row 1 selected: they go before it. Macros stay.
        QVERIFY(processor.paste(Focus::Comments, &comments, -1));
        QVERIFY(processor.paste(Focus::Comments, &comments, 1));
        QCOMPARE(commentsOf(processor), QStringList({ "A=1", "X=%DATE%", "Y=y", "B=2", "C=3", "X=%DATE%", "Y=y" }));

        QMimeData files;
        files.setUrls({ QUrl::fromLocalFile(png(u"0.png"_qs)), QUrl::fromLocalFile(png(u"z.png"_qs)) });
        QVERIFY(processor.paste(Focus::Files, &files, 0));
        QCOMPARE(fileNames(processor), QStringList({ "0.png", "a.png", "b.png", "c.png", "z.png" }));

        // Each list takes only its own kind.
        QTest::ignoreMessage(QtWarningMsg, "No compatible paste types found.");
        QVERIFY(!processor.paste(Focus::Files, &comments, 0));
        QTest::ignoreMessage(QtWarningMsg, "No compatible paste types found.");
        QVERIFY(!processor.paste(Focus::Comments, &files, 0));
        QVERIFY(!processor.paste(Focus::None, &files, 0));
        QCOMPARE(commentsOf(processor).size(), 7);
        QCOMPARE(processor.files()->count(), 5);
    }

    void dragWithinTheCommentsTableMovesItsRows()
    {
        BatchProcessor processor;
        CommentListOwner *list = processor.comments();
        for (const QString &pair : { u"R0=0"_qs, u"R1=1"_qs, u"R2=2"_qs, u"R3=3"_qs })
            list->insertObject(commentsFrom({ pair }).first(), -1);
        QMimeData dragged;
        QVERIFY(list->beginDrag({ 0, 1 }, &dragged));
        QVERIFY(list->acceptDrop(&dragged, 3, true));
        QCOMPARE(commentsOf(processor), QStringList({ "R2=2", "R0=0", "R1=1", "R3=3" }));
        // A drag that brings no comments removes nothing.
        QMimeData empty;
        QVERIFY(list->beginDrag({ 0 }, &dragged));
        QTest::ignoreMessage(QtWarningMsg, "No compatible paste types found.");
        QVERIFY(!list->acceptDrop(&empty, 3, true));
        QCOMPARE(commentsOf(processor).size(), 4);
        // From another table: copies, and the source keeps its rows.
        BatchProcessor other;
        QVERIFY(other.comments()->acceptDrop(&dragged, 99, false));
        QCOMPARE(commentsOf(other), QStringList { "R2=2" });
        QCOMPARE(commentsOf(processor).size(), 4);
    }

    void commentsKeepTheirMacros()
    {
        BatchProcessor processor;
        CommentListOwner *list = processor.comments();
        const int row = list->addMetadataField();
        QCOMPARE(row, 0);
        QVERIFY(list->setData(row, CommentListOwner::KeywordColumn, QString(100, u'k')));
        QVERIFY(list->setData(row, CommentListOwner::TextColumn, u"%DATE% by %FULLUSERNAME%"_qs));
        QCOMPARE(commentsOf(processor), QStringList { QString(79, u'k') + u"=%DATE% by %FULLUSERNAME%"_qs });

        // An import keeps them too; with unique keywords it replaces the old "Author".
        const QString velmx = m_dir->filePath(u"list.velmx"_qs);
        QVERIFY(writeFile(velmx,
            R"(<ImageMetadata><comment keyword="Author" text="Old"/><comment keyword="Date" text="%DATE%"/>)"
            R"(</ImageMetadata>)"));
        QVERIFY(list->importMetadataFromVelmx(velmx, false, true));
        QVERIFY(writeFile(velmx, R"(<ImageMetadata><comment keyword="Author" text="New"/></ImageMetadata>)"));
        QVERIFY(list->importMetadataFromVelmx(velmx, true, false));
        QCOMPARE(commentsOf(processor), QStringList({ "Date=%DATE%", "Author=New" }));
        // The export takes the whole list as it is.
        const QString out = m_dir->filePath(u"out.velmx"_qs);
        QVERIFY(exportMetadataToVelmx(*list, out));
        QVERIFY(readFile(out).contains(R"(text="%DATE%")"));
    }

    void runReportsEveryFailedFileWithItsReason()
    {
        BatchProcessor processor;
        processor.setThreads(2);
        const QString good = png(u"set/good.png"_qs, { tEXt("Author", "Old") });
        const QString readOnly = png(u"set/locked.png"_qs);
        QVERIFY(QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
        const QString truncated = m_dir->filePath(u"set/truncated.png"_qs);
        QVERIFY(writeFile(truncated, simplePng(6, 4).left(40)));
        const QString notPng = m_dir->filePath(u"set/text.png"_qs);
        QVERIFY(writeFile(notPng, "just text"));
        const QString other = png(u"set/sub/other.png"_qs, { tEXt("Author", "Someone") });
        QCOMPARE(processor.addFiles({ m_dir->filePath(u"set"_qs) }), 5);
        QMap<QString, QByteArray> before;
        for (const QString &f : processor.files()->paths())
            before.insert(f, readFile(f));

        processor.comments()->insertObject(commentsFrom({ "Author=Ann" }).first(), -1);
        processor.comments()->insertObject(commentsFrom({ "Title=%FILENAME%" }).first(), -1);
        processor.setReplaceSameKeyword(true);
        QSignalSpy finished(&processor, &BatchProcessor::runFinished);
        QSignalSpy running(&processor, &BatchProcessor::runningChanged);
        QVERIFY(processor.run());
        QVERIFY(processor.isRunning());
        QVERIFY(finished.wait(60000));
        QVERIFY(!processor.isRunning());
        QCOMPARE(running.size(), 2);

        const BatchReport &report = processor.lastReport();
        QCOMPARE(report.total(), 5);
        QCOMPARE(report.succeeded(), 2);
        QVERIFY(!report.wasCancelled());
        QCOMPARE(report.notProcessed(), QStringList());
        QStringList failed;
        for (const auto &f : report.failures())
            failed << f.path;
        QCOMPARE(failed, QStringList({ readOnly, notPng, truncated }));
        QVERIFY(report.failures()[0].error.contains(u"read-only"_qs));
        QVERIFY(report.failures()[1].error.contains(u"not a PNG"_qs));
        // Every failed file is named with its reason in what the user reads and copies.
        for (const auto &f : report.failures())
            QVERIFY2(report.details().contains(f.path + u": "_qs + f.error), qPrintable(report.details()));
        QVERIFY(report.summary().contains(u"Files in the batch: 5"_qs));
        QVERIFY(report.summary().contains(u"Failed: 3"_qs));
        QCOMPARE(report.title(), u"Processing complete"_qs);

        // The files hold exactly what the report says.
        QCOMPARE(fileComments(good), QStringList({ "Author=Ann", "Title=good" }));
        QCOMPARE(fileComments(other), QStringList({ "Author=Ann", "Title=other" }));
        for (const auto &f : report.failures())
            QCOMPARE(readFile(f.path), before.value(f.path));
        // The lists are as they were.
        QCOMPARE(commentsOf(processor), QStringList({ "Author=Ann", "Title=%FILENAME%" }));
        QCOMPARE(processor.files()->count(), 5);
    }

    void progressReachesTheWindowFileByFile()
    {
        BatchProcessor processor;
        processor.setThreads(1);
        for (int i = 0; i < 5; ++i)
            processor.addFiles({ png(u"f%1.png"_qs.arg(i)) });
        processor.comments()->insertObject(commentsFrom({ "K=v" }).first(), -1);
        RunPacer pacer;
        // Paced file by file: each in place before the next is read.
        processor.setGroupFiles(1);
        processor.setFileObserver(pacer.observer());
        QList<int> done;
        QStringList names;
        connect(&processor, &BatchProcessor::progressChanged, this, [&](int d, int total, const QString &path) {
            QCOMPARE(total, 5);
            done << d;
            if (!path.isEmpty())
                names << QFileInfo(path).fileName();
        });
        QSignalSpy progress(&processor, &BatchProcessor::progressChanged);
        QSignalSpy finished(&processor, &BatchProcessor::runFinished);
        QVERIFY(processor.run());
        for (int i = 1; i <= 5; ++i) {
            QVERIFY(pacer.waitForFile());
            pacer.letGo();
            QVERIFY(progress.wait(60000));
            QCOMPARE(done.last(), i);
            if (i == 2) {
                // Held after the third file, the run tells nothing new, and nothing comes.
                QVERIFY(pacer.waitForFile());
                QTest::qWait(300);
                QCOMPARE(done.size(), 3);
                pacer.letGo();
                QVERIFY(progress.wait(60000));
                QCOMPARE(done.last(), ++i);
            }
        }
        QTRY_COMPARE_WITH_TIMEOUT(finished.size(), 1, 60000);
        QCOMPARE(done, QList<int>({ 0, 1, 2, 3, 4, 5 }));
        QCOMPARE(names, QStringList({ "f0.png", "f1.png", "f2.png", "f3.png", "f4.png" }));
        QCOMPARE(processor.lastReport().succeeded(), 5);
    }

    void cancelStopsBetweenFilesAndListsStayLocked()
    {
        BatchProcessor processor;
        processor.setThreads(1);
        QStringList files;
        for (int i = 0; i < 6; ++i)
            files << png(u"f%1.png"_qs.arg(i), { tEXt("Own", "x") });
        processor.addFiles(files);
        const QByteArray untouched = readFile(files[5]);
        processor.comments()->insertObject(commentsFrom({ "K=v" }).first(), -1);
        RunPacer pacer;
        // Paced file by file: each in place before the next is read.
        processor.setGroupFiles(1);
        processor.setFileObserver(pacer.observer());
        QSignalSpy finished(&processor, &BatchProcessor::runFinished);
        QVERIFY(processor.run());

        // Two files done, the run waits after the second: the lists cannot be changed.
        QVERIFY(pacer.waitForFile());
        pacer.letGo();
        QVERIFY(pacer.waitForFile());
        QVERIFY(!processor.run());
        QMimeData mime;
        QVERIFY(processor.copy(Focus::Comments, { 0 }, &mime));
        QVERIFY(!processor.paste(Focus::Comments, &mime, -1));
        QVERIFY(!processor.cut(Focus::Comments, { 0 }, &mime));
        QVERIFY(!processor.deleteAll(Focus::Comments));
        QVERIFY(!processor.deleteRows(Focus::Files, { 0 }));
        QCOMPARE(processor.addFiles({ png(u"late.png"_qs) }), 0);
        QVERIFY(processor.files()->isReadOnly());
        QCOMPARE(commentsOf(processor), QStringList { "K=v" });

        processor.cancel();
        pacer.letGo();
        QVERIFY(finished.wait(60000));
        const BatchReport &report = processor.lastReport();
        QVERIFY(report.wasCancelled());
        QCOMPARE(report.title(), u"Processing cancelled"_qs);
        QCOMPARE(report.succeeded(), 2);
        QCOMPARE(report.failures().size(), 0);
        QCOMPARE(report.notProcessed(), files.mid(2));
        QVERIFY(report.summary().contains(u"Not processed (the run was cancelled): 4"_qs));
        QVERIFY(report.details().contains(files[5]));
        QCOMPARE(fileComments(files[1]), QStringList({ "K=v", "Own=x" }));
        QCOMPARE(readFile(files[5]), untouched);

        // Editable again, and a new run goes over every file.
        QVERIFY(!processor.files()->isReadOnly());
        QCOMPARE(processor.comments()->addMetadataField(), 1);
        processor.setFileObserver({});
        QVERIFY(processor.run());
        QVERIFY(finished.wait(60000));
        QCOMPARE(processor.lastReport().succeeded(), 6);
        QCOMPARE(fileComments(files[5]), QStringList({ "K=v", "Own=x" })); // the blank comment is not written
    }

    void entryNoFileCanHoldStartsNothing()
    {
        BatchProcessor processor;
        const QString file = png(u"unwritable/a.png"_qs, { tEXt("Author", "Old") });
        const QByteArray before = readFile(file);
        QCOMPARE(processor.addFiles({ file }), 1);
        processor.comments()->insertObject(commentsFrom({ "Author=Ann" }).first(), -1);
        processor.comments()->insertObject(commentsFrom({ "日本=x" }).first(), -1);
        QSignalSpy running(&processor, &BatchProcessor::runningChanged);
        QString error;
        QVERIFY(!processor.run(&error));
        QVERIFY2(error.contains(u"日本"_qs), qPrintable(error));
        QVERIFY(!processor.isRunning());
        QCOMPARE(running.size(), 0);
        QCOMPARE(readFile(file), before);
    }

    void emptyRunReportsAtOnce()
    {
        BatchProcessor processor;
        QSignalSpy finished(&processor, &BatchProcessor::runFinished);
        QVERIFY(processor.run());
        QVERIFY(finished.wait(60000));
        QCOMPARE(processor.lastReport().total(), 0);
        QCOMPARE(processor.lastReport().summary(), u"0 files were successfully processed.\nFiles in the batch: 0"_qs);
        QCOMPARE(processor.lastReport().details(), QString());
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
