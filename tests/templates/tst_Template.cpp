#include "interchange/PasteboardFormats.h"
#include "templates/Template.h"

#include <QMimeData>
#include <QTemporaryDir>
#include <QtTest>

#include "TestSupport.h"

using namespace TestSupport;

class tst_Template : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir->path())); // never the real user's folders
    }

    void fileRoundTrip()
    {
        auto original = Template::initWithName(u"Set"_qs, m_dir->path());
        original->setClearAll(true);
        original->setOverwriteDuplicates(true);
        for (const auto &c :
            commentsFrom({ "Author=%OSUSERNAME%", "Title=%FILENAME%", u"Notes=one\ntwo\r\n\t\"q\" <&> 😀"_qs }))
            original->addComment(c);
        QVERIFY(!QFile::exists(path(u"Set"_qs))); // nothing written before save
        QVERIFY(original->save());

        const QByteArray bytes = readFile(path(u"Set"_qs));
        QVERIFY(bytes.contains("<ImageMetadata ClearsAllWhenApplied=\"YES\" OverwritesDuplicateKeys=\"YES\">"));

        const auto back = Template::initWithFile(path(u"Set"_qs));
        QVERIFY(back);
        QVERIFY(back->clearsCommentsWhenApplied() && back->overwritesDuplicatesWhenApplied());
        QCOMPARE(describe(back->comments()), describe(original->comments()));
        // A template read from its file has nothing to undo.
        QVERIFY(!back->undoStack()->canUndo());

        // Missing folder: the save fails and creates nothing.
        QVERIFY(!Template::initWithName(u"T"_qs, path(u"missing"_qs))->save());
        QVERIFY(!QFileInfo::exists(path(u"missing"_qs)));
    }

    void readingRules_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("xml");
        QTest::addColumn<QStringList>("expected"); // flags, then comments; empty: no template

        QTest::newRow("every root child, any name")
            << "My set"
            << QByteArray("<?xml version=\"1.0\"?><!-- c --><Any><comment keyword=\"A\" text=\"1\"/>text"
                          "<entry keyword=\"B\" text=\"2\"><comment keyword=\"Nested\"/></entry>"
                          "<comment text=\"t\"/><comment keyword=\"C\"/></Any>")
            << QStringList { "NO", "NO", "A=1", "B=2", "∅=t", "C=∅" };
        QTest::newRow("extension stays in the name")
            << "notes.xml" << QByteArray("<ImageMetadata ClearsAllWhenApplied=\"Yes\" OverwritesDuplicateKeys=\"no\"/>")
            << QStringList { "YES", "NO" };
        QTest::newRow("numeric flags")
            << "n" << QByteArray("<ImageMetadata ClearsAllWhenApplied=\"0\" OverwritesDuplicateKeys=\" 2\"/>")
            << QStringList { "NO", "YES" };
        QTest::newRow("empty file") << "e" << QByteArray() << QStringList();
        QTest::newRow("plain text") << "p" << QByteArray("Author\tme\n") << QStringList();
        QTest::newRow("truncated") << "t" << QByteArray("<ImageMetadata><comment keyword=\"A\"") << QStringList();
        QTest::newRow("no root element") << "d" << QByteArray("<?xml version=\"1.0\"?>") << QStringList();
        // Decoded from UTF-7, "+2ADYAA-" is two high surrogates: XML cannot carry them, so they
        // are read as U+FFFD, as a save would write them.
        QTest::newRow("another encoding, unpaired surrogates")
            << "u7"
            << QByteArray("<?xml version=\"1.0\" encoding=\"UTF-7\"?><ImageMetadata>"
                          "<comment keyword=\"K+2ADYAA-\" text=\"t\"/></ImageMetadata>")
            << QStringList { "NO", "NO", u"K\uFFFD\uFFFD=t"_qs };
    }
    void readingRules()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, xml);
        QFETCH(QStringList, expected);
        QVERIFY(writeFile(path(name), xml));
        const auto loaded = Template::initWithFile(path(name));
        QCOMPARE(bool(loaded), !expected.isEmpty());
        if (!loaded)
            return;
        QCOMPARE(loaded->name(), name);
        QStringList seen { loaded->clearsCommentsWhenApplied() ? u"YES"_qs : u"NO"_qs,
            loaded->overwritesDuplicatesWhenApplied() ? u"YES"_qs : u"NO"_qs };
        QCOMPARE(seen + describe(loaded->comments()), expected);
        // What was read is what a save writes (a missing attribute is written empty).
        QVERIFY(writeFile(path(name + u"~"_qs), loaded->fileContents()));
        const auto again = Template::initWithFile(path(name + u"~"_qs));
        QVERIFY(again);
        QCOMPARE(describe(again->comments()), describe(loaded->comments()).replaceInStrings(u"∅"_qs, QString()));
    }

    void boolFromStringValues_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<bool>("expected");
        for (const char *yes : { "Yes", "TRUE", "1", "-3", " 2", "+7", "12abc", "007" })
            QTest::newRow(yes) << QString::fromLatin1(yes) << true;
        for (const char *no : { "no", "false", "0", "-0", "0x1", "", " yes", "yes please", "-" })
            QTest::newRow(no) << QString::fromLatin1(no) << false;
        QTest::newRow("absent") << QString() << false;
    }
    void boolFromStringValues()
    {
        QFETCH(QString, value);
        QTEST(boolFromString(value), "expected");
    }

    void renameAndDelete()
    {
        // Never saved: only the name changes; the first save uses the new one.
        const auto draft = Template::initWithName(u"Draft"_qs, m_dir->path());
        QVERIFY(draft->setName(u"Final"_qs));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList());
        QVERIFY(draft->save());
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList({ "Final" }));

        // Saved: the file moves, and never over a file that is somebody else's.
        QVERIFY(draft->setName(u"Moved"_qs));
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList({ "Moved" }));
        QVERIFY(writeFile(path(u"notes.txt"_qs), "keep me"));
        QVERIFY(!draft->setName(u"notes.txt"_qs));
        QVERIFY(!Template::initWithName(u"Other"_qs, m_dir->path())->setName(u"notes.txt"_qs));
        QCOMPARE(draft->name(), u"Moved"_qs);

        QTest::ignoreMessage(QtInfoMsg, "DeleteFile");
        QVERIFY(draft->deleteFile());
        QCOMPARE(QDir(m_dir->path()).entryList(QDir::Files), QStringList({ "notes.txt" }));
    }

    void unusableNamesTouchNoOtherFile_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("dot") << ".";
        QTest::newRow("dot dot") << "..";
        QTest::newRow("slash") << "sub/x";
        QTest::newRow("backslash") << "a\\b";
        QTest::newRow("NUL") << QString(u"sub"_qs + QChar(0));
        QTest::newRow("256 bytes") << QString(256, u'n');
        QTest::newRow("128 two-byte characters") << QString(128, QChar(0xE9));
    }
    void unusableNamesTouchNoOtherFile()
    {
        QFETCH(QString, name);
        QVERIFY(QDir(m_dir->path()).mkpath(u"sub"_qs));
        QVERIFY(writeFile(path(u"sub/x"_qs), "<ImageMetadata/>"));
        QVERIFY(!Template::isUsableFileName(name, m_dir->path()));

        // Even a template given such a name directly writes and removes nothing outside its file.
        Template rogue(name, m_dir->path());
        QVERIFY(!rogue.save());
        QTest::ignoreMessage(QtInfoMsg, "DeleteFile");
        QVERIFY(!rogue.deleteFile());
        QVERIFY(QFile::exists(path(u"sub/x"_qs)));

        const auto good = Template::initWithName(u"Good"_qs, m_dir->path());
        QVERIFY(good->save());
        QVERIFY(!good->setName(name));
        QVERIFY(QFile::exists(good->filePath()));
    }

    void editingKeepsMacrosAndUndoes()
    {
        Template t(u"T"_qs, m_dir->path());
        const CommentPtr blank = t.addNewComment();
        QVERIFY(t.setText(blank, u"%FILENAME% at %WIDTH%"_qs));
        QVERIFY(t.setKeyword(blank, QString(90, u'k')));
        for (const char *k : { "a", "b", "c" })
            t.addComment(makeComment(QString::fromLatin1(k), u"%DATE%"_qs));
        QCOMPARE(describe(t.comments()),
            QStringList({ QString(79, u'k') + u"=%FILENAME% at %WIDTH%"_qs, "a=%DATE%", "b=%DATE%", "c=%DATE%" }));
        t.removeCommentsAtIndices({ 3, 1, 3, 17 });
        QCOMPARE(describe(t.comments()).size(), 2);
        t.removeAllComments();
        QVERIFY(t.comments().isEmpty());

        // Every step goes back, in order.
        QStringList undone;
        while (t.undoStack()->canUndo()) {
            undone << t.undoStack()->undoText();
            t.undoStack()->undo();
        }
        QCOMPARE(undone,
            QStringList({ "Delete All", "Remove Comments", "Add Comment", "Add Comment", "Add Comment", "Edit Keyword",
                "Edit Text", "Add Comment" }));
        QVERIFY(t.comments().isEmpty());
        while (t.undoStack()->canRedo())
            t.undoStack()->redo();
        QVERIFY(t.comments().isEmpty());
        t.undoStack()->undo();
        QCOMPARE(describe(t.comments()), QStringList({ QString(79, u'k') + u"=%FILENAME% at %WIDTH%"_qs, "b=%DATE%" }));
        QVERIFY(t.comments().contains(blank));
    }

    void pasteAndDrop()
    {
        Template t(u"T"_qs, m_dir->path());
        for (const char *k : { "row0", "row1", "row2" })
            t.addComment(makeComment(QString::fromLatin1(k), u"%FILENAME%"_qs));
        t.comments().at(0)->setInternational(u"en"_qs, u"Zeile"_qs);
        const CommentList before = t.comments();
        QMimeData drag;
        QVERIFY(!t.copy({}, &drag));
        QVERIFY(t.beginDrag({ 1, 0 }, &drag));
        QVERIFY(t.acceptDrop(&drag, 3, true)); // within the table: the rows move
        QCOMPARE(describe(t.comments()).join(u' '), u"row2=%FILENAME% row0=%FILENAME% row1=%FILENAME%"_qs);
        QCOMPARE(t.comments(), CommentList({ before[2], before[0], before[1] })); // the objects themselves
        QCOMPARE(t.comments().at(1)->translatedKeyword(), u"Zeile"_qs);

        QVERIFY(t.beginDrag({ 0 }, &drag));
        QVERIFY(t.acceptDrop(&drag, 1, false)); // from elsewhere: a copy
        QCOMPARE(t.comments().size(), 4);
        QVERIFY(t.comments().at(0) != t.comments().at(1));

        // A drop that brings nothing never loses the dragged rows.
        QMimeData empty;
        empty.setData(PasteboardMetadataXML, "<PasteboardMetadataXML/>");
        QVERIFY(t.beginDrag({ 0 }, &drag));
        QVERIFY(t.acceptDrop(&empty, 50, true));
        t.removeCommentsAtIndices({});
        QCOMPARE(t.comments().size(), 4);
        t.removeCommentsAtIndices({ 3, 0, 3, 17 });
        QCOMPARE(describe(t.comments()).join(u' '), u"row2=%FILENAME% row0=%FILENAME%"_qs);
    }

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(tst_Template)
#include "tst_Template.moc"
