#include "TestSupport.h"
#include "commentlist/widgets/CommentTableModel.h"
#include "document/PNGDoc.h"

#include <QAbstractItemModelTester>
#include <QMimeData>
#include <QtTest>

using namespace TestSupport;

namespace {

// What a model told its views, one entry per signal.
class SignalLog : public QObject
{
public:
    explicit SignalLog(QAbstractItemModel &model)
    {
        connect(&model, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex &, int first, int last) { entries << u"inserted %1-%2"_qs.arg(first).arg(last); });
        connect(&model, &QAbstractItemModel::rowsRemoved, this,
            [this](const QModelIndex &, int first, int last) { entries << u"removed %1-%2"_qs.arg(first).arg(last); });
        connect(&model, &QAbstractItemModel::rowsMoved, this,
            [this](const QModelIndex &, int first, int last, const QModelIndex &, int to) {
                entries << u"moved %1-%2 before %3"_qs.arg(first).arg(last).arg(to);
            });
        connect(&model, &QAbstractItemModel::dataChanged, this, [this](const QModelIndex &from, const QModelIndex &to) {
            entries << u"changed %1-%2"_qs.arg(from.row()).arg(to.row());
        });
        connect(&model, &QAbstractItemModel::modelReset, this, [this] { entries << u"reset"_qs; });
    }
    QStringList entries;
};

} // namespace

class tst_CommentTableModel : public QObject
{
    Q_OBJECT

private slots:
    // Each change of the owner reaches the views as the one signal that describes it.
    void preciseSignals_data()
    {
        QTest::addColumn<QString>("operation");
        QTest::addColumn<QStringList>("signals");
        QTest::addColumn<QStringList>("rows");
        const auto row = [](const char *name, const char *operation, const QStringList &emitted,
                             const QStringList &rows) { QTest::newRow(name) << QString(operation) << emitted << rows; };
        row("add", "add", { "inserted 4-4" }, { "Author=1", "Bee=2", "Cat=3", "Dog=4", "=" });
        row("delete rows 1 and 3", "delete", { "removed 3-3", "removed 1-1" }, { "Author=1", "Cat=3" });
        row("edit a text cell", "setData", { "changed 1-1" }, { "Author=1", "Bee=two", "Cat=3", "Dog=4" });
        row("drag rows 0 and 1 onto row 3", "drag", { "moved 2-2 before 0" },
            { "Cat=3", "Author=1", "Bee=2", "Dog=4" });
        row("a drop from another table after a drag went elsewhere: copies", "dropFromElsewhere", { "inserted 2-2" },
            { "Author=1", "Bee=2", "X=x", "Cat=3", "Dog=4" });
        row("search", "search", { "reset" }, { "Author=1" });
        row("a keyword edit leaving the search", "leaveSearch", { "reset", "removed 0-0" }, {});
    }
    void preciseSignals()
    {
        QFETCH(QString, operation);
        PNGDoc doc;
        doc.resetComments(commentsFrom({ "Author=1", "Bee=2", "Cat=3", "Dog=4" }));
        CommentTableModel model(&doc);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        SignalLog log(model);

        if (operation == u"add") {
            doc.addMetadataField();
        } else if (operation == u"delete") {
            doc.deleteRows({ 1, 3 });
        } else if (operation == u"setData") {
            QVERIFY(model.setData(model.index(1, 1), u"two"_qs));
        } else if (operation == u"drag") {
            std::unique_ptr<QMimeData> drag(model.mimeData({ model.index(0, 0), model.index(1, 1) }));
            QVERIFY(model.dropMimeData(drag.get(), Qt::MoveAction, 3, 0, QModelIndex()));
        } else if (operation == u"dropFromElsewhere") {
            std::unique_ptr<QMimeData> outgoing(model.mimeData({ model.index(0, 0) }));
            PNGDoc other;
            other.resetComments(commentsFrom({ "X=x" }));
            CommentTableModel otherModel(&other);
            std::unique_ptr<QMimeData> incoming(otherModel.mimeData({ otherModel.index(0, 0) }));
            QVERIFY(model.dropMimeData(incoming.get(), Qt::CopyAction, 2, 0, QModelIndex()));
        } else if (operation == u"search") {
            doc.setSearchText(u"auth"_qs);
        } else if (operation == u"leaveSearch") {
            doc.setSearchText(u"auth"_qs);
            QVERIFY(model.setData(model.index(0, 0), u"Writer"_qs));
        }
        QTEST(log.entries, "signals");
        QTEST(tableRows(model, Qt::EditRole), "rows");
    }

    void cells()
    {
        PNGDoc doc;
        doc.resetComments(commentsFrom({ u"Lines=one\ntwo\r\nthree\u2028four\rfive"_qs, "Empty=" }));
        CommentTableModel model(&doc);
        const QModelIndex text = model.index(0, 1);
        QCOMPARE(text.data().toString(), u"one⏎two⏎three⏎four⏎five"_qs);
        QCOMPARE(text.data(Qt::EditRole).toString(), doc.commentAt(0)->text());
        QCOMPARE(text.data(Qt::ToolTipRole).toString(), doc.commentAt(0)->text());
        QVERIFY(!model.index(1, 1).data(Qt::ToolTipRole).isValid());
        QVERIFY(!model.index(0, 0).data(Qt::ToolTipRole).isValid());
        QVERIFY(model.flags(text) & Qt::ItemIsEditable);
        QCOMPARE(model.flags(QModelIndex()), Qt::ItemIsDropEnabled);

        // Edits of other roles are refused.
        QVERIFY(!model.setData(model.index(1, 0), u"x"_qs, Qt::DisplayRole));
        QCOMPARE(doc.undoStack()->count(), 0);
    }

    void entriesAPngFileCannotHoldAreMarked_data()
    {
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("reason"); // empty: not marked
        QTest::newRow("keyword outside Latin-1") << u"日本"_qs << u"x"_qs << u"“日本” has characters"_qs;
        QTest::newRow("text holding NUL") << u"K"_qs << QString::fromUtf16(u"a\u0000b", 3) << u"NUL"_qs;
        QTest::newRow("no keyword yet") << QString() << u"x"_qs << QString();
    }
    void entriesAPngFileCannotHoldAreMarked()
    {
        QFETCH(QString, keyword);
        QFETCH(QString, text);
        QFETCH(QString, reason);
        PNGDoc doc;
        doc.resetComments({ makeComment(keyword, text) });
        CommentTableModel model(&doc);
        for (int column : { 0, 1 }) {
            const QModelIndex cell = model.index(0, column);
            const QString tip = cell.data(Qt::ToolTipRole).toString();
            QCOMPARE(tip.contains(u"cannot be saved"_qs), !reason.isEmpty());
            QVERIFY2(tip.contains(reason), qPrintable(tip));
            QCOMPARE(cell.data(Qt::ForegroundRole).isValid(), !reason.isEmpty());
            QCOMPARE(cell.data(Qt::AccessibleDescriptionRole).toString().contains(reason), true);
        }
        // Mending it takes the mark away (the row is redrawn).
        SignalLog log(model);
        doc.setKeyword(doc.commentAt(0), u"Mended"_qs);
        doc.setText(doc.commentAt(0), u"text"_qs);
        QVERIFY(!model.index(0, 0).data(Qt::ForegroundRole).isValid());
        QVERIFY(!model.index(0, 0).data(Qt::ToolTipRole).isValid());
        QVERIFY(log.entries.contains(u"changed 0-0"_qs));
    }
};

QTEST_GUILESS_MAIN(tst_CommentTableModel)
#include "tst_CommentTableModel.moc"
