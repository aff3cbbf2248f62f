#include "TestSupport.h"

#include "core/PNGWriter.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
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

QString pngcheckComplaint(const QString &file)
{
    QString output;
    const int status = runTool(QStringLiteral("pngcheck"), { QStringLiteral("-v"), file }, &output);
    return status == 0 ? QString() : QStringLiteral("pngcheck exit status %1: ").arg(status) + output;
}

} // namespace

// What other PNG tools make of the files we write, and we of theirs: pngcheck, exiftool
// and ImageMagick. Registered with the label "peer" (ctest -LE peer leaves it out); a
// missing tool fails the test.
class tst_PeerTools : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;

private Q_SLOTS:
    void initTestCase()
    {
        if (!toolAvailable(QStringLiteral("pngcheck")))
            QFAIL("pngcheck is missing: scripts/install-deps.sh installs it");
    }
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    // A save that keeps the image data writes an unchanged file back byte for byte
    // (LosslessSave), so only files whose image data are encoded anew are shown to pngcheck.
    void pngcheckAcceptsReencodedSuiteFiles_data()
    {
        QTest::addColumn<QString>("file");
        for (const QString &f : pngSuiteFiles())
            QTest::newRow(qPrintable(QFileInfo(f).fileName())) << f;
    }
    void pngcheckAcceptsReencodedSuiteFiles()
    {
        QFETCH(QString, file);
        // A few suite files carry values pngcheck rejects (such as a modification time in 1970).
        if (runTool(QStringLiteral("pngcheck"), { QStringLiteral("-q"), file }) != 0)
            QSKIP("pngcheck rejects the suite file itself");
        LoadedPng loaded;
        QVERIFY(loaded.load(file));
        const QString out = m_dir->filePath(QStringLiteral("out.png"));
        PNGWriteOptions options;
        options.recompress = true;
        QVERIFY(savePNG(out, loaded.info, loaded.rows, loaded.comments, options));
        QCOMPARE(pngcheckComplaint(out), QString());
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
        QCOMPARE(pngcheckComplaint(file), QString());
    }
};

QTEST_GUILESS_MAIN(tst_PeerTools)
#include "tst_PeerTools.moc"
