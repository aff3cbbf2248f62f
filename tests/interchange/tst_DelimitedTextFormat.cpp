#include "CommentListTargetDoubles.h"
#include "TestSupport.h"
#include "interchange/DelimitedTextFormat.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

class tst_DelimitedTextFormat : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private slots:
    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QStringList>("expected");
        const QChar comma(u',');
        QTest::newRow("quoted pair") << R"("Author","Jane")" << comma << QStringList { "Author=Jane" };
        QTest::newRow("no opening delimiter") << "Author,Jane" << comma << QStringList {};
        QTest::newRow("opening separator") << ",Author,Jane" << comma << QStringList { "Author=Jane" };
        QTest::newRow("empty text") << R"("Title","")" << comma << QStringList { "Title=∅" };
        QTest::newRow("separator cuts the text") << R"("Note","a, b")" << comma << QStringList { "Note=a" };
        QTest::newRow("quote cuts, trailing space kept")
            << R"("Note","say "hi"")" << comma << QStringList { "Note=say " };
        QTest::newRow("leading whitespace skipped")
            << "\"Note\",\" \t\u00A0 padded\"" << comma << QStringList { "Note=padded" };
        QTest::newRow("inner spaces kept")
            << R"("My Key","two  words")" << comma << QStringList { "My Key=two  words" };
        QTest::newRow("text over two lines") << "\"A\",\"one\ntwo\"\n\"B\",\"x\"\n"
                                             << comma << QStringList { "A=one", "B=x" };
        QTest::newRow("continuation starting with a quote") << "\"A\",\"one\n\"two\"\n"
                                                            << comma << QStringList { "A=one", "two=∅" };
        QTest::newRow("CRLF lines") << "\"A\",\"1\"\r\n\r\n\"B\",\"2\"\r\n" << comma << QStringList { "A=1", "B=2" };
        QTest::newRow("blank comment") << R"("","")" << comma << QStringList {};
        QTest::newRow("empty keyword vanishes") << R"("","hello")" << comma << QStringList { "hello=∅" };
        QTest::newRow("whitespace ends the delimiter run")
            << "\u2028\"K\"\u00A0,\"v\"" << comma << QStringList { "K=∅" };
        QTest::newRow("other line ends are skipped")
            << "\u0085\u2029\"K\",\"v\u2028w\"" << comma << QStringList { "K=v\u2028w" };
        QTest::newRow("tab separator") << "\"Author\"\t\"Jane Doe\"" << QChar(u'\t')
                                       << QStringList { "Author=Jane Doe" };
        QTest::newRow("space separator") << R"("Author" "Jane Doe")" << QChar(u' ') << QStringList { "Author=Jane" };
        QTest::newRow("quote separator") << R"("A""B")" << QChar(u'"') << QStringList { "A=B" };
        QTest::newRow("only line feeds") << "\n\n\n" << comma << QStringList {};
    }
    void parse()
    {
        QFETCH(QString, text);
        QFETCH(QChar, separator);
        QTEST(describe(parseDelimitedText(text, separator)), "expected");
    }

    void exportForm()
    {
        TestTarget source(TestTarget::Batch, { "Author=Jane", "∅=∅", "Note=with \"quote\"; and\nbreak" });
        QVERIFY(exportMetadataToCsv(source, path("form.csv"), u';'));
        QCOMPARE(readFile(path("form.csv")),
            QByteArray("\"Author\";\"Jane\"\n\"\";\"\"\n\"Note\";\"with \"quote\"; and\nbreak\"\n"));
    }

    void roundTrip_data()
    {
        QTest::addColumn<TestTarget::Kind>("kind");
        QTest::addColumn<QChar>("separator");
        using enum TestTarget::Kind;
        for (auto [name, kind] : { std::pair("document", Document), { "batch", Batch }, { "template", Template } })
            for (QChar separator : { u',', u'\t', u'|' })
                QTest::addRow("%s, separator %d", name, separator.unicode()) << kind << separator;
    }
    void roundTrip()
    {
        QFETCH(TestTarget::Kind, kind);
        QFETCH(QChar, separator);
        QStringList pairs = { "Author=Jane Doe", "Ünïcødé 日本=emoji 😀 ü\u00A0ß", "Trailing=ends in spaces  ",
            "Title=∅", "Width=%WIDTH%" };
        if (separator != u',')
            pairs << "Commas=a, b, c";
        if (separator != u'\t')
            pairs << "Tabs=a\tb";
        TestTarget source(kind, pairs), target(kind);
        QString error;
        QVERIFY2(exportMetadataToCsv(source, path("round.csv"), separator, &error), qPrintable(error));
        QVERIFY2(importMetadataFromCsv(target, path("round.csv"), separator, false, &error), qPrintable(error));

        if (kind == TestTarget::Document) {
            pairs.replace(3, "Title=");
            pairs.replace(4, "Width=640");
        }
        QCOMPARE(describe(target.all), pairs);
    }

    void import_data()
    {
        QTest::addColumn<TestTarget::Kind>("kind");
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("replace");
        QTest::addColumn<QStringList>("expected");
        using enum TestTarget::Kind; // the target holds Old=o
        QTest::newRow("byte order mark dropped")
            << Batch << QByteArray("\xEF\xBB\xBF\"A\",\"1\"\n") << false << QStringList { "Old=o", "A=1" };
        QTest::newRow("replace keeps the last line of a keyword")
            << Batch << QByteArray("\"Old\",\"1\"\n\"Old\",\"2\"\n\"old\",\"3\"") << true
            << QStringList { "Old=2", "old=3" };
        QTest::newRow("document stores an empty text")
            << Document << QByteArray("\"T\",\"\"") << false << QStringList { "Old=o", "T=" };
        QTest::newRow("no comments") << Template << QByteArray("no quotes here\n") << true << QStringList { "Old=o" };
    }
    void import()
    {
        QFETCH(TestTarget::Kind, kind);
        QFETCH(QByteArray, content);
        QFETCH(bool, replace);
        TestTarget target(kind, { "Old=o" });
        QVERIFY(writeFile(path("in.csv"), content));
        QVERIFY(importMetadataFromCsv(target, path("in.csv"), u',', replace));
        QTEST(describe(target.all), "expected");
    }

    void badInput_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("invalid byte") << QByteArray("\"A\",\"\xC3\x28\"\n");
        QTest::newRow("sequence cut off at the end") << QByteArray("\"A\",\"\xE2\x82");
        QTest::newRow("encoded surrogate") << QByteArray("\"A\",\"\xED\xA0\x80\"");
        QTest::newRow("overlong form") << QByteArray("\"A\",\"\xC0\xAF\"");
        QTest::newRow("100 MB of valid UTF-8") << QByteArray("@huge");
        QTest::newRow("folder") << QByteArray("@folder");
    }
    void badInput()
    {
        QFETCH(QByteArray, content);
        QVERIFY(makeBadInput(path("bad.csv"), content));
        TestTarget target(TestTarget::Document, { "A=old" });
        const CommentList before = target.all;
        QString error;
        QVERIFY(!importMetadataFromCsv(target, path("bad.csv"), u',', true, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(target.all, before);
        QVERIFY(!exportMetadataToCsv(target, path("missing/out.csv"), u',', &error));
    }
};

QTEST_GUILESS_MAIN(tst_DelimitedTextFormat)
#include "tst_DelimitedTextFormat.moc"
