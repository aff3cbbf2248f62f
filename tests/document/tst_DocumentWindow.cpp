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

// Selects the entry "prompt" of a window; its details.
EntryDetailsView *selectPrompt(DocumentWindow *window)
{
    int row = 0;
    while (window->document()->commentAt(row)->keyword() != u"prompt")
        ++row;
    selectRows(window->pane()->table(), { row });
    return window->pane()->details();
}

} // namespace

class tst_DocumentWindow : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_dir = std::make_unique<TempFolder>(); }

    void cleanup()
    {
        for (const auto &window : std::as_const(m_windows))
            delete window.data();
        m_windows.clear();
    }

    // A file shown: its summary, name and picture, scaled to fit and centred. A file that is
    // no PNG still gets its window, with nothing to edit; a revert that cannot read the file
    // says why and keeps the edits.
    void showsTheFileOrWhyNot()
    {
        const QString bad = m_dir->write(QStringLiteral("not-a-png.png"), "GIF89a, not a PNG at all");
        DocumentWindow *failed = open(bad);
        QCOMPARE(summaryTexts(*failed), QStringList({ localizedString("ImageLoadFailed"), "", "", "", "", "" }));
        QVERIFY(!failed->findChild<QLabel *>(QStringLiteral("imageSizeField"))->toolTip().isEmpty());

        PromptAnswers answers;
        answers.answer = true; // revert when asked
        const QString path = fixture(QStringLiteral("pngsuite/ct1n0g04.png"));
        DocumentWindow *window = open(path);
        QCOMPARE(summaryTexts(*window), window->document()->summary().lines());
        QCOMPARE(window->windowTitle(), u"ct1n0g04.png[*]"_qs);
        auto *image = window->findChild<ImageView *>(QStringLiteral("imageView"));
        QTRY_COMPARE(image->image().size(), QSize(32, 32));
        const QRect shown = image->imageRect();
        QCOMPARE(shown.size(), QSize(1, 1) * std::min(image->width(), image->height()));
        QVERIFY(image->rect().contains(shown));
        window->document()->addText(QStringLiteral("typed"), QStringLiteral("Note"));
        QVERIFY(writeFile(path, "not a PNG"));
        trigger(window, "revertAction");
        QCOMPARE(answers.asked.last().kind, Prompts::Kind::Error); // after the question whether to revert
    }

    void saveSaveAsAndFailedSave()
    {
        PromptAnswers answers;
        const QString path = fixture(QStringLiteral("sample.png"));
        const QStringList original = fileComments(path);
        DocumentWindow *window = open(path);
        window->document()->addText(QStringLiteral("v"), QStringLiteral("Added"));
        trigger(window, "saveAction");
        QCOMPARE(fileComments(path), original + QStringList { "Added=v" });
        QVERIFY(answers.asked.isEmpty());

        // Save As goes to the chosen file, which the window then names.
        const QString copy = m_dir->path(QStringLiteral("renamed.png"));
        answers.answer = copy;
        window->document()->addText(QStringLiteral("w"), QStringLiteral("More"));
        trigger(window, "saveAsAction");
        QCOMPARE(window->windowTitle(), QStringLiteral("renamed.png[*]"));
        QCOMPARE(fileComments(copy), original + QStringList({ "Added=v", "More=w" }));
        QCOMPARE(fileComments(path), original + QStringList { "Added=v" });

        // A failed save shows why.
        window->document()->addText(QStringLiteral("v"), QStringLiteral("K"));
        answers.answer = m_dir->path(QStringLiteral("missing/folder/target.png"));
        QTest::ignoreMessage(QtWarningMsg, "Failed to create output file");
        trigger(window, "saveAsAction");
        const Prompts::Request error = answers.asked.last();
        QCOMPARE(error.kind, Prompts::Kind::Error);
        QVERIFY2(error.text.contains(QStringLiteral("target.png")), qPrintable(error.text));

        // An entry a PNG file cannot hold: a warning sign beside its keyword; a save names it.
        window->document()->addText(QStringLiteral("x"), u"日本"_qs);
        const CommentTableModel *model = window->pane()->model();
        QVERIFY(!model->index(model->rowCount() - 1, 0).data(Qt::DecorationRole).value<QIcon>().isNull());
        QVERIFY(model->index(0, 0).data(Qt::DecorationRole).isNull());
        answers.asked.clear();
        trigger(window, "saveAction");
        QCOMPARE(answers.asked.size(), 1);
        QCOMPARE(answers.asked.first().kind, Prompts::Kind::Information);
        QVERIFY2(answers.asked.first().detail.contains(u"“日本”"_qs), qPrintable(answers.asked.first().detail));

        // The comment list pane over the document, beside the search field that Find reaches and
        // whose search Delete All follows; the comment editor named after the file. The pane's
        // own commands are tst_CommentListPane's.
        QVERIFY(activate(window));
        trigger(window, "findAction");
        auto *search = window->findChild<QLineEdit *>(QStringLiteral("searchField"));
        QCOMPARE(QApplication::focusWidget(), search);
        // With a search typed, Delete All says it deletes the rows shown.
        auto *deleteAll = window->findChild<QAction *>(QStringLiteral("deleteAllAction"));
        QTest::keyClicks(search, u"tit"_qs);
        QCOMPARE(deleteAll->text(), localizedString("MenuDeleteAllShown"));
        search->clear();
        QCOMPARE(deleteAll->text(), localizedString("MenuDeleteAll"));
        selectRows(window->pane()->table(), { 0 });
        trigger(window, "openCommentEditorAction");
        QCOMPARE(window->pane()->commentEditor()->windowTitle(), u"Comment Editor — renamed.png"_qs);
    }

    // Close and Revert ask before edits are lost, and do as answered.
    void closeAndRevertAsk_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<bool>("edited");
        QTest::addColumn<QVariant>("answer");
        QTest::addColumn<bool>("closed");
        QTest::addColumn<bool>("written");
        QTest::addColumn<bool>("editsKept");
        const auto row = [](const char *name, const char *command, bool edited, const QVariant &answer, bool closed,
                             bool written, bool kept) {
            QTest::newRow(name) << QByteArray(command) << edited << answer << closed << written << kept;
        };
        row("unedited closes without asking", "closeAction", false, {}, true, false, false);
        row("close, save", "closeAction", true, int(Prompts::SaveChoice::Save), true, true, false);
        row("close, discard", "closeAction", true, int(Prompts::SaveChoice::Discard), true, false, false);
        row("close, cancel", "closeAction", true, int(Prompts::SaveChoice::Cancel), false, false, true);
        row("unedited reverts without asking", "revertAction", false, {}, false, false, false);
        row("revert, cancelled", "revertAction", true, false, false, false, true);
        row("revert, continued", "revertAction", true, true, false, false, false);
    }
    void closeAndRevertAsk()
    {
        QFETCH(QByteArray, command);
        QFETCH(bool, edited);
        QFETCH(bool, editsKept);
        const QString path = fixture(QStringLiteral("pngsuite/ct1n0g04.png"));
        const QStringList before = fileComments(path);
        QPointer<DocumentWindow> window = open(path);
        if (edited)
            trigger(window, "deleteAllAction");
        PromptAnswers answers;
        QFETCH(QVariant, answer);
        answers.answer = answer;
        trigger(window, command.constData());
        QCOMPARE(answers.asked.size(), edited ? 1 : 0);
        if (edited) {
            QCOMPARE(answers.asked[0].kind,
                command == "closeAction" ? Prompts::Kind::SaveChanges : Prompts::Kind::RevertChanges);
            QVERIFY(answers.asked[0].text.contains(QStringLiteral("ct1n0g04.png")));
        }
        // A closed window deletes itself.
        QFETCH(bool, closed);
        QTRY_COMPARE(window.isNull(), closed);
        QFETCH(bool, written);
        QCOMPARE(fileComments(path), written ? QStringList() : before);
        if (window)
            QCOMPARE(window->isWindowModified(), editsKept);
    }

    void entriesAndSummaryComeBeforeThePicture()
    {
        const QString path = m_dir->write(
            QStringLiteral("large.png"), simplePng(1200, 900, { tEXt("Author", "Ann"), tEXt("Title", "Dunes") }));
        DocumentWindow *window = nullptr;
        ImageView *image = nullptr;
        QProgressBar *progress = nullptr;
        {
            PicturePoolHeld held;
            window = open(path);
            image = window->findChild<ImageView *>(QStringLiteral("imageView"));
            progress = window->findChild<QProgressBar *>(QStringLiteral("pictureProgress"));
            QCOMPARE(summaryTexts(*window).first(), localizedString("ImageSize").arg(1200).arg(900));
            QVERIFY(image->image().isNull() && progress->isVisible());
            QVERIFY(!accessibleName(progress).isEmpty());
            // The window works meanwhile.
            trigger(window, "addAction");
            QCOMPARE(window->pane()->model()->rowCount(), 3);
            // Another one closed stops its decode, before it is destroyed.
            QPointer<DocumentWindow> closing = open(path);
            PreviewLoader *loader = closing->previewLoader();
            QVERIFY(loader->isRunning());
            QSignalSpy finished(loader, &PreviewLoader::finished);
            QVERIFY(closing->close());
            QVERIFY(!closing.isNull() && !loader->isRunning() && finished.isEmpty());
        }
        QTRY_VERIFY(!image->image().isNull());
        QVERIFY(!progress->isVisible());
        QVERIFY(window->document()->isImageDataChecked());
        // No larger than the screen, never larger than the image.
        const QSize screen = window->screen()->size() * window->screen()->devicePixelRatio();
        const QSize shown = image->image().size();
        QVERIFY(shown.width() == std::min(screen.width(), 1200) || shown.height() == std::min(screen.height(), 900));

        // A new size of the window rescales the same picture: nothing is decoded again.
        const qint64 picture = image->image().cacheKey();
        const QRect before = image->imageRect();
        window->resize(window->width() + 300, window->height() + 200);
        QTRY_VERIFY(image->imageRect() != before);
        QCOMPARE(image->image().cacheKey(), picture);
    }

    void damagedImageDataIsShownAndASaveAsks_data()
    {
        QTest::addColumn<bool>("beforeThePicture"); // saved while the picture is still to come
        QTest::addColumn<bool>("saveAnyway");
        QTest::newRow("after the picture, cancelled") << false << false;
        QTest::newRow("before the picture, saved") << true << true;
    }
    void damagedImageDataIsShownAndASaveAsks()
    {
        QFETCH(bool, beforeThePicture);
        QFETCH(bool, saveAnyway);
        const QString path = m_dir->write(QStringLiteral("damaged.png"), pngWithDamagedImageData());
        DocumentWindow *window = nullptr;
        PromptAnswers answers;
        answers.answer = saveAnyway;
        {
            std::unique_ptr<PicturePoolHeld> held;
            if (beforeThePicture)
                held = std::make_unique<PicturePoolHeld>();
            window = open(path);
            window->document()->addText(QStringLiteral("Sunset"), QStringLiteral("Title"));
            if (!beforeThePicture) {
                auto *message = window->findChild<QLabel *>(QStringLiteral("pictureMessage"));
                QTRY_VERIFY(message->isVisible());
                QVERIFY(!accessibleName(message).isEmpty());
            }
            trigger(window, "saveAction");
            QCOMPARE(answers.asked.size(), 1);
            QCOMPARE(answers.asked.first().kind, Prompts::Kind::Confirm);
            QVERIFY2(answers.asked.first().detail.contains(QStringLiteral("filter")),
                qPrintable(answers.asked.first().detail));
        }
        QCOMPARE(fileComments(path, false),
            saveAnyway ? QStringList({ "Author=Ann", "Title=Sunset" }) : QStringList { "Author=Ann" });
        QCOMPARE(window->isWindowModified(), !saveAnyway);
        // The picture's message shows once its decode is done, however it went.
        auto *image = window->findChild<ImageView *>(QStringLiteral("imageView"));
        QTRY_VERIFY(image->message().contains(QStringLiteral("filter")));
    }

    // The details beside the table: the entry's readings as branches of one tree, values and
    // branches copied, the prompt copied; the stored text stays as it was.
    void detailsOfTheSelectedEntry()
    {
        const QString path = fixture(u"provenance/comfyui.png"_qs);
        const QByteArray before = readFile(path);
        DocumentWindow *window = open(path);
        EntryDetailsView *details = selectPrompt(window);
        auto *tree = details->findChild<QTreeView *>(u"detailsTree"_qs);
        const QString api = u"Generation settings: ComfyUI"_qs;
        QCOMPARE(firstColumnTexts(*tree->model()),
            QStringList({ api + u" (3 KSampler)"_qs, api + u" (20 KSamplerAdvanced)"_qs, "JSON" }));
        details->findChild<QTabWidget *>(u"detailsTabs"_qs)->setCurrentIndex(1);
        QVERIFY(
            details->findChild<QPlainTextEdit *>(u"detailsText"_qs)->toPlainText().contains(u"\n    \"3\": {\n"_qs));
        trigger(window, "copyPromptAction");
        QCOMPARE(QApplication::clipboard()->text(), // each sampler's, once
            u"a lighthouse on a cliff at dusk\ndramatic clouds\n\na lighthouse on a cliff at dusk"_qs);
        QModelIndex item;
        for (const QString &name : { u"JSON"_qs, u"5"_qs, u"inputs"_qs }) {
            item = tree->model()
                       ->match(tree->model()->index(0, 0, item), Qt::DisplayRole, name, 1, Qt::MatchExactly)
                       .value(0);
            tree->expand(item); // a JSON branch's own branches come when it opens
        }
        QVERIFY(!isEnabled(window, "copyValueAction"));
        tree->setCurrentIndex(item);
        trigger(window, "copyValueAction");
        QCOMPARE(QApplication::clipboard()->text(),
            u"{\n    \"batch_size\": 1,\n    \"height\": 768,\n    \"width\": 1024\n}"_qs);
        // Reading changed nothing: a save writes the file as it was.
        QVERIFY(window->save());
        QCOMPARE(readFile(path), before);

        // Damaged JSON: its text only, no prompt to copy.
        DocumentWindow *damaged = open(fixture(u"provenance/damaged-json.png"_qs));
        QVERIFY(!selectPrompt(damaged)->findChild<QTabWidget *>(u"detailsTabs"_qs)->isTabVisible(0));
        QVERIFY(!isEnabled(damaged, "copyPromptAction"));
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
        const QByteArray whole = TestSupport::readFile(dataPath(u"provenance/everything.png"_qs));
        const QString path = m_dir->write(u"chunks.png"_qs, whole.left(whole.size() - cut));
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
        QVariantList chosen = asked.options;
        QCOMPARE(chosen.size(), offered.size());
        chosen[3] = false; // the comment after the image data stays
        answers.answer = chosen;
        trigger(window, "removeMetadataAction");
        QCOMPARE(describe(window->document()->allComments()), QStringList({ "Comment=after the image data" }));
        QVERIFY(!notice->isVisibleTo(window));
        trigger(window, "undoAction");
        QVERIFY(notice->isVisibleTo(window));
    }

    // A save before the image data was checked waits for its check, off the GUI thread, with
    // a progress dialog whose Cancel abandons the save.
    void saveWaitsForTheImageDataCheck()
    {
        const QByteArray original = simplePng(64, 64, { tEXt("Author", "Ann") });
        const QString path = m_dir->write(QStringLiteral("unchecked.png"), original);
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
    std::unique_ptr<TempFolder> m_dir;
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
