#include "TestSupport.h"
#include "WindowTestSupport.h"
#include "commentlist/CommentListOwner.h"
#include "commentlist/widgets/CommentTableModel.h"
#include "commentlist/widgets/CommentTableView.h"
#include "presets/MetadataPresetManager.h"
#include "templates/TemplateEditor.h"
#include "windowkit/CommentEditorPanel.h"
#include "windowkit/CommentListPane.h"
#include "windowkit/StoreMenu.h"
#include "windowkit/TextEditCommands.h"

#include <QAbstractButton>
#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStringListModel>
#include <QTableView>
#include <QVBoxLayout>
#include <QtTest>

using namespace TestSupport;
using namespace WindowTestSupport;

// The comment list pane, once for every window that composes it: a window with a search
// field, a list of its own and the pane over a list that keeps texts as typed.
class tst_CommentListPane : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // Sorted by display text: K (shown as ""), Note, Width.
        m_presets = presetStore(m_stores.path(),
            R"(<comment keyword="Width" text="%WIDTH% px"/><comment keyword="Note"/>)"
            R"(<comment keyword="K" text="v" shorthand=""/>)");
        QVERIFY(m_presets);
        m_templates = std::make_unique<TemplateEditor>(m_stores.path(u"Templates"_qs));
        QCOMPARE(m_templates->loadTemplates(), 1); // the shipped "Standards"
    }

    void init()
    {
        m_owner = std::make_unique<CommentListOwner>();
        m_owner->resetComments(commentsFrom({ "A=1", "B=2", "C=3" }));
        m_window = std::make_unique<QMainWindow>();
        auto *central = new QWidget;
        auto *layout = new QVBoxLayout(central);
        m_search = new QLineEdit;
        m_ownList = new QTableView;
        m_ownList->setModel(new QStringListModel({ u"x.png"_qs, u"y.png"_qs }, m_ownList));
        CommentListPane::Options options;
        options.macros = true;
        options.editorTitle = u"Test"_qs;
        m_pane = new CommentListPane(m_owner.get(), { m_presets.get(), m_templates.get() }, options, central);
        m_pane->setWindowList(m_ownList, [this](CommentListPane::EditCommand command) {
            m_ownListCommands << int(command);
            return true;
        });
        layout->addWidget(m_search);
        layout->addWidget(m_ownList);
        layout->addWidget(m_pane);
        m_window->setCentralWidget(central);
        m_pane->addEditActions(m_window->menuBar()->addMenu(u"Edit"_qs));
        m_pane->addMenus(m_window->menuBar());
        new QAbstractItemModelTester(
            m_pane->model(), QAbstractItemModelTester::FailureReportingMode::QtTest, m_window.get());
        QVERIFY(activate(m_window.get()));
        m_ownListCommands.clear();
    }
    void cleanup()
    {
        m_window.reset();
        QApplication::clipboard()->clear();
    }

    // A command acts on the focused text field or cell editor, else on a focused list of the
    // window's own, else on the comments; after that the table has the focus.
    void editCommandsGoToTheFocusedTextFirst()
    {
        CommentTableView *table = m_pane->table();
        m_search->setFocus();
        m_search->setText(u"abc"_qs);
        m_search->selectAll();
        trigger(m_window.get(), "copyAction");
        QCOMPARE(QApplication::clipboard()->text(), u"abc"_qs);
        trigger(m_window.get(), "deleteAction");
        QCOMPARE(m_search->text(), QString());
        QCOMPARE(rows(), QStringList({ "A=1", "B=2", "C=3" }));

        // A cell being edited: its text.
        table->setCurrentIndex(m_pane->model()->index(1, 0));
        table->edit(table->currentIndex());
        auto *cell = qobject_cast<QLineEdit *>(QApplication::focusWidget());
        QVERIFY(cell);
        cell->selectAll();
        trigger(m_window.get(), "deleteAction");
        QCOMPARE(cell->text(), QString());
        QTest::keyClick(cell, Qt::Key_Escape);
        QCOMPARE(rows().size(), 3);

        // The window's own list takes them while it has the focus.
        selectRows(m_ownList, { 0 });
        m_ownList->setFocus();
        trigger(m_window.get(), "selectAllAction");
        trigger(m_window.get(), "deleteAction");
        QCOMPARE(m_ownListCommands,
            QList<int>({ int(CommentListPane::EditCommand::SelectAll), int(CommentListPane::EditCommand::Delete) }));
        QCOMPARE(rows().size(), 3);

        // Else the comments, and the table takes the focus.
        selectRows(table, { 2, 0 });
        m_search->setFocus();
        trigger(m_window.get(), "deleteAllAction");
        QCOMPARE(rows(), QStringList());
        QCOMPARE(QApplication::focusWidget(), table);
        QCOMPARE(m_window->findChild<QAction *>(u"undoAction"_qs)->text().remove(u'&'), u"Undo Delete All"_qs);
        // So the standard shortcut reaches Undo as the menu names it.
        QTest::keySequence(QApplication::focusWidget(), QKeySequence::Undo);
        QCOMPARE(rows(), QStringList({ "A=1", "B=2", "C=3" }));
        selectRows(table, { 2, 0 });
        trigger(m_window.get(), "cutAction");
        QCOMPARE(rows(), QStringList { "B=2" });
        // A paste goes before the selected row.
        selectRows(table, { 0 });
        trigger(m_window.get(), "pasteAction");
        QCOMPARE(rows(), QStringList({ "A=1", "C=3", "B=2" }));
        // Typing in a field is undone there first.
        m_search->setFocus();
        m_search->setText(QString()); // no typing to take back before
        QTest::keyClicks(m_search, u"q"_qs);
        trigger(m_window.get(), "undoAction");
        QCOMPARE(m_search->text(), QString());
        QCOMPARE(rows().size(), 3);
    }

    // Cut, Copy, Delete, Remove and Open Comment Editor need something to act on.
    void oneEnableRule()
    {
        const QList<const char *> needRows { "cutAction", "copyAction", "deleteAction", "removeAction",
            "openCommentEditorAction" };
        const auto enabled = [this](const QList<const char *> &names) {
            QStringList on;
            for (const char *name : names) {
                if (isEnabled(m_window.get(), name))
                    on << QString::fromLatin1(name);
            }
            return on;
        };
        m_pane->table()->setFocus();
        QCOMPARE(enabled(needRows), QStringList());
        QVERIFY(!m_window->findChild<QWidget *>(u"removeButton"_qs)->isEnabled());
        // A focused text field takes the clipboard commands.
        m_search->setFocus();
        QCOMPARE(enabled(needRows), QStringList({ "cutAction", "copyAction", "deleteAction" }));
        selectRows(m_pane->table(), { 1 });
        m_pane->table()->setFocus();
        QCOMPARE(enabled(needRows).size(), 5);

        // Read-only: it shows, copies and selects, and changes nothing.
        trigger(m_window.get(), "deleteAction");
        selectRows(m_pane->table(), { 0 });
        m_pane->setReadOnly(true);
        QCOMPARE(enabled({ "cutAction", "copyAction", "pasteAction", "deleteAction", "deleteAllAction",
                     "selectAllAction", "addAction", "removeAction", "openCommentEditorAction", "undoAction" }),
            QStringList({ "copyAction", "selectAllAction", "openCommentEditorAction" }));
        QVERIFY(!m_pane->findChild<QWidget *>(u"presetsButton"_qs)->isEnabled());
        QCOMPARE(m_pane->table()->editTriggers(), QAbstractItemView::NoEditTriggers);
        m_pane->addComment();
        QCOMPARE(rows().size(), 2);
        m_pane->setReadOnly(false);
        QVERIFY(isEnabled(m_window.get(), "undoAction"));

        // Without a list nothing is on.
        m_ownList->setFocus();
        m_pane->setOwner(nullptr);
        QCOMPARE(enabled({ "copyAction", "pasteAction", "deleteAllAction", "addAction", "undoAction" }), QStringList());
        QVERIFY(!m_pane->table()->isEnabled());
    }

    // A new comment starts in its keyword cell; a preset in its text cell, the value kept
    // as typed and not selected, so the first key goes after it.
    void addingStartsEditing()
    {
        trigger(m_window.get(), "addAction");
        QCOMPARE(m_pane->table()->currentIndex(), m_pane->model()->index(3, 0));
        QVERIFY(qobject_cast<QLineEdit *>(QApplication::focusWidget()));

        auto *presets = m_window->findChild<StoreMenu *>(u"presetsMenu"_qs);
        presets->actions().at(2)->trigger(); // Width
        QCOMPARE(m_pane->table()->currentIndex(), m_pane->model()->index(4, 1));
        auto *editor = qobject_cast<QPlainTextEdit *>(QApplication::focusWidget());
        QVERIFY(editor);
        QVERIFY(!editor->textCursor().hasSelection());
        QTest::keyClicks(editor, u" wide"_qs);
        QTest::keyClick(editor, Qt::Key_Return);
        QCOMPARE(rows().last(), u"Width=%WIDTH% px wide"_qs);

        // A macro goes in at the cursor of the cell being edited, and nowhere else.
        auto *macros = m_window->findChild<QMenu *>(u"macrosMenu"_qs);
        QVERIFY(m_window->findChild<QMenu *>(u"commentsMenu"_qs)->actions().contains(macros->menuAction()));
        macros->actions().first()->trigger();
        QCOMPARE(rows().size(), 5);
        m_pane->table()->setCurrentIndex(m_pane->model()->index(0, 1));
        m_pane->table()->edit(m_pane->table()->currentIndex());
        auto *text = qobject_cast<QPlainTextEdit *>(QApplication::focusWidget());
        QVERIFY(text);
        text->moveCursor(QTextCursor::End);
        macros->actions().first()->trigger();
        m_pane->commitEditing();
        QCOMPARE(rows().first(), u"A=1"_qs + macros->actions().first()->text());
    }

    // The menus show the stores' entries as the store names them and follow them.
    void storeMenus()
    {
        auto *presets = m_window->findChild<StoreMenu *>(u"presetsMenu"_qs);
        QStringList titles;
        for (QAction *item : presets->actions())
            titles << item->text();
        // The display text the preset editor shows, "" included (never the keyword).
        QCOMPARE(titles, m_presets->presetMenuTitles());
        m_presets->appendPreset(std::make_shared<MetadataPreset>(u"Zebra"_qs, QString()));
        m_presets->notifyPresetsChanged();
        QCOMPARE(presets->actions().size(), 4);
        m_presets->removePresetsAtIndices({ 3 });
        QCOMPARE(presets->actions().size(), 3);

        // A template is applied in one step.
        auto *templates = m_window->findChild<StoreMenu *>(u"templatesMenu"_qs);
        templates->actions().first()->trigger();
        QCOMPARE(m_owner->undoStack()->count(), 1);
        QVERIFY(rows().contains(u"Software=Velmora"_qs) && rows().contains(u"Title=%FILENAME%"_qs));
        QVERIFY(m_templates->createTemplate(u"Logos"_qs));
        QCOMPARE(templates->actions().size(), 2);
    }

    // The panel opens on the highest selected row, is reused, and follows the list shown.
    void commentEditorPanel()
    {
        QVERIFY(!m_pane->commentEditor());
        selectRows(m_pane->table(), { 2, 0 });
        trigger(m_window.get(), "openCommentEditorAction");
        QPointer<CommentEditorPanel> panel = m_pane->commentEditor();
        QVERIFY(panel && panel->isVisible());
        QCOMPARE(panel->comment(), m_owner->commentAt(2));
        QCOMPARE(panel->windowTitle(), u"Comment Editor — Test"_qs);
        selectRows(m_pane->table(), { 1 });
        m_pane->findChild<QAbstractButton *>(u"commentEditorButton"_qs)->click();
        QCOMPARE(m_pane->commentEditor(), panel.data());
        QCOMPARE(panel->comment(), m_owner->commentAt(1));

        CommentListOwner other;
        other.resetComments(commentsFrom({ "Z=26" }));
        m_pane->setOwner(&other);
        QVERIFY(!panel->isAttached());
        QCOMPARE(tableRows(*m_pane->model()), QStringList { "Z=26" });
        m_pane->setOwner(m_owner.get());
        m_window.reset();
        QVERIFY(panel.isNull());
    }

    // Cell editors: Return hands the value over, Escape drops it, Shift+Return and
    // Alt+Return break the line; typing survives the list changing meanwhile.
    void cellEditingKeys_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QStringList>("keys"); // text to type, or a key in <>
        QTest::addColumn<QString>("stored"); // empty: unchanged
        const QString r = u"<Return>"_qs, e = u"<Escape>"_qs;
        QTest::newRow("Return commits a keyword") << 0 << QStringList { "Camera", r } << "Camera";
        QTest::newRow("Escape cancels a keyword") << 0 << QStringList { "Camera", e } << "";
        QTest::newRow("Return commits a text, no line feed added") << 1 << QStringList { "one", r } << "one";
        QTest::newRow("Shift+Return breaks the line")
            << 1 << QStringList { "one", "<Shift+Return>", "two", r } << "one\ntwo";
        QTest::newRow("Alt+Return breaks the line")
            << 1 << QStringList { "one", "<Alt+Return>", "two", r } << "one\ntwo";
        QTest::newRow("Escape cancels a text") << 1 << QStringList { "one", "<Shift+Return>", "two", e } << "";
        QTest::newRow("typing survives a change made elsewhere") << 1 << QStringList { "one", "<change>", r } << "one";
    }
    void cellEditingKeys()
    {
        QFETCH(int, column);
        QFETCH(QStringList, keys);
        QFETCH(QString, stored);
        CommentTableView *table = m_pane->table();
        const CommentPtr comment = m_owner->commentAt(0);
        const QString before = column == 0 ? comment->keyword() : comment->text();
        table->setCurrentIndex(m_pane->model()->index(0, column));
        table->edit(table->currentIndex());
        QWidget *editor = QApplication::focusWidget();
        QVERIFY(isTextEditor(editor));
        if (auto *line = qobject_cast<QLineEdit *>(editor))
            line->selectAll();
        if (auto *text = qobject_cast<QPlainTextEdit *>(editor))
            text->selectAll();
        const QMap<QString, Qt::KeyboardModifiers> returns { { u"<Return>"_qs, Qt::NoModifier },
            { u"<Shift+Return>"_qs, Qt::ShiftModifier }, { u"<Alt+Return>"_qs, Qt::AltModifier } };
        for (const QString &key : std::as_const(keys)) {
            if (returns.contains(key)) {
                QTest::keyClick(editor, Qt::Key_Return, returns.value(key));
            } else if (key == u"<Escape>") {
                QTest::keyClick(editor, Qt::Key_Escape);
            } else if (key == u"<change>") {
                QVERIFY(m_owner->setText(comment, u"elsewhere"_qs));
            } else {
                QTest::keyClicks(editor, key);
            }
        }
        QTRY_VERIFY(!isTextEditor(QApplication::focusWidget()));
        QCOMPARE(column == 0 ? comment->keyword() : comment->text(), stored.isEmpty() ? before : stored);
        QCOMPARE(m_owner->undoStack()->count(), int(!stored.isEmpty()) + int(keys.contains(u"<change>"_qs)));
    }

private:
    QStringList rows() const { return describe(m_owner->comments()); }

    TempFolder m_stores;
    std::unique_ptr<MetadataPresetManager> m_presets;
    std::unique_ptr<TemplateEditor> m_templates;
    std::unique_ptr<CommentListOwner> m_owner;
    std::unique_ptr<QMainWindow> m_window;
    CommentListPane *m_pane = nullptr;
    QLineEdit *m_search = nullptr;
    QTableView *m_ownList = nullptr;
    QList<int> m_ownListCommands;
};

QTEST_MAIN(tst_CommentListPane)
#include "tst_CommentListPane.moc"
