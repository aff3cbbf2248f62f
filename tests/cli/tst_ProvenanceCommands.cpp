#include "TestSupport.h"

#include "CliRun.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using namespace TestSupport;

// velmora-cli's generation, chunks --json and strip: their options and output.
class tst_ProvenanceCommands : public QObject
{
    Q_OBJECT

    QString m_out, m_err;
    std::unique_ptr<TempFolder> m_dir;

    int run(const QStringList &args) { return runCliCaptured(args, &m_out, &m_err); }
    QString fixture(const QString &name) { return copyFixture(u"provenance/"_qs + name, m_dir->path()); }
    // A size as the dry run prints it: the whole chunk.
    static qsizetype chunkSize(const QString &file, const QByteArray &type)
    {
        return chunkPayloads(readFile(file), type).value(0).size() + 12;
    }

private Q_SLOTS:
    void init() { m_dir = std::make_unique<TempFolder>(); }

    void generation()
    {
        const QString a1111 = fixture("a1111.png"), comfy = fixture("comfyui.png"), none = fixture("damaged-json.png");
        QCOMPARE(run({ "generation", "--json", a1111, comfy, none }), 0);
        const QJsonArray records = QJsonDocument::fromJson(m_out.toUtf8()).array();
        QCOMPARE(records.size(), 3);
        QCOMPARE(records.at(0)["file"].toString(), a1111);
        QCOMPARE(records.at(0)["seed"].toString(), u"3141592653"_qs);
        QCOMPARE(records.at(0)["extra"]["Clip skip"].toString(), u"2"_qs);
        QCOMPARE(records.at(2)["file"].toString(), comfy);
        QCOMPARE(records.at(2)["node"].toString(), u"20 KSamplerAdvanced"_qs);
        QVERIFY(!records.at(2).toObject().contains("model_hash")); // unset fields are left out

        QCOMPARE(run({ "generation", a1111, none, m_dir->path("missing.png") }), 1);
        QVERIFY2(m_out.startsWith(a1111
                     + u": Stable Diffusion web UI v1.9.3 (entry \"parameters\")\n"
                       "  Prompt: masterpiece, a lighthouse on a cliff,\\n(dusk:1.2), dramatic sky\n"_qs),
            qPrintable(m_out));
        QVERIFY(m_out.endsWith(none + u": no generation settings\n"_qs));
        QVERIFY(m_err.contains(u"missing.png"));
    }

    void chunksAsJson()
    {
        const QString file = fixture("everything.png");
        QCOMPARE(run({ "chunks", "--json", file }), 0);
        const QJsonObject entry = QJsonDocument::fromJson(m_out.toUtf8()).array().at(0).toObject();
        QCOMPARE(entry["file"].toString(), file);
        const QJsonArray chunks = entry["chunks"].toArray();
        QCOMPARE(chunks.size(), 24);
        QCOMPARE(chunks.at(0).toObject(),
            QJsonObject(
                { { "type", "IHDR" }, { "offset", 8 }, { "length", 13 }, { "crc_ok", true }, { "critical", true },
                    { "safe_to_copy", false }, { "summary", "8×8, 8-bit palette, not interlaced" } }));
        const QJsonObject exif = chunks.at(8).toObject();
        QCOMPARE(exif["offset"].toInt(), 8 + 25 + 16 + 44 + 16 + 36 + 20 + 15 + 26);
        QCOMPARE(exif["details"].toArray().last(),
            QJsonValue(QJsonObject({ { "name", "GPS position" }, { "value", "51.50740° N, 0.12777° W, 35 m" } })));

        // A file cut off: the chunks before the break, the reason, and a failure.
        writeFile(file, readFile(file).left(100));
        QCOMPARE(run({ "chunks", "--json", file }), 1);
        const QJsonObject cut = QJsonDocument::fromJson(m_out.toUtf8()).array().at(0).toObject();
        QCOMPARE(cut["chunks"].toArray().size(), 3);
        QVERIFY(cut["error"].toString().contains(u"truncated"));
        QVERIFY(m_err.contains(file));
    }

    void strip()
    {
        const QString everything = fixture("everything.png"), a1111 = fixture("a1111.png");
        const QString plain = m_dir->write("plain.png", simplePng(4, 4));
        const QByteArray before = readFile(everything);

        QCOMPARE(run({ "strip", "--dry-run", "--keep", "Author", m_dir->path() }), 0);
        const QStringList lines = m_out.split(u'\n');
        QCOMPARE(lines.mid(0, 2),
            QStringList({ a1111 + u':', u"  entry \"parameters\" (tEXt, %1 bytes)"_qs.arg(chunkSize(a1111, "tEXt")) }));
        QCOMPARE(lines.at(2), everything + u':');
        QCOMPARE(lines.at(3), u"  entry \"XML:com.adobe.xmp\" (iTXt, %1 bytes)"_qs.arg(chunkSize(everything, "iTXt")));
        QVERIFY(lines.contains(u"  chunk eXIf (%1 bytes)"_qs.arg(chunkSize(everything, "eXIf"))));
        QVERIFY(!m_out.contains(u"Author") && !m_out.contains(u"caBX"));
        QVERIFY(m_out.endsWith(plain + u": nothing to remove\n2 of 3 files would change\n"_qs));
        QCOMPARE(readFile(everything), before);

        QCOMPARE(run({ "strip", "--keep", "Author", "--keep-chunk", "tIME", "--credentials", m_dir->path() }), 0);
        QCOMPARE(m_out, u"3 of 3 files processed (1 with nothing to remove, left as they were)\n"_qs);
        QCOMPARE(chunkTypes(readFile(everything)),
            QStringList({ "IHDR", "gAMA", "cHRM", "cICP", "mDCV", "cLLI", "sBIT", "tEXt", "tIME", "PLTE", "tRNS",
                "bKGD", "hIST", "pHYs", "IDAT", "tIME", "IEND" }));
    }

    void stripThroughPipes()
    {
        const QByteArray png = readFile(dataPath("provenance/everything.png"));
        QByteArray out;
        QCOMPARE(runCliCaptured({ "strip", "--credentials", "-" }, &m_out, &m_err, png, &out), 0);
        QCOMPARE(chunkTypes(out),
            QStringList({ "IHDR", "gAMA", "cHRM", "cICP", "mDCV", "cLLI", "sBIT", "PLTE", "tRNS", "bKGD", "hIST",
                "pHYs", "IDAT", "IEND" }));
        QCOMPARE(m_out, QString());
        QCOMPARE(runCliCaptured({ "strip", "--dry-run", "-" }, &m_out, &m_err, png, &out), 0);
        QVERIFY2(m_out.startsWith(u"-:\n  entry \"Author\" (tEXt, 26 bytes)\n"_qs), qPrintable(m_out));
        QCOMPARE(out, QByteArray());
    }

    void stripUsage_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("a chunk type of three letters") << QStringList { "strip", "--keep-chunk", "abc", "x.png" };
        QTest::newRow("a chunk type with a digit") << QStringList { "strip", "--keep-chunk", "tEX1", "x.png" };
        QTest::newRow("no path") << QStringList { "strip", "--dry-run" };
        QTest::newRow("-0 without a list") << QStringList { "strip", "-0", "x.png" };
        QTest::newRow("standard input beside a path") << QStringList { "strip", "-", "x.png" };
    }
    void stripUsage()
    {
        QFETCH(QStringList, args);
        QCOMPARE(run(args), 2);
        QVERIFY(m_err.contains(u"velmora-cli strip --help"));
    }
};

QTEST_GUILESS_MAIN(tst_ProvenanceCommands)
#include "tst_ProvenanceCommands.moc"
