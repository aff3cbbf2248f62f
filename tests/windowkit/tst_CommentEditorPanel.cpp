#include "TestSupport.h"
#include "WindowTestSupport.h"
#include "document/PNGDoc.h"
#include "presets/MetadataPresetManager.h"
#include "templates/EditedTemplate.h"
#include "windowkit/CommentEditorPanel.h"
#include "windowkit/StoreMenu.h"

#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

using namespace TestSupport;

class tst_CommentEditorPanel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // A preset with macros, one without a value.
        m_presets = WindowTestSupport::presetStore(
            m_dir.path(), R"(<comment keyword="Width" text="%WIDTH% px"/><comment keyword="Empty"/>)");
        QVERIFY(m_presets);
    }

    void init()
    {
        m_window = std::make_unique<QMainWindow>();
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        m_document = new PNGDoc(m_window.get());
        // A file name that is itself the name of an earlier macro shows a second expansion.
        const QString path
            = m_dir.write(u"%DATE%.png"_qs, simplePng(640, 48, { tEXt("Title", "Dusk"), tEXt("Note", "a\nb") }));
        QVERIFY(m_document->readFromPath(path));
        QVERIFY(m_document->loadPNG());
        auto record = std::make_shared<Template>(u"T"_qs, m_dir.path());
        record->setComments(commentsFrom({ "Title=Dusk", "Note=a\nb" }));
        m_template = new EditedTemplate(record, m_window.get());
    }
    void cleanup() { m_window.reset(); }

    // The fields reach the owner (which expands or keeps macros by its own rules) as one
    // step per committed field; destroying an open panel commits.
    void fieldsCommitThroughTheOwner()
    {
        CommentEditorPanel *panel = open(m_template, 1);
        QCOMPARE(keywordField(panel)->text(), u"Note"_qs);
        QCOMPARE(textField(panel)->toPlainText(), u"a\nb"_qs);

        // The keyword is stored when its editing ends, cut at 79 characters.
        keywordField(panel)->selectAll();
        QTest::keyClicks(keywordField(panel), QString(100, u'k'));
        QTest::keyClick(keywordField(panel), Qt::Key_Return);
        QCOMPARE(m_template->commentAt(1)->keyword(), QString(79, u'k'));
        QCOMPARE(keywordField(panel)->text(), QString(79, u'k'));

        // The text when its editor loses the focus.
        textField(panel)->setFocus();
        textField(panel)->selectAll();
        QTest::keyClicks(textField(panel), u"%FILENAME%"_qs);
        QCOMPARE(m_template->commentAt(1)->text(), u"a\nb"_qs);
        keywordField(panel)->setFocus();
        QTRY_COMPARE(m_template->commentAt(1)->text(), u"%FILENAME%"_qs);

        // Leaving a field unchanged records nothing.
        textField(panel)->setFocus();
        keywordField(panel)->setFocus();
        QTest::keyClick(keywordField(panel), Qt::Key_Return);
        QCOMPARE(m_template->undoStack()->count(), 2);

        // The owner's window goes while the panel is open with typing in both fields, lines
        // broken by Shift+Return, Alt+Return and Return.
        keywordField(panel)->selectAll();
        QTest::keyClicks(keywordField(panel), u"Caption"_qs);
        textField(panel)->setFocus();
        textField(panel)->selectAll();
        QTest::keyClicks(textField(panel), u"one"_qs);
        QTest::keyClick(textField(panel), Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClicks(textField(panel), u"two"_qs);
        QTest::keyClick(textField(panel), Qt::Key_Return, Qt::AltModifier);
        QTest::keyClicks(textField(panel), u"three"_qs);
        QTest::keyClick(textField(panel), Qt::Key_Return);
        QTest::keyClicks(textField(panel), u"four"_qs);
        delete panel;
        QCOMPARE(describe({ m_template->commentAt(1) }), QStringList { "Caption=one\ntwo\nthree\nfour" });
    }

    void closingCommitsTypedFields()
    {
        CommentEditorPanel *panel = open(m_document, 0);
        keywordField(panel)->selectAll();
        QTest::keyClicks(keywordField(panel), u"Caption"_qs);
        textField(panel)->setPlainText(u"%WIDTH% wide %FILENAME%"_qs);
        textField(panel)->document()->setModified(true);
        QTest::mouseClick(panel->findChild<QPushButton *>(u"closeButton"_qs), Qt::LeftButton);
        QVERIFY(!panel->isVisible());
        // The document expands its macros once.
        QCOMPARE(describe({ m_document->commentAt(0) }), QStringList { "Caption=640 wide %DATE%" });

        // The same panel serves the next comment; Escape drops the typing (as in a table
        // cell) and closes it.
        panel->editComment(m_document->commentAt(1));
        QVERIFY(WindowTestSupport::activate(panel));
        QTest::keyClicks(keywordField(panel), u"Typed"_qs);
        QTest::keyClick(keywordField(panel), Qt::Key_Escape);
        QTRY_VERIFY(!panel->isVisible());
        QCOMPARE(m_document->commentAt(1)->keyword(), u"Note"_qs);
        QCOMPARE(m_document->undoStack()->count(), 2); // the keyword and the text closed before
    }

    void presetReplacesBothFields_data()
    {
        QTest::addColumn<int>("preset");
        QTest::addColumn<QString>("expected");
        QTest::newRow("as the owner keeps it") << 1 << "Width=%WIDTH% px";
        QTest::newRow("no value: an empty text") << 0 << "Empty=";
    }
    void presetReplacesBothFields()
    {
        QFETCH(int, preset);
        QFETCH(QString, expected);
        CommentEditorPanel *panel = open(m_template, 0);
        auto *menu = panel->findChild<StoreMenu *>(u"presetsMenu"_qs);
        QTest::keyClicks(keywordField(panel), u"typed, then replaced"_qs);
        menu->actions().at(preset)->trigger();
        QCOMPARE(describe({ m_template->commentAt(0) }).first(), expected);
        QCOMPARE(keywordField(panel)->text() + u'=' + textField(panel)->toPlainText(), expected);
        QCOMPARE(m_template->undoStack()->undoText(), u"Apply Preset"_qs);
        QCOMPARE(m_template->undoStack()->count(), 1);
    }

    void followsTheListAndMovesToAnotherOwner()
    {
        CommentEditorPanel *panel = open(m_document, 1);
        auto *status = panel->findChild<QLabel *>(u"statusLabel"_qs);
        QVERIFY(status && status->isHidden());

        // A change made elsewhere shows; typing of the panel's own is kept.
        m_document->setData(1, CommentListOwner::TextColumn, u"from the table"_qs);
        QCOMPARE(textField(panel)->toPlainText(), u"from the table"_qs);
        QTest::keyClicks(keywordField(panel), u"Typed"_qs);
        m_document->setData(1, CommentListOwner::KeywordColumn, u"Elsewhere"_qs);
        QCOMPARE(keywordField(panel)->text(), u"NoteTyped"_qs);

        // The comment leaves the list: the panel edits nothing, even when closed.
        m_document->deleteRows({ 1 });
        QVERIFY(panel->isVisible() && !status->isHidden());
        QVERIFY(!keywordField(panel)->isEnabled() && !textField(panel)->isEnabled());
        QCOMPARE(keywordField(panel)->text(), QString());
        const int steps = m_document->undoStack()->count();
        panel->close();
        QCOMPARE(m_document->undoStack()->count(), steps);

        // Undone, it is back in the list and in the panel.
        m_document->undoStack()->undo();
        QVERIFY(panel->isAttached() && keywordField(panel)->isEnabled());
        QCOMPARE(keywordField(panel)->text(), u"Elsewhere"_qs);
        // Reading the file again replaces every comment.
        QVERIFY(m_document->revert());
        QVERIFY(!panel->isAttached());

        // What was typed goes to the owner left; the panel then edits the new owner's comments.
        panel->editComment(m_document->commentAt(0));
        QTest::keyClicks(keywordField(panel), u"Typed"_qs);
        panel->setOwner(m_template);
        QCOMPARE(m_document->commentAt(0)->keyword(), u"TitleTyped"_qs);
        QVERIFY(!panel->isAttached());
        m_document->setData(0, CommentListOwner::KeywordColumn, u"Later"_qs);
        QCOMPARE(keywordField(panel)->text(), QString());
        panel->editComment(m_template->commentAt(1));
        QTest::keyClicks(keywordField(panel), u"s"_qs);
        QTest::keyClick(keywordField(panel), Qt::Key_Return);
        QCOMPARE(m_template->commentAt(1)->keyword(), u"Notes"_qs);
        QCOMPARE(m_document->undoStack()->count(), 2);
    }

private:
    CommentEditorPanel *open(CommentListOwner *owner, int row)
    {
        auto *panel = new CommentEditorPanel(owner, m_presets.get(), m_window.get());
        panel->editComment(owner->commentAt(row));
        if (!WindowTestSupport::activate(panel))
            qWarning("panel not active");
        return panel;
    }
    static QLineEdit *keywordField(CommentEditorPanel *panel)
    {
        return panel->findChild<QLineEdit *>(u"keywordField"_qs);
    }
    static QPlainTextEdit *textField(CommentEditorPanel *panel)
    {
        return panel->findChild<QPlainTextEdit *>(u"textField"_qs);
    }

    TempFolder m_dir;
    std::unique_ptr<MetadataPresetManager> m_presets;
    std::unique_ptr<QMainWindow> m_window;
    PNGDoc *m_document = nullptr;
    EditedTemplate *m_template = nullptr;
};

QTEST_MAIN(tst_CommentEditorPanel)
#include "tst_CommentEditorPanel.moc"
