#include "TestSupport.h"
#include "WindowTestSupport.h"
#include "app/AppController.h"
#include "batch/BatchFileList.h"
#include "batch/widgets/BatchWindow.h"
#include "commentlist/CommentListOwner.h"
#include "commentlist/widgets/CommentEditorPanel.h"
#include "commentlist/widgets/CommentTableView.h"
#include "commentlist/widgets/Prompts.h"
#include "commentlist/widgets/StoreMenu.h"
#include "core/Strings.h"
#include "document/PNGDoc.h"
#include "document/widgets/DocumentWindow.h"
#include "presets/MetadataPresetManager.h"
#include "presets/PresetEditor.h"
#include "presets/widgets/PresetEditorWindow.h"
#include "presets/widgets/PresetListModel.h"
#include "templates/TemplateEditor.h"
#include "templates/widgets/TemplateEditorWindow.h"
#include "templates/widgets/TemplateListModel.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

using namespace TestSupport;
using namespace WindowTestSupport;

class tst_AppController : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The stores' files go to folders of the test, never the real user's.
        QVERIFY(m_home.isValid());
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("config"))));
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_home.filePath(QStringLiteral("data"))));
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_a = m_dir->filePath(QStringLiteral("a.png"));
        m_b = m_dir->filePath(QStringLiteral("b.png"));
        QVERIFY(writeFile(m_a, simplePng(4, 4, { tEXt("Author", "Ann") })));
        QVERIFY(writeFile(m_b, simplePng(4, 4)));
    }
    void cleanup() { Prompts::setHandler({}); }

    void storesAtStartUp()
    {
        QVERIFY(!MetadataPresetManager::presetManager());
        QVERIFY(!TemplateEditor::templateEditor());
        {
            AppController controller;
            QCOMPARE(MetadataPresetManager::presetManager(), controller.presetStore());
            QCOMPARE(TemplateEditor::templateEditor(), controller.templateStore());
            // No presets file yet: the ten defaults. First run: the shipped template.
            QCOMPARE(controller.presetStore()->count(), 10);
            QCOMPARE(controller.templateStore()->templateMenuTitles(), QStringList { "Standards" });
            QVERIFY(QFile::exists(m_home.filePath(QStringLiteral("data/Velmora/Templates/Standards"))));

            // Windows offer both in their menus.
            DocumentWindow *window = controller.openFiles({ m_a }).first();
            QCOMPARE(window->findChild<StoreMenu *>(QStringLiteral("presetsMenu"))->actions().size(), 10);
            QCOMPARE(window->findChild<StoreMenu *>(QStringLiteral("templatesMenu"))->actions().size(), 1);
        }
        QVERIFY(!MetadataPresetManager::presetManager());
        QVERIFY(!TemplateEditor::templateEditor());
    }

    void oneWindowPerFile()
    {
        PromptAnswers answers; // the unreadable file's dialog
        AppController controller;
        const auto windows = controller.openFiles({ m_a, m_b, m_dir->filePath(QStringLiteral("missing.png")) });
        QCOMPARE(windows.size(), 3);
        QCOMPARE(windows[0]->windowTitle(), QStringLiteral("a.png[*]"));
        QCOMPARE(windows[0]->document()->rowCount(), 1);
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

        QStringList titles;
        for (QAction *menu : window->menuBar()->actions())
            titles << menu->text().remove(u'&');
        QCOMPARE(titles, QStringList({ "File", "Edit", "Comments", "Presets", "Templates", "Window", "Help" }));
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
        QCOMPARE(describe(window->document()->comments()), QStringList { "Author=Bob" });
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
        // Independent lists, empty at first.
        QCOMPARE(batches[0]->processor()->addFiles({ m_a, m_b }), 2);
        QCOMPARE(batches[1]->processor()->files()->count(), 0);
        // The batch window's own menu opens further ones, and File ▸ Open… a document.
        menuItem(batches[1], "newBatchWindowAction")->trigger();
        QCOMPARE(controller.batchWindows().size(), 3);
        Prompts::setHandler([&](const Prompts::Request &) { return QVariant(QStringList { m_b }); });
        menuItem(batches[1], "openAction")->trigger();
        QCOMPARE(controller.windows().size(), 2);

        // Closing one frees it and its comment editor panel; the others stay.
        QPointer<BatchWindow> closing = batches[0];
        closing->processor()->comments()->addMetadataField();
        closing->commentsTable()->selectRow(0);
        closing->openCommentEditor();
        QPointer<CommentEditorPanel> panel = closing->commentEditor();
        QVERIFY(panel);
        closing->close();
        QTRY_VERIFY(closing.isNull());
        QVERIFY(panel.isNull());
        QCOMPARE(controller.batchWindows().size(), 2);
        QCOMPARE(controller.windows().size(), 2);
        Prompts::setHandler({});
    }

private:
    // An item of a window's menus (the application's own included), by object name.
    static QAction *menuItem(QWidget *window, const char *name)
    {
        auto *main = qobject_cast<QMainWindow *>(window);
        const QList<QAction *> items = main ? menuItems(main->menuBar()) : QList<QAction *> {};
        for (QAction *item : items) {
            if (item->objectName() == QLatin1String(name))
                return item;
        }
        return nullptr;
    }

    static int standardsRow(const AppController &controller)
    {
        const TemplateEditor *store = controller.templateStore();
        return int(store->indexOfTemplate(store->templateWithName(QStringLiteral("Standards"))));
    }

    QTemporaryDir m_home;
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_a, m_b;
};

QTEST_MAIN(tst_AppController)
#include "tst_AppController.moc"
