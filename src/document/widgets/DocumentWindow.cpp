#include "document/widgets/DocumentWindow.h"

#include "commentlist/widgets/CommentCellDelegate.h"
#include "commentlist/widgets/CommentEditorPanel.h"
#include "commentlist/widgets/CommentTableModel.h"
#include "commentlist/widgets/CommentTableView.h"
#include "commentlist/widgets/Prompts.h"
#include "commentlist/widgets/StoreMenu.h"
#include "core/Strings.h"
#include "document/PNGDoc.h"
#include "document/PreviewLoader.h"
#include "document/widgets/ImageView.h"
#include "presets/MetadataPresetManager.h"
#include "templates/TemplateApplication.h"
#include "templates/TemplateEditor.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>
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

DocumentWindow::DocumentWindow(const QString &path, QWidget *parent)
    : QMainWindow(parent)
    , m_document(new PNGDoc(this))
    , m_previewLoader(new PreviewLoader(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    m_model = new CommentTableModel(m_document, this);
    buildWidgets();
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
        m_imageView->setMessage(localizedString(damaged ? "PictureDamaged" : "PictureFailed").arg(reason));
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
    connect(m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this, &DocumentWindow::updateActions);
    connect(m_model, &QAbstractItemModel::modelReset, this, &DocumentWindow::updateActions);
    connect(m_model, &QAbstractItemModel::rowsRemoved, this, &DocumentWindow::updateActions);
    connect(m_presetsMenu, &StoreMenu::chosen, this, &DocumentWindow::addPresetMetadataField);
    connect(m_templatesMenu, &StoreMenu::chosen, this, &DocumentWindow::applyTemplate);

    m_document->readFromPath(path);
    updateTitle();
    updateActions();
    m_document->loadPNG();
}

DocumentWindow::~DocumentWindow()
{
    // The panel goes first, while the document it edits is still there.
    delete m_commentEditor.data();
}

CommentEditorPanel *DocumentWindow::commentEditor() const
{
    return m_commentEditor;
}

// --- Building -------------------------------------------------------------------------

void DocumentWindow::buildWidgets()
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
        m_summaryFields.append(label);
        leftLayout->addWidget(label);
    }

    m_searchField = new QLineEdit;
    m_searchField->setObjectName(QStringLiteral("searchField"));
    m_searchField->setPlaceholderText(localizedString("SearchKeywords"));
    m_searchField->setClearButtonEnabled(true);
    m_searchField->setAccessibleName(localizedString("SearchKeywords"));

    m_table = new CommentTableView;
    m_table->setObjectName(QStringLiteral("commentTable"));
    m_table->setModel(m_model);
    m_table->setItemDelegate(new CommentCellDelegate(m_table));
    m_table->horizontalHeader()->resizeSection(0, 160);
    m_table->setAccessibleName(localizedString("CommentsTable"));

    auto *addButton = new QToolButton;
    addButton->setObjectName(QStringLiteral("addButton"));
    addButton->setText(QStringLiteral("+"));
    addButton->setToolTip(localizedString("AddComment"));
    connect(addButton, &QToolButton::clicked, this, &DocumentWindow::addMetadataField);
    auto *removeButton = new QToolButton;
    removeButton->setObjectName(QStringLiteral("removeButton"));
    removeButton->setText(QStringLiteral("−"));
    removeButton->setToolTip(localizedString("RemoveComment"));
    connect(removeButton, &QToolButton::clicked, this, &DocumentWindow::removeMetadataField);
    addButton->setAccessibleName(localizedString("AddComment"));
    addButton->setAccessibleDescription(localizedString("AddCommentDescription"));
    removeButton->setAccessibleName(localizedString("RemoveComment"));
    removeButton->setAccessibleDescription(localizedString("RemoveCommentDescription"));
    m_searchField->setAccessibleDescription(localizedString("SearchDescription"));
    m_imageView->setAccessibleName(localizedString("ImageDescription"));

    // The menu bar's Presets and Templates menus, also behind two buttons by the table.
    m_presetsMenu = StoreMenu::presetsMenu(this);
    m_templatesMenu = StoreMenu::templatesMenu(this);
    auto *presetsButton = new QToolButton;
    presetsButton->setObjectName(QStringLiteral("presetsButton"));
    // No mnemonics: the menu bar's Presets and Templates menus have them.
    presetsButton->setText(localizedString("PresetsButton").remove(u'&'));
    presetsButton->setMenu(m_presetsMenu);
    auto *templatesButton = new QToolButton;
    templatesButton->setObjectName(QStringLiteral("templatesButton"));
    templatesButton->setText(localizedString("TemplatesButton"));
    templatesButton->setMenu(m_templatesMenu);
    for (QToolButton *button : { presetsButton, templatesButton }) {
        button->setAccessibleName(button->text());
        button->setPopupMode(QToolButton::InstantPopup);
    }

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(addButton);
    buttons->addWidget(removeButton);
    buttons->addStretch();
    buttons->addWidget(presetsButton);
    buttons->addWidget(templatesButton);

    auto *right = new QWidget;
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->addWidget(m_searchField);
    rightLayout->addWidget(m_table, 1);
    rightLayout->addLayout(buttons);

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

QAction *DocumentWindow::makeAction(const char *name, const char *textKey, const QKeySequence &shortcut)
{
    auto *action = new QAction(localizedString(textKey), this);
    action->setObjectName(QString::fromLatin1(name));
    action->setShortcut(shortcut);
    return action;
}

void DocumentWindow::buildMenus()
{
    QAction *close = makeAction("closeAction", "MenuClose", QKeySequence::Close);
    connect(close, &QAction::triggered, this, &QWidget::close);
    m_saveAction = makeAction("saveAction", "MenuSave", QKeySequence::Save);
    connect(m_saveAction, &QAction::triggered, this, &DocumentWindow::save);
    m_saveAsAction = makeAction("saveAsAction", "MenuSaveAs", QKeySequence::SaveAs);
    connect(m_saveAsAction, &QAction::triggered, this, &DocumentWindow::saveAs);
    QAction *revert = makeAction("revertAction", "MenuRevert");
    connect(revert, &QAction::triggered, this, &DocumentWindow::revert);

    QMenu *file = menuBar()->addMenu(localizedString("MenuFile"));
    file->addAction(close);
    file->addAction(m_saveAction);
    file->addAction(m_saveAsAction);
    file->addAction(revert);

    QAction *cut = makeAction("cutAction", "MenuCut", QKeySequence::Cut);
    connect(cut, &QAction::triggered, this, &DocumentWindow::cut);
    QAction *copy = makeAction("copyAction", "MenuCopy", QKeySequence::Copy);
    connect(copy, &QAction::triggered, this, &DocumentWindow::copy);
    QAction *paste = makeAction("pasteAction", "MenuPaste", QKeySequence::Paste);
    connect(paste, &QAction::triggered, this, &DocumentWindow::paste);
    QAction *del = makeAction("deleteAction", "MenuDelete", QKeySequence::Delete);
    connect(del, &QAction::triggered, this, &DocumentWindow::deleteSelection);
    QAction *delAll = makeAction("deleteAllAction", "MenuDeleteAll");
    connect(delAll, &QAction::triggered, this, &DocumentWindow::deleteAll);
    QAction *find = makeAction("findAction", "MenuFind", QKeySequence::Find);
    connect(find, &QAction::triggered, this, [this] {
        m_searchField->setFocus(Qt::ShortcutFocusReason);
        m_searchField->selectAll();
    });

    // Undo and Redo name the step they take ("Undo Delete All").
    UndoStack *history = m_document->undoStack();
    QAction *undo = makeAction("undoAction", "MenuUndo", QKeySequence::Undo);
    connect(undo, &QAction::triggered, this, &DocumentWindow::undo);
    QAction *redo = makeAction("redoAction", "MenuRedo", QKeySequence::Redo);
    connect(redo, &QAction::triggered, this, &DocumentWindow::redo);
    const auto showStep = [](QAction *action, const char *plainKey, const char *stepKey, const QString &step) {
        action->setText(step.isEmpty() ? localizedString(plainKey) : localizedString(stepKey).arg(step));
    };
    connect(history, &UndoStack::undoTextChanged, undo,
        [=](const QString &step) { showStep(undo, "MenuUndo", "MenuUndoStep", step); });
    connect(history, &UndoStack::redoTextChanged, redo,
        [=](const QString &step) { showStep(redo, "MenuRedo", "MenuRedoStep", step); });
    connect(history, &UndoStack::canUndoChanged, undo, &QAction::setEnabled);
    connect(history, &UndoStack::canRedoChanged, redo, &QAction::setEnabled);
    showStep(undo, "MenuUndo", "MenuUndoStep", history->undoText());
    showStep(redo, "MenuRedo", "MenuRedoStep", history->redoText());
    undo->setEnabled(history->canUndo());
    redo->setEnabled(history->canRedo());

    QMenu *edit = menuBar()->addMenu(localizedString("MenuEdit"));
    edit->addAction(undo);
    edit->addAction(redo);
    edit->addSeparator();
    edit->addAction(cut);
    edit->addAction(copy);
    edit->addAction(paste);
    edit->addAction(del);
    edit->addAction(delAll);
    edit->addSeparator();
    edit->addAction(find);

    QAction *add = makeAction("addAction", "AddComment", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    connect(add, &QAction::triggered, this, &DocumentWindow::addMetadataField);
    QAction *remove = makeAction("removeAction", "RemoveComment");
    connect(remove, &QAction::triggered, this, &DocumentWindow::removeMetadataField);

    QAction *openEditor
        = makeAction("openCommentEditorAction", "OpenCommentEditor", QKeySequence(Qt::CTRL | Qt::Key_E));
    connect(openEditor, &QAction::triggered, this, &DocumentWindow::openCommentEditor);

    QMenu *comments = menuBar()->addMenu(localizedString("MenuComments"));
    comments->addAction(add);
    comments->addAction(remove);
    comments->addSeparator();
    comments->addAction(openEditor);

    menuBar()->addMenu(m_presetsMenu);
    menuBar()->addMenu(m_templatesMenu);

    m_selectionActions = { cut, copy, del, remove, openEditor };
}

// --- Showing ----------------------------------------------------------------------------

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
}

void DocumentWindow::updateActions()
{
    const bool selection = m_table->selectionModel() && m_table->selectionModel()->hasSelection();
    for (QAction *action : std::as_const(m_selectionActions))
        action->setEnabled(selection);
}

void DocumentWindow::showLoadError(const QString &reason)
{
    // The reason of a failed read, also for whoever wonders why the image is missing.
    m_summaryFields.first()->setToolTip(reason);
    // A file never read has nothing sound to write, over it or elsewhere. A failed revert
    // keeps the image read before, and the edits made since can still be saved.
    m_loadError = m_document->isLoaded() ? QString() : reason;
    m_saveAction->setEnabled(m_loadError.isEmpty());
    m_saveAsAction->setEnabled(m_loadError.isEmpty());
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
    m_loadErrorLabel->setText(localizedString("FileUnreadableStatus").arg(m_loadError));
    m_loadErrorLabel->setAccessibleName(m_loadErrorLabel->text());
    m_loadErrorLabel->show();
}

CommentListOwner *DocumentWindow::metadataList()
{
    commitEditing();
    return m_document;
}

int DocumentWindow::pasteRow() const
{
    return m_table->pasteRow();
}

// --- Commands ---------------------------------------------------------------------------

void DocumentWindow::commitEditing()
{
    m_table->commitEditing();
    if (m_commentEditor)
        m_commentEditor->commit();
}

void DocumentWindow::addMetadataField()
{
    commitEditing();
    const int row = m_document->addMetadataField();
    const QModelIndex keyword = m_model->index(row, 0);
    m_table->setCurrentIndex(keyword);
    m_table->scrollTo(keyword);
    m_table->edit(keyword);
}

void DocumentWindow::removeMetadataField()
{
    commitEditing();
    m_document->removeMetadataField(m_table->selectedRowNumbers());
}

void DocumentWindow::cut()
{
    commitEditing();
    auto *mime = new QMimeData;
    if (m_document->cut(m_table->selectedRowNumbers(), mime))
        QGuiApplication::clipboard()->setMimeData(mime);
    else
        delete mime;
}

void DocumentWindow::copy()
{
    commitEditing();
    auto *mime = new QMimeData;
    if (m_document->copy(m_table->selectedRowNumbers(), mime))
        QGuiApplication::clipboard()->setMimeData(mime);
    else
        delete mime;
}

void DocumentWindow::paste()
{
    commitEditing();
    m_document->paste(QGuiApplication::clipboard()->mimeData(), pasteRow());
}

void DocumentWindow::deleteSelection()
{
    commitEditing();
    m_document->deleteRows(m_table->selectedRowNumbers());
}

void DocumentWindow::deleteAll()
{
    commitEditing();
    m_document->deleteAll();
}

void DocumentWindow::undo()
{
    commitEditing();
    m_document->undoStack()->undo();
}

void DocumentWindow::redo()
{
    commitEditing();
    m_document->undoStack()->redo();
}

void DocumentWindow::addPresetMetadataField(int index)
{
    const MetadataPresetManager *store = MetadataPresetManager::presetManager();
    const PresetPtr preset = store ? store->presetAtIndex(index) : nullptr;
    if (!preset)
        return;
    commitEditing();
    const int row = m_document->addPresetMetadataField(*preset->unprocessedComment());
    const QModelIndex text = m_model->index(row, CommentListOwner::TextColumn);
    m_table->setCurrentIndex(text);
    m_table->scrollTo(text);
    m_table->edit(text);
}

void DocumentWindow::applyTemplate(int index)
{
    const TemplateEditor *store = TemplateEditor::templateEditor();
    const TemplatePtr chosen = store ? store->templateAtIndex(index) : nullptr;
    if (!chosen)
        return;
    commitEditing();
    ::applyTemplate(*chosen, *m_document);
}

void DocumentWindow::openCommentEditor()
{
    const QList<int> rows = m_table->selectedRowNumbers();
    const CommentPtr comment = rows.isEmpty() ? nullptr : m_document->commentAt(rows.last());
    if (!comment)
        return;
    m_table->commitEditing();
    if (!m_commentEditor) {
        m_commentEditor = new CommentEditorPanel(m_document, this);
        m_commentEditor->setWindowTitle(
            localizedString("CommentEditorTitle") + QStringLiteral(" — ") + QFileInfo(m_document->path()).fileName());
    }
    m_commentEditor->editComment(comment);
}

bool DocumentWindow::confirmDamagedSave(const QString &path)
{
    const QString damage = m_document->checkImageData();
    return damage.isEmpty()
        || Prompts::confirm(this, localizedString("SaveDamagedImageData").arg(QFileInfo(path).fileName()),
            localizedString("SaveDamagedImageDataDetail").arg(damage), localizedString("SaveAnyway"));
}

bool DocumentWindow::saveToPath(const QString &path)
{
    commitEditing();
    if (!m_loadError.isEmpty()) {
        Prompts::showError(this, localizedString("SaveFailed").arg(QFileInfo(path).fileName()),
            localizedString("FileUnreadableStatus").arg(m_loadError));
        return false;
    }
    if (!confirmDamagedSave(path))
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
        localizedString("SaveFailedReason").arg(error.reason, error.domain, QString::number(error.code)));
    return false;
}

bool DocumentWindow::save()
{
    return saveToPath(m_document->path());
}

bool DocumentWindow::saveAs()
{
    commitEditing();
    const QString path = Prompts::saveFileName(this, m_document->path());
    return !path.isEmpty() && saveToPath(path);
}

void DocumentWindow::revert()
{
    commitEditing();
    if (m_document->isModified() && !Prompts::askRevert(this, QFileInfo(m_document->path()).fileName()))
        return;
    QString reason;
    if (!m_document->revert(&reason))
        Prompts::showError(this, localizedString("ImageLoadFailed"), reason);
}

void DocumentWindow::closeEvent(QCloseEvent *event)
{
    commitEditing();
    if (m_document->isModified()) {
        switch (Prompts::askSaveChanges(this, QFileInfo(m_document->path()).fileName())) {
        case Prompts::SaveChoice::Save:
            if (!save()) {
                event->ignore();
                return;
            }
            break;
        case Prompts::SaveChoice::Discard:
            break;
        case Prompts::SaveChoice::Cancel:
            event->ignore();
            return;
        }
    }
    // The picture is not wanted any more: its decode stops now, not when the window goes.
    m_previewLoader->cancel();
    event->accept();
}
