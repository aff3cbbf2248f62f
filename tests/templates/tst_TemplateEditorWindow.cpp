#include "TestSupport.h"
#include "WindowTestSupport.h"
#include "commentlist/widgets/CommentTableModel.h"
#include "commentlist/widgets/CommentTableView.h"
#include "core/Strings.h"
#include "interchange/PasteboardFormats.h"
#include "presets/MetadataPresetManager.h"
#include "templates/TemplateEditor.h"
#include "templates/widgets/TemplateEditorWindow.h"
#include "templates/widgets/TemplateListModel.h"
#include "windowkit/CommentEditorPanel.h"
#include "windowkit/CommentListPane.h"
#include "windowkit/Prompts.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDialog>
#include <QLineEdit>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSplitter>
#include <QTableView>
#include <QtTest>

using namespace TestSupport;
using namespace WindowTestSupport;

class tst_TemplateEditorWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        m_presets = presetStore(m_presetsDir.path(), R"(<comment keyword="Width" text="%WIDTH% px"/>)");
        QVERIFY(m_presets);
    }

    void init()
    {
        m_dir = std::make_unique<TempFolder>();
        m_dir->write(u"Templates/Alpha"_qs,
            R"(<ImageMetadata><comment keyword="A" text="%FILENAME%"/><comment keyword="B" text="two"/></ImageMetadata>)");
        m_dir->write(u"Templates/Beta"_qs, R"(<ImageMetadata OverwritesDuplicateKeys="YES"/>)");
        m_store = std::make_unique<TemplateEditor>(folder());
        QCOMPARE(m_store->loadTemplates(), 2);
        m_window = std::make_unique<TemplateEditorWindow>(m_store.get(), m_presets.get());
        new QAbstractItemModelTester(
            m_window->templatesModel(), QAbstractItemModelTester::FailureReportingMode::QtTest, m_window.get());
        new QAbstractItemModelTester(
            m_window->pane()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest, m_window.get());
        m_window->makeWindowKey();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }
    void cleanup()
    {
        m_window.reset();
        m_store.reset();
        QApplication::clipboard()->clear();
    }

    void withoutTemplateEverythingIsOff()
    {
        // Opened with the first template chosen.
        QCOMPARE(m_store->currentRow(), 0);
        expectTemplateControls(true);
        // Texts as they are stored: macros are not expanded in a template.
        QCOMPARE(tableRows(*m_window->pane()->model()), QStringList({ "A=%FILENAME%", "B=two" }));
        QVERIFY(!checkbox("clearAllCheckbox")->isChecked());
        selectTemplate(1);
        QCOMPARE(m_window->pane()->model()->rowCount(), 0);
        QVERIFY(checkbox("overwriteDuplicatesCheckbox")->isChecked());

        m_window->templatesTable()->clearSelection();
        QCOMPARE(m_store->currentTemplate(), nullptr);
        expectTemplateControls(false);
    }

    void newTemplateSheet()
    {
        PromptAnswers prompts;
        trigger("newTemplateAction");
        auto *sheet = m_window->findChild<QDialog *>(QStringLiteral("newTemplateSheet"));
        QVERIFY(sheet && sheet->isVisible());
        QCOMPARE(sheet->windowModality(), Qt::WindowModal);
        auto *name = sheet->findChild<QLineEdit *>(QStringLiteral("newTemplateNameField"));
        auto *ok = sheet->findChild<QPushButton *>(QStringLiteral("okButton"));
        // Refused names keep the sheet open; an empty one without an alert.
        ok->click();
        name->setText(u"a/b"_qs);
        ok->click();
        QVERIFY(sheet->isVisible());
        QCOMPARE(prompts.texts(), QStringList { localizedString("IllegalCharactersInName") });

        // Typed and confirmed with Return, from the keyboard.
        name->clear();
        QTest::keyClicks(name, QStringLiteral("alpha"));
        QTest::keyClick(name, Qt::Key_Return);
        QVERIFY(!sheet->isVisible());
        QCOMPARE(m_window->templatesTable()->selectionModel()->selectedRows().first().row(), 2);
        QCOMPARE(m_store->currentTemplate()->name(), u"alpha"_qs);
        expectTemplateControls(true);

        // Cancel makes nothing.
        trigger("newTemplateAction");
        name->setText(u"Gamma"_qs);
        sheet->findChild<QPushButton *>(QStringLiteral("cancelButton"))->click();
        QCOMPARE(m_store->count(), 3);
    }

    // F2 edits the selected name, a refused one says why; the edit commands of the templates
    // table; Delete selects the next.
    void renameAndDelete()
    {
        PromptAnswers prompts;
        QVERIFY(!m_window->templatesModel()->setData(m_window->templatesModel()->index(0, 0), u"Beta"_qs));
        QTRY_COMPARE(prompts.texts(), QStringList { localizedString("ChooseUniqueName") });
        QTableView *table = m_window->templatesTable();
        table->setFocus();
        QTest::keyClick(table, Qt::Key_F2);
        auto *editor = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QVERIFY(editor);
        editor->selectAll();
        QTest::keyClicks(editor, QStringLiteral("Delta"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_COMPARE(firstColumnTexts(*m_window->templatesModel()).first(), u"Delta"_qs);
        QVERIFY(QFile::exists(folder(u"Delta"_qs)));

        // Copy takes the template's comments, Delete and Cut ask first, Delete All empties the
        // template's list.
        prompts.asked.clear();
        table->setFocus();
        trigger("copyAction");
        QCOMPARE(
            QApplication::clipboard()->mimeData()->data(NSTabularTextPboardType), QByteArray("A\t%FILENAME%\nB\ttwo"));
        QTest::keyClick(table, Qt::Key_Delete);
        trigger("cutAction");
        QCOMPARE(prompts.texts(), QStringList(2, localizedString("SureDeleteTemplate")));
        trigger("deleteAllAction");
        QCOMPARE(m_window->pane()->model()->rowCount(), 0);
        QCOMPARE(m_store->count(), 2);
        prompts.answer = true;
        table->setFocus();
        QTest::ignoreMessage(QtInfoMsg, "DeleteFile");
        QTest::keyClick(table, Qt::Key_Delete);
        QCOMPARE(firstColumnTexts(*m_window->templatesModel()), QStringList { "Beta" });
        QCOMPARE(table->selectionModel()->selectedRows().first().row(), 0);
        QTest::ignoreMessage(QtInfoMsg, "DeleteFile");
        trigger("deleteTemplateAction");
        QCOMPARE(m_store->currentTemplate(), nullptr);
        expectTemplateControls(false);
    }

    void historyFollowsTheCurrentTemplate()
    {
        QAction *undo = m_window->findChild<QAction *>(QStringLiteral("undoAction"));
        // From the keyboard: the space bar on the focused check box.
        checkbox("overwriteDuplicatesCheckbox")->setFocus();
        QTest::keyClick(checkbox("overwriteDuplicatesCheckbox"), Qt::Key_Space);
        QCOMPARE(undo->text().remove(u'&'), u"Undo Overwrite Duplicates"_qs);
        selectTemplate(1);
        QVERIFY(!undo->isEnabled());
        selectTemplate(0);
        QVERIFY(!undo->isEnabled()); // chosen again, a template starts its history afresh
        QTest::keyClick(checkbox("overwriteDuplicatesCheckbox"), Qt::Key_Space);
        undo->trigger();
        QVERIFY(checkbox("overwriteDuplicatesCheckbox")->isChecked());
        QVERIFY(m_window->findChild<QAction *>(QStringLiteral("overwriteDuplicatesAction"))->isChecked());
        // The menu item sets the flag as the check box does.
        m_window->findChild<QAction *>(QStringLiteral("clearAllAction"))->trigger();
        QVERIFY(checkbox("clearAllCheckbox")->isChecked());
    }

    void commentEditorGoesWithTheTemplate()
    {
        selectTemplate(0);
        m_window->pane()->table()->selectRow(1);
        trigger("openCommentEditorAction");
        CommentEditorPanel *panel = m_window->pane()->commentEditor();
        QVERIFY(panel && panel->isVisible());
        auto *text = panel->findChild<QPlainTextEdit *>(QStringLiteral("textField"));
        text->setPlainText(u"typed %DATE%"_qs);
        text->document()->setModified(true);
        // Choosing another template closes the panel; its typing is written with Alpha.
        selectTemplate(1);
        QVERIFY(!panel->isVisible());
        QVERIFY(readFile(folder(u"Alpha"_qs)).contains("text=\"typed %DATE%\""));
    }

    void splitViewLimits()
    {
        QSplitter *splitter = m_window->findChild<QSplitter *>(QStringLiteral("splitter"));
        m_window->resize(900, 500);
        QCoreApplication::processEvents();
        splitter->setSizes({ 10, 2000 });
        QCOMPARE(splitter->sizes().first(), TemplateEditorWindow::MinimumListWidth);
        splitter->setSizes({ 2000, 10 });
        QCOMPARE(splitter->sizes().first(), m_window->width() - TemplateEditorWindow::MinimumCommentsWidth);
    }

    void closingWritesAndReports()
    {
        PromptAnswers prompts;
        selectTemplate(1);
        m_window->findChild<QAction *>(QStringLiteral("clearAllAction"))->trigger();
        m_window->close();
        QVERIFY(readFile(folder(u"Beta"_qs)).contains("ClearsAllWhenApplied=\"YES\""));
        // Reopened, still the same template; a write that fails says why, when closed.
        m_window->makeWindowKey();
        QCOMPARE(m_store->currentTemplate()->name(), u"Beta"_qs);
        QVERIFY(QFile::remove(folder(u"Beta"_qs)));
        QVERIFY(QDir().mkpath(folder(u"Beta"_qs)));
        m_window->close();
        // And when it is left for another.
        m_window->makeWindowKey();
        selectTemplate(0);
        const QString failed = localizedString("TemplateSaveFailed").arg(u"Beta"_qs);
        QCOMPARE(prompts.texts(), QStringList({ failed, failed }));
        QVERIFY(!prompts.asked[1].detail.isEmpty());
    }

private:
    QString folder(const QString &name = QString()) const { return m_dir->path(u"Templates/"_qs + name); }
    QCheckBox *checkbox(const char *name) const { return m_window->findChild<QCheckBox *>(QString::fromLatin1(name)); }
    void selectTemplate(int row)
    {
        QTableView *table = m_window->templatesTable();
        const QRect rect = table->visualRect(table->model()->index(row, 0));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, rect.center());
        QCOMPARE(m_store->currentRow(), row);
    }
    void trigger(const char *name) { WindowTestSupport::trigger(m_window.get(), name); }
    void expectTemplateControls(bool enabled)
    {
        for (const char *name :
            { "commentsTable", "clearAllCheckbox", "overwriteDuplicatesCheckbox", "presetsButton", "addButton" })
            QVERIFY2(m_window->findChild<QWidget *>(QString::fromLatin1(name))->isEnabled() == enabled, name);
        for (const char *name : { "addAction", "pasteAction", "deleteAllAction", "clearAllAction" })
            QVERIFY2(m_window->findChild<QAction *>(QString::fromLatin1(name))->isEnabled() == enabled, name);
    }

    TempFolder m_presetsDir;
    std::unique_ptr<MetadataPresetManager> m_presets;
    std::unique_ptr<TempFolder> m_dir;
    std::unique_ptr<TemplateEditor> m_store;
    std::unique_ptr<TemplateEditorWindow> m_window;
};

QTEST_MAIN(tst_TemplateEditorWindow)
#include "tst_TemplateEditorWindow.moc"
