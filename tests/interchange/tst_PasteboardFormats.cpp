#include "CommentListTargetDoubles.h"
#include "interchange/MetadataXml.h"
#include "interchange/PasteboardFormats.h"

#include <QMimeData>
#include <QRegularExpression>
#include <QtTest>

class tst_PasteboardFormats : public QObject
{
    Q_OBJECT

private slots:
    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral(".*"))); }
    void writeRowsInListOrder();
    void writeNothing();
    void readTabularText_data();
    void readTabularText();
    void insert_data();
    void insert();
    void roundTrip_data() { addKindRows(); }
    void roundTrip();
};

void tst_PasteboardFormats::writeRowsInListOrder()
{
    QMimeData mime;
    mime.setData(QStringLiteral("image/png"), "stale");
    QVERIFY(writeRows(commentsFrom({ "A=1", "B=∅", "∅=3", "D=4 <&>" }), { 3, 1, 1, 17 }, &mime));
    QCOMPARE(mime.formats(), pasteboardTypes());
    QCOMPARE(mime.data(NSTabularTextPboardType), QByteArray("B\t\nD\t4 <&>"));
    QCOMPARE(mime.data(NSStringPboardType), mime.data(NSTabularTextPboardType));

    const QByteArray xml = mime.data(PasteboardMetadataXML);
    QVERIFY(!xml.startsWith("<?xml") && !xml.contains('\n'));
    MetadataXml::Content content;
    QVERIFY(MetadataXml::parse(xml, &content, nullptr));
    QCOMPARE(content.rootName, QStringLiteral("PasteboardMetadataXML"));
    QCOMPARE(describe(MetadataXml::comments(content.elements)), QStringList({ "B=", "D=4 <&>" }));
}

void tst_PasteboardFormats::writeNothing()
{
    QMimeData mime;
    mime.setData(QStringLiteral("text/plain"), "keep");
    TestTarget target(TestTarget::Template);
    target.all = commentsFrom({ "A=1" });
    QVERIFY(!writeRows(target, {}, &mime));
    QCOMPARE(mime.formats(), QStringList { "text/plain" });
    QCOMPARE(mime.data(QStringLiteral("text/plain")), QByteArray("keep"));

    target.all.clear();
    QVERIFY(writeAllCommentsToPasteboard(target, &mime));
    QCOMPARE(mime.formats(), pasteboardTypes());
    MetadataXml::Content content;
    QVERIFY(MetadataXml::parse(mime.data(PasteboardMetadataXML), &content, nullptr));
    QCOMPARE(content.elements.size(), 0);
    QVERIFY(mime.data(NSStringPboardType).isEmpty());
}

void tst_PasteboardFormats::readTabularText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("two lines") << "Author\tJane Doe\nTitle\tSunset"
                               << QStringList { "Author=Jane Doe", "Title=Sunset" };
    QTest::newRow("space ends the keyword") << "My Key\tvalue" << QStringList { "My=Key\tvalue" };
    QTest::newRow("text read past a line feed") << "a\t\nb\tc" << QStringList { "a=b\tc" };
    QTest::newRow("single word") << "Hello" << QStringList { "Hello=∅" };
    QTest::newRow("CRLF keeps the CR") << "A\t1\r\nB\t2\r\n" << QStringList { "A=1\r", "B=2\r" };
    QTest::newRow("keyword swallows a line end") << "A\nB C" << QStringList { "A\nB=C" };
    QTest::newRow("blanks only") << " \t\n\u2028\u00A0 " << QStringList {};
    QTest::newRow("Unicode blanks") << "  \n\u00A0Key\u3000 text with  spaces \u2028x \n"
                                    << QStringList { "Key=text with  spaces \u2028x " };
}

void tst_PasteboardFormats::readTabularText()
{
    QFETCH(QString, text);
    QFETCH(QStringList, expected);
    QCOMPARE(describe(commentsFromTabularText(text)), expected);
}

void tst_PasteboardFormats::insert_data()
{
    QTest::addColumn<TestTarget::Kind>("kind");
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QStringList>("forms"); // type, data, type, data …
    QTest::addColumn<qsizetype>("position");
    QTest::addColumn<QString>("log");
    QTest::addColumn<QStringList>("expected"); // empty: the paste fails and nothing changes

    const QString xml = PasteboardMetadataXML, tsv = NSTabularTextPboardType, plain = NSStringPboardType;
    const QString macros = R"(<x><c keyword="F" text="%FILENAME%"/><c keyword="G"/></x>)";
    QTest::newRow("XML first, document expands")
        << TestTarget::Document << "" << QStringList { plain, "P\tq", xml, macros } << qsizetype(1) << ""
        << QStringList { "A=1", "F=sunset", "G=", "B=2" };
    QTest::newRow("XML first, batch keeps")
        << TestTarget::Batch << "" << QStringList { xml, macros, plain, "P\tq" } << qsizetype(1) << ""
        << QStringList { "A=1", "F=%FILENAME%", "G=∅", "B=2" };
    QTest::newRow("text never expands") << TestTarget::Document << ""
                                        << QStringList { tsv, "F\t%FILENAME%\nG", plain, "P" } << qsizetype(0) << ""
                                        << QStringList { "F=%FILENAME%", "G=∅", "A=1", "B=2" };
    QTest::newRow("plain text, position past the end") << TestTarget::Batch << "" << QStringList { plain, "K\tv" }
                                                       << qsizetype(99) << "" << QStringList { "A=1", "B=2", "K=v" };
    QTest::newRow("negative position appends") << TestTarget::Template << "" << QStringList { tsv, "K\tv" }
                                               << qsizetype(-1) << "" << QStringList { "A=1", "B=2", "K=v" };
    QTest::newRow("filtered document") << TestTarget::Document << "b" << QStringList { tsv, "K\tv" } << qsizetype(1)
                                       << "" << QStringList { "A=1", "B=2", "K=v", "Bx=3" };
    QTest::newRow("unparsable XML inserts nothing")
        << TestTarget::Batch << "" << QStringList { xml, "<oops", plain, "K" } << qsizetype(0)
        << "Pasted metadata XML not read.*" << QStringList { "A=1", "B=2" };
    QTest::newRow("XML without data") << TestTarget::Document << "" << QStringList { xml, "", plain, "K" }
                                      << qsizetype(0) << "No data for requested type: PasteboardMetadataXML."
                                      << QStringList {};
    QTest::newRow("tabular text without data")
        << TestTarget::Batch << "" << QStringList { tsv, "", plain, "K" } << qsizetype(0)
        << "No data for requested type: NSTabularTextPboardType." << QStringList {};
    QTest::newRow("plain text without data") << TestTarget::Template << "" << QStringList { plain, "" } << qsizetype(0)
                                             << "No data for requested type: NSStringPboardType." << QStringList {};
    QTest::newRow("only an image") << TestTarget::Document << "" << QStringList { "image/png", "\x89PNG" }
                                   << qsizetype(0) << "No compatible paste types found." << QStringList {};
}

void tst_PasteboardFormats::insert()
{
    QFETCH(TestTarget::Kind, kind);
    QFETCH(QString, filter);
    QFETCH(QStringList, forms);
    QFETCH(qsizetype, position);
    QFETCH(QString, log);
    QFETCH(QStringList, expected);

    TestTarget target(kind);
    target.all = commentsFrom({ "A=1", "B=2" });
    if (!filter.isEmpty())
        target.all.append(makeComment(QStringLiteral("Bx"), QStringLiteral("3")));
    target.filter = filter;
    const CommentList before = target.all;
    QMimeData mime;
    for (qsizetype i = 0; i + 1 < forms.size(); i += 2)
        mime.setData(forms[i], forms[i + 1].toUtf8());
    if (!log.isEmpty())
        QTest::ignoreMessage(QtWarningMsg,
            QRegularExpression(
                QRegularExpression::anchoredPattern(log.endsWith(u'*') ? log : QRegularExpression::escape(log))));

    const bool pasted = insertDataFromPasteboard(target, &mime, position);
    QCOMPARE(pasted, !expected.isEmpty());
    QCOMPARE(target.pastes, pasted ? 1 : 0);
    if (!pasted) {
        QCOMPARE(target.all, before);
        return;
    }
    QCOMPARE(describe(target.all), expected);
    for (const auto &c : target.all)
        QCOMPARE(c->container(), before.contains(c) ? nullptr : static_cast<CommentContainer *>(&target));
}

void tst_PasteboardFormats::roundTrip()
{
    QFETCH(TestTarget::Kind, kind);
    TestTarget source(kind), target(kind);
    source.all = commentsFrom({ "Author=Jane \"JD\" <Doe> & 'co'", "Description=one\ntwo\r\n\tthree",
        "日本 Key=emoji 😀\u00A0", "Title=∅", "Bell=ring\x07 ring" });
    QMimeData mime;
    QVERIFY(writeRows(source, { 0, 1, 2, 3, 4 }, &mime));
    QVERIFY(insertDataFromPasteboard(target, &mime, 0));
    QCOMPARE(describe(target.all),
        QStringList({ "Author=Jane \"JD\" <Doe> & 'co'", "Description=one\ntwo\r\n\tthree", "日本 Key=emoji 😀\u00A0",
            "Title=", "Bell=ring\uFFFD ring" }));

    // Without the XML form the text form carries what has no blanks in the keyword.
    mime.setData(PasteboardMetadataXML, QByteArray());
    QMimeData textOnly;
    textOnly.setData(NSStringPboardType, mime.data(NSStringPboardType));
    target.all.clear();
    QVERIFY(insertDataFromPasteboard(target, &textOnly, 0));
    QCOMPARE(describe(target.all).first(), QStringLiteral("Author=Jane \"JD\" <Doe> & 'co'"));
}

QTEST_GUILESS_MAIN(tst_PasteboardFormats)
#include "tst_PasteboardFormats.moc"
