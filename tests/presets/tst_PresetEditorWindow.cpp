#include "TestSupport.h"
#include "WindowTestSupport.h"
#include "commentlist/widgets/CommentTableView.h"
#include "core/Strings.h"
#include "interchange/PasteboardFormats.h"
#include "presets/MetadataPresetManager.h"
#include "presets/PresetEditor.h"
#include "presets/widgets/PresetEditorWindow.h"
#include "presets/widgets/PresetListModel.h"
#include "windowkit/Prompts.h"

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QToolButton>
#include <QtTest>

using namespace TestSupport;
using namespace WindowTestSupport;

class tst_PresetEditorWindow : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        m_dir = std::make_unique<TempFolder>();
        m_store = std::make_unique<MetadataPresetManager>(m_dir->path(QStringLiteral("prefs/presets")));
        m_store->loadMetaDataPresets();
        m_window = std::make_unique<PresetEditorWindow>(m_store.get());
        // Every change of the table goes through the checks of the model tester.
        new QAbstractItemModelTester(
            m_window->listModel(), QAbstractItemModelTester::FailureReportingMode::QtTest, m_window.get());
        m_window->makeWindowKey();
        QVERIFY(QTest::qWaitForWindowActive(m_window.get()));
    }
    void cleanup()
    {
        m_window.reset();
        m_store.reset();
        QApplication::clipboard()->clear();
    }

    void fieldsFollowTheTableAndTheTableTheEdit()
    {
        CommentTableView *table = m_window->presetTable();
        QLineEdit *keyword = field("keywordField");
        QLineEdit *value = field("valueField");
        QLineEdit *shorthand = field("shorthandField");
        // Opened with the first preset chosen; with none, the fields are off and keep their texts.
        QVERIFY(keyword->isEnabled() && m_window->editor()->currentRow() == 0);
        table->clearSelection();
        QVERIFY(!keyword->isEnabled() && !value->isEnabled() && !shorthand->isEnabled());
        QCOMPARE(keyword->text(), u"Author"_qs);

        // A click fills the fields.
        clickRow(0);
        QCOMPARE(QStringList({ keyword->text(), value->text(), shorthand->text() }),
            QStringList({ "Author", "%OSUSERNAME%", "Author : %OSUSERNAME%" }));
        QVERIFY(keyword->isEnabled() && value->isEnabled() && shorthand->isEnabled());

        // Typing a new keyword and leaving the field: the table is sorted again and the
        // edited preset is still the selected row.
        keyword->setFocus();
        keyword->selectAll();
        QTest::keyClicks(keyword, QStringLiteral("Zed"));
        QTest::keyClick(keyword, Qt::Key_Tab);
        QVERIFY(value->hasFocus());
        QCOMPARE(table->selectedRowNumbers(), QList<int> { 9 });

        // Delete from the table removes exactly that preset; the − button even while a
        // field has the focus.
        table->setFocus();
        QTest::keyClick(table, Qt::Key_Delete);
        QVERIFY(!firstColumnTexts(*table->model()).contains(u"Zed : %OSUSERNAME%"_qs));
        clickRow(0);
        keyword->setFocus();
        m_window->findChild<QToolButton *>(QStringLiteral("deleteButton"))->click();
        QCOMPARE(m_store->count(), 8);
    }

    void keyboardOnly()
    {
        // New Preset with its shortcut, type keyword and value, Return: sorted into place.
        CommentTableView *table = m_window->presetTable();
        table->setFocus();
        press(QKeySequence::New);
        QLineEdit *keyword = field("keywordField");
        QVERIFY(keyword->hasFocus());
        QTest::keyClicks(keyword, QStringLiteral("Artist"));
        QTest::keyClick(keyword, Qt::Key_Tab);
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("Ann"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(firstColumnTexts(*table->model()).first(), u"Artist : Ann"_qs);
        QCOMPARE(table->selectedRowNumbers(), QList<int> { 0 });

        // Undo with its shortcut from the table takes the value back, then the keyword.
        table->setFocus();
        QAction *undo = m_window->findChild<QAction *>(QStringLiteral("undoAction"));
        QCOMPARE(undo->text().remove(u'&'), u"Undo Edit Value"_qs);
        press(QKeySequence::Undo);
        QCOMPARE(firstColumnTexts(*table->model()).first(), u"Artist"_qs);
        QCOMPARE(field("valueField")->text(), QString());
        QCOMPARE(undo->text().remove(u'&'), u"Undo Edit Keyword"_qs);
    }

    void macroGoesIntoTheFieldBeingEdited()
    {
        clickRow(2);
        QLineEdit *value = field("valueField");
        const QList<QAction *> macros = m_window->findChild<QMenu *>(QStringLiteral("macrosMenu"))->actions();
        QAction *date = *std::find_if(macros.begin(), macros.end(), [](QAction *a) { return a->text() == u"%DATE%"; });
        value->setFocus();
        value->setSelection(2, 3);
        QTest::keyClicks(value, QStringLiteral("ABC"));
        // Opening a menu takes the focus for a moment; the edit goes on.
        QFocusEvent toMenu(QEvent::FocusOut, Qt::MenuBarFocusReason);
        QApplication::sendEvent(value, &toMenu);
        QCOMPARE(editor()->undoStack()->count(), 0);
        value->setSelection(2, 3); // the typed "ABC" is replaced
        date->trigger();
        QCOMPARE(value->text(), u"%O%DATE%ERNAME%, %DATE%"_qs);
        // It reaches the preset when the edit ends.
        QCOMPARE(m_store->presetAtIndex(2)->value(), u"%OSUSERNAME%, %DATE%"_qs);
        QTest::keyClick(value, Qt::Key_Return);
        QCOMPARE(editor()->currentPreset()->value(), u"%O%DATE%ERNAME%, %DATE%"_qs);

        // With the focus outside the fields nothing happens.
        m_window->presetTable()->setFocus();
        date->trigger();
        QCOMPARE(value->text(), u"%O%DATE%ERNAME%, %DATE%"_qs);
    }

    // The clipboard commands act on the table, or on the text of a focused field.
    void clipboardCommands()
    {
        CommentTableView *table = m_window->presetTable();
        clickRow(1);
        table->setFocus();
        trigger("copyAction");
        QCOMPARE(QApplication::clipboard()->mimeData()->data(NSTabularTextPboardType), QByteArray("Comment\t"));
        clickRow(5);
        trigger("pasteAction");
        QCOMPARE(firstColumnTexts(*table->model()).at(5), u"Comment"_qs);
        trigger("cutAction");
        QCOMPARE(m_store->count(), 10);

        QLineEdit *keyword = field("keywordField");
        const QString typed = keyword->text();
        keyword->setFocus();
        keyword->selectAll();
        trigger("cutAction");
        QCOMPARE(QApplication::clipboard()->text(), typed);
        QCOMPARE(m_store->count(), 10);
    }

    // Restore Defaults asks first; a drag within the table moves; closing saves, or says why not.
    void restoreDragAndClose()
    {
        PromptAnswers prompts;
        clickRow(0);
        trigger("deleteAction");
        trigger("restoreDefaultsAction");
        QCOMPARE(prompts.texts(), QStringList { localizedString("RestorePresetsQuery") });
        QCOMPARE(m_store->count(), 9);
        prompts.answer = true;
        trigger("restoreDefaultsAction");
        QCOMPARE(m_store->count(), 10);

        // The drag rules are the editor's; the model hands it a drag from its own table as a move.
        PresetListModel *model = m_window->listModel();
        const PresetPtr title = m_store->presetAtIndex(8);
        std::unique_ptr<QMimeData> drag(model->mimeData({ model->index(8, 0) }));
        QVERIFY(model->dropMimeData(drag.get(), Qt::MoveAction, 0, 0, QModelIndex()));
        QVERIFY(!m_store->metadataPresets().contains(title));
        QCOMPARE(m_store->count(), 10);

        prompts.asked.clear();
        clickRow(3);
        trigger("newPresetAction");
        QTest::keyClicks(field("keywordField"), QStringLiteral("Lens"));
        // Closing with typing in a field: the typing is kept.
        m_window->close();
        QVERIFY(prompts.asked.isEmpty());
        QVERIFY(readFile(m_store->presetsFilePath()).contains("keyword=\"Lens\""));

        // Reopened, a save that fails shows the reason.
        m_window->makeWindowKey();
        QVERIFY(QFile::remove(m_store->presetsFilePath()));
        QVERIFY(QDir().mkpath(m_store->presetsFilePath()));
        m_window->close();
        QCOMPARE(prompts.texts(), QStringList { localizedString("PresetsSaveFailed") });
        QVERIFY(!prompts.asked[0].detail.isEmpty());
    }

private:
    PresetEditor *editor() const { return m_window->editor(); }
    // A key sequence as the focused widget receives it.
    static void press(const QKeySequence &keys) { QTest::keySequence(QApplication::focusWidget(), keys); }
    QLineEdit *field(const char *name) const { return m_window->findChild<QLineEdit *>(QString::fromLatin1(name)); }
    void clickRow(int row)
    {
        CommentTableView *table = m_window->presetTable();
        const QRect rect = table->visualRect(table->model()->index(row, 0));
        QTest::mouseClick(table->viewport(), Qt::LeftButton, {}, rect.center());
    }
    void trigger(const char *name) { WindowTestSupport::trigger(m_window.get(), name); }

    std::unique_ptr<TempFolder> m_dir;
    std::unique_ptr<MetadataPresetManager> m_store;
    std::unique_ptr<PresetEditorWindow> m_window;
};

QTEST_MAIN(tst_PresetEditorWindow)
#include "tst_PresetEditorWindow.moc"
