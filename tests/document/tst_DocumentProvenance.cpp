#include "TestSupport.h"

#include "document/PNGDoc.h"

#include <QSignalSpy>
#include <QtTest>

using namespace TestSupport;

// What the inspecting windows ask of a document: Remove Metadata (the plan it offers, the
// removal as one step of the undo history, a save that leaves the removed chunks out).
class tst_DocumentProvenance : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void removalIsOneUndoableStepThatTheSaveWrites()
    {
        TempFolder dir;
        const QString file = copyFixture(QStringLiteral("provenance/everything.png"), dir.path());
        PNGDoc doc;
        QVERIFY(doc.readFromPath(file) && doc.loadPNG());
        const PrivacyFacts before = doc.privacyFacts();
        QVERIFY(before.gpsPosition && before.generationSettings);
        QCOMPARE(before.gpsText, u"51.50740° N, 0.12777° W"_qs); // the XMP packet's, an entry
        QCOMPARE(before.creators, QStringList({ "Ann Lee", "Bo Chen" })); // XMP's, and Exif's once

        // Every entry and chunk that tells, chosen; the content credentials offered, not chosen.
        StripPlan plan = doc.removalPlan();
        QStringList offered;
        for (const StripItem &item : std::as_const(plan.items))
            offered << (item.chosen ? u"+"_qs : u"-"_qs) + QString::fromLatin1(item.type) + u' ' + item.keyword;
        QCOMPARE(offered,
            QStringList({ "+tEXt Author", "+iTXt XML:com.adobe.xmp", "+zTXt parameters", "+tEXt Comment", "+eXIf ",
                "+tIME ", "-caBX ", "+prVt ", "+aBCd ", "+tIME " }));
        const StripItem &exif = plan.items.at(4);
        QVERIFY2(
            exif.description.contains(u"GPS position 51.50740° N, 0.12777° W, 35 m"), qPrintable(exif.description));
        QVERIFY(plan.items.at(2).description.contains(u"masterpiece, a lighthouse"));
        plan.items[3].chosen = false; // the user keeps the comment after the image data

        QSignalSpy leftOut(&doc, &PNGDoc::leftOutChunksChanged);
        QVERIFY(doc.removeMetadata(plan));
        QCOMPARE(describe(doc.allComments()), QStringList({ "Comment=after the image data" }));
        QCOMPARE(doc.leftOutChunks().size(), 5);
        QCOMPARE(doc.undoStack()->count(), 1);
        QCOMPARE(doc.undoStack()->undoText(), u"Remove Metadata"_qs);
        QVERIFY(doc.isModified());
        QVERIFY(!doc.privacyFacts().any());
        QVERIFY(!doc.removeMetadata(plan)); // nothing chosen is still there

        doc.undoStack()->undo();
        QCOMPARE(doc.allComments().size(), 4);
        QVERIFY(doc.leftOutChunks().isEmpty());
        QVERIFY(!doc.isModified());
        doc.undoStack()->redo();
        QCOMPARE(leftOut.count(), 3);

        QVERIFY(doc.saveImage());
        QCOMPARE(chunkTypes(readFile(file)),
            QStringList({ "IHDR", "gAMA", "cHRM", "cICP", "mDCV", "cLLI", "sBIT", "PLTE", "tRNS", "bKGD", "hIST",
                "pHYs", "caBX", "IDAT", "tEXt", "IEND" }));
    }
};

QTEST_GUILESS_MAIN(tst_DocumentProvenance)
#include "tst_DocumentProvenance.moc"
