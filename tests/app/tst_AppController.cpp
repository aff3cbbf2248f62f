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
#include "document/widgets/DocumentWindow.h"
#include "presets/MetadataPresetManager.h"
#include "presets/PresetEditor.h"
#include "presets/widgets/PresetEditorWindow.h"
#include "shell/AppSettings.h"
#include "templates/TemplateEditor.h"
#include "templates/widgets/TemplateEditorWindow.h"
#include "windowkit/CommentEditorPanel.h"
#include "windowkit/CommentListPane.h"
#include "windowkit/StoreMenu.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDesktopServices>
#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSettings>
#include <QSplitter>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace TestSupport;
using namespace WindowTestSupport;

namespace {

// Answers the dialogs: the CSV options with a comma, the confirmations with yes.
struct Answers : PromptAnswers
{
    Answers() { byKind = { { Prompts::Kind::CsvOptions, u","_qs }, { Prompts::Kind::Confirm, true } }; }
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

    // The menus and the Tab order of every window (tst_Translations walks every window and
    // dialog for the keyboard and the screen reader, in every language); a new batch window
    // each time.
    void menusOfEveryWindow()
    {
        Answers answers;
        AppController controller;
        QPointer<StartWindow> start = controller.showStartWindow();
        QCOMPARE(menuTitles(start), QStringList({ "File", "Window", "Help" }));
        // Tab goes through a window's controls in the order they are laid out.
        const auto chain = [](QWidget *window, const QStringList &names) {
            QStringList seen;
            QWidget *w = window->findChild<QWidget *>(names.first());
            for (int i = 0; w && i < 200 && seen.size() < names.size(); ++i, w = w->nextInFocusChain()) {
                if (names.contains(w->objectName()) && !seen.contains(w->objectName()))
                    seen << w->objectName();
            }
            return seen;
        };
        const QStringList startOrder { "openButton", "recentFilesList", "batchButton", "presetEditorButton",
            "templateEditorButton" };
        QCOMPARE(chain(start, startOrder), startOrder);
        start->findChild<QPushButton *>(QStringLiteral("batchButton"))->click();
        QTRY_VERIFY(start.isNull());
        DocumentWindow *document = controller.openFiles({ m_a }).first();
        const QStringList documentOrder { "searchField", "commentsTable", "addButton", "removeButton", "presetsButton",
            "templatesButton", "commentEditorButton" };
        QCOMPARE(chain(document, documentOrder), documentOrder);
        // Where a control's name is not enough, a description.
        for (const char *name : { "addButton", "removeButton", "searchField" }) {
            QAccessibleInterface *face
                = QAccessible::queryAccessibleInterface(document->findChild<QWidget *>(QString::fromLatin1(name)));
            QVERIFY2(!face->text(QAccessible::Description).isEmpty(), name);
        }
        BatchWindow *batch = controller.batchWindows().first();
        PresetEditorWindow *presets = controller.showPresetEditor();
        TemplateEditorWindow *templates = controller.showTemplateEditor();

        QCOMPARE(menuTitles(document),
            QStringList({ "File", "Edit", "Comments", "Presets", "Templates", "Details", "Window", "Help" }));
        QCOMPARE(menuTitles(batch),
            QStringList({ "File", "Edit", "Comments", "Presets", "Templates", "Batch", "Window", "Help" }));
        QCOMPARE(menuTitles(presets), QStringList({ "File", "Edit", "Preset", "Window", "Help" }));
        QCOMPARE(menuTitles(templates),
            QStringList({ "File", "Edit", "Comments", "Presets", "Template", "Window", "Help" }));

        // The Window menu lists the open windows, the one in front checked; chosen, one comes
        // to the front.
        QVERIFY(activate(batch));
        QMenu *windowMenu = document->findChild<QMenu *>(QStringLiteral("windowMenu"));
        emit windowMenu->aboutToShow();
        QStringList listed;
        for (QAction *item : windowMenu->actions()) {
            if (item->isCheckable())
                listed << item->text() + (item->isChecked() ? u" *"_qs : QString());
        }
        QCOMPARE(listed.size(), 4);
        QVERIFY(listed.contains(u"a.png"_qs) && listed.contains(presets->windowTitle()));
        QVERIFY(listed.contains(batch->windowTitle().remove(u"[*]"_qs) + u" *"_qs));
        for (QAction *item : windowMenu->actions()) {
            if (item->text() == u"a.png"_qs)
                item->trigger();
        }
        QTRY_COMPARE(QApplication::activeWindow(), document);

        // Help: About names the version and the libraries; the web pages open in the browser.
        QCoreApplication::setApplicationVersion(QStringLiteral("9.8.7"));
        trigger(document, "aboutAction");
        const Prompts::Request about = answers.of(Prompts::Kind::About).last();
        QVERIFY(about.text.contains(u"9.8.7"_qs));
        for (const QString &part : { u"MIT"_qs, QString::fromLatin1(qVersion()), libpngRuntimeVersion(),
                 zlibRuntimeVersion(), u"libpng"_qs, u"zlib"_qs })
            QVERIFY2(about.detail.contains(part), qPrintable(part));
        UrlCatcher catcher;
        QDesktopServices::setUrlHandler(QStringLiteral("https"), &catcher, "open");
        trigger(document, "homePageAction");
        trigger(document, "supportAction");
        QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
        QCOMPARE(catcher.opened, QList<QUrl>({ AppController::homePage(), AppController::supportPage() }));

        // A new batch window each time, told apart by its number, the lowest free; closing one
        // with a comment asks, and frees its number.
        trigger(document, "newBatchWindowAction");
        QCOMPARE(controller.batchWindows().last()->windowTitle(), u"Batch Processing 2"_qs);
        answers.asked.clear();
        batch->processor()->comments()->addMetadataField();
        batch->close();
        QTRY_COMPARE(controller.batchWindows().size(), 1);
        QCOMPARE(answers.texts(), QStringList { localizedString("DiscardBatchQuery") });
        trigger(document, "newBatchWindowAction");
        QCOMPARE(controller.batchWindows().last()->windowTitle(), localizedString("BatchWindowTitle"));

        // From a document window's Window menu: an edit in the Preset Editor shows in the
        // document's Presets menu; a new template of the Template Editor is applied from its
        // Templates menu. Closed and asked for again, the same editors come back.
        auto *presetsMenu = document->findChild<StoreMenu *>(QStringLiteral("presetsMenu"));
        auto *templatesMenu = document->findChild<StoreMenu *>(QStringLiteral("templatesMenu"));

        presets->editor()->setSelection({ 0 });
        presets->editor()->endEditing(PresetEditor::Field::Value, QStringLiteral("Ann"));
        QCOMPARE(presetsMenu->actions().first()->text(), u"Author : Ann"_qs);
        QVERIFY(controller.templateStore()->createTemplate(QStringLiteral("Credits")));
        controller.templateStore()->editedTemplate()->addText(QStringLiteral("Bob"), QStringLiteral("Note"));
        templatesMenu->actions().at(1)->trigger();
        QCOMPARE(describe(document->document()->comments()), QStringList({ "Author=Ann", "Title=Dusk", "Note=Bob" }));

        presets->close();
        templates->close();
        QCoreApplication::processEvents();
        trigger(document, "presetEditorAction");
        trigger(document, "templateEditorAction");
        QCOMPARE(controller.presetEditor(), presets);
        QCOMPARE(controller.templateEditor(), templates);
        QVERIFY(presets->isVisible() && templates->isVisible());
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
            trigger(unchanged, "quitAction");
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
        trigger(unchanged, "quitAction");
        QTRY_VERIFY(document.isNull() && unchanged.isNull() && batch.isNull());
        QVERIFY(QFileInfo(presetsFile).isFile());
        QVERIFY(!presets->isVisible() && running);
        pacer.letGo(10);
        QTRY_VERIFY(running.isNull());
    }

    // Import into a document expands its macros, and the next import dialog starts with the
    // boxes as they were left; a batch keeps the macros, and exports its whole list without a
    // suggested name (it has no file of its own); a document exports what its search shows.
    // Both only while a list is in front.
    void importAndExport()
    {
        Answers answers;
        AppController controller;
        DocumentWindow *window = controller.openFiles({ m_b }).first();
        const QString file = m_dir->filePath(QStringLiteral("in.velmx"));
        CommentListOwner source;
        source.resetComments(commentsFrom({ "Keep=%FILENAME%", "Other=x" }));
        QVERIFY(exportMetadata(source, file, u',', nullptr));
        for (const bool clear : { false, true }) {
            answers.byKind[Prompts::Kind::ImportMetadata] = QVariantList { file, clear, true };
            QVERIFY(controller.importMetadata(window));
            QCOMPARE(describe(window->document()->comments()), QStringList({ "Keep=b", "Other=x" }));
            QCOMPARE(answers.of(Prompts::Kind::ImportMetadata).last().options, QVariantList({ false, clear }));
        }
        QVERIFY(window->document()->isModified());
        QVERIFY(AppSettings::importClearExistingMetadata() && AppSettings::importEnforceUniqueKeywords());

        BatchWindow *batch = controller.newBatchWindow();
        QVERIFY(controller.importMetadata(batch));
        QCOMPARE(describe(batch->processor()->comments()->comments()), QStringList({ "Keep=%FILENAME%", "Other=x" }));
        const QString out = m_dir->filePath(QStringLiteral("batch.velmx"));
        answers.byKind[Prompts::Kind::ExportMetadata] = QVariantList { out, int(MetadataFormat::Velmx) };
        QVERIFY(controller.exportMetadata(batch));
        QCOMPARE(readFile(out), readFile(file));
        QVERIFY(answers.of(Prompts::Kind::ExportMetadata).last().text.isEmpty());

        // Export of a document's filtered list: the document's name suggested with the last
        // format; a CSV asks its separator and names the entries it cannot carry.
        window->document()->addText(QStringLiteral("Smith, John"), QStringLiteral("Speaker"));
        window->document()->addText(QStringLiteral("hidden"), QStringLiteral("Title"));
        window->document()->setSearchText(QStringLiteral("ke"));
        const QString csv = m_dir->filePath(QStringLiteral("out.csv"));
        answers.byKind[Prompts::Kind::ExportMetadata] = QVariantList { csv, int(MetadataFormat::Csv) };
        answers.byKind[Prompts::Kind::Confirm] = false;
        QVERIFY(!controller.exportMetadata(window));
        QVERIFY(!QFile::exists(csv));
        QCOMPARE(answers.of(Prompts::Kind::ExportMetadata).last().text, m_dir->filePath(QStringLiteral("b.velmx")));
        const Prompts::Request warning = answers.of(Prompts::Kind::Confirm).last();
        QVERIFY(warning.detail.contains(u"Speaker"_qs) && !warning.detail.contains(u"Keep"_qs));

        // Another separator carries it: no question.
        answers.asked.clear();
        answers.byKind[Prompts::Kind::CsvOptions] = QStringLiteral("TAB CHARACTER");
        QVERIFY(controller.exportMetadata(window));
        QVERIFY(answers.of(Prompts::Kind::Confirm).isEmpty());
        QCOMPARE(readFile(csv), QByteArray("\"Keep\"\t\"b\"\n\"Speaker\"\t\"Smith, John\"\n"));
        QCOMPARE(AppSettings::exportFormat(), MetadataFormat::Csv);

        // Written anyway when the user says so.
        answers.byKind[Prompts::Kind::CsvOptions] = QStringLiteral(",");
        answers.byKind[Prompts::Kind::Confirm] = true;
        QVERIFY(controller.exportMetadata(window));
        QVERIFY(readFile(csv).startsWith("\"Keep\",\"b\"\n"));

        answers.byKind[Prompts::Kind::ExportMetadata]
            = QVariantList { m_dir->filePath(QStringLiteral("no/such/out.velmx")), int(MetadataFormat::Velmx) };
        QVERIFY(!controller.exportMetadata(window));
        const Prompts::Request error = answers.of(Prompts::Kind::Error).last();
        QVERIFY(error.text.contains(u"out.velmx"_qs) && !error.detail.isEmpty());

        // Only with a list in front: not with an editor, and triggered anyway (a shortcut racing
        // the focus) nothing is asked.
        const auto on = [&](QWidget *front) {
            return activate(front) && isEnabled(window, "importAction") && isEnabled(window, "exportAction");
        };
        QVERIFY(on(window) && on(batch));
        QVERIFY(!on(controller.showPresetEditor()));
        TemplateEditorWindow *templates = controller.showTemplateEditor();
        QVERIFY(!on(templates));
        answers.asked.clear();
        QVERIFY(!controller.importMetadata(templates) && !controller.exportMetadata(templates));
        QVERIFY(answers.asked.isEmpty());
    }

    // The start window's recent files and buttons; File ▸ Open… and Open Recent of every window.
    void startWindow()
    {
        Answers answers;
        AppSettings::addRecentFile(m_b);
        AppSettings::addRecentFile(m_a);
        AppController controller;
        QPointer<StartWindow> start = controller.showStartWindow();
        auto *recent = start->findChild<QListWidget *>(QStringLiteral("recentFilesList"));
        QCOMPARE(recent->count(), 2);
        QVERIFY(recent->item(0)->text().startsWith(u"a.png"_qs));
        // Open… cancelled: the start window stays.
        start->findChild<QPushButton *>(QStringLiteral("openButton"))->click();
        QCOMPARE(answers.asked.size(), 1);
        QCOMPARE(answers.asked[0].kind, Prompts::Kind::OpenFiles);
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
        // File ▸ Open… of a window asks the controller, several files at once.
        answers.byKind[Prompts::Kind::OpenFiles] = QStringList { m_a, m_b };
        trigger(controller.windows().first(), "openAction");
        QCOMPARE(controller.windows().size(), 2);
        // File ▸ Open Recent of every window: chosen from the menu of another window, a closed
        // one opens again; a file saved under another name included.
        const auto recentItems = [](QWidget *window) {
            QMenu *menu = window->findChild<QMenu *>(QStringLiteral("openRecentMenu"));
            emit menu->aboutToShow();
            return menu->actions();
        };
        QCOMPARE(QStringList({ recentItems(controller.windows().first()).at(0)->text(),
                     recentItems(controller.windows().first()).at(1)->text() }),
            QStringList({ "&1 a.png", "&2 b.png" }));
        controller.windows().first()->close();
        QTRY_COMPARE(controller.windows().size(), 1);
        recentItems(controller.windows().first()).at(1)->trigger();
        QCOMPARE(controller.windows().size(), 2);
        trigger(controller.windows().last(), "clearRecentAction");
        QVERIFY(AppSettings::recentFiles().isEmpty());
        QAction *none = recentItems(controller.windows().last()).first();
        QVERIFY(none->text() == localizedString("NoRecentFiles") && !none->isEnabled());
        const QString copy = m_dir->filePath(QStringLiteral("copy.png"));
        answers.byKind[Prompts::Kind::SaveFile] = copy;
        QVERIFY(controller.windows().last()->saveAs());
        QCOMPARE(AppSettings::recentFiles(), QStringList { QFileInfo(copy).canonicalFilePath() });
    }

    // The dialogs follow the rules of the transfer: a typed separator is cut to one character,
    // the typed name and the type list follow each other; the import boxes start as told.
    void metadataDialogs()
    {
        CsvOptionsDialog csv;
        auto *combo = csv.findChild<QComboBox *>(QStringLiteral("csvSeparatorCombo"));
        combo->setEditText(QString());
        QTest::keyClicks(combo->lineEdit(), QStringLiteral(";|"));
        QCOMPARE(csv.separatorText(), u";"_qs);

        ExportMetadataDialog dialog(nullptr, m_dir->filePath(QStringLiteral("a.velmx")), MetadataFormat::Velmx);
        dialog.chooseFormat(MetadataFormat::Csv);
        QCOMPARE(QStringList({ dialog.typedName(), dialog.defaultSuffix() }), QStringList({ "a.csv", "csv" }));
        dialog.setTypedName(QStringLiteral("b.VELMX"));
        QCOMPARE(dialog.format(), MetadataFormat::Velmx);
        QCOMPARE(dialog.defaultSuffix(), u"velmx"_qs);

        ImportMetadataDialog import(nullptr, true, false);
        QVERIFY(import.clearExisting() && !import.enforceUniqueKeywords());
    }

    // One window per file, an unreadable one too, however its path is spelt, and by every way
    // of opening.
    void oneWindowPerFile()
    {
        Answers answers;
        AppController controller;
        const QString broken = m_dir->filePath(QStringLiteral("truncated.png"));
        const QByteArray whole = simplePng(8, 8, { tEXt("A", "1") });
        QVERIFY(writeFile(broken, whole.left(whole.indexOf("IDAT") + 6)));
        const auto windows = controller.openFiles({ m_a, m_b, broken });
        QCOMPARE(windows.size(), 3);
        // A file that cannot be read gets its window all the same, and says why.
        const Prompts::Request error = answers.of(Prompts::Kind::Error).last();
        QVERIFY(error.text.contains(u"truncated.png"_qs));
        QCOMPARE(error.detail, asSentence(windows[2]->loadError()));
        auto *label = windows[2]->findChild<QLabel *>(QStringLiteral("loadErrorLabel"));
        QVERIFY(label && label->isVisible() && label->text().contains(windows[2]->loadError()));
        // The entries before the damage shown, nothing to edit, nothing sound to save.
        QCOMPARE(windows[2]->document()->rowCount(), 1);
        for (const char *name : { "addAction", "deleteAllAction", "pasteAction", "saveAction", "saveAsAction" })
            QVERIFY2(!isEnabled(windows[2], name), name);
        const QByteArray before = readFile(broken);
        windows[2]->document()->addText(QStringLiteral("x"), QStringLiteral("Y"));
        QVERIFY(!windows[2]->save());
        QCOMPARE(readFile(broken), before);
        // Not a file to offer again.
        QVERIFY(!AppSettings::recentFiles().contains(broken));

        // Mended on disk and read again: the reason goes, saving comes back.
        QVERIFY(writeFile(broken, simplePng(8, 8)));
        windows[2]->document()->setModified(false);
        windows[2]->revert();
        QVERIFY(windows[2]->loadError().isEmpty() && !label->isVisible());
        QVERIFY(isEnabled(windows[2], "saveAction") && isEnabled(windows[2], "saveAsAction"));

        // An open file is not opened twice, however its path is spelt.
        const QString sameFile = m_dir->path() + QStringLiteral("/./b.png");
        QCOMPARE(controller.openFiles({ sameFile }), QList<DocumentWindow *> { windows[1] });
        QCOMPARE(controller.windows().size(), 3);
        windows[0]->close();
        QTRY_COMPARE(controller.windows().size(), 2);

        // PNG files dropped on a window open, a closed one again; other files are left.
        BatchWindow *batch = controller.newBatchWindow();
        const QString text = m_dir->filePath(QStringLiteral("notes.txt"));
        const QString upper = m_dir->filePath(QStringLiteral("UPPER.PNG"));
        QVERIFY(writeFile(text, "x") && writeFile(upper, simplePng(2, 2)));
        QCOMPARE(dropFiles(batch, { m_a, text, upper }), QList<bool>({ true, true }));
        QTRY_COMPARE(controller.windows().size(), 4);
        QCOMPARE(dropFiles(batch, { text }), QList<bool>({ false, false })); // nothing a PNG: not taken
    }

    // What the user set holds in the next session: Edit ▸ Search in Texts, which every
    // document follows at once, a document window's size, split and columns, and the editors'
    // typing when the application quits; hidden editors write nothing at quit.
    void settingsAndEditsOutliveTheSession()
    {
        Answers answers;
        const QString presetsFile = m_home.filePath(QStringLiteral("config/org.velmora.Velmora.MetadataPresets"));
        const QString standards = m_home.filePath(QStringLiteral("data/Velmora/Templates/Standards"));
        QFile::remove(presetsFile);
        QList<int> sizes;
        {
            AppController controller;
            const auto windows = controller.openFiles({ m_a, m_b });
            trigger(windows[0], "searchInTextsAction");
            QVERIFY(windows[0]->document()->searchesInTexts() && windows[1]->document()->searchesInTexts());
            QVERIFY(windows[1]->findChild<QAction *>(u"searchInTextsAction"_qs)->isChecked());
            QCOMPARE(accessibleName(windows[1]->findChild<QWidget *>(QStringLiteral("searchField"))),
                localizedString("SearchKeywordsAndTexts"));
            windows[1]->close();
            DocumentWindow *window = windows[0];
            window->resize(777, 511);
            auto *splitter = window->findChild<QSplitter *>(QStringLiteral("splitter"));
            splitter->setSizes({ 200, 500 });
            sizes = splitter->sizes();
            window->pane()->table()->horizontalHeader()->resizeSection(0, 123);
            window->close();

            // The editors are open, with typing in a field, when the application quits.
            PresetEditorWindow *presets = controller.showPresetEditor();
            presets->editor()->setSelection({ 9 });
            auto *keyword = presets->findChild<QLineEdit *>(QStringLiteral("keywordField"));
            keyword->setText(QStringLiteral("Warnings"));
            keyword->setModified(true);
            TemplateEditorWindow *templates = controller.showTemplateEditor();
            templates->templatesTable()->selectRow(standardsRow(controller));
            templates->findChild<QCheckBox *>(QStringLiteral("clearAllCheckbox"))->click();
            // Ended from outside (the session, a signal): no window is asked to close.
            QTimer::singleShot(0, qApp, [] { QCoreApplication::exit(0); });
            QCoreApplication::exec();
            QVERIFY(presets->isVisible() && templates->isVisible());
        }
        QVERIFY(readFile(presetsFile).contains("keyword=\"Warnings\""));
        QVERIFY(readFile(standards).contains("ClearsAllWhenApplied=\"YES\""));
        {
            AppController controller;
            DocumentWindow *window = controller.openFiles({ m_b }).first();
            QVERIFY(window->document()->searchesInTexts());
            QCOMPARE(window->size(), QSize(777, 511));
            QCOMPARE(window->findChild<QSplitter *>(QStringLiteral("splitter"))->sizes(), sizes);
            QCOMPARE(window->pane()->table()->horizontalHeader()->sectionSize(0), 123);
            // Another kind of window keeps its own.
            QVERIFY(controller.newBatchWindow()->size() != QSize(777, 511));
            TemplateEditorWindow *templates = controller.showTemplateEditor();
            templates->templatesTable()->selectRow(standardsRow(controller));
            templates->close();
            controller.templateStore()->editedTemplate()->editClearAll(false);
            QVERIFY(controller.applicationWillQuit());
        }
        QVERIFY(readFile(standards).contains("ClearsAllWhenApplied=\"YES\""));
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
