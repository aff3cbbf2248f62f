#include "TestSupport.h"
#include "commentlist/CommentListOwner.h"
#include "core/PNGinfo.h"
#include "interchange/MetadataXml.h"
#include "interchange/PasteboardFormats.h"
#include "templates/Template.h"
#include "templates/TemplateEditor.h"

#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

using namespace TestSupport;

namespace {

// An owner like a document (a keyword filter, texts expanded against a 640-pixel-wide
// sunset.png) or like a template or batch list (texts kept, no filter).
class Owner : public CommentListOwner
{
public:
    explicit Owner(bool expands)
        : m_expands(expands)
    {
        m_info.path = u"/pictures/sunset.png"_qs;
        m_info.width = 640;
    }
    const PNGinfo *expansionInfo() const override { return m_expands ? &m_info : nullptr; }
    void setFilter(const QString &filter)
    {
        m_filter = filter;
        rearrange();
    }
    QString filter() const { return m_filter; }

protected:
    bool isArranged(const PNGComment &comment) const override
    {
        return m_filter.isEmpty() || comment.keyword().contains(m_filter, Qt::CaseInsensitive);
    }
    void revealComments(const CommentList &entering) override
    {
        for (const auto &comment : entering) {
            if (!isArranged(*comment)) {
                setFilter(QString());
                return;
            }
        }
    }

private:
    bool m_expands;
    PNGinfo m_info;
    QString m_filter;
};

// Follows an owner's signals the way a view does, without reading positions from the
// owner, and records every mismatch with what the owner shows.
struct Mirror
{
    explicit Mirror(Owner &owner)
        : owner(owner)
        , rows(owner.comments())
    {
        QObject::connect(&owner, &CommentListOwner::commentsInserted, [this](int first, int count) {
            if (first < 0 || first > rows.size() || count <= 0)
                problems << u"insert %1+%2 of %3"_qs.arg(first).arg(count).arg(rows.size());
            else
                rows.insert(first, count, nullptr);
            for (int i = first; i < first + count && i < this->owner.rowCount(); ++i)
                rows[i] = this->owner.commentAt(i);
        });
        QObject::connect(&owner, &CommentListOwner::commentsRemoved, [this](int first, int count) {
            if (first < 0 || count <= 0 || first + count > rows.size())
                problems << u"remove %1+%2 of %3"_qs.arg(first).arg(count).arg(rows.size());
            else
                rows.remove(first, count);
        });
        QObject::connect(&owner, &CommentListOwner::commentMoved, [this](int from, int to) {
            if (from < 0 || to < 0 || from >= rows.size() || to >= rows.size() || from == to)
                problems << u"move %1 to %2 of %3"_qs.arg(from).arg(to).arg(rows.size());
            else
                rows.move(from, to);
        });
        QObject::connect(&owner, &CommentListOwner::commentChanged, [this](int row) {
            if (row < 0 || row >= rows.size() || rows[row] != this->owner.commentAt(row))
                problems << u"change %1"_qs.arg(row);
        });
        QObject::connect(&owner, &CommentListOwner::commentsReset, [this] {
            rows = this->owner.comments();
            ++resets;
        });
        QObject::connect(&owner, &CommentListOwner::commentsChanged, [this] { check(); });
    }
    void check()
    {
        if (rows != owner.comments())
            problems << u"rows %1, owner shows %2"_qs.arg(
                describe(rows).join(u' '), describe(owner.comments()).join(u' '));
        CommentList arranged = owner.allComments();
        const QString filter = owner.filter();
        arranged.removeIf([&](const CommentPtr &c) {
            return !filter.isEmpty() && !c->keyword().contains(filter, Qt::CaseInsensitive);
        });
        if (arranged != owner.comments())
            problems << u"arranged list out of step"_qs;
    }

    Owner &owner;
    CommentList rows;
    int resets = 0;
    QStringList problems;
};

QMimeData *xmlForm(const QString &pairs)
{
    auto *mime = new QMimeData;
    writeComments(commentsFrom(pairs.split(u';')), mime);
    return mime;
}

QList<int> rowsFrom(const QString &list)
{
    QList<int> rows;
    for (const QString &row : list.split(u','))
        rows << row.toInt();
    return rows;
}

} // namespace

class tst_CommentListOwner : public QObject
{
    Q_OBJECT

private slots:
    void init() { QTest::failOnWarning(QRegularExpression(QStringLiteral(".*"))); }

    // Each row: a script of operations (one per entry: the operation's name and its
    // arguments, separated by spaces; pairs are keyword=text joined by ';'), the list it
    // leaves, and how many steps of history it leaves. Every row is then undone to the
    // start and redone to the end, while a mirror checks every signal.
    void edits_data()
    {
        QTest::addColumn<bool>("expands");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("start");
        QTest::addColumn<QStringList>("script");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<int>("steps");
        QTest::addColumn<int>("resets"); // resets seen while the script runs

        const QStringList five { "k0=0", "k1=1", "k2=2", "k3=3", "k4=4" };
        const QStringList four { "k0=0", "k1=1", "k2=2", "k3=3" };
        const QStringList mixed { "a0=0", "b1=1", "a2=2", "b3=3", "a4=4" };
        const auto row = [](const char *name, bool expands, const char *filter, const QStringList &start,
                             const QStringList &script, const QStringList &expected, int steps, int resets = 0) {
            QTest::newRow(name) << expands << QString(filter) << start << script << expected << steps << resets;
        };
        row("add a blank comment", false, "", { "A=1" }, { "add" }, { "A=1", "∅=∅" }, 1);
        row("a blank comment lifts the filter", true, "a", { "A=1", "B=2" }, { "add" }, { "A=1", "B=2", "∅=∅" }, 1, 1);
        row("remove rows 1 and 3", false, "", five, { "remove 3,1,3" }, { "k0=0", "k2=2", "k4=4" }, 1);
        row("rows outside remove nothing", false, "", five, { "remove -1,5", "delete 7" }, five, 0);
        row("delete a row of the filtered list", true, "a", mixed, { "delete 1" }, { "a0=0", "b1=1", "b3=3", "a4=4" },
            1);
        row("delete all keeps hidden comments", true, "auth", { "Author=1", "Title=2", "Author2=3" }, { "deleteAll" },
            { "Title=2" }, 1);
        row("delete all of nothing", false, "", {}, { "deleteAll" }, {}, 0);
        row("cut", false, "", four, { "cut 0,2" }, { "k1=1", "k3=3" }, 1);
        row("text cell expands in a document", true, "", { "A=1" }, { "text 0 %FILENAME%:%WIDTH%" }, { "A=sunset:640" },
            1);
        row("text cell kept in a list", false, "", { "A=1" }, { "text 0 %FILENAME%:%WIDTH%" },
            { "A=%FILENAME%:%WIDTH%" }, 1);
        row("keyword cell cut at 79, never expanded", true, "", { "A=1" },
            { "key 0 " + QString(100, u'k'), "key 0 %WIDTH%" }, { "%WIDTH%=1" }, 2);
        row("the same value again is no step", false, "", { "A=1" }, { "key 0 A", "text 0 1" }, { "A=1" }, 0);
        row("a keyword edit hides the row", true, "auth", { "Author=1", "Title=2" }, { "key 0 Name" },
            { "Name=1", "Title=2" }, 1);
        row("paste XML: expanded, before the row", true, "", { "A=1", "B=2" }, { "paste 1 F=%FILENAME%;G=∅" },
            { "A=1", "F=sunset", "G=", "B=2" }, 1);
        row("paste in the filtered list lands before the row's comment", true, "c", { "A=1", "B=2", "C=3", "D=4" },
            { "paste 0 Cx=1" }, { "A=1", "B=2", "Cx=1", "C=3", "D=4" }, 1);
        row("a paste the filter would hide lifts it", true, "c", { "A=1", "C=3" }, { "paste 0 X=1" },
            { "A=1", "X=1", "C=3" }, 1, 1);
        row("a paste of nothing", false, "", { "A=1" }, { "pasteNothing" }, { "A=1" }, 0);
        row("move rows 0 and 1 onto row 3", false, "", four, { "move 0,1 3" }, { "k2=2", "k0=0", "k1=1", "k3=3" }, 1);
        row("move to the end", false, "", four, { "move 0 -1" }, { "k1=1", "k2=2", "k3=3", "k0=0" }, 1);
        row("move within the filtered list", true, "k", { "k0=0", "x=x", "k1=1", "k2=2" }, { "move 0 2" },
            { "x=x", "k1=1", "k0=0", "k2=2" }, 1);
        row("a move that changes nothing", false, "", four, { "move 1 2" }, four, 0);
        row("a move whose drop brings nothing", false, "", four, { "moveNothing 0 3" }, four, 0);
        row("drop from elsewhere copies", false, "", { "k0=0", "k1=1" }, { "drop 1 X=%WIDTH%" },
            { "k0=0", "X=%WIDTH%", "k1=1" }, 1);
        row("add text and remove by keyword", true, "", { "A=1", "B=2", "A=3", "a=4" },
            { "removeKey A", "addText K %WIDTH%" }, { "B=2", "a=4", "K=%WIDTH%" }, 2);
        row("remove by keyword only where shown", true, "x", { "Ax=1", "A=2" }, { "removeKey A" }, { "Ax=1", "A=2" },
            0);
        row("preset in a document", true, "", {}, { "preset Title %FILENAME%" }, { "Title=sunset" }, 1);
        row("both fields in one step", true, "", { "A=1" }, { "fields 0 Title %WIDTH%" }, { "Title=640" }, 1);
        row("indexed accessors", false, "", { "A=1", "B=2" }, { "insertObject 1 X=x", "removeObject 0" },
            { "X=x", "B=2" }, 2);
        row("template overwriting duplicates, one step", true, "", { "Author=old", "author=lower", "Keep=1" },
            { "template overwrite Author=%WIDTH%;Author=second;Title=%WIDTH%" },
            { "author=lower", "Keep=1", "Author=second", "Title=640" }, 1, 1);
        row("template clearing the filtered list", true, "auth", { "Author=1", "Title=2" },
            { "template clear New=%FILENAME%" }, { "Title=2", "New=sunset" }, 1, 2);
        row("import replacing, one step", true, "", { "Author=old", "Title=t" },
            { "import replace Author=%WIDTH%;Author=%FILENAME%" }, { "Title=t", "Author=sunset" }, 1);
        row("import replacing only what the filter shows", true, "tit", { "Author=old", "Title=t" },
            { "import replace Author=new" }, { "Author=old", "Title=t", "Author=new" }, 1, 1);
        row("import clearing the shown comments first", true, "title", { "Author=old", "Title=t" },
            { "import clear Note=n" }, { "Author=old", "Note=n" }, 1, 1);
        row("an import that cannot be read clears nothing", true, "", { "A=1" }, { "importMissing" }, { "A=1" }, 0);
        row("undo in the middle drops the redo", false, "", { "A=1" }, { "deleteAll", "undo", "text 0 x" }, { "A=x" },
            1);
    }
    void edits()
    {
        QFETCH(bool, expands);
        QFETCH(QString, filter);
        QFETCH(QStringList, start);
        QFETCH(QStringList, script);
        QFETCH(QStringList, expected);
        QFETCH(int, steps);

        Owner owner(expands);
        owner.resetComments(commentsFrom(start));
        owner.setFilter(filter);
        const CommentList startObjects = owner.allComments();
        Mirror mirror(owner);
        QTemporaryDir dir;

        for (const QString &line : script) {
            const QString op = line.section(u' ', 0, 0), a = line.section(u' ', 1, 1), b = line.section(u' ', 2);
            QMimeData clipboard;
            if (op == u"add") {
                QCOMPARE(owner.commentAt(owner.addMetadataField())->keyword(), QString());
            } else if (op == u"remove") {
                owner.removeMetadataField(rowsFrom(a));
            } else if (op == u"delete") {
                owner.deleteRows(rowsFrom(a));
            } else if (op == u"deleteAll") {
                owner.deleteAll();
            } else if (op == u"cut") {
                QVERIFY(owner.cut(rowsFrom(a), &clipboard));
                QVERIFY(clipboard.hasFormat(PasteboardMetadataXML));
            } else if (op == u"key" || op == u"text") {
                QVERIFY(owner.setData(
                    a.toInt(), op == u"key" ? CommentListOwner::KeywordColumn : CommentListOwner::TextColumn, b));
            } else if (op == u"paste") {
                std::unique_ptr<QMimeData> mime(xmlForm(b));
                QVERIFY(owner.paste(mime.get(), a.toInt()));
            } else if (op == u"pasteNothing") {
                clipboard.setData(PasteboardMetadataXML, "<PasteboardMetadataXML/>");
                QVERIFY(owner.paste(&clipboard, 0));
            } else if (op == u"move" || op == u"moveNothing") {
                // The comments themselves move (copies would lose their iTXt details).
                const CommentList before = owner.allComments();
                QVERIFY(owner.beginDrag(rowsFrom(a), &clipboard));
                if (op == u"moveNothing")
                    clipboard.setData(PasteboardMetadataXML, "<PasteboardMetadataXML/>");
                QVERIFY(owner.acceptDrop(&clipboard, b.toInt(), true));
                const CommentList after = owner.allComments();
                QVERIFY(std::is_permutation(before.begin(), before.end(), after.begin(), after.end()));
            } else if (op == u"drop") {
                std::unique_ptr<QMimeData> mime(xmlForm(b));
                QVERIFY(owner.acceptDrop(mime.get(), a.toInt(), false));
            } else if (op == u"removeKey") {
                owner.removeCommentsForKey(a);
            } else if (op == u"addText") {
                owner.addText(b, a);
            } else if (op == u"preset") {
                const int row = owner.addPresetMetadataField(PNGComment(a, b));
                QCOMPARE(row, owner.rowCount() - 1);
            } else if (op == u"fields") {
                QVERIFY(owner.setFields(owner.commentAt(a.toInt()), b.section(u' ', 0, 0), b.section(u' ', 1),
                    Expansion::Expand, u"Apply Preset"_qs));
            } else if (op == u"insertObject") {
                owner.insertObject(commentsFrom({ b }).first(), a.toInt());
            } else if (op == u"removeObject") {
                owner.removeObjectFromComments(a.toInt());
            } else if (op == u"template") {
                Template applied(u"T"_qs, dir.path());
                applied.setClearAll(a == u"clear");
                applied.setOverwriteDuplicates(a == u"overwrite");
                for (const auto &c : commentsFrom(b.split(u';')))
                    applied.addComment(c);
                applyTemplate(applied, owner);
                QCOMPARE(describe(applied.comments()), b.split(u';')); // the template is untouched
            } else if (op == u"import") {
                const QString file = dir.filePath(u"in.velmx"_qs);
                QVERIFY(writeFile(file,
                    MetadataXml::write(u"ImageMetadata"_qs, commentsFrom(b.split(u';')), MetadataXml::Layout::File)));
                QVERIFY(owner.importMetadataFile(file, u',', a == u"replace", a == u"clear"));
            } else if (op == u"importMissing") {
                QVERIFY(!owner.importMetadataFile(dir.filePath(u"missing.velmx"_qs), u',', false, true));
            } else if (op == u"undo") {
                owner.undoStack()->undo();
            } else {
                QFAIL(qPrintable(u"unknown operation "_qs + op));
            }
        }
        QCOMPARE(describe(owner.allComments()), expected);
        QTEST(mirror.resets, "resets");
        QCOMPARE(owner.undoStack()->index(), steps);

        // Undone to the start: the same values and the same comment objects.
        while (owner.undoStack()->canUndo())
            owner.undoStack()->undo();
        QCOMPARE(describe(owner.allComments()), start);
        QCOMPARE(owner.allComments(), startObjects);
        QVERIFY(owner.undoStack()->isClean());
        // Redone to the end.
        while (owner.undoStack()->canRedo())
            owner.undoStack()->redo();
        QCOMPARE(describe(owner.allComments()), expected);
        QCOMPARE(owner.undoStack()->isClean(), steps == 0);
        QCOMPARE(mirror.problems, QStringList()); // the script, its undoing and redoing
    }

    void stepsAreNamed()
    {
        Owner owner(false);
        owner.resetComments(commentsFrom({ "A=1", "B=2" }));
        QMimeData clipboard;
        owner.addMetadataField();
        owner.setData(2, CommentListOwner::KeywordColumn, u"C"_qs);
        owner.setData(2, CommentListOwner::TextColumn, u"3"_qs);
        owner.copy({ 0 }, &clipboard);
        owner.paste(&clipboard, -1);
        owner.deleteRows({ 3 });
        owner.deleteAll();
        QStringList names;
        for (int i = 0; i < owner.undoStack()->count(); ++i)
            names << owner.undoStack()->text(i);
        QCOMPARE(names, QStringList({ "Add Comment", "Edit Keyword", "Edit Text", "Paste", "Delete", "Delete All" }));
    }

    void editsOfCommentsOutsideTheList()
    {
        Owner owner(true);
        owner.resetComments(commentsFrom({ "A=1" }));
        const CommentPtr stranger = makeComment(u"S"_qs, u"s"_qs);
        QVERIFY(!owner.setKeyword(stranger, u"X"_qs));
        QVERIFY(!owner.setText(stranger, u"x"_qs));
        QVERIFY(!owner.setFields(stranger, u"X"_qs, u"x"_qs, Expansion::Expand, u"Apply Preset"_qs));
        QVERIFY(!owner.removeComments({ stranger, nullptr }, u"Remove Comments"_qs));
        QVERIFY(!owner.setData(1, CommentListOwner::TextColumn, u"x"_qs));
        QVERIFY(!owner.setData(0, CommentListOwner::Column(2), u"x"_qs));
        QCOMPARE(describe({ stranger }), QStringList { "S=s" });
        QCOMPARE(owner.undoStack()->count(), 0);

        // A removed comment can no longer be edited through the owner.
        const CommentPtr a = owner.commentAt(0);
        owner.deleteAll();
        QVERIFY(!owner.setText(a, u"late"_qs));
        QCOMPARE(a->text(), u"1"_qs);
        owner.undoStack()->undo();
        QVERIFY(owner.setText(a, u"%WIDTH%"_qs));
        QCOMPARE(a->text(), u"640"_qs);
    }

    void insertionsAreCopies()
    {
        Owner owner(false);
        const CommentList records = commentsFrom({ "A=1", "B=2" });
        records[1]->setInternational(u"de"_qs, u"Bee"_qs);
        const CommentList inserted = owner.insertComments(0, records, Expansion::Verbatim, u"Add Comments"_qs);
        QCOMPARE(inserted, owner.allComments());
        QVERIFY(inserted[0] != records[0]);
        records[0]->setText(u"changed outside"_qs);
        QCOMPARE(owner.commentAt(0)->text(), u"1"_qs);
        QCOMPARE(owner.commentAt(1)->translatedKeyword(), u"Bee"_qs);

        // The list's own comments given back to replaceAll stay themselves; a comment named
        // twice comes in a second time as a copy.
        const CommentPtr a = owner.commentAt(0);
        QVERIFY(owner.replaceAll({ a, a }, Expansion::Verbatim, u"Replace"_qs));
        QCOMPARE(owner.allComments().size(), 2);
        QVERIFY(owner.allComments().first() == a && owner.allComments().last() != a);
        QVERIFY(!owner.replaceAll(owner.allComments(), Expansion::Verbatim, u"Replace"_qs));
    }

    void loadingForgetsTheHistory()
    {
        Owner owner(true);
        owner.addText(u"x"_qs, u"A"_qs);
        owner.setFilter(u"zzz"_qs);
        QVERIFY(owner.undoStack()->canUndo());
        owner.resetComments(commentsFrom({ "Title=%WIDTH%" }));
        // Read as it is: no expansion, the filter kept, nothing to undo.
        QCOMPARE(describe(owner.allComments()), QStringList { "Title=%WIDTH%" });
        QCOMPARE(owner.filter(), u"zzz"_qs);
        QVERIFY(!owner.undoStack()->canUndo());
        QVERIFY(owner.undoStack()->isClean());
    }
};

QTEST_GUILESS_MAIN(tst_CommentListOwner)
#include "tst_CommentListOwner.moc"
