#include "TestSupport.h"
#include "core/PNGReader.h"
#include "core/SourceFile.h"
#include "core/Strings.h"
#include "document/PNGDoc.h"
#include "interchange/PasteboardFormats.h"
#include "interchange/VelmxFormat.h"

#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

namespace {

// Fills a document from "keyword=text" pairs ("=text": no keyword) and leaves it unmodified.
void fill(PNGDoc &doc, const QStringList &pairs)
{
    for (const QString &pair : pairs) {
        const qsizetype eq = pair.indexOf(u'=');
        if (eq == 0)
            doc.insertObject(makeComment(QString(), pair.mid(1)), doc.rowCount());
        else
            doc.addText(pair.mid(eq + 1), pair.left(eq));
    }
    doc.setModified(false);
}

QStringList keywords(const CommentList &comments)
{
    QStringList result;
    for (const auto &c : comments)
        result << c->keyword();
    return result;
}

} // namespace

enum class Removal { OneByOne, OneStep };

class tst_PNGDoc : public QObject
{
    Q_OBJECT

private slots:
    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral(".*"))); }

    // --- Arranged list and list operations ----------------------------------------------------
    void searchFilter_data()
    {
        QTest::addColumn<QString>("search");
        QTest::addColumn<QStringList>("keywords");
        const QStringList all { "Author", "Title", "Author2", "", "camera AUTH" };
        QTest::newRow("no search") << "" << all;
        QTest::newRow("spaces only show everything") << "  \t\u3000 " << all;
        QTest::newRow("contains, any case") << "auth" << QStringList { "Author", "Author2", "camera AUTH" };
        QTest::newRow("blanks around are trimmed")
            << " \tAuth\u00A0 " << QStringList { "Author", "Author2", "camera AUTH" };
        QTest::newRow("line ends are not trimmed") << "\nAuth" << QStringList {};
        QTest::newRow("texts are not searched") << "Ann" << QStringList {};
        QTest::newRow("inner space kept") << "a a" << QStringList { "camera AUTH" };
    }
    void searchFilter()
    {
        QFETCH(QString, search);
        QFETCH(QStringList, keywords);
        PNGDoc doc;
        fill(doc, { "Author=Ann", "Title=Sunset", "Author2=Ann", "=Ann", "camera AUTH=x" });
        doc.setSearchText(search);
        QCOMPARE(::keywords(doc.comments()), keywords);
        QCOMPARE(doc.rowCount(), keywords.size());
        QCOMPARE(doc.allComments().size(), 5);
        QVERIFY(!doc.isModified());
    }

    void filteredRemovalsKeepHiddenComments()
    {
        PNGDoc doc;
        fill(doc, { "Author=a", "Title=t", "Author2=b", "Author=c" });
        doc.setSearchText(QStringLiteral("tit"));
        doc.removeCommentsForKey(QStringLiteral("Author"));
        QCOMPARE(doc.allComments().size(), 4);
        // Nothing changed, so nothing is recorded and the document is not modified.
        QVERIFY(!doc.isModified());

        doc.setSearchText(QStringLiteral("auth"));
        doc.removeCommentsForKey(QStringLiteral("Author"));
        QCOMPARE(describe(doc.allComments()), QStringList({ "Title=t", "Author2=b" }));
        doc.deleteAll();
        QCOMPARE(describe(doc.allComments()), QStringList { "Title=t" });
        QCOMPARE(doc.searchText(), QStringLiteral("auth"));

        QVERIFY(doc.isModified());
        doc.setModified(false);
        doc.removeAllFields();
        QCOMPARE(doc.allComments().size(), 1);
        QVERIFY(!doc.isModified());
    }

    void removeRows_data()
    {
        QTest::addColumn<Removal>("removal");
        QTest::addColumn<QString>("search");
        QTest::addColumn<QList<int>>("rows");
        QTest::addColumn<QStringList>("left");
        QTest::addColumn<bool>("modified");
        const QStringList five { "k0", "k1", "k2", "k3", "k4" };
        for (auto removal : { Removal::OneByOne, Removal::OneStep }) {
            const char *name = removal == Removal::OneByOne ? "remove" : "delete";
            QTest::addRow("%s rows 1 and 3", name)
                << removal << "" << QList<int> { 1, 3 } << QStringList { "k0", "k2", "k4" } << true;
            QTest::addRow("%s unsorted with repeats", name)
                << removal << "" << QList<int> { 3, 1, 3 } << QStringList { "k0", "k2", "k4" } << true;
            QTest::addRow("%s rows outside", name) << removal << "" << QList<int> { -1, 5 } << five << false;
            QTest::addRow("%s rows of the filtered list", name)
                << removal << "a" << QList<int> { 1 } << QStringList { "a0", "b1", "b3", "a4" } << true;
        }
        QTest::newRow("remove without selection") << Removal::OneByOne << "" << QList<int> {} << five << false;
        QTest::newRow("delete without selection") << Removal::OneStep << "" << QList<int> {} << five << false;
    }
    void removeRows()
    {
        QFETCH(Removal, removal);
        QFETCH(QString, search);
        QFETCH(QList<int>, rows);
        PNGDoc doc;
        const QStringList plain { "k0=", "k1=", "k2=", "k3=", "k4=" }, mixed { "a0=", "b1=", "a2=", "b3=", "a4=" };
        fill(doc, search.isEmpty() ? plain : mixed);
        doc.setSearchText(search);
        if (removal == Removal::OneByOne)
            doc.removeMetadataField(rows);
        else
            doc.deleteRows(rows);
        QTEST(keywords(doc.allComments()), "left");
        QTEST(doc.isModified(), "modified");
    }

    // --- Clipboard and drag ---------------------------------------------------------------
    void paste_data()
    {
        QTest::addColumn<QString>("search");
        QTest::addColumn<int>("selectedRow");
        QTest::addColumn<QStringList>("pasted");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<bool>("filterKept");
        // The document holds A, B, C and D.
        const QStringList ab { "A=a", "B=b" }, cd { "C=c", "D=d" }, xy { "X=x", "Y=y" }, cx { "Cx=1" };
        QTest::newRow("before the selected row") << "" << 2 << xy << ab + xy + cd << true;
        QTest::newRow("no selection appends") << "" << -1 << xy << ab + cd + xy << true;
        QTest::newRow("past the end appends") << "" << 9 << xy << ab + cd + xy << true;
        // Filter "c" shows C only: row 0 is C; the end of the arranged list is the end of all.
        QTest::newRow("filtered, before row 0") << "c" << 0 << cx << ab + cx + cd << true;
        QTest::newRow("filtered, appended") << "c" << -1 << cx << ab + cd + cx << true;
        QTest::newRow("filter hiding the pasted goes") << "c" << 0 << xy << ab + xy + cd << false;
    }
    void paste()
    {
        QFETCH(QString, search);
        QFETCH(int, selectedRow);
        QFETCH(QStringList, pasted);
        QFETCH(bool, filterKept);
        PNGDoc doc;
        fill(doc, { "A=a", "B=b", "C=c", "D=d" });
        doc.setSearchText(search);
        QMimeData clipboard;
        writeComments(commentsFrom(pasted), &clipboard);
        QVERIFY(doc.paste(&clipboard, selectedRow));
        QTEST(describe(doc.allComments()), "expected");
        QCOMPARE(doc.searchText(), filterKept ? search : QString());
        QVERIFY(doc.isModified());
        QCOMPARE(doc.undoStack()->undoText(), QStringLiteral("Paste"));
    }

    void drop_data()
    {
        QTest::addColumn<QList<int>>("dragged");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("fromThisTable");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("rows 0 and 1 onto row 3")
            << QList<int> { 0, 1 } << 3 << true << QStringList { "k2", "k0", "k1", "k3" };
        QTest::newRow("row 3 to the top") << QList<int> { 3 } << 0 << true << QStringList { "k3", "k0", "k1", "k2" };
        QTest::newRow("negative row is the end")
            << QList<int> { 0, 1 } << -1 << true << QStringList { "k2", "k3", "k0", "k1" };
        QTest::newRow("row past the end") << QList<int> { 1 } << 40 << true << QStringList { "k0", "k2", "k3", "k1" };
        QTest::newRow("from elsewhere copies")
            << QList<int> { 0, 1 } << 3 << false << QStringList { "k0", "k1", "k2", "k0", "k1", "k3" };
    }
    void drop()
    {
        QFETCH(QList<int>, dragged);
        QFETCH(int, row);
        QFETCH(bool, fromThisTable);
        PNGDoc doc;
        fill(doc, { "k0=", "k1=", "k2=", "k3=" });
        QMimeData mime;
        QVERIFY(doc.beginDrag(dragged, &mime));
        QCOMPARE(doc.draggedRows(), std::optional<QList<int>>(dragged));

        QVERIFY(doc.acceptDrop(&mime, row, fromThisTable));
        QTEST(keywords(doc.allComments()), "expected");
        QVERIFY(doc.isModified());
        QCOMPARE(doc.draggedRows().has_value(), !fromThisTable);
    }

    void dropWithinTableMovesTheComments()
    {
        PNGDoc doc;
        fill(doc, { "k0=", "k1=" });
        auto international = makeComment(u"Title"_qs, u"Titel"_qs);
        international->setInternational(u"de"_qs, u"Titel"_qs);
        doc.insertObject(makeComment(u"Note"_qs, u"100% sure, see %WIDTH%"_qs), 0);
        doc.insertObject(international, 1);
        const CommentPtr plain = doc.commentAt(0);
        international = doc.commentAt(1);
        doc.setModified(false);
        QMimeData mime;
        QVERIFY(doc.beginDrag({ 1, 0 }, &mime));
        QVERIFY(doc.acceptDrop(&mime, 3, true));
        QCOMPARE(doc.allComments().size(), 4);
        QCOMPARE(doc.allComments().at(1), plain);
        QCOMPARE(doc.allComments().at(2), international);
        QCOMPARE(plain->text(), u"100% sure, see %WIDTH%"_qs);
        QCOMPARE(international->language(), u"de"_qs);
        QVERIFY(doc.isModified());
    }

    void failedPasteOrDropKeepsComments()
    {
        PNGDoc doc;
        fill(doc, { "k0=", "k1=" });
        QMimeData image;
        image.setData(QStringLiteral("image/png"), "\x89PNG");
        for (const QMimeData *clipboard : { &image, static_cast<QMimeData *>(nullptr) }) {
            QTest::ignoreMessage(QtWarningMsg, "No compatible paste types found.");
            QVERIFY(!doc.paste(clipboard, 0));
        }
        QVERIFY(!doc.isModified());

        QMimeData unreadable;
        unreadable.setData(PasteboardMetadataXML, "<PasteboardMetadataXML><comment");
        QMimeData dragged;
        QVERIFY(doc.beginDrag({ 0 }, &dragged));
        // An XML form that does not parse is a paste of nothing: the originals must stay.
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Pasted metadata XML not read")));
        QVERIFY(doc.acceptDrop(&unreadable, 1, true));
        QCOMPARE(doc.allComments().size(), 2);
        QVERIFY(!doc.draggedRows());

        QVERIFY(doc.beginDrag({ 1 }, &dragged));
        QTest::ignoreMessage(QtWarningMsg, "No compatible paste types found.");
        QVERIFY(!doc.acceptDrop(&image, 0, true));
        QCOMPARE(describe(doc.allComments()), QStringList({ "k0=", "k1=" }));
    }

    void importReplacesOnlyArrangedComments()
    {
        // The document as the target of an import: the replace option searches the arranged
        // list only, and the imported comment is added at the end of the whole list.
        const QString velmx = m_dir.filePath(QStringLiteral("import.velmx"));
        QVERIFY(writeFile(velmx, R"(<ImageMetadata><comment keyword="Author" text="New"/></ImageMetadata>)"));
        PNGDoc doc;
        fill(doc, { "Author=Old", "Title=T", "Author=Older" });
        doc.setSearchText(QStringLiteral("tit"));
        QVERIFY(importMetadataFromVelmx(doc, velmx, true));
        QCOMPARE(describe(doc.allComments()), QStringList({ "Author=Old", "Title=T", "Author=Older", "Author=New" }));
        QVERIFY(doc.isModified());

        doc.setSearchText(QStringLiteral("auth"));
        QVERIFY(importMetadataFromVelmx(doc, velmx, true));
        QCOMPARE(describe(doc.allComments()), QStringList({ "Title=T", "Author=New" }));
    }

    // --- Cells ----------------------------------------------------------------------------
    void cellEdits_data()
    {
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("stored");
        const int text = PNGDoc::TextColumn, keyword = PNGDoc::KeywordColumn;
        QTest::newRow("text expands") << "sunset.png" << text << "%FILENAME% %WIDTH%x%HEIGHT%"
                                      << "sunset 64x48";
        QTest::newRow("keyword does not expand") << "sunset.png" << keyword << "%FILENAME%"
                                                 << "%FILENAME%";
        QTest::newRow("keyword cut at 79") << "sunset.png" << keyword << QString(100, u'k') << QString(79, u'k');
        QTest::newRow("line breaks kept") << "sunset.png" << text << "one\ntwo\r\nthree"
                                          << "one\ntwo\r\nthree";
        // A file name that is itself an earlier macro's name is not expanded a second time.
        QTest::newRow("expanded once") << "%DATE%.png" << text << "%FILENAME%"
                                       << "%DATE%";
    }
    void cellEdits()
    {
        QFETCH(QString, fileName);
        QFETCH(int, column);
        QFETCH(QString, value);
        PNGDoc doc;
        QVERIFY(doc.readFromPath(writePng(fileName, { tEXt("Read", "from the file") })));
        QVERIFY(doc.loadPNG());
        const int blank = doc.addMetadataField();
        doc.setModified(false);
        for (int row : { 0, blank }) {
            QVERIFY(doc.setData(row, PNGDoc::Column(column), value));
            const CommentPtr comment = doc.commentAt(row);
            QTEST(column == PNGDoc::KeywordColumn ? comment->keyword() : comment->text(), "stored");
        }
        QVERIFY(doc.isModified());
        QVERIFY(!doc.setData(2, PNGDoc::TextColumn, value));
        QVERIFY(!doc.setData(0, PNGDoc::Column(2), value));
    }

    // --- Reading, summary, saving ---------------------------------------------------------
    void summary_data()
    {
        // Expected figures: size|bit depth|colour key|interlace key|millimetres|inches (no
        // figures: unknown), and the logged 72-per-inch size.
        QTest::addColumn<QByteArray>("png");
        QTest::addColumn<QString>("expectedFigures");
        QTest::addColumn<QString>("logged");
        QTest::newRow("RGBA without pHYs")
            << buildPng({ ihdr(640, 480, 8, 6), idat(640, 480, 4), iend() }) << "640 480|8|RGBA|None|225 169|8.89 6.67"
            << "8.888889 x 6.666667";
        QTest::newRow("pHYs in metres") << simplePng(1000, 500, { pHYs(2835, 2835, 1) })
                                        << "1000 500|8|RGB|None|352 176|13.89 6.94"
                                        << "13.888889 x 6.944445";
        QTest::newRow("pHYs without unit")
            << simplePng(640, 480, { pHYs(1, 2, 0) }) << "640 480|8|RGB|None|225 169|8.89 6.67"
            << "8.888889 x 6.666667";
        QTest::newRow("0 pixels per metre") << simplePng(30, 20, { pHYs(0, 0, 1) }) << "30 20|8|RGB|None||"
                                            << "0.416667 x 0.277778";
        QTest::newRow("Adam7 greyscale with alpha") << readFile(dataPath(QStringLiteral("pngsuite/basi4a08.png")))
                                                    << "32 32|8|GreyscaleAlpha|Adam7|11 11|0.44 0.44"
                                                    << "0.444444 x 0.444444";
    }
    void summary()
    {
        QFETCH(QByteArray, png);
        QFETCH(QString, logged);
        QFETCH(QString, expectedFigures);
        const QStringList figures = expectedFigures.split(u'|');
        auto pair = [](const char *key, const QString &figures) {
            return figures.isEmpty() ? localizedString("PhysicalSizeUnknown")
                                     : localizedString(key).arg(figures.section(u' ', 0, 0), figures.section(u' ', 1));
        };
        const QStringList lines { pair("ImageSize", figures[0]), localizedString("ImageBitDepth").arg(figures[1]),
            localizedString("ColourFormat").arg(localizedString(qPrintable(figures[2]))),
            localizedString("Interlaced").arg(localizedString(qPrintable(figures[3]))),
            pair("PhysicalSizeMM", figures[4]), pair("PhysicalSizeInch", figures[5]) };

        const QString path = m_dir.filePath(QStringLiteral("summary.png"));
        QVERIFY(writeFile(path, png));
        PNGDoc doc;
        QVERIFY(doc.readFromPath(path));
        QSignalSpy summaryChanged(&doc, &PNGDoc::summaryChanged);
        QTest::ignoreMessage(QtInfoMsg, qPrintable(QStringLiteral("Physical size: %1 inches").arg(logged)));
        QVERIFY(doc.loadPNG());
        QVERIFY(doc.isLoaded());
        QCOMPARE(summaryChanged.size(), 1);
        QCOMPARE(doc.summary().lines(), lines);
    }

    void revertAndFailedLoad()
    {
        PNGDoc doc;
        QVERIFY(!doc.readFromPath(QString()));
        QVERIFY(
            doc.readFromPath(writePng(QStringLiteral("revert.png"), { tEXt("Author", "Ann"), tEXt("Title", "Sun") })));
        QVERIFY(doc.loadPNG());
        QVERIFY(!doc.isModified());
        doc.setData(0, PNGDoc::TextColumn, QStringLiteral("Bob"));
        doc.addText(QStringLiteral("x"), QStringLiteral("Extra"));
        doc.setSearchText(QStringLiteral("title"));
        QSignalSpy modified(&doc, &PNGDoc::modifiedChanged);

        // Every comment is replaced, also those the filter hides.
        QVERIFY(doc.revert());
        QCOMPARE(describe(doc.allComments()), QStringList({ "Author=Ann", "Title=Sun" }));
        QCOMPARE(describe(doc.comments()), QStringList { "Title=Sun" });
        QVERIFY(!doc.isModified());
        QCOMPARE(modified.size(), 1);

        // The file no longer reads: nothing the user had is thrown away, and the edit still
        // counts as unsaved.
        doc.addText(QStringLiteral("typed"), QStringLiteral("Note"));
        QByteArray junk = readFile(doc.path());
        junk[1] = 'Q';
        QVERIFY(writeFile(doc.path(), junk));
        QSignalSpy failed(&doc, &PNGDoc::loadFailed);
        QString reason;
        QVERIFY(!doc.revert(&reason));
        QVERIFY(!reason.isEmpty());
        QCOMPARE(failed.size(), 1);
        QCOMPARE(describe(doc.allComments()), QStringList({ "Author=Ann", "Title=Sun", "Note=typed" }));
        QVERIFY(doc.isModified());
        // The image read before stays, so the edits can still be saved.
        QVERIFY(doc.isLoaded());
        QVERIFY(doc.info().width > 0);
        QVERIFY(doc.summary().lines() != ImageSummary::loadFailed().lines());
        const QString rescued = m_dir.filePath(QStringLiteral("rescued.png"));
        QVERIFY(doc.saveTo(rescued));
        PNGDoc reread;
        QVERIFY(reread.readFromPath(rescued));
        QVERIFY(reread.loadPNG());
        QCOMPARE(describe(reread.allComments()), QStringList({ "Author=Ann", "Title=Sun", "Note=typed" }));

        PNGDoc missing;
        QVERIFY(missing.readFromPath(m_dir.filePath(QStringLiteral("missing.png"))));
        QVERIFY(!missing.loadPNG());
        QVERIFY(!missing.isLoaded());
        QCOMPARE(missing.info().width, 0u);
        QCOMPARE(missing.summary().lines(), ImageSummary::loadFailed().lines());
        QVERIFY(missing.comments().isEmpty());
    }

    void saveWritesHiddenComments()
    {
        PNGDoc doc;
        QVERIFY(doc.readFromPath(writePng(QStringLiteral("source.png"), { tEXt("Author", "Ann") })));
        QVERIFY(doc.loadPNG());
        doc.addText(QStringLiteral("Sunset"), QStringLiteral("Title"));
        doc.addMetadataField(); // never written: no keyword
        doc.setSearchText(QStringLiteral("tit"));
        QSignalSpy pathChanged(&doc, &PNGDoc::pathChanged);

        const QString target = m_dir.filePath(QStringLiteral("saved-as.png"));
        QTest::ignoreMessage(
            QtInfoMsg, qPrintable(QStringLiteral("Saving to URL: ") + QUrl::fromLocalFile(target).toString()));
        DocumentError error;
        QVERIFY2(doc.saveTo(target, &error), qPrintable(error.reason));
        QCOMPARE(doc.path(), target);
        QCOMPARE(pathChanged.size(), 1);
        QVERIFY(!doc.isModified());
        // The comment without keyword left the list once the file was written.
        QCOMPARE(describe(doc.allComments()), QStringList({ "Author=Ann", "Title=Sunset" }));

        QCOMPARE(fileComments(target), QStringList({ "Author=Ann", "Title=Sunset" }));
    }

    void saveSkipsEntriesAPngFileCannotHold()
    {
        // They stay in the list to be mended, the save names them, and the document stays
        // modified: the file lacks them.
        PNGDoc doc;
        const QString path = writePng(QStringLiteral("skips.png"), { tEXt("Author", "Ann") });
        QVERIFY(doc.readFromPath(path));
        QVERIFY(doc.loadPNG());
        doc.addText(QStringLiteral("x"), u"日本"_qs);
        doc.insertObject(makeComment(QStringLiteral("Nul"), QString::fromUtf16(u"a\u0000b", 3)), doc.rowCount());
        doc.addText(QStringLiteral("kept"), QStringLiteral("Title"));
        const QString saving = QStringLiteral("Saving to URL: ") + QUrl::fromLocalFile(path).toString();
        QTest::ignoreMessage(QtInfoMsg, qPrintable(saving));
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral("^Entry not saved: .*")));
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral("^Entry not saved: .*")));
        DocumentError error;
        QVERIFY2(doc.saveTo(path, &error), qPrintable(error.reason));
        QCOMPARE(doc.skippedEntries().size(), 2);
        QVERIFY(doc.skippedEntries().at(0).contains(u"“日本”"_qs));
        QVERIFY(doc.skippedEntries().at(1).contains(u"“Nul”"_qs));
        QCOMPARE(fileComments(path), QStringList({ "Author=Ann", "Title=kept" }));
        QCOMPARE(doc.allComments().size(), 4);
        QVERIFY(doc.isModified());

        // Mended, everything is saved.
        doc.setKeyword(doc.commentAt(1), QStringLiteral("Japan"));
        doc.removeObjectFromComments(2);
        QTest::ignoreMessage(QtInfoMsg, qPrintable(saving));
        QVERIFY(doc.saveTo(path, &error));
        QVERIFY(doc.skippedEntries().isEmpty());
        QVERIFY(!doc.isModified());
        QCOMPARE(fileComments(path), QStringList({ "Author=Ann", "Japan=x", "Title=kept" }));
    }

    void failedSave_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("readable"); // a file that cannot be read is not written: no warning
        QTest::newRow("missing folder") << "no/such/folder/out.png" << true;
        QTest::newRow("read-only file") << "read-only.png" << true;
        QTest::newRow("image never read") << "out.png" << false;
    }
    void failedSave()
    {
        QFETCH(QString, target);
        QFETCH(bool, readable);
        const QString path = readable ? writePng(QStringLiteral("failing.png"), { tEXt("Author", "Ann") })
                                      : m_dir.filePath(QStringLiteral("not-there.png"));
        const QString destination = m_dir.filePath(target);
        if (target == u"read-only.png")
            QVERIFY(writeFile(destination, "old") && QFile::setPermissions(destination, QFile::ReadOwner));
        PNGDoc doc;
        doc.readFromPath(path);
        QCOMPARE(doc.loadPNG(), readable);
        doc.addMetadataField();
        doc.setData(0, PNGDoc::TextColumn, QStringLiteral("typed before saving"));

        QTest::ignoreMessage(
            QtInfoMsg, qPrintable(QStringLiteral("Saving to URL: ") + QUrl::fromLocalFile(destination).toString()));
        if (readable)
            QTest::ignoreMessage(QtWarningMsg, "Failed to create output file");
        DocumentError error;
        QVERIFY(!doc.saveTo(destination, &error));
        QCOMPARE(error.domain, QStringLiteral("Velmora"));
        QCOMPARE(error.code, 27);
        QVERIFY(!error.reason.isEmpty());
        QCOMPARE(doc.path(), path);
        QVERIFY(doc.isModified());
        // Nothing leaves the list when the file was not written, not even a comment
        // without keyword.
        QCOMPARE(doc.allComments().size(), readable ? 2 : 1);
        if (target == u"read-only.png")
            QCOMPARE(readFile(destination), QByteArray("old"));
        QVERIFY(!QFile::exists(m_dir.filePath(QStringLiteral("out.png"))));
    }

    // --- Image data: kept as read, decoded only when needed ---------------------------------

    void loadsWithoutDecodingAndSavesTheImageData_data()
    {
        QTest::addColumn<bool>("recompress");
        QTest::addColumn<int>("interlace");
        QTest::newRow("kept byte for byte") << false << 0;
        QTest::newRow("re-encoded") << true << 0;
        QTest::newRow("re-encoded, interlaced") << true << 1;
    }
    void loadsWithoutDecodingAndSavesTheImageData()
    {
        QFETCH(bool, recompress);
        QFETCH(int, interlace);
        const QString path = m_dir.filePath(QStringLiteral("rows.png"));
        // Adam7 rows come from the library: one image, decoded, gives the interlaced file.
        QByteArray original = simplePng(300, 200, { tEXt("Author", "Ann") });
        if (interlace) {
            PNGinfo info;
            info.path = m_dir.filePath(QStringLiteral("plain.png"));
            QVERIFY(writeFile(info.path, original));
            PNGRows rows;
            CommentList comments;
            QVERIFY(::loadPNG(info, rows, comments));
            info.interlace_method = 1;
            QVERIFY(savePNG(path, info, rows, comments));
            original = readFile(path);
            PNGinfo check;
            check.path = path;
            QString why;
            QVERIFY2(::loadPNG(check, rows, comments, {}, &why), qPrintable(why));
        }
        QVERIFY(writeFile(path, original));

        PNGDoc doc;
        QVERIFY(doc.readFromPath(path));
        QVERIFY(doc.loadPNG());
        QVERIFY(!doc.rows().hasPixels());
        QCOMPARE(doc.rows().height(), 200u);
        QCOMPARE(doc.info().width, 300u);
        QByteArray read;
        QVERIFY(doc.file() && doc.file()->readAll(&read, nullptr));
        QCOMPARE(read, original);
        QCOMPARE(describe(doc.allComments()), QStringList({ "Author=Ann" }));

        PNGWriteOptions options;
        options.recompress = recompress;
        doc.setWriteOptions(options);
        doc.addText(QStringLiteral("Sunset"), QStringLiteral("Title"));
        QString error;
        QVERIFY2(doc.saveImage(&error), qPrintable(error));
        // The rows decoded for the save are not kept.
        QVERIFY(!doc.rows().hasPixels());

        const QByteArray saved = readFile(path);
        // (The interlaced file was encoded by the same library: encoded again, it comes out the same.)
        if (!interlace)
            QCOMPARE(chunkPayloads(saved, "IDAT") == chunkPayloads(original, "IDAT"), !recompress);
        QCOMPARE(fileComments(path), QStringList({ "Author=Ann", "Title=Sunset" }));
        // Whatever was written, the pixels are the file's.
        PNGinfo before, after;
        before.path = m_dir.filePath(QStringLiteral("before.png"));
        QVERIFY(writeFile(before.path, original));
        after.path = path;
        PNGRows beforeRows, afterRows;
        CommentList ignored;
        QVERIFY(::loadPNG(before, beforeRows, ignored));
        QVERIFY(::loadPNG(after, afterRows, ignored));
        QVERIFY(beforeRows.hasPixels());
        QVERIFY(beforeRows == afterRows);
        QCOMPARE(after.interlace_method, interlace);
    }

    void damagedImageData_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("damage"); // part of the reason; empty: sound
        const QByteArray rows = [] {
            // 16 × 8 RGB: each row a filter byte (none) and 48 bytes.
            QByteArray raw;
            for (int y = 0; y < 8; ++y)
                raw += char(0) + QByteArray(48, char(y * 20));
            return raw;
        }();
        QByteArray badFilter = rows;
        badFilter[3 * 49] = char(9);
        const auto png = [](const RawChunk &data) {
            return buildPng({ ihdr(16, 8), tEXt("Author", "Ann"), data, iend() });
        };
        QTest::newRow("sound") << png(idatOf(rows)) << QString();
        QTest::newRow("unknown row filter") << png(idatOf(badFilter)) << "filter";
        QTest::newRow("too little data") << png(idatOf(rows.left(4 * 49))) << "image data";
        QTest::newRow("not a zlib stream") << png(chunk("IDAT", QByteArray(64, 'x'))) << "header";
    }
    void damagedImageData()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, damage);
        const QString path = m_dir.filePath(QStringLiteral("damaged.png"));
        QVERIFY(writeFile(path, file));
        PNGDoc doc;
        QSignalSpy checked(&doc, &PNGDoc::imageDataChecked);
        QVERIFY(doc.readFromPath(path));
        // The entries open whatever the state of the pixels.
        QVERIFY(doc.loadPNG());
        QCOMPARE(describe(doc.allComments()), QStringList({ "Author=Ann" }));
        QVERIFY(!doc.isImageDataChecked());

        if (!damage.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Damaged image data in .*")));
        const QString reason = doc.checkImageData();
        QVERIFY2(reason.contains(damage, Qt::CaseInsensitive), qPrintable(reason));
        QCOMPARE(reason.isEmpty(), damage.isEmpty());
        QVERIFY(doc.isImageDataChecked());
        QCOMPARE(doc.imageDataDamage(), reason);
        QCOMPARE(checked.size(), 1);
        // Known now: not checked again.
        QCOMPARE(doc.checkImageData(), reason);
        QCOMPARE(checked.size(), 1);

        // Re-encoding needs the pixels: a damaged file is not written, it stays as it was.
        PNGWriteOptions options;
        options.recompress = true;
        doc.setWriteOptions(options);
        doc.addText(QStringLiteral("Sunset"), QStringLiteral("Title"));
        QString error;
        QCOMPARE(doc.saveImage(&error), damage.isEmpty());
        if (!damage.isEmpty()) {
            QVERIFY2(error.contains(QStringLiteral("cannot be decoded")), qPrintable(error));
            QCOMPARE(readFile(path), file);
        }
        // Kept as it is, the image data is written back.
        doc.setWriteOptions({});
        QVERIFY(doc.saveImage(&error));
        QCOMPARE(fileComments(path, false), QStringList({ "Author=Ann", "Title=Sunset" }));
        if (!damage.isEmpty())
            QCOMPARE(chunkPayloads(readFile(path), "IDAT"), chunkPayloads(file, "IDAT"));

        // A new read forgets what the check found.
        QVERIFY(doc.revert());
        QVERIFY(!doc.isImageDataChecked());
        QVERIFY(doc.imageDataDamage().isEmpty());
    }

private:
    // A 64 × 48 PNG in the temporary folder with extra chunks before the image data.
    QString writePng(const QString &name, const std::vector<RawChunk> &chunks = {})
    {
        const QString path = m_dir.filePath(name);
        return writeFile(path, simplePng(64, 48, chunks)) ? path : QString();
    }

    QTemporaryDir m_dir;
};

QTEST_GUILESS_MAIN(tst_PNGDoc)
#include "tst_PNGDoc.moc"
