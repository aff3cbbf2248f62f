#include "core/CommentContainer.h"
#include "core/PNGComment.h"
#include "core/PNGinfo.h"

#include <QDataStream>
#include <QXmlStreamWriter>
#include <QtTest>

namespace {

class FakeContainer : public CommentContainer
{
public:
    explicit FakeContainer(const PNGinfo *info = nullptr) : m_info(info) {}
    void refreshCommentTable() override { ++refreshes; }
    const PNGinfo *documentInfo() const override { return m_info; }
    int refreshes = 0;

private:
    const PNGinfo *m_info;
};

} // namespace

class tst_PNGComment : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void keywordCut_data();
    void keywordCut();
    void cutNeverSplitsSurrogatePair();
    void otherWaysInKeepLongKeywords();
    void validityAndAbsentStrings();
    void textExpansionDependsOnContainer();
    void refreshReachesContainerOnlyWhenAsked();
    void archivingKeepsFieldsAndDropsContainer();
    void xmlElementEscapesAwkwardText();
    void keywordListHelpers();
};

void tst_PNGComment::keywordCut_data()
{
    QTest::addColumn<int>("length");
    QTest::addColumn<int>("stored");
    QTest::newRow("79 kept whole") << 79 << 79;
    QTest::newRow("80 cut to 79") << 80 << 79;
    QTest::newRow("200 cut to 79") << 200 << 79;
    QTest::newRow("short") << 3 << 3;
}

void tst_PNGComment::keywordCut()
{
    QFETCH(int, length);
    QFETCH(int, stored);
    PNGComment c;
    const QString keyword(length, u'k');
    c.setKeyword(keyword);
    QCOMPARE(c.keyword().size(), stored);
    PNGComment d;
    d.setKeyword(keyword, true);
    QCOMPARE(d.keyword().size(), stored);
}

void tst_PNGComment::cutNeverSplitsSurrogatePair()
{
    // 78 letters and then an emoji (a surrogate pair) at code units 78 and 79.
    const QString keyword = QString(78, u'a') + QString::fromUtf8("😀") + QStringLiteral("tail");
    PNGComment c;
    c.setKeyword(keyword);
    QCOMPARE(c.keyword(), QString(78, u'a'));
    QVERIFY(!c.keyword().back().isHighSurrogate());
    // A pair that ends exactly at 79 is kept whole.
    const QString fits = QString(77, u'a') + QString::fromUtf8("😀") + QStringLiteral("x");
    c.setKeyword(fits);
    QCOMPARE(c.keyword(), QString(77, u'a') + QString::fromUtf8("😀"));
}

void tst_PNGComment::otherWaysInKeepLongKeywords()
{
    const QString longKey(100, u'x');
    PNGComment direct(longKey, QStringLiteral("t"));
    QCOMPARE(direct.keyword().size(), 100);

    PNGComment target;
    target.copyFieldsFromComment(direct);
    QCOMPARE(target.keyword().size(), 100);

    QCOMPARE(PNGComment::decode(direct.encode())->keyword().size(), 100);

    FakeContainer container;
    direct.setContainer(&container);
    auto copy = direct.copy();
    QCOMPARE(copy->keyword(), QString(79, u'x'));
    QCOMPARE(copy->text(), QStringLiteral("t"));
    QCOMPARE(copy->container(), nullptr);
}

void tst_PNGComment::validityAndAbsentStrings()
{
    PNGComment absent;
    QVERIFY(!absent.isValid());
    QVERIFY(absent.ckeyword().isNull());
    QVERIFY(absent.ctext().isNull());
    QCOMPARE(absent.exportText(), QStringLiteral(""));
    QVERIFY(!absent.exportText().isNull());

    PNGComment empty(QStringLiteral(""), QStringLiteral(""));
    QVERIFY(!empty.isValid());
    QVERIFY(!empty.ctext().isNull());

    PNGComment space(QStringLiteral(" "), QString());
    QVERIFY(space.isValid());
    QCOMPARE(PNGComment(QStringLiteral("Ünï"), QString()).ckeyword(), QByteArray("\xc3\x9cn\xc3\xaf"));
}

void tst_PNGComment::textExpansionDependsOnContainer()
{
    PNGinfo info;
    info.path = QStringLiteral("/photos/sunset.png");
    info.width = 640;
    FakeContainer document(&info);
    FakeContainer batch;

    PNGComment c;
    c.setText(QStringLiteral("%WIDTH%"));
    QCOMPARE(c.text(), QStringLiteral("%WIDTH%"));

    c.setContainer(&batch);
    c.setText(QStringLiteral("%WIDTH%"));
    QCOMPARE(c.text(), QStringLiteral("%WIDTH%"));
    c.setText(QString());
    QVERIFY(c.text().isNull());

    c.setContainer(&document);
    c.setText(QStringLiteral("%WIDTH% %FILENAME%"));
    QCOMPARE(c.text(), QStringLiteral("640 sunset"));
    c.setText(QString());
    QVERIFY(!c.text().isNull());
    QCOMPARE(c.text(), QStringLiteral(""));
}

void tst_PNGComment::refreshReachesContainerOnlyWhenAsked()
{
    PNGComment c;
    c.setKeyword(QStringLiteral("A"), true); // no container: nothing happens
    QCOMPARE(c.keyword(), QStringLiteral("A"));

    FakeContainer container;
    c.setContainer(&container);
    c.setKeyword(QStringLiteral("B"));
    c.setText(QStringLiteral("x"));
    QCOMPARE(container.refreshes, 0);
    c.setKeyword(QStringLiteral("C"), true);
    c.setText(QStringLiteral("y"), true);
    c.setText(QStringLiteral("z"), false);
    QCOMPARE(container.refreshes, 2);
}

void tst_PNGComment::archivingKeepsFieldsAndDropsContainer()
{
    FakeContainer container;
    PNGComment c(QStringLiteral("Author"), QStringLiteral("Ann\nLee"));
    c.setContainer(&container);
    QByteArray buffer;
    {
        QDataStream out(&buffer, QIODevice::WriteOnly);
        out << c;
    }
    PNGComment back;
    QDataStream in(buffer);
    in >> back;
    QCOMPARE(back.keyword(), c.keyword());
    QCOMPARE(back.text(), c.text());
    QCOMPARE(back.container(), nullptr);

    // Absent stays absent, empty stays empty.
    auto decoded = PNGComment::decode(PNGComment(QString(), QStringLiteral("")).encode());
    QVERIFY(decoded->keyword().isNull());
    QVERIFY(!decoded->text().isNull());
}

void tst_PNGComment::xmlElementEscapesAwkwardText()
{
    QString xml;
    QXmlStreamWriter w(&xml);
    PNGComment(QString(), QString()).writeXml(w);
    PNGComment(QStringLiteral("A&B"), QStringLiteral("<\"q\">")).writeXml(w);
    w.writeEndDocument();
    QCOMPARE(xml.trimmed(), QStringLiteral("<comment keyword=\"\" text=\"\"/><comment keyword=\"A&amp;B\" text=\"&lt;&quot;q&quot;&gt;\"/>"));
}

void tst_PNGComment::keywordListHelpers()
{
    CommentList list{makeComment(QStringLiteral("Author"), QStringLiteral("1")), makeComment(QStringLiteral("author")),
                     makeComment(QString(), QStringLiteral("no key")), makeComment(QStringLiteral("Author"), QStringLiteral("2"))};
    QCOMPARE(commentsWithKeyword(list, QStringLiteral("Author")).size(), 2);
    QVERIFY(commentsWithKeyword(list, QString()).isEmpty());
    CommentList copy = list;
    QCOMPARE(removeCommentsWithKeyword(copy, QString()), 0);
    QCOMPARE(removeCommentsWithKeyword(copy, QStringLiteral("Author")), 2);
    QCOMPARE(copy.size(), 2);
    QCOMPARE(removeInvalidComments(copy), 1);
    QCOMPARE(copy.size(), 1);
    QCOMPARE(copy.first()->keyword(), QStringLiteral("author"));
}

QTEST_GUILESS_MAIN(tst_PNGComment)
#include "tst_PNGComment.moc"
