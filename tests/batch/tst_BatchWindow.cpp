#include "RunPacer.h"
#include "TestSupport.h"
#include "WindowTestSupport.h"

#include "batch/BatchFileList.h"
#include "batch/widgets/BatchFileTableView.h"
#include "batch/widgets/BatchWindow.h"
#include "commentlist/CommentListOwner.h"
#include "commentlist/widgets/CommentTableView.h"
#include "windowkit/CommentEditorPanel.h"
#include "windowkit/CommentListPane.h"
#include "windowkit/Prompts.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QSettings>
#include <QTemporaryDir>
#include <QUrl>
#include <QtTest>

using namespace TestSupport;

using namespace WindowTestSupport;

class tst_BatchWindow : public QObject
{
    Q_OBJECT

    QTemporaryDir m_stores;
    std::unique_ptr<TempFolder> m_dir;
    QList<QPointer<BatchWindow>> m_windows;

    BatchWindow *newWindow()
    {
        auto *window = new BatchWindow({});
        window->processor()->setThreads(1);
        m_windows << window;
        if (!activate(window))
            qWarning("the window did not become active");
        return window;
    }
    QString png(const QString &name, const std::vector<RawChunk> &chunks = {})
    {
        return m_dir->write(name, simplePng(5, 3, chunks));
    }
    static QStringList fileNames(BatchWindow *window)
    {
        QStringList names;
        for (const QString &p : window->processor()->files()->paths())
            names << QFileInfo(p).fileName();
        return names;
    }

private slots:
    void initTestCase()
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_stores.filePath(u"config"_qs)));
        QCoreApplication::setOrganizationName(QStringLiteral("VelmoraTest"));
    }
    void init() { m_dir = std::make_unique<TempFolder>(); }
    void cleanup()
    {
        for (const auto &window : std::as_const(m_windows))
            delete window.data();
        m_windows.clear();
        QApplication::clipboard()->clear();
        QSettings().remove(u"checkFileExtWhenAddingToBatchList"_qs);
    }

    // Delete, Select All, Copy and Paste reach the files list when it has the focus (the
    // pane's tests hold the rest); the label counts the files.
    void editCommandsFollowTheFocus()
    {
        BatchWindow *window = newWindow();
        window->processor()->addFiles({ png(u"a.png"_qs), png(u"b.png"_qs), png(u"c.png"_qs) });
        selectRows(window->filesTable(), { 1 });
        window->filesTable()->setFocus();
        trigger(window, "deleteAction");
        QCOMPARE(fileNames(window), QStringList({ "a.png", "c.png" }));
        QCOMPARE(window->findChild<QLabel *>(u"filesLabel"_qs)->text(), u"Files to process: 2"_qs);
        trigger(window, "selectAllAction");
        trigger(window, "copyAction");
        trigger(window, "pasteAction");
        QCOMPARE(fileNames(window), QStringList({ "a.png", "a.png", "c.png", "c.png" }));
    }

    void filesArriveByDropAndDialogs()
    {
        BatchWindow *window = newWindow();
        png(u"f/b.png"_qs);
        png(u"f/sub/d.png"_qs);
        m_dir->write(u"f/c.jpg"_qs, "jpeg");

        // Dropped from a file manager onto the files table (no drag source in this process).
        dropFiles(window->filesTable()->viewport(), { m_dir->path(u"f/sub"_qs) });
        QCOMPARE(fileNames(window), QStringList { "d.png" });

        // The dialogs: files (PNG filter first while the extension check is on), a folder.
        PromptAnswers prompts;
        prompts.byKind
            = { { Prompts::Kind::OpenFiles, QStringList { m_dir->path(u"f/c.jpg"_qs), m_dir->path(u"f/b.png"_qs) } },
                  { Prompts::Kind::OpenFolder, m_dir->path(u"f/sub"_qs) } };
        trigger(window, "addFilesAction");
        QCOMPARE(fileNames(window), QStringList({ "b.png", "d.png" })); // the check is on
        QVERIFY(prompts.of(Prompts::Kind::OpenFiles).first().filters.first().contains(u"*.png"_qs));
        QSettings().setValue(u"checkFileExtWhenAddingToBatchList"_qs, false);
        trigger(window, "addFilesAction");
        QCOMPARE(prompts.of(Prompts::Kind::OpenFiles).last().filters.first(), u"All files (*)"_qs);
        trigger(window, "addFolderAction");
        QCOMPARE(fileNames(window), QStringList({ "b.png", "b.png", "c.jpg", "d.png", "d.png" }));
    }

    // A run paced file by file: its progress, the controls locked while it goes, Escape as
    // Cancel, the report; then editing again; a second run, and the window closed during it.
    void runShowsProgressLocksTheControlsAndReports()
    {
        BatchWindow *window = newWindow();
        BatchProcessor *processor = window->processor();
        QStringList files;
        for (int i = 0; i < 4; ++i)
            files << png(u"f%1.png"_qs.arg(i));
        processor->addFiles(files);
        processor->comments()->insertObject(commentsFrom({ "Author=%FILENAME%" }).first(), -1);
        window->findChild<QCheckBox *>(u"replaceCheckbox"_qs)->click();
        QVERIFY(processor->replaceSameKeyword() && window->findChild<QAction *>(u"replaceAction"_qs)->isChecked());
        selectRows(window->pane()->table(), { 0 });
        trigger(window, "openCommentEditorAction");
        PromptAnswers prompts;
        RunPacer pacer;
        processor->setGroupFiles(1);
        processor->setFileObserver(pacer.observer());
        auto *bar = window->findChild<QProgressBar *>(u"progressBar"_qs);
        auto *label = window->findChild<QLabel *>(u"progressLabel"_qs);
        QVERIFY(!bar->isVisible()); // nothing counted yet

        QTest::mouseClick(window->findChild<QAbstractButton *>(u"runButton"_qs), Qt::LeftButton);
        QVERIFY(pacer.waitForFile());
        pacer.letGo();
        QTRY_COMPARE(bar->value(), 1);
        QVERIFY(bar->isVisible() && bar->maximum() == 4);
        QVERIFY2(label->text().contains(u"f0.png"_qs), qPrintable(label->text()));

        QVERIFY(window->findChild<QAbstractButton *>(u"cancelButton"_qs)->isEnabled());
        for (const char *name : { "runButton", "addButton", "removeButton", "addFilesButton", "removeFilesButton",
                 "clearExistingCheckbox", "replaceCheckbox", "presetsButton" })
            QVERIFY2(!window->findChild<QWidget *>(QString::fromLatin1(name))->isEnabled(), name);
        for (const char *name : { "runAction", "pasteAction", "deleteAction", "addAction", "addFilesAction" })
            QVERIFY2(!isEnabled(window, name), name);
        QVERIFY(isEnabled(window, "copyAction"));
        QVERIFY(!window->pane()->commentEditor()->isEnabled());
        QVERIFY(!window->filesTable()->acceptDrops());

        QVERIFY(pacer.waitForFile());
        QTest::keyClick(window, Qt::Key_Escape);
        QCoreApplication::processEvents(); // progress of the files done meanwhile does not hide it
        QVERIFY(label->text().startsWith(u"Cancelling"_qs));
        pacer.letGo();
        QTRY_COMPARE(prompts.of(Prompts::Kind::Report).size(), 1);
        const Prompts::Request report = prompts.of(Prompts::Kind::Report).first();
        QCOMPARE(report.text, u"Processing cancelled"_qs);
        QCOMPARE(report.report, u"Files not processed:\n"_qs + files.mid(2).join(u'\n'));
        QCOMPARE(bar->value(), 2);
        // Editing again.
        QVERIFY(window->findChild<QWidget *>(u"addButton"_qs)->isEnabled());
        QVERIFY(window->pane()->commentEditor()->isEnabled() && window->filesTable()->acceptDrops());
        QVERIFY(!isEnabled(window, "cancelAction"));

        // Closed during a run: kept open when the user says no; agreed, it goes once the run has
        // stopped after its file, with no report.
        QPointer<BatchWindow> closing = window;
        trigger(window, "runAction");
        QVERIFY(pacer.waitForFile());
        QVERIFY(!window->close());
        QCOMPARE(prompts.of(Prompts::Kind::Confirm).size(), 1);
        prompts.answer = true;
        QVERIFY(!window->close());
        QVERIFY(window->isVisible());
        pacer.letGo(10);
        QTRY_VERIFY(closing.isNull());
        QCOMPARE(prompts.of(Prompts::Kind::Report).size(), 1);
        QCOMPARE(fileComments(files[2]), QStringList {});
    }

    // Batch ▸ Remove Metadata…: the choices asked for become the run's rules; cancelling
    // starts nothing.
    void removeMetadataRun()
    {
        BatchWindow *window = newWindow();
        const QString file = copyFixture(u"provenance/everything.png"_qs, m_dir->path());
        window->processor()->addFiles({ file });
        PromptAnswers prompts;
        trigger(window, "removeMetadataAction");
        QVERIFY(!window->processor()->isRunning());
        QCOMPARE(prompts.of(Prompts::Kind::RemoveMetadata).first().options,
            QVariantList({ true, true, true, true, true, false }));
        // The XMP packet stays, the content credentials go.
        prompts.byKind[Prompts::Kind::RemoveMetadata] = QVariantList { true, false, true, true, true, true };
        trigger(window, "removeMetadataAction");
        QTRY_COMPARE(prompts.of(Prompts::Kind::Report).size(), 1);
        const QStringList types = chunkTypes(readFile(file));
        QVERIFY2(types.contains(u"iTXt"_qs) && !types.contains(u"caBX"_qs) && !types.contains(u"eXIf"_qs),
            qPrintable(types.join(u' ')));
    }
};

QTEST_MAIN(tst_BatchWindow)
#include "tst_BatchWindow.moc"
