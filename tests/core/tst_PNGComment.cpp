#include "core/PNGComment.h"

#include <QtTest>

#include "TestSupport.h"

class tst_PNGComment : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keywordCut_data()
    {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QString>("stored");
        const QString emoji = QString::fromUtf8("😀"); // a surrogate pair
        QTest::newRow("79 kept whole") << QString(79, u'k') << QString(79, u'k');
        QTest::newRow("80 cut to 79") << QString(80, u'k') << QString(79, u'k');
        QTest::newRow("pair at 78 and 79 never split") << QString(78, u'a') + emoji + "tail" << QString(78, u'a');
        QTest::newRow("pair ending at 79 kept") << QString(77, u'a') + emoji + "x" << QString(77, u'a') + emoji;
    }
    void keywordCut()
    {
        QFETCH(QString, keyword);
        PNGComment c;
        c.setKeyword(keyword);
        QTEST(c.keyword(), "stored");
    }

    void otherWaysInKeepLongKeywords()
    {
        PNGComment direct(QString(100, u'x'), QStringLiteral("Ann\nLee %WIDTH%"));
        direct.setInternational(QStringLiteral("de"), QStringLiteral("Übersetzt"));
        QCOMPARE(direct.keyword().size(), 100);
        PNGComment target;
        target.copyFieldsFromComment(direct);
        QCOMPARE(target.keyword().size(), 100);
        // A copy cuts the keyword and keeps everything else, the iTXt details included.
        const auto copy = direct.copy();
        QCOMPARE(std::tuple(copy->keyword(), copy->text(), copy->isInternational(), copy->translatedKeyword()),
            std::tuple(QString(79, u'x'), direct.text(), true, QStringLiteral("Übersetzt")));
        copy->setKeyword(direct.keyword());
        QVERIFY(*copy != direct);
        PNGComment same = *copy;
        QVERIFY(same == *copy);
        same.setText(direct.text() + u' ');
        QVERIFY(same != *copy);
    }

    void validityAndAbsentStrings()
    {
        const PNGComment absent, empty(QStringLiteral(""), QStringLiteral("")), space(QStringLiteral(" "), QString());
        QCOMPARE(
            QList<bool>({ absent.isValid(), empty.isValid(), space.isValid() }), QList<bool>({ false, false, true }));
        QVERIFY(absent.ckeyword().isNull() && absent.ctext().isNull() && !empty.ctext().isNull());
        QVERIFY(absent.exportText().isEmpty() && !absent.exportText().isNull());
        QCOMPARE(PNGComment(QStringLiteral("Ünï"), QString()).ckeyword(), QByteArray("\xc3\x9cn\xc3\xaf"));
    }

    void keywordListHelpers()
    {
        using TestSupport::describe;
        CommentList list = TestSupport::commentsFrom({ "Author=1", "author=∅", "∅=no key", "Author=2" });
        QCOMPARE(
            describe(commentsWithKeyword(list, QStringLiteral("Author"))), QStringList({ "Author=1", "Author=2" }));
        QVERIFY(commentsWithKeyword(list, QString()).isEmpty());
        QCOMPARE(removeCommentsWithKeyword(list, QString()), 0);
        QCOMPARE(removeCommentsWithKeyword(list, QStringLiteral("Author")), 2);
        QCOMPARE(removeInvalidComments(list), 1);
        QCOMPARE(describe(list), QStringList { "author=∅" });
    }
};

QTEST_GUILESS_MAIN(tst_PNGComment)
#include "tst_PNGComment.moc"
