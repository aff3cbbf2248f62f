#include "TestSupport.h"

#include "cli/Cli.h"
#include "core/PNGReader.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

using namespace TestSupport;

class tst_Cli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void usageErrors_data();
    void usageErrors();
    void infoAndList();
    void setRemoveClear();
    void failedFileIsNamedAndUntouched();
    void chunksListing();
    void keptAndRecompressedImageData();
    void realProcess();

private:
    int run(const QStringList &args);
    QString copyOf(const QString &suiteFile);
    QString m_out, m_err;
    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_Cli::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
}

int tst_Cli::run(const QStringList &args)
{
    m_out.clear();
    m_err.clear();
    QTextStream out(&m_out), err(&m_err);
    const int status = runCli(args, out, err);
    out.flush();
    err.flush();
    return status;
}

QString tst_Cli::copyOf(const QString &suiteFile)
{
    const QString path = m_dir->filePath(suiteFile);
    writeFile(path, readFile(dataPath(QStringLiteral("pngsuite/") + suiteFile)));
    return path;
}

void tst_Cli::usageErrors_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::newRow("nothing") << QStringList{};
    QTest::newRow("unknown command") << QStringList{"frobnicate"};
    QTest::newRow("unknown option") << QStringList{"list", "--fancy", "x.png"};
    QTest::newRow("set without pair") << QStringList{"set", "x.png"};
    QTest::newRow("set with bad pair") << QStringList{"set", "x.png", "novalue"};
    QTest::newRow("set with empty key") << QStringList{"set", "x.png", "=v"};
    QTest::newRow("clear two files") << QStringList{"clear", "a.png", "b.png"};
    QTest::newRow("info no file") << QStringList{"info"};
}

void tst_Cli::usageErrors()
{
    QFETCH(QStringList, args);
    QCOMPARE(run(args), 2);
    QVERIFY(m_err.contains(QStringLiteral("--help")));
}

void tst_Cli::infoAndList()
{
    QCOMPARE(run({"--help"}), 0);
    QVERIFY(m_out.contains(QStringLiteral("Exit status")));

    const QString file = copyOf(QStringLiteral("ct1n0g04.png"));
    QCOMPARE(run({"info", file}), 0);
    QVERIFY(m_out.contains(QStringLiteral("32 × 32")));
    QCOMPARE(m_out.count(u'\n'), 7);

    QCOMPARE(run({"list", file}), 0);
    QVERIFY(m_out.startsWith(QStringLiteral("Title\tPngSuite\n")));
    QVERIFY(m_out.contains(QStringLiteral("van Schaik\\n(willem@schaik.com)")));

    QCOMPARE(run({"list", "--json", file, copyOf(QStringLiteral("basn0g01.png"))}), 0);
    const QJsonArray files = QJsonDocument::fromJson(m_out.toUtf8()).array();
    QCOMPARE(files.size(), 2);
    QCOMPARE(files[0].toObject()[QStringLiteral("file")].toString(), file);
    QCOMPARE(files[0].toObject()[QStringLiteral("comments")].toArray().size(), 6);
    QCOMPARE(files[1].toObject()[QStringLiteral("comments")].toArray().size(), 0);
}

void tst_Cli::setRemoveClear()
{
    const QString file = copyOf(QStringLiteral("basn2c08.png"));
    QCOMPARE(run({"set", file, "Title=%FILENAME% %WIDTH%x%HEIGHT%", "Author=Ann", "Author=Bob", "Note=a=b"}), 0);
    QCOMPARE(run({"list", file}), 0);
    QCOMPARE(m_out, QStringLiteral("Title\tbasn2c08 32x32\nAuthor\tAnn\nAuthor\tBob\nNote\ta=b\n"));

    QCOMPARE(run({"set", "--replace", file, "Author=Cy"}), 0);
    QCOMPARE(run({"list", file}), 0);
    QCOMPARE(m_out, QStringLiteral("Title\tbasn2c08 32x32\nNote\ta=b\nAuthor\tCy\n"));

    QCOMPARE(run({"remove", file, "Note", "Missing"}), 0);
    QCOMPARE(run({"list", file}), 0);
    QCOMPARE(m_out, QStringLiteral("Title\tbasn2c08 32x32\nAuthor\tCy\n"));

    QCOMPARE(run({"clear", file}), 0);
    QCOMPARE(run({"list", file}), 0);
    QCOMPARE(m_out, QString());
}

void tst_Cli::failedFileIsNamedAndUntouched()
{
    const QString good = copyOf(QStringLiteral("basn0g08.png"));
    const QString bad = m_dir->filePath(QStringLiteral("bad.png"));
    writeFile(bad, "not a png");
    QCOMPARE(run({"list", good, bad}), 1);
    QVERIFY(m_err.contains(bad));
    QVERIFY(m_err.contains(QStringLiteral("not a PNG")));

    const QByteArray before = readFile(good);
    QFile::setPermissions(good, QFileDevice::ReadOwner);
    QCOMPARE(run({"set", good, "A=b"}), 1);
    QVERIFY(m_err.contains(QStringLiteral("read-only")));
    QCOMPARE(readFile(good), before);

    QCOMPARE(run({"set", bad, "A=b"}), 1);
    QCOMPARE(readFile(bad), QByteArray("not a png"));
}

void tst_Cli::chunksListing()
{
    const QString file = copyOf(QStringLiteral("ccwn3p08.png"));
    QCOMPARE(run({"chunks", file}), 0);
    const QStringList lines = m_out.split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.first(), QStringLiteral("IHDR\t13\tbefore-IDAT\tcrc-ok"));
    QVERIFY(lines.last().startsWith(QStringLiteral("IEND\t0\tafter-IDAT")));

    QByteArray damaged = readFile(file);
    damaged[damaged.indexOf("cHRM") + 6] ^= 1;
    writeFile(file, damaged);
    QCOMPARE(run({"chunks", file}), 0);
    QVERIFY(m_out.contains(QStringLiteral("cHRM\t32\tbefore-IDAT\tcrc-BAD")));
}

void tst_Cli::keptAndRecompressedImageData()
{
    const QString file = copyOf(QStringLiteral("basn6a08.png"));
    const auto original = chunkPayloads(readFile(file), "IDAT");
    QCOMPARE(run({"set", file, "A=b"}), 0);
    QCOMPARE(chunkPayloads(readFile(file), "IDAT"), original);
    QCOMPARE(run({"--recompress", "set", file, "A=c"}), 0);
    QVERIFY(chunkPayloads(readFile(file), "IDAT") != original);
    QCOMPARE(run({"list", file}), 0);
    QCOMPARE(m_out, QStringLiteral("A\tb\nA\tc\n"));
}

void tst_Cli::realProcess()
{
    const QString cli = qEnvironmentVariable("VELMORA_CLI");
    QVERIFY2(QFileInfo::exists(cli), qPrintable(cli));
    const QString file = copyOf(QStringLiteral("basn0g08.png"));
    QString output;
    QCOMPARE(runTool(cli, {"set", file, QString::fromUtf8("Title=Grüße 世界")}, &output), 0);
    QCOMPARE(runTool(cli, {"list", file}, &output), 0);
    QCOMPARE(output, QString::fromUtf8("Title\tGrüße 世界\n"));
    QCOMPARE(runTool(cli, {"list", m_dir->filePath(QStringLiteral("missing.png"))}, &output), 1);
    QCOMPARE(runTool(cli, {"bogus"}, &output), 2);
}

QTEST_GUILESS_MAIN(tst_Cli)
#include "tst_Cli.moc"
