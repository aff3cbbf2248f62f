#include "TestSupport.h"

#include "core/ByteSink.h"

#include "core/PNGReader.h"
#include "core/PNGWriter.h"

#include <QFileInfo>
#include <QtTest>

using namespace TestSupport;

namespace {

QByteArray palette256()
{
    QByteArray p;
    for (int i = 0; i < 256; ++i)
        p += QByteArray(1, char(i)) + char(255 - i) + char(i / 2);
    return p;
}

// Crafted files holding every kind of chunk a save must keep, each where the PNG standard lets it stand.
void addVarietyRows()
{
    QTest::newRow("private chunks around PLTE and IDAT, text after IDAT") << buildPng(
        { ihdr(16, 16, 8, 3), chunk("prIv", "before PLTE"), chunk("PLTE", palette256()), chunk("prIw", "before IDAT"),
            tEXt("Title", "first"), idat(16, 16, 1), chunk("prIx", "after IDAT"), chunk("prIV", "unsafe to copy"),
            tEXt("Late", "after the image"), zTXt("LateZ", "compressed, after"), iend() });
    QTest::newRow("iTXt with language tag, eXIf, oFFs, pCAL, sTER, sPLT") << simplePng(16, 8,
        { chunk("eXIf", QByteArray("MM\0*\0\0\0\x08\0\0", 10)), chunk("oFFs", QByteArray(9, '\x01')),
            chunk("pCAL", QByteArray("cal\0\0\0\0\0\0\0\0\x0a\0\x02m\0001.0\0002.0", 23)),
            chunk("sTER", QByteArray(1, 0)), chunk("sPLT", QByteArray("pal\0\x08\x01\x02\x03\x04\0\x05", 11)),
            iTXt("Title", "fr", "Titre", "Caf\xc3\xa9") },
        { tEXt("Comment", "after") });
    QTest::newRow("tRNS of a truecolour image and a suggested palette") << simplePng(8, 8,
        { chunk("PLTE", palette256().left(30)), chunk("tRNS", QByteArray("\0\x01\0\x02\0\x03", 6)), tEXt("A", "b") });
    // The library would write a gAMA that disagrees with sRGB as sRGB's gamma, and a
    // scale in its own spelling: both must come back as the file had them.
    const QByteArray chrm
        = QByteArray::fromHex("00007a26000080840000fa00000080e8000075300000ea6000003a9800001770"); // the sRGB primaries
    QTest::newRow("gAMA disagreeing with sRGB, sCAL in exponent form, cHRM") << simplePng(8, 8,
        { chunk("sRGB", QByteArray(1, 0)), chunk("cHRM", chrm), chunk("gAMA", QByteArray("\0\x01\x86\xa0", 4)),
            chunk("sCAL", QByteArray("\0011.000e2\0000.50", 13)) });
    QTest::newRow("tRNS of a greyscale image, tIME after IDAT")
        << buildPng({ ihdr(8, 8, 8, 0), chunk("tRNS", QByteArray("\0\x07", 2)), idat(8, 8, 1),
               chunk("tIME", QByteArray("\x07\xd0\x01\x02\x03\x04\x05", 7)), iend() });
}

// The files every exact-save test runs over: the crafted chunk variety and the valid PngSuite.
void addFileRows()
{
    QTest::addColumn<QByteArray>("png");
    addVarietyRows();
    for (const QString &f : pngSuiteFiles())
        QTest::newRow(qPrintable(QFileInfo(f).fileName())) << readFile(f);
}

// Where a new entry in front of the list stands: at the first text chunk before the image
// data, or just before the image data.
qsizetype textBlockIndex(const std::vector<RawChunk> &chunks)
{
    for (size_t i = 0; i < chunks.size(); ++i) {
        if (isTextChunk(QString::fromLatin1(chunks[i].type)) || chunks[i].type == "IDAT")
            return qsizetype(i);
    }
    return -1;
}

// The chunks but the image data and, when unsafe is false, the unknown chunk that is unsafe to copy.
std::vector<RawChunk> withoutImageData(std::vector<RawChunk> chunks, bool unsafe = true)
{
    std::erase_if(chunks, [&](const RawChunk &c) { return c.type == "IDAT" || (!unsafe && c.type == "prIV"); });
    return chunks;
}

// A crafted file whose chunks have names: text chunks by keyword, the others by type.
struct Labelled
{
    QByteArray png;
    std::vector<std::pair<QString, RawChunk>> chunks;
};

Labelled editingFixture()
{
    Labelled f;
    f.chunks = {
        { "IHDR", ihdr(8, 8) },
        { "A", zTXt("A", "compressed text") },
        { "B", iTXt("B", "fr", "Bé", "caf\xc3\xa9") },
        // Cannot be read: an unknown compression method.
        { "M", chunk("zTXt", QByteArray("Broken\0\x07xx", 10)) },
        { "prIv", chunk("prIv", "private") },
        { "X", chunk("prIx", "damaged") },
        { "C", tEXt("C", "Latin-1 \xe9t\xe9") },
        { "IDAT", idat(8, 8) },
        { "D", tEXt("D", "after the image") },
        { "IEND", iend() },
    };
    std::vector<RawChunk> raw;
    for (const auto &named : f.chunks)
        raw.push_back(named.second);
    f.png = buildPng(raw);
    // X's CRC made wrong: a save leaves it out.
    const qsizetype crc = f.png.indexOf("prIx") + 4 + 7;
    f.png[crc] = char(f.png[crc] ^ 0x5a);
    return f;
}

// The chunks of a written file, each named after the fixture's chunk it equals byte for byte,
// or "new:KEYWORD" for a text chunk written anew.
QString describeChunks(const QByteArray &png, const Labelled &fixture)
{
    QStringList names;
    for (const RawChunk &c : chunksOf(png)) {
        QString name;
        for (const auto &[label, original] : fixture.chunks) {
            if (original == c)
                name = label;
        }
        if (name.isEmpty())
            name = QStringLiteral("new:") + QString::fromLatin1(c.data.left(c.data.indexOf('\0')));
        names << name;
    }
    return names.join(u' ');
}

} // namespace

class tst_LosslessSave : public QObject
{
    Q_OBJECT

    std::unique_ptr<TempFolder> m_dir;

private Q_SLOTS:
    void init() { m_dir = std::make_unique<TempFolder>(); }

    void unchangedSaveWritesTheFileBack_data() { addFileRows(); }
    void unchangedSaveWritesTheFileBack()
    {
        QFETCH(QByteArray, png);
        const QString source = m_dir->write(QStringLiteral("source.png"), png);
        const QString target = m_dir->path(QStringLiteral("target.png"));
        // Held whole, or held but for the image data, which the system copies from the file.
        for (const bool inPart : { false, true }) {
            PNGReadOptions options;
            options.decodeImage = !inPart;
            options.holdWholeBelow = 0;
            LoadedPng loaded;
            QVERIFY(loaded.load(source, nullptr, options));
            QString error;
            QVERIFY2(savePNG(target, loaded.info, loaded.rows, loaded.comments, {}, &error), qPrintable(error));
            QVERIFY(readFile(target) == png);
            // The same splice into memory.
            MemorySink memory;
            QVERIFY2(writePNG(memory, loaded.info, loaded.rows, loaded.comments, {}, &error), qPrintable(error));
            QVERIFY(memory.bytes() == png);
        }
    }

    void oneNewEntryIsTheOnlyChange_data() { addFileRows(); }
    void oneNewEntryIsTheOnlyChange()
    {
        QFETCH(QByteArray, png);
        const QString source = m_dir->write(QStringLiteral("source.png"), png);
        const QString target = m_dir->path(QStringLiteral("target.png"));
        for (const bool recompress : { false, true }) {
            LoadedPng loaded;
            QVERIFY(loaded.load(source));
            const QStringList before = describe(loaded.comments);
            loaded.comments.prepend(makeComment(QStringLiteral("Stamp"), QStringLiteral("added")));
            PNGWriteOptions options;
            options.recompress = recompress;
            QString error;
            QVERIFY2(savePNG(target, loaded.info, loaded.rows, loaded.comments, options, &error), qPrintable(error));

            std::vector<RawChunk> original = chunksOf(png), written = chunksOf(readFile(target));
            const qsizetype at = textBlockIndex(original);
            QVERIFY(at > 0 && at < qsizetype(written.size()));
            QCOMPARE(written[size_t(at)], tEXt("Stamp", "added"));
            written.erase(written.begin() + at);
            // Encoded anew, only the image data differ, and the unknown chunk that is unsafe to copy goes.
            QCOMPARE(recompress ? withoutImageData(written) : written,
                recompress ? withoutImageData(original, false) : original);
            LoadedPng back;
            QVERIFY(back.load(target));
            QCOMPARE(describe(back.comments), QStringList { "Stamp=added" } + before);
            QVERIFY(back.rows == loaded.rows);
        }
    }

    // Edits of a file with entries before and after the image data, a text chunk that cannot
    // be read and a damaged private chunk. Named chunks are written back byte for byte;
    // "new:K" is K's entry written anew.
    void editsTouchOnlyWhatChanged_data()
    {
        QTest::addColumn<QString>("edits");
        QTest::addColumn<QString>("chunks");
        const auto row = [](const char *name, const char *edits, const char *chunks) {
            QTest::newRow(name) << QString::fromUtf8(edits) << QString(chunks);
        };
        row("nothing changed", "", "IHDR A B M prIv C IDAT D IEND");
        row("entry in front", "prepend N", "IHDR new:N A B M prIv C IDAT D IEND");
        row("entry at the end: the entry after the image data moves before it", "append N",
            "IHDR A B M prIv C D new:N IDAT IEND");
        row("text changed", "text B x", "IHDR A new:B M prIv C IDAT D IEND");
        row("text changed and changed back", "text B x; text B café", "IHDR A B M prIv C IDAT D IEND");
        row("keyword changed", "keyword C E", "IHDR A B M prIv new:E IDAT D IEND");
        row("entry moved to the front", "move C 0", "IHDR C A B M prIv IDAT D IEND");
        row("entry moved behind another", "move A 2", "IHDR B M prIv C A IDAT D IEND");
        row("entry moved to the end: the entry after the image data moves before it", "move A 3",
            "IHDR B M prIv C D A IDAT IEND");
        row("entry removed", "remove B", "IHDR A M prIv C IDAT D IEND");
        row("entry after the image data changed", "text D y", "IHDR A B M prIv C new:D IDAT IEND");
        row("entry duplicated", "duplicate A", "IHDR A A B M prIv C IDAT D IEND");
        row("all removed, one added", "remove A; remove B; remove C; remove D; append N",
            "IHDR new:N M prIv IDAT IEND");
    }
    void editsTouchOnlyWhatChanged()
    {
        QFETCH(QString, edits);
        const Labelled fixture = editingFixture();
        const QString source = m_dir->write(QStringLiteral("source.png"), fixture.png);
        LoadedPng loaded;
        QVERIFY(loaded.load(source));
        QCOMPARE(describe(loaded.comments),
            (QStringList { "A=compressed text", "B=café", "C=Latin-1 été", "D=after the image" }));
        CommentList &list = loaded.comments;
        const auto find = [&](const QString &keyword) {
            const CommentList found = commentsWithKeyword(list, keyword);
            return found.isEmpty() ? CommentPtr() : found.first();
        };
        for (const QString &edit : edits.split(QStringLiteral("; "), Qt::SkipEmptyParts)) {
            const QStringList w = edit.split(u' ');
            if (w[0] == u"prepend")
                list.prepend(makeComment(w[1], QStringLiteral("new")));
            else if (w[0] == u"append")
                list.append(makeComment(w[1], QStringLiteral("new")));
            else if (w[0] == u"text")
                find(w[1])->setText(w[2]);
            else if (w[0] == u"keyword")
                find(w[1])->setKeyword(w[2]);
            else if (w[0] == u"move")
                list.move(list.indexOf(find(w[1])), w[2].toInt());
            else if (w[0] == u"remove")
                list.removeOne(find(w[1]));
            else if (w[0] == u"duplicate")
                list.insert(list.indexOf(find(w[1])), std::make_shared<PNGComment>(*find(w[1])));
        }
        const QString target = m_dir->path(QStringLiteral("target.png"));
        QString error;
        QVERIFY2(savePNG(target, loaded.info, loaded.rows, list, {}, &error), qPrintable(error));
        QTEST(describeChunks(readFile(target), fixture), "chunks");
        // Read back, the entries are those of the list, in its order.
        QCOMPARE(fileComments(target), describe(list));
    }

    void entriesOfAnotherFileKeepTheirChunks()
    {
        // Entries pasted from another file are written as their chunks stood there.
        const Labelled fixture = editingFixture();
        const QString other = m_dir->write(QStringLiteral("other.png"), fixture.png);
        LoadedPng from, to;
        QVERIFY(from.load(other));
        to = LoadedPng::fixture(QStringLiteral("pngsuite/basn0g08.png"));
        CommentList list = cloneComments(from.comments);
        const QString target = m_dir->path(QStringLiteral("target.png"));
        QVERIFY(savePNG(target, to.info, to.rows, list));
        QCOMPARE(chunkTypes(readFile(target)),
            (QStringList { "IHDR", "gAMA", "zTXt", "iTXt", "tEXt", "tEXt", "IDAT", "IEND" }));
        const auto written = chunksOf(readFile(target));
        QCOMPARE(std::pair(written[2], written[3]), std::pair(fixture.chunks[1].second, fixture.chunks[2].second));
        QCOMPARE(fileComments(target), describe(list));
    }

    void undecodedRowsAreDecodedForASave_data()
    {
        QTest::addColumn<QByteArray>("png");
        QTest::addColumn<QString>("damage"); // part of the reason; empty: sound
        QTest::newRow("RGB") << simplePng(40, 30) << QString();
        QTest::newRow("palette, interlaced")
            << readFile(dataPath(QStringLiteral("pngsuite/basi3p08.png"))) << QString();
        // The image data cut short (a sound chunk holding the start of the stream).
        const std::vector<RawChunk> plain = chunksOf(simplePng(40, 30));
        QVERIFY(plain.size() == 3 && plain[1].type == "IDAT");
        const RawChunk shorter = chunk("IDAT", plain[1].data.left(20));
        QTest::newRow("damaged") << buildPng({ ihdr(40, 30), shorter, iend() }) << "image data";
    }
    void undecodedRowsAreDecodedForASave()
    {
        QFETCH(QByteArray, png);
        QFETCH(QString, damage);
        const QString source = m_dir->write(QStringLiteral("source.png"), png);
        LoadedPng undecoded;
        PNGReadOptions chunksOnly;
        chunksOnly.decodeImage = false;
        QVERIFY(undecoded.load(source, nullptr, chunksOnly));
        PNGRows decoded;
        QString error;
        QCOMPARE(decodeImageRows(undecoded.rows, decoded, &error), damage.isEmpty());
        QVERIFY(!undecoded.rows.hasPixels());
        QVERIFY2(error.contains(damage, Qt::CaseInsensitive), qPrintable(error));
        if (!damage.isEmpty()) {
            QVERIFY(decoded.isEmpty() && !decoded.hasPixels());
            return;
        }
        LoadedPng full;
        QVERIFY(full.load(source));
        QVERIFY(decoded == full.rows);
        // Still the file's rows: a save keeps its image data, or re-encodes them when asked.
        QCOMPARE(decoded.source(), undecoded.rows.source());
        const QString target = m_dir->path(QStringLiteral("target.png"));
        QVERIFY(savePNG(target, undecoded.info, decoded, undecoded.comments));
        QCOMPARE(readFile(target), png);
        PNGWriteOptions options;
        options.recompress = true;
        QVERIFY(savePNG(target, undecoded.info, decoded, undecoded.comments, options));
        LoadedPng saved;
        QVERIFY(saved.load(target));
        QVERIFY(saved.rows == full.rows);
    }

    void aNewHeaderLayoutEncodesTheRowsAnew()
    {
        // Rows read from a plain file, written with an interlaced header: their old image
        // data no longer fits it.
        const QString source = m_dir->write(QStringLiteral("plain.png"), simplePng(40, 30));
        LoadedPng loaded;
        QVERIFY(loaded.load(source));
        loaded.info.interlace_method = 1;
        const QString target = m_dir->path(QStringLiteral("interlaced.png"));
        QString error;
        QVERIFY2(savePNG(target, loaded.info, loaded.rows, loaded.comments, {}, &error), qPrintable(error));
        LoadedPng saved;
        QVERIFY2(saved.load(target, &error), qPrintable(error));
        QCOMPARE(saved.info.interlace_method, 1);
        QVERIFY(saved.rows == loaded.rows);

        // Without the pixels there is nothing to encode, whether the header asks for it or the
        // save does: refused, not written with the old image data.
        PNGReadOptions chunksOnly;
        chunksOnly.decodeImage = false;
        for (const bool newLayout : { true, false }) {
            LoadedPng undecoded;
            QVERIFY(undecoded.load(source, nullptr, chunksOnly));
            undecoded.info.interlace_method = newLayout ? 1 : 0;
            PNGWriteOptions options;
            options.recompress = !newLayout;
            QVERIFY(!savePNG(target, undecoded.info, undecoded.rows, undecoded.comments, options, &error));
            QVERIFY2(error.contains(QStringLiteral("decoded")), qPrintable(error));
        }
    }
};

QTEST_GUILESS_MAIN(tst_LosslessSave)
#include "tst_LosslessSave.moc"
