#include "cli/CliOptions.h"

#include <QtTest>

// The option grammar every velmora-cli command shares.
class tst_CliOptions : public QObject
{
    Q_OBJECT

private Q_SLOTS:
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
        row("help after -- is an operand", { "f.png", "--", "-h", "--help" }, { "f.png", "-h", "--help" }, {});
        row("a second -- is an operand", { "--", "--", "x" }, { "--", "x" }, {});
        row("unknown option after -- is an operand", { "--", "--fancy" }, { "--fancy" }, {});
        row("a lone dash is an operand", { "-", "--json" }, { "-" }, { "--json" });
        row("empty argument is an operand", { "" }, { "" }, {});
        row("value option takes the next argument whatever it is",
            { "--separator", "-", "--set", "--json", "-j", "--" }, {}, { "--separator=-", "--set=--json", "-j=--" });
        row("value option repeated keeps every value in order", { "--set", "A=1", "x", "--set", "B=2" }, { "x" },
            { "--set=A=1|B=2" });
        row("value option before --", { "--separator", ";", "--", "--separator" }, { "--separator" },
            { "--separator=;" });
        row("value option at the end", { "a.png", "--separator" }, { "a.png" }, {}, "option --separator needs a value");
        row("unknown option", { "a.png", "--fancy" }, { "a.png" }, {}, "unknown option --fancy");
        row("unknown short option", { "-x" }, {}, {}, "unknown option -x");
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

    void parsingAgainStartsAfresh()
    {
        CliOptions options({ "--json" }, { "--set" });
        QVERIFY(!options.parse({ "--set", "A=1", "--json", "--bad", "x" }));
        QVERIFY(options.parse({ "y" }));
        QCOMPARE(options.error(), QString());
        QCOMPARE(options.operands(), QStringList { "y" });
        QVERIFY(!options.isSet("--json"));
        QVERIFY(options.value("--set").isNull());
    }
};

QTEST_GUILESS_MAIN(tst_CliOptions)
#include "tst_CliOptions.moc"
