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

        QTest::newRow("operands only") << QStringList { "a.png", "b.png" } << QStringList { "a.png", "b.png" }
                                       << QStringList {} << QString();
        QTest::newRow("flags before, between and after operands")
            << QStringList { "--json", "a.png", "--replace", "b.png", "--json" } << QStringList { "a.png", "b.png" }
            << QStringList { "--json", "--replace" } << QString();
        QTest::newRow("-- ends the options")
            << QStringList { "f.png", "--", "--replace", "--json" } << QStringList { "f.png", "--replace", "--json" }
            << QStringList {} << QString();
        QTest::newRow("help after -- is an operand")
            << QStringList { "f.png", "--", "-h", "--help" } << QStringList { "f.png", "-h", "--help" }
            << QStringList {} << QString();
        QTest::newRow("a second -- is an operand")
            << QStringList { "--", "--", "x" } << QStringList { "--", "x" } << QStringList {} << QString();
        QTest::newRow("unknown option after -- is an operand")
            << QStringList { "--", "--fancy" } << QStringList { "--fancy" } << QStringList {} << QString();
        QTest::newRow("a lone dash is an operand")
            << QStringList { "-", "--json" } << QStringList { "-" } << QStringList { "--json" } << QString();
        QTest::newRow("empty argument is an operand")
            << QStringList { "" } << QStringList { "" } << QStringList {} << QString();
        QTest::newRow("value option takes the next argument whatever it is")
            << QStringList { "--separator", "-", "--set", "--json", "-j", "--" } << QStringList {}
            << QStringList { "--separator=-", "--set=--json", "-j=--" } << QString();
        QTest::newRow("value option repeated keeps every value in order")
            << QStringList { "--set", "A=1", "x", "--set", "B=2" } << QStringList { "x" }
            << QStringList { "--set=A=1|B=2" } << QString();
        QTest::newRow("value option before --")
            << QStringList { "--separator", ";", "--", "--separator" } << QStringList { "--separator" }
            << QStringList { "--separator=;" } << QString();
        QTest::newRow("value option at the end")
            << QStringList { "a.png", "--separator" } << QStringList { "a.png" } << QStringList {}
            << QStringLiteral("option --separator needs a value");
        QTest::newRow("unknown option") << QStringList { "a.png", "--fancy" } << QStringList { "a.png" }
                                        << QStringList {} << QStringLiteral("unknown option --fancy");
        QTest::newRow("unknown short option")
            << QStringList { "-x" } << QStringList {} << QStringList {} << QStringLiteral("unknown option -x");
        QTest::newRow("value form with = is not an option of its own")
            << QStringList { "--separator=;" } << QStringList {} << QStringList {}
            << QStringLiteral("unknown option --separator=;");
        QTest::newRow("first problem reported, help still seen")
            << QStringList { "--fancy", "--other", "--help" } << QStringList {} << QStringList { "--help" }
            << QStringLiteral("unknown option --fancy");
        QTest::newRow("negative number is an option")
            << QStringList { "-5" } << QStringList {} << QStringList {} << QStringLiteral("unknown option -5");
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
