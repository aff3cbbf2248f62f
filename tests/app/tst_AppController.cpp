#include "../batch/RunPacer.h"
#include "TestSupport.h"
#include "WindowTestSupport.h"
#include "app/AppController.h"
#include "app/MetadataDialogs.h"
#include "app/StartWindow.h"
#include "batch/BatchFileList.h"
#include "batch/widgets/BatchWindow.h"
#include "commentlist/CommentListOwner.h"
#include "commentlist/widgets/CommentTableView.h"
#include "core/LibraryVersions.h"
#include "core/Strings.h"
#include "document/PNGDoc.h"
#include "document/widgets/ChunkListWindow.h"
#include "document/widgets/DocumentWindow.h"
#include "presets/MetadataPresetManager.h"
#include "presets/PresetEditor.h"
#include "presets/widgets/PresetEditorWindow.h"
#include "presets/widgets/PresetListModel.h"
#include "shell/AppSettings.h"
#include "templates/TemplateEditor.h"
#include "templates/widgets/TemplateEditorWindow.h"
#include "templates/widgets/TemplateListModel.h"
#include "windowkit/CommentEditorPanel.h"
#include "windowkit/CommentListPane.h"
#include "windowkit/StoreMenu.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMainWindow>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTextEdit>
#include <QTimer>
#include <QtTest>

using namespace TestSupport;
using namespace WindowTestSupport;

namespace {

QAction *menuItem(QMainWindow *window, const QString &name)
{
    for (QAction *item : menuItems(window->menuBar())) {
        if (item->objectName() == name)
            return item;
    }
    return nullptr;
}

QAction *menuItem(QMainWindow *window, const char *name)
{
    return menuItem(window, QString::fromLatin1(name));
}

QMenu *menuNamed(QMainWindow *window, const QString &name)
{
    for (QAction *item : window->menuBar()->actions()) {
        if (item->menu() && item->menu()->objectName() == name)
            return item->menu();
    }
    return nullptr;
}

QStringList menuTitles(QMainWindow *window)
{
    QStringList titles;
    for (QAction *menu : window->menuBar()->actions())
        titles << menu->text().remove(u'&');
    return titles;
}

// The object names of a menu's items, "-" for a separator.
QStringList itemNames(QMenu *menu)
{
    QStringList names;
    for (QAction *item : menu->actions())
        names << (item->isSeparator() ? QStringLiteral("-") : item->objectName());
    return names;
}

bool activate(QWidget *window)
{
    window->show();
    window->activateWindow();
    QApplication::setActiveWindow(window);
    return QTest::qWaitForWindowActive(window);
}

// Answers the dialogs: the import and export dialogs, the CSV options dialogue and the
// confirmations by kind; records every request.
struct Answers
{
    QList<Prompts::Request> asked;
    QVariantList importAnswer;
    QVariantList exportAnswer;
    QVariant csvAnswer = QString(QStringLiteral(","));
    bool confirm = true;

    Answers()
    {
        Prompts::setHandler([this](const Prompts::Request &request) -> QVariant {
            asked.append(request);
            switch (request.kind) {
            case Prompts::Kind::ImportMetadata:
                return importAnswer;
            case Prompts::Kind::ExportMetadata:
                return exportAnswer;
            case Prompts::Kind::CsvOptions:
                return csvAnswer;
            case Prompts::Kind::Confirm:
                return confirm;
            default:
                return QVariant();
            }
        });
    }
    ~Answers() { Prompts::setHandler({}); }
    Answers(const Answers &) = delete;
    Answers &operator=(const Answers &) = delete;

    QList<Prompts::Kind> kinds() const
    {
        QList<Prompts::Kind> result;
        for (const auto &request : asked)
            result << request.kind;
        return result;
    }
    const Prompts::Request *last(Prompts::Kind kind) const
    {
        for (qsizetype i = asked.size() - 1; i >= 0; --i) {
            if (asked[i].kind == kind)
                return &asked[i];
        }
        return nullptr;
    }
};

} // namespace

// Takes the web addresses the application asks the desktop to open.
class UrlCatcher : public QObject
{
    Q_OBJECT

public:
    QList<QUrl> opened;

public slots:
    void open(const QUrl &url) { opened << url; }
};

class tst_AppController : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QVERIFY(m_home.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("config"))));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("data"))));
    }

    void init()
    {
        QSettings().clear();
        m_dir = std::make_unique<QTemporaryDir>();
        m_a = m_dir->filePath(QStringLiteral("a.png"));
        m_b = m_dir->filePath(QStringLiteral("b.png"));
        QVERIFY(writeFile(m_a, simplePng(4, 4, { tEXt("Author", "Ann"), tEXt("Title", "Dusk") })));
        QVERIFY(writeFile(m_b, simplePng(4, 4, { tEXt("Keep", "me") })));
    }
    void cleanup() { Prompts::setHandler({}); }

    // The application's items in every window's menus, in the order of the menus; after the
    // start window has gone, a screen reader and the keyboard still reach everything.
    void menusOfEveryWindow()
    {
        Answers answers;
        AppController controller;
        QPointer<StartWindow> start = controller.showStartWindow();
        QCOMPARE(menuTitles(start), QStringList({ "File", "Window", "Help" }));
        QCOMPARE(itemNames(start->menuBar()->actions().first()->menu()),
            QStringList(
                { "openAction", "openRecentMenuAction", "-", "importAction", "exportAction", "-", "quitAction" }));
        QVERIFY2(reachFaults(start).isEmpty(), qPrintable(reachFaults(start).join(u"\n"_qs)));
        DocumentWindow *document = controller.openFiles({ m_a }).first();
        QTRY_VERIFY(start.isNull());
        BatchWindow *batch = controller.newBatchWindow();
        PresetEditorWindow *presets = controller.showPresetEditor();
        TemplateEditorWindow *templates = controller.showTemplateEditor();

        QCOMPARE(menuTitles(document),
            QStringList({ "File", "Edit", "Comments", "Presets", "Templates", "Details", "Window", "Help" }));
        QCOMPARE(menuTitles(batch),
            QStringList({ "File", "Edit", "Comments", "Presets", "Templates", "Batch", "Window", "Help" }));
        QCOMPARE(menuTitles(presets), QStringList({ "File", "Edit", "Preset", "Window", "Help" }));
        QCOMPARE(menuTitles(templates),
            QStringList({ "File", "Edit", "Comments", "Presets", "Template", "Window", "Help" }));
        QCOMPARE(itemNames(document->menuBar()->actions().first()->menu()),
            QStringList({ "openAction", "openRecentMenuAction", "-", "importAction", "exportAction", "-", "closeAction",
                "saveAction", "saveAsAction", "revertAction", "-", "removeMetadataAction", "-", "quitAction" }));
        QCOMPARE(itemNames(menuNamed(templates, QStringLiteral("helpMenu"))),
            QStringList({ "homePageAction", "supportAction", "-", "aboutAction" }));

        // Every window and dialog, the comment editor panel too.
        document->pane()->table()->selectRow(0);
        document->pane()->openCommentEditor();
        document->showChunks();
        QList<QWidget *> windows { document, batch, presets, templates, document->pane()->commentEditor(),
            document->findChild<ChunkListWindow *>(), new CsvOptionsDialog(document),
            new ImportMetadataDialog(document, false, false) };
        for (QWidget *window : std::as_const(windows)) {
            window->show();
            const QStringList faults = reachFaults(window);
            QVERIFY2(faults.isEmpty(), qPrintable(faults.join(u'\n')));
        }

        // The Window menu lists the open windows, the one in front checked.
        QVERIFY(activate(batch));
        QMenu *windowMenu = menuNamed(document, QStringLiteral("windowMenu"));
        emit windowMenu->aboutToShow();
        QStringList listed;
        QAction *batchItem = nullptr;
        for (QAction *item : windowMenu->actions()) {
            if (item->isCheckable()) {
                listed << item->text();
                if (item->isChecked())
                    batchItem = item;
            }
        }
        QCOMPARE(listed.size(), 4);
        QVERIFY(listed.contains(u"a.png"_qs));
        QVERIFY(listed.contains(presets->windowTitle()));
        QVERIFY(batchItem && batchItem->text() == batch->windowTitle().remove(u"[*]"_qs));
        // Choosing one brings it to the front.
        for (QAction *item : windowMenu->actions()) {
            if (item->text() == u"a.png"_qs)
                item->trigger();
        }
        QTRY_COMPARE(QApplication::activeWindow(), document);
    }

    // Quit asks every window before closing any, and a Cancel anywhere leaves them all: a
    // running batch is asked about once, a batch with files counts as work to lose, a preset
    // write that failed when its editor closed is tried again. Agreed, the running batch
    // stops between files and its window goes last.
    void quitAsksEveryWindowFirst()
    {
        PromptAnswers answers;
        AppController controller;
        QPointer<DocumentWindow> document = controller.openFiles({ m_a }).first();
        QPointer<DocumentWindow> unchanged = controller.openFiles({ m_b }).first();
        document->document()->addText(QStringLiteral("x"), QStringLiteral("Note"));
        QPointer<BatchWindow> batch = controller.newBatchWindow();
        batch->processor()->addFiles({ m_b });
        QPointer<PresetEditorWindow> presets = controller.showPresetEditor();
        const QString presetsFile = controller.presetStore()->presetsFilePath();
        QFile::remove(presetsFile);
        QVERIFY(QDir().mkpath(presetsFile));
        presets->close(); // its write fails
        QStringList files;
        for (const char *name : { "r1.png", "r2.png", "r3.png", "r4.png" }) {
            files << m_dir->filePath(QString::fromLatin1(name));
            QVERIFY(writeFile(files.last(), simplePng(2, 2)));
        }
        QPointer<BatchWindow> running = controller.newBatchWindow();
        running->processor()->addFiles(files);
        running->processor()->comments()->insertObject(commentsFrom({ "K=v" }).first(), -1);
        RunPacer pacer;
        running->processor()->setGroupFiles(1);
        running->processor()->setFileObserver(pacer.observer());
        running->run();
        QVERIFY(pacer.waitForFile());

        // Each quit is cancelled at one question; the questions asked before it changed nothing.
        const QString stop = localizedString("StopBatchAndQuit");
        const QString save = localizedString("SaveChangesQuery").arg(u"a.png"_qs);
        const QString discard = localizedString("DiscardBatchQuery");
        const QString storeFailed
            = localizedString("StoreSaveFailedAtQuit").arg(localizedString("PresetsSaveFailed")).section(u' ', 0, 3);
        QString cancelAt = discard;
        answers.answerFor = [&](const Prompts::Request &request) {
            if (request.kind == Prompts::Kind::SaveChanges)
                return QVariant(int(Prompts::SaveChoice::Discard));
            return QVariant(!request.text.startsWith(cancelAt));
        };
        for (const QStringList &questions :
            { QStringList { stop, save, discard }, QStringList { stop, save, discard, storeFailed } }) {
            answers.asked.clear();
            menuItem(unchanged, "quitAction")->trigger();
            QTRY_COMPARE(answers.asked.size(), questions.size());
            for (qsizetype i = 0; i < questions.size(); ++i)
                QVERIFY2(answers.asked[i].text.startsWith(questions[i]), qPrintable(answers.asked[i].text));
            QTest::qWait(20);
            for (QWidget *window : QList<QWidget *> { document, unchanged, batch, running })
                QVERIFY(window && window->isVisible());
            QVERIFY(document->document()->isModified() && running->processor()->isRunning());
            cancelAt = storeFailed;
        }

        // All agreed: the presets are written, the windows go, the running one after its file.
        QVERIFY(QDir(presetsFile).removeRecursively());
        cancelAt = QStringLiteral("-");
        menuItem(unchanged, "quitAction")->trigger();
        QTRY_VERIFY(document.isNull() && unchanged.isNull() && batch.isNull());
        QVERIFY(QFileInfo(presetsFile).isFile());
        QVERIFY(!presets->isVisible() && running);
        pacer.letGo(10);
        QTRY_VERIFY(running.isNull());
        QCOMPARE(fileComments(files[0]), QStringList { "K=v" });
        QCOMPARE(fileComments(files.last()), QStringList {});
    }

    void importAndExportOnlyWithAListInFront()
    {
        Answers answers;
        AppController controller;
        QAction *import = nullptr;
        DocumentWindow *document = controller.openFiles({ m_a }).first();
        import = menuItem(document, QStringLiteral("importAction"));
        QAction *exportItem = menuItem(document, QStringLiteral("exportAction"));
        QVERIFY(activate(document));
        QVERIFY(import->isEnabled() && exportItem->isEnabled());
        PresetEditorWindow *presets = controller.showPresetEditor();
        QVERIFY(activate(presets));
        QVERIFY(!import->isEnabled() && !exportItem->isEnabled());
        BatchWindow *batch = controller.newBatchWindow();
        QVERIFY(activate(batch));
        QVERIFY(import->isEnabled() && exportItem->isEnabled());
        TemplateEditorWindow *templates = controller.showTemplateEditor();
        QVERIFY(activate(templates));
        QVERIFY(!import->isEnabled());
        // Triggered anyway (a shortcut racing the focus): nothing is asked.
        QVERIFY(!controller.importMetadata(templates));
        QVERIFY(!controller.exportMetadata(templates));
        QVERIFY(answers.asked.isEmpty());
    }

    // The wiring of File ▸ Export and Import: a document's filtered list out as CSV (the
    // separator asked), into another document.
    void roundTrip()
    {
        const QString name = QStringLiteral("out");
        const int format = int(MetadataFormat::Csv);
        Answers answers;
        answers.csvAnswer = QStringLiteral("TAB CHARACTER");
        AppController controller;
        const auto windows = controller.openFiles({ m_a, m_b });
        windows[0]->document()->setSearchText(QStringLiteral("Tit"));
        const QString typed = m_dir->filePath(name);
        answers.exportAnswer = { typed, format };
        QVERIFY(controller.exportMetadata(windows[0]));
        const QString written = exportPathFor(typed, MetadataFormat(format));
        QVERIFY(QFile::exists(written));
        // The export dialog suggested the document's name with the last format.
        QCOMPARE(answers.last(Prompts::Kind::ExportMetadata)->text, m_dir->filePath(QStringLiteral("a.velmx")));
        const bool csv = metadataFormatForPath(written) == MetadataFormat::Csv;
        QCOMPARE(answers.kinds().contains(Prompts::Kind::CsvOptions), csv);
        QCOMPARE(AppSettings::exportFormat(), metadataFormatForPath(written));

        answers.asked.clear();
        answers.importAnswer = { written, false, false };
        QVERIFY(controller.importMetadata(windows[1]));
        QCOMPARE(describe(windows[1]->document()->comments()), QStringList({ "Keep=me", "Title=Dusk" }));
        QCOMPARE(answers.kinds().contains(Prompts::Kind::CsvOptions), csv);
        QVERIFY(windows[1]->document()->isModified());
    }

    void importChoicesAreRemembered()
    {
        Answers answers;
        AppController controller;
        DocumentWindow *window = controller.openFiles({ m_b }).first();
        const QString file = m_dir->filePath(QStringLiteral("in.velmx"));
        CommentListOwner source;
        source.resetComments(commentsFrom({ "Keep=new", "Other=x" }));
        QVERIFY(exportMetadata(source, file, u',', nullptr));

        answers.importAnswer = { file, false, true };
        QVERIFY(controller.importMetadata(window));
        QCOMPARE(describe(window->document()->comments()), QStringList({ "Keep=new", "Other=x" }));
        QCOMPARE(answers.last(Prompts::Kind::ImportMetadata)->options, QVariantList({ false, false }));
        // The next import dialog starts with the boxes as they were left.
        answers.importAnswer = { file, true, true };
        QVERIFY(controller.importMetadata(window));
        QCOMPARE(answers.last(Prompts::Kind::ImportMetadata)->options, QVariantList({ false, true }));
        QCOMPARE(describe(window->document()->comments()), QStringList({ "Keep=new", "Other=x" }));
        QVERIFY(AppSettings::importClearExistingMetadata() && AppSettings::importEnforceUniqueKeywords());
    }

    // Edit ▸ Search in Texts is one preference: every document follows it, and the next
    // session starts with it.
    void searchInTextsIsRemembered()
    {
        Answers answers;
        {
            AppController controller;
            const auto windows = controller.openFiles({ m_a, m_b });
            windows[0]->document()->setSearchText(QStringLiteral("DUSK"));
            QCOMPARE(windows[0]->document()->rowCount(), 0);
            menuItem(windows[0], QStringLiteral("searchInTextsAction"))->trigger();
            QCOMPARE(describe(windows[0]->document()->comments()), QStringList({ "Title=Dusk" }));
            QVERIFY(menuItem(windows[1], QStringLiteral("searchInTextsAction"))->isChecked());
            QCOMPARE(accessibleName(windows[1]->findChild<QWidget *>(QStringLiteral("searchField"))),
                localizedString("SearchKeywordsAndTexts"));
        }
        AppController controller;
        QVERIFY(controller.openFiles({ m_a }).first()->document()->searchesInTexts());
    }

    void csvExportNamesWhatItCannotCarry()
    {
        Answers answers;
        AppController controller;
        DocumentWindow *window = controller.openFiles({ m_b }).first();
        window->document()->addText(QStringLiteral("Smith, John"), QStringLiteral("Author"));
        const QString out = m_dir->filePath(QStringLiteral("out.csv"));
        answers.exportAnswer = { out, int(MetadataFormat::Csv) };
        answers.confirm = false;
        QVERIFY(!controller.exportMetadata(window));
        QVERIFY(!QFile::exists(out));
        const Prompts::Request *warning = answers.last(Prompts::Kind::Confirm);
        QVERIFY(warning && warning->detail.contains(u"Author"_qs) && !warning->detail.contains(u"Keep"_qs));

        // Another separator carries it: no question.
        answers.asked.clear();
        answers.csvAnswer = QStringLiteral("TAB CHARACTER");
        QVERIFY(controller.exportMetadata(window));
        QVERIFY(!answers.kinds().contains(Prompts::Kind::Confirm));
        QCOMPARE(readFile(out), QByteArray("\"Keep\"\t\"me\"\n\"Author\"\t\"Smith, John\"\n"));

        // Written anyway when the user says so.
        answers.csvAnswer = QStringLiteral(",");
        answers.confirm = true;
        QVERIFY(controller.exportMetadata(window));
        QVERIFY(readFile(out).startsWith("\"Keep\",\"me\"\n"));
    }

    void exportFailureSaysWhy()
    {
        Answers answers;
        AppController controller;
        DocumentWindow *window = controller.openFiles({ m_b }).first();
        answers.exportAnswer = { m_dir->filePath(QStringLiteral("no/such/out.velmx")), int(MetadataFormat::Velmx) };
        QVERIFY(!controller.exportMetadata(window));
        const Prompts::Request *error = answers.last(Prompts::Kind::Error);
        QVERIFY(error && error->text.contains(u"out.velmx"_qs) && !error->detail.isEmpty());
    }

    void batchWindowImportsAndExportsItsWholeList()
    {
        Answers answers;
        AppController controller;
        BatchWindow *batch = controller.newBatchWindow();
        const QString file = m_dir->filePath(QStringLiteral("in.velmx"));
        CommentListOwner source;
        source.resetComments(commentsFrom({ "Title=%FILENAME%", "Author=Ann" }));
        QVERIFY(exportMetadata(source, file, u',', nullptr));
        answers.importAnswer = { file, false, false };
        QVERIFY(controller.importMetadata(batch));
        // The batch keeps macros for each file.
        QCOMPARE(
            describe(batch->processor()->comments()->comments()), QStringList({ "Title=%FILENAME%", "Author=Ann" }));
        const QString out = m_dir->filePath(QStringLiteral("batch.velmx"));
        answers.exportAnswer = { out, int(MetadataFormat::Velmx) };
        QVERIFY(controller.exportMetadata(batch));
        CommentListOwner back;
        QVERIFY(importMetadata(back, { out, u',', false, false }, nullptr));
        QCOMPARE(describe(back.comments()), QStringList({ "Title=%FILENAME%", "Author=Ann" }));
        // No suggested name: a batch has no file of its own.
        QVERIFY(answers.last(Prompts::Kind::ExportMetadata)->text.isEmpty());
    }

    void unreadableFileSaysWhy()
    {
        Answers answers;
        AppController controller;
        const QString broken = m_dir->filePath(QStringLiteral("truncated.png"));
        const QByteArray whole = simplePng(8, 8, { tEXt("A", "1") });
        QVERIFY(writeFile(broken, whole.left(whole.indexOf("IDAT") + 6)));
        DocumentWindow *window = controller.openFiles({ broken }).first();
        const Prompts::Request *error = answers.last(Prompts::Kind::Error);
        QVERIFY(error);
        QVERIFY(error->text.contains(u"truncated.png"_qs));
        QVERIFY(!error->detail.isEmpty());
        QCOMPARE(error->detail, asSentence(window->loadError()));
        QVERIFY(error->detail.front().isUpper() && error->detail.endsWith(u'.'));
        auto *label = window->findChild<QLabel *>(QStringLiteral("loadErrorLabel"));
        QVERIFY(label && label->isVisible() && label->text().contains(window->loadError()));
        // The entries before the damage shown, nothing to edit, nothing sound to save.
        QCOMPARE(window->document()->rowCount(), 1);
        for (const char *name : { "addAction", "deleteAllAction", "pasteAction", "saveAction" })
            QVERIFY2(!menuItem(window, name)->isEnabled(), name);
        QVERIFY(!menuItem(window, QStringLiteral("saveAsAction"))->isEnabled());
        const QByteArray before = readFile(broken);
        window->document()->addText(QStringLiteral("x"), QStringLiteral("Y"));
        QVERIFY(!window->save());
        QCOMPARE(readFile(broken), before);
        // Not a file to offer again.
        QVERIFY(!AppSettings::recentFiles().contains(broken));

        // Mended on disk and read again: the reason goes, saving comes back.
        QVERIFY(writeFile(broken, simplePng(8, 8)));
        answers.asked.clear();
        window->document()->setModified(false);
        window->revert();
        QVERIFY(window->loadError().isEmpty());
        QVERIFY(!label->isVisible());
        QVERIFY(menuItem(window, QStringLiteral("saveAction"))->isEnabled());
        QVERIFY(menuItem(window, QStringLiteral("saveAsAction"))->isEnabled());
    }

    void startWindow()
    {
        Answers answers;
        AppSettings::addRecentFile(m_b);
        AppSettings::addRecentFile(m_a);
        {
            AppController controller;
            QPointer<StartWindow> start = controller.showStartWindow();
            auto *recent = start->findChild<QListWidget *>(QStringLiteral("recentFilesList"));
            QCOMPARE(recent->count(), 2);
            QVERIFY(recent->item(0)->text().startsWith(u"a.png"_qs));
            // Open… cancelled: the start window stays.
            start->findChild<QPushButton *>(QStringLiteral("openButton"))->click();
            QCOMPARE(answers.kinds(), QList<Prompts::Kind> { Prompts::Kind::OpenFiles });
            QVERIFY(start && start->isVisible());
            // The editors open beside it.
            start->findChild<QPushButton *>(QStringLiteral("presetEditorButton"))->click();
            start->findChild<QPushButton *>(QStringLiteral("templateEditorButton"))->click();
            QVERIFY(controller.presetEditor()->isVisible() && controller.templateEditor()->isVisible());
            QVERIFY(start->isVisible());
            // A recent file opens, and the start window goes.
            emit recent->itemActivated(recent->item(1));
            QCOMPARE(controller.windows().size(), 1);
            QCOMPARE(controller.windows().first()->document()->path(), QFileInfo(m_b).canonicalFilePath());
            QTRY_VERIFY(start.isNull());
        }
        {
            AppController controller;
            QPointer<StartWindow> start = controller.showStartWindow();
            start->findChild<QPushButton *>(QStringLiteral("batchButton"))->click();
            QCOMPARE(controller.batchWindows().size(), 1);
            QTRY_VERIFY(start.isNull());
        }
    }

    void recentFilesMenu()
    {
        Answers answers;
        AppController controller;
        DocumentWindow *window = controller.openFiles({ m_a }).first();
        controller.openFiles({ m_b });
        QCOMPARE(AppSettings::recentFiles(),
            QStringList({ QFileInfo(m_b).canonicalFilePath(), QFileInfo(m_a).canonicalFilePath() }));
        QMenu *recent = window->findChild<QMenu *>(QStringLiteral("openRecentMenu"));
        emit recent->aboutToShow();
        QCOMPARE(recent->actions().at(0)->text(), u"&1 b.png"_qs);
        QCOMPARE(recent->actions().at(1)->text(), u"&2 a.png"_qs);
        // Chosen from the menu of another window, a closed one opens again.
        window->close();
        QTRY_COMPARE(controller.windows().size(), 1);
        recent = controller.windows().first()->findChild<QMenu *>(QStringLiteral("openRecentMenu"));
        emit recent->aboutToShow();
        QCOMPARE(recent->actions().at(1)->text(), u"&2 a.png"_qs);
        recent->actions().at(1)->trigger();
        QCOMPARE(controller.windows().size(), 2);
        QAction *clear = menuItem(controller.windows().last(), QStringLiteral("clearRecentAction"));
        QVERIFY(clear && clear->isEnabled());
        clear->trigger();
        QVERIFY(AppSettings::recentFiles().isEmpty());
        QMenu *other = controller.windows().last()->findChild<QMenu *>(QStringLiteral("openRecentMenu"));
        emit other->aboutToShow();
        QCOMPARE(other->actions().first()->text(), localizedString("NoRecentFiles"));
        QVERIFY(!other->actions().first()->isEnabled());
    }

    void savedAsIsRecent()
    {
        Answers answers;
        AppController controller;
        DocumentWindow *window = controller.openFiles({ m_a }).first();
        const QString copy = m_dir->filePath(QStringLiteral("copy.png"));
        Prompts::setHandler([&](const Prompts::Request &request) {
            return request.kind == Prompts::Kind::SaveFile ? QVariant(copy) : QVariant();
        });
        QVERIFY(window->saveAs());
        QCOMPARE(AppSettings::recentFiles().first(), QFileInfo(copy).canonicalFilePath());
    }

    // Tab goes through a window's controls in the order they are laid out.
    void tabOrderFollowsTheLayout()
    {
        Answers answers;
        AppController controller;
        const auto chain = [](QWidget *window, const QStringList &names) {
            QStringList seen;
            QWidget *w = window->findChild<QWidget *>(names.first());
            for (int i = 0; w && i < 200 && seen.size() < names.size(); ++i, w = w->nextInFocusChain()) {
                if (names.contains(w->objectName()) && !seen.contains(w->objectName()))
                    seen << w->objectName();
            }
            return seen;
        };
        DocumentWindow *document = controller.openFiles({ m_a }).first();
        const QStringList documentOrder { "searchField", "commentsTable", "addButton", "removeButton", "presetsButton",
            "templatesButton", "commentEditorButton" };
        QCOMPARE(chain(document, documentOrder), documentOrder);
        StartWindow *start = controller.showStartWindow();
        const QStringList startOrder { "openButton", "recentFilesList", "batchButton", "presetEditorButton",
            "templateEditorButton" };
        QCOMPARE(chain(start, startOrder), startOrder);
    }

    void droppedPngFilesOpen()
    {
        Answers answers;
        AppController controller;
        BatchWindow *batch = controller.newBatchWindow();
        const QString text = m_dir->filePath(QStringLiteral("notes.txt"));
        const QString upper = m_dir->filePath(QStringLiteral("UPPER.PNG"));
        QVERIFY(writeFile(text, "x"));
        QVERIFY(writeFile(upper, simplePng(2, 2)));
        QMimeData mime;
        mime.setUrls({ QUrl::fromLocalFile(m_a), QUrl::fromLocalFile(text), QUrl::fromLocalFile(upper) });
        QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(batch, &enter);
        QVERIFY(enter.isAccepted());
        QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(batch, &drop);
        QVERIFY(drop.isAccepted());
        QTRY_COMPARE(controller.windows().size(), 2);
        // Dropped again: the same windows come to the front.
        QDropEvent again(QPointF(5, 5), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(controller.windows().first(), &again);
        QTest::qWait(20);
        QCOMPARE(controller.windows().size(), 2);
        // Nothing a PNG: not taken.
        QMimeData other;
        other.setUrls({ QUrl::fromLocalFile(text) });
        QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &other, Qt::LeftButton, Qt::NoModifier);
        refused.ignore();
        QCoreApplication::sendEvent(batch, &refused);
        QVERIFY(!refused.isAccepted());
    }

    void windowStateIsRemembered()
    {
        Answers answers;
        QList<int> sizes;
        {
            AppController controller;
            DocumentWindow *window = controller.openFiles({ m_a }).first();
            window->resize(777, 511);
            auto *splitter = window->findChild<QSplitter *>(QStringLiteral("splitter"));
            splitter->setSizes({ 200, 500 });
            sizes = splitter->sizes();
            window->pane()->table()->horizontalHeader()->resizeSection(0, 123);
            window->close();
        }
        AppController controller;
        DocumentWindow *window = controller.openFiles({ m_b }).first();
        QCOMPARE(window->size(), QSize(777, 511));
        QCOMPARE(window->findChild<QSplitter *>(QStringLiteral("splitter"))->sizes(), sizes);
        QCOMPARE(window->pane()->table()->horizontalHeader()->sectionSize(0), 123);
        // Another kind of window keeps its own.
        BatchWindow *batch = controller.newBatchWindow();
        QVERIFY(batch->size() != QSize(777, 511));
    }

    void aboutAndHomePage()
    {
        Answers answers;
        AppController controller;
        QCoreApplication::setApplicationVersion(QStringLiteral("9.8.7"));
        controller.openFiles({ m_a });
        menuItem(controller.windows().first(), QStringLiteral("aboutAction"))->trigger();
        const Prompts::Request *about = answers.last(Prompts::Kind::About);
        QVERIFY(about);
        QVERIFY(about->text.contains(u"9.8.7"_qs));
        for (const QString &part : { u"MIT"_qs, QString::fromLatin1(qVersion()), libpngRuntimeVersion(),
                 zlibRuntimeVersion(), u"libpng"_qs, u"zlib"_qs })
            QVERIFY2(about->detail.contains(part), qPrintable(part));
        QVERIFY(QRegularExpression(u"^1\\.6\\.\\d+"_qs).match(libpngRuntimeVersion()).hasMatch());
        QVERIFY(QRegularExpression(u"^1\\.\\d+"_qs).match(zlibRuntimeVersion()).hasMatch());

        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
        menuItem(controller.windows().first(), QStringLiteral("homePageAction"))->trigger();
        menuItem(controller.windows().first(), QStringLiteral("supportAction"))->trigger();
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QCOMPARE(catcher.opened, QList<QUrl>({ AppController::homePage(), AppController::supportPage() }));
    }

    // The CSV options dialogue: typed texts are cut to one character, the named choices stay.
    void csvOptionsDialogue()
    {
        CsvOptionsDialog dialog;
        auto *combo = dialog.findChild<QComboBox *>(QStringLiteral("csvSeparatorCombo"));
        QVERIFY(combo && combo->isEditable());
        combo->setEditText(QString());
        QTest::keyClicks(combo->lineEdit(), QStringLiteral(";|"));
        QCOMPARE(dialog.separatorText(), u";"_qs);
        combo->setCurrentIndex(combo->findText(QStringLiteral("TAB CHARACTER")));
        QCOMPARE(dialog.separatorText(), u"TAB CHARACTER"_qs);
        QCOMPARE(CsvSeparatorChoice::separatorFromText(dialog.separatorText()), QChar(u'\t'));
        QVERIFY(combo->findText(QStringLiteral("SPACE CHARACTER")) >= 0);
        QVERIFY(!accessibleName(combo).isEmpty());
    }

    // The export dialog's type list and the typed name follow each other.
    void exportDialogKeepsFormatAndNameInStep()
    {
        ExportMetadataDialog dialog(nullptr, m_dir->filePath(QStringLiteral("a.velmx")), MetadataFormat::Velmx);
        QCOMPARE(dialog.format(), MetadataFormat::Velmx);
        QCOMPARE(dialog.typedName(), u"a.velmx"_qs);
        QCOMPARE(dialog.defaultSuffix(), u"velmx"_qs);
        dialog.chooseFormat(MetadataFormat::Csv);
        QCOMPARE(dialog.typedName(), u"a.csv"_qs);
        QCOMPARE(dialog.defaultSuffix(), u"csv"_qs);
        dialog.setTypedName(QStringLiteral("b.VELMX"));
        QCOMPARE(dialog.format(), MetadataFormat::Velmx);
        QCOMPARE(dialog.defaultSuffix(), u"velmx"_qs);
        dialog.setTypedName(QStringLiteral("c"));
        QCOMPARE(dialog.format(), MetadataFormat::Velmx);

        ImportMetadataDialog import(nullptr, true, false);
        QVERIFY(import.findChild<QCheckBox *>(QStringLiteral("clearExistingCheckbox"))->isChecked());
        QVERIFY(!import.findChild<QCheckBox *>(QStringLiteral("enforceUniqueKeywordsCheckbox"))->isChecked());
        QVERIFY(import.clearExisting() && !import.enforceUniqueKeywords());
    }

    // Where a control's name is not enough, a description.
    void controlsDescribed()
    {
        Answers answers;
        AppController controller;
        controller.openFiles({ m_a });
        DocumentWindow *document = controller.windows().first();
        for (const char *name : { "addButton", "removeButton", "searchField", "imageView" }) {
            QAccessibleInterface *face
                = QAccessible::queryAccessibleInterface(document->findChild<QWidget *>(QString::fromLatin1(name)));
            QVERIFY2(face, name);
            QVERIFY2(!face->text(QAccessible::Name).isEmpty(), name);
            QVERIFY2(!face->text(QAccessible::Description).isEmpty() || QByteArray(name) == "imageView", name);
        }
        QCOMPARE(accessibleName(document->findChild<QWidget *>(QStringLiteral("addButton"))),
            localizedString("AddComment").remove(u'&'));
    }

    void oneWindowPerFile()
    {
        PromptAnswers answers; // the unreadable file's dialog
        AppController controller;
        const auto windows = controller.openFiles({ m_a, m_b, m_dir->filePath(QStringLiteral("missing.png")) });
        QCOMPARE(windows.size(), 3);
        QCOMPARE(windows[0]->windowTitle(), QStringLiteral("a.png[*]"));
        QCOMPARE(windows[0]->document()->rowCount(), 2);
        QVERIFY(windows[1]->isVisible());
        // A file that cannot be read still gets its window, and says why.
        QCOMPARE(windows[2]->findChild<QLabel *>(QStringLiteral("imageSizeField"))->text(),
            localizedString("ImageLoadFailed"));
        QCOMPARE(answers.asked.size(), 1);
        QCOMPARE(answers.asked.first().kind, Prompts::Kind::Error);

        // An open file is not opened twice, however its path is spelt.
        const QString sameFile = m_dir->path() + QStringLiteral("/./b.png");
        QCOMPARE(controller.openFiles({ sameFile }), QList<DocumentWindow *> { windows[1] });
        QCOMPARE(controller.windows().size(), 3);

        windows[0]->close();
        QTRY_COMPARE(controller.windows().size(), 2);
        QCOMPARE(controller.openFiles({ m_a }).size(), 1);
        QCOMPARE(controller.windows().size(), 3);
    }

    void openDialog()
    {
        AppController controller;
        QStringList answer;
        int asked = 0;
        Prompts::setHandler([&](const Prompts::Request &request) {
            ++asked;
            return request.kind == Prompts::Kind::OpenFiles ? QVariant(answer) : QVariant();
        });
        QVERIFY(!controller.openWithDialog());
        QVERIFY(controller.windows().isEmpty());

        answer = QStringList { m_a };
        QVERIFY(controller.openWithDialog());
        QCOMPARE(controller.windows().size(), 1);

        // File ▸ Open… of a window asks the controller, several files at once.
        answer = QStringList { m_a, m_b };
        menuItem(controller.windows().first(), "openAction")->trigger();
        QCOMPARE(asked, 3);
        QCOMPARE(controller.windows().size(), 2);
    }

    void editorsFromTheWindowMenu()
    {
        AppController controller;
        DocumentWindow *window = controller.openFiles({ m_a }).first();
        QVERIFY(!controller.presetEditor() && !controller.templateEditor());
        menuItem(window, "presetEditorAction")->trigger();
        menuItem(window, "templateEditorAction")->trigger();
        QPointer<PresetEditorWindow> presets = controller.presetEditor();
        QPointer<TemplateEditorWindow> templates = controller.templateEditor();
        QVERIFY(presets && presets->isVisible());
        QVERIFY(templates && templates->isVisible());

        // Closed and asked for again: the same windows come back.
        presets->close();
        templates->close();
        QCoreApplication::processEvents();
        QVERIFY(presets && templates);
        menuItem(window, "presetEditorAction")->trigger();
        menuItem(window, "templateEditorAction")->trigger();
        QCOMPARE(controller.presetEditor(), presets.data());
        QCOMPARE(controller.templateEditor(), templates.data());
        QVERIFY(presets->isVisible() && templates->isVisible());
    }

    // From a document window: the Preset Editor's ten defaults, an edit the document's
    // Presets menu shows; the Template Editor's Standards, a new template with two entries
    // and the overwrite flag, applied from the document's Templates menu.
    void presetAndTemplateFromADocument()
    {
        Prompts::setHandler([](const Prompts::Request &) { return QVariant(); });
        AppController controller;
        DocumentWindow *window = controller.openFiles({ m_a }).first();
        auto *presetsMenu = window->findChild<StoreMenu *>(QStringLiteral("presetsMenu"));
        auto *templatesMenu = window->findChild<StoreMenu *>(QStringLiteral("templatesMenu"));

        menuItem(window, "presetEditorAction")->trigger();
        PresetEditorWindow *presets = controller.presetEditor();
        QCOMPARE(presets->listModel()->rowCount(), 10);
        presets->editor()->setSelection({ 0 });
        auto *value = presets->findChild<QLineEdit *>(QStringLiteral("valueField"));
        value->selectAll();
        QTest::keyClicks(value, QStringLiteral("Ann"));
        QTest::keyClick(value, Qt::Key_Return);
        QCOMPARE(presetsMenu->actions().first()->text(), u"Author : Ann"_qs);

        menuItem(window, "templateEditorAction")->trigger();
        TemplateEditorWindow *templates = controller.templateEditor();
        QCOMPARE(templates->templatesModel()->rowCount(), 1);
        QCOMPARE(templates->templatesModel()->index(0, 0).data().toString(), u"Standards"_qs);
        templates->newTemplate();
        auto *sheet = templates->findChild<QDialog *>(QStringLiteral("newTemplateSheet"));
        sheet->findChild<QLineEdit *>(QStringLiteral("newTemplateNameField"))->setText(QStringLiteral("Credits"));
        sheet->findChild<QPushButton *>(QStringLiteral("okButton"))->click();
        QCOMPARE(templatesMenu->actions().size(), 2);
        const TemplatePtr credits = controller.templateStore()->currentTemplate();
        QCOMPARE(credits->name(), u"Credits"_qs);
        controller.templateStore()->editedTemplate()->addText(QStringLiteral("Ann"), QStringLiteral("Author"));
        controller.templateStore()->editedTemplate()->addText(QStringLiteral("Bob"), QStringLiteral("Author"));
        templates->findChild<QCheckBox *>(QStringLiteral("overwriteDuplicatesCheckbox"))->click();

        templatesMenu->actions().at(1)->trigger();
        // Overwriting: the second Author replaces both the file's and the first one.
        QCOMPARE(describe(window->document()->comments()), QStringList({ "Title=Dusk", "Author=Bob" }));
        Prompts::setHandler({});
    }

    void editsSurviveQuitting()
    {
        // The editors are open, with typing in a field, when the application quits.
        const QString presetsFile = m_home.filePath(QStringLiteral("config/org.velmora.Velmora.MetadataPresets"));
        const QString standards = m_home.filePath(QStringLiteral("data/Velmora/Templates/Standards"));
        QFile::remove(presetsFile);
        {
            AppController controller;
            PresetEditorWindow *presets = controller.showPresetEditor();
            presets->editor()->setSelection({ 9 });
            auto *keyword = presets->findChild<QLineEdit *>(QStringLiteral("keywordField"));
            keyword->setText(QStringLiteral("Warnings"));
            keyword->setModified(true);
            TemplateEditorWindow *templates = controller.showTemplateEditor();
            const int row = standardsRow(controller);
            templates->templatesTable()->selectRow(row);
            QCOMPARE(controller.templateStore()->currentRow(), row);
            templates->findChild<QCheckBox *>(QStringLiteral("clearAllCheckbox"))->click();

            // Ended from outside (the session, a signal): no window is asked to close.
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
            QCoreApplication::exec();
            QVERIFY(presets->isVisible() && templates->isVisible());
        }
        QVERIFY(readFile(presetsFile).contains("keyword=\"Warnings\""));
        QVERIFY(readFile(standards).contains("ClearsAllWhenApplied=\"YES\""));

        // Hidden editors write nothing at quit.
        {
            AppController controller;
            TemplateEditorWindow *templates = controller.showTemplateEditor();
            templates->templatesTable()->selectRow(standardsRow(controller));
            templates->close();
            controller.templateStore()->editedTemplate()->editClearAll(false);
            QVERIFY(controller.applicationWillQuit());
        }
        QVERIFY(readFile(standards).contains("ClearsAllWhenApplied=\"YES\""));
    }

    void newBatchWindowEachTime()
    {
        PromptAnswers answers;
        answers.answer = true; // closing with a comment asks
        AppController controller;
        DocumentWindow *document = controller.openFiles({ m_a }).first();
        auto *newBatch = menuItem(document, "newBatchWindowAction");
        QVERIFY(newBatch);
        newBatch->trigger();
        newBatch->trigger();
        const QList<BatchWindow *> batches = controller.batchWindows();
        QCOMPARE(batches.size(), 2);
        QVERIFY(batches[0] != batches[1]);
        QVERIFY(batches[1]->isVisible());
        // Told apart in the Window menu by their numbers; a new one takes the lowest free.
        QCOMPARE(batches[0]->windowTitle(), localizedString("BatchWindowTitle"));
        QCOMPARE(batches[1]->windowTitle(), u"Batch Processing 2"_qs);
        // Independent lists, empty at first.
        QCOMPARE(batches[0]->processor()->addFiles({ m_a, m_b }), 2);
        QCOMPARE(batches[1]->processor()->files()->count(), 0);
        // Closing one frees it and its comment editor panel; the others stay.
        QPointer<BatchWindow> closing = batches[0];
        closing->processor()->comments()->addMetadataField();
        closing->pane()->table()->selectRow(0);
        closing->pane()->openCommentEditor();
        QPointer<CommentEditorPanel> panel = closing->pane()->commentEditor();
        QVERIFY(panel);
        closing->close();
        QTRY_VERIFY(closing.isNull());
        QVERIFY(panel.isNull());
        QCOMPARE(answers.texts(), QStringList { localizedString("DiscardBatchQuery") });
        QCOMPARE(controller.batchWindows().size(), 1);
        QCOMPARE(controller.windows().size(), 1);
        newBatch->trigger();
        QCOMPARE(controller.batchWindows().last()->windowTitle(), localizedString("BatchWindowTitle"));
        newBatch->trigger();
        QCOMPARE(controller.batchWindows().last()->windowTitle(), u"Batch Processing 3"_qs);
    }

private:
    static int standardsRow(const AppController &controller)
    {
        const TemplateEditor *store = controller.templateStore();
        return int(store->indexOfTemplate(store->templateWithName(QStringLiteral("Standards"))));
    }

    QTemporaryDir m_home;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_a;
    QString m_b;
};

QTEST_MAIN(tst_AppController)
#include "tst_AppController.moc"
