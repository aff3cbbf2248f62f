#include "TestSupport.h"

#include "cli/Cli.h"
#include "cli/CliCommand.h"
#include "cli/CliOptions.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QtTest>

using namespace TestSupport;

class tst_Cli : public QObject
{
    Q_OBJECT

    QString m_out, m_err;
    std::unique_ptr<TempFolder> m_dir;

    // Runs velmora-cli in-process, its standard output and error in m_out and m_err; standard
    // input holds input, and *output (if given) gets the bytes written to standard output.
    int runPiped(const QStringList &args, const QByteArray &input, QByteArray *output)
    {
        m_out.clear();
        m_err.clear();
        QBuffer in, bytes;
        in.setData(input);
        in.open(QIODevice::ReadOnly);
        bytes.open(QIODevice::WriteOnly);
        QTextStream out(&m_out), err(&m_err);
        const int status = runCli(args, out, err, { &in, &bytes });
        out.flush();
        err.flush();
        if (output)
            *output = bytes.data();
        return status;
    }
    int run(const QStringList &args) { return runPiped(args, {}, nullptr); }
    // What "list" prints for the files, or its exit status when it fails.
    QString list(const QStringList &files)
    {
        const int status = run(QStringList { "list" } + files);
        return status == 0 ? m_out : QStringLiteral("exit status %1: %2").arg(status).arg(m_err);
    }
    QString copyOf(const QString &name, const QString &folder = {})
    {
        return copyFixture(u"pngsuite/"_qs + name, m_dir->path(folder));
    }
    QString fixture(const QString &name) { return copyFixture(u"provenance/"_qs + name, m_dir->path()); }
    // A size as the strip dry run prints it: the whole chunk.
    static qsizetype chunkSize(const QString &file, const QByteArray &type)
    {
        return chunkPayloads(readFile(file), type).value(0).size() + 12;
    }

private Q_SLOTS:
    // Each test in a folder of its own, which is the working folder too (where relative paths
    // and a save from a pipe would go).
    void init()
    {
        m_dir = std::make_unique<TempFolder>();
        QVERIFY(QDir::setCurrent(m_dir->path()));
    }

    // --- The option grammar every command shares ---------------------------------------------
    void parse_data()
    {
        // Every row parses with the flags --json, --replace, -h, --help and the value
        // options --separator, --set and -j.
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("operands");
        QTest::addColumn<QStringList>("set"); // options given, each "name" or "name=v1|v2"
        QTest::addColumn<QString>("error"); // empty: parses

        const auto row
            = [](const char *name, const QStringList &args, const QStringList &operands, const QStringList &set,
                  const char *error = "") { QTest::newRow(name) << args << operands << set << QString(error); };
        row("operands only", { "a.png", "b.png" }, { "a.png", "b.png" }, {});
        row("flags before, between and after operands", { "--json", "a.png", "--replace", "b.png", "--json" },
            { "a.png", "b.png" }, { "--json", "--replace" });
        row("-- ends the options", { "f.png", "--", "--replace", "--json" }, { "f.png", "--replace", "--json" }, {});
        row("a second -- is an operand", { "--", "--", "x" }, { "--", "x" }, {});
        row("a lone dash is an operand", { "-", "--json" }, { "-" }, { "--json" });
        row("empty argument is an operand", { "" }, { "" }, {});
        row("value option takes the next argument whatever it is",
            { "--separator", "-", "--set", "--json", "-j", "--" }, {}, { "--separator=-", "--set=--json", "-j=--" });
        row("value option repeated keeps every value in order", { "--set", "A=1", "x", "--set", "B=2" }, { "x" },
            { "--set=A=1|B=2" });
        row("value option at the end", { "a.png", "--separator" }, { "a.png" }, {}, "option --separator needs a value");
        row("unknown option", { "a.png", "--fancy" }, { "a.png" }, {}, "unknown option --fancy");
        row("value form with = is not an option of its own", { "--separator=;" }, {}, {},
            "unknown option --separator=;");
        row("first problem reported, help still seen", { "--fancy", "--other", "--help" }, {}, { "--help" },
            "unknown option --fancy");
        row("negative number is an option", { "-5" }, {}, {}, "unknown option -5");
    }
    void parse()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, operands);
        QFETCH(QStringList, set);
        QFETCH(QString, error);

        CliOptions options({ "--json", "--replace" }, { "--separator", "--set" });
        options.addFlags({ "-h", "--help" });
        options.addValueOptions({ "-j" });
        QCOMPARE(options.parse(args), error.isEmpty());
        QCOMPARE(options.error(), error);
        QCOMPARE(options.operands(), operands);

        QStringList given;
        for (const char *name : { "--json", "--replace", "-h", "--help", "--separator", "--set", "-j" }) {
            const QString option = QString::fromLatin1(name);
            if (!options.isSet(option))
                continue;
            const QStringList values = options.values(option);
            given << (values.isEmpty() ? option : option + u'=' + values.join(u'|'));
            if (!values.isEmpty())
                QCOMPARE(options.value(option), values.first());
        }
        QCOMPARE(given, set);
    }

    // --- The commands ----------------------------------------------------------------------------

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("nothing") << QStringList {};
        QTest::newRow("unknown command") << QStringList { "frobnicate" };
        QTest::newRow("set without pair") << QStringList { "set", "x.png" };
        QTest::newRow("set with bad pair") << QStringList { "set", "x.png", "novalue" };
        QTest::newRow("set with empty key") << QStringList { "set", "x.png", "=v" };
        QTest::newRow("clear two files") << QStringList { "clear", "a.png", "b.png" };
        QTest::newRow("info no file") << QStringList { "info" };
        QTest::newRow("batch, -0 without a list") << QStringList { "batch", "--set", "K=v", "-0", "x.png" };
        QTest::newRow("strip, a chunk type of three letters")
            << QStringList { "strip", "--keep-chunk", "abc", "x.png" };
        QTest::newRow("strip, a chunk type with a digit") << QStringList { "strip", "--keep-chunk", "tEX1", "x.png" };
        QTest::newRow("strip, no path") << QStringList { "strip", "--dry-run" };
        QTest::newRow("strip, standard input beside a path") << QStringList { "strip", "-", "x.png" };
    }
    void usageErrors()
    {
        QFETCH(QStringList, args);
        QCOMPARE(run(args), 2);
        QVERIFY(m_err.contains(QStringLiteral("--help")));
    }

    void infoAndList()
    {
        const QString file = copyOf(QStringLiteral("ct1n0g04.png"));
        QCOMPARE(run({ "info", file }), 0);
        QVERIFY(m_out.contains(QStringLiteral("32 × 32")));
        QCOMPARE(m_out.count(u'\n'), 7);

        QVERIFY(list({ file }).startsWith(QStringLiteral("Title\tPngSuite\n")));
        QVERIFY(m_out.contains(QStringLiteral("van Schaik\\n(willem@schaik.com)")));
        // Control characters escaped in lines, exact in JSON.
        const QString odd = m_dir->path(QStringLiteral("odd.png"));
        QVERIFY(writeFile(odd, simplePng(1, 1, { tEXt("K", QByteArray("a\0b\tc\x1b\\", 7)) })));
        QCOMPARE(list({ odd }), u"K\ta\\0b\\tc\\x1b\\\\\n"_qs);
        QCOMPARE(run({ "list", "--json", file, copyOf(QStringLiteral("basn0g01.png")), odd }), 0);
        const QJsonArray files = QJsonDocument::fromJson(m_out.toUtf8()).array();
        QCOMPARE(QStringList({ QString::number(files.size()), files[0][u"file"_qs].toString(),
                     QString::number(files[0][u"comments"_qs].toArray().size()),
                     QString::number(files[1][u"comments"_qs].toArray().size()),
                     files[2][u"comments"_qs][0][u"text"_qs].toString() }),
            QStringList({ "3", file, "6", "0", QString::fromLatin1("a\0b\tc\x1b\\", 7) }));
    }

    void setRemoveClear()
    {
        // The image data is written back as it was unless --recompress asks otherwise.
        const QString file = copyOf(QStringLiteral("basn6a08.png"));
        const auto imageData = chunkPayloads(readFile(file), "IDAT");
        QCOMPARE(run({ "set", file, "Title=%FILENAME% %WIDTH%x%HEIGHT%", "Author=Ann", "Author=Bob", "Note=a=b" }), 0);
        QCOMPARE(list({ file }), QStringLiteral("Title\tbasn6a08 32x32\nAuthor\tAnn\nAuthor\tBob\nNote\ta=b\n"));
        QCOMPARE(chunkPayloads(readFile(file), "IDAT"), imageData);
        QCOMPARE(run({ "set", "--replace", file, "Author=Cy" }), 0);
        QCOMPARE(list({ file }), QStringLiteral("Title\tbasn6a08 32x32\nNote\ta=b\nAuthor\tCy\n"));
        QCOMPARE(run({ "remove", file, "Note", "author" }), 0);
        QCOMPARE(list({ file }), QStringLiteral("Title\tbasn6a08 32x32\nAuthor\tCy\n"));
        QCOMPARE(run({ "--recompress", "clear", file }), 0);
        QCOMPARE(list({ file }), QString());
        QVERIFY(chunkPayloads(readFile(file), "IDAT") != imageData);
    }

    void failedFileIsNamedAndUntouched()
    {
        const QString good = copyOf(QStringLiteral("basn0g08.png"));
        const QString bad = m_dir->path(QStringLiteral("bad.png"));
        writeFile(bad, "not a png");
        QCOMPARE(run({ "list", good, bad }), 1);
        QVERIFY(m_err.contains(bad) && m_err.contains(QStringLiteral("not a PNG")));
        QCOMPARE(run({ "set", bad, "A=b" }), 1);
        QCOMPARE(readFile(bad), QByteArray("not a png"));
        // Cut inside its image data: the entries before the cut, and the damage named.
        const QByteArray whole = simplePng(64, 64, { tEXt("A", "1"), tEXt("B", "2") });
        QVERIFY(writeFile(bad, whole.left(whole.indexOf("IDAT") + 10)));
        QCOMPARE(run({ "list", bad }), 1);
        QCOMPARE(m_out, u"A\t1\nB\t2\n"_qs);
        QVERIFY(m_err.contains(bad) && m_err.contains(u"truncated"_qs));
    }

    void chunksListing()
    {
        const QString file = copyOf(QStringLiteral("ccwn3p08.png"));
        QCOMPARE(run({ "chunks", file }), 0);
        const QStringList lines = m_out.split(u'\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.first(), QStringLiteral("IHDR\t13\tbefore-IDAT\tcrc-ok"));
        QVERIFY(lines.last().startsWith(QStringLiteral("IEND\t0\tafter-IDAT")));

        QByteArray damaged = readFile(file);
        damaged[damaged.indexOf("cHRM") + 6] ^= 1;
        writeFile(file, damaged);
        QCOMPARE(run({ "chunks", file }), 0);
        QVERIFY(m_out.contains(QStringLiteral("cHRM\t32\tbefore-IDAT\tcrc-BAD")));

        // A device without end is refused at once instead of read until memory runs out.
        QCOMPARE(run({ "chunks", "/dev/zero" }), 1);
        QVERIFY(m_err.contains(QStringLiteral("not a regular file")));
    }

    void exportAndImport()
    {
        const QString source = copyOf(QStringLiteral("ct1n0g04.png"));
        const QString velmx = m_dir->path(QStringLiteral("meta.velmx"));
        const QString csv = m_dir->path(QStringLiteral("meta.csv"));
        QCOMPARE(run({ "export", source, velmx }), 0);
        QCOMPARE(run({ "export", "--separator", "tab", source, csv }), 0);
        QVERIFY(readFile(csv).startsWith("\"Title\"\t\"PngSuite\"\n"));
        QCOMPARE(run({ "export", source, m_dir->path(QStringLiteral("meta.txt")) }), 2);

        const QString target = copyOf(QStringLiteral("basn0g08.png"));
        QCOMPARE(run({ "import", target, velmx }), 0);
        QCOMPARE(list({ target }), list({ source }));

        // Delimited text: one line per entry, so texts with line breaks keep their first line.
        QCOMPARE(run({ "import", "--clear", "--separator", "tab", target, csv }), 0);
        QVERIFY(list({ target }).startsWith(QStringLiteral("Title\tPngSuite\nAuthor\tWillem A.J. van Schaik\n")));

        // Macros expand against the file imported into; --replace keeps one entry per keyword.
        const QString macros = m_dir->path(QStringLiteral("macros.csv"));
        writeFile(macros, "\"Title\",\"%FILENAME% %WIDTH%\"\n\"Title\",\"second\"\n");
        QCOMPARE(run({ "import", "--replace", target, macros }), 0);
        QVERIFY(!list({ target }).contains(QStringLiteral("PngSuite")));
        QVERIFY(m_out.endsWith(QStringLiteral("Title\tsecond\n")));
        QCOMPARE(run({ "import", target, macros }), 0);
        QVERIFY(list({ target }).endsWith(QStringLiteral("Title\tbasn0g08 32\nTitle\tsecond\n")));

        // Refused imports leave the file alone.
        const QByteArray before = readFile(target);
        const QString broken = m_dir->path(QStringLiteral("broken.velmx"));
        writeFile(broken, "<ImageMetadata><comment keyword=");
        QCOMPARE(run({ "import", "--clear", target, broken }), 1);
        QCOMPARE(readFile(target), before);
        QCOMPARE(run({ "import", "--separator", "ab", target, broken }), 2);
    }

    void batchCommand()
    {
        const QString set = m_dir->path(QStringLiteral("set"));
        const QString a = copyOf(QStringLiteral("ct1n0g04.png"), QStringLiteral("set"));
        const QString b = copyFixture(QStringLiteral("pngsuite/basn3p08.png"), set + QStringLiteral("/sub"), "B.PNG");
        writeFile(set + QStringLiteral("/notes.txt"), "not a png");
        const QString velmx = m_dir->path(QStringLiteral("list.velmx"));
        writeFile(velmx, "<ImageMetadata><comment keyword=\"Title\" text=\"%FILENAME%\"/></ImageMetadata>");

        QCOMPARE(run({ "batch", "--clear-existing", "--comments", velmx, "--set", "Author=Ann", "-j", "2", set }), 0);
        QCOMPARE(m_out, QStringLiteral("2 of 2 files processed\n"));
        QCOMPARE(list({ a, b }),
            QStringLiteral("==> %1 <==\nTitle\tct1n0g04\nAuthor\tAnn\n==> %2 <==\nTitle\tB\nAuthor\tAnn\n").arg(a, b));

        // Without the extension check the text file is tried, fails, and is named.
        QCOMPARE(run({ "batch", "--no-check-ext", "--set", "K=v", set }), 1);
        QVERIFY(m_out.startsWith(QStringLiteral("2 of 3 files processed")));
        QVERIFY(m_err.contains(QStringLiteral("notes.txt")));
        QCOMPARE(run({ "batch", "--replace", "--set", "Author=Bo", a }), 0);
        QCOMPARE(list({ a }), QStringLiteral("Author\tBo\nK\tv\nTitle\tct1n0g04\n"));

        QCOMPARE(run({ "batch", "-j", "0", a }), 2);
        QCOMPARE(run({ "batch", "--set", "novalue", a }), 2);

        // Re-encoding decodes each image, also when the image data would not be checked.
        const auto imageData = chunkPayloads(readFile(b), "IDAT");
        QCOMPARE(run({ "--recompress", "batch", "--no-verify-image", "--set", "R=1", b }), 0);
        QVERIFY(chunkPayloads(readFile(b), "IDAT") != imageData);
    }

    // An entry no PNG file can hold is refused with a reason naming it; nothing is written.
    void entriesNoPngFileCanHoldAreRefused_data()
    {
        QTest::addColumn<QStringList>("args"); // FILE and LIST stand for the PNG file and a .csv list
        QTest::addColumn<QString>("reason");
        QTest::newRow("set, keyword outside Latin-1") << QStringList { "set", "FILE", "日本=x" } << u"“日本”"_qs;
        QTest::newRow("import, a text holding NUL") << QStringList { "import", "FILE", "LIST" } << u"NUL"_qs;
        QTest::newRow("batch, a text holding NUL")
            << QStringList { "batch", "--comments", "LIST", "FILE" } << u"NUL"_qs;
    }
    void entriesNoPngFileCanHoldAreRefused()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, reason);
        const QString file = copyOf(QStringLiteral("basn0g08.png"));
        const QByteArray before = readFile(file);
        const QString csv = m_dir->path(QStringLiteral("list.csv"));
        writeFile(csv, QByteArray("\"Fine\",\"text\"\n\"K\",\"a\0b\"\n", 25));
        args.replaceInStrings(QStringLiteral("FILE"), file);
        args.replaceInStrings(QStringLiteral("LIST"), csv);
        QCOMPARE(run(args), 1);
        QVERIFY2(m_err.contains(reason), qPrintable(m_err));
        QVERIFY(!m_out.contains(QStringLiteral("processed")));
        QCOMPARE(readFile(file), before);
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
    }

    void batchTakesPathsFromAList_data()
    {
        QTest::addColumn<QByteArray>("listed"); // names relative to the test folder, as the list holds them
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("summary");
        QTest::newRow("lines, a folder, blank and CRLF lines")
            << QByteArray("one.png\n\nset\r\n") << QStringList {} << u"3 of 3 files processed\n"_qs;
        QTest::newRow("NUL-separated, names with a line feed and spaces")
            << QByteArray("one.png\0odd\nname.png\0 spaced .png\0", 34) << QStringList { "-0" }
            << u"3 of 3 files processed\n"_qs;
        QTest::newRow("empty list") << QByteArray() << QStringList {} << u"0 of 0 files processed\n"_qs;
        QTest::newRow("with operands as well")
            << QByteArray("one.png\n") << QStringList { "set/two.png" } << u"2 of 2 files processed\n"_qs;
    }
    void batchTakesPathsFromAList()
    {
        QFETCH(QByteArray, listed);
        QFETCH(QStringList, options);
        QFETCH(QString, summary);
        for (const char *name : { "one.png", "odd\nname.png", " spaced .png", "set/two.png", "set/deep/three.png" })
            m_dir->write(QString::fromUtf8(name), simplePng(4, 4));
        const QString listFile = m_dir->path(QStringLiteral("list.txt"));
        writeFile(listFile, listed);
        // The paths in the list are relative to the working folder.
        QStringList args { "batch", "--set", "K=v", "--files-from", listFile };
        for (const QString &o : options)
            args << (o == u"-0" ? o : m_dir->path(o));
        QCOMPARE(run(args), 0);
        QCOMPARE(m_out, summary);
        QCOMPARE(m_err, QString());
        const bool nul = options.contains(u"-0"_qs);
        QCOMPARE(fileComments(m_dir->path(u"odd\nname.png"_qs)), nul ? QStringList { "K=v" } : QStringList {});
        QCOMPARE(fileComments(m_dir->path(u"set/deep/three.png"_qs)),
            listed.contains("set\r\n") ? QStringList { "K=v" } : QStringList {});
    }

    void presetsAndTemplates()
    {
        // The stores live in the user's folders: point those at the test's own.
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir->path(QStringLiteral("config"))));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir->path(QStringLiteral("data"))));
        QCOMPARE(run({ "presets" }), 0);
        QVERIFY(m_out.startsWith(u"Author : %OSUSERNAME%\n"_qs) && m_out.endsWith(u"\nWarning\n"_qs));
        QCOMPARE(run({ "templates" }), 0);
        QCOMPARE(m_out, QStringLiteral("Standards\n"));

        // A template of our own: clears the list, then Title from the file name.
        writeFile(m_dir->path(QStringLiteral("data/Velmora/Templates/Web")),
            "<ImageMetadata ClearsAllWhenApplied=\"YES\" OverwritesDuplicateKeys=\"NO\">"
            "<comment keyword=\"Title\" text=\"%FILENAME% (%WIDTH%)\"/></ImageMetadata>");
        const QString a = copyOf(QStringLiteral("ct1n0g04.png"));
        const QString b = copyOf(QStringLiteral("basn3p08.png"));
        QCOMPARE(run({ "apply-template", "Web", a, b }), 0);
        QCOMPARE(list({ a, b }), u"==> %1 <==\nTitle\tct1n0g04 (32)\n==> %2 <==\nTitle\tbasn3p08 (32)\n"_qs.arg(a, b));
        QCOMPARE(run({ "apply-template", "Nope", a }), 1);
        QVERIFY(m_err.contains(QStringLiteral("Nope")));
    }

    void doubleDashEndsOptions()
    {
        const QString file = copyOf(QStringLiteral("basn6a08.png"));
        QCOMPARE(run({ "set", file, "--", "--=dashes", "Plain=x" }), 0);
        // "--" before the command: everything after the command name is an operand.
        QCOMPARE(run({ "--", "remove", file, "--help", "--" }), 0);
        QCOMPARE(list({ file }), QStringLiteral("Plain\tx\n"));

        // Help anywhere before "--" shows the help and changes nothing.
        const QByteArray before = readFile(file);
        QCOMPARE(run({ "set", file, "A=b", "--help" }), 0);
        QVERIFY(m_out.startsWith(QStringLiteral("Usage: velmora-cli [--recompress] set ")));
        QCOMPARE(run({ "clear", file, "--bogus", "-h" }), 0);
        QCOMPARE(readFile(file), before);
        QCOMPARE(run({ "remove", file, "--bogus" }), 2);
        QVERIFY(m_err.contains(QStringLiteral("unknown option --bogus")));
    }

    // Every command answers -h and --help with its own help, which names each of its options;
    // the main help lists it.
    void eachCommandAnswersHelp()
    {
        QCOMPARE(run({ "--help" }), 0);
        const QString main = m_out;
        QVERIFY(main.contains(QStringLiteral("Exit status")));
        for (const CliCommand &command :
            readingCommands() + editingCommands() + interchangeCommands() + batchCommands() + storeCommands()) {
            QVERIFY2(main.contains(u"\n  "_qs + command.name + u' '), qPrintable(command.name));
            QCOMPARE(run({ command.name, "--help" }), 0);
            QVERIFY2(m_out.startsWith(u"Usage: velmora-cli [--recompress] "_qs + command.name), qPrintable(m_out));
            QVERIFY(m_out.contains(QStringLiteral("Exit status")));
            QCOMPARE(m_err, QString());
            const QString options = m_out.mid(m_out.indexOf(u"\nOptions:\n"_qs));
            for (const QString &option : command.flags + command.valueOptions)
                QVERIFY2(options.contains(u"\n  "_qs + option + u' '), qPrintable(command.name + u' ' + option));
        }
    }

    void batchRefusesPathsWithoutPngFiles_data()
    {
        QTest::addColumn<QStringList>("paths"); // relative to the test folder
        QTest::addColumn<QString>("refused");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing file beside a good one")
            << QStringList { "good", "missing.png" } << u"missing.png"_qs << u"no such file or folder"_qs;
        QTest::newRow("folder of other files and hidden PNGs")
            << QStringList { "good", "others" } << u"others"_qs << u"the folder holds no PNG file"_qs;
        QTest::newRow("file not named .png")
            << QStringList { "others/notes.txt", "good" } << u"others/notes.txt"_qs << u"not a PNG file name"_qs;
        QTest::newRow("a list that cannot be read")
            << QStringList { "good", "--files-from", "nolist" } << u"nolist"_qs << u"No such file"_qs;
    }
    void batchRefusesPathsWithoutPngFiles()
    {
        QFETCH(QStringList, paths);
        QFETCH(QString, refused);
        QFETCH(QString, reason);
        const QString good = copyOf(QStringLiteral("basn0g08.png"), QStringLiteral("good"));
        copyFixture(QStringLiteral("pngsuite/basn0g08.png"), m_dir->path(QStringLiteral("others")), ".hidden.png");
        writeFile(m_dir->path(QStringLiteral("others/notes.txt")), "not a png");
        const QByteArray before = readFile(good);

        QStringList args { "batch", "--set", "K=v" };
        for (const QString &p : paths)
            args << (p.startsWith(u'-') ? p : m_dir->path(p));
        QCOMPARE(run(args), 1);
        QVERIFY2(m_err.startsWith(u"velmora-cli: "_qs + m_dir->path(refused) + u": "_qs + reason), qPrintable(m_err));
        QCOMPARE(m_err.count(u'\n'), 1);
        QCOMPARE(m_out, QString()); // nothing processed
        QCOMPARE(readFile(good), before);
    }

    void readingCommandsNeverDecodeThePixels_data()
    {
        QTest::addColumn<QByteArray>("png");
        QTest::addColumn<QString>("size");
        QTest::newRow("compressed image data broken (CRC right)")
            << buildPng({ ihdr(8, 8), tEXt("Title", "kept"), chunk("IDAT", "this is no zlib stream"), iend() })
            << u"8 × 8"_qs;
        QTest::newRow("image too large to decode")
            << buildPng({ ihdr(60000, 60000, 8, 6), tEXt("Title", "kept"), idat(1, 1), iend() }) << u"60000 × 60000"_qs;
    }
    void readingCommandsNeverDecodeThePixels()
    {
        QFETCH(QByteArray, png);
        QFETCH(QString, size);
        const QString file = m_dir->path(QStringLiteral("image.png"));
        writeFile(file, png);
        QCOMPARE(run({ "info", file }), 0);
        QVERIFY2(m_out.contains(size), qPrintable(m_out));
        QCOMPARE(list({ file }), QStringLiteral("Title\tkept\n"));
        QCOMPARE(run({ "chunks", file }), 0);
        const QString velmx = m_dir->path(QStringLiteral("out.velmx"));
        QCOMPARE(run({ "export", file, velmx }), 0);
        QVERIFY(readFile(velmx).contains("keyword=\"Title\" text=\"kept\""));

        // Commands that write check the image first, and leave a file that fails alone.
        QCOMPARE(run({ "set", file, "A=b" }), 1);
        QVERIFY(m_err.contains(file));
        QCOMPARE(run({ "import", file, velmx }), 1);
        QCOMPARE(readFile(file), png);
    }

    // A PNG file given as "-" comes from standard input; a command that changes it writes to
    // standard output exactly the file it would have saved, and nothing reaches the disk.
    void pipes_data()
    {
        QTest::addColumn<QStringList>("args"); // "-" stands for the file; LIST for a .velmx list
        QTest::newRow("set") << QStringList { "set", "-", "Title=%FILENAME%", "Author=Ann" };
        QTest::newRow("set --replace, re-encoded")
            << QStringList { "--recompress", "set", "--replace", "-", "Title=x" };
        QTest::newRow("import") << QStringList { "import", "--replace", "-", "LIST" };
        QTest::newRow("list") << QStringList { "list", "--json", "-" };
        QTest::newRow("info") << QStringList { "info", "-" };
        QTest::newRow("chunks") << QStringList { "chunks", "-" };
        QTest::newRow("generation") << QStringList { "generation", "--json", "-" };
    }
    void pipes()
    {
        QFETCH(QStringList, args);
        const QString velmx = m_dir->path(QStringLiteral("list.velmx"));
        writeFile(velmx, "<ImageMetadata><comment keyword=\"Title\" text=\"imported\"/></ImageMetadata>");
        args.replaceInStrings(QStringLiteral("LIST"), velmx);
        const QString file = copyOf(QStringLiteral("ct1n0g04.png"));
        const QByteArray png = readFile(file);
        const QStringList names = QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden);
        const bool writes
            = !QStringList { "list", "info", "chunks", "generation" }.contains(args.at(args.at(0) == u"--recompress"));

        // The file read from standard input (a save would write into the test folder).
        QByteArray piped;
        QCOMPARE(runPiped(args, png, &piped), 0);
        const QString printed = m_out;
        // A damaged file: exit 1 and nothing on standard output.
        QByteArray damagedOut;
        QCOMPARE(runPiped(args, png.left(png.size() - 20), &damagedOut), 1);
        QVERIFY2(m_err.startsWith(u"velmora-cli: -: "_qs), qPrintable(m_err));
        QCOMPARE(damagedOut, QByteArray());
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files | QDir::Hidden), names);

        // The same command on the file itself (named "-" as the macros see it).
        const QString named = m_dir->path(QStringLiteral("-"));
        QVERIFY(QFile::rename(file, named));
        QCOMPARE(run(args.replaceInStrings(QRegularExpression(QStringLiteral("^-$")), named)), 0);
        if (writes) {
            QCOMPARE(printed, QString());
            QCOMPARE(piped, readFile(named));
        } else {
            QCOMPARE(piped, QByteArray());
            QCOMPARE(printed, m_out.replace(named, QStringLiteral("-")));
        }
    }

    // --- generation, chunks --json and strip -----------------------------------------------------

    void generation()
    {
        const QString a1111 = fixture("a1111.png"), comfy = fixture("comfyui.png"), none = fixture("damaged-json.png");
        QCOMPARE(run({ "generation", "--json", a1111, comfy, none }), 0);
        const QJsonArray records = QJsonDocument::fromJson(m_out.toUtf8()).array();
        QCOMPARE(QStringList({ QString::number(records.size()), records[0]["file"].toString(),
                     records[0]["seed"].toString(), records[0]["extra"]["Clip skip"].toString(),
                     records[2]["file"].toString(), records[2]["node"].toString() }),
            QStringList({ "3", a1111, "3141592653", "2", comfy, "20 KSamplerAdvanced" }));
        QVERIFY(!records.at(2).toObject().contains("model_hash")); // unset fields are left out

        QCOMPARE(run({ "generation", a1111, none, m_dir->path("missing.png") }), 1);
        QVERIFY2(m_out.startsWith(a1111
                     + u": Stable Diffusion web UI v1.9.3 (entry \"parameters\")\n"
                       "  Prompt: masterpiece, a lighthouse on a cliff,\\n(dusk:1.2), dramatic sky\n"_qs),
            qPrintable(m_out));
        QVERIFY(m_out.endsWith(none + u": no generation settings\n"_qs));
        QVERIFY(m_err.contains(u"missing.png"));
    }

    void chunksAsJson()
    {
        const QString file = fixture("everything.png");
        QCOMPARE(run({ "chunks", "--json", file }), 0);
        const QJsonObject entry = QJsonDocument::fromJson(m_out.toUtf8()).array().at(0).toObject();
        QCOMPARE(entry["file"].toString(), file);
        const QJsonArray chunks = entry["chunks"].toArray();
        QCOMPARE(chunks.size(), 24);
        QCOMPARE(chunks.at(0).toObject(),
            QJsonObject(
                { { "type", "IHDR" }, { "offset", 8 }, { "length", 13 }, { "crc_ok", true }, { "critical", true },
                    { "safe_to_copy", false }, { "summary", "8×8, 8-bit palette, not interlaced" } }));
        const QJsonObject exif = chunks.at(8).toObject();
        QCOMPARE(exif["offset"].toInt(), 8 + 25 + 16 + 44 + 16 + 36 + 20 + 15 + 26);
        QCOMPARE(exif["details"].toArray().last(),
            QJsonValue(QJsonObject({ { "name", "GPS position" }, { "value", "51.50740° N, 0.12777° W, 35 m" } })));

        // A file cut off: the chunks before the break, the reason, and a failure.
        writeFile(file, readFile(file).left(100));
        QCOMPARE(run({ "chunks", "--json", file }), 1);
        const QJsonObject cut = QJsonDocument::fromJson(m_out.toUtf8()).array().at(0).toObject();
        QCOMPARE(cut["chunks"].toArray().size(), 3);
        QVERIFY(cut["error"].toString().contains(u"truncated"));
    }

    void strip()
    {
        const QString everything = fixture("everything.png"), a1111 = fixture("a1111.png");
        const QString plain = m_dir->write("plain.png", simplePng(4, 4));
        const QByteArray before = readFile(everything);

        QCOMPARE(run({ "strip", "--dry-run", "--keep", "Author", m_dir->path() }), 0);
        const QStringList lines = m_out.split(u'\n');
        QCOMPARE(lines.mid(0, 4),
            QStringList({ a1111 + u':', u"  entry \"parameters\" (tEXt, %1 bytes)"_qs.arg(chunkSize(a1111, "tEXt")),
                everything + u':',
                u"  entry \"XML:com.adobe.xmp\" (iTXt, %1 bytes)"_qs.arg(chunkSize(everything, "iTXt")) }));
        QVERIFY(lines.contains(u"  chunk eXIf (%1 bytes)"_qs.arg(chunkSize(everything, "eXIf"))));
        QVERIFY(!m_out.contains(u"Author") && !m_out.contains(u"caBX"));
        QVERIFY(m_out.endsWith(plain + u": nothing to remove\n2 of 3 files would change\n"_qs));
        QCOMPARE(readFile(everything), before);

        QStringList args { "strip", "--keep", "Author", "--keep-chunk", "tIME", "--credentials", m_dir->path() };
        QCOMPARE(run(args), 0);
        QCOMPARE(m_out, u"3 of 3 files processed (1 with nothing to remove, left as they were)\n"_qs);
        QCOMPARE(chunkTypes(readFile(everything)),
            QStringList({ "IHDR", "gAMA", "cHRM", "cICP", "mDCV", "cLLI", "sBIT", "tEXt", "tIME", "PLTE", "tRNS",
                "bKGD", "hIST", "pHYs", "IDAT", "tIME", "IEND" }));

        // Through pipes: what a strip would save goes to standard output; a dry run names "-".
        QByteArray out;
        args.last() = u"-"_qs;
        QCOMPARE(runPiped(args, before, &out), 0);
        QCOMPARE(m_out, QString());
        QCOMPARE(out, readFile(everything));
        QCOMPARE(runPiped({ "strip", "--dry-run", "-" }, before, &out), 0);
        QVERIFY2(m_out.startsWith(u"-:\n  entry \"Author\" (tEXt, 26 bytes)\n"_qs), qPrintable(m_out));
        QCOMPARE(out, QByteArray());
    }

    void realProcess()
    {
        const QString cli = qEnvironmentVariable("VELMORA_CLI");
        QVERIFY2(QFileInfo::exists(cli), qPrintable(cli));
        const QString file = copyOf(QStringLiteral("basn0g08.png"));
        QString output;
        QCOMPARE(runTool(cli, { "set", file, QString::fromUtf8("Title=Grüße 世界") }, &output), 0);
        QCOMPARE(runTool(cli, { "list", file }, &output), 0);
        QCOMPARE(output, QString::fromUtf8("Title\tGrüße 世界\n"));
        QCOMPARE(runTool(cli, { "list", m_dir->path(QStringLiteral("missing.png")) }, &output), 1);
        QCOMPARE(runTool(cli, { "bogus" }, &output), 2);

        // Paths from standard input, as find -print0 hands them over; a PNG file through a pipe.
        const auto piped = [&cli](const QStringList &args, const QByteArray &input) {
            QProcess process;
            process.start(cli, args);
            process.write(input);
            process.closeWriteChannel();
            const bool ok = process.waitForFinished(60000) && process.exitCode() == 0;
            return ok ? process.readAllStandardOutput() : QByteArray("failed");
        };
        const QString other = copyOf(QStringLiteral("basn2c08.png"));
        QCOMPARE(piped({ "batch", "--set", "From=stdin", "--files-from", "-", "-0" },
                     QFile::encodeName(file) + '\0' + QFile::encodeName(other) + '\0'),
            QByteArray("2 of 2 files processed\n"));
        QCOMPARE(fileComments(other), QStringList { "From=stdin" });
        const QString pipedFile
            = m_dir->write(QStringLiteral("piped.png"), piped({ "set", "-", "Piped=yes" }, readFile(other)));
        QCOMPARE(fileComments(pipedFile), (QStringList { "From=stdin", "Piped=yes" }));
    }
};

QTEST_GUILESS_MAIN(tst_Cli)
#include "tst_Cli.moc"
