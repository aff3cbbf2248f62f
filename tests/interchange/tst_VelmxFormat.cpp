#include "CommentListTargetDoubles.h"
#include "TestSupport.h"
#include "interchange/CommentListAdapter.h"
#include "interchange/VelmxFormat.h"

#include <QTemporaryDir>
#include <QXmlStreamReader>
#include <QtTest>

class tst_VelmxFormat : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void roundTrip_data() { addKindRows(); }
    void roundTrip();
    void fileFormOfFilteredDocument();
    void plainListAdapter();
    void import_data();
    void import();
    void badInput_data();
    void badInput();
    void exportFailures_data();
    void exportFailures();
};

void tst_VelmxFormat::roundTrip()
{
    QFETCH(TestTarget::Kind, kind);
    TestTarget source(kind), target(kind);
    source.all
        = commentsFrom({ "Author=Jane \"JD\" <Doe> & 'co' ]]>", "Description=line one\nline two\r\n\tindented\rend",
            "Ünïcødé 日本=emoji 😀, no-break\u00A0space, \u2028separator", "  spaced  =  kept as typed  ", "Title=∅",
            "∅=∅", "Width=%WIDTH%" });
    QString error;
    QVERIFY2(exportMetadataToVelmx(source, path("round.velmx"), &error), qPrintable(error));
    QVERIFY2(importMetadataFromVelmx(target, path("round.velmx"), false, &error), qPrintable(error));

    QStringList expected = describe(source.all);
    expected[4] = "Title=";
    expected[5] = "=";
    if (kind == TestTarget::Document)
        expected[6] = "Width=640";
    QCOMPARE(describe(target.all), expected);
    QCOMPARE(target.imports, 1);
}

void tst_VelmxFormat::fileFormOfFilteredDocument()
{
    TestTarget document(TestTarget::Document);
    document.all = commentsFrom({ "Author=a", "Title=t", "Author2=∅" });
    document.filter = "auth";
    QVERIFY(exportMetadataToVelmx(document, path("form.velmx")));

    const QByteArray data = TestSupport::readFile(path("form.velmx"));
    QVERIFY(data.startsWith("<?xml"));
    QCOMPARE(data.trimmed().count('\n'), 4); // declaration, root, two comments, end tag: one line each
    QXmlStreamReader reader(data);
    QStringList seen;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement)
            continue;
        seen << reader.name().toString();
        for (const auto &attribute : reader.attributes())
            seen.last() += u' ' + attribute.name().toString() + u'=' + attribute.value().toString();
    }
    QVERIFY(!reader.hasError());
    QCOMPARE(seen, QStringList({ "ImageMetadata", "comment keyword=Author text=a", "comment keyword=Author2 text=" }));
}

void tst_VelmxFormat::plainListAdapter()
{
    PNGinfo info;
    info.width = 320;
    CommentList list = commentsFrom({ "A=old", "B=b" });
    CommentListAdapter adapter(list, &info);
    QVERIFY(TestSupport::writeFile(path("adapter.velmx"), R"(<r><c keyword="A" text="%WIDTH%"/><c keyword="C"/></r>)"));
    QVERIFY(importMetadataFromVelmx(adapter, path("adapter.velmx"), true));
    QCOMPARE(describe(list), QStringList({ "B=b", "A=320", "C=" }));
}

void tst_VelmxFormat::import_data()
{
    QTest::addColumn<TestTarget::Kind>("kind");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("existing");
    QTest::addColumn<QByteArray>("xml");
    QTest::addColumn<bool>("replace");
    QTest::addColumn<QStringList>("expected");

    const QByteArray authors = R"(<ImageMetadata><comment keyword="Author" text="a1"/>
        <comment keyword="Author" text="a2"/><comment keyword="Note" text="n"/></ImageMetadata>)";
    const QStringList existing = { "Author=old", "Title=t" };
    QTest::newRow("replace keeps only the last of a keyword")
        << TestTarget::Batch << "" << existing << authors << true << QStringList { "Title=t", "Author=a2", "Note=n" };
    QTest::newRow("without replace duplicates are appended")
        << TestTarget::Batch << "" << existing << authors << false
        << QStringList { "Author=old", "Title=t", "Author=a1", "Author=a2", "Note=n" };
    QTest::newRow("replace leaves comments the filter hides")
        << TestTarget::Document << "tit" << existing
        << QByteArray(R"(<r><c keyword="Author" text="new"/><c keyword="Title" text="t2"/></r>)") << true
        << QStringList { "Author=old", "Author=new", "Title=t2" };
    QTest::newRow("keywords compare case-sensitively")
        << TestTarget::Template << "" << QStringList { "author=x" }
        << QByteArray(R"(<r><c keyword="Author" text="y"/></r>)") << true << QStringList { "author=x", "Author=y" };
    QTest::newRow("a missing keyword replaces nothing")
        << TestTarget::Batch << "" << QStringList { "∅=old", "=empty" } << QByteArray(R"(<r><c text="t"/></r>)") << true
        << QStringList { "∅=old", "=empty", "∅=t" };
    const QByteArray loose = R"(<?xml version="1.0"?><!-- by hand --><Whatever xmlns:v="urn:x">text
        <?pi data?><item keyword="K" text="T"/><v:x keyword="L"><nested keyword="ignored"/></v:x></Whatever>)";
    QTest::newRow("any names, non-elements skipped, batch")
        << TestTarget::Batch << "" << QStringList {} << loose << false << QStringList { "K=T", "L=∅" };
    QTest::newRow("any names, non-elements skipped, document")
        << TestTarget::Document << "" << QStringList {} << loose << false << QStringList { "K=T", "L=" };
    const QByteArray macros = R"(<r><comment keyword="W" text="%WIDTH% %FILENAME%"/></r>)";
    QTest::newRow("document expands macros")
        << TestTarget::Document << "" << QStringList {} << macros << false << QStringList { "W=640 sunset" };
    QTest::newRow("batch keeps macros") << TestTarget::Batch << "" << QStringList {} << macros << false
                                        << QStringList { "W=%WIDTH% %FILENAME%" };
    QTest::newRow("empty root") << TestTarget::Batch << "" << QStringList { "A=1" } << QByteArray("<r/>") << true
                                << QStringList { "A=1" };
}

void tst_VelmxFormat::import()
{
    QFETCH(TestTarget::Kind, kind);
    QFETCH(QByteArray, xml);
    QFETCH(bool, replace);
    QFETCH(QStringList, existing);
    QFETCH(QString, filter);
    TestTarget target(kind);
    target.all = commentsFrom(existing);
    target.filter = filter;
    QVERIFY(TestSupport::writeFile(path("in.velmx"), xml));
    QString error;
    QVERIFY2(importMetadataFromVelmx(target, path("in.velmx"), replace, &error), qPrintable(error));
    QTEST(describe(target.all), "expected");
    QCOMPARE(target.imports, 1);
    for (const auto &c : target.all)
        QCOMPARE(c->container(), nullptr);
}

void tst_VelmxFormat::badInput_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::newRow("malformed") << QByteArray("<r><c keyword='a'></r>");
    QTest::newRow("second root") << QByteArray("<r/><r/>");
    QTest::newRow("empty file") << QByteArray();
    QTest::newRow("no root element") << QByteArray("<?xml version='1.0'?><!-- nothing -->");
    QTest::newRow("entities in a DTD") << QByteArray(
        "<!DOCTYPE r [<!ENTITY a \"aaaaaaaaaa\"><!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
        "<!ENTITY c \"&b;&b;&b;&b;&b;&b;&b;&b;&b;&b;\">]><r><c keyword=\"k\" text=\"&c;\"/></r>");
    QTest::newRow("external DTD") << QByteArray(
        "<!DOCTYPE r SYSTEM \"http://127.0.0.1:9/x.dtd\"><r><c keyword=\"k\" text=\"&ext;\"/></r>");
    QTest::newRow("deep nesting") << QByteArray("<a>").repeated(100000) + QByteArray("</a>").repeated(100000);
    QByteArray garbage(4096, '\0');
    for (int i = 0; i < garbage.size(); ++i)
        garbage[i] = char((i * 7919 + 13) % 256);
    QTest::newRow("binary garbage") << garbage;
    QTest::newRow("100 MB file") << QByteArray("@huge");
    QTest::newRow("folder") << QByteArray("@folder");
    QTest::newRow("missing file") << QByteArray("@missing");
}

void tst_VelmxFormat::badInput()
{
    QFETCH(QByteArray, content);
    QVERIFY(makeBadInput(path("bad.velmx"), content));
    TestTarget target(TestTarget::Batch);
    target.all = commentsFrom({ "Author=old" });
    const CommentList before = target.all;
    QString error;
    QVERIFY(!importMetadataFromVelmx(target, path("bad.velmx"), true, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(target.all, before);
    QCOMPARE(describe(target.all), QStringList { "Author=old" });
    QCOMPARE(target.imports, 0);
}

void tst_VelmxFormat::exportFailures_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<QString>("text");
    QTest::newRow("missing folder") << "missing/deeper"
                                    << "t";
    QTest::newRow("read-only folder") << "readonly"
                                      << "t";
    QTest::newRow("control character") << "plain"
                                       << "bell\x07";
}

void tst_VelmxFormat::exportFailures()
{
    QFETCH(QString, folder);
    QFETCH(QString, text);
    const QString file = path(folder + "/out.velmx");
    const bool exists = !folder.startsWith(u"missing");
    QVERIFY(!exists || (QDir(m_dir.path()).mkpath(folder) && TestSupport::writeFile(file, "previous")));
    if (folder == u"readonly") // no write bit: refused even when running as root
        QVERIFY(QFile::setPermissions(path(folder), QFileDevice::ReadOwner | QFileDevice::ExeOwner));

    TestTarget source(TestTarget::Batch);
    source.all = { makeComment("Key", text) };
    QString error;
    const bool written = exportMetadataToVelmx(source, file, &error);
    QFile::setPermissions(path(folder), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QVERIFY(!written);
    QVERIFY(!error.isEmpty());
    if (exists)
        QCOMPARE(TestSupport::readFile(file), QByteArray("previous"));
    QVERIFY(!exportMetadataToVelmx(source, m_dir.path(), &error)); // a folder is no file
}

QTEST_GUILESS_MAIN(tst_VelmxFormat)
#include "tst_VelmxFormat.moc"
