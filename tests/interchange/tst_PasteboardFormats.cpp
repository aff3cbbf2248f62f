#include "CommentListTargetDoubles.h"
#include "TestSupport.h"
#include "interchange/PasteboardFormats.h"

#include <QMimeData>
#include <QRegularExpression>
#include <QtTest>

using namespace TestSupport;

class tst_PasteboardFormats : public QObject
{
    Q_OBJECT

private slots:
    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral(".*"))); }

    void writeRowsInListOrder()
    {
        QMimeData mime;
        mime.setData(QStringLiteral("image/png"), "stale");
        QVERIFY(writeRows(commentsFrom({ "A=1", "B=∅", "∅=3", "D=4 <&>" }), { 3, 1, 1, 17 }, &mime));
        QCOMPARE(mime.formats(), pasteboardTypes());
        QCOMPARE(mime.data(NSTabularTextPboardType), QByteArray("B\t\nD\t4 <&>"));
        QCOMPARE(mime.data(NSStringPboardType), mime.data(NSTabularTextPboardType));

        // One line, no declaration.
        QCOMPARE(mime.data(PasteboardMetadataXML),
            QByteArray("<PasteboardMetadataXML><comment keyword=\"B\" text=\"\"/>"
                       "<comment keyword=\"D\" text=\"4 &lt;&amp;&gt;\"/></PasteboardMetadataXML>"));
    }

    void writeNothing()
    {
        QMimeData mime;
        mime.setData(QStringLiteral("text/plain"), "keep");
        TestTarget target(TestTarget::Template, { "A=1" });
        QVERIFY(!writeRows(target, {}, &mime));
        QCOMPARE(mime.formats(), QStringList { "text/plain" });
        QCOMPARE(mime.data(QStringLiteral("text/plain")), QByteArray("keep"));

        target.all.clear();
        QVERIFY(writeAllCommentsToPasteboard(target, &mime));
        QCOMPARE(mime.formats(), pasteboardTypes());
        QCOMPARE(mime.data(PasteboardMetadataXML), QByteArray("<PasteboardMetadataXML/>"));
        QVERIFY(mime.data(NSStringPboardType).isEmpty());
    }

    void readTabularText_data()
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
    void readTabularText()
    {
        QFETCH(QString, text);
        QTEST(describe(commentsFromTabularText(text)), "expected");
    }

    void insert_data()
    {
        QTest::addColumn<TestTarget::Kind>("kind");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("forms"); // type, data, type, data …
        QTest::addColumn<qsizetype>("position");
        QTest::addColumn<QString>("log");
        QTest::addColumn<QStringList>("expected"); // empty: the paste fails and nothing changes

        const QString xml = PasteboardMetadataXML, tsv = NSTabularTextPboardType, plain = NSStringPboardType;
        const QString macros = R"(<x><c keyword="F" text="%FILENAME%"/><c keyword="G"/></x>)";
        const auto row = [](const char *name, TestTarget::Kind kind, const char *filter, const QStringList &forms,
                             qsizetype position, const char *log, const QStringList &expected) {
            QTest::newRow(name) << kind << QString(filter) << forms << position << QString(log) << expected;
        };
        using enum TestTarget::Kind;
        row("XML first, document expands", Document, "", { plain, "P\tq", xml, macros }, 1, "",
            { "A=1", "F=sunset", "G=", "B=2" });
        row("XML first, batch keeps", Batch, "", { xml, macros, plain, "P\tq" }, 1, "",
            { "A=1", "F=%FILENAME%", "G=∅", "B=2" });
        row("text never expands", Document, "", { tsv, "F\t%FILENAME%\nG", plain, "P" }, 0, "",
            { "F=%FILENAME%", "G=∅", "A=1", "B=2" });
        row("plain text, position past the end", Batch, "", { plain, "K\tv" }, 99, "", { "A=1", "B=2", "K=v" });
        row("negative position appends", Template, "", { tsv, "K\tv" }, -1, "", { "A=1", "B=2", "K=v" });
        row("filtered document", Document, "b", { tsv, "K\tv" }, 1, "", { "A=1", "B=2", "K=v", "Bx=3" });
        row("unparsable XML inserts nothing", Batch, "", { xml, "<oops", plain, "K" }, 0,
            "Pasted metadata XML not read.*", { "A=1", "B=2" });
        row("XML without data", Document, "", { xml, "", plain, "K" }, 0,
            "No data for requested type: PasteboardMetadataXML.", {});
        row("tabular text without data", Batch, "", { tsv, "", plain, "K" }, 0,
            "No data for requested type: NSTabularTextPboardType.", {});
        row("plain text without data", Template, "", { plain, "" }, 0,
            "No data for requested type: NSStringPboardType.", {});
        row("only an image", Document, "", { "image/png", "\x89PNG" }, 0, "No compatible paste types found.", {});
    }
    void insert()
    {
        QFETCH(TestTarget::Kind, kind);
        QFETCH(QString, filter);
        QFETCH(QStringList, forms);
        QFETCH(qsizetype, position);
        QFETCH(QString, log);
        QFETCH(QStringList, expected);

        TestTarget target(kind, { "A=1", "B=2" });
        if (!filter.isEmpty())
            target.all += commentsFrom({ "Bx=3" });
        target.filter = filter;
        const CommentList before = target.all;
        QMimeData mime;
        for (qsizetype i = 0; i + 1 < forms.size(); i += 2)
            mime.setData(forms[i], forms[i + 1].toUtf8());
        const QString pattern = log.endsWith(u'*') ? log : QRegularExpression::escape(log); // "…*": a pattern
        if (!log.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QRegularExpression::anchoredPattern(pattern)));

        QCOMPARE(insertDataFromPasteboard(target, &mime, position), !expected.isEmpty());
        QCOMPARE(describe(target.all), expected.isEmpty() ? describe(before) : expected);
    }
    void roundTrip()
    {
        TestTarget target(TestTarget::Batch),
            source(TestTarget::Batch,
                { "Author=Jane \"JD\" <Doe> & 'co'", "Description=one\ntwo\r\n\tthree", "日本 Key=emoji 😀\u00A0",
                    "Title=∅", "Bell=ring\x07 ring" });
        QMimeData mime;
        QVERIFY(writeRows(source, { 0, 1, 2, 3, 4 }, &mime));
        QVERIFY(insertDataFromPasteboard(target, &mime, 0));
        QCOMPARE(
            describe(target.all), (describe(source.all).mid(0, 3) + QStringList { "Title=", "Bell=ring\uFFFD ring" }));
    }
};

QTEST_GUILESS_MAIN(tst_PasteboardFormats)
#include "tst_PasteboardFormats.moc"
