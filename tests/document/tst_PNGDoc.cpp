#include "TestSupport.h"
#include "core/PNGReader.h"
#include "core/SourceFile.h"
#include "core/Strings.h"
#include "document/PNGDoc.h"
#include "interchange/PasteboardFormats.h"

#include <QFile>
#include <QMimeData>
#include <QtTest>

using namespace TestSupport;

namespace {

// Fills a document from "keyword=text" pairs, as if read from its file.
void fill(PNGDoc &doc, const QStringList &pairs)
{
    doc.resetComments(commentsFrom(pairs));
    doc.setModified(false);
}

} // namespace

class tst_PNGDoc : public QObject
{
    Q_OBJECT

private slots:
    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral(".*"))); }

    // --- Arranged list and list operations ----------------------------------------------------
    void searchFilter_data()
    {
        QTest::addColumn<QString>("search");
        QTest::addColumn<bool>("inTexts");
        QTest::addColumn<QStringList>("shown");
        const QStringList all { "Author=Ann", "Title=Sunset", "Author2=Ann", "=Ann", "camera AUTH=x" };
        QTest::newRow("no search") << "" << false << all;
        QTest::newRow("spaces only show everything") << "  \t\u3000 " << false << all;
        QTest::newRow("contains, any case")
            << "auth" << false << QStringList { "Author=Ann", "Author2=Ann", "camera AUTH=x" };
        QTest::newRow("blanks around are trimmed")
            << " \tAuth\u00A0 " << false << QStringList { "Author=Ann", "Author2=Ann", "camera AUTH=x" };
        QTest::newRow("line ends are not trimmed") << "\nAuth" << false << QStringList {};
        QTest::newRow("texts are not searched") << "ann" << false << QStringList {};
        QTest::newRow("texts searched when asked") << " ann " << true << QStringList { "Author=Ann", "Author2=Ann" };
        QTest::newRow("keywords too, then") << "title" << true << QStringList { "Title=Sunset" };
        QTest::newRow("inner space kept") << "a a" << false << QStringList { "camera AUTH=x" };
    }
    void searchFilter()
    {
        QFETCH(QString, search);
        QFETCH(bool, inTexts);
        QFETCH(QStringList, shown);
        PNGDoc doc;
        fill(doc, { "Author=Ann", "Title=Sunset", "Author2=Ann", "=Ann", "camera AUTH=x" });
        doc.setSearchText(search);
        QSignalSpy toggled(&doc, &PNGDoc::searchInTextsChanged);
        doc.setSearchInTexts(inTexts);
        QCOMPARE(toggled.size(), int(inTexts)); // told only when it changes
        QCOMPARE(describe(doc.comments()), shown);
        QCOMPARE(doc.rowCount(), shown.size());
        QCOMPARE(doc.allComments().size(), 5);
    }

    // The document's own part of the list operations, whose rules the owner's tests hold:
    // an operation that changes nothing leaves the document unmodified, and comments
    // entering the list that the search would hide clear the search.
    void modifiedOnlyByAChange_data()
    {
        QTest::addColumn<QString>("search");
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QStringList>("after"); // the whole list
        QTest::addColumn<QString>("searchAfter");
        const QStringList start { "Author=a", "Title=t", "Author2=b" };
        const auto row = [](const char *name, const char *search, const char *operation, const QStringList &after,
                             const char *searchAfter) {
            QTest::newRow(name) << QString(search) << QString(operation) << after << QString(searchAfter);
        };
        row("no paste without a clipboard", "auth", "pasteNothing", start, "auth");
        row("a paste the search shows", "auth", "paste Authority",
            { "Author=a", "Title=t", "Authority=x", "Author2=b" }, "auth");
        row("a paste the search hides clears it", "auth", "paste Note",
            { "Author=a", "Title=t", "Note=x", "Author2=b" }, "");
    }
    void modifiedOnlyByAChange()
    {
        QFETCH(QString, search);
        QFETCH(QString, operation);
        QFETCH(QStringList, after);
        PNGDoc doc;
        fill(doc, { "Author=a", "Title=t", "Author2=b" });
        doc.setSearchText(search);
        QMimeData clipboard;
        writeComments({ makeComment(operation.section(u' ', 1), u"x"_qs) }, &clipboard);
        if (operation == u"pasteNothing")
            QTest::ignoreMessage(QtWarningMsg, "No compatible paste types found.");
        if (operation.startsWith(u"paste"))
            QCOMPARE(doc.paste(operation == u"pasteNothing" ? nullptr : &clipboard, 1), operation != u"pasteNothing");
        QCOMPARE(describe(doc.allComments()), after);
        QTEST(doc.searchText(), "searchAfter");
        QCOMPARE(doc.isModified(), after != QStringList({ "Author=a", "Title=t", "Author2=b" }));
    }

    // --- Reading, summary, saving ---------------------------------------------------------
    void summary_data()
    {
        // Expected figures: size|bit depth|colour key|interlace key|millimetres|inches (no
        // figures: unknown), "|72" when 72 per inch is assumed; and the logged 72-per-inch size.
        QTest::addColumn<QByteArray>("png");
        QTest::addColumn<QString>("expectedFigures");
        QTest::addColumn<QString>("logged");
        QTest::newRow("pHYs in metres") << simplePng(1000, 500, { pHYs(2835, 2835, 1) })
                                        << "1000 500|8|RGB|None|352 176|13.89 6.94"
                                        << "13.888889 x 6.944445";
        QTest::newRow("pHYs without unit")
            << simplePng(640, 480, { pHYs(1, 2, 0) }) << "640 480|8|RGB|None|225 169|8.89 6.67|72"
            << "8.888889 x 6.666667";
        QTest::newRow("Adam7 greyscale with alpha") << readFile(dataPath(QStringLiteral("pngsuite/basi4a08.png")))
                                                    << "32 32|8|GreyscaleAlpha|Adam7|11 11|0.44 0.44|72"
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
            pair(figures.size() > 6 ? "PhysicalSizeMMAssumed" : "PhysicalSizeMM", figures[4]),
            pair(figures.size() > 6 ? "PhysicalSizeInchAssumed" : "PhysicalSizeInch", figures[5]) };

        const QString path = m_dir.write(QStringLiteral("summary.png"), png);
        PNGDoc doc;
        QVERIFY(doc.readFromPath(path));
        QSignalSpy summaryChanged(&doc, &PNGDoc::summaryChanged);
        QTest::ignoreMessage(QtInfoMsg, qPrintable(QStringLiteral("Physical size: %1 inches").arg(logged)));
        QVERIFY(doc.loadPNG());
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
        QVERIFY(doc.summary().lines() != ImageSummary::loadFailed().lines());
        const QString rescued = m_dir.path(QStringLiteral("rescued.png"));
        QVERIFY(doc.saveTo(rescued));
        QCOMPARE(fileComments(rescued), QStringList({ "Author=Ann", "Title=Sun", "Note=typed" }));

        PNGDoc missing;
        QVERIFY(missing.readFromPath(m_dir.path(QStringLiteral("missing.png"))));
        QVERIFY(!missing.loadPNG());
        QVERIFY(!missing.isLoaded());
        QCOMPARE(missing.summary().lines(), ImageSummary::loadFailed().lines());
        QVERIFY(missing.comments().isEmpty());
    }

    // A save writes the comments the search hides, typed texts expanded against the document's
    // own image; the entries a PNG file cannot hold it names and leaves out, and they stay in
    // the list to be mended, the document modified: the file lacks them.
    void saveWritesHiddenCommentsAndSkipsWhatAFileCannotHold()
    {
        PNGDoc doc;
        QVERIFY(doc.readFromPath(writePng(QStringLiteral("source.png"), { tEXt("Author", "Ann") })));
        QVERIFY(doc.loadPNG());
        QVERIFY(doc.setData(doc.addMetadataField(), PNGDoc::KeywordColumn, u"Title"_qs));
        QVERIFY(doc.setData(1, PNGDoc::TextColumn, u"%FILENAME% %WIDTH%x%HEIGHT%"_qs));
        doc.addMetadataField(); // never written: no keyword
        doc.addText(QStringLiteral("x"), u"日本"_qs);
        doc.setSearchText(QStringLiteral("tit"));
        QSignalSpy pathChanged(&doc, &PNGDoc::pathChanged);

        const QString target = m_dir.path(QStringLiteral("saved-as.png"));
        const QString saving = QStringLiteral("Saving to URL: ") + QUrl::fromLocalFile(target).toString();
        QTest::ignoreMessage(QtInfoMsg, qPrintable(saving));
        QTest::ignoreMessage(QtInfoMsg, QRegularExpression(QStringLiteral("^Entry not saved: .*")));
        DocumentError error;
        QVERIFY2(doc.saveTo(target, &error), qPrintable(error.reason));
        QCOMPARE(doc.path(), target);
        QCOMPARE(pathChanged.size(), 1);
        QCOMPARE(doc.skippedEntries().size(), 1);
        QVERIFY(doc.skippedEntries().at(0).contains(u"“日本”"_qs));
        QVERIFY(doc.isModified());
        // The comment without keyword left the list once the file was written.
        QCOMPARE(describe(doc.allComments()), QStringList({ "Author=Ann", "Title=source 64x48", "日本=x" }));
        QCOMPARE(fileComments(target), QStringList({ "Author=Ann", "Title=source 64x48" }));

        // Mended, everything is saved.
        doc.setKeyword(doc.allComments().at(2), QStringLiteral("Japan"));
        QTest::ignoreMessage(QtInfoMsg, qPrintable(saving));
        QVERIFY(doc.saveTo(target, &error));
        QVERIFY(doc.skippedEntries().isEmpty());
        QVERIFY(!doc.isModified());
        QCOMPARE(fileComments(target), QStringList({ "Author=Ann", "Title=source 64x48", "Japan=x" }));
    }

    void failedSave_data()
    {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("readable"); // a file that cannot be read is not written: no warning
        QTest::newRow("missing folder") << "no/such/folder/out.png" << true;
        QTest::newRow("image never read") << "out.png" << false;
    }
    void failedSave()
    {
        QFETCH(QString, target);
        QFETCH(bool, readable);
        const QString path = readable ? writePng(QStringLiteral("failing.png"), { tEXt("Author", "Ann") })
                                      : m_dir.path(QStringLiteral("not-there.png"));
        const QString destination = m_dir.path(target);
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
        QVERIFY(!error.reason.isEmpty());
        QCOMPARE(doc.path(), path);
        QVERIFY(doc.isModified());
        // Nothing leaves the list when the file was not written, not even a comment
        // without keyword.
        QCOMPARE(doc.allComments().size(), readable ? 2 : 1);
        QVERIFY(!QFile::exists(m_dir.path(QStringLiteral("out.png"))));
    }

    // --- Image data: kept as read, decoded only when needed ---------------------------------
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
    }
    void damagedImageData()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, damage);
        const QString path = m_dir.write(QStringLiteral("damaged.png"), file);
        PNGDoc doc;
        QSignalSpy checked(&doc, &PNGDoc::imageDataChecked);
        QVERIFY(doc.readFromPath(path));
        // The entries open whatever the state of the pixels.
        QVERIFY(doc.loadPNG());
        QCOMPARE(describe(doc.allComments()), QStringList({ "Author=Ann" }));
        QVERIFY(!doc.isImageDataChecked() && !doc.rows().hasPixels());

        // The check runs on a thread of its own; a cancelled one reports nothing.
        QSignalSpy ended(&doc, &PNGDoc::imageDataCheckEnded);
        QVERIFY(doc.startImageDataCheck());
        doc.cancelImageDataCheck();
        PNGDoc::checkThreadPool()->waitForDone();
        QCoreApplication::processEvents();
        QVERIFY(ended.isEmpty() && checked.isEmpty() && !doc.isImageDataChecked());

        if (!damage.isEmpty())
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("^Damaged image data in .*")));
        QVERIFY(doc.startImageDataCheck());
        QVERIFY(ended.wait());
        const QString reason = doc.imageDataDamage();
        QVERIFY2(reason.contains(damage, Qt::CaseInsensitive), qPrintable(reason));
        QCOMPARE(reason.isEmpty(), damage.isEmpty());
        QVERIFY(doc.isImageDataChecked());
        QCOMPARE(checked.size(), 1);
        QCOMPARE(checked.first().first().toString(), reason);
        // Known now: not checked again.
        QVERIFY(!doc.startImageDataCheck());

        // Re-encoding needs the pixels: a damaged file is not written, it stays as it was.
        PNGWriteOptions options;
        options.recompress = true;
        doc.setWriteOptions(options);
        doc.addText(QStringLiteral("Sunset"), QStringLiteral("Title"));
        QString error;
        QCOMPARE(doc.saveImage(&error), damage.isEmpty());
        QVERIFY(!doc.rows().hasPixels()); // the rows decoded for the save are not kept
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
        return m_dir.write(name, simplePng(64, 48, chunks));
    }

    TempFolder m_dir;
};

QTEST_GUILESS_MAIN(tst_PNGDoc)
#include "tst_PNGDoc.moc"
