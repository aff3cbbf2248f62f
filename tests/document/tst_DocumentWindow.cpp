#include "TestSupport.h"
#include "WindowTestSupport.h"
#include "commentlist/widgets/CommentTableModel.h"
#include "commentlist/widgets/CommentTableView.h"
#include "core/Strings.h"
#include "document/PNGDoc.h"
#include "document/PreviewLoader.h"
#include "document/widgets/ChunkListWindow.h"
#include "document/widgets/DocumentWindow.h"
#include "document/widgets/ImageView.h"
#include "document/widgets/RemoveMetadataDialog.h"
#include "windowkit/CommentEditorPanel.h"
#include "windowkit/CommentListPane.h"
#include "windowkit/EntryDetailsView.h"
#include "windowkit/Prompts.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressBar>
#include <QProgressDialog>
#include <QPushButton>
#include <QScreen>
#include <QSemaphore>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QTimer>
#include <QTreeView>
#include <QtTest>

using namespace TestSupport;
using namespace WindowTestSupport;

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

// Holds every thread of the picture decodes (or of another pool) until it goes, so that a
// test sees the window before its picture can arrive.
struct PicturePoolHeld
{
    QThreadPool *pool;
    QSemaphore started;
    QSemaphore release;
    int threads = pool->maxThreadCount();

    explicit PicturePoolHeld(QThreadPool *held = PreviewLoader::threadPool())
        : pool(held)
    {
        for (int i = 0; i < threads; ++i) {
            pool->start([this] {
                started.release();
                release.acquire();
            });
        }
        started.acquire(threads);
    }
    ~PicturePoolHeld()
    {
        release.release(threads);
        pool->waitForDone();
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
    }

    void showsPngSuiteFile_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("rows");
        QTest::newRow("RGB") << u"basn2c08.png"_qs << 0;
        QTest::newRow("text chunks") << u"ct1n0g04.png"_qs << 6;
    }
    void showsPngSuiteFile()
    {
        QFETCH(QString, file);
        DocumentWindow *window = open(fixture(QStringLiteral("pngsuite/") + file));
        // The summary's lines are PNGDoc's to get right; the window shows them.
        QCOMPARE(summaryTexts(*window), window->document()->summary().lines());
        QCOMPARE(window->windowTitle(), file + QStringLiteral("[*]"));
        QVERIFY(!window->isWindowModified());
        QTEST(window->pane()->model()->rowCount(), "rows");

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
        // Never to be saved: nothing to edit.
        QVERIFY(!isEnabled(window, "addAction"));
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

        trigger(window, "revertAction");
        QCOMPARE(answers.asked.size(), 2);
        QCOMPARE(answers.asked.first().kind, Prompts::Kind::RevertChanges);
        QCOMPARE(answers.asked.last().kind, Prompts::Kind::Error);
        QVERIFY(!answers.asked.last().detail.isEmpty());
        QVERIFY(window->isWindowModified());
        QVERIFY(tableRows(*window->pane()->model()).contains(QStringLiteral("Note=typed")));
        trigger(window, "saveAction");
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

        trigger(window, "saveAction");
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
        trigger(window, "saveAsAction");
        QCOMPARE(answers.asked.size(), 1);
        QCOMPARE(answers.asked.first().kind, Prompts::Kind::SaveFile);
        QCOMPARE(window->windowTitle(), QStringLiteral("renamed.png[*]"));
        QCOMPARE(fileComments(copy), expected + QStringList { "Added=v" });
        QCOMPARE(fileComments(path), expected);

        // A failed save shows why and leaves the window on its file, still edited.
        window->document()->addText(QStringLiteral("v"), QStringLiteral("K"));
        answers.answer = m_dir->filePath(QStringLiteral("missing/folder/target.png"));
        QTest::ignoreMessage(QtWarningMsg, "Failed to create output file");
        trigger(window, "saveAsAction");
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
        const QModelIndex keyword = window->pane()->model()->index(row, 0);
        QVERIFY(!keyword.data(Qt::DecorationRole).value<QIcon>().isNull());
        QVERIFY(keyword.data(Qt::ToolTipRole).toString().contains(u"“日本”"_qs));
        QVERIFY(window->pane()->model()->index(0, 0).data(Qt::DecorationRole).isNull());

        trigger(window, "saveAction");
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
        trigger(window, "closeAction");
        QCOMPARE(answers.asked.size(), edited ? 1 : 0);
        if (edited) {
            QCOMPARE(answers.asked.first().kind, Prompts::Kind::SaveChanges);
            QVERIFY(answers.asked.first().text.contains(QStringLiteral("ct1n0g04.png")));
        }
        // A closed window deletes itself.
        QTRY_COMPARE(window.isNull(), closed);
        QCOMPARE(fileComments(path), written ? QStringList() : before);
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
        const QStringList original = tableRows(*window->pane()->model(), Qt::EditRole);
        if (edited)
            trigger(window, "deleteAllAction");
        trigger(window, "revertAction");
        QCOMPARE(answers.asked.size(), asked ? 1 : 0);
        if (!answers.asked.isEmpty()) {
            QCOMPARE(answers.asked.first().kind, Prompts::Kind::RevertChanges);
            QVERIFY(answers.asked.first().text.contains(QStringLiteral("sample.png")));
        }
        QCOMPARE(tableRows(*window->pane()->model(), Qt::EditRole) == original, reverted || !edited);
        QCOMPARE(window->isWindowModified(), edited && !reverted);
        // Reading the file again forgets the steps made before.
        QCOMPARE(window->findChild<QAction *>(QStringLiteral("undoAction"))->isEnabled(), edited && !reverted);
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
            QCOMPARE(window->pane()->model()->rowCount(), 2);
            QVERIFY(image->image().isNull());
            QVERIFY(progress->isVisible());
            QVERIFY(!accessibleName(progress).isEmpty());
            QVERIFY(window->previewLoader()->isRunning());
            // The window works meanwhile.
            trigger(window, "addAction");
            QCOMPARE(window->pane()->model()->rowCount(), 3);
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
            QCOMPARE(window->pane()->model()->rowCount(), 1);
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
            trigger(window, "saveAction");
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

    // The comment list pane over the document, beside the search field, which takes the
    // text commands; after a list command the table has the focus, so Undo undoes it.
    void composesTheCommentPane()
    {
        DocumentWindow *window = open(fixture(QStringLiteral("sample.png")));
        window->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window));
        const int rows = window->document()->rowCount();
        trigger(window, "findAction");
        auto *search = window->findChild<QLineEdit *>(QStringLiteral("searchField"));
        QCOMPARE(QApplication::focusWidget(), search);
        QTest::keyClicks(search, u"t"_qs);
        search->selectAll();
        trigger(window, "deleteAction");
        QCOMPARE(search->text(), QString());
        QCOMPARE(window->document()->rowCount(), rows);
        search->setFocus();
        trigger(window, "deleteAllAction");
        QTest::keySequence(QApplication::focusWidget(), QKeySequence::Undo);
        QCOMPARE(window->document()->rowCount(), rows);
        QVERIFY(!window->isWindowModified());
        // With a search typed, Delete All deletes the rows shown and says so, as its step does.
        auto *deleteAll = window->findChild<QAction *>(QStringLiteral("deleteAllAction"));
        QCOMPARE(deleteAll->text(), localizedString("MenuDeleteAll"));
        QTest::keyClicks(search, u"tit"_qs);
        QCOMPARE(deleteAll->text(), localizedString("MenuDeleteAllShown"));
        deleteAll->trigger();
        QCOMPARE(window->document()->allComments().size(), rows - 1);
        QCOMPARE(window->findChild<QAction *>(QStringLiteral("undoAction"))->text(),
            localizedString("MenuUndoStep").arg(localizedString("StepDeleteAllShown")));
        search->clear();
        QCOMPARE(deleteAll->text(), localizedString("MenuDeleteAll"));
        selectRows(window->pane()->table(), { 0 });
        trigger(window, "openCommentEditorAction");
        QCOMPARE(window->pane()->commentEditor()->windowTitle(), u"Comment Editor — sample.png"_qs);
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

    // The details beside the table: the entry's readings as branches of one tree, values and
    // branches copied, the prompt copied; the stored text stays as it was.
    void detailsOfTheSelectedEntry_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("keyword");
        QTest::addColumn<QStringList>("sections");
        QTest::addColumn<QString>("prompt"); // empty: Copy Prompt is off
        QTest::addColumn<QStringList>("path"); // of the item Copy Value copies
        QTest::addColumn<QString>("value");
        const QString api = u"Generation settings: ComfyUI"_qs;
        QTest::newRow("ComfyUI graph") << "comfyui.png"
                                       << "prompt"
                                       << QStringList { api + u" (3 KSampler)"_qs, api + u" (20 KSamplerAdvanced)"_qs,
                                              "JSON" }
                                       << "a lighthouse on a cliff at dusk\ndramatic clouds\n\n"
                                          "a lighthouse on a cliff at dusk" // each sampler's, once
                                       << QStringList { "JSON", "5", "inputs" }
                                       << "{\n    \"batch_size\": 1,\n    \"height\": 768,\n    \"width\": 1024\n}";
        QTest::newRow("A1111 text") << "a1111.png"
                                    << "parameters"
                                    << QStringList { "Generation settings: Stable Diffusion web UI v1.9.3" }
                                    << "masterpiece, a lighthouse on a cliff,\n(dusk:1.2), dramatic sky"
                                    << QStringList { "Generation settings: Stable Diffusion web UI v1.9.3", "Seed" }
                                    << "3141592653";
        QTest::newRow("XMP packet") << "xmp.png"
                                    << "XML:com.adobe.xmp" << QStringList { "XMP properties" } << QString()
                                    << QStringList { "XMP properties", "dc:creator" } << "Ann Lee; Bo Chen";
        QTest::newRow("damaged JSON: plain text")
            << "damaged-json.png"
            << "prompt" << QStringList() << QString() << QStringList() << QString();
    }
    void detailsOfTheSelectedEntry()
    {
        QFETCH(QString, file);
        QFETCH(QString, keyword);
        QFETCH(QStringList, sections);
        QFETCH(QString, prompt);
        QFETCH(QStringList, path);
        QFETCH(QString, value);
        const QString copy = fixture(u"provenance/"_qs + file);
        const QByteArray before = readFile(copy);
        DocumentWindow *window = open(copy);
        PNGDoc *doc = window->document();
        EntryDetailsView *details = window->pane()->details();
        QVERIFY(details);
        int row = 0;
        while (row < doc->rowCount() && doc->commentAt(row)->keyword() != keyword)
            ++row;
        selectRows(window->pane()->table(), { row });
        QCOMPARE(details->entry(), doc->commentAt(row));

        auto *tree = details->findChild<QTreeView *>(u"detailsTree"_qs);
        QCOMPARE(firstColumnTexts(*tree->model()), sections);
        auto *tabs = details->findChild<QTabWidget *>(u"detailsTabs"_qs);
        QCOMPARE(tabs->isTabVisible(0), !sections.isEmpty());
        tabs->setCurrentIndex(1);
        const QString text = details->findChild<QPlainTextEdit *>(u"detailsText"_qs)->toPlainText();
        if (sections.contains(u"JSON"_qs))
            QVERIFY(text.contains(u"\n    \"3\": {\n"_qs));
        else
            QCOMPARE(text, doc->commentAt(row)->text());

        QCOMPARE(isEnabled(window, "copyPromptAction"), !prompt.isEmpty());
        if (!prompt.isEmpty()) {
            trigger(window, "copyPromptAction");
            QCOMPARE(QApplication::clipboard()->text(), prompt);
        }
        QModelIndex item;
        for (const QString &name : std::as_const(path)) {
            const QModelIndexList found
                = tree->model()->match(tree->model()->index(0, 0, item), Qt::DisplayRole, name, 1, Qt::MatchExactly);
            QVERIFY2(!found.isEmpty(), qPrintable(name));
            item = found.first();
            tree->expand(item); // a JSON branch's own branches come when it opens
        }
        QCOMPARE(isEnabled(window, "copyValueAction"), false);
        if (item.isValid()) {
            tree->setCurrentIndex(item);
            trigger(window, "copyValueAction");
            QCOMPARE(QApplication::clipboard()->text(), value);
        }
        // Reading changed nothing: a save writes the file as it was.
        QVERIFY(!doc->isModified());
        QVERIFY(window->save());
        QCOMPARE(readFile(copy), before);
    }

    // Window ▸ Chunks: every chunk of the file in order, the chunks before a break and why,
    // Copy as Text.
    void chunkInspector_data()
    {
        QTest::addColumn<int>("cut"); // bytes cut off the end
        QTest::addColumn<bool>("broken");
        QTest::newRow("whole file") << 0 << false;
        QTest::newRow("cut off in its last chunks") << 20 << true;
    }
    void chunkInspector()
    {
        QFETCH(int, cut);
        QFETCH(bool, broken);
        const QString path = m_dir->filePath(u"chunks.png"_qs);
        const QByteArray whole = TestSupport::readFile(dataPath(u"provenance/everything.png"_qs));
        QVERIFY(writeFile(path, whole.left(whole.size() - cut)));
        DocumentWindow *window = open(path);
        QCOMPARE(window->loadError().isEmpty(), !broken); // the chunks before the damage all the same
        trigger(window, "chunksAction");
        auto *inspector = window->findChild<ChunkListWindow *>();
        QVERIFY(inspector && inspector->isVisible());
        auto *tree = inspector->findChild<QTreeView *>(u"chunksTree"_qs);
        QStringList types = chunkTypes(whole);
        QCOMPARE(firstColumnTexts(*tree->model()), broken ? types.mid(0, types.size() - 2) : types);
        QCOMPARE(inspector->findChild<QLabel *>(u"chunksErrorLabel"_qs)->isVisibleTo(inspector), broken);
        if (broken)
            return;
        const QModelIndex exif = tree->model()->index(int(types.indexOf(u"eXIf"_qs)), 0);
        QVERIFY(tree->model()->rowCount(exif) > 0); // its fields as branches
        QCOMPARE(tree->model()->index(0, 1).data().toString(), u"8"_qs);
        QCOMPARE(tree->model()->index(0, 2).data().toString(), u"13"_qs);
        QTest::mouseClick(inspector->findChild<QAbstractButton *>(u"copyChunksButton"_qs), Qt::LeftButton);
        const QStringList lines = QApplication::clipboard()->text().split(u'\n');
        QVERIFY2(
            lines.first().startsWith(u"IHDR\toffset 8\tlength 13\tCRC ok\tcritical"_qs), qPrintable(lines.first()));
    }

    // File ▸ Remove Metadata…: the choices made apply in one step of the undo history, and
    // the privacy notice follows what the document would still give away.
    void removeMetadataAndThePrivacyNotice()
    {
        DocumentWindow *window = open(fixture(u"provenance/everything.png"_qs));
        auto *notice = window->findChild<QLabel *>(u"privacyNotice"_qs);
        QVERIFY(notice->isVisibleTo(window));
        for (const QString &told :
            { u"GPS position (51.50740° N, 0.12777° W)"_qs, u"generation settings"_qs, u"Ann Lee, Bo Chen"_qs })
            QVERIFY2(accessibleName(notice).contains(told), qPrintable(accessibleName(notice)));

        const QList<bool> offered { true, true, true, true, true, true, false, true, true, true };
        RemoveMetadataDialog dialog(window->document()->removalPlan(), u"everything.png"_qs, window);
        QCOMPARE(dialog.choices(), offered);
        QVERIFY(dialog.findChild<QLabel *>(u"credentialsWarning"_qs)->isVisibleTo(&dialog));
        dialog.show(); // Return in the list removes
        QTest::keyClick(dialog.findChild<QWidget *>(u"removeItemsTree"_qs), Qt::Key_Return);
        QCOMPARE(dialog.result(), int(QDialog::Accepted));

        PromptAnswers answers;
        answers.answer = QVariant(); // cancelled
        trigger(window, "removeMetadataAction");
        QCOMPARE(window->document()->undoStack()->count(), 0);
        const Prompts::Request asked = answers.of(Prompts::Kind::RemoveMetadata).first();
        QVERIFY(asked.detail.contains(u"masterpiece, a lighthouse"_qs));
        QVERIFY(asked.detail.contains(u"GPS position 51.50740° N, 0.12777° W"_qs));
        QVariantList chosen = asked.options;
        QCOMPARE(chosen.size(), offered.size());
        chosen[3] = false; // the comment after the image data stays
        answers.answer = chosen;
        trigger(window, "removeMetadataAction");
        QCOMPARE(describe(window->document()->allComments()), QStringList({ "Comment=after the image data" }));
        QCOMPARE(window->document()->leftOutChunks().size(), 5);
        QVERIFY(window->isWindowModified());
        QVERIFY(!notice->isVisibleTo(window));
        trigger(window, "undoAction");
        QCOMPARE(window->document()->allComments().size(), 4);
        QVERIFY(notice->isVisibleTo(window));
    }

    // A save before the image data was checked waits for its check, off the GUI thread, with
    // a progress dialog whose Cancel abandons the save.
    void saveWaitsForTheImageDataCheck()
    {
        const QString path = m_dir->filePath(QStringLiteral("unchecked.png"));
        const QByteArray original = simplePng(64, 64, { tEXt("Author", "Ann") });
        QVERIFY(writeFile(path, original));
        PicturePoolHeld picture;
        DocumentWindow *window = open(path);
        window->document()->addText(QStringLiteral("Sunset"), QStringLiteral("Title"));
        {
            PicturePoolHeld check(PNGDoc::checkThreadPool());
            bool shown = false;
            QTimer poll;
            connect(&poll, &QTimer::timeout, window, [&] {
                auto *progress = window->findChild<QProgressDialog *>(QStringLiteral("imageCheckProgress"));
                if (!shown && progress && progress->isVisible()) {
                    shown = true;
                    QTest::mouseClick(progress->findChild<QPushButton *>(), Qt::LeftButton);
                }
            });
            poll.start(20);
            QVERIFY(!window->save());
            QVERIFY(shown);
        }
        QCOMPARE(readFile(path), original);
        QVERIFY(window->isWindowModified() && !window->document()->isImageDataChecked());
        QVERIFY(window->save());
        QVERIFY(window->document()->isImageDataChecked());
        QCOMPARE(fileComments(path, false), QStringList({ "Author=Ann", "Title=Sunset" }));
    }

private:
    QString fixture(const QString &relative) { return copyFixture(relative, m_dir->path()); }
    std::unique_ptr<QTemporaryDir> m_dir;
    QList<QPointer<DocumentWindow>> m_windows;

    DocumentWindow *open(const QString &path)
    {
        auto *window = new DocumentWindow(path, {});
        m_windows.append(window);
        window->show();
        if (!QTest::qWaitForWindowExposed(window))
            qWarning("window not exposed");
        // Every change of the table goes through the checks of the model tester.
        new QAbstractItemModelTester(
            window->pane()->model(), QAbstractItemModelTester::FailureReportingMode::QtTest, window);
        return window;
    }
};

QTEST_MAIN(tst_DocumentWindow)
#include "tst_DocumentWindow.moc"
