#include "document/widgets/DocumentWindow.h"

#include "core/Strings.h"
#include "document/PNGDoc.h"
#include "document/PreviewLoader.h"
#include "document/widgets/ChunkListWindow.h"
#include "document/widgets/ImageView.h"
#include "document/widgets/RemoveMetadataDialog.h"
#include "windowkit/CommentListPane.h"
#include "windowkit/Prompts.h"
#include "windowkit/TextEditCommands.h"
#include "windowkit/WindowActions.h"

#include <QAction>
#include <QCloseEvent>
#include <QEventLoop>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMenuBar>
#include <QProgressDialog>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QVBoxLayout>

#include <cstring>

namespace {

Q_LOGGING_CATEGORY(lcWindow, "velmora.document.window")

const char *const kSummaryFieldNames[] = {
    "imageSizeField",
    "imageBitDepthField",
    "imagePixelFormatField",
    "imageInterlacedField",
    "imagePhysicalSizeMMField",
    "imagePhysicalSizeInchField",
};

} // namespace

DocumentWindow::DocumentWindow(const QString &path, const WindowStores &stores, QWidget *parent)
    : QMainWindow(parent)
    , m_document(new PNGDoc(this))
    , m_previewLoader(new PreviewLoader(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    buildWidgets(stores);
    buildMenus();

    connect(m_document, &PNGDoc::summaryChanged, this, &DocumentWindow::showSummary);
    connect(m_document, &PNGDoc::loaded, this, &DocumentWindow::showImage);
    connect(m_previewLoader, &PreviewLoader::progressChanged, m_imageView, &ImageView::setProgress);
    connect(m_previewLoader, &PreviewLoader::finished, this, &DocumentWindow::showPreview);
    connect(m_previewLoader, &PreviewLoader::failed, this, [this](const QString &reason, bool damaged) {
        qCWarning(lcWindow, "Couldn't create NSImage for %s", qUtf8Printable(m_document->path()));
        m_imageView->setImage(QImage());
        // Only a fault of the image data marks the document; a picture out of reach (its
        // memory, say) says so and leaves the data's check to a save.
        m_imageView->setMessage(localizedString(damaged ? "PictureDamaged" : "PictureFailed").arg(shownText(reason)));
        if (damaged)
            m_document->setImageDataChecked(reason);
    });
    // The reason of a failed read, below the load-failed lines.
    connect(m_document, &PNGDoc::loadFailed, this, &DocumentWindow::showLoadError);
    connect(m_document, &PNGDoc::loaded, this, [this] { showLoadError(QString()); });
    connect(m_document, &PNGDoc::modifiedChanged, this, &QWidget::setWindowModified);
    connect(m_document, &PNGDoc::pathChanged, this, &DocumentWindow::updateTitle);
    connect(m_document, &PNGDoc::searchTextChanged, this, [this](const QString &text) {
        if (m_searchField->text() != text)
            m_searchField->setText(text);
    });
    connect(m_searchField, &QLineEdit::textChanged, m_document, &PNGDoc::setSearchText);
    using Signal = void (PNGDoc::*)();
    for (const Signal signal : { Signal(&PNGDoc::commentsChanged), &PNGDoc::leftOutChunksChanged, &PNGDoc::loaded })
        connect(m_document, signal, this, &DocumentWindow::showPrivacy);

    m_document->readFromPath(path);
    updateTitle();
    m_document->loadPNG();
}

// --- Building -------------------------------------------------------------------------

void DocumentWindow::buildWidgets(const WindowStores &stores)
{
    m_imageView = new ImageView;
    m_imageView->setObjectName(QStringLiteral("imageView"));

    auto *left = new QWidget;
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->addWidget(m_imageView, 1);
    for (const char *name : kSummaryFieldNames) {
        auto *label = new QLabel;
        label->setObjectName(QString::fromLatin1(name));
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        label->setWordWrap(true);
        m_summaryFields.append(label);
        leftLayout->addWidget(label);
    }
    m_privacyNotice = new QLabel;
    m_privacyNotice->setObjectName(QStringLiteral("privacyNotice"));
    m_privacyNotice->setWordWrap(true);
    m_privacyNotice->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    m_privacyNotice->hide();
    leftLayout->addWidget(m_privacyNotice);

    m_searchField = new QLineEdit;
    m_searchField->setObjectName(QStringLiteral("searchField"));
    m_searchField->setPlaceholderText(localizedString("SearchKeywords"));
    m_searchField->setClearButtonEnabled(true);
    leaveAltLettersToCommands(m_searchField);
    m_searchField->setAccessibleName(localizedString("SearchKeywords"));
    m_searchField->setAccessibleDescription(localizedString("SearchDescription"));
    m_imageView->setAccessibleName(localizedString("ImageDescription"));

    CommentListPane::Options options;
    options.details = true;
    m_pane = new CommentListPane(m_document, stores, options, this);

    auto *right = new QWidget;
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->addWidget(m_searchField);
    rightLayout->addWidget(m_pane, 1);

    auto *splitter = new QSplitter(Qt::Horizontal);
    splitter->setObjectName(QStringLiteral("splitter"));
    splitter->addWidget(left);
    splitter->addWidget(right);
    splitter->setStretchFactor(0, 2);
    splitter->setStretchFactor(1, 3);
    splitter->setChildrenCollapsible(false);
    setCentralWidget(splitter);
    resize(960, 560);
}

void DocumentWindow::buildMenus()
{
    QAction *close = makeWindowAction(this, "closeAction", "MenuClose", QKeySequence::Close);
    connect(close, &QAction::triggered, this, &QWidget::close);
    QAction *save = makeWindowAction(this, "saveAction", "MenuSave", QKeySequence::Save);
    connect(save, &QAction::triggered, this, &DocumentWindow::save);
    QAction *saveAs = makeWindowAction(this, "saveAsAction", "MenuSaveAs", QKeySequence::SaveAs);
    connect(saveAs, &QAction::triggered, this, &DocumentWindow::saveAs);
    m_saveActions = { save, saveAs };
    QAction *revert = makeWindowAction(this, "revertAction", "MenuRevert");
    connect(revert, &QAction::triggered, this, &DocumentWindow::revert);
    QAction *remove = makeWindowAction(this, "removeMetadataAction", "MenuRemoveMetadata");
    connect(remove, &QAction::triggered, this, &DocumentWindow::removeMetadata);
    QMenu *file = menuBar()->addMenu(localizedString("MenuFile"));
    file->addActions({ close, save, saveAs, revert });
    file->addSeparator();
    file->addAction(remove);

    QAction *find = makeWindowAction(this, "findAction", "MenuFind", QKeySequence::Find);
    connect(find, &QAction::triggered, this, [this] {
        m_searchField->setFocus(Qt::ShortcutFocusReason);
        m_searchField->selectAll();
    });
    QAction *inTexts = makeWindowAction(this, "searchInTextsAction", "MenuSearchInTexts");
    inTexts->setCheckable(true);
    connect(inTexts, &QAction::toggled, m_document, &PNGDoc::setSearchInTexts);
    connect(m_document, &PNGDoc::searchInTextsChanged, inTexts, &QAction::setChecked);
    connect(m_document, &PNGDoc::searchInTextsChanged, this, &DocumentWindow::showSearchScope);
    QMenu *edit = menuBar()->addMenu(localizedString("MenuEdit"));
    m_pane->addEditActions(edit);
    edit->addSeparator();
    edit->addActions({ find, inTexts });
    m_pane->addMenus(menuBar());

    // The window's own item of the Window menu; the application adds its items below.
    QAction *chunks = makeWindowAction(this, "chunksAction", "MenuChunks", QKeySequence(Qt::CTRL | Qt::Key_I));
    connect(chunks, &QAction::triggered, this, &DocumentWindow::showChunks);
    QMenu *window = menuBar()->addMenu(localizedString("MenuWindow"));
    window->setObjectName(QStringLiteral("windowMenu"));
    window->addAction(chunks);
}

// --- Showing ----------------------------------------------------------------------------

void DocumentWindow::showPrivacy()
{
    const PrivacyFacts facts = m_document->privacyFacts();
    QStringList lines { localizedString("PrivacyNotice") };
    if (facts.gpsPosition)
        lines << localizedString("PrivacyGps").arg(facts.gpsText);
    if (facts.generationSettings)
        lines << localizedString("PrivacyGeneration");
    if (!facts.creators.isEmpty())
        lines << localizedString("PrivacyCreators").arg(facts.creators.join(QStringLiteral(", ")));
    m_privacyNotice->setText(lines.join(QStringLiteral("\n• ")));
    m_privacyNotice->setAccessibleName(lines.join(u' '));
    m_privacyNotice->setVisible(facts.any());
}

void DocumentWindow::showSearchScope(bool inTexts)
{
    const char *key = inTexts ? "SearchKeywordsAndTexts" : "SearchKeywords";
    m_searchField->setPlaceholderText(localizedString(key));
    m_searchField->setAccessibleName(localizedString(key));
    m_searchField->setAccessibleDescription(
        localizedString(inTexts ? "SearchInTextsDescription" : "SearchDescription"));
}

void DocumentWindow::showSummary()
{
    const QStringList lines = m_document->summary().lines();
    for (qsizetype i = 0; i < m_summaryFields.size(); ++i)
        m_summaryFields[i]->setText(lines.value(i));
}

void DocumentWindow::showImage()
{
    // At most the screen's size in device pixels: the view scales it to every window size
    // without decoding again.
    const QScreen *display = screen();
    const QSize box = display ? display->size() * display->devicePixelRatio() : QSize(1920, 1920);
    m_imageView->setMessage(QString());
    m_imageView->setProgress(0);
    m_previewLoader->start(m_document->file(), box);
}

void DocumentWindow::showPreview()
{
    const PreviewImage &preview = m_previewLoader->preview();
    QImage image(preview.width, preview.height, QImage::Format_RGBA8888_Premultiplied);
    if (image.isNull())
        return;
    const qsizetype rowBytes = qsizetype(preview.width) * 4;
    for (int y = 0; y < preview.height; ++y)
        std::memcpy(image.scanLine(y), preview.pixels.data() + y * rowBytes, size_t(rowBytes));
    m_imageView->setImage(image);
    m_document->setImageDataChecked(QString());
}

void DocumentWindow::updateTitle()
{
    setWindowTitle(QFileInfo(m_document->path()).fileName() + QStringLiteral("[*]"));
    setWindowFilePath(m_document->path());
    setWindowModified(m_document->isModified());
    m_pane->setEditorTitle(QFileInfo(m_document->path()).fileName());
}

void DocumentWindow::showLoadError(const QString &reason)
{
    // The reason of a failed read, also for whoever wonders why the image is missing.
    m_summaryFields.first()->setToolTip(shownText(reason));
    // A file never read has nothing sound to write, over it or elsewhere. A failed revert
    // keeps the image read before, and the edits made since can still be saved.
    m_loadError = m_document->isLoaded() ? QString() : reason;
    for (QAction *action : std::as_const(m_saveActions))
        action->setEnabled(m_loadError.isEmpty());
    // The entries read before the damage are shown, and nothing edits them.
    m_pane->setReadOnly(!m_loadError.isEmpty());
    if (m_loadError.isEmpty()) {
        if (m_loadErrorLabel)
            m_loadErrorLabel->hide();
        return;
    }
    if (!m_loadErrorLabel) {
        m_loadErrorLabel = new QLabel;
        m_loadErrorLabel->setObjectName(QStringLiteral("loadErrorLabel"));
        m_loadErrorLabel->setWordWrap(true);
        m_loadErrorLabel->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        statusBar()->addWidget(m_loadErrorLabel, 1);
    }
    m_loadErrorLabel->setText(localizedString("FileUnreadableStatus").arg(shownText(m_loadError)));
    m_loadErrorLabel->setAccessibleName(m_loadErrorLabel->text());
    m_loadErrorLabel->show();
}

CommentListOwner *DocumentWindow::metadataList()
{
    m_pane->commitEditing();
    return m_document;
}

// --- Commands ---------------------------------------------------------------------------

bool DocumentWindow::awaitImageDataCheck(const QString &path)
{
    if (m_document->isImageDataChecked() || !m_document->file())
        return true;
    // Decoding a large image takes seconds: the window stays responsive, with a progress
    // dialog shown only when the check is not over at once.
    QProgressDialog progress(
        localizedString("CheckingImageData").arg(QFileInfo(path).fileName()), localizedString("Cancel"), 0, 100, this);
    progress.setObjectName(QStringLiteral("imageCheckProgress"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(400);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    progress.setAccessibleName(progress.labelText());
    QEventLoop loop;
    bool waiting = true;
    bool cancelled = false;
    const auto answered = [&] {
        waiting = false;
        loop.quit();
    };
    connect(m_document, &PNGDoc::imageDataChecked, &loop, answered);
    connect(m_document, &PNGDoc::imageDataCheckEnded, &loop, answered);
    connect(m_document, &PNGDoc::imageDataCheckProgress, &progress, &QProgressDialog::setValue);
    connect(&progress, &QProgressDialog::canceled, &loop, [&] {
        cancelled = true;
        answered();
    });
    if (m_previewLoader->isDecoding()) {
        // The picture's decode checks the same data: its answer is awaited, not decoded twice.
        connect(m_previewLoader, &PreviewLoader::progressChanged, &progress, &QProgressDialog::setValue);
        connect(m_previewLoader, &PreviewLoader::failed, &loop, [this](const QString &, bool damaged) {
            if (!damaged)
                m_document->startImageDataCheck();
        });
    } else {
        m_document->startImageDataCheck();
    }
    m_checkingImageData = true;
    if (waiting)
        loop.exec();
    m_checkingImageData = false;
    if (cancelled)
        m_document->cancelImageDataCheck();
    return !cancelled;
}

bool DocumentWindow::confirmDamagedSave(const QString &path)
{
    const QString damage = m_document->imageDataDamage();
    return damage.isEmpty()
        || Prompts::confirm(this, localizedString("SaveDamagedImageData").arg(QFileInfo(path).fileName()),
            localizedString("SaveDamagedImageDataDetail").arg(shownText(damage)), localizedString("SaveAnyway"));
}

bool DocumentWindow::saveToPath(const QString &path)
{
    // A save waiting for the check of the image data is the only one.
    if (m_checkingImageData)
        return false;
    m_pane->commitEditing();
    if (!m_loadError.isEmpty()) {
        Prompts::showError(this, localizedString("SaveFailed").arg(QFileInfo(path).fileName()),
            localizedString("FileUnreadableStatus").arg(shownText(m_loadError)));
        return false;
    }
    if (!awaitImageDataCheck(path) || !confirmDamagedSave(path))
        return false;
    DocumentError error;
    if (m_document->saveTo(path, &error)) {
        const QStringList skipped = m_document->skippedEntries();
        if (!skipped.isEmpty())
            Prompts::showInformation(
                this, localizedString("SavedWithoutEntries").arg(QFileInfo(path).fileName()), skipped.join(u'\n'));
        return true;
    }
    Prompts::showError(this, localizedString("SaveFailed").arg(QFileInfo(path).fileName()),
        localizedString("SaveFailedReason").arg(shownText(error.reason), error.domain, QString::number(error.code)));
    return false;
}

bool DocumentWindow::save()
{
    return saveToPath(m_document->path());
}

bool DocumentWindow::saveAs()
{
    m_pane->commitEditing();
    const QString path = Prompts::saveFileName(this, m_document->path());
    return !path.isEmpty() && saveToPath(path);
}

void DocumentWindow::removeMetadata()
{
    m_pane->commitEditing();
    StripPlan plan = m_document->removalPlan();
    const QString fileName = QFileInfo(m_document->path()).fileName();
    if (plan.items.isEmpty()) {
        Prompts::showInformation(this, localizedString("NothingToRemove").arg(fileName), QString());
        return;
    }
    if (RemoveMetadataDialog::choose(this, fileName, &plan))
        m_document->removeMetadata(plan);
}

void DocumentWindow::showChunks()
{
    if (!m_chunkInspector)
        m_chunkInspector = new ChunkListWindow(m_document, this);
    m_chunkInspector->show();
    m_chunkInspector->raise();
    m_chunkInspector->activateWindow();
}

void DocumentWindow::revert()
{
    m_pane->commitEditing();
    if (m_document->isModified() && !Prompts::askRevert(this, QFileInfo(m_document->path()).fileName()))
        return;
    QString reason;
    if (!m_document->revert(&reason))
        Prompts::showError(this, localizedString("ImageLoadFailed"), reason);
}

bool DocumentWindow::mayClose()
{
    m_pane->commitEditing();
    if (!m_document->isModified())
        return true;
    switch (Prompts::askSaveChanges(this, QFileInfo(m_document->path()).fileName())) {
    case Prompts::SaveChoice::Save:
        return save();
    case Prompts::SaveChoice::Discard:
        return true;
    case Prompts::SaveChoice::Cancel:
        break;
    }
    return false;
}

void DocumentWindow::closeAgreed()
{
    m_closeAgreed = true;
    close();
}

void DocumentWindow::closeEvent(QCloseEvent *event)
{
    // A save in progress waits for the check of the image data on this window's stack.
    if (m_checkingImageData || (!m_closeAgreed && !mayClose())) {
        event->ignore();
        return;
    }
    // The picture is not wanted any more: its decode stops now, not when the window goes.
    m_previewLoader->cancel();
    event->accept();
}
