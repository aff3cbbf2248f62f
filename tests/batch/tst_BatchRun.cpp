#include "TestSupport.h"

#include "batch/BatchRun.h"
#include "core/PNGReader.h"
#include "core/SafeFile.h"
#include "core/TextMacros.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

class tst_BatchRun : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void emptyListAndBadFiles();
    void ownEntriesCarriedOver_data();
    void ownEntriesCarriedOver();
    void pathTwiceIsProcessedTwice();
    void invalidBatchCommentsDropped();
    void macrosPerFile();
    void dateReadForEachEntry();
    void textsNeverCompressedAndChunksKept();
    void failedWriteLeavesFileIntact();
    void parallelRunMatchesSerial();
    void cancelStopsBetweenFiles();

private:
    QString copy(const QString &suiteFile, const QString &name = QString());
    QStringList entries(const QString &path);
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_BatchRun::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
}

void tst_BatchRun::cleanup()
{
    setWriteFailureAfterBytes(-1);
    setMacroClock({});
}

QString tst_BatchRun::copy(const QString &suiteFile, const QString &name)
{
    const QString path = m_dir->filePath(name.isEmpty() ? suiteFile : name);
    writeFile(path, readFile(dataPath(QStringLiteral("pngsuite/") + suiteFile)));
    return path;
}

QStringList tst_BatchRun::entries(const QString &path)
{
    PNGinfo info;
    PNGRows rows;
    CommentList comments;
    info.path = path;
    if (!loadPNG(info, rows, comments))
        return {QStringLiteral("<unreadable>")};
    QStringList result;
    for (const CommentPtr &c : comments)
        result << c->keyword() + u'=' + c->text();
    return result;
}

void tst_BatchRun::emptyListAndBadFiles()
{
    BatchRun empty({}, {makeComment(QStringLiteral("A"), QStringLiteral("b"))}, {});
    QVERIFY(empty.process().isEmpty());

    const QString good = copy(QStringLiteral("basn0g08.png"));
    const QString notPng = m_dir->filePath(QStringLiteral("fake.png"));
    writeFile(notPng, "plain text");
    const QString missing = m_dir->filePath(QStringLiteral("gone.png"));
    BatchRun run({missing, notPng, good}, {makeComment(QStringLiteral("A"), QStringLiteral("b"))}, {});
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
    QVERIFY(!QFileInfo::exists(missing));
    QCOMPARE(entries(good), QStringList{"A=b"});
    QVERIFY(BatchRun::completionText(1).contains(u'1'));
}

void tst_BatchRun::ownEntriesCarriedOver_data()
{
    QTest::addColumn<bool>("clearExisting");
    QTest::addColumn<bool>("withComments");
    QTest::addColumn<QStringList>("expected");
    const QStringList own{"Title=PngSuite", "Author=Willem A.J. van Schaik\n(willem@schaik.com)"};
    QTest::newRow("kept after the batch comments") << false << true
                                                   << QStringList{"Author=Ann", "Title=PngSuite", "Author=Willem A.J. van Schaik\n(willem@schaik.com)"};
    QTest::newRow("cleared") << true << true << QStringList{"Author=Ann"};
    QTest::newRow("cleared, no comments") << true << false << QStringList{};
    QTest::newRow("own entries only") << false << false << own;
}

void tst_BatchRun::ownEntriesCarriedOver()
{
    QFETCH(bool, clearExisting);
    QFETCH(bool, withComments);
    QFETCH(QStringList, expected);
    const QString file = m_dir->filePath(QStringLiteral("own.png"));
    QVERIFY(writeFile(file, simplePng(8, 8, {tEXt("Title", "PngSuite"), zTXt("Author", "Willem A.J. van Schaik\n(willem@schaik.com)")})));
    BatchRun::Options options;
    options.clearExisting = clearExisting;
    CommentList comments;
    if (withComments)
        comments << makeComment(QStringLiteral("Author"), QStringLiteral("Ann"));
    BatchRun run({file}, comments, options);
    QCOMPARE(BatchRun::successCount(run.process()), 1);
    QCOMPARE(entries(file), expected);
    // Own compressed entries come back uncompressed.
    QVERIFY(!chunkTypes(readFile(file)).contains(QStringLiteral("zTXt")));
}

void tst_BatchRun::pathTwiceIsProcessedTwice()
{
    const QString file = copy(QStringLiteral("basn2c08.png"));
    for (int threads : {1, 2}) {
        writeFile(file, readFile(dataPath(QStringLiteral("pngsuite/basn2c08.png"))));
        BatchRun::Options options;
        options.threads = threads;
        BatchRun run({file, file}, {makeComment(QStringLiteral("Tag"), QStringLiteral("x"))}, options);
        QCOMPARE(BatchRun::successCount(run.process()), 2);
        QCOMPARE(entries(file), (QStringList{"Tag=x", "Tag=x"}));
    }
}

void tst_BatchRun::invalidBatchCommentsDropped()
{
    const QString file = m_dir->filePath(QStringLiteral("long.png"));
    QVERIFY(writeFile(file, simplePng(4, 4, {tEXt(QByteArray(90, 'K'), "long keyword")})));
    CommentList comments{makeComment(QString(), QStringLiteral("no keyword")), makeComment(QStringLiteral(""), QStringLiteral("empty")),
                         makeComment(QStringLiteral("Ok"), QString())};
    BatchRun run({file}, comments, {});
    QCOMPARE(BatchRun::successCount(run.process()), 1);
    QCOMPARE(entries(file), (QStringList{"Ok=", QString(79, u'K') + QStringLiteral("=long keyword")}));
    QCOMPARE(comments.size(), 3);
    QVERIFY(comments[0]->keyword().isNull());
}

void tst_BatchRun::macrosPerFile()
{
    const QString a = copy(QStringLiteral("basn0g08.png"), QStringLiteral("first.png"));
    const QString b = copy(QStringLiteral("s09n3p02.png"), QStringLiteral("second.png"));
    const QString own = m_dir->filePath(QStringLiteral("own.png"));
    QVERIFY(writeFile(own, simplePng(5, 7, {tEXt("Note", "made %WIDTH% wide")})));
    const auto batchComment = makeComment(QStringLiteral("Title"), QStringLiteral("%FILENAME% %WIDTH%x%HEIGHT%"));
    BatchRun run({a, b, own}, {batchComment}, {});
    QCOMPARE(BatchRun::successCount(run.process()), 3);
    QCOMPARE(entries(a), QStringList{"Title=first 32x32"});
    QCOMPARE(entries(b), QStringList{"Title=second 9x9"});
    QCOMPARE(entries(own), (QStringList{"Title=own 5x7", "Note=made 5 wide"}));
    QCOMPARE(batchComment->text(), QStringLiteral("%FILENAME% %WIDTH%x%HEIGHT%"));
}

void tst_BatchRun::dateReadForEachEntry()
{
    int calls = 0;
    setMacroClock([&] { return QDateTime(QDate(2008, 12, 31), QTime(23, 59)).addSecs(60 * calls++); });
    const QString a = copy(QStringLiteral("basn0g08.png"), QStringLiteral("a.png"));
    const QString b = copy(QStringLiteral("basn0g08.png"), QStringLiteral("b.png"));
    BatchRun run({a, b}, {makeComment(QStringLiteral("Date"), QStringLiteral("%DATE%"))}, {});
    run.process();
    QCOMPARE(entries(a), QStringList{"Date=2008-12-31"});
    QCOMPARE(entries(b), QStringList{"Date=2009-01-01"});
}

void tst_BatchRun::textsNeverCompressedAndChunksKept()
{
    const QString file = copy(QStringLiteral("ch1n3p04.png"));
    const QByteArray before = readFile(file);
    const auto idatBefore = chunkPayloads(before, "IDAT");
    BatchRun run({file}, {makeComment(QStringLiteral("Long"), QString(5000, u'l')), makeComment(QStringLiteral("Wide"), QString(700, QChar(0x4e16)))}, {});
    QCOMPARE(BatchRun::successCount(run.process()), 1);
    const QByteArray after = readFile(file);
    QCOMPARE(chunkTypes(after), (QStringList{"IHDR", "gAMA", "sBIT", "PLTE", "hIST", "tEXt", "iTXt", "IDAT", "IEND"}));
    QCOMPARE(chunkPayloads(after, "iTXt").first().at(5), '\0'); // compression flag off
    QCOMPARE(chunkPayloads(after, "IDAT"), idatBefore);
    QCOMPARE(chunkPayloads(after, "PLTE"), chunkPayloads(before, "PLTE"));
    QCOMPARE(chunkPayloads(after, "hIST"), chunkPayloads(before, "hIST"));
    QCOMPARE(entries(file).first(), QStringLiteral("Long=") + QString(5000, u'l'));

    // Without decoding the images the result is the same.
    const QString other = copy(QStringLiteral("tbbn3p08.png"));
    BatchRun::Options fast;
    fast.verifyImage = false;
    BatchRun quick({other}, {makeComment(QStringLiteral("A"), QStringLiteral("b"))}, fast);
    QCOMPARE(BatchRun::successCount(quick.process()), 1);
    QCOMPARE(chunkTypes(readFile(other)), (QStringList{"IHDR", "gAMA", "PLTE", "tRNS", "bKGD", "tEXt", "IDAT", "IEND"}));
    QCOMPARE(entries(other), QStringList{"A=b"});
}

void tst_BatchRun::failedWriteLeavesFileIntact()
{
    const QString first = copy(QStringLiteral("basn6a16.png"));
    const QString second = copy(QStringLiteral("basn3p08.png"));
    const QByteArray before = readFile(first);
    setWriteFailureAfterBytes(200);
    BatchRun run({first, second}, {makeComment(QStringLiteral("A"), QStringLiteral("b"))}, {});
    const auto results = run.process();
    QCOMPARE(BatchRun::successCount(results), 0);
    QVERIFY(results[0].error.contains(QStringLiteral("write error")));
    QCOMPARE(readFile(first), before);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files).size(), 2);
}

void tst_BatchRun::parallelRunMatchesSerial()
{
    QStringList serialFiles, parallelFiles;
    const QStringList suite = validPngSuiteFiles().mid(0, 40);
    for (const QString &f : suite) {
        const QString name = QFileInfo(f).fileName();
        QDir().mkpath(m_dir->filePath(QStringLiteral("s")));
        QDir().mkpath(m_dir->filePath(QStringLiteral("p")));
        serialFiles << m_dir->filePath(QStringLiteral("s/") + name);
        parallelFiles << m_dir->filePath(QStringLiteral("p/") + name);
        writeFile(serialFiles.last(), readFile(f));
        writeFile(parallelFiles.last(), readFile(f));
    }
    const CommentList comments{makeComment(QStringLiteral("Title"), QStringLiteral("%FILENAME%")),
                               makeComment(QStringLiteral("Author"), QString::fromUtf8("Zoë"))};
    BatchRun::Options one, two;
    two.threads = 2;
    BatchRun serial(serialFiles, comments, one);
    BatchRun parallel(parallelFiles, comments, two);
    QCOMPARE(BatchRun::successCount(serial.process()), int(suite.size()));
    QCOMPARE(BatchRun::successCount(parallel.process()), int(suite.size()));
    for (int i = 0; i < suite.size(); ++i)
        QCOMPARE(readFile(parallelFiles[i]), readFile(serialFiles[i]));
}

void tst_BatchRun::cancelStopsBetweenFiles()
{
    QStringList files;
    for (int i = 0; i < 5; ++i)
        files << copy(QStringLiteral("basn0g08.png"), QStringLiteral("f%1.png").arg(i));
    BatchRun run(files, {makeComment(QStringLiteral("A"), QStringLiteral("b"))}, {});
    const auto results = run.process([&](int done, int, const BatchRun::FileResult &) {
        if (done == 2)
            run.cancel();
    });
    QVERIFY(run.wasCancelled());
    QCOMPARE(BatchRun::successCount(results), 2);
    QCOMPARE(entries(files[1]), QStringList{"A=b"});
    QCOMPARE(entries(files[2]), QStringList{});
    QVERIFY(results[4].error.contains(QStringLiteral("cancelled")));
}

QTEST_GUILESS_MAIN(tst_BatchRun)
#include "tst_BatchRun.moc"
