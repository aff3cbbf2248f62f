#include "ChunkVariety.h"
#include "TestSupport.h"

#include "core/PNGWriter.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

using namespace ChunkVariety;

class tst_LosslessSave : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

private Q_SLOTS:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void everyOtherChunkKept_data()
    {
        QTest::addColumn<QByteArray>("png");
        QTest::addColumn<QStringList>("texts"); // expected "keyword=text", in order
        addRows();
    }
    void everyOtherChunkKept()
    {
        QFETCH(QByteArray, png);
        QFETCH(QStringList, texts);
        const QString source = m_dir->filePath(QStringLiteral("source.png"));
        const QString target = m_dir->filePath(QStringLiteral("target.png"));
        QVERIFY(writeFile(source, png));
        LoadedPng loaded;
        QVERIFY(loaded.load(source));
        QCOMPARE(describe(loaded.comments), texts);

        QVERIFY(savePNG(target, loaded.info, loaded.rows, loaded.comments));
        const QByteArray written = readFile(target);
        QCOMPARE(nonTextChunks(written), nonTextChunks(png));
        // International text keeps its language tag and translated keyword.
        QCOMPARE(chunkPayloads(written, "iTXt"), chunkPayloads(png, "iTXt"));
        // Every text chunk now stands before the image data.
        const QStringList types = chunkTypes(written);
        for (qsizetype i = types.indexOf(QStringLiteral("IDAT")); i < types.size(); ++i)
            QVERIFY2(!isTextChunk(types.at(i)), qPrintable(types.join(u' ')));

        LoadedPng back;
        QVERIFY(back.load(target));
        QCOMPARE(describe(back.comments), texts);
        QVERIFY(back.rows == loaded.rows);
    }

    void reencodingDropsOnlyUnknownUnsafeChunks()
    {
        const QString source = m_dir->filePath(QStringLiteral("source.png"));
        QVERIFY(writeFile(source,
            simplePng(8, 8, { chunk("prIv", "safe"), chunk("prIV", "unsafe"), chunk("sTER", QByteArray(1, 0)) })));
        LoadedPng loaded;
        QVERIFY(loaded.load(source));
        const QString target = m_dir->filePath(QStringLiteral("target.png"));
        PNGWriteOptions options;
        options.recompress = true;
        QVERIFY(savePNG(target, loaded.info, loaded.rows, loaded.comments, options));
        QCOMPARE(chunkTypes(readFile(target)), (QStringList { "IHDR", "prIv", "sTER", "IDAT", "IEND" }));

        QVERIFY(savePNG(target, loaded.info, loaded.rows, loaded.comments));
        QCOMPARE(chunkTypes(readFile(target)), (QStringList { "IHDR", "prIv", "prIV", "sTER", "IDAT", "IEND" }));
    }

    // Found by fuzz_png_reader: texts holding NUL characters (which the PNG standard does
    // not allow in text) are read whole, but a save writes them only up to the first NUL.
    void textsSurviveASave_data()
    {
        QTest::addColumn<bool>("recompress");
        QTest::newRow("image data kept") << false;
        QTest::newRow("image data re-encoded") << true;
    }
    void textsSurviveASave()
    {
        QFETCH(bool, recompress);
        LoadedPng loaded = LoadedPng::fixture(QStringLiteral("nul-in-text.png"));
        QCOMPARE(loaded.comments.size(), 3);
        const QString target = m_dir->filePath(QStringLiteral("target.png"));
        PNGWriteOptions options;
        options.recompress = recompress;
        QVERIFY(savePNG(target, loaded.info, loaded.rows, loaded.comments, options));
        LoadedPng back;
        QVERIFY(back.load(target));
        QEXPECT_FAIL(
            "", "the reader or the writer must handle NUL in texts (SafeFile/PNGReader/PNGWriter branch)", Continue);
        QCOMPARE(describe(back.comments), describe(loaded.comments));
        for (const CommentPtr &c : std::as_const(back.comments))
            QVERIFY2(!c->text().isEmpty(), qPrintable(c->keyword()));
    }
};

QTEST_GUILESS_MAIN(tst_LosslessSave)
#include "tst_LosslessSave.moc"
