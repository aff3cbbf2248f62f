#include "templates/Template.h"
#include "templates/TemplateApplication.h"

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
        QVERIFY(back && back->clearsCommentsWhenApplied() && back->overwritesDuplicatesWhenApplied());
        QCOMPARE(describe(back->comments()), describe(original->comments()));

        // Missing folder: the save fails and creates nothing.
        QVERIFY(!Template::initWithName(u"T"_qs, path(u"missing"_qs))->save());
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
        QTest::newRow("truncated") << "t" << QByteArray("<ImageMetadata><comment keyword=\"A\"") << QStringList();
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

private:
    QString path(const QString &name) const { return m_dir->filePath(name); }
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(tst_Template)
#include "tst_Template.moc"
