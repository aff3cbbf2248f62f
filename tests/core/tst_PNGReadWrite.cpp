#include "TestSupport.h"

#include "core/PNGSource.h"
#include "core/PNGWriter.h"
#include "core/SafeFile.h"
#include "core/SourceFile.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>

using namespace TestSupport;

using Spoil = void (*)(PNGinfo &);
Q_DECLARE_METATYPE(Spoil)

class tst_PNGReadWrite : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    QString tempPath(const QString &name) const { return m_dir->filePath(name); }

private Q_SLOTS:
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void cleanup()
    {
        setWriteFailures({});
        m_dir.reset();
    }

    void refusedInput_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("file");
        QTest::addColumn<quint64>("memoryLimit"); // 0: the default
        QTest::addColumn<QString>("reason");
        for (const QString &f : pngSuiteFiles(false))
            QTest::newRow(qPrintable(QFileInfo(f).fileName())) << QByteArray() << f << quint64(0) << QString();
        const QByteArray good = readFile(dataPath(QStringLiteral("pngsuite/basn2c08.png")));
        const auto row = [](const char *name, const QByteArray &bytes, const QString &reason = QString()) {
            QTest::newRow(name) << bytes << QString() << quint64(0) << reason;
        };
        row("empty file", "");
        row("truncated in the image data", good.left(good.size() / 2));
        row("no end chunk", good.left(good.size() - 12));
        row("header claiming 2^31-1 squared pixels", buildPng({ ihdr(0x7fffffff, 0x7fffffff), idat(1, 1), iend() }));
        row("within the library's limits, above the memory limit", buildPng({ ihdr(50000, 50000), idat(1, 1), iend() }),
            "too large");
        // Small on disk, huge once inflated: refused before the memory runs out.
        row("text entries inflating past the limit",
            simplePng(4, 4, { zTXt("A", QByteArray(40 << 20, 0)), zTXt("B", QByteArray(40 << 20, 0)) }), "too large");
        QTest::newRow("a FIFO, which must not block the read")
            << QByteArray() << "@fifo" << quint64(0) << "regular file";
        QTest::newRow("above a tight memory limit")
            << QByteArray() << dataPath(QStringLiteral("pngsuite/basn6a16.png")) << quint64(1000) << "too large";
    }
    void refusedInput()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, file);
        QFETCH(quint64, memoryLimit);
        if (file == u"@fifo") {
            file = tempPath(QStringLiteral("fifo.png"));
            QCOMPARE(::mkfifo(QFile::encodeName(file).constData(), 0600), 0);
        } else if (file.isEmpty()) {
            file = tempPath(QStringLiteral("input.png"));
            QVERIFY(writeFile(file, bytes));
        }
        // Decoded from memory, read chunk by chunk with the image data checked as they come, or
        // read as the application reads.
        for (const int way : { 0, 1, 2 }) {
            PNGReadOptions options;
            if (memoryLimit)
                options.memoryLimit = memoryLimit;
            if (way < 2) {
                options.decodeImage = way == 0;
                options.checkImageData = way == 1;
                options.holdWholeBelow = 0;
            }
            LoadedPng loaded;
            loaded.comments = commentsFrom({ "Kept=from before" });
            QString error;
            QVERIFY(!loaded.load(file, &error, options));
            QFETCH(QString, reason);
            QVERIFY2(!error.isEmpty() && error.contains(reason), qPrintable(error));
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
    }

    void capturedValues()
    {
        const LoadedPng plain = LoadedPng::fixture("pngsuite/basn6a16.png");
        const LoadedPng interlaced = LoadedPng::fixture("pngsuite/basi6a16.png");
        QCOMPARE(interlaced.info.interlace_method, 1);
        QCOMPARE(plain.info.bytesPerRow, 32 * 8);
        QVERIFY(plain.rows == interlaced.rows);

        const PNGinfo palette = LoadedPng::fixture("pngsuite/ch1n3p04.png").info;
        QCOMPARE(palette.paletteNumEntries(), 15);
        QCOMPARE(palette.hIST.size(), palette.paletteData.size());
        const PNGinfo trns = LoadedPng::fixture("pngsuite/tbbn3p08.png").info;
        QVERIFY(!trns.transparencyTable.isNull() && trns.hasbKGD);
        QCOMPARE(trns.transparencyTableSize(), 1);

        // Greyscale with alpha, sBIT grey 5 and alpha 3; pHYs 2835 per metre; a 5000-byte zTXt.
        const QString crafted = tempPath(QStringLiteral("crafted.png"));
        const QByteArray longText(5000, 'z');
        QVERIFY(writeFile(crafted,
            buildPng({ ihdr(4, 4, 8, 4), chunk("sBIT", QByteArray("\x05\x03", 2)), pHYs(2835, 2835, 1),
                zTXt("Long", longText), idat(4, 4, 2), iend() })));
        LoadedPng c;
        QString error;
        QVERIFY2(c.load(crafted, &error), qPrintable(error));
        QVERIFY(c.info.has_sBIT && c.info.sBIT);
        QCOMPARE(std::pair(c.info.sBIT->gray, c.info.sBIT->alpha), std::pair(uint8_t(5), uint8_t(3)));
        QCOMPARE(std::tuple(c.info.haspHYs, c.info.resX, c.info.resY, c.info.pHYsUnit),
            std::tuple(true, 2835u, 2835u, uint8_t(1)));
        QCOMPARE(describe(c.comments), QStringList { QStringLiteral("Long=") + QString::fromLatin1(longText) });

        // An sRGB chunk implies a gamma; the record must not invent a gAMA chunk from it.
        QVERIFY(writeFile(crafted, simplePng(4, 4, { chunk("sRGB", QByteArray(1, 0)) })));
        QVERIFY(c.load(crafted));
        QVERIFY(c.info.use_sRGB && !c.info.hasGamma && !c.info.hascHRM);
    }

    void textDecoding_data()
    {
        QTest::addColumn<RawChunk>("textChunk");
        QTest::addColumn<QString>("comment");
        QTest::newRow("UTF-8 in tEXt (earlier versions)") << tEXt("Author", "J\xc3\xb6rg") << u"Author=Jörg"_qs;
        QTest::newRow("Latin-1 in tEXt") << tEXt("Author", "Caf\xe9 cr\xe8me") << u"Author=Café crème"_qs;
        QTest::newRow("Latin-1 keyword") << tEXt("Ma\xdf", "x") << QString::fromUtf8("Maß=x");
        QTest::newRow("Latin-1 in zTXt") << zTXt("Note", "\xa9 1999") << QString::fromUtf8("Note=© 1999");
        QTest::newRow("iTXt UTF-8") << iTXt(
            "Title", "ja", "\xe3\x82\xbf\xe3\x82\xa4\xe3\x83\x88\xe3\x83\xab", "\xe5\xaf\x8c\xe5\xa3\xab\xe5\xb1\xb1")
                                    << QString::fromUtf8("Title=富士山");
        QTest::newRow("compressed iTXt") << iTXt("Desc", "", "", QByteArray(3000, 'q'), true)
                                         << QStringLiteral("Desc=") + QString(3000, u'q');
        QTest::newRow("keyword only") << chunk("tEXt", QByteArray("Lonely")) << "Lonely=";
    }
    void textDecoding()
    {
        QFETCH(RawChunk, textChunk);
        QFETCH(QString, comment);
        const QString file = tempPath(QStringLiteral("text.png"));
        QVERIFY(writeFile(file, simplePng(8, 8, { textChunk })));
        LoadedPng loaded;
        QVERIFY(loaded.load(file));
        QCOMPARE(describe(loaded.comments), QStringList { comment });
    }

    void textChunkKinds_data()
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
    void textChunkKinds()
    {
        QFETCH(QString, text);
        QFETCH(bool, batch);
        QFETCH(QString, kind);
        const LoadedPng loaded = LoadedPng::fixture("pngsuite/basn2c08.png");
        const QString file = tempPath(QStringLiteral("kinds.png"));
        PNGWriteOptions options;
        options.textCompression
            = batch ? PNGWriteOptions::TextCompression::Never : PNGWriteOptions::TextCompression::BySize;
        QVERIFY(savePNG(file, loaded.info, loaded.rows, { makeComment(QStringLiteral("K"), text) }, options));
        const QByteArray png = readFile(file);
        QCOMPARE(chunkTypes(png).filter(QRegularExpression(u"^(tEXt|zTXt|iTXt)$"_qs)), QStringList { kind });
        if (kind == u"iTXt") // the compression flag
            QCOMPARE(chunkPayloads(png, "iTXt").first().at(2) != 0, !batch && text.toUtf8().size() >= 1000);
        QCOMPARE(fileComments(file), QStringList { QStringLiteral("K=") + text });
    }

    void entriesAPngFileCannotHold_data()
    {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("reason"); // empty: written
        QTest::addColumn<QByteArray>("writtenKeyword");
        QTest::newRow("keyword outside Latin-1")
            << u"日本"_qs << u"x"_qs << u"“日本” has characters"_qs << QByteArray();
        QTest::newRow("keyword with an emoji") << u"Tag😀"_qs << u"x"_qs << u"Latin-1"_qs << QByteArray();
        QTest::newRow("keyword of spaces") << u"   "_qs << u"x"_qs << u"no printable character"_qs << QByteArray();
        QTest::newRow("keyword of control characters")
            << u"\t\n"_qs << u"x"_qs << u"no printable character"_qs << QByteArray();
        QTest::newRow("text holding NUL")
            << u"K"_qs << QString::fromUtf16(u"a\u0000b", 3) << u"text of “K” holds a NUL"_qs << QByteArray();
        QTest::newRow("Latin-1 keyword") << u"Maß"_qs << u"x"_qs << QString() << QByteArray("Ma\xdf");
        QTest::newRow("keyword repaired")
            << u"  Two   spaces\there "_qs << u"y"_qs << QString() << QByteArray("Two spaces here");
        QTest::newRow("keyword cut at 79 characters")
            << QString(100, u'\xe9') << u"z"_qs << QString() << QByteArray(79, '\xe9');
        QTest::newRow("non-ASCII text") << u"K"_qs << u"富士山"_qs << QString() << QByteArray("K");
    }
    void entriesAPngFileCannotHold()
    {
        QFETCH(QString, keyword);
        QFETCH(QString, text);
        QFETCH(QString, reason);
        const LoadedPng loaded = LoadedPng::fixture("pngsuite/basn2c08.png");
        const QString file = copyFixture(QStringLiteral("pngsuite/basn2c08.png"), m_dir->path());
        const QByteArray before = readFile(file);
        const CommentPtr entry = makeComment(keyword, text);
        QCOMPARE(whyUnwritable(*entry).isEmpty(), reason.isEmpty());
        QString error;
        const bool saved = savePNG(file, loaded.info, loaded.rows,
            { makeComment(QStringLiteral("Author"), QStringLiteral("Ann")), makeComment(QString(), u"x"_qs), entry },
            {}, &error);
        // Refused whole, naming the entry, the file untouched.
        QCOMPARE(saved, reason.isEmpty());
        QVERIFY2(error.contains(reason), qPrintable(error));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
        if (!saved) {
            QCOMPARE(readFile(file), before);
            return;
        }
        const QList<QByteArray> texts
            = chunkPayloads(readFile(file), textChunkKindFor(*entry, true) == TextChunkKind::tEXt ? "tEXt" : "iTXt");
        QTEST(texts.last().left(texts.last().indexOf('\0')), "writtenKeyword");
        QCOMPARE(fileComments(file).size(), 2); // the entry without keyword is skipped
    }

    void entriesReadAreAlwaysWrittenBack()
    {
        // Another tool wrote a UTF-8 keyword, a text holding NUL and a keyword of 85 letters:
        // entries nobody changed go back as they were; once changed, the rules apply.
        const QString file = tempPath(QStringLiteral("other-tool.png"));
        const QByteArray png = simplePng(8, 8,
            { tEXt("\xe6\x97\xa5\xe6\x9c\xac", "utf-8 keyword"), tEXt("Nul", QByteArray("a\0b", 3)),
                tEXt(QByteArray(85, 'L'), "long") });
        QVERIFY(writeFile(file, png));
        LoadedPng loaded;
        QVERIFY(loaded.load(file));
        QCOMPARE(loaded.comments.first()->keyword(), u"日本"_qs);
        QCOMPARE(loaded.comments.last()->keyword(), QString(79, u'L'));
        for (const CommentPtr &c : std::as_const(loaded.comments))
            QVERIFY2(whyUnwritable(*c).isEmpty(), qPrintable(c->keyword()));
        QVERIFY(savePNG(file, loaded.info, loaded.rows, loaded.comments));
        QCOMPARE(readFile(file), png);

        loaded.comments.first()->setText(QStringLiteral("changed"));
        QString error;
        QVERIFY(!savePNG(file, loaded.info, loaded.rows, loaded.comments, {}, &error));
        QVERIFY2(error.contains(u"日本"_qs), qPrintable(error));
        loaded.comments.first()->setText(QStringLiteral("utf-8 keyword"));
        // The long keyword, once its text changes, is written cut at 79.
        loaded.comments.last()->setText(QStringLiteral("changed"));
        QVERIFY(savePNG(file, loaded.info, loaded.rows, loaded.comments));
        QCOMPARE(chunkPayloads(readFile(file), "tEXt").last(), QByteArray(79, 'L') + '\0' + "changed");
    }

    void chunkOrder()
    {
        // Palette with tRNS and hIST, plus gAMA and sRGB together.
        LoadedPng loaded = LoadedPng::fixture("pngsuite/ch1n3p04.png");
        loaded.info.transparencyTable = QByteArray("\x10\x20\x30", 3);
        loaded.info.use_sRGB = loaded.info.hasbKGD = loaded.info.haspHYs = true;
        loaded.info.backgroundColour = PngColor16 { 1, 0, 0, 0, 0 };
        loaded.info.resX = loaded.info.resY = 2835;
        loaded.info.pHYsUnit = 1;
        const QString file = tempPath(QStringLiteral("order.png"));
        for (bool recompress : { false, true }) {
            PNGWriteOptions options;
            options.recompress = recompress;
            QString error;
            QVERIFY2(
                savePNG(file, loaded.info, loaded.rows, commentsFrom({ "A=b" }), options, &error), qPrintable(error));
            QCOMPARE(chunkTypes(readFile(file)),
                (QStringList {
                    "IHDR", "gAMA", "sRGB", "sBIT", "PLTE", "tRNS", "bKGD", "hIST", "pHYs", "tEXt", "IDAT", "IEND" }));
            LoadedPng back;
            QVERIFY(back.load(file));
            QCOMPARE(back.info.transparencyTableSize(), 3);
            QVERIFY(back.info.hasGamma && back.info.use_sRGB);
            QVERIFY(back.rows == loaded.rows);
        }
    }

    // A file read in part (its image data left in the file) is saved from the file as it was
    // read: replaced by another since, it still is; changed in place, the save is refused.
    void fileChangedSinceItWasRead_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("reason"); // empty: saved
        for (const auto &[name, change, reason] :
            { std::tuple("unchanged", "none", ""), { "replaced by another file", "replaced", "" },
                { "grown in place", "grown", "changed by another program" },
                { "rewritten in place, same size", "rewritten", "changed by another program" } })
            QTest::newRow(name) << QString(change) << QString(reason);
    }
    void fileChangedSinceItWasRead()
    {
        QFETCH(QString, change);
        QFETCH(QString, reason);
        const QString path = tempPath(QStringLiteral("photo.png")), target = tempPath(QStringLiteral("saved.png"));
        const QByteArray original = simplePng(64, 48, { tEXt("Author", "Ann") });
        QVERIFY(writeFile(path, original));
        PNGReadOptions options;
        options.decodeImage = false;
        options.holdWholeBelow = 0;
        LoadedPng loaded;
        QVERIFY(loaded.load(path, nullptr, options));
        QVERIFY(!loaded.rows.source()->file->isWhollyHeld());

        if (change == u"replaced") {
            QVERIFY(QFile::remove(path) && writeFile(path, simplePng(64, 48, { tEXt("Author", "Bob") })));
        } else if (change != u"none") {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.seek(file.size() - 20) && file.write("xxxx") == 4);
            if (change == u"grown")
                QVERIFY(file.seek(file.size()) && file.write("more") == 4);
            file.close();
            // A time of change that differs even within the clock's resolution.
            const struct timespec times[2] = { { 0, UTIME_OMIT }, { 1000000, 0 } };
            QCOMPARE(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
        }
        for (const QString &to : { target, path }) {
            const QByteArray before = readFile(to);
            QString error;
            const bool saved = savePNG(to, loaded.info, loaded.rows, loaded.comments, {}, &error);
            QCOMPARE(saved, reason.isEmpty());
            QVERIFY2(error.contains(reason), qPrintable(error));
            QCOMPARE(readFile(to), saved ? original : before);
        }
        // Decoding the rows for a re-encoding save reads the file again too.
        PNGRows decoded;
        QString error;
        QCOMPARE(decodeImageRows(loaded.rows, decoded, &error), reason.isEmpty());
        QVERIFY2(error.contains(reason), qPrintable(error));
    }

    // The safe write's failures are SafeFile's; a save must report them and leave the file.
    void failedWriteIsReported()
    {
        const LoadedPng loaded = LoadedPng::fixture("pngsuite/basn6a16.png");
        const QString path = copyFixture(QStringLiteral("pngsuite/basn2c08.png"), m_dir->path());
        setWriteFailures({ -1, true, false, false });
        QString error;
        QVERIFY(!savePNG(path, loaded.info, loaded.rows, loaded.comments, {}, &error));
        QVERIFY2(error.contains(u"flushing the file"_qs), qPrintable(error));
        QCOMPARE(readFile(path), readFile(dataPath(QStringLiteral("pngsuite/basn2c08.png"))));
    }

    void inconsistentRecordIsRefused_data()
    {
        // Each row spoils one size the library would trust; written as it stands, the record
        // would make the library read past a buffer or write a file that contradicts itself.
        QTest::addColumn<QString>("file");
        QTest::addColumn<Spoil>("spoil");
        QTest::addColumn<QString>("reason");
        const auto row = [](const char *name, const char *file, const char *reason, Spoil spoil) {
            QTest::newRow(name) << QString(file) << spoil << QString(reason);
        };
        const char *palette = "pngsuite/ch1n3p04.png"; // 15 entries and a histogram
        const char *rgb = "pngsuite/basn2c08.png";
        row("histogram shorter than the palette", palette, "histogram", [](PNGinfo &i) { i.hIST.resize(3); });
        row("histogram longer than the palette", palette, "histogram", [](PNGinfo &i) { i.hIST.resize(200, 1); });
        row("more alpha values than palette entries", palette, "transparency",
            [](PNGinfo &i) { i.transparencyTable = QByteArray(16, '\x80'); });
        row("palette image without palette", palette, "palette", [](PNGinfo &i) { i.paletteData.clear(); });
        row("palette of 300 entries", palette, "palette", [](PNGinfo &i) { i.paletteData.resize(300); });
        row("header wider than the rows", rgb, "row size", [](PNGinfo &i) { i.width += 7; });
        row("row size larger than the rows", rgb, "row size", [](PNGinfo &i) { i.bytesPerRow += 3; });
        row("more rows in the header than decoded", rgb, "rows", [](PNGinfo &i) { i.height += 1; });
        row("unknown colour type", rgb, "header", [](PNGinfo &i) { i.colourType = 5; });
    }
    void inconsistentRecordIsRefused()
    {
        QFETCH(QString, file);
        QFETCH(Spoil, spoil);
        QFETCH(QString, reason);
        LoadedPng loaded = LoadedPng::fixture(file);
        spoil(loaded.info);
        const QString out = tempPath(QStringLiteral("out.png"));
        for (bool recompress : { false, true }) {
            PNGWriteOptions options;
            options.recompress = recompress;
            QString error;
            QVERIFY(!savePNG(out, loaded.info, loaded.rows, loaded.comments, options, &error));
            QVERIFY2(error.contains(reason), qPrintable(error));
            QVERIFY(!QFileInfo::exists(out));
        }
    }

    void runningOutOfMemoryFailsTheRead()
    {
        // The moment the rows are about to be allocated is where memory runs out for big images.
        const QString file = dataPath(QStringLiteral("pngsuite/basn6a16.png"));
        PNGReadOptions options;
        quint64 asked = 0;
        options.reserveRowMemory = [&](quint64 bytes) {
            asked = bytes;
            throw std::bad_alloc();
        };
        // What a failed read leaves is refusedInput's.
        LoadedPng loaded;
        QString error;
        QVERIFY(!loaded.load(file, &error, options));
        QCOMPARE(asked, quint64(32 * 32 * 8));
        QVERIFY2(error.contains(QStringLiteral("memory")), qPrintable(error));

        // Without decoding no rows are reserved.
        options.decodeImage = false;
        asked = 0;
        QVERIFY(loaded.load(file, &error, options));
        QCOMPARE(asked, quint64(0));
    }

    void overwriteWritesFromMemory()
    {
        const QString file = copyFixture(QStringLiteral("pngsuite/basn3p08.png"), m_dir->path());
        LoadedPng loaded, back;
        QVERIFY(loaded.load(file));
        // Another program changes the file after it was read: what is written comes from memory.
        QVERIFY(writeFile(file, QByteArray("overwritten by another program")));
        QVERIFY(savePNG(file, loaded.info, loaded.rows, commentsFrom({ "New=entry" })));
        QVERIFY(back.load(file));
        QVERIFY(back.rows == loaded.rows);
        QCOMPARE(describe(back.comments), QStringList { "New=entry" });
    }
};

QTEST_GUILESS_MAIN(tst_PNGReadWrite)
#include "tst_PNGReadWrite.moc"
