#include "CommentListTargetDoubles.h"
#include "TestSupport.h"
#include "interchange/CommentForms.h"
#include "interchange/VelmxFormat.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

class tst_VelmxFormat : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    // Into a document: the macros expand on the way in.
    void roundTrip()
    {
        TestTarget target(TestTarget::Document),
            source(TestTarget::Document,
                { "Author=Jane \"JD\" <Doe> & 'co' ]]>", "Description=line one\nline two\r\n\tindented\rend",
                    "  spaced  =  kept as typed  ", "Ünïcødé 日本=emoji 😀, no-break\u00A0space, \u2028separator",
                    "Title=∅", "∅=∅", "Width=%WIDTH%" });
        QString error;
        QVERIFY2(exportMetadataToVelmx(source, path("round.velmx"), &error), qPrintable(error));
        QVERIFY2(importMetadataFromVelmx(target, path("round.velmx"), false, &error), qPrintable(error));

        QCOMPARE(describe(target.all), (describe(source.all).mid(0, 4) + QStringList { "Title=", "=", "Width=640" }));
    }

    void archiveForms()
    {
        // Absent stays absent, empty stays empty, a long keyword is not cut.
        for (const QString &pair : { QString(100, u'x') + u"=Ann\nLee %WIDTH%"_qs, u"∅="_qs }) {
            const CommentPtr original = commentsFrom({ pair }).first();
            QCOMPARE(describe({ decodeComment(encodeComment(*original)) }), QStringList { pair });
            QByteArray buffer;
            QDataStream out(&buffer, QIODevice::WriteOnly), in(&buffer, QIODevice::ReadOnly);
            out << *original;
            PNGComment back(u"old"_qs, u"old"_qs);
            in >> back;
            QCOMPARE(describe({ std::make_shared<PNGComment>(back) }), QStringList { pair });
        }
    }

    void fileFormOfFilteredDocument()
    {
        TestTarget document(TestTarget::Document, { "Author=a", "Title=t", "Author2=∅" });
        document.filter = "auth";
        QVERIFY(exportMetadataToVelmx(document, path("form.velmx")));

        // Declaration, root and each comment on a line of their own; only what the filter shows.
        QCOMPARE(readFile(path("form.velmx")),
            QByteArray("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<ImageMetadata>\n"
                       "  <comment keyword=\"Author\" text=\"a\"/>\n"
                       "  <comment keyword=\"Author2\" text=\"\"/>\n</ImageMetadata>\n"));
    }

    void import_data()
    {
        QTest::addColumn<TestTarget::Kind>("kind");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("existing");
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<bool>("replace");
        QTest::addColumn<QStringList>("expected");

        const auto row = [](const char *name, TestTarget::Kind kind, const char *filter, const QStringList &existing,
                             const QByteArray &xml, bool replace, const QStringList &expected) {
            QTest::newRow(name) << kind << QString(filter) << existing << xml << replace << expected;
        };
        using enum TestTarget::Kind;
        const QByteArray authors = R"(<ImageMetadata><comment keyword="Author" text="a1"/>
        <comment keyword="Author" text="a2"/><comment keyword="Note" text="n"/></ImageMetadata>)";
        const QStringList existing = { "Author=old", "Title=t" };
        row("replace keeps only the last of a keyword", Batch, "", existing, authors, true,
            { "Title=t", "Author=a2", "Note=n" });
        row("without replace duplicates are appended", Batch, "", existing, authors, false,
            { "Author=old", "Title=t", "Author=a1", "Author=a2", "Note=n" });
        row("replace leaves comments the filter hides", Document, "tit", existing,
            R"(<r><c keyword="Author" text="new"/><c keyword="Title" text="t2"/></r>)", true,
            { "Author=old", "Author=new", "Title=t2" });
        row("keywords compare case-sensitively", Template, "", { "author=x" },
            R"(<r><c keyword="Author" text="y"/></r>)", true, { "author=x", "Author=y" });
        row("a missing keyword replaces nothing", Batch, "", { "∅=old", "=empty" }, R"(<r><c text="t"/></r>)", true,
            { "∅=old", "=empty", "∅=t" });
        const QByteArray loose = R"(<?xml version="1.0"?><!-- by hand --><Whatever xmlns:v="urn:x">text
        <?pi data?><item keyword="K" text="T"/><v:x keyword="L"><nested keyword="ignored"/></v:x></Whatever>)";
        row("any names, non-elements skipped, batch", Batch, "", {}, loose, false, { "K=T", "L=∅" });
        const QByteArray macros = R"(<r><comment keyword="W" text="%WIDTH% %FILENAME%"/></r>)";
        row("document expands macros", Document, "", {}, macros, false, { "W=640 sunset" });
        row("batch keeps macros", Batch, "", {}, macros, false, { "W=%WIDTH% %FILENAME%" });
        row("empty root", Batch, "", { "A=1" }, "<r/>", true, { "A=1" });
        // Decoded from UTF-7, "+2ADYAA-" is two unpaired surrogates: XML cannot carry them, so
        // they are read as U+FFFD, as a save writes them.
        row("another encoding, unpaired surrogates", Batch, "", {},
            R"(<?xml version="1.0" encoding="UTF-7"?><r><c keyword="K+2ADYAA-" text="t"/></r>)", false,
            { u"K\uFFFD\uFFFD=t"_qs });
    }
    void import()
    {
        QFETCH(TestTarget::Kind, kind);
        QFETCH(QByteArray, xml);
        QFETCH(bool, replace);
        QFETCH(QStringList, existing);
        QFETCH(QString, filter);
        TestTarget target(kind, existing);
        target.filter = filter;
        QVERIFY(writeFile(path("in.velmx"), xml));
        QString error;
        QVERIFY2(importMetadataFromVelmx(target, path("in.velmx"), replace, &error), qPrintable(error));
        QTEST(describe(target.all), "expected");
    }

    void badInput_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("malformed") << QByteArray("<r><c keyword='a'></r>");
        QTest::newRow("second root") << QByteArray("<r/><r/>");
        QTest::newRow("empty file") << QByteArray();
        QTest::newRow("no root element") << QByteArray("<?xml version='1.0'?><!-- nothing -->");
        QTest::newRow("entities in a DTD")
            << QByteArray("<!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
                          "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]><r><c keyword=\"k\" text=\"&c;\"/></r>");
        QTest::newRow("external DTD") << QByteArray(
            "<!DOCTYPE r SYSTEM \"http://127.0.0.1:9/x.dtd\"><r><c keyword=\"k\" text=\"&ext;\"/></r>");
        QTest::newRow("deep nesting") << QByteArray("<a>").repeated(100000) + QByteArray("</a>").repeated(100000);
        QByteArray garbage(4096, '\0');
        for (int i = 0; i < garbage.size(); ++i)
            garbage[i] = char((i * 7919 + 13) % 256);
        QTest::newRow("binary garbage") << garbage;
        QTest::newRow("missing file") << QByteArray("@missing");
    }
    void badInput()
    {
        QFETCH(QByteArray, content);
        QVERIFY(makeBadInput(path("bad.velmx"), content));
        TestTarget target(TestTarget::Batch, { "Author=old" });
        const CommentList before = target.all;
        QString error;
        QVERIFY(!importMetadataFromVelmx(target, path("bad.velmx"), true, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(target.all, before);
        QCOMPARE(describe(target.all), QStringList { "Author=old" });
    }

    // Failures of the write itself are the safe write's (SafeFile, MetadataFormats).
    void exportRefusesWhatXmlCannotCarry()
    {
        const QString file = path("out.velmx");
        QVERIFY(writeFile(file, "previous"));
        QString error;
        QVERIFY(!exportMetadataToVelmx(TestTarget(TestTarget::Batch, { "Key=bell\x07" }), file, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(readFile(file), QByteArray("previous"));
        QVERIFY(!exportMetadataToVelmx(TestTarget(TestTarget::Batch, { "Key=t" }), m_dir.path(), &error));
    }
};

QTEST_GUILESS_MAIN(tst_VelmxFormat)
#include "tst_VelmxFormat.moc"
