#include "TestSupport.h"
#include "WindowTestSupport.h"
#include "commentlist/widgets/CommentTableModel.h"
#include "commentlist/widgets/CommentTableView.h"
#include "core/Strings.h"
#include "document/PNGDoc.h"
#include "document/PreviewLoader.h"
#include "document/widgets/DocumentWindow.h"
#include "document/widgets/ImageView.h"
#include "interchange/PasteboardFormats.h"
#include "presets/MetadataPresetManager.h"
#include "templates/TemplateEditor.h"
#include "windowkit/CommentEditorPanel.h"
#include "windowkit/Prompts.h"
#include "windowkit/StoreMenu.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QScreen>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtTest>

using namespace TestSupport;
using WindowTestSupport::accessibleName;
using WindowTestSupport::PromptAnswers;

namespace {

const char *const kSummaryFields[] = { "imageSizeField", "imageBitDepthField", "imagePixelFormatField",
    "imageInterlacedField", "imagePhysicalSizeMMField", "imagePhysicalSizeInchField" };

QStringList summaryTexts(const DocumentWindow &window)
{
    QStringList texts;
    for (const char *name : kSummaryFields) {
        auto *label = window.findChild<QLabel *>(QString::fromLatin1(name));
        texts << (label ? label->text() : QStringLiteral("<missing>"));
    }
    return texts;
}

// The text of a menu item as a person reads it.
QString itemText(const QAction *action)
{
    return action->text().remove(u'&');
}

QAction *menuItem(DocumentWindow &window, const char *menuName, const QString &text)
{
    auto *menu = window.findChild<StoreMenu *>(QString::fromLatin1(menuName));
    if (!menu)
        return nullptr;
    for (QAction *action : menu->actions()) {
        if (itemText(action) == text)
            return action;
    }
    return nullptr;
}

void trigger(DocumentWindow &window, const char *actionName)
{
    auto *action = window.findChild<QAction *>(QString::fromLatin1(actionName));
    QVERIFY2(action, actionName);
    QVERIFY2(action->isEnabled(), actionName);
    action->trigger();
}

void selectRows(DocumentWindow &window, const QList<int> &rows)
{
    CommentTableView *table = window.commentTable();
    table->clearSelection();
    for (int row : rows) {
        const QModelIndex index = table->model()->index(row, 0);
        table->selectionModel()->setCurrentIndex(index, QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
}

// Holds every thread of the picture decodes until it goes, so that a test sees the window
// before its picture can arrive.
struct PicturePoolHeld
{
    QSemaphore started;
    QSemaphore release;
    int threads = PreviewLoader::threadPool()->maxThreadCount();

    PicturePoolHeld()
    {
        for (int i = 0; i < threads; ++i) {
            PreviewLoader::threadPool()->start([this] {
                started.release();
                release.acquire();
            });
        }
        started.acquire(threads);
    }
    ~PicturePoolHeld()
    {
        release.release(threads);
        PreviewLoader::threadPool()->waitForDone();
    }
};

// A 16 × 8 RGB image whose image data is a sound zlib stream with an unknown row filter.
QByteArray pngWithDamagedImageData()
{
    QByteArray raw;
    for (int y = 0; y < 8; ++y)
        raw += char(y == 3 ? 9 : 0) + QByteArray(48, char(y * 20));
    return buildPng({ ihdr(16, 8), tEXt("Author", "Ann"), idatOf(raw), iend() });
}

} // namespace

class tst_DocumentWindow : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        // The shared stores, as the application creates them at start-up.
        QVERIFY(m_stores.isValid());
        const QString presets = m_stores.filePath(QStringLiteral("presets.xml"));
        QVERIFY(writeFile(presets,
            R"(<MetadataPresets><comment keyword="Width" text="%WIDTH% px"/><comment keyword="Note"/></MetadataPresets>)"));
        m_presets = std::make_unique<MetadataPresetManager>(presets);
        m_presets->loadMetaDataPresets();
        m_templates = std::make_unique<TemplateEditor>(m_stores.filePath(QStringLiteral("Templates")));
        QCOMPARE(m_templates->loadTemplates(), 1); // the shipped "Standards"
    }

    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        QVERIFY(m_dir->isValid());
    }

    void cleanup()
    {
        for (const auto &window : std::as_const(m_windows))
            delete window.data();
        m_windows.clear();
        QApplication::clipboard()->clear();
    }

    void showsPngSuiteFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("bitDepth");
        QTest::addColumn<QString>("colour");
        QTest::addColumn<int>("rows");
        QTest::newRow("RGB") << "basn2c08.png"
                             << "8"
                             << "RGB" << 0;
        QTest::newRow("text chunks") << "ct1n0g04.png"
                                     << "4"
                                     << "Greyscale" << 6;
    }
    void showsPngSuiteFile()
    {
        QFETCH(QString, file);
        QFETCH(QString, bitDepth);
        QFETCH(QString, colour);
        DocumentWindow *window = open(fixture(QStringLiteral("pngsuite/") + file));
        // Every suite image is 32 × 32 pixels, not interlaced, without pHYs (72 per inch).
        const auto line = [](const char *key, const QString &a, const QString &b = QString()) {
            return b.isNull() ? localizedString(key).arg(a) : localizedString(key).arg(a, b);
        };
        QCOMPARE(summaryTexts(*window),
            QStringList({ line("ImageSize", "32", "32"), line("ImageBitDepth", bitDepth),
                line("ColourFormat", localizedString(qPrintable(colour))), line("Interlaced", localizedString("None")),
                line("PhysicalSizeMM", "11", "11"), line("PhysicalSizeInch", "0.44", "0.44") }));
        QCOMPARE(window->windowTitle(), file + QStringLiteral("[*]"));
        QVERIFY(!window->isWindowModified());
        QTEST(window->tableModel()->rowCount(), "rows");

        auto *image = window->findChild<ImageView *>(QStringLiteral("imageView"));
        QVERIFY(image);
        QTRY_COMPARE(image->image().size(), QSize(32, 32));
        // Scaled to fit with its aspect ratio, centred.
        const QRect shown = image->imageRect();
        QCOMPARE(shown.width(), shown.height());
        QCOMPARE(shown.width(), std::min(image->width(), image->height()));
        QVERIFY(image->rect().contains(shown));
    }

    void failedLoadKeepsWindowOpen()
    {
        const QString path = m_dir->filePath(QStringLiteral("not-a-png.png"));
        QVERIFY(writeFile(path, "GIF89a, not a PNG at all"));
        DocumentWindow *window = open(path);
        QVERIFY(window->isVisible());
        QCOMPARE(summaryTexts(*window), QStringList({ localizedString("ImageLoadFailed"), "", "", "", "", "" }));
        QVERIFY(window->findChild<ImageView *>(QStringLiteral("imageView"))->image().isNull());
        QVERIFY(!window->findChild<QLabel *>(QStringLiteral("imageSizeField"))->toolTip().isEmpty());
        // The table can still be edited.
        trigger(*window, "addAction");
        QCOMPARE(window->tableModel()->rowCount(), 1);
    }

    void editCells()
    {
        DocumentWindow *window = open(fixture(QStringLiteral("pngsuite/ct1n0g04.png")));
        CommentTableView *table = window->commentTable();
        const QModelIndex text = window->tableModel()->index(0, 1);

        // The text editor takes line breaks; the cell shows the text on one line.
        table->setCurrentIndex(text);
        table->edit(text);
        auto *editor = table->findChild<QPlainTextEdit *>(QStringLiteral("textEditor"));
        QVERIFY(editor);
        QTest::keyClicks(editor, QStringLiteral("line one"));
        QTest::keyClick(editor, Qt::Key_Return, Qt::ShiftModifier);
        QTest::keyClicks(editor, QStringLiteral("%WIDTH% wide"));
        QTest::keyClick(editor, Qt::Key_Return);
        QTRY_VERIFY(!table->findChild<QPlainTextEdit *>(QStringLiteral("textEditor")));
        QCOMPARE(window->document()->commentAt(0)->text(), QStringLiteral("line one\n32 wide"));
        QCOMPARE(text.data().toString(), QStringLiteral("line one⏎32 wide"));
        QVERIFY(window->isWindowModified());

        // Opening and leaving the editor without a change keeps the text as it is.
        window->document()->setData(0, PNGDoc::TextColumn, QStringLiteral("a\r\nb\u00A0c"));
        window->document()->setModified(false);
        table->edit(text);
        editor = table->findChild<QPlainTextEdit *>(QStringLiteral("textEditor"));
        QVERIFY(editor);
        QCOMPARE(editor->toPlainText().count(u'\n'), 1);
        table->commitEditing();
        QCOMPARE(window->document()->commentAt(0)->text(), QStringLiteral("a\r\nb\u00A0c"));
        QVERIFY(!window->isWindowModified());
    }

    void typingSurvivesADrop()
    {
        DocumentWindow *window = open(fixture(QStringLiteral("pngsuite/ct1n0g04.png")));
        CommentTableView *table = window->commentTable();
        const QModelIndex text = window->tableModel()->index(0, 1);
        table->setCurrentIndex(text);
        table->edit(text);
        auto *editor = table->findChild<QPlainTextEdit *>(QStringLiteral("textEditor"));
        QVERIFY(editor);
        QTest::keyClicks(editor, QStringLiteral("typed"));

        // Comments from another application arrive while the cell is being edited.
        QMimeData dropped;
        dropped.setText(QStringLiteral("Author\tJane Doe"));
        QVERIFY(window->tableModel()->dropMimeData(&dropped, Qt::CopyAction, 0, 0, QModelIndex()));
        QCOMPARE(editor->toPlainText(), QStringLiteral("typed"));
        table->commitEditing();
        QCOMPARE(window->document()->commentAt(1)->text(), QStringLiteral("typed"));
    }

    void searchAddAndRemoveRows()
    {
        DocumentWindow *window = open(fixture(QStringLiteral("pngsuite/ct1n0g04.png")));
        CommentTableView *table = window->commentTable();
        auto *search = window->findChild<QLineEdit *>(QStringLiteral("searchField"));
        QVERIFY(search);
        QTest::keyClicks(search, QStringLiteral(" TIT"));
        QCOMPARE(tableRows(*table->model()).size(), 1);
        QVERIFY(table->model()->index(0, 0).data().toString().startsWith(QStringLiteral("Title")));

        // Add starts editing the keyword of the new last row. A new blank comment cannot pass
        // the filter, which therefore goes.
        trigger(*window, "addAction");
        QCOMPARE(search->text(), QString());
        QCOMPARE(table->model()->rowCount(), 7);
        QVERIFY(table->isPersistentEditorOpen(table->currentIndex()) || table->indexWidget(table->currentIndex()));
        QCOMPARE(table->currentIndex(), table->model()->index(6, 0));
        auto *line = table->findChild<QLineEdit *>(QStringLiteral("keywordEditor"));
        QVERIFY(line);
        QTest::keyClicks(line, QStringLiteral("Camera"));
        QTest::keyClick(line, Qt::Key_Return);
        QTRY_COMPARE(table->model()->index(6, 0).data().toString(), QStringLiteral("Camera"));
        QVERIFY(window->isWindowModified());

        // Remove takes the selected rows, here 1 and 3.
        QStringList expected = tableRows(*table->model());
        selectRows(*window, { 1, 3 });
        trigger(*window, "removeAction");
        expected.removeAt(3);
        expected.removeAt(1);
        QCOMPARE(tableRows(*table->model()), expected);

        // Without a selection the commands that need one are disabled.
        table->clearSelection();
        for (const char *name : { "removeAction", "copyAction", "cutAction", "deleteAction" })
            QVERIFY2(!window->findChild<QAction *>(QString::fromLatin1(name))->isEnabled(), name);
        trigger(*window, "deleteAllAction");
        QCOMPARE(table->model()->rowCount(), 0);
    }

    void copyFromOneWindowPasteIntoAnother()
    {
        DocumentWindow *from = open(fixture(QStringLiteral("pngsuite/ct1n0g04.png")));
        DocumentWindow *to = open(fixture(QStringLiteral("sample.png")));
        const QStringList source = tableRows(*from->tableModel(), Qt::EditRole);
        const QStringList target = tableRows(*to->tableModel(), Qt::EditRole);

        // The standard shortcut reaches the window's command, not the table's own copy.
        selectRows(*from, { 2, 0 });
        from->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(from));
        from->commentTable()->setFocus();
        QTest::keySequence(from->commentTable(), QKeySequence::Copy);
        const QMimeData *clipboard = QApplication::clipboard()->mimeData();
        QVERIFY(clipboard && clipboard->hasFormat(PasteboardMetadataXML));
        QVERIFY(!from->isWindowModified());

        selectRows(*to, { 1 });
        trigger(*to, "pasteAction");
        QStringList expected = target;
        expected.insert(1, source[2]);
        expected.insert(1, source[0]);
        QCOMPARE(tableRows(*to->tableModel(), Qt::EditRole), expected);
        QVERIFY(to->isWindowModified());

        // Without a selection the paste appends.
        to->commentTable()->clearSelection();
        trigger(*to, "pasteAction");
        QCOMPARE(
            tableRows(*to->tableModel(), Qt::EditRole).mid(expected.size()), QStringList({ source[0], source[2] }));

        // Cut takes the rows out of the source.
        selectRows(*from, { 0 });
        trigger(*from, "cutAction");
        QCOMPARE(tableRows(*from->tableModel(), Qt::EditRole), source.mid(1));
    }

    void dragMovesWithinCopiesBetween()
    {
        DocumentWindow *window = open(fixture(QStringLiteral("pngsuite/basn2c08.png")));
        for (const char *keyword : { "k0", "k1", "k2", "k3" })
            window->document()->addText(QString(), QString::fromLatin1(keyword));
        CommentTableModel *model = window->tableModel();

        // Within the table: the model's drag data dropped on the same model is a move.
        std::unique_ptr<QMimeData> drag(
            model->mimeData({ model->index(0, 0), model->index(1, 1), model->index(0, 1) }));
        QVERIFY(drag);
        QVERIFY(model->dropMimeData(drag.get(), Qt::MoveAction, 3, 0, QModelIndex()));
        QCOMPARE(tableRows(*model), QStringList({ "k2=", "k0=", "k1=", "k3=" }));

        // Into another window: copies, and the source keeps its rows.
        DocumentWindow *other = open(fixture(QStringLiteral("pngsuite/basn0g08.png")));
        std::unique_ptr<QMimeData> outgoing(model->mimeData({ model->index(3, 0) }));
        QVERIFY(other->tableModel()->dropMimeData(outgoing.get(), Qt::CopyAction, -1, -1, QModelIndex()));
        QCOMPARE(model->rowCount(), 4);

        // Plain text from another application, dropped on a row.
        QMimeData text;
        text.setText(QStringLiteral("Author\tJane Doe"));
        QVERIFY(other->tableModel()->canDropMimeData(&text, Qt::CopyAction, -1, -1, QModelIndex()));
        QVERIFY(other->tableModel()->dropMimeData(&text, Qt::CopyAction, -1, -1, other->tableModel()->index(0, 1)));
        QCOMPARE(tableRows(*other->tableModel()), QStringList({ "Author=Jane Doe", "k3=" }));
    }

    void failedRevertShowsWhyAndKeepsEdits()
    {
        PromptAnswers answers;
        answers.answer = true; // revert when asked
        const QString path = fixture(QStringLiteral("sample.png"));
        DocumentWindow *window = open(path);
        window->document()->addText(QStringLiteral("typed"), QStringLiteral("Note"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write("not a PNG");
        file.close();

        trigger(*window, "revertAction");
        QCOMPARE(answers.asked.size(), 2);
        QCOMPARE(answers.asked.first().kind, Prompts::Kind::RevertChanges);
        QCOMPARE(answers.asked.last().kind, Prompts::Kind::Error);
        QVERIFY(!answers.asked.last().detail.isEmpty());
        QVERIFY(window->isWindowModified());
        QVERIFY(tableRows(*window->tableModel()).contains(QStringLiteral("Note=typed")));
        trigger(*window, "saveAction");
        QCOMPARE(answers.asked.size(), 2);
        QVERIFY(fileComments(path).contains(QStringLiteral("Note=typed")));
    }

    void saveSaveAsAndFailedSave()
    {
        PromptAnswers answers;
        const QString path = fixture(QStringLiteral("sample.png"));
        const QStringList original = fileComments(path);
        DocumentWindow *window = open(path);
        window->document()->setData(0, PNGDoc::TextColumn, QStringLiteral("Edited %FILENAME%"));
        window->document()->setSearchText(QStringLiteral("auth"));
        QVERIFY(window->isWindowModified());

        trigger(*window, "saveAction");
        QVERIFY(!window->isWindowModified());
        QStringList expected = original;
        expected[0] = QStringLiteral("Title=Edited sample");
        // Comments hidden by the search are written too.
        QCOMPARE(fileComments(path), expected);

        QVERIFY(answers.asked.isEmpty());

        // Save As goes to the chosen file, which the window then names.
        const QString copy = m_dir->filePath(QStringLiteral("renamed.png"));
        answers.answer = copy;
        window->document()->addText(QStringLiteral("v"), QStringLiteral("Added"));
        trigger(*window, "saveAsAction");
        QCOMPARE(answers.asked.size(), 1);
        QCOMPARE(answers.asked.first().kind, Prompts::Kind::SaveFile);
        QCOMPARE(window->windowTitle(), QStringLiteral("renamed.png[*]"));
        QCOMPARE(fileComments(copy), expected + QStringList { "Added=v" });
        QCOMPARE(fileComments(path), expected);

        // A failed save shows why and leaves the window on its file, still edited.
        window->document()->addText(QStringLiteral("v"), QStringLiteral("K"));
        answers.answer = m_dir->filePath(QStringLiteral("missing/folder/target.png"));
        QTest::ignoreMessage(QtWarningMsg, "Failed to create output file");
        trigger(*window, "saveAsAction");
        QCOMPARE(answers.asked.size(), 3);
        const Prompts::Request error = answers.asked.last();
        QCOMPARE(error.kind, Prompts::Kind::Error);
        QVERIFY2(error.text.contains(QStringLiteral("target.png")), qPrintable(error.text));
        QVERIFY2(error.detail.contains(QStringLiteral("Velmora")) && error.detail.contains(QStringLiteral("27")),
            qPrintable(error.detail));
        QCOMPARE(window->document()->path(), copy);
        QVERIFY(window->isWindowModified());
    }

    void saveNamesTheEntriesItSkipped()
    {
        PromptAnswers answers;
        const QString path = fixture(QStringLiteral("sample.png"));
        const QStringList original = fileComments(path);
        DocumentWindow *window = open(path);
        window->document()->addText(QStringLiteral("x"), u"日本"_qs);
        const int row = window->document()->rowCount() - 1;
        // Marked in the table: a warning sign beside the keyword, the reason in the tooltip.
        const QModelIndex keyword = window->tableModel()->index(row, 0);
        QVERIFY(!keyword.data(Qt::DecorationRole).value<QIcon>().isNull());
        QVERIFY(keyword.data(Qt::ToolTipRole).toString().contains(u"“日本”"_qs));
        QVERIFY(window->tableModel()->index(0, 0).data(Qt::DecorationRole).isNull());

        trigger(*window, "saveAction");
        QCOMPARE(answers.asked.size(), 1);
        QCOMPARE(answers.asked.first().kind, Prompts::Kind::Information);
        QVERIFY2(answers.asked.first().detail.contains(u"“日本”"_qs), qPrintable(answers.asked.first().detail));
        QCOMPARE(fileComments(path), original);
        // The file lacks the entry: the window still counts as edited.
        QVERIFY(window->isWindowModified());
    }

    void closeAsks_data()
    {
        QTest::addColumn<bool>("edited");
        QTest::addColumn<int>("choice");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<bool>("written");
        QTest::newRow("unedited closes without asking") << false << -1 << true << false;
        QTest::newRow("save") << true << int(Prompts::SaveChoice::Save) << true << true;
        QTest::newRow("discard") << true << int(Prompts::SaveChoice::Discard) << true << false;
        QTest::newRow("cancel") << true << int(Prompts::SaveChoice::Cancel) << false << false;
    }
    void closeAsks()
    {
        QFETCH(bool, edited);
        QFETCH(int, choice);
        QFETCH(bool, closed);
        QFETCH(bool, written);
        const QString path = fixture(QStringLiteral("pngsuite/ct1n0g04.png"));
        const QStringList before = fileComments(path);
        QPointer<DocumentWindow> window = open(path);
        if (edited)
            window->document()->deleteAll();
        PromptAnswers answers;
        answers.answer = choice;
        trigger(*window, "closeAction");
        QCOMPARE(answers.asked.size(), edited ? 1 : 0);
        if (edited) {
            QCOMPARE(answers.asked.first().kind, Prompts::Kind::SaveChanges);
            QVERIFY(answers.asked.first().text.contains(QStringLiteral("ct1n0g04.png")));
        }
        // A closed window deletes itself.
        QTRY_COMPARE(window.isNull(), closed);
        QCOMPARE(fileComments(path), written ? QStringList() : before);
    }

    void undoAndRedoFollowTheSteps()
    {
        PromptAnswers answers;
        const QString path = fixture(QStringLiteral("sample.png"));
        const QStringList original = fileComments(path);
        DocumentWindow *window = open(path);
        auto *undo = window->findChild<QAction *>(QStringLiteral("undoAction"));
        auto *redo = window->findChild<QAction *>(QStringLiteral("redoAction"));
        QVERIFY(undo && redo);
        QVERIFY(!undo->isEnabled() && !redo->isEnabled());
        QCOMPARE(undo->shortcut(), QKeySequence(QKeySequence::Undo));
        QCOMPARE(redo->shortcut(), QKeySequence(QKeySequence::Redo));

        trigger(*window, "deleteAllAction");
        QCOMPARE(window->tableModel()->rowCount(), 0);
        QCOMPARE(itemText(undo), QStringLiteral("Undo Delete All"));
        QVERIFY(window->isWindowModified());

        // Undone back to the file's state, the document is no longer modified.
        trigger(*window, "undoAction");
        QCOMPARE(tableRows(*window->tableModel(), Qt::EditRole), original);
        QVERIFY(!window->isWindowModified());
        QCOMPARE(itemText(redo), QStringLiteral("Redo Delete All"));
        QCOMPARE(itemText(undo), QStringLiteral("Undo"));
        QVERIFY(!undo->isEnabled());

        // The keyboard reaches the same commands.
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        QTest::keySequence(window, QKeySequence::Redo);
        QCOMPARE(window->tableModel()->rowCount(), 0);
        QVERIFY(window->isWindowModified());

        // Saved: clean again, and undoing past the save marks it modified.
        trigger(*window, "saveAction");
        QVERIFY(!window->isWindowModified());
        QCOMPARE(fileComments(path), QStringList());
        QVERIFY(undo->isEnabled());
        QTest::keySequence(window, QKeySequence::Undo);
        QCOMPARE(window->tableModel()->rowCount(), original.size());
        QVERIFY(window->isWindowModified());
        trigger(*window, "redoAction");
        QVERIFY(!window->isWindowModified());
        QVERIFY(answers.asked.isEmpty());
    }

    void presetsMenuAddsAndEditsTheText()
    {
        DocumentWindow *window = open(fixture(QStringLiteral("sample.png")));
        auto *menu = window->findChild<StoreMenu *>(QStringLiteral("presetsMenu"));
        QVERIFY(menu);
        QVERIFY(window->menuBar()->actions().contains(menu->menuAction()));
        QCOMPARE(menu->actions().size(), 2);
        const int rows = window->tableModel()->rowCount();

        QAction *width = menuItem(*window, "presetsMenu", QStringLiteral("Width : %WIDTH% px"));
        QVERIFY(width);
        width->trigger();
        QCOMPARE(window->tableModel()->rowCount(), rows + 1);
        QCOMPARE(describe({ window->document()->commentAt(rows) }), QStringList { "Width=480 px" });
        // Editing starts in the text cell of the new row.
        CommentTableView *table = window->commentTable();
        QCOMPARE(table->currentIndex(), window->tableModel()->index(rows, 1));
        QVERIFY(table->findChild<QPlainTextEdit *>(QStringLiteral("textEditor")));
        QCOMPARE(
            itemText(window->findChild<QAction *>(QStringLiteral("undoAction"))), QStringLiteral("Undo Add Preset"));
        table->commitEditing();

        // A preset without a value gives an empty text.
        menuItem(*window, "presetsMenu", QStringLiteral("Note"))->trigger();
        QCOMPARE(describe({ window->document()->commentAt(rows + 1) }), QStringList { "Note=" });

        // The menu follows the store.
        m_presets->appendPreset(std::make_shared<MetadataPreset>(QStringLiteral("Zebra"), QString()));
        m_presets->notifyPresetsChanged();
        QVERIFY(menuItem(*window, "presetsMenu", QStringLiteral("Zebra")));
        m_presets->removePresetsAtIndices({ 2 });
        QCOMPARE(menu->actions().size(), 2);
    }

    void templatesMenuAppliesOneStep()
    {
        DocumentWindow *window = open(fixture(QStringLiteral("sample.png")));
        const QStringList before = tableRows(*window->tableModel(), Qt::EditRole);
        QAction *standards = menuItem(*window, "templatesMenu", QStringLiteral("Standards"));
        QVERIFY(standards);
        standards->trigger();
        // "Standards" overwrites entries with its keywords: Title, Author, Copyright,
        // Creation Time and Software, texts expanded against this image.
        const QStringList after = tableRows(*window->tableModel(), Qt::EditRole);
        QCOMPARE(after.size(), 6);
        QVERIFY(after.first().startsWith(QStringLiteral("Description=")));
        QCOMPARE(after.at(1), QStringLiteral("Title=sample"));
        QCOMPARE(after.last(), QStringLiteral("Software=Velmora"));
        QVERIFY(!after.join(u' ').contains(u'%'));
        QCOMPARE(window->document()->undoStack()->count(), 1);
        trigger(*window, "undoAction");
        QCOMPARE(tableRows(*window->tableModel(), Qt::EditRole), before);
        QVERIFY(!window->isWindowModified());

        // The menu follows the store.
        QVERIFY(m_templates->createTemplate(QStringLiteral("Logos")));
        QVERIFY(menuItem(*window, "templatesMenu", QStringLiteral("Logos")));
        QVERIFY(m_templates->deleteTemplate(m_templates->count() - 1));
        QVERIFY(!menuItem(*window, "templatesMenu", QStringLiteral("Logos")));
    }

    void commentEditorOpensOnTheHighestSelectedRow()
    {
        DocumentWindow *window = open(fixture(QStringLiteral("sample.png")));
        QVERIFY(!window->commentEditor());
        selectRows(*window, { 2, 0 });
        trigger(*window, "openCommentEditorAction");
        QPointer<CommentEditorPanel> panel = window->commentEditor();
        QVERIFY(panel);
        QVERIFY(panel->isVisible());
        QCOMPARE(panel->comment(), window->document()->commentAt(2));
        QCOMPARE(panel->findChild<QLineEdit *>(QStringLiteral("keywordField"))->text(), QStringLiteral("Description"));

        // Reused for the next comment; a deleted comment is no longer edited.
        selectRows(*window, { 1 });
        trigger(*window, "openCommentEditorAction");
        QCOMPARE(window->commentEditor(), panel.data());
        QCOMPARE(panel->comment(), window->document()->commentAt(1));
        trigger(*window, "deleteAction");
        QVERIFY(!panel->isAttached());
        trigger(*window, "undoAction");
        QVERIFY(panel->isAttached());

        // The panel goes with its window.
        window->close();
        QTRY_VERIFY(panel.isNull());
    }

    void revertAsksWhenModified_data()
    {
        QTest::addColumn<bool>("edited");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("reverted");
        QTest::newRow("unmodified: no question") << false << false << false << true;
        QTest::newRow("modified, cancelled") << true << false << true << false;
        QTest::newRow("modified, continued") << true << true << true << true;
    }
    void revertAsksWhenModified()
    {
        QFETCH(bool, edited);
        QFETCH(bool, answer);
        QFETCH(bool, asked);
        QFETCH(bool, reverted);
        PromptAnswers answers;
        answers.answer = answer;
        const QString path = fixture(QStringLiteral("sample.png"));
        DocumentWindow *window = open(path);
        const QStringList original = tableRows(*window->tableModel(), Qt::EditRole);
        if (edited)
            trigger(*window, "deleteAllAction");
        trigger(*window, "revertAction");
        QCOMPARE(answers.asked.size(), asked ? 1 : 0);
        if (!answers.asked.isEmpty()) {
            QCOMPARE(answers.asked.first().kind, Prompts::Kind::RevertChanges);
            QVERIFY(answers.asked.first().text.contains(QStringLiteral("sample.png")));
        }
        QCOMPARE(tableRows(*window->tableModel(), Qt::EditRole) == original, reverted || !edited);
        QCOMPARE(window->isWindowModified(), edited && !reverted);
        // Reading the file again forgets the steps made before.
        QCOMPARE(window->findChild<QAction *>(QStringLiteral("undoAction"))->isEnabled(), edited && !reverted);
    }

    void tableEditingKeys_data()
    {
        QTest::addColumn<int>("column");
        QTest::addColumn<QStringList>("keys"); // text to type, or a key in <>
        QTest::addColumn<QString>("stored"); // empty: unchanged
        const QString r = QStringLiteral("<Return>"), e = QStringLiteral("<Escape>");
        QTest::newRow("Return commits a keyword") << 0 << QStringList { "Camera", r } << "Camera";
        QTest::newRow("Escape cancels a keyword") << 0 << QStringList { "Camera", e } << "";
        QTest::newRow("Return commits a text, no line feed added") << 1 << QStringList { "one", r } << "one";
        QTest::newRow("Shift+Return breaks the line")
            << 1 << QStringList { "one", "<Shift+Return>", "two", r } << "one\ntwo";
        QTest::newRow("Alt+Return breaks the line")
            << 1 << QStringList { "one", "<Alt+Return>", "two", r } << "one\ntwo";
        QTest::newRow("Escape cancels a text") << 1 << QStringList { "one", "<Shift+Return>", "two", e } << "";
    }
    void tableEditingKeys()
    {
        QFETCH(int, column);
        QFETCH(QStringList, keys);
        QFETCH(QString, stored);
        DocumentWindow *window = open(fixture(QStringLiteral("sample.png")));
        CommentTableView *table = window->commentTable();
        const QModelIndex cell = window->tableModel()->index(0, column);
        const QString before = cell.data(Qt::EditRole).toString();
        table->setCurrentIndex(cell);
        table->edit(cell);
        QWidget *editor = column == 0
            ? static_cast<QWidget *>(table->findChild<QLineEdit *>(QStringLiteral("keywordEditor")))
            : table->findChild<QPlainTextEdit *>(QStringLiteral("textEditor"));
        QVERIFY(editor);
        if (auto *line = qobject_cast<QLineEdit *>(editor))
            line->selectAll();
        for (const QString &key : std::as_const(keys)) {
            if (key == u"<Return>")
                QTest::keyClick(editor, Qt::Key_Return);
            else if (key == u"<Shift+Return>")
                QTest::keyClick(editor, Qt::Key_Return, Qt::ShiftModifier);
            else if (key == u"<Alt+Return>")
                QTest::keyClick(editor, Qt::Key_Return, Qt::AltModifier);
            else if (key == u"<Escape>")
                QTest::keyClick(editor, Qt::Key_Escape);
            else
                QTest::keyClicks(editor, key);
        }
        QTRY_VERIFY(!table->findChild<QLineEdit *>(QStringLiteral("keywordEditor"))
            && !table->findChild<QPlainTextEdit *>(QStringLiteral("textEditor")));
        QCOMPARE(cell.data(Qt::EditRole).toString(), stored.isEmpty() ? before : stored);
        QCOMPARE(window->document()->undoStack()->count(), stored.isEmpty() ? 0 : 1);
        QVERIFY(!window->isWindowModified() || !stored.isEmpty());
    }

    void entriesAndSummaryComeBeforeThePicture()
    {
        const QString path = m_dir->filePath(QStringLiteral("large.png"));
        QVERIFY(writeFile(path, simplePng(1200, 900, { tEXt("Author", "Ann"), tEXt("Title", "Dunes") })));
        DocumentWindow *window = nullptr;
        ImageView *image = nullptr;
        QProgressBar *progress = nullptr;
        {
            PicturePoolHeld held;
            window = open(path);
            image = window->findChild<ImageView *>(QStringLiteral("imageView"));
            progress = window->findChild<QProgressBar *>(QStringLiteral("pictureProgress"));
            QVERIFY(image && progress);
            QCOMPARE(summaryTexts(*window).first(), localizedString("ImageSize").arg(1200).arg(900));
            QCOMPARE(window->tableModel()->rowCount(), 2);
            QVERIFY(image->image().isNull());
            QVERIFY(progress->isVisible());
            QVERIFY(!accessibleName(progress).isEmpty());
            QVERIFY(window->previewLoader()->isRunning());
            // The window works meanwhile.
            trigger(*window, "addAction");
            QCOMPARE(window->tableModel()->rowCount(), 3);
        }
        QTRY_VERIFY(!image->image().isNull());
        QVERIFY(!progress->isVisible());
        QVERIFY(window->document()->isImageDataChecked());
        QVERIFY(window->document()->imageDataDamage().isEmpty());
        // No larger than the screen, never larger than the image, the image's proportions.
        const QSize screen = window->screen()->size() * window->screen()->devicePixelRatio();
        const QSize shown = image->image().size();
        QVERIFY(shown.width() <= std::min(screen.width(), 1200) && shown.height() <= std::min(screen.height(), 900));
        QVERIFY(shown.width() == std::min(screen.width(), 1200) || shown.height() == std::min(screen.height(), 900));
        QVERIFY(qAbs(shown.width() * 900 - shown.height() * 1200) <= 1200);

        // A new size of the window rescales the same picture: nothing is decoded again.
        const qint64 picture = image->image().cacheKey();
        const QRect before = image->imageRect();
        window->resize(window->width() + 300, window->height() + 200);
        QTRY_VERIFY(image->imageRect() != before);
        QVERIFY(!window->previewLoader()->isRunning());
        QCOMPARE(image->image().cacheKey(), picture);
    }

    void damagedImageDataIsShownAndASaveAsks_data()
    {
        QTest::addColumn<bool>("beforeThePicture"); // saved while the picture is still to come
        QTest::addColumn<bool>("saveAnyway");
        QTest::newRow("after the picture, saved") << false << true;
        QTest::newRow("after the picture, cancelled") << false << false;
        QTest::newRow("before the picture, saved") << true << true;
        QTest::newRow("before the picture, cancelled") << true << false;
    }
    void damagedImageDataIsShownAndASaveAsks()
    {
        QFETCH(bool, beforeThePicture);
        QFETCH(bool, saveAnyway);
        const QString path = m_dir->filePath(QStringLiteral("damaged.png"));
        const QByteArray original = pngWithDamagedImageData();
        QVERIFY(writeFile(path, original));
        DocumentWindow *window = nullptr;
        PromptAnswers answers;
        answers.answer = saveAnyway;
        {
            std::unique_ptr<PicturePoolHeld> held;
            if (beforeThePicture)
                held = std::make_unique<PicturePoolHeld>();
            window = open(path);
            // The entries are there whatever the pixels.
            QCOMPARE(window->tableModel()->rowCount(), 1);
            window->document()->addText(QStringLiteral("Sunset"), QStringLiteral("Title"));
            if (!beforeThePicture) {
                auto *image = window->findChild<ImageView *>(QStringLiteral("imageView"));
                QTRY_VERIFY(!image->message().isEmpty());
                QVERIFY2(image->message().contains(QStringLiteral("filter")), qPrintable(image->message()));
                QVERIFY(image->image().isNull());
                QVERIFY(!window->findChild<QProgressBar *>(QStringLiteral("pictureProgress"))->isVisible());
                auto *message = window->findChild<QLabel *>(QStringLiteral("pictureMessage"));
                QVERIFY(message && message->isVisible() && !accessibleName(message).isEmpty());
            }
            trigger(*window, "saveAction");
            QCOMPARE(answers.asked.size(), 1);
            QCOMPARE(answers.asked.first().kind, Prompts::Kind::Confirm);
            QVERIFY(answers.asked.first().text.contains(QStringLiteral("damaged.png")));
            QVERIFY2(answers.asked.first().detail.contains(QStringLiteral("filter")),
                qPrintable(answers.asked.first().detail));
        }
        if (saveAnyway) {
            QCOMPARE(fileComments(path, false), QStringList({ "Author=Ann", "Title=Sunset" }));
            QCOMPARE(chunkPayloads(readFile(path), "IDAT"), chunkPayloads(original, "IDAT"));
        } else {
            QCOMPARE(readFile(path), original);
        }
        QCOMPARE(window->isWindowModified(), !saveAnyway);
        // The picture's message shows once its decode is done, however it went.
        auto *image = window->findChild<ImageView *>(QStringLiteral("imageView"));
        QTRY_VERIFY(image->message().contains(QStringLiteral("filter")));
    }

    void soundImageDataSavesWithoutAsking()
    {
        DocumentWindow *window = open(fixture(QStringLiteral("sample.png")));
        PromptAnswers answers;
        window->document()->addText(QStringLiteral("Sunset"), QStringLiteral("Title"));
        trigger(*window, "saveAction");
        QVERIFY(answers.asked.isEmpty());
        QVERIFY(!window->isWindowModified());
    }

    void closingStopsThePictureDecode()
    {
        const QString path = m_dir->filePath(QStringLiteral("closing.png"));
        QVERIFY(writeFile(path, simplePng(1200, 900)));
        PicturePoolHeld held;
        QPointer<DocumentWindow> window = open(path);
        PreviewLoader *loader = window->previewLoader();
        QVERIFY(loader->isRunning());
        QSignalSpy finished(loader, &PreviewLoader::finished);
        QVERIFY(window->close());
        // Stopped on closing, before the window is destroyed.
        QVERIFY(!window.isNull());
        QVERIFY(!loader->isRunning());
        QVERIFY(finished.isEmpty());
    }

    void controlsAreNamed()
    {
        DocumentWindow *window = open(fixture(QStringLiteral("sample.png")));
        for (const char *name :
            { "searchField", "commentTable", "addButton", "removeButton", "presetsButton", "templatesButton" }) {
            auto *widget = window->findChild<QWidget *>(QString::fromLatin1(name));
            QVERIFY2(widget, name);
            QVERIFY2(!accessibleName(widget).isEmpty(), name);
        }
        // Every command has a menu item: the menus of the menu bar hold them.
        QStringList inMenus;
        for (QAction *menu : window->menuBar()->actions()) {
            if (menu->menu()) {
                for (QAction *item : menu->menu()->actions())
                    inMenus << item->objectName();
            }
        }
        for (const char *name : { "undoAction", "redoAction", "revertAction", "openCommentEditorAction", "addAction",
                 "removeAction", "deleteAllAction", "saveAction", "saveAsAction", "closeAction" })
            QVERIFY2(inMenus.contains(QString::fromLatin1(name)), name);
        // The application adds its own items and its Window and Help menus.
        QStringList titles;
        for (QAction *menu : window->menuBar()->actions())
            titles << itemText(menu);
        QCOMPARE(titles, QStringList({ "File", "Edit", "Comments", "Presets", "Templates" }));
    }

    void grabWindow()
    {
        DocumentWindow *window = open(fixture(QStringLiteral("sample.png")));
        window->resize(1000, 600);
        selectRows(*window, { 2 });
        QTRY_VERIFY(!window->findChild<ImageView *>(QStringLiteral("imageView"))->image().isNull());
        QCoreApplication::processEvents();
        const QImage shot = window->grab().toImage();
        const QString folder = QStringLiteral(VELMORA_BUILD_DIR "/screenshots");
        QVERIFY(QDir().mkpath(folder));
        const QString file = folder + QStringLiteral("/document-window.png");
        QVERIFY(shot.save(file));
        qInfo("Window picture: %s", qPrintable(file));
        // The image area shows the picture, not an empty background.
        auto *image = window->findChild<ImageView *>(QStringLiteral("imageView"));
        QTRY_VERIFY(image->imageRect().width() > 100);
    }

private:
    QString fixture(const QString &relative) { return copyFixture(relative, m_dir->path()); }
    QTemporaryDir m_stores;
    std::unique_ptr<MetadataPresetManager> m_presets;
    std::unique_ptr<TemplateEditor> m_templates;
    std::unique_ptr<QTemporaryDir> m_dir;
    QList<QPointer<DocumentWindow>> m_windows;

    DocumentWindow *open(const QString &path)
    {
        auto *window = new DocumentWindow(path);
        m_windows.append(window);
        window->show();
        if (!QTest::qWaitForWindowExposed(window))
            qWarning("window not exposed");
        // Every change of the table goes through the checks of the model tester.
        new QAbstractItemModelTester(
            window->tableModel(), QAbstractItemModelTester::FailureReportingMode::QtTest, window);
        return window;
    }
};

QTEST_MAIN(tst_DocumentWindow)
#include "tst_DocumentWindow.moc"
