#include "templates/TemplateEditor.h"

#include <QTemporaryDir>
#include <QtTest>

#include "TestSupport.h"

class tst_TemplateEditor : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.path()));
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void firstRunSeedsOnce()
    {
        {
            TemplateEditor editor;
            QCOMPARE(TemplateEditor::templateEditor(), &editor);
            QCOMPARE(editor.templatesDirectory(), m_home.filePath(u"Velmora/Templates"_qs));
            QCOMPARE(editor.loadTemplates(), 1);
            QCOMPARE(editor.templateMenuTitles(), QStringList({ "Standards" }));
            QCOMPARE(TestSupport::readFile(m_home.filePath(u"Velmora/Templates/Standards"_qs)),
                TemplateEditor::standardsTemplateContents());
            const auto titles = commentsWithKeyword(editor.templateAtIndex(0)->comments(), u"Title"_qs);
            QCOMPARE(TestSupport::describe(titles), QStringList { "Title=%FILENAME%" });

            QTest::ignoreMessage(QtInfoMsg, "DeleteFile");
            QVERIFY(editor.deleteTemplate(0));
        }
        QCOMPARE(TemplateEditor::templateEditor(), nullptr);
        TemplateEditor later;
        QCOMPARE(later.loadTemplates(), 0); // the folder exists: no second seeding
    }

    void walkSkipsWhatIsNoTemplate()
    {
        QVERIFY(QDir().mkpath(folder(u"sub/deeper"_qs)));
        QVERIFY(TestSupport::writeFile(folder(u"Alpha"_qs), "<ImageMetadata><comment keyword=\"A\"/></ImageMetadata>"));
        QVERIFY(TestSupport::writeFile(folder(u"sub/Inner"_qs), "<ImageMetadata/>"));
        QVERIFY(TestSupport::writeFile(folder(u"sub/deeper/Deep.velmx"_qs), "<ImageMetadata/>"));
        QVERIFY(TestSupport::writeFile(folder(u"notes.txt"_qs), "just text"));
        QVERIFY(TestSupport::writeFile(folder(u"sub/broken"_qs), "<ImageMetadata>"));
        QVERIFY(QFile::link(folder(), folder(u"sub/loop"_qs))); // not followed

        TemplateEditor editor(folder());
        QCOMPARE(editor.loadTemplates(), 3);
        QCOMPARE(editor.templateMenuTitles(), QStringList({ "Alpha", "Deep.velmx", "Inner" }));
        QCOMPARE(editor.templateAtIndex(-1), nullptr);
        QCOMPARE(editor.templateAtIndex(3), nullptr);
        QCOMPARE(editor.templateWithName(u"alpha"_qs), nullptr);

        // A template from a sub-folder is written back where it came from.
        const auto inner = editor.templateWithName(u"Inner"_qs);
        inner->setClearAll(true);
        QVERIFY(inner->save());
        QVERIFY(!QFile::exists(folder(u"Inner"_qs)));
        QVERIFY(TestSupport::readFile(folder(u"sub/Inner"_qs)).contains("ClearsAllWhenApplied=\"YES\""));

        // Its renames are checked against the files of its own folder, where it moves.
        const qsizetype index = editor.indexOfTemplate(inner);
        TemplateEditor::NameCheck check;
        QVERIFY(!editor.renameTemplate(index, u"broken"_qs, &check));
        QCOMPARE(check, TemplateEditor::NameCheck::NotUnique);
        QVERIFY(editor.renameTemplate(index, u"notes.txt"_qs, &check));
        QVERIFY(QFile::exists(folder(u"sub/notes.txt"_qs)));
        QCOMPARE(TestSupport::readFile(folder(u"notes.txt"_qs)), QByteArray("just text"));
    }

    void nameRules_data()
    {
        using Check = TemplateEditor::NameCheck;
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("expected");
        QTest::newRow("empty") << "" << int(Check::Empty);
        // Template's own tests go through every unusable file name; one of them here.
        QTest::newRow("slash") << "a/b" << int(Check::IllegalCharacters);
        QTest::newRow("256 bytes") << QString(256, u'n') << int(Check::IllegalCharacters);
        QTest::newRow("255 bytes") << QString(255, u'n') << int(Check::Acceptable);
        QTest::newRow("loaded name") << "Standards" << int(Check::NotUnique);
        QTest::newRow("other case") << "standards" << int(Check::Acceptable);
        QTest::newRow("file that is no template") << "notes.txt" << int(Check::NotUnique);
        QTest::newRow("sub-folder") << "sub" << int(Check::NotUnique);
        QTest::newRow("dots inside") << "..a" << int(Check::Acceptable);
    }
    void nameRules()
    {
        QFETCH(QString, name);
        TemplateEditor editor(folder());
        editor.loadTemplates(); // seeds "Standards"
        QVERIFY(QDir().mkpath(folder(u"sub"_qs)));
        QVERIFY(TestSupport::writeFile(folder(u"notes.txt"_qs), "keep me"));

        const auto check = editor.templateNameIsAcceptable(name);
        QTEST(int(check), "expected");
        const char *wanted = check == TemplateEditor::NameCheck::IllegalCharacters ? "IllegalCharactersInName"
            : check == TemplateEditor::NameCheck::NotUnique                        ? "ChooseUniqueName"
                                                                                   : nullptr;
        QCOMPARE(QByteArray(TemplateEditor::alertKey(check)), QByteArray(wanted));
        // A refused name creates nothing and overwrites nothing.
        if (check != TemplateEditor::NameCheck::Acceptable) {
            QSignalSpy spy(&editor, &TemplateEditor::templatesNeedUpdated);
            QVERIFY(!editor.createTemplate(name));
            QVERIFY(!editor.renameTemplate(0, name));
            QCOMPARE(spy.count(), 0);
            QCOMPARE(editor.templateMenuTitles(), QStringList({ "Standards" }));
            QCOMPARE(TestSupport::readFile(folder(u"notes.txt"_qs)), QByteArray("keep me"));
        }
    }

    void createRenameDelete()
    {
        TemplateEditor editor(folder());
        editor.loadTemplates();
        editor.setCurrentTemplateIndex(0);
        editor.currentTemplate()->setClearAll(true); // not yet written
        QSignalSpy spy(&editor, &TemplateEditor::templatesNeedUpdated);

        const auto logos = editor.createTemplate(u"Logos"_qs);
        QVERIFY(logos);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(editor.currentTemplate(), logos);
        QCOMPARE(editor.templateMenuTitles(), QStringList({ "Standards", "Logos" }));
        QVERIFY(TestSupport::readFile(folder(u"Standards"_qs)).contains("ClearsAllWhenApplied=\"YES\""));
        const auto written = Template::initWithFile(folder(u"Logos"_qs));
        QVERIFY(written && !written->clearsCommentsWhenApplied() && !written->overwritesDuplicatesWhenApplied());
        QVERIFY(written->comments().isEmpty());

        QVERIFY(editor.renameTemplate(1, u"Brand"_qs));
        QCOMPARE(spy.count(), 2);
        QCOMPARE(QDir(folder()).entryList(QDir::Files), QStringList({ "Brand", "Standards" }));

        // Deleting the current template drops its unsaved changes and its file.
        logos->addNewComment();
        QVERIFY(!editor.deleteTemplate(2));
        QTest::ignoreMessage(QtInfoMsg, "DeleteFile");
        QVERIFY(editor.deleteTemplate(1));
        QCOMPARE(spy.count(), 3);
        QCOMPARE(editor.currentTemplate(), nullptr);
        QCOMPARE(QDir(folder()).entryList(QDir::Files), QStringList({ "Standards" }));
        QVERIFY(!editor.saveCurrentTemplate());
    }

private:
    QString folder(const QString &sub = QString()) const { return m_dir->filePath(u"Velmora/Templates/"_qs + sub); }
    QTemporaryDir m_home;
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(tst_TemplateEditor)
#include "tst_TemplateEditor.moc"
