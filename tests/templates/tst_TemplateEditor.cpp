#include "templates/TemplateEditor.h"

#include <QScopeGuard>
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

    void init() { m_dir = std::make_unique<QTemporaryDir>(); }

    void firstRunSeedsOnce()
    {
        {
            TemplateEditor editor;
            QCOMPARE(editor.templatesDirectory(), m_home.filePath(u"Velmora/Templates"_qs));
            QCOMPARE(editor.loadTemplates(), 1);
            QCOMPARE(editor.templateMenuTitles(), QStringList({ "Standards" }));
            QTest::ignoreMessage(QtInfoMsg, "DeleteFile");
            QVERIFY(editor.deleteTemplate(0));
        }
        TemplateEditor later;
        QCOMPARE(later.loadTemplates(), 0); // the folder exists: no second seeding
    }

    void walkSkipsWhatIsNoTemplate()
    {
        QVERIFY(QDir().mkpath(folder(u"sub/deeper"_qs)) && QDir().mkpath(folder(u".cache"_qs)));
        // Besides templates: other files, what an interrupted save leaves beside its target,
        // a hidden folder's file.
        for (const auto &[name, xml] : { std::pair("Alpha", "<ImageMetadata><comment keyword=\"A\"/></ImageMetadata>"),
                 { "sub/Inner", "<ImageMetadata/>" }, { "sub/deeper/Deep.velmx", "<ImageMetadata/>" },
                 { "notes.txt", "just text" }, { "sub/broken", "<ImageMetadata>" },
                 { ".Alpha.x3Fq9", "<ImageMetadata/>" }, { ".cache/Inside", "<ImageMetadata/>" } })
            QVERIFY(TestSupport::writeFile(folder(QString::fromLatin1(name)), xml));
        QVERIFY(QFile::link(folder(), folder(u"sub/loop"_qs))); // not followed

        TemplateEditor editor(folder());
        QCOMPARE(editor.loadTemplates(), 3);
        QCOMPARE(editor.templateMenuTitles(), QStringList({ "Alpha", "Deep.velmx", "Inner" }));

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
        QCOMPARE(check, TemplateEditor::NameCheck::FileExists);
        QVERIFY(editor.renameTemplate(index, u"notes.txt"_qs, &check));
        QVERIFY(QFile::exists(folder(u"sub/notes.txt"_qs)));
        QCOMPARE(TestSupport::readFile(folder(u"notes.txt"_qs)), QByteArray("just text"));
    }

    void nameRules_data()
    {
        using Check = TemplateEditor::NameCheck;
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("expected");
        QTest::addColumn<QByteArray>("alert"); // each refusal says its own reason
        QTest::newRow("empty") << "" << int(Check::Empty) << QByteArray();
        // Template's own tests go through every unusable file name; one of them here.
        QTest::newRow("slash") << "a/b" << int(Check::IllegalCharacters) << QByteArray("IllegalCharactersInName");
        QTest::newRow("NUL") << u"a\0b"_qs << int(Check::HoldsNul) << QByteArray("NameHoldsNul");
        QTest::newRow("256 bytes") << QString(256, u'n') << int(Check::TooLong) << QByteArray("NameTooLong");
        QTest::newRow("255 bytes") << QString(255, u'n') << int(Check::Acceptable) << QByteArray();
        QTest::newRow("loaded name") << "Standards" << int(Check::NotUnique) << QByteArray("ChooseUniqueName");
        QTest::newRow("other case") << "standards" << int(Check::Acceptable) << QByteArray();
        QTest::newRow("file that is no template")
            << "notes.txt" << int(Check::FileExists) << QByteArray("NameTakenByFile");
        QTest::newRow("sub-folder") << "sub" << int(Check::FileExists) << QByteArray("NameTakenByFile");
        QTest::newRow("dots inside") << "..a" << int(Check::Acceptable) << QByteArray();
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
        QTEST(QByteArray(TemplateEditor::alertKey(check)), "alert");
        // A refused name creates nothing and overwrites nothing.
        if (check != TemplateEditor::NameCheck::Acceptable) {
            QSignalSpy spy(&editor, &TemplateEditor::templatesNeedUpdated);
            QVERIFY(!editor.createTemplate(name));
            // Confirming a template's own name is no rename (and no refusal).
            QCOMPARE(editor.renameTemplate(0, name), name == u"Standards"_qs);
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

        // Deleting the current template drops its unsaved changes and its file.
        editor.editedTemplate()->addMetadataField();
        QVERIFY(!editor.deleteTemplate(2));
        QTest::ignoreMessage(QtInfoMsg, "DeleteFile");
        QVERIFY(editor.deleteTemplate(1));
        QCOMPARE(spy.count(), 3);
        QCOMPARE(editor.currentTemplate(), nullptr);
        QVERIFY(!editor.saveCurrentTemplate());
    }

    void failuresGiveTheirReason()
    {
        TemplateEditor editor(folder());
        editor.loadTemplates();
        QVERIFY(editor.createTemplate(u"Logos"_qs));
        editor.currentTemplate()->setClearAll(true);
        QFile::Permissions writable = QFile(folder()).permissions();
        QVERIFY(QFile(folder()).setPermissions(writable & ~(QFile::WriteOwner | QFile::WriteUser)));
        const auto restore = qScopeGuard([&] { QFile(folder()).setPermissions(writable); });

        // Each failure gives its reason. Leaving the template: its write fails, it is left all
        // the same, its edit stays.
        QString left, renamed, deleted, created;
        QVERIFY(!editor.setCurrentTemplateIndex(0, &left));
        QCOMPARE(editor.currentTemplate()->name(), u"Standards"_qs);
        QVERIFY(editor.templateAtIndex(1)->clearsCommentsWhenApplied());

        TemplateEditor::NameCheck check;
        QVERIFY(!editor.renameTemplate(1, u"Brand"_qs, &check, &renamed));
        QCOMPARE(check, TemplateEditor::NameCheck::Acceptable);
        QCOMPARE(editor.templateAtIndex(1)->name(), u"Logos"_qs);

        QTest::ignoreMessage(QtInfoMsg, "DeleteFile");
        QVERIFY(!editor.deleteTemplate(1, &deleted));
        QCOMPARE(editor.templateMenuTitles(), QStringList({ "Standards", "Logos" }));
        QVERIFY(QFile::exists(folder(u"Logos"_qs)));

        // A new template whose file cannot be written is kept, and says why.
        const auto unsaved = editor.createTemplate(u"Draft"_qs, &check, &created);
        QVERIFY(unsaved);
        QCOMPARE(editor.currentTemplate(), unsaved);
        for (const QString &reason : { left, renamed, deleted, created })
            QVERIFY(!reason.isEmpty());
    }

    void theCurrentTemplateIsEditedThroughItsOwner()
    {
        TemplateEditor editor(folder());
        editor.loadTemplates();
        QCOMPARE(editor.editedTemplate(), nullptr);
        editor.setCurrentTemplateIndex(0);
        const EditedTemplatePtr edited = editor.editedTemplate();
        QCOMPARE(edited->record(), editor.currentTemplate());
        const QStringList before = TestSupport::describe(editor.currentTemplate()->comments());

        // Every step, undo and redo included, reaches the record at once.
        QSignalSpy flags(edited.get(), &EditedTemplate::flagsChanged);
        QVERIFY(edited->editOverwriteDuplicates(false));
        QVERIFY(!edited->editOverwriteDuplicates(false)); // no change, no step
        edited->addText(u"%WIDTH%"_qs, u"Note"_qs);
        QVERIFY(!editor.currentTemplate()->overwritesDuplicatesWhenApplied());
        QCOMPARE(TestSupport::describe(editor.currentTemplate()->comments()), before + QStringList { "Note=%WIDTH%" });
        QCOMPARE(edited->undoStack()->undoText(), u"Add Comment"_qs);
        edited->undoStack()->undo();
        edited->undoStack()->undo();
        QVERIFY(editor.currentTemplate()->overwritesDuplicatesWhenApplied());
        QCOMPARE(TestSupport::describe(editor.currentTemplate()->comments()), before);
        QCOMPARE(flags.count(), 2);

        // Chosen again, a template is wrapped anew, its history gone.
        editor.setCurrentTemplateIndex(0);
        QVERIFY(editor.editedTemplate() != edited);
        QVERIFY(!editor.editedTemplate()->undoStack()->canUndo());
    }

    void writtenWhenLeftClosedOrQuitWithTheWindowOpen()
    {
        TemplateEditor editor(folder());
        editor.loadTemplates();
        const auto written = [&] { return TestSupport::readFile(folder(u"Standards"_qs)); };
        QVERIFY(editor.appIsQuitting(true)); // nothing current: nothing to write
        editor.setCurrentTemplateIndex(0);
        editor.editedTemplate()->editClearAll(true);
        QVERIFY(editor.appIsQuitting(false));
        QVERIFY(!written().contains("ClearsAllWhenApplied=\"YES\""));
        QVERIFY(editor.appIsQuitting(true));
        QVERIFY(written().contains("ClearsAllWhenApplied=\"YES\""));

        editor.editedTemplate()->editOverwriteDuplicates(true);
        QVERIFY(editor.windowWillClose());
        QVERIFY(written().contains("OverwritesDuplicateKeys=\"YES\""));
        QCOMPARE(editor.currentRow(), 0); // still current after the close

        editor.editedTemplate()->addText(u"x"_qs, u"Note"_qs);
        editor.setCurrentTemplateIndex(-1);
        QVERIFY(written().contains("keyword=\"Note\""));
        QCOMPARE(editor.currentTemplate(), nullptr);
    }

private:
    QString folder(const QString &sub = QString()) const { return m_dir->filePath(u"Velmora/Templates/"_qs + sub); }
    QTemporaryDir m_home;
    std::unique_ptr<QTemporaryDir> m_dir;
};

QTEST_GUILESS_MAIN(tst_TemplateEditor)
#include "tst_TemplateEditor.moc"
