#include "TestSupport.h"

#include "core/PNGReader.h"
#include "core/PNGWriter.h"
#include "core/SafeFile.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

class tst_PNGReadWrite : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void suiteRoundTrip_data();
    void suiteRoundTrip();
    void refusedInput_data();
    void refusedInput();
    void interlacedRowsMatchPlain();
    void capturedValues();

    void textDecoding_data();
    void textDecoding();
    void textChunkKinds_data();
    void textChunkKinds();
    void invalidCommentsAndKeywordRepair();
    void longKeywordReadIsCut();

    void chunkOrder();
    void failuresLeaveDestinationUntouched();
    void readOnlyFileAndFolderRefused();
    void permissionsKept();
    void hostileSizesRefused();
    void sourceChangedOnDiskIsWrittenFromMemory();

private:
    struct Loaded
    {
        PNGinfo info;
        PNGRows rows;
        CommentList comments;
    };
    bool read(const QString &path, Loaded &out, QString *error = nullptr, PNGReadOptions options = {});
    QString tempPath(const QString &name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

bool tst_PNGReadWrite::read(const QString &path, Loaded &out, QString *error, PNGReadOptions options)
{
    out.info.path = path;
    return loadPNG(out.info, out.rows, out.comments, options, error);
}

void tst_PNGReadWrite::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_PNGReadWrite::cleanup()
{
    setWriteFailureAfterBytes(-1);
    m_dir.reset();
}

static void compareRecords(const PNGinfo &a, const PNGinfo &b)
{
    QCOMPARE(a.width, b.width);
    QCOMPARE(a.height, b.height);
    QCOMPARE(a.bytesPerRow, b.bytesPerRow);
    QCOMPARE(a.colourType, b.colourType);
    QCOMPARE(a.bit_depth, b.bit_depth);
    QCOMPARE(a.interlace_method, b.interlace_method);
    QCOMPARE(a.hasGamma, b.hasGamma);
    QCOMPARE(a.gamma, b.gamma);
    QCOMPARE(a.profileName, b.profileName);
    QCOMPARE(a.profileData, b.profileData);
    QVERIFY(a.paletteData == b.paletteData);
    QVERIFY(a.hIST == b.hIST);
    QCOMPARE(a.transparencyTable, b.transparencyTable);
    QVERIFY(a.transparencyColourValues == b.transparencyColourValues);
    QCOMPARE(a.hascHRM, b.hascHRM);
    QVERIFY(a.cHRM == b.cHRM);
    QCOMPARE(a.use_sRGB, b.use_sRGB);
    QCOMPARE(a.sRGBintent, b.sRGBintent);
    QVERIFY(a.backgroundColour == b.backgroundColour);
    QVERIFY(a.sBIT == b.sBIT);
    QCOMPARE(a.haspHYs, b.haspHYs);
    QCOMPARE(a.resX, b.resX);
    QCOMPARE(a.resY, b.resY);
    QCOMPARE(a.pHYsUnit, b.pHYsUnit);
    QCOMPARE(a.hassCAL, b.hassCAL);
    QCOMPARE(a.sCALwidth, b.sCALwidth);
    QCOMPARE(a.hastIME, b.hastIME);
    QVERIFY(a.tIME == b.tIME);
    QCOMPARE(a.numUnknownChunks, b.numUnknownChunks);
    QVERIFY(a.unknowns == b.unknowns);
}

void tst_PNGReadWrite::suiteRoundTrip_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<bool>("recompress");
    for (const QString &f : validPngSuiteFiles()) {
        QTest::newRow(qPrintable(QFileInfo(f).fileName() + QStringLiteral(" kept"))) << f << false;
        QTest::newRow(qPrintable(QFileInfo(f).fileName() + QStringLiteral(" re-encoded"))) << f << true;
    }
}

void tst_PNGReadWrite::suiteRoundTrip()
{
    QFETCH(QString, file);
    QFETCH(bool, recompress);
    Loaded first;
    QString error;
    QVERIFY2(read(file, first, &error), qPrintable(error));
    QVERIFY(first.rows.hasPixels());

    const QString out = tempPath(QStringLiteral("out.png"));
    PNGWriteOptions options;
    options.recompress = recompress;
    QVERIFY2(savePNG(out, first.info, first.rows, first.comments, options, &error), qPrintable(error));

    Loaded second;
    QVERIFY2(read(out, second, &error), qPrintable(error));
    compareRecords(first.info, second.info);
    QVERIFY2(first.rows == second.rows, "decoded pixels differ");
    QCOMPARE(second.comments.size(), first.comments.size());
    for (qsizetype i = 0; i < first.comments.size(); ++i) {
        QCOMPARE(second.comments[i]->keyword(), first.comments[i]->keyword());
        QCOMPARE(second.comments[i]->text(), first.comments[i]->text());
    }
    if (!recompress)
        QCOMPARE(chunkPayloads(readFile(out), "IDAT"), chunkPayloads(readFile(file), "IDAT"));
    // Apart from the text chunks, the same chunks in the same order.
    auto withoutText = [](QStringList types) {
        types.removeIf([](const QString &t) { return t == u"tEXt" || t == u"zTXt" || t == u"iTXt"; });
        types.removeDuplicates(); // the image data may be split into a different number of chunks
        return types;
    };
    QCOMPARE(withoutText(chunkTypes(readFile(out))), withoutText(chunkTypes(readFile(file))));

    // pngcheck accepts what we write whenever it accepts the source (a few suite files
    // carry values it rejects, such as a modification time in 1970).
    QString output;
    if (runTool(QStringLiteral("pngcheck"), {QStringLiteral("-q"), file}) == 0)
        QVERIFY2(runTool(QStringLiteral("pngcheck"), {QStringLiteral("-q"), out}, &output) == 0, qPrintable(output));
}

void tst_PNGReadWrite::refusedInput_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("file");
    for (const QString &f : corruptPngSuiteFiles())
        QTest::newRow(qPrintable(QFileInfo(f).fileName())) << QByteArray() << f;
    const QByteArray good = readFile(dataPath(QStringLiteral("pngsuite/basn2c08.png")));
    QByteArray oneByteOff = good;
    oneByteOff[3] = 'X';
    QTest::newRow("empty file") << QByteArray("") << QString();
    QTest::newRow("truncated in the image data") << good.left(good.size() / 2) << QString();
    QTest::newRow("no end chunk") << good.left(good.size() - 12) << QString();
    QTest::newRow("not a PNG") << QByteArray("GIF89a, definitely not a PNG file") << QString();
    QTest::newRow("signature one byte off") << oneByteOff << QString();
    QByteArray badCrc = good;
    badCrc[badCrc.indexOf("IDAT") + 10] ^= 0x55;
    QTest::newRow("image data damaged") << badCrc << QString();
}

void tst_PNGReadWrite::refusedInput()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, file);
    if (file.isEmpty()) {
        file = tempPath(QStringLiteral("input.png"));
        QVERIFY(writeFile(file, bytes));
    }
    Loaded loaded;
    loaded.comments = {makeComment(QStringLiteral("Kept"), QStringLiteral("from before"))};
    QString error;
    QVERIFY(!read(file, loaded, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(loaded.info.path, file);
    QCOMPARE(loaded.info.width, 0u);
    QVERIFY(loaded.info.unknowns.empty());
    QVERIFY(loaded.rows.isEmpty());
    QCOMPARE(loaded.comments.size(), 1); // the list is left alone

    // A record that holds no image is never written.
    const QString out = tempPath(QStringLiteral("never.png"));
    QVERIFY(!savePNG(out, loaded.info, loaded.rows, loaded.comments, {}, &error));
    QVERIFY(!QFileInfo::exists(out));
}

void tst_PNGReadWrite::interlacedRowsMatchPlain()
{
    Loaded plain, interlaced;
    QVERIFY(read(dataPath(QStringLiteral("pngsuite/basn6a16.png")), plain));
    QVERIFY(read(dataPath(QStringLiteral("pngsuite/basi6a16.png")), interlaced));
    QCOMPARE(interlaced.info.interlace_method, 1);
    QCOMPARE(plain.info.bytesPerRow, 32 * 8);
    QVERIFY(plain.rows == interlaced.rows);
}

void tst_PNGReadWrite::capturedValues()
{
    Loaded palette;
    QVERIFY(read(dataPath(QStringLiteral("pngsuite/ch1n3p04.png")), palette));
    QCOMPARE(palette.info.paletteNumEntries, int(palette.info.paletteData.size()));
    QCOMPARE(palette.info.hIST.size(), palette.info.paletteData.size());

    Loaded trns;
    QVERIFY(read(dataPath(QStringLiteral("pngsuite/tbbn3p08.png")), trns));
    QVERIFY(!trns.info.transparencyTable.isNull());
    QCOMPARE(trns.info.transparencyTableSize, int(trns.info.transparencyTable.size()));
    QVERIFY(trns.info.hasbKGD);

    // Greyscale with alpha, sBIT grey 5 and alpha 3; pHYs 2835 per metre; a 5000-byte zTXt.
    const QString crafted = tempPath(QStringLiteral("crafted.png"));
    const QByteArray longText(5000, 'z');
    QVERIFY(writeFile(crafted, buildPng({ihdr(4, 4, 8, 4), chunk("sBIT", QByteArray("\x05\x03", 2)),
                                         chunk("pHYs", QByteArray("\0\0\x0b\x13\0\0\x0b\x13\x01", 9)),
                                         zTXt("Long", longText), idat(4, 4, 2), iend()})));
    Loaded c;
    QString error;
    QVERIFY2(read(crafted, c, &error), qPrintable(error));
    QVERIFY(c.info.has_sBIT && c.info.sBIT);
    QCOMPARE(c.info.sBIT->gray, 5);
    QCOMPARE(c.info.sBIT->alpha, 3);
    QVERIFY(c.info.haspHYs);
    QCOMPARE(c.info.resX, 2835u);
    QCOMPARE(c.info.resY, 2835u);
    QCOMPARE(c.info.pHYsUnit, 1);
    QCOMPARE(c.comments.size(), 1);
    QCOMPARE(c.comments.first()->text(), QString::fromLatin1(longText));

    // An sRGB chunk implies a gamma; the record must not invent a gAMA chunk from it.
    const QString srgbOnly = tempPath(QStringLiteral("srgb.png"));
    QVERIFY(writeFile(srgbOnly, simplePng(4, 4, {chunk("sRGB", QByteArray(1, 0))})));
    Loaded s;
    QVERIFY(read(srgbOnly, s));
    QVERIFY(s.info.use_sRGB);
    QVERIFY(!s.info.hasGamma);
    QVERIFY(!s.info.hascHRM);
}

void tst_PNGReadWrite::textDecoding_data()
{
    QTest::addColumn<RawChunk>("textChunk");
    QTest::addColumn<QString>("keyword");
    QTest::addColumn<QString>("text");
    QTest::newRow("UTF-8 in tEXt (earlier versions)") << tEXt("Author", "J\xc3\xb6rg") << "Author" << QString::fromUtf8("Jörg");
    QTest::newRow("Latin-1 in tEXt") << tEXt("Author", "Caf\xe9 cr\xe8me") << "Author" << QString::fromUtf8("Café crème");
    QTest::newRow("Latin-1 keyword") << tEXt("Ma\xdf", "x") << QString::fromUtf8("Maß") << "x";
    QTest::newRow("Latin-1 in zTXt") << zTXt("Note", "\xa9 1999") << "Note" << QString::fromUtf8("© 1999");
    QTest::newRow("iTXt UTF-8") << iTXt("Title", "ja", "\xe3\x82\xbf\xe3\x82\xa4\xe3\x83\x88\xe3\x83\xab", "\xe5\xaf\x8c\xe5\xa3\xab\xe5\xb1\xb1")
                                << "Title" << QString::fromUtf8("富士山");
    QTest::newRow("compressed iTXt") << iTXt("Desc", "", "", QByteArray(3000, 'q'), true) << "Desc" << QString(3000, u'q');
    QTest::newRow("keyword only") << chunk("tEXt", QByteArray("Lonely")) << "Lonely" << "";
}

void tst_PNGReadWrite::textDecoding()
{
    QFETCH(RawChunk, textChunk);
    QFETCH(QString, keyword);
    QFETCH(QString, text);
    const QString file = tempPath(QStringLiteral("text.png"));
    QVERIFY(writeFile(file, simplePng(8, 8, {textChunk})));
    Loaded loaded;
    QVERIFY(read(file, loaded));
    QCOMPARE(loaded.comments.size(), 1);
    QCOMPARE(loaded.comments.first()->keyword(), keyword);
    QCOMPARE(loaded.comments.first()->text(), text);

    // It survives a save and another read.
    QVERIFY(savePNG(file, loaded.info, loaded.rows, loaded.comments));
    Loaded again;
    QVERIFY(read(file, again));
    QCOMPARE(again.comments.size(), 1);
    QCOMPARE(again.comments.first()->keyword(), keyword);
    QCOMPARE(again.comments.first()->text(), text);
}

void tst_PNGReadWrite::textChunkKinds_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("batch");
    QTest::addColumn<QString>("kind");
    QTest::newRow("999 ASCII bytes") << QString(999, u'a') << false << "tEXt";
    QTest::newRow("1000 ASCII bytes") << QString(1000, u'a') << false << "zTXt";
    QTest::newRow("400 two-byte characters") << QString(400, QChar(0xe9)) << false << "iTXt";
    QTest::newRow("600 two-byte characters") << QString(600, QChar(0xe9)) << false << "iTXt";
    QTest::newRow("batch never compresses") << QString(5000, u'a') << true << "tEXt";
    QTest::newRow("batch non-ASCII") << QString(5000, QChar(0x4e2d)) << true << "iTXt";
    QTest::newRow("absent text") << QString() << false << "tEXt";
}

void tst_PNGReadWrite::textChunkKinds()
{
    QFETCH(QString, text);
    QFETCH(bool, batch);
    QFETCH(QString, kind);
    Loaded loaded;
    QVERIFY(read(dataPath(QStringLiteral("pngsuite/basn2c08.png")), loaded));
    const QString file = tempPath(QStringLiteral("kinds.png"));
    PNGWriteOptions options;
    options.textCompression = batch ? PNGWriteOptions::TextCompression::Never : PNGWriteOptions::TextCompression::BySize;
    QVERIFY(savePNG(file, loaded.info, loaded.rows, {makeComment(QStringLiteral("K"), text)}, options));
    const QByteArray png = readFile(file);
    QStringList textTypes;
    for (const QString &t : chunkTypes(png)) {
        if (t == u"tEXt" || t == u"zTXt" || t == u"iTXt")
            textTypes << t;
    }
    QCOMPARE(textTypes, QStringList{kind});
    if (kind == u"iTXt") {
        const bool compressedFlag = chunkPayloads(png, "iTXt").first().at(2) != 0;
        QCOMPARE(compressedFlag, !batch && text.toUtf8().size() >= 1000);
    }
    Loaded back;
    QVERIFY(read(file, back));
    QCOMPARE(back.comments.first()->text(), text.isNull() ? QStringLiteral("") : text);
}

void tst_PNGReadWrite::invalidCommentsAndKeywordRepair()
{
    Loaded loaded;
    QVERIFY(read(dataPath(QStringLiteral("pngsuite/basn2c08.png")), loaded));
    const CommentList comments{makeComment(QStringLiteral("Author"), QStringLiteral("Ann")),
                               makeComment(QStringLiteral(""), QStringLiteral("x")), makeComment(QStringLiteral("Title")),
                               makeComment(QStringLiteral("  Two   spaces\there "), QStringLiteral("y")),
                               makeComment(QStringLiteral("   "), QStringLiteral("blank keyword"))};
    const QString file = tempPath(QStringLiteral("repair.png"));
    QTest::ignoreMessage(QtWarningMsg, "Empty keyword in tEXt chunk");
    QVERIFY(savePNG(file, loaded.info, loaded.rows, comments));
    Loaded back;
    QVERIFY(read(file, back));
    QCOMPARE(back.comments.size(), 3);
    QCOMPARE(back.comments[0]->keyword(), QStringLiteral("Author"));
    QCOMPARE(back.comments[0]->text(), QStringLiteral("Ann"));
    QCOMPARE(back.comments[1]->keyword(), QStringLiteral("Title"));
    QCOMPARE(back.comments[1]->text(), QStringLiteral(""));
    QCOMPARE(back.comments[2]->keyword(), QStringLiteral("Two spaces here"));
    QCOMPARE(pngKeywordBytes(QString::fromUtf8("Maß")), QByteArray("Ma\xdf"));
    QCOMPARE(pngKeywordBytes(QString(100, u'k')).size(), 79);
}

void tst_PNGReadWrite::longKeywordReadIsCut()
{
    const QString file = tempPath(QStringLiteral("long.png"));
    QVERIFY(writeFile(file, simplePng(4, 4, {tEXt(QByteArray(85, 'L'), "t")})));
    Loaded loaded;
    QVERIFY(read(file, loaded));
    QCOMPARE(loaded.comments.first()->keyword(), QString(79, u'L'));
}

void tst_PNGReadWrite::chunkOrder()
{
    // Palette with tRNS and hIST, plus gAMA and sRGB together.
    Loaded loaded;
    QVERIFY(read(dataPath(QStringLiteral("pngsuite/ch1n3p04.png")), loaded));
    loaded.info.transparencyTable = QByteArray("\x10\x20\x30", 3);
    loaded.info.transparencyTableSize = 3;
    loaded.info.use_sRGB = true;
    loaded.info.hasbKGD = true;
    loaded.info.backgroundColour = PngColor16{1, 0, 0, 0, 0};
    loaded.info.haspHYs = true;
    loaded.info.resX = loaded.info.resY = 2835;
    loaded.info.pHYsUnit = 1;
    const QString file = tempPath(QStringLiteral("order.png"));
    for (bool recompress : {false, true}) {
        PNGWriteOptions options;
        options.recompress = recompress;
        QString error;
        QVERIFY2(savePNG(file, loaded.info, loaded.rows, {makeComment(QStringLiteral("A"), QStringLiteral("b"))}, options,
                         &error),
                 qPrintable(error));
        QCOMPARE(chunkTypes(readFile(file)),
                 (QStringList{"IHDR", "gAMA", "sRGB", "sBIT", "PLTE", "tRNS", "bKGD", "hIST", "pHYs", "tEXt", "IDAT", "IEND"}));
        Loaded back;
        QVERIFY(read(file, back));
        QCOMPARE(back.info.transparencyTableSize, 3);
        QVERIFY(back.info.hasGamma && back.info.use_sRGB);
        QVERIFY(back.rows == loaded.rows);
    }
}

void tst_PNGReadWrite::failuresLeaveDestinationUntouched()
{
    Loaded loaded;
    QVERIFY(read(dataPath(QStringLiteral("pngsuite/basn6a16.png")), loaded));
    const QString target = tempPath(QStringLiteral("target.png"));
    const QByteArray original = readFile(dataPath(QStringLiteral("pngsuite/basn2c08.png")));
    QVERIFY(writeFile(target, original));

    // A write that fails part-way (a full disk) leaves the original as it was, for both
    // the kept and the re-encoded image data.
    for (bool recompress : {false, true}) {
        PNGWriteOptions options;
        options.recompress = recompress;
        setWriteFailureAfterBytes(100);
        QString error;
        QVERIFY(!savePNG(target, loaded.info, loaded.rows, loaded.comments, options, &error));
        QVERIFY2(error.contains(QStringLiteral("write error")), qPrintable(error));
        QCOMPARE(readFile(target), original);
    }
    setWriteFailureAfterBytes(-1);
    QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList{"target.png"}); // no temporary left behind

    // A folder that does not exist.
    QTest::ignoreMessage(QtWarningMsg, "Failed to create output file");
    QString error;
    QVERIFY(!savePNG(tempPath(QStringLiteral("missing/x.png")), loaded.info, loaded.rows, loaded.comments, {}, &error));
    QVERIFY(!error.isEmpty());
}

void tst_PNGReadWrite::readOnlyFileAndFolderRefused()
{
    Loaded loaded;
    QVERIFY(read(dataPath(QStringLiteral("pngsuite/basn0g08.png")), loaded));
    const QString target = tempPath(QStringLiteral("locked.png"));
    const QByteArray original = readFile(dataPath(QStringLiteral("pngsuite/basn0g08.png")));
    QVERIFY(writeFile(target, original));
    QVERIFY(QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::ReadGroup));
    QString error;
    QTest::ignoreMessage(QtWarningMsg, "Failed to create output file");
    QVERIFY(!savePNG(target, loaded.info, loaded.rows, loaded.comments, {}, &error));
    QVERIFY2(error.contains(QStringLiteral("read-only")), qPrintable(error));
    QCOMPARE(readFile(target), original);

    const QString folder = tempPath(QStringLiteral("ro"));
    QVERIFY(QDir().mkdir(folder));
    const QString inside = folder + QStringLiteral("/a.png");
    QVERIFY(writeFile(inside, original));
    QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    QTest::ignoreMessage(QtWarningMsg, "Failed to create output file");
    QVERIFY(!savePNG(inside, loaded.info, loaded.rows, loaded.comments, {}, &error));
    QVERIFY2(error.contains(QStringLiteral("read-only")), qPrintable(error));
    QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QCOMPARE(readFile(inside), original);
}

void tst_PNGReadWrite::permissionsKept()
{
    Loaded loaded;
    QVERIFY(read(dataPath(QStringLiteral("pngsuite/basn0g08.png")), loaded));
    const QString target = tempPath(QStringLiteral("perm.png"));
    QVERIFY(writeFile(target, readFile(dataPath(QStringLiteral("pngsuite/basn0g08.png")))));
    const auto perms = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup;
    QVERIFY(QFile::setPermissions(target, perms));
    QVERIFY(savePNG(target, loaded.info, loaded.rows, {makeComment(QStringLiteral("New"), QStringLiteral("entry"))}));
    QCOMPARE(QFile::permissions(target) & 0x7077, perms);
}

void tst_PNGReadWrite::hostileSizesRefused()
{
    // A header that claims 2^31-1 squared pixels with almost no data.
    const QString huge = tempPath(QStringLiteral("huge.png"));
    QVERIFY(writeFile(huge, buildPng({ihdr(0x7fffffff, 0x7fffffff), idat(1, 1), iend()})));
    Loaded loaded;
    QString error;
    QVERIFY(!read(huge, loaded, &error));
    QVERIFY(!error.isEmpty());

    // Within the library's limits but above the memory limit.
    const QString big = tempPath(QStringLiteral("big.png"));
    QVERIFY(writeFile(big, buildPng({ihdr(50000, 50000), idat(1, 1), iend()})));
    QVERIFY(!read(big, loaded, &error));
    QVERIFY2(error.contains(QStringLiteral("too large")), qPrintable(error));

    PNGReadOptions tight;
    tight.memoryLimit = 1000;
    QVERIFY(!read(dataPath(QStringLiteral("pngsuite/basn6a16.png")), loaded, &error, tight));
    QVERIFY2(error.contains(QStringLiteral("too large")), qPrintable(error));
}

void tst_PNGReadWrite::sourceChangedOnDiskIsWrittenFromMemory()
{
    const QString file = tempPath(QStringLiteral("changing.png"));
    QVERIFY(writeFile(file, readFile(dataPath(QStringLiteral("pngsuite/basn3p08.png")))));
    Loaded loaded;
    QVERIFY(read(file, loaded));
    QVERIFY(writeFile(file, QByteArray("overwritten by another program")));
    QVERIFY(savePNG(file, loaded.info, loaded.rows, loaded.comments));
    Loaded back;
    QVERIFY(read(file, back));
    QVERIFY(back.rows == loaded.rows);
}

QTEST_GUILESS_MAIN(tst_PNGReadWrite)
#include "tst_PNGReadWrite.moc"
