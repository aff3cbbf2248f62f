#include "DurableCallLog.h"
#include "TestSupport.h"

#include "batch/BatchRun.h"
#include "batch/MemoryBudget.h"
#include "core/SafeFile.h"
#include "core/TextMacros.h"

#include <QDateTime>
#include <QScopeGuard>
#include <QThread>
#include <QtTest>

using namespace TestSupport;

namespace {
const QDateTime date(QDate(2020, 1, 1), QTime(0, 0)); // what the macro clock gives
}

class tst_BatchRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_dir = std::make_unique<TempFolder>(); }

    void cleanup()
    {
        setWriteFailures({});
        setMacroClock({});
    }

    void emptyListBadFilesAndAFailedWrite()
    {
        BatchRun empty({}, commentsFrom({ "A=b" }), {});
        QVERIFY(empty.process().isEmpty());

        const QString good = copy(QStringLiteral("basn0g08.png"));
        const QString notPng = m_dir->write(QStringLiteral("fake.png"), "plain text");
        const QString missing = m_dir->path(QStringLiteral("gone.png"));
        BatchRun run({ missing, notPng, good }, commentsFrom({ "A=b" }), {});
        int calls = 0;
        const auto results = run.process([&](int done, int total, const BatchRun::FileResult &) {
            ++calls;
            QCOMPARE(total, 3);
            QCOMPARE(done, calls);
        });
        QCOMPARE(calls, 3);
        QCOMPARE(BatchRun::successCount(results), 1);
        QVERIFY(!results[0].ok && !results[0].error.isEmpty());
        QVERIFY(!results[1].ok && results[1].error.contains(QStringLiteral("not a PNG")));
        QVERIFY(results[2].ok);
        QCOMPARE(readFile(notPng), QByteArray("plain text"));
        QCOMPARE(fileComments(good), QStringList { "A=b" });

        // A write that fails leaves the file as it was, and nothing else behind.
        const QString big = copy(QStringLiteral("basn6a16.png"));
        const QByteArray before = readFile(big);
        setWriteFailureAfterBytes(200);
        const auto failed = BatchRun({ big }, commentsFrom({ "C=d" }), {}).process();
        QVERIFY2(!failed[0].ok && failed[0].error.contains(u"No space left"_qs), qPrintable(failed[0].error));
        QCOMPARE(readFile(big), before);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden).size(), 3);
    }

    // The file's own entries after the batch comments, cleared or replaced by keyword.
    void ownEntries_data()
    {
        QTest::addColumn<bool>("clearExisting");
        QTest::addColumn<bool>("replace");
        QTest::addColumn<QStringList>("batchComments");
        QTest::addColumn<QStringList>("expected");
        const QStringList own { "Author=Old", "Title=T", "Author=Older", "Authors=x" };
        const QStringList batch { "Author=Ann", "Author=Bob", "=no keyword", "author=lower" };
        const QStringList ann { "Author=Ann" };
        QTest::newRow("kept after the batch comments")
            << false << false << batch << QStringList { "Author=Ann", "Author=Bob", "author=lower" } + own;
        QTest::newRow("own entries only") << false << false << QStringList {} << own;
        QTest::newRow("cleared") << true << false << ann << ann;
        QTest::newRow("cleared, no comments") << true << false << QStringList {} << QStringList {};
        QTest::newRow("replaced: the file's Author entries go, exact keyword only")
            << false << true << batch
            << QStringList { "Author=Ann", "Author=Bob", "author=lower", "Title=T", "Authors=x" };
        QTest::newRow("replaced, a batch comment without keyword replaces nothing")
            << false << true << QStringList { "=Title" } << own;
        QTest::newRow("replaced and cleared")
            << true << true << QStringList { "Title=New" } << QStringList { "Title=New" };
    }
    void ownEntries()
    {
        QFETCH(bool, clearExisting);
        QFETCH(bool, replace);
        QFETCH(QStringList, batchComments);
        QFETCH(QStringList, expected);
        const std::vector<RawChunk> own { tEXt("Author", "Old"), tEXt("Title", "T"), zTXt("Author", "Older"),
            tEXt("Authors", "x") };
        const QString file = m_dir->write(QStringLiteral("own.png"), simplePng(4, 4, own));
        BatchRun::Options options;
        options.clearExisting = clearExisting;
        options.replaceSameKeyword = replace;
        // A second pass replaces the first pass's entries too: nothing doubles.
        for (int pass = 0; pass < (replace ? 2 : 1); ++pass) {
            BatchRun run({ file }, commentsFrom(batchComments), options);
            QCOMPARE(BatchRun::successCount(run.process()), 1);
            QCOMPARE(fileComments(file), expected);
        }
        // Own entries that stay come back byte for byte: the compressed one stays compressed.
        const auto chunks = chunksOf(readFile(file));
        const QStringList ownPairs { "Author=Old", "Title=T", "Author=Older", "Authors=x" };
        for (size_t i = 0; i < own.size(); ++i)
            QCOMPARE(
                int(std::count(chunks.begin(), chunks.end(), own[i])), int(expected.contains(ownPairs[qsizetype(i)])));
    }

    void pathTwiceIsProcessedTwice()
    {
        const QString file = copy(QStringLiteral("basn2c08.png"));
        BatchRun::Options options;
        options.threads = 2; // the same work as one after the other, each copy in place before the next
        // The same file, also under another spelling and through a link to its folder.
        const QString link = m_dir->path(QStringLiteral("linked"));
        QVERIFY(QFile::link(m_dir->path(), link));
        const QString viaLink = link + QStringLiteral("/basn2c08.png");
        const QString dotted = m_dir->path() + QStringLiteral("/./basn2c08.png");
        BatchRun run({ file, dotted, viaLink }, { makeComment(QStringLiteral("Tag"), QStringLiteral("x")) }, options);
        QCOMPARE(BatchRun::successCount(run.process()), 3);
        QCOMPARE(fileComments(file), (QStringList { "Tag=x", "Tag=x", "Tag=x" }));
    }

    void commentsPreparedForEachFile()
    {
        // Batch comments without a keyword are dropped; macros expand for each file; the
        // file's own entries stay as they were, macros, an overlong keyword and all.
        const QString a = copy(QStringLiteral("basn0g08.png"), QStringLiteral("first.png"));
        const QString b = copy(QStringLiteral("s09n3p02.png"), QStringLiteral("second.png"));
        const QString own = m_dir->write(
            u"own.png"_qs, simplePng(5, 7, { tEXt("Note", "made %WIDTH% wide"), tEXt(QByteArray(90, 'K'), "L") }));
        const QStringList batch { "∅=no keyword", "=empty", "Title=%FILENAME% %WIDTH%x%HEIGHT%", "Ok=∅" };
        const CommentList comments = commentsFrom(batch);
        BatchRun run({ a, b, own }, comments, {});
        QCOMPARE(BatchRun::successCount(run.process()), 3);
        QCOMPARE(fileComments(a), (QStringList { "Title=first 32x32", "Ok=" }));
        QCOMPARE(fileComments(b), (QStringList { "Title=second 9x9", "Ok=" }));
        QCOMPARE(fileComments(own),
            (QStringList { "Title=own 5x7", "Ok=", "Note=made %WIDTH% wide", QString(79, 'K') + "=L" }));
        QCOMPARE(describe(comments), batch); // the caller's comments stay as they were
    }

    void textsNeverCompressedAndChunksKept()
    {
        const QString file = copy(QStringLiteral("ch1n3p04.png"));
        BatchRun run(
            { file }, commentsFrom({ "Long=" + QString(5000, u'l'), "Wide=" + QString(700, QChar(0x4e16)) }), {});
        QCOMPARE(BatchRun::successCount(run.process()), 1);
        const QByteArray after = readFile(file);
        QCOMPARE(chunkTypes(after),
            (QStringList { "IHDR", "gAMA", "sBIT", "PLTE", "hIST", "tEXt", "iTXt", "IDAT", "IEND" }));
        QCOMPARE(chunkPayloads(after, "iTXt").first().at(5), '\0'); // compression flag off
    }

    void oneFileRunningOutOfMemoryFailsAlone()
    {
        const QStringList files = copies(4, QStringLiteral("basn0g08.png"));
        const QByteArray original = readFile(files[0]);
        // The clock is read while each file's comments are prepared: memory runs out there,
        // for the third file to get that far.
        std::atomic<int> calls { 0 };
        setMacroClock([&] {
            if (calls++ == 2)
                throw std::bad_alloc();
            return date;
        });
        BatchRun::Options options;
        options.threads = 2; // in a thread of its own: the same work as one after the other
        BatchRun run(files, { makeComment(QStringLiteral("Date"), QStringLiteral("%DATE%")) }, options);
        const auto results = run.process();
        QCOMPARE(BatchRun::successCount(results), 3);
        for (int i = 0; i < files.size(); ++i) {
            if (results[i].ok) {
                QCOMPARE(fileComments(files[i]), QStringList { "Date=2020-01-01" });
            } else {
                QVERIFY2(results[i].error.contains(QStringLiteral("memory")), qPrintable(results[i].error));
                QCOMPARE(readFile(files[i]), original);
            }
        }
    }

    void threadsLimitedToAFewPerCore()
    {
        // Far more threads asked for than files can use at once: the run starts no more than
        // maxThreads(), which the clock sees as the most files being prepared at one time.
        const int limit = BatchRun::maxThreads();
        QVERIFY(limit >= 4);
        const QStringList files = copies(limit * 3, QStringLiteral("basn0g01.png"));
        std::atomic<int> active { 0 }, most { 0 };
        setMacroClock([&] {
            const int now = ++active;
            for (int seen = most; now > seen && !most.compare_exchange_weak(seen, now);) { }
            QThread::msleep(30);
            --active;
            return date;
        });
        BatchRun::Options options;
        options.threads = 1000;
        BatchRun run(files, { makeComment(QStringLiteral("Date"), QStringLiteral("%DATE%")) }, options);
        QCOMPARE(BatchRun::successCount(run.process()), int(files.size()));
        QVERIFY2(most > 1 && most <= limit, qPrintable(QString::number(most)));
    }

    void decodedRowsStayWithinTheBudget()
    {
        // Each image's decoded rows (re-encoded: the check of the image data takes no image-
        // sized memory) take 192 rows of 192 × 3 bytes; the budget holds one and a half of
        // them. A larger image than the whole budget is still processed, on its own.
        const quint64 rowBytes = 192 * 192 * 3;
        MemoryBudget &budget = MemoryBudget::decodedRows();
        const quint64 previous = budget.limit();
        const auto restore = qScopeGuard([&] { budget.setLimit(previous); });
        budget.setLimit(rowBytes * 3 / 2);
        budget.resetPeak();
        QStringList files;
        for (int i = 0; i < 12; ++i)
            files << m_dir->write(QStringLiteral("b%1.png").arg(i), simplePng(192, 192));
        files << m_dir->write(QStringLiteral("big.png"), simplePng(400, 400));
        BatchRun::Options options;
        options.threads = 4;
        options.recompress = true;
        BatchRun run(files, commentsFrom({ "A=b" }), options);
        QCOMPARE(BatchRun::successCount(run.process()), int(files.size()));
        QCOMPARE(budget.inUse(), quint64(0));
        // Only the large image ever went past the budget, and it was alone then.
        QCOMPARE(budget.peakInUse(), quint64(400 * 400 * 3));
        budget.resetPeak();
        files.removeLast();
        BatchRun small(files, commentsFrom({ "C=d" }), options);
        QCOMPARE(BatchRun::successCount(small.process()), int(files.size()));
        QCOMPARE(budget.peakInUse(), rowBytes);
    }

    void parallelRunMatchesSerial()
    {
        QStringList serialFiles, parallelFiles;
        const QStringList suite = pngSuiteFiles().mid(0, 40);
        for (const QString &f : suite) {
            serialFiles << copyFixture(f, m_dir->path(QStringLiteral("s")));
            parallelFiles << copyFixture(f, m_dir->path(QStringLiteral("p")));
        }
        const CommentList comments = commentsFrom({ "Title=%FILENAME%", QString::fromUtf8("Author=Zoë") });
        BatchRun::Options one, two;
        two.threads = 2;
        BatchRun serial(serialFiles, comments, one);
        BatchRun parallel(parallelFiles, comments, two);
        QCOMPARE(BatchRun::successCount(serial.process()), int(suite.size()));
        QCOMPARE(BatchRun::successCount(parallel.process()), int(suite.size()));
        for (int i = 0; i < suite.size(); ++i)
            QCOMPARE(readFile(parallelFiles[i]), readFile(serialFiles[i]));
    }

    void cancelStopsBetweenFiles()
    {
        const QStringList files = copies(5, QStringLiteral("basn0g08.png"));
        // Cancelled while the second file is prepared: it is finished, the rest is not begun.
        int prepared = 0;
        BatchRun *running = nullptr;
        setMacroClock([&] {
            if (++prepared == 2)
                running->cancel();
            return date;
        });
        BatchRun run(files, commentsFrom({ "A=%DATE%" }), {});
        running = &run;
        int reports = 0;
        const auto results = run.process([&](int, int, const BatchRun::FileResult &) { ++reports; });
        QVERIFY(run.wasCancelled());
        QCOMPARE(reports, 5);
        QCOMPARE(BatchRun::successCount(results), 2);
        QCOMPARE(fileComments(files[1]), QStringList { "A=2020-01-01" });
        QCOMPARE(fileComments(files[2]), QStringList {});
        QVERIFY(results[4].error.contains(QStringLiteral("cancelled")));
        QVERIFY(results[4].cancelled && !results[1].cancelled);
    }

    void imageDataCheckedOrDecoded_data()
    {
        QTest::addColumn<bool>("verify");
        QTest::addColumn<bool>("recompress");
        QTest::newRow("checked") << true << false;
        QTest::newRow("not checked") << false << false;
        QTest::newRow("re-encoded, so decoded even unchecked") << false << true;
    }
    void imageDataCheckedOrDecoded()
    {
        QFETCH(bool, verify);
        QFETCH(bool, recompress);
        // Sound chunks (right CRCs) around image data whose first row has filter type 9.
        QByteArray raw;
        for (int y = 0; y < 8; ++y)
            raw += char(y == 0 ? 9 : 0) + QByteArray(24, char(y));
        const QByteArray damagedBytes = buildPng({ ihdr(8, 8), idatOf(raw), iend() });
        const QString damaged = m_dir->write(QStringLiteral("damaged.png"), damagedBytes);
        const QString good = copy(QStringLiteral("basn2c08.png"));
        const auto imageData = chunkPayloads(readFile(good), "IDAT");
        BatchRun::Options options;
        options.verifyImage = verify;
        options.recompress = recompress;
        BatchRun run({ damaged, good }, commentsFrom({ "A=b" }), options);
        const auto results = run.process();
        QVERIFY(results[1].ok);
        QCOMPARE(fileComments(good), QStringList { "A=b" });
        QCOMPARE(chunkPayloads(readFile(good), "IDAT") == imageData, !recompress);
        if (verify || recompress) {
            QVERIFY2(
                !results[0].ok && results[0].error.contains(QStringLiteral("filter")), qPrintable(results[0].error));
            QCOMPARE(readFile(damaged), damagedBytes);
        } else {
            QVERIFY(results[0].ok);
        }
    }

    void fileCountsAsDoneOnceItIsSafelyOnTheDisk()
    {
        // Files are committed in groups; none is reported done before its data, its new name
        // and its folder have reached the disk.
        DurableCallLog log;
        QHash<QByteArray, qsizetype> doneAt;
        std::mutex doneMutex;
        QStringList files;
        for (const QString &folder : { QStringLiteral("x"), QStringLiteral("y") }) {
            for (int i = 0; i < 40; ++i)
                files << copyFixture(QStringLiteral("pngsuite/basn0g08.png"), m_dir->path(folder),
                    QStringLiteral("%1%2.png").arg(folder).arg(i));
        }
        BatchRun::Options options;
        options.threads = 2;
        BatchRun run(files, commentsFrom({ "A=b" }), options);
        const auto results = run.process([&](int, int, const BatchRun::FileResult &r) {
            std::lock_guard lock(doneMutex);
            doneAt.insert(QFile::encodeName(QFileInfo(r.path).fileName()), log.mark());
        });
        QCOMPARE(BatchRun::successCount(results), int(files.size()));
        QCOMPARE(log.count(DurableCall::Rename), int(files.size()));
        const QString wrong = log.violation(doneAt);
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong));
        for (const QString &path : std::as_const(files))
            QCOMPARE(fileComments(path), QStringList { "A=b" });
        // Grouped: far fewer flushes than files.
        QVERIFY2(log.count(DurableCall::FolderFlush) <= 10,
            qPrintable(QString::number(log.count(DurableCall::FolderFlush))));
        QVERIFY(log.count(DurableCall::FileSystemFlush) + log.count(DurableCall::FileFlush) <= 6);
    }

private:
    QString copy(const QString &suiteFile, const QString &name = QString())
    {
        return copyFixture(QStringLiteral("pngsuite/") + suiteFile, m_dir->path(), name);
    }

    // count copies of a PngSuite file, f0.png and on.
    QStringList copies(int count, const QString &suiteFile)
    {
        QStringList files;
        for (int i = 0; i < count; ++i)
            files << copy(suiteFile, QStringLiteral("f%1.png").arg(i));
        return files;
    }

    std::unique_ptr<TempFolder> m_dir;
};

QTEST_GUILESS_MAIN(tst_BatchRun)
#include "tst_BatchRun.moc"
