#include "core/PNGinfo.h"
#include "templates/Template.h"
#include "templates/TemplateApplication.h"

#include <QtTest>

#include "TestSupport.h"

using namespace TestSupport;

namespace {

void fill(Template &t, const QStringList &pairs)
{
    for (const auto &c : commentsFrom(pairs))
        t.addComment(c);
}

} // namespace

class tst_TemplateApplication : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void flags_data()
    {
        QTest::addColumn<bool>("clearAll");
        QTest::addColumn<bool>("overwrite");
        QTest::addColumn<QStringList>("templateComments");
        QTest::addColumn<QStringList>("expected");

        const QStringList existing { "Author=old", "author=lower", "Keep=1" }; // what flags() starts from
        const QStringList pair { "Author=new", "Title=t" }, twice { "Keep=a", "Keep=b" };
        QTest::newRow("append only") << false << false << pair << existing + pair;
        QTest::newRow("overwrite is case-sensitive")
            << false << true << pair << QStringList { "author=lower", "Keep=1", "Author=new", "Title=t" };
        QTest::newRow("clear all") << true << false << pair << pair;
        QTest::newRow("same keyword twice, no overwrite") << false << false << twice << existing + twice;
        QTest::newRow("same keyword twice, overwrite")
            << false << true << twice << QStringList { "Author=old", "author=lower", "Keep=b" };
    }
    void flags()
    {
        QFETCH(bool, clearAll);
        QFETCH(bool, overwrite);
        QFETCH(QStringList, templateComments);

        Template source(u"T"_qs, QString());
        source.setClearAll(clearAll);
        source.setOverwriteDuplicates(overwrite);
        fill(source, templateComments);
        CommentList target = commentsFrom({ "Author=old", "author=lower", "Keep=1" });
        QCOMPARE(applyTemplate(source, target, nullptr), templateComments.size());
        QTEST(describe(target), "expected");
        // The template's own comments are never inserted or changed.
        QCOMPARE(describe(source.comments()), templateComments);
        for (const auto &c : source.comments())
            QVERIFY(!target.contains(c));
    }

    void expansionOnlyAgainstAnImage()
    {
        Template source(u"T"_qs, QString());
        fill(source, { "Width=%WIDTH% px", QString(100, u'k') + u"=%FILENAME%"_qs, "Blank=∅" });

        PNGinfo info;
        info.path = u"/pictures/sunset.png"_qs;
        info.width = 640;
        CommentList document;
        applyTemplate(source, document, &info);
        QCOMPARE(describe(document), QStringList({ "Width=640 px", QString(79, u'k') + u"=sunset"_qs, "Blank=" }));

        CommentList batch;
        applyTemplate(source, batch, nullptr);
        QCOMPARE(
            describe(batch), QStringList({ "Width=%WIDTH% px", QString(79, u'k') + u"=%FILENAME%"_qs, "Blank=∅" }));
    }

    void clearingRespectsTheOwnersFilter()
    {
        // An owner that shows only comments whose text contains "x".
        CommentList all = commentsFrom({ "A=x1", "B=hidden", "C=x2" });
        const auto visible = [&] {
            CommentList shown = all;
            shown.removeIf([](const CommentPtr &c) { return !c->text().contains(u'x'); });
            return shown;
        };
        const auto remove
            = [&](const CommentList &doomed) { all.removeIf([&](const CommentPtr &c) { return doomed.contains(c); }); };
        const TemplateApplicationTarget target { visible, [&] { remove(visible()); }, remove,
            [&](const CommentPtr &c) { all << c; } };

        Template clearing(u"T"_qs, QString());
        clearing.setClearAll(true);
        fill(clearing, { "New=n" });
        applyTemplate(clearing, target, nullptr);
        QCOMPARE(describe(all), QStringList({ "B=hidden", "New=n" }));

        // Overwriting searches what is shown plus this run's own comments, even hidden ones.
        Template twice(u"T2"_qs, QString());
        twice.setOverwriteDuplicates(true);
        fill(twice, { "A=first", "A=second" });
        all = commentsFrom({ "A=x shown", "A=hidden" });
        applyTemplate(twice, target, nullptr);
        QCOMPARE(describe(all), QStringList({ "A=hidden", "A=second" }));
    }
};

QTEST_GUILESS_MAIN(tst_TemplateApplication)
#include "tst_TemplateApplication.moc"
