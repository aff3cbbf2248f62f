#include "TestSupport.h"

#include "core/PNGReader.h"
#include "core/PNGWriter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

namespace {

struct Chunk
{
    QString type;
    QByteArray data;
    bool operator==(const Chunk &) const = default;
};

bool isText(const QString &type)
{
    return type == u"tEXt" || type == u"zTXt" || type == u"iTXt";
}

// Every chunk of a file but the text chunks, in order.
QList<Chunk> nonTextChunks(const QByteArray &png)
{
    QList<Chunk> result;
    const QStringList types = chunkTypes(png);
    QHash<QString, int> seen;
    for (const QString &t : types) {
        const int n = seen[t]++;
        if (!isText(t))
            result.append({t, chunkPayloads(png, t.toLatin1()).at(n)});
    }
    return result;
}

QByteArray palette256()
{
    QByteArray p;
    for (int i = 0; i < 256; ++i)
        {
        p += char(i);
        p += char(255 - i);
        p += char(i / 2);
    }
    return p;
}

} // namespace

class tst_LosslessSave : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void everyOtherChunkKept_data();
    void everyOtherChunkKept();
    void reencodingDropsOnlyUnknownUnsafeChunks();
    void internationalTextStaysInternational();
    void exiftoolReadsWhatWeWrite();
    void filesFromOtherToolsKeepTheirChunks_data();
    void filesFromOtherToolsKeepTheirChunks();

private:
    struct Loaded
    {
        PNGinfo info;
        PNGRows rows;
        CommentList comments;
    };
    bool read(const QString &path, Loaded &out)
    {
        out.info.path = path;
        QString error;
        const bool ok = loadPNG(out.info, out.rows, out.comments, {}, &error);
        if (!ok)
            qWarning() << path << error;
        return ok;
    }
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_LosslessSave::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
}

void tst_LosslessSave::everyOtherChunkKept_data()
{
    QTest::addColumn<QByteArray>("png");
    QTest::addColumn<QStringList>("texts"); // expected "keyword=text", in order

    QTest::newRow("private chunks around PLTE and IDAT, text after IDAT")
        << buildPng({ihdr(16, 16, 8, 3), chunk("prIv", "before PLTE"), chunk("PLTE", palette256()),
                     chunk("prIw", "before IDAT"), tEXt("Title", "first"), idat(16, 16, 1), chunk("prIx", "after IDAT"),
                     tEXt("Late", "after the image"), zTXt("LateZ", "compressed, after"), iend()})
        << QStringList{"Title=first", "Late=after the image", "LateZ=compressed, after"};
    QTest::newRow("iTXt with language tag, eXIf, oFFs, pCAL, sTER, sPLT")
        << simplePng(16, 8,
                     {chunk("eXIf", QByteArray("MM\0*\0\0\0\x08\0\0", 10)), chunk("oFFs", QByteArray(9, '\x01')),
                      chunk("pCAL", QByteArray("cal\0" "\0\0\0\0" "\0\0\0\x0a" "\0\x02" "m\0" "1.0\0" "2.0", 23)),
                      chunk("sTER", QByteArray(1, 0)), chunk("sPLT", QByteArray("pal\0\x08\x01\x02\x03\x04\0\x05", 11)),
                      iTXt("Title", "fr", "Titre", "Caf\xc3\xa9")},
                     {tEXt("Comment", "after")})
        << QStringList{QString::fromUtf8("Title=Café"), "Comment=after"};
    QTest::newRow("tRNS of a truecolour image and a suggested palette")
        << simplePng(8, 8, {chunk("PLTE", palette256().left(30)), chunk("tRNS", QByteArray("\0\x01\0\x02\0\x03", 6)), tEXt("A", "b")})
        << QStringList{"A=b"};
    QTest::newRow("tRNS of a greyscale image, tIME after IDAT")
        << buildPng({ihdr(8, 8, 8, 0), chunk("tRNS", QByteArray("\0\x07", 2)), idat(8, 8, 1),
                     chunk("tIME", QByteArray("\x07\xd0\x01\x02\x03\x04\x05", 7)), iend()})
        << QStringList{};
}

void tst_LosslessSave::everyOtherChunkKept()
{
    QFETCH(QByteArray, png);
    QFETCH(QStringList, texts);
    const QString source = m_dir->filePath(QStringLiteral("source.png"));
    const QString target = m_dir->filePath(QStringLiteral("target.png"));
    QVERIFY(writeFile(source, png));
    Loaded loaded;
    QVERIFY(read(source, loaded));
    QStringList got;
    for (const CommentPtr &c : loaded.comments)
        got << c->keyword() + u'=' + c->text();
    QCOMPARE(got, texts);

    QVERIFY(savePNG(target, loaded.info, loaded.rows, loaded.comments));
    const QByteArray written = readFile(target);
    QCOMPARE(nonTextChunks(written), nonTextChunks(png));
    // Every text chunk now stands before the image data.
    const QStringList types = chunkTypes(written);
    for (qsizetype i = types.indexOf(QStringLiteral("IDAT")); i < types.size(); ++i)
        QVERIFY2(!isText(types.at(i)), qPrintable(types.join(u' ')));

    Loaded back;
    QVERIFY(read(target, back));
    QStringList again;
    for (const CommentPtr &c : back.comments)
        again << c->keyword() + u'=' + c->text();
    QCOMPARE(again, texts);
    QVERIFY(back.rows == loaded.rows);
    QString output;
    QVERIFY2(runTool(QStringLiteral("pngcheck"), {QStringLiteral("-v"), target}, &output) == 0, qPrintable(output));
}

void tst_LosslessSave::reencodingDropsOnlyUnknownUnsafeChunks()
{
    const QString source = m_dir->filePath(QStringLiteral("source.png"));
    QVERIFY(writeFile(source, simplePng(8, 8, {chunk("prIv", "safe"), chunk("prIV", "unsafe"), chunk("sTER", QByteArray(1, 0))})));
    Loaded loaded;
    QVERIFY(read(source, loaded));
    const QString target = m_dir->filePath(QStringLiteral("target.png"));
    PNGWriteOptions options;
    options.recompress = true;
    QVERIFY(savePNG(target, loaded.info, loaded.rows, loaded.comments, options));
    QCOMPARE(chunkTypes(readFile(target)), (QStringList{"IHDR", "prIv", "sTER", "IDAT", "IEND"}));

    QVERIFY(savePNG(target, loaded.info, loaded.rows, loaded.comments));
    QCOMPARE(chunkTypes(readFile(target)), (QStringList{"IHDR", "prIv", "prIV", "sTER", "IDAT", "IEND"}));
}

void tst_LosslessSave::internationalTextStaysInternational()
{
    const QString source = m_dir->filePath(QStringLiteral("source.png"));
    QVERIFY(writeFile(source, simplePng(8, 8, {iTXt("Title", "fr-CA", "Titre", "Bonjour")})));
    Loaded loaded;
    QVERIFY(read(source, loaded));
    QCOMPARE(loaded.comments.size(), 1);
    QVERIFY(loaded.comments.first()->isInternational());
    QCOMPARE(loaded.comments.first()->language(), QStringLiteral("fr-CA"));
    QCOMPARE(loaded.comments.first()->translatedKeyword(), QStringLiteral("Titre"));
    QVERIFY(savePNG(source, loaded.info, loaded.rows, loaded.comments));
    const auto payloads = chunkPayloads(readFile(source), "iTXt");
    QCOMPARE(payloads.size(), 1);
    QCOMPARE(payloads.first(), QByteArray("Title\0\0\0fr-CA\0Titre\0Bonjour", 27));
}

void tst_LosslessSave::exiftoolReadsWhatWeWrite()
{
    if (!toolAvailable(QStringLiteral("exiftool")))
        QFAIL("exiftool is missing: scripts/install-deps.sh installs it");
    Loaded loaded;
    QVERIFY(read(dataPath(QStringLiteral("pngsuite/basn2c08.png")), loaded));
    const QList<QPair<QString, QString>> entries = {
        {"Author", "Ann Example"},
        {"Title", QString::fromUtf8("Café crème à Zürich")},
        {"Description", QString::fromUtf8("富士山の写真。") + QString(600, QChar(0x5c71))},
        {"Comment", QString(3000, u'x')},
        {"Source", QString::fromUtf8("Ελληνικά and ASCII")},
    };
    CommentList comments;
    for (const auto &[k, t] : entries)
        comments << makeComment(k, t);
    const QString target = m_dir->filePath(QStringLiteral("exif.png"));
    QVERIFY(savePNG(target, loaded.info, loaded.rows, comments));
    QString output;
    QCOMPARE(runTool(QStringLiteral("exiftool"), {"-j", "-PNG:all", target}, &output), 0);
    const QJsonObject tags = QJsonDocument::fromJson(output.toUtf8()).array().first().toObject();
    for (const auto &[k, t] : entries)
        QCOMPARE(tags.value(k).toString(), t);
}

void tst_LosslessSave::filesFromOtherToolsKeepTheirChunks_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QStringList>("expected"); // keyword=text we must find
    QTest::newRow("exiftool")
        << "exiftool"
        << QStringList{"-q", "-overwrite_original", QString::fromUtf8("-PNG:Author=Zoë Ünal"), QString::fromUtf8("-PNG:Title=日本語"),
                       "-PNG:Comment=plain ASCII", "-PNG:Description=" + QString(1500, u'd')}
        << QStringList{QString::fromUtf8("Author=Zoë Ünal"), QString::fromUtf8("Title=日本語"), "Comment=plain ASCII",
                       "Description=" + QString(1500, u'd')};
    QTest::newRow("ImageMagick")
        << "convert" << QStringList{"-set", "Title", "IM title", "-set", "comment", QString::fromUtf8("commentaire é")}
        << QStringList{"Title=IM title", QString::fromUtf8("comment=commentaire é")};
}

void tst_LosslessSave::filesFromOtherToolsKeepTheirChunks()
{
    QFETCH(QString, tool);
    QFETCH(QStringList, args);
    QFETCH(QStringList, expected);
    if (!toolAvailable(tool))
        QFAIL(qPrintable(tool + QStringLiteral(" is missing: scripts/install-deps.sh installs it")));
    const QString original = dataPath(QStringLiteral("pngsuite/tbbn3p08.png"));
    const QString file = m_dir->filePath(QStringLiteral("peer.png"));
    QString output;
    if (tool == u"exiftool") {
        QVERIFY(writeFile(file, readFile(original)));
        QVERIFY2(runTool(tool, args + QStringList{file}, &output) == 0, qPrintable(output));
    } else {
        QVERIFY2(runTool(tool, QStringList{original} + args + QStringList{file}, &output) == 0, qPrintable(output));
    }
    const QByteArray before = readFile(file);
    Loaded loaded;
    QVERIFY(read(file, loaded));
    QStringList got;
    for (const CommentPtr &c : loaded.comments)
        got << c->keyword() + u'=' + c->text();
    for (const QString &e : expected)
        QVERIFY2(got.contains(e), qPrintable(got.join(u'|')));

    loaded.comments << makeComment(QStringLiteral("Added"), QStringLiteral("by Velmora"));
    QVERIFY(savePNG(file, loaded.info, loaded.rows, loaded.comments));
    const QByteArray after = readFile(file);
    QCOMPARE(nonTextChunks(after), nonTextChunks(before));
    Loaded back;
    QVERIFY(read(file, back));
    QCOMPARE(back.comments.size(), loaded.comments.size());
    QVERIFY(back.rows == loaded.rows);
    QVERIFY2(runTool(QStringLiteral("pngcheck"), {QStringLiteral("-v"), file}, &output) == 0, qPrintable(output));
}

QTEST_GUILESS_MAIN(tst_LosslessSave)
#include "tst_LosslessSave.moc"
