#include "TestSupport.h"
#include "commentlist/CommentListOwner.h"
#include "shell/MetadataTransfer.h"

#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

class tst_MetadataTransfer : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_list = std::make_unique<CommentListOwner>();
        m_list->resetComments(commentsFrom({ "Author=Ann", "Title=Dusk" }));
    }

    void formatByExtension_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<int>("format");
        QTest::newRow("velmx") << "/t/a.velmx" << int(MetadataFormat::Velmx);
        QTest::newRow("velmx in capitals") << "/t/a.VELMX" << int(MetadataFormat::Velmx);
        QTest::newRow("csv mixed case") << "/t/a.Csv" << int(MetadataFormat::Csv);
        QTest::newRow("only the last extension counts") << "/t/a.csv.txt" << int(MetadataFormat::Unknown);
        QTest::newRow("no extension") << "/t/velmx" << int(MetadataFormat::Unknown);
        QTest::newRow("a folder named like one") << "/t.csv/a" << int(MetadataFormat::Unknown);
    }
    void formatByExtension()
    {
        QFETCH(QString, path);
        QFETCH(int, format);
        QCOMPARE(int(metadataFormatForPath(path)), format);
    }

    void exportPathKeepsTheTypedExtension_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<QString>("written");
        QTest::newRow("no extension: the chosen one") << "/t/a" << int(MetadataFormat::Csv) << "/t/a.csv";
        QTest::newRow("typed csv wins over velmx") << "/t/a.csv" << int(MetadataFormat::Velmx) << "/t/a.csv";
        QTest::newRow("typed in capitals kept") << "/t/a.VELMX" << int(MetadataFormat::Csv) << "/t/a.VELMX";
        QTest::newRow("another extension gets one added")
            << "/t/a.txt" << int(MetadataFormat::Velmx) << "/t/a.txt.velmx";
        QTest::newRow("cancelled stays empty") << "" << int(MetadataFormat::Velmx) << "";
    }
    void exportPathKeepsTheTypedExtension()
    {
        QFETCH(QString, typed);
        QFETCH(int, chosen);
        QFETCH(QString, written);
        QCOMPARE(exportPathFor(typed, MetadataFormat(chosen)), written);
    }

    void typedNameFollowsTheChosenFormat_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("chosen");
        QTest::addColumn<QString>("shown");
        QTest::newRow("velmx becomes csv") << "notes.velmx" << int(MetadataFormat::Csv) << "notes.csv";
        QTest::newRow("CSV becomes velmx") << "notes.CSV" << int(MetadataFormat::Velmx) << "notes.velmx";
        QTest::newRow("already the chosen one") << "notes.csv" << int(MetadataFormat::Csv) << "notes.csv";
        QTest::newRow("no extension stays") << "notes" << int(MetadataFormat::Csv) << "notes";
        QTest::newRow("another extension stays") << "notes.txt" << int(MetadataFormat::Velmx) << "notes.txt";
        QTest::newRow("dots before the extension") << "a.b.velmx" << int(MetadataFormat::Csv) << "a.b.csv";
    }
    void typedNameFollowsTheChosenFormat()
    {
        QFETCH(QString, typed);
        QFETCH(int, chosen);
        QFETCH(QString, shown);
        QCOMPARE(fileNameForFormat(typed, MetadataFormat(chosen)), shown);
    }

    void separatorFromComboText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QChar>("separator");
        QTest::newRow("TAB CHARACTER") << "TAB CHARACTER" << QChar(u'\t');
        QTest::newRow("SPACE CHARACTER") << "SPACE CHARACTER" << QChar(u' ');
        QTest::newRow("one character") << ";" << QChar(u';');
        QTest::newRow("first of several") << "|x" << QChar(u'|');
        QTest::newRow("empty gives comma") << "" << QChar(u',');
        QTest::newRow("NUL gives comma") << QString(QChar(0)) << QChar(u',');
        QTest::newRow("named choice in lower case is a t") << "tab character" << QChar(u't');
    }
    void separatorFromComboText()
    {
        QFETCH(QString, text);
        QFETCH(QChar, separator);
        QCOMPARE(CsvSeparatorChoice::separatorFromText(text), separator);
    }

    void comboKeepsOneTypedCharacter_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("kept");
        QTest::newRow("two characters: the first") << ";;"
                                                   << ";";
        QTest::newRow("one character") << "|"
                                       << "|";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("the named tab") << "TAB CHARACTER"
                                       << "TAB CHARACTER";
        QTest::newRow("the named space") << "SPACE CHARACTER"
                                         << "SPACE CHARACTER";
        QTest::newRow("a named choice half typed") << "TAB"
                                                   << "T";
    }
    void comboKeepsOneTypedCharacter()
    {
        QFETCH(QString, typed);
        QFETCH(QString, kept);
        QCOMPARE(CsvSeparatorChoice::editedText(typed), kept);
    }

    void entriesDelimitedTextCannotCarry_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<QChar>("separator");
        QTest::addColumn<QStringList>("named");
        QTest::newRow("plain entries travel")
            << QStringList { "Author=Ann Lee", "Title=Dusk at sea" } << QChar(u',') << QStringList {};
        QTest::newRow("the separator in a text")
            << QStringList { "Author=Smith, John", "Title=Dusk" } << QChar(u',') << QStringList { "Author" };
        QTest::newRow("a comma with another separator travels")
            << QStringList { "Author=Smith, John" } << QChar(u'\t') << QStringList {};
        QTest::newRow("a tab with the tab separator")
            << QStringList { "Note=a\tb" } << QChar(u'\t') << QStringList { "Note" };
        QTest::newRow("a quote in a keyword")
            << QStringList { "Say \"hi\"=x" } << QChar(u',') << QStringList { "Say \"hi\"" };
        QTest::newRow("a line break in a text")
            << QStringList { "Description=one\ntwo" } << QChar(u',') << QStringList { "Description" };
        QTest::newRow("blanks before a text")
            << QStringList { "Title=  indented" } << QChar(u',') << QStringList { "Title" };
        QTest::newRow("blanks inside a text travel") << QStringList { "Title=a  b " } << QChar(u',') << QStringList {};
        QTest::newRow("an empty text travels") << QStringList { "Title=" } << QChar(u',') << QStringList {};
        QTest::newRow("no keyword") << QStringList { "=orphan" } << QChar(u',')
                                    << QStringList { "(an entry without keyword)" };
        QTest::newRow("several, in list order")
            << QStringList { "B=x,y", "A=fine", "C=\"q\"" } << QChar(u',') << QStringList { "B", "C" };
    }
    void entriesDelimitedTextCannotCarry()
    {
        QFETCH(QStringList, entries);
        QFETCH(QChar, separator);
        QFETCH(QStringList, named);
        QCOMPARE(::entriesDelimitedTextCannotCarry(commentsFrom(entries), separator), named);
    }

    void roundTripThroughBothFormats_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("velmx") << "out.velmx";
        QTest::newRow("csv") << "out.csv";
        QTest::newRow("csv in capitals") << "OUT.CSV";
    }
    void roundTripThroughBothFormats()
    {
        QFETCH(QString, name);
        const QString path = m_dir->filePath(name);
        QString error;
        QVERIFY2(exportMetadata(*m_list, path, u';', &error), qPrintable(error));
        CommentListOwner other;
        other.resetComments(commentsFrom({ "Keep=me" }));
        QVERIFY2(importMetadata(other, { path, u';', false, false }, &error), qPrintable(error));
        QCOMPARE(describe(other.comments()), QStringList({ "Keep=me", "Author=Ann", "Title=Dusk" }));
    }

    void exportsTheArrangedList()
    {
        // A document exports what its filter shows: the owner's arranged list.
        const QString path = m_dir->filePath(QStringLiteral("out.csv"));
        QVERIFY(exportMetadata(*m_list, path, u',', nullptr));
        QCOMPARE(readFile(path), QByteArray("\"Author\",\"Ann\"\n\"Title\",\"Dusk\"\n"));
    }

    void clearsOnlyOnceTheFileWasRead_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("contents");
        QTest::newRow("missing file") << "missing.velmx" << QByteArray();
        QTest::newRow("malformed XML") << "bad.velmx" << QByteArray("<comments><comment");
        QTest::newRow("not UTF-8") << "bad.csv" << QByteArray("\"A\",\"\xff\xfe\"\n");
        QTest::newRow("another extension") << "notes.txt" << QByteArray("\"A\",\"b\"\n");
        QTest::newRow("velmx extension in capitals, wrong contents") << "x.VELMX" << QByteArray("plain");
    }
    void clearsOnlyOnceTheFileWasRead()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, contents);
        const QString path = m_dir->filePath(name);
        if (!contents.isNull())
            QVERIFY(writeFile(path, contents));
        QString error;
        QVERIFY(!importMetadata(*m_list, { path, u',', false, true }, &error));
        QVERIFY(!error.isEmpty());
        QCOMPARE(describe(m_list->comments()), QStringList({ "Author=Ann", "Title=Dusk" }));
        QVERIFY(!m_list->undoStack()->canUndo());
    }

    void importOptions_data()
    {
        QTest::addColumn<bool>("unique");
        QTest::addColumn<bool>("clear");
        QTest::addColumn<QStringList>("after");
        QTest::newRow("appends") << false << false << QStringList { "Author=Ann", "Title=Dusk", "Author=Bo", "X=y" };
        QTest::newRow("unique keywords replace") << true << false << QStringList { "Title=Dusk", "Author=Bo", "X=y" };
        QTest::newRow("clear existing first") << false << true << QStringList { "Author=Bo", "X=y" };
    }
    void importOptions()
    {
        QFETCH(bool, unique);
        QFETCH(bool, clear);
        QFETCH(QStringList, after);
        const QString path = m_dir->filePath(QStringLiteral("in.CSV"));
        QVERIFY(writeFile(path, "\"Author\"|\"Bo\"\n\"X\"|\"y\"\n"));
        QVERIFY(importMetadata(*m_list, { path, u'|', unique, clear }, nullptr));
        QCOMPARE(describe(m_list->comments()), after);
        // One step, undone whole.
        m_list->undoStack()->undo();
        QCOMPARE(describe(m_list->comments()), QStringList({ "Author=Ann", "Title=Dusk" }));
    }

    void exportFailures()
    {
        QString error;
        QVERIFY(!exportMetadata(*m_list, m_dir->filePath(QStringLiteral("out.txt")), u',', &error));
        QVERIFY(error.contains(u"out.txt"_qs));
        QVERIFY(!QFile::exists(m_dir->filePath(QStringLiteral("out.txt"))));
        error.clear();
        QVERIFY(!exportMetadata(*m_list, m_dir->filePath(QStringLiteral("no/such/folder/out.velmx")), u',', &error));
        QVERIFY(!error.isEmpty());
    }

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<CommentListOwner> m_list;
};

QTEST_GUILESS_MAIN(tst_MetadataTransfer)
#include "tst_MetadataTransfer.moc"
