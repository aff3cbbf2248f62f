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
        const auto row = [](const char *name, const QString &text, QChar separator, const QStringList &expected) {
            QTest::newRow(name) << text << separator << expected;
        };
        row("quoted pair", u"\"Author\",\"Jane\""_qs, u',', { "Author=Jane" });
        row("no opening delimiter", u"Author,Jane"_qs, u',', {});
        row("opening separator", u",Author,Jane"_qs, u',', { "Author=Jane" });
        row("empty text", u"\"Title\",\"\""_qs, u',', { "Title=∅" });
        row("separator cuts the text", u"\"Note\",\"a, b\""_qs, u',', { "Note=a" });
        row("quote cuts, trailing space kept", u"\"Note\",\"say \"hi\"\""_qs, u',', { "Note=say " });
        row("leading whitespace skipped", u"\"Note\",\" \t\u00A0 padded\""_qs, u',', { "Note=padded" });
        row("inner spaces kept", u"\"My Key\",\"two  words\""_qs, u',', { "My Key=two  words" });
        row("text over two lines", u"\"A\",\"one\ntwo\"\n\"B\",\"x\"\n"_qs, u',', { "A=one", "B=x" });
        row("continuation starting with a quote", u"\"A\",\"one\n\"two\"\n"_qs, u',', { "A=one", "two=∅" });
        row("CRLF lines", u"\"A\",\"1\"\r\n\r\n\"B\",\"2\"\r\n"_qs, u',', { "A=1", "B=2" });
        row("blank comment", u"\"\",\"\""_qs, u',', {});
        row("empty keyword vanishes", u"\"\",\"hello\""_qs, u',', { "hello=∅" });
        row("whitespace ends the delimiter run", u"\u2028\"K\"\u00A0,\"v\""_qs, u',', { "K=∅" });
        row("other line ends are skipped", u"\u0085\u2029\"K\",\"v\u2028w\""_qs, u',', { "K=v\u2028w" });
        row("tab separator", u"\"Author\"\t\"Jane Doe\""_qs, u'\t', { "Author=Jane Doe" });
        row("quote separator", u"\"A\"\"B\""_qs, u'"', { "A=B" });
        row("only line feeds", u"\n\n\n"_qs, u',', {});
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

    // Into a document: the macros expand on the way in.
    void roundTrip_data()
    {
        QTest::addColumn<QChar>("separator");
        for (QChar separator : { u',', u'\t', u'|' })
            QTest::addRow("separator %d", separator.unicode()) << separator;
    }
    void roundTrip()
    {
        QFETCH(QChar, separator);
        QStringList pairs = { "Author=Jane Doe", "Ünïcødé 日本=emoji 😀 ü\u00A0ß", "Trailing=ends in spaces  ",
            "Title=∅", "Width=%WIDTH%" };
        if (separator != u',')
            pairs << "Commas=a, b, c";
        if (separator != u'\t')
            pairs << "Tabs=a\tb";
        TestTarget source(TestTarget::Document, pairs), target(TestTarget::Document);
        QString error;
        QVERIFY2(exportMetadataToCsv(source, path("round.csv"), separator, &error), qPrintable(error));
        QVERIFY2(importMetadataFromCsv(target, path("round.csv"), separator, false, &error), qPrintable(error));

        pairs.replace(3, "Title=");
        pairs.replace(4, "Width=640");
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
        QTest::newRow("100 MB of valid UTF-8") << QByteArray("@huge");
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
    }
};

QTEST_GUILESS_MAIN(tst_DelimitedTextFormat)
#include "tst_DelimitedTextFormat.moc"
