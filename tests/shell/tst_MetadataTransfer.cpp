#include "TestSupport.h"
#include "shell/MetadataTransfer.h"

#include <QtTest>

using namespace TestSupport;

class tst_MetadataTransfer : public QObject
{
    Q_OBJECT

private slots:
    // The path an export writes (a typed metadata extension wins over the chosen format) and the
    // name the dialog shows once a format is chosen (a metadata extension follows it).
    void namesFollowTheFormat_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<QString>("written");
        QTest::addColumn<QString>("shown");
        const auto row = [](const char *name, const char *typed, MetadataFormat chosen, const char *written,
                             const char *shown) { QTest::newRow(name) << typed << int(chosen) << written << shown; };
        row("csv typed, velmx chosen", "/t/a.csv", MetadataFormat::Velmx, "/t/a.csv", "/t/a.velmx");
        row("upper case", "notes.CSV", MetadataFormat::Velmx, "notes.CSV", "notes.velmx");
        row("already the chosen one", "notes.csv", MetadataFormat::Csv, "notes.csv", "notes.csv");
        row("another extension: the chosen one added", "/t/a.txt", MetadataFormat::Velmx, "/t/a.txt.velmx", "/t/a.txt");
        row("dots before the extension", "a.b.velmx", MetadataFormat::Csv, "a.b.velmx", "a.b.csv");
        row("cancelled stays empty", "", MetadataFormat::Velmx, "", "");
    }
    void namesFollowTheFormat()
    {
        QFETCH(QString, typed);
        QFETCH(int, chosen);
        QTEST(exportPathFor(typed, MetadataFormat(chosen)), "written");
        QTEST(fileNameForFormat(typed, MetadataFormat(chosen)), "shown");
    }

    void separatorChoice_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept"); // what the combo box keeps of it
        QTest::addColumn<QChar>("separator");
        const auto row = [](const char *name, const QString &typed, const QString &kept, QChar separator) {
            QTest::newRow(name) << typed << kept << separator;
        };
        row("TAB CHARACTER", u"TAB CHARACTER"_qs, u"TAB CHARACTER"_qs, u'\t');
        row("SPACE CHARACTER", u"SPACE CHARACTER"_qs, u"SPACE CHARACTER"_qs, u' ');
        row("one character", u";"_qs, u";"_qs, u';');
        row("two characters: the first", u"|x"_qs, u"|"_qs, u'|');
        row("empty gives comma", QString(), QString(), u',');
        row("NUL gives comma", QString(QChar(0)), QString(QChar(0)), u',');
        row("a named choice half typed", u"TAB"_qs, u"T"_qs, u'T');
        row("a named choice in lower case", u"tab character"_qs, u"t"_qs, u't');
    }
    void separatorChoice()
    {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        QCOMPARE(CsvSeparatorChoice::editedText(typed), kept);
        QTEST(CsvSeparatorChoice::separatorFromText(typed), "separator");
        QTEST(CsvSeparatorChoice::separatorFromText(kept), "separator");
    }

    // Whether an entry travels is the delimited text parser's rule (its own tests go over
    // them); here: which entries are named, and how.
    void entriesDelimitedTextCannotCarry_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QStringList>("named");
        const auto row = [](const char *name, const QStringList &entries, QChar separator, const QStringList &named) {
            QTest::newRow(name) << entries << separator << named;
        };
        row("plain entries travel", { "Author=Ann Lee", "Title=Dusk at sea" }, u',', {});
        row("a tab with the tab separator", { "Note=a\tb" }, u'\t', { "Note" });
        row("an empty text travels", { "Title=" }, u',', {});
        row("no keyword", { "=orphan" }, u',', { "(an entry without keyword)" });
        row("several, in list order", { "B=x,y", "A=fine", "C=\"q\"" }, u',', { "B", "C" });
    }
    void entriesDelimitedTextCannotCarry()
    {
        QFETCH(QStringList, entries);
        QFETCH(QChar, separator);
        QTEST(::entriesDelimitedTextCannotCarry(commentsFrom(entries), separator), "named");
    }
};

QTEST_GUILESS_MAIN(tst_MetadataTransfer)
#include "tst_MetadataTransfer.moc"
