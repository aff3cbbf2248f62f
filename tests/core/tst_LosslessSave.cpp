#include "TestSupport.h"

#include "core/PNGWriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

using namespace TestSupport;

namespace {

// Every chunk of a file but the text chunks, in order.
std::vector<RawChunk> nonTextChunks(const QByteArray &png)
{
    std::vector<RawChunk> result = chunksOf(png);
    std::erase_if(result, [](const RawChunk &c) { return isTextChunk(QString::fromLatin1(c.type)); });
    return result;
}

QByteArray palette256()
{
    QByteArray p;
    for (int i = 0; i < 256; ++i)
        p += QByteArray(1, char(i)) + char(255 - i) + char(i / 2);
    return p;
}

QString pngcheckComplaint(const QString &file)
{
    QString output;
    const int status = runTool(QStringLiteral("pngcheck"), { QStringLiteral("-v"), file }, &output);
    return status == 0 ? QString() : QStringLiteral("pngcheck exit status %1: ").arg(status) + output;
}

} // namespace

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

        QTest::newRow("private chunks around PLTE and IDAT, text after IDAT")
            << buildPng({ ihdr(16, 16, 8, 3), chunk("prIv", "before PLTE"), chunk("PLTE", palette256()),
                   chunk("prIw", "before IDAT"), tEXt("Title", "first"), idat(16, 16, 1), chunk("prIx", "after IDAT"),
                   tEXt("Late", "after the image"), zTXt("LateZ", "compressed, after"), iend() })
            << QStringList { "Title=first", "Late=after the image", "LateZ=compressed, after" };
        QTest::newRow("iTXt with language tag, eXIf, oFFs, pCAL, sTER, sPLT") << simplePng(16, 8,
            { chunk("eXIf", QByteArray("MM\0*\0\0\0\x08\0\0", 10)), chunk("oFFs", QByteArray(9, '\x01')),
                chunk("pCAL",
                    QByteArray("cal\0"
                               "\0\0\0\0"
                               "\0\0\0\x0a"
                               "\0\x02"
                               "m\0"
                               "1.0\0"
                               "2.0",
                        23)),
                chunk("sTER", QByteArray(1, 0)), chunk("sPLT", QByteArray("pal\0\x08\x01\x02\x03\x04\0\x05", 11)),
                iTXt("Title", "fr", "Titre", "Caf\xc3\xa9") },
            { tEXt("Comment", "after") }) << QStringList { QString::fromUtf8("Title=Café"), "Comment=after" };
        QTest::newRow("tRNS of a truecolour image and a suggested palette") << simplePng(8, 8,
            { chunk("PLTE", palette256().left(30)), chunk("tRNS", QByteArray("\0\x01\0\x02\0\x03", 6)),
                tEXt("A", "b") }) << QStringList { "A=b" };
        // The library would write a gAMA that disagrees with sRGB as sRGB's gamma, and a
        // scale in its own spelling: both must come back as the file had them.
        QByteArray chrm; // the sRGB primaries
        for (quint32 v : { 31270u, 32900u, 64000u, 33000u, 30000u, 60000u, 15000u, 6000u }) {
            char b[4];
            qToBigEndian(v, b);
            chrm.append(b, 4);
        }
        QTest::newRow("gAMA disagreeing with sRGB, sCAL in exponent form, cHRM") << simplePng(8, 8,
            { chunk("sRGB", QByteArray(1, 0)), chunk("cHRM", chrm), chunk("gAMA", QByteArray("\0\x01\x86\xa0", 4)),
                chunk("sCAL",
                    QByteArray("\x01"
                               "1.000e2\0"
                               "0.50",
                        13)) }) << QStringList {};
        QTest::newRow("tRNS of a greyscale image, tIME after IDAT")
            << buildPng({ ihdr(8, 8, 8, 0), chunk("tRNS", QByteArray("\0\x07", 2)), idat(8, 8, 1),
                   chunk("tIME", QByteArray("\x07\xd0\x01\x02\x03\x04\x05", 7)), iend() })
            << QStringList {};
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
        QCOMPARE(pngcheckComplaint(target), QString());
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

    void exiftoolReadsWhatWeWrite()
    {
        if (!toolAvailable(QStringLiteral("exiftool")))
            QFAIL("exiftool is missing: scripts/install-deps.sh installs it");
        const LoadedPng loaded = LoadedPng::fixture("pngsuite/basn2c08.png");
        const CommentList comments = commentsFrom({ "Author=Ann Example", u"Title=Café crème à Zürich"_qs,
            u"Description=富士山の写真。"_qs + QString(600, QChar(0x5c71)), "Comment=" + QString(3000, u'x'),
            u"Source=Ελληνικά and ASCII"_qs });
        const QString target = m_dir->filePath(QStringLiteral("exif.png"));
        QVERIFY(savePNG(target, loaded.info, loaded.rows, comments));
        QString output;
        QCOMPARE(runTool(QStringLiteral("exiftool"), { "-j", "-PNG:all", target }, &output), 0);
        const QJsonObject tags = QJsonDocument::fromJson(output.toUtf8()).array().first().toObject();
        for (const CommentPtr &c : comments)
            QCOMPARE(tags.value(c->keyword()).toString(), c->text());
    }

    void filesFromOtherToolsKeepTheirChunks_data()
    {
        QTest::addColumn<QString>("tool");
        QTest::addColumn<QStringList>("args"); // FILE stands for a copy of a suite file
        QTest::addColumn<QStringList>("expected"); // keyword=text we must find
        QTest::newRow("exiftool") << "exiftool"
                                  << QStringList { "-q", "-overwrite_original", u"-PNG:Author=Zoë Ünal"_qs,
                                         u"-PNG:Title=日本語"_qs, "-PNG:Comment=plain ASCII",
                                         "-PNG:Description=" + QString(1500, u'd'), "FILE" }
                                  << QStringList { QString::fromUtf8("Author=Zoë Ünal"),
                                         QString::fromUtf8("Title=日本語"), "Comment=plain ASCII",
                                         "Description=" + QString(1500, u'd') };
        QTest::newRow("ImageMagick") << "convert"
                                     << QStringList { "FILE", "-set", "Title", "IM title", "-set", "comment",
                                            u"commentaire é"_qs, "FILE" }
                                     << QStringList { "Title=IM title", QString::fromUtf8("comment=commentaire é") };
    }
    void filesFromOtherToolsKeepTheirChunks()
    {
        QFETCH(QString, tool);
        QFETCH(QStringList, args);
        QFETCH(QStringList, expected);
        if (!toolAvailable(tool))
            QFAIL(qPrintable(tool + QStringLiteral(" is missing: scripts/install-deps.sh installs it")));
        const QString file = copyFixture(QStringLiteral("pngsuite/tbbn3p08.png"), m_dir->path());
        QString output;
        QVERIFY2(runTool(tool, args.replaceInStrings(QStringLiteral("FILE"), file), &output) == 0, qPrintable(output));
        const QByteArray before = readFile(file);
        LoadedPng loaded, back;
        QVERIFY(loaded.load(file));
        for (const QString &e : expected)
            QVERIFY2(describe(loaded.comments).contains(e), qPrintable(describe(loaded.comments).join(u'|')));

        loaded.comments << makeComment(QStringLiteral("Added"), QStringLiteral("by Velmora"));
        QVERIFY(savePNG(file, loaded.info, loaded.rows, loaded.comments));
        QCOMPARE(nonTextChunks(readFile(file)), nonTextChunks(before));
        QVERIFY(back.load(file));
        QCOMPARE(describe(back.comments), describe(loaded.comments));
        QVERIFY(back.rows == loaded.rows);
        QCOMPARE(pngcheckComplaint(file), QString());
    }
};

QTEST_GUILESS_MAIN(tst_LosslessSave)
#include "tst_LosslessSave.moc"
