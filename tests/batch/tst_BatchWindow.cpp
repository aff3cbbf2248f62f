#include "RunPacer.h"
#include "TestSupport.h"
#include "WindowTestSupport.h"

#include "batch/BatchFileList.h"
#include "batch/widgets/BatchFileTableView.h"
#include "batch/widgets/BatchWindow.h"
#include "commentlist/CommentListOwner.h"
#include "commentlist/widgets/CommentTableView.h"
#include "interchange/PasteboardFormats.h"
#include "presets/MetadataPresetManager.h"
#include "templates/TemplateEditor.h"
#include "windowkit/CommentEditorPanel.h"
#include "windowkit/Prompts.h"
#include "windowkit/StoreMenu.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

using namespace TestSupport;

namespace {

using WindowTestSupport::accessibleName;
using WindowTestSupport::menuItems;
using WindowTestSupport::mnemonic;

// Answers the window's questions instead of a person and records them.
struct PromptAnswers
{
    QList<Prompts::Request> asked;
    std::function<QVariant(const Prompts::Request &)> answer = [](const Prompts::Request &) { return QVariant(); };

    PromptAnswers()
    {
        Prompts::setHandler([this](const Prompts::Request &request) {
            asked.append(request);
            return answer(request);
        });
    }
    ~PromptAnswers() { Prompts::setHandler({}); }
    QList<Prompts::Request> of(Prompts::Kind kind) const
    {
        QList<Prompts::Request> result;
        for (const auto &r : asked) {
            if (r.kind == kind)
                result << r;
        }
        return result;
    }
};

} // namespace

class tst_BatchWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_stores;
    std::unique_ptr<MetadataPresetManager> m_presets;
    std::unique_ptr<TemplateEditor> m_templates;
    std::unique_ptr<QTemporaryDir> m_dir;
    QList<QPointer<BatchWindow>> m_windows;

    BatchWindow *newWindow()
    {
        auto *window = new BatchWindow;
        window->processor()->setThreads(1);
        m_windows << window;
        window->show();
        window->activateWindow();
        if (!QTest::qWaitForWindowActive(window))
            qWarning("the window did not become active");
        return window;
    }
    QString png(const QString &name, const std::vector<RawChunk> &chunks = {})
    {
        const QString path = m_dir->filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        writeFile(path, simplePng(5, 3, chunks));
        return path;
    }
    static void trigger(QWidget *window, const char *name)
    {
        auto *action = window->findChild<QAction *>(QString::fromLatin1(name));
        QVERIFY2(action, name);
        QVERIFY2(action->isEnabled(), name);
        action->trigger();
    }
    static QStringList comments(BatchWindow *window) { return describe(window->processor()->comments()->comments()); }
    static QStringList fileNames(BatchWindow *window)
    {
        QStringList names;
        for (const QString &p : window->processor()->files()->paths())
            names << QFileInfo(p).fileName();
        return names;
    }
    // Whether a cell editor is open on the table's current cell.
    static bool isEditing(QAbstractItemView *table) { return table->indexWidget(table->currentIndex()) != nullptr; }
    static void selectRows(QAbstractItemView *table, const QList<int> &rows)
    {
        table->clearSelection();
        for (int row : rows)
            table->selectionModel()->select(
                table->model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    static void putFilesOnClipboard(const QStringList &paths)
    {
        auto *mime = new QMimeData;
        QList<QUrl> urls;
        for (const QString &p : paths)
            urls << QUrl::fromLocalFile(p);
        mime->setUrls(urls);
        QApplication::clipboard()->setMimeData(mime);
    }

private slots:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_stores.filePath(u"config"_qs)));
        QCoreApplication::setOrganizationName(QStringLiteral("VelmoraTest"));
        const QString presets = m_stores.filePath(u"presets.xml"_qs);
        QVERIFY(writeFile(presets,
            R"(<MetadataPresets><comment keyword="Width" text="%WIDTH% px"/><comment keyword="Note"/></MetadataPresets>)"));
        m_presets = std::make_unique<MetadataPresetManager>(presets);
        m_presets->loadMetaDataPresets();
        m_templates = std::make_unique<TemplateEditor>(m_stores.filePath(u"Templates"_qs));
        QCOMPARE(m_templates->loadTemplates(), 1); // the shipped "Standards"
    }
    void init() { m_dir = std::make_unique<QTemporaryDir>(); }
    void cleanup()
    {
        for (const auto &window : std::as_const(m_windows))
            delete window.data();
        m_windows.clear();
        QApplication::clipboard()->clear();
        QSettings().remove(u"checkFileExtWhenAddingToBatchList"_qs);
    }

    void everyControlIsNamedAndEveryCommandIsAMenuItem()
    {
        BatchWindow *window = newWindow();
        const QMap<QString, QString> names {
            { "addButton", "Add Comment" },
            { "removeButton", "Remove Comment" },
            { "removeFilesButton", "Remove Files" },
            { "presetsButton", "Presets" },
            { "templatesButton", "Templates" },
            { "macrosButton", "Insert Macro" },
            { "progressBar", "Progress" },
            { "commentsTable", "Comments written into every file" },
            { "filesTable", "Files to process" },
        };
        for (auto it = names.begin(); it != names.end(); ++it) {
            auto *widget = window->findChild<QWidget *>(it.key());
            QVERIFY2(widget, qPrintable(it.key()));
            QCOMPARE(accessibleName(widget), it.value());
        }
        QList<QWidget *> controls;
        // The window's own controls (the views' headers and corner buttons are Qt's).
        for (QWidget *w : window->findChildren<QWidget *>()) {
            if (w->objectName().isEmpty() || w->objectName().startsWith(u"qt_"_qs))
                continue;
            if (qobject_cast<QAbstractButton *>(w) || qobject_cast<QAbstractItemView *>(w)
                || qobject_cast<QProgressBar *>(w))
                controls << w;
        }
        QVERIFY(controls.size() >= 16);
        for (QWidget *w : std::as_const(controls))
            QVERIFY2(!accessibleName(w).remove(u'&').trimmed().isEmpty(), qPrintable(w->objectName()));

        const QList<QAction *> items = menuItems(window->menuBar());
        for (const char *name :
            { "addFilesAction", "addFolderAction", "closeAction", "undoAction", "redoAction", "cutAction", "copyAction",
                "pasteAction", "deleteAction", "deleteAllAction", "selectAllAction", "addAction", "removeAction",
                "openCommentEditorAction", "removeFilesAction", "clearExistingAction", "replaceAction", "runAction",
                "cancelAction", "macrosMenuAction", "presetsMenuAction", "templatesMenuAction" }) {
            auto *action = window->findChild<QAction *>(QString::fromLatin1(name));
            QVERIFY2(action && items.contains(action), name);
        }
        // Alt and a letter reach one thing only: the menus and the window's controls differ.
        QMap<QChar, QString> letters;
        QStringList texts;
        for (QAction *menu : window->menuBar()->actions())
            texts << menu->text();
        for (QAbstractButton *button : window->findChildren<QAbstractButton *>())
            texts << button->text();
        for (const QString &text : std::as_const(texts)) {
            const QChar letter = mnemonic(text);
            if (letter.isNull())
                continue;
            QVERIFY2(!letters.contains(letter), qPrintable(letters.value(letter) + u" / "_qs + text));
            letters.insert(letter, text);
        }
        QVERIFY(letters.size() >= 10);
        // And within each menu, one item a letter.
        for (QAction *menuAction : items) {
            if (!menuAction->menu())
                continue;
            QMap<QChar, QString> inMenu;
            for (QAction *item : menuAction->menu()->actions()) {
                const QChar letter = mnemonic(item->text());
                if (letter.isNull())
                    continue;
                QVERIFY2(!inMenu.contains(letter), qPrintable(inMenu.value(letter) + u" / "_qs + item->text()));
                inMenu.insert(letter, item->text());
            }
        }

        // The macros, presets and templates are items as well.
        QCOMPARE(window->findChild<QMenu *>(u"macrosMenu"_qs)->actions().size(), 10);
        QCOMPARE(window->findChild<StoreMenu *>(u"presetsMenu"_qs)->actions().size(), 2);
        QVERIFY(!window->findChild<QAction *>(u"cancelAction"_qs)->isEnabled());
    }

    void editCommandsFollowTheFocus()
    {
        BatchWindow *window = newWindow();
        CommentListOwner *list = window->processor()->comments();
        for (const char *pair : { "A=1", "B=2", "C=3" })
            list->insertObject(commentsFrom({ QString::fromLatin1(pair) }).first(), -1);
        window->processor()->addFiles({ png(u"a.png"_qs), png(u"b.png"_qs), png(u"c.png"_qs) });
        selectRows(window->commentsTable(), { 0 });
        selectRows(window->filesTable(), { 1 });

        window->filesTable()->setFocus();
        QCOMPARE(window->focusedList(), BatchProcessor::Focus::Files);
        trigger(window, "deleteAction");
        QCOMPARE(fileNames(window), QStringList({ "a.png", "c.png" }));
        QCOMPARE(comments(window).size(), 3);
        // The label counts the files.
        QCOMPARE(window->findChild<QLabel *>(u"filesLabel"_qs)->text(), u"Files to process: 2"_qs);

        window->commentsTable()->setFocus();
        trigger(window, "deleteAction");
        QCOMPARE(comments(window), QStringList({ "B=2", "C=3" }));
        QCOMPARE(fileNames(window), QStringList({ "a.png", "c.png" }));

        // A cell being edited counts for its table.
        window->commentsTable()->edit(window->commentsTable()->model()->index(0, 1));
        QVERIFY(qobject_cast<QLineEdit *>(QApplication::focusWidget())
            || qobject_cast<QPlainTextEdit *>(QApplication::focusWidget()));
        QCOMPARE(window->focusedList(), BatchProcessor::Focus::Comments);
        window->commentsTable()->commitEditing();

        // Neither table: nothing happens.
        window->findChild<QCheckBox *>(u"clearExistingCheckbox"_qs)->setFocus();
        QCOMPARE(window->focusedList(), BatchProcessor::Focus::None);
        trigger(window, "deleteAllAction");
        QCOMPARE(comments(window).size(), 2);
        QCOMPARE(fileNames(window).size(), 2);

        // Copy files in one window, paste them into another one's files.
        window->filesTable()->setFocus();
        trigger(window, "selectAllAction");
        trigger(window, "copyAction");
        BatchWindow *other = newWindow();
        other->filesTable()->setFocus();
        trigger(other, "pasteAction");
        QCOMPARE(fileNames(other), QStringList({ "a.png", "c.png" }));
        // Pasted into the comments, file names are no comments.
        other->commentsTable()->setFocus();
        QTest::ignoreMessage(QtWarningMsg, "No compatible paste types found.");
        trigger(other, "pasteAction");
        QCOMPARE(comments(other), QStringList());
    }

    void foldersArriveByPasteDropAndDialogs()
    {
        BatchWindow *window = newWindow();
        for (const char *f : { "f/b.png", "f/a.PNG", "f/.hidden.png", "f/sub/d.png" })
            png(QString::fromLatin1(f));
        writeFile(m_dir->filePath(u"f/c.jpg"_qs), "jpeg");

        // A folder copied in a file manager and pasted.
        putFilesOnClipboard({ m_dir->filePath(u"f"_qs) });
        window->filesTable()->setFocus();
        trigger(window, "pasteAction");
        QCOMPARE(fileNames(window), QStringList({ "a.PNG", "b.png", "d.png" }));

        // Dropped from a file manager onto the files table (no drag source in this process).
        QMimeData dropped;
        dropped.setUrls({ QUrl::fromLocalFile(m_dir->filePath(u"f/sub"_qs)) });
        QWidget *viewport = window->filesTable()->viewport();
        const QPoint at(5, 5);
        QDragEnterEvent enter(at, Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &enter);
        QVERIFY(enter.isAccepted());
        QDragMoveEvent move(at, Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &move);
        QVERIFY(move.isAccepted());
        QDropEvent drop(at, Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(viewport, &drop);
        QCOMPARE(fileNames(window), QStringList({ "a.PNG", "b.png", "d.png", "d.png" }));

        // The dialogs: files (PNG filter first while the extension check is on), a folder.
        PromptAnswers prompts;
        prompts.answer = [&](const Prompts::Request &r) -> QVariant {
            if (r.kind == Prompts::Kind::OpenFiles)
                return QStringList { m_dir->filePath(u"f/c.jpg"_qs), m_dir->filePath(u"f/b.png"_qs) };
            if (r.kind == Prompts::Kind::OpenFolder)
                return m_dir->filePath(u"f/sub"_qs);
            return QVariant();
        };
        window->processor()->deleteAll(BatchProcessor::Focus::Files);
        trigger(window, "addFilesAction");
        QCOMPARE(fileNames(window), QStringList { "b.png" }); // the check is on
        QVERIFY(prompts.of(Prompts::Kind::OpenFiles).first().filters.first().contains(u"*.png"_qs));
        QSettings().setValue(u"checkFileExtWhenAddingToBatchList"_qs, false);
        trigger(window, "addFilesAction");
        QCOMPARE(fileNames(window), QStringList({ "b.png", "b.png", "c.jpg" }));
        QCOMPARE(prompts.of(Prompts::Kind::OpenFiles).last().filters.first(), u"All files (*)"_qs);
        trigger(window, "addFolderAction");
        QCOMPARE(fileNames(window), QStringList({ "b.png", "b.png", "c.jpg", "d.png" }));
        QCOMPARE(window->findChild<QLabel *>(u"filesLabel"_qs)->text(), u"Files to process: 4"_qs);
    }

    void commentsFromMenusKeepMacros()
    {
        BatchWindow *window = newWindow();
        // The Width preset (second in the store's order): its value as stored, text cell open.
        window->findChild<StoreMenu *>(u"presetsMenu"_qs)->actions().at(1)->trigger();
        QCOMPARE(comments(window), QStringList { "Width=%WIDTH% px" });
        QCOMPARE(isEditing(window->commentsTable()), true);
        QCOMPARE(window->commentsTable()->currentIndex().column(), 1);

        // A macro chosen while the cell is edited goes in at the cursor, unexpanded.
        auto *editor = qobject_cast<QPlainTextEdit *>(QApplication::focusWidget());
        QVERIFY(editor);
        editor->moveCursor(QTextCursor::End);
        // Reached from the keyboard, the menu bar borrows the focus and gives it back: the
        // edit goes on meanwhile.
        window->menuBar()->setFocus(Qt::MenuBarFocusReason);
        QVERIFY(QApplication::focusWidget() != editor);
        QVERIFY(isEditing(window->commentsTable()));
        editor->setFocus(Qt::MenuBarFocusReason);
        window->findChild<QMenu *>(u"macrosMenu"_qs)->actions().at(0)->trigger();
        const QString macro = window->findChild<QMenu *>(u"macrosMenu"_qs)->actions().at(0)->text();
        QCOMPARE(editor->toPlainText(), u"%WIDTH% px"_qs + macro);
        window->commentsTable()->commitEditing();
        QCOMPARE(comments(window), QStringList { u"Width=%WIDTH% px"_qs + macro });
        // Without a cell being edited it does nothing.
        window->findChild<QMenu *>(u"macrosMenu"_qs)->actions().at(1)->trigger();
        QCOMPARE(comments(window), QStringList { u"Width=%WIDTH% px"_qs + macro });

        // The comment editor panel edits the batch list; undo takes the step back.
        selectRows(window->commentsTable(), { 0 });
        trigger(window, "openCommentEditorAction");
        CommentEditorPanel *panel = window->commentEditor();
        QVERIFY(panel);
        auto *keyword = panel->findChild<QLineEdit *>(u"keywordField"_qs);
        keyword->selectAll();
        QTest::keyClicks(keyword, u"Size"_qs);
        QTest::keyClick(keyword, Qt::Key_Return);
        QCOMPARE(comments(window).first().section(u'=', 0, 0), u"Size"_qs);
        QCOMPARE(window->findChild<QAction *>(u"undoAction"_qs)->text().remove(u'&'), u"Undo Edit Keyword"_qs);
        trigger(window, "undoAction");
        QCOMPARE(comments(window).first().section(u'=', 0, 0), u"Width"_qs);

        // The add button starts editing the new keyword.
        QTest::mouseClick(window->findChild<QAbstractButton *>(u"addButton"_qs), Qt::LeftButton);
        QCOMPARE(comments(window).size(), 2);
        QCOMPARE(isEditing(window->commentsTable()), true);
        QCOMPARE(window->commentsTable()->currentIndex(), window->commentsTable()->model()->index(1, 0));
    }

    void runShowsProgressLocksTheListsAndReports()
    {
        BatchWindow *window = newWindow();
        BatchProcessor *processor = window->processor();
        const QString good = png(u"good.png"_qs);
        const QString locked = png(u"locked.png"_qs);
        QVERIFY(QFile::setPermissions(locked, QFileDevice::ReadOwner));
        const QString last = png(u"zlast.png"_qs);
        processor->addFiles({ good, locked, last });
        processor->comments()->insertObject(commentsFrom({ "Author=%FILENAME%" }).first(), -1);
        selectRows(window->commentsTable(), { 0 });
        trigger(window, "openCommentEditorAction");
        PromptAnswers prompts;
        RunPacer pacer;
        // Paced file by file: each in place before the next is read.
        processor->setGroupFiles(1);
        processor->setFileObserver(pacer.observer());
        auto *bar = window->findChild<QProgressBar *>(u"progressBar"_qs);
        auto *label = window->findChild<QLabel *>(u"progressLabel"_qs);
        QVERIFY(!bar->isVisible()); // nothing counted yet

        QTest::mouseClick(window->findChild<QAbstractButton *>(u"runButton"_qs), Qt::LeftButton);
        QVERIFY(processor->isRunning());
        QVERIFY(pacer.waitForFile());
        pacer.letGo();
        QTRY_COMPARE(bar->value(), 1);
        QCOMPARE(bar->maximum(), 3);
        QVERIFY(bar->isVisible());
        QVERIFY2(label->text().contains(u"good.png"_qs), qPrintable(label->text()));

        // While it runs: Cancel on, editing off, the panel too; the window answers.
        QVERIFY(window->findChild<QAbstractButton *>(u"cancelButton"_qs)->isEnabled());
        QVERIFY(!window->findChild<QAbstractButton *>(u"runButton"_qs)->isEnabled());
        for (const char *name : { "addButton", "removeButton", "addFilesButton", "removeFilesButton",
                 "clearExistingCheckbox", "replaceCheckbox", "presetsButton" })
            QVERIFY2(!window->findChild<QWidget *>(QString::fromLatin1(name))->isEnabled(), name);
        for (const char *name : { "runAction", "pasteAction", "deleteAction", "addAction", "addFilesAction" })
            QVERIFY2(!window->findChild<QAction *>(QString::fromLatin1(name))->isEnabled(), name);
        QVERIFY(window->findChild<QAction *>(u"copyAction"_qs)->isEnabled());
        QVERIFY(!window->commentEditor()->isEnabled());
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        window->commentsTable()->setFocus();
        QCOMPARE(window->focusedList(), BatchProcessor::Focus::Comments);
        window->commentsTable()->setCurrentIndex(window->commentsTable()->model()->index(0, 1));
        QTest::keyClick(window->commentsTable(), Qt::Key_X);
        QCOMPARE(isEditing(window->commentsTable()), false);
        window->deleteAll();
        QCOMPARE(processor->comments()->rowCount(), 1);
        QVERIFY(!window->filesTable()->acceptDrops());

        pacer.letGo(2);
        QTRY_COMPARE(prompts.of(Prompts::Kind::Report).size(), 1);
        const Prompts::Request report = prompts.of(Prompts::Kind::Report).first();
        QCOMPARE(report.text, u"Processing complete"_qs);
        QVERIFY(report.detail.startsWith(u"2 files were successfully processed."_qs));
        QVERIFY2(report.report.contains(locked + u": the file is read-only"_qs), qPrintable(report.report));
        QCOMPARE(bar->value(), 3);
        QCOMPARE(fileComments(good), QStringList { "Author=good" });
        QCOMPARE(fileComments(last), QStringList { "Author=zlast" });
        // Editing again.
        QVERIFY(window->findChild<QWidget *>(u"addButton"_qs)->isEnabled());
        QVERIFY(window->commentEditor()->isEnabled());
        QVERIFY(window->filesTable()->acceptDrops());
        QVERIFY(!window->findChild<QAction *>(u"cancelAction"_qs)->isEnabled());
    }

    void cancelHalfWayNamesTheFilesLeft()
    {
        BatchWindow *window = newWindow();
        BatchProcessor *processor = window->processor();
        QStringList files;
        for (int i = 0; i < 6; ++i)
            files << png(u"f%1.png"_qs.arg(i), { tEXt("Author", "Old") });
        processor->addFiles(files);
        processor->comments()->insertObject(commentsFrom({ "Author=New" }).first(), -1);
        window->findChild<QCheckBox *>(u"replaceCheckbox"_qs)->click();
        QVERIFY(processor->replaceSameKeyword());
        QVERIFY(window->findChild<QAction *>(u"replaceAction"_qs)->isChecked());
        PromptAnswers prompts;
        RunPacer pacer;
        // Paced file by file: each in place before the next is read.
        processor->setGroupFiles(1);
        processor->setFileObserver(pacer.observer());
        trigger(window, "runAction");
        for (int i = 0; i < 3; ++i) {
            QVERIFY(pacer.waitForFile());
            if (i < 2)
                pacer.letGo();
        }
        // Escape is Cancel while a run goes on.
        QTest::keyClick(window, Qt::Key_Escape);
        QCoreApplication::processEvents(); // progress of the files done meanwhile does not hide it
        QVERIFY(window->findChild<QLabel *>(u"progressLabel"_qs)->text().startsWith(u"Cancelling"_qs));
        pacer.letGo();
        QTRY_COMPARE(prompts.of(Prompts::Kind::Report).size(), 1);
        const Prompts::Request report = prompts.of(Prompts::Kind::Report).first();
        QCOMPARE(report.text, u"Processing cancelled"_qs);
        QVERIFY(report.detail.contains(u"Not processed (the run was cancelled): 3"_qs));
        QCOMPARE(report.report, u"Files not processed:\n"_qs + files.mid(3).join(u'\n'));
        for (int i = 0; i < 6; ++i)
            QCOMPARE(fileComments(files[i]), i < 3 ? QStringList { "Author=New" } : QStringList { "Author=Old" });
    }

    void closingDuringARunAsksStopsThenCloses()
    {
        QPointer<BatchWindow> window = newWindow();
        window->processor()->addFiles({ png(u"a.png"_qs), png(u"b.png"_qs), png(u"c.png"_qs) });
        window->processor()->comments()->insertObject(commentsFrom({ "K=v" }).first(), -1);
        PromptAnswers prompts;
        prompts.answer = [](const Prompts::Request &r) { return QVariant(r.kind != Prompts::Kind::Confirm); };
        RunPacer pacer;
        // Paced file by file: each in place before the next is read.
        window->processor()->setGroupFiles(1);
        window->processor()->setFileObserver(pacer.observer());
        trigger(window, "runAction");
        QVERIFY(pacer.waitForFile());
        // Kept open when the user says no.
        QVERIFY(!window->close());
        QCOMPARE(prompts.of(Prompts::Kind::Confirm).size(), 1);
        QVERIFY(window->isVisible());
        prompts.answer = [](const Prompts::Request &) { return QVariant(true); };
        QVERIFY(!window->close()); // goes once the run has stopped
        QVERIFY(window->isVisible());
        pacer.letGo(10);
        QTRY_VERIFY(window.isNull());
        QCOMPARE(prompts.of(Prompts::Kind::Report).size(), 0);
        // The run stopped after the file it was on.
        QCOMPARE(fileComments(m_dir->filePath(u"a.png"_qs)), QStringList { "K=v" });
        QCOMPARE(fileComments(m_dir->filePath(u"b.png"_qs)), QStringList {});
    }
};

QTEST_MAIN(tst_BatchWindow)
#include "tst_BatchWindow.moc"
