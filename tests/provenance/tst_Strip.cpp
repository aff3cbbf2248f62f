#include "TestSupport.h"

#include "batch/BatchFileList.h"
#include "batch/BatchRun.h"

#include <QtTest>

#include <sys/stat.h>

using namespace TestSupport;

namespace {

// "TYPE" for a chunk, "TYPE keyword" for a text chunk.
QString label(const RawChunk &c)
{
    const QString type = QString::fromLatin1(c.type);
    return isTextChunk(type) ? type + u' ' + QString::fromLatin1(c.data.left(c.data.indexOf('\0'))) : type;
}

ino_t inode(const QString &path)
{
    struct stat st
    {
    };
    return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
}

} // namespace

// Removing metadata through the batch engine: what goes, what stays byte for byte and in
// order, an animation that still plays, a file with nothing to remove left alone.
class tst_Strip : public QObject
{
    Q_OBJECT

    TempFolder m_dir;

    static QList<BatchRun::FileResult> strip(const QStringList &files, const StripRules &rules)
    {
        BatchRun::Options options;
        options.strip = rules;
        options.verifyImage = false;
        return BatchRun(files, {}, options).process();
    }

private Q_SLOTS:
    void keptChunksByteForByte_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("off"); // StripChoices turned off
        QTest::addColumn<QStringList>("keep");
        QTest::addColumn<QStringList>("keepChunks");
        QTest::addColumn<bool>("credentials");
        QTest::addColumn<QStringList>("removed");
        const QStringList metadata { "tEXt Author", "eXIf", "tIME", "prVt", "aBCd", "iTXt XML:com.adobe.xmp",
            "zTXt parameters", "tEXt Comment" };
        const QString everything = QStringLiteral("everything.png");
        QTest::newRow("content credentials too") << everything << QStringList {} << QStringList {} << QStringList {}
                                                 << true << metadata + QStringList { "caBX" };
        QTest::newRow("XMP, time and other chunks unchecked")
            << everything << QStringList { "xmp", "time", "other" } << QStringList {} << QStringList {} << false
            << QStringList { "tEXt Author", "eXIf", "zTXt parameters", "tEXt Comment" };
        QTest::newRow("text entries and Exif unchecked (XMP stays too)")
            << everything << QStringList { "text", "exif" } << QStringList {} << QStringList {} << false
            << QStringList { "tIME", "prVt", "aBCd" };
        QTest::newRow("a keyword and a chunk type kept")
            << everything << QStringList {} << QStringList { "Author" } << QStringList { "tIME", "prVt" } << false
            << QStringList { "eXIf", "aBCd", "iTXt XML:com.adobe.xmp", "zTXt parameters", "tEXt Comment" };
        // The frame count, the frames and their sequence numbers stay as they are.
        QTest::newRow("an animation") << u"animated.png"_qs << QStringList {} << QStringList {} << QStringList {}
                                      << false << QStringList { "tEXt parameters", "tIME", "tEXt Comment" };
    }
    void keptChunksByteForByte()
    {
        QFETCH(QString, file);
        QFETCH(QStringList, off);
        QFETCH(QStringList, keep);
        QFETCH(QStringList, keepChunks);
        QFETCH(bool, credentials);
        QFETCH(QStringList, removed);
        file = copyFixture(u"provenance/"_qs + file, m_dir.path());
        const std::vector<RawChunk> before = chunksOf(readFile(file));
        StripChoices choices;
        for (auto [name, flag] : { std::pair { "text", &choices.textEntries }, std::pair { "xmp", &choices.xmp },
                 std::pair { "exif", &choices.exif }, std::pair { "time", &choices.time },
                 std::pair { "other", &choices.otherChunks } })
            *flag = !off.contains(QLatin1String(name));
        StripRules rules = choices.rules();
        rules.keepKeywords += keep;
        for (const QString &type : std::as_const(keepChunks))
            rules.keepChunkTypes.append(type.toLatin1());
        rules.credentials = credentials;
        const auto results = strip({ file }, rules);
        QVERIFY2(results.first().ok && !results.first().unchanged, qPrintable(results.first().error));

        std::vector<RawChunk> expected;
        std::copy_if(before.begin(), before.end(), std::back_inserter(expected),
            [&](const RawChunk &c) { return !removed.contains(label(c)); });
        QCOMPARE(chunksOf(readFile(file)), expected);

        // Nothing is left to remove: the file is not written again.
        const ino_t written = inode(file);
        const auto again = strip({ file }, rules);
        QVERIFY(again.first().ok && again.first().unchanged);
        QCOMPARE(inode(file), written);
    }

    // A text chunk whose CRC is wrong still holds its text: it goes too.
    void damagedChunksGoToo()
    {
        QByteArray png = simplePng(4, 4, { tEXt("Secret", "x") });
        png[49] = char(png[49] ^ 0x55); // the text chunk's CRC
        const QString file = m_dir.write(QStringLiteral("damaged.png"), png);
        const auto results = strip({ file }, StripRules());
        QVERIFY(results.first().ok && !results.first().unchanged);
        QCOMPARE(chunkTypes(readFile(file)), QStringList({ "IHDR", "IDAT", "IEND" }));
    }
};

QTEST_GUILESS_MAIN(tst_Strip)
#include "tst_Strip.moc"
