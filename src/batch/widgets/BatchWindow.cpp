#include "batch/widgets/BatchWindow.h"

#include "batch/BatchFileList.h"
#include "batch/BatchReport.h"
#include "batch/widgets/BatchFileTableView.h"
#include "commentlist/CommentListOwner.h"
#include "commentlist/widgets/CommentTableView.h"
#include "core/Strings.h"
#include "windowkit/CommentListPane.h"
#include "windowkit/Prompts.h"
#include "windowkit/WindowActions.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QSplitter>
#include <QStatusBar>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The kinds a removal of metadata may take, as check boxes, in StripChoices' order.
const struct
{
    const char *name;
    const char *textKey;
    bool StripChoices::*flag;
} kStripChoices[] = {
    { "stripTextCheckbox", "StripTextEntries", &StripChoices::textEntries },
    { "stripXmpCheckbox", "StripXmp", &StripChoices::xmp },
    { "stripExifCheckbox", "StripExif", &StripChoices::exif },
    { "stripTimeCheckbox", "StripTime", &StripChoices::time },
    { "stripOtherCheckbox", "StripOtherChunks", &StripChoices::otherChunks },
    { "stripCredentialsCheckbox", "StripCredentials", &StripChoices::credentials },
};

// The dialog of Batch ▸ Remove Metadata…: the choices to start from, answered with those
// made, or nothing when cancelled.
QVariant askStripChoices(QWidget *parent, const QVariantList &states)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("stripChoicesDialog"));
    dialog.setWindowTitle(localizedString("BatchRemoveTitle"));
    auto *layout = new QVBoxLayout(&dialog);
    auto *intro = new QLabel(localizedString("BatchRemoveIntro"));
    intro->setWordWrap(true);
    layout->addWidget(intro);
    QList<QCheckBox *> boxes;
    for (const auto &choice : kStripChoices) {
        auto *box = new QCheckBox(localizedString(choice.textKey));
        box->setObjectName(QString::fromLatin1(choice.name));
        box->setChecked(states.value(boxes.size()).toBool());
        layout->addWidget(box);
        boxes << box;
    }
    // XMP is a text entry: it goes only with them.
    QObject::connect(boxes[0], &QCheckBox::toggled, boxes[1], &QWidget::setEnabled);
    boxes[1]->setEnabled(boxes[0]->isChecked());
    auto *warning = new QLabel(localizedString("CredentialsWarning"));
    warning->setObjectName(QStringLiteral("credentialsWarning"));
    warning->setWordWrap(true);
    layout->addWidget(warning);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Cancel);
    QPushButton *remove = buttons->addButton(localizedString("RemoveButton"), QDialogButtonBox::AcceptRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    remove->setDefault(true); // once it stands in the dialog, so that Return presses it
    if (dialog.exec() != QDialog::Accepted)
        return QVariant();
    QVariantList chosen;
    for (QCheckBox *box : std::as_const(boxes))
        chosen << box->isChecked();
    return chosen;
}

} // namespace

BatchWindow::BatchWindow(const WindowStores &stores, QWidget *parent)
    : QMainWindow(parent)
    , m_processor(new BatchProcessor(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(localizedString("BatchWindowTitle"));
    CommentListPane::Options options;
    options.macros = true;
    options.editorTitle = localizedString("BatchWindowTitle");
    options.tableName = localizedString("BatchCommentsLabel");
    m_pane = new CommentListPane(m_processor->comments(), stores, options, this);
    buildWidgets();
    buildMenus();
    m_pane->setWindowList(
        m_filesTable, [this](CommentListPane::EditCommand command) { return runFilesCommand(command); });

    connect(m_processor, &BatchProcessor::runningChanged, this, &BatchWindow::showRunning);
    connect(m_processor, &BatchProcessor::progressChanged, this, &BatchWindow::showProgress);
    connect(m_processor, &BatchProcessor::runFinished, this, &BatchWindow::showReport);
    connect(m_processor->files(), &QAbstractItemModel::modelReset, this, &BatchWindow::updateFileCount);
    connect(m_processor->files(), &QAbstractItemModel::rowsRemoved, this, &BatchWindow::updateFileCount);
    statusBar(); // there from the start, so the layout does not move when it first speaks
    updateFileCount();
    showRunning(false);
}

void BatchWindow::setNumber(int number)
{
    m_number = number;
    const QString title
        = number > 1 ? localizedString("BatchWindowNumbered").arg(number) : localizedString("BatchWindowTitle");
    setWindowTitle(title);
    m_pane->setEditorTitle(title);
}

CommentListOwner *BatchWindow::metadataList()
{
    m_pane->commitEditing();
    return m_processor->comments();
}

bool BatchWindow::canImportMetadata() const
{
    return !m_processor->isRunning();
}

// --- Building -------------------------------------------------------------------------

void BatchWindow::buildWidgets()
{
    auto *commentsLabel = new QLabel(localizedString("BatchCommentsLabel"));
    commentsLabel->setBuddy(m_pane->table());
    auto *commentsPane = new QWidget;
    auto *commentsLayout = new QVBoxLayout(commentsPane);
    commentsLayout->addWidget(commentsLabel);
    commentsLayout->addWidget(m_pane, 1);

    m_filesTable = new BatchFileTableView;
    m_filesTable->setObjectName(QStringLiteral("filesTable"));
    m_filesTable->setModel(m_processor->files());
    m_filesTable->setAccessibleName(localizedString("BatchFilesLabel"));
    m_filesLabel = new QLabel;
    m_filesLabel->setObjectName(QStringLiteral("filesLabel"));
    m_filesLabel->setBuddy(m_filesTable);

    auto *addFilesButton = new QPushButton(localizedString("AddFiles"));
    addFilesButton->setObjectName(QStringLiteral("addFilesButton"));
    connect(addFilesButton, &QPushButton::clicked, this, &BatchWindow::addFilesWithDialog);
    auto *addFolderButton = new QPushButton(localizedString("AddFolder"));
    addFolderButton->setObjectName(QStringLiteral("addFolderButton"));
    connect(addFolderButton, &QPushButton::clicked, this, &BatchWindow::addFolderWithDialog);
    QToolButton *removeFilesButton
        = makeToolButton("removeFilesButton", QStringLiteral("−"), localizedString("RemoveFiles"));
    connect(removeFilesButton, &QToolButton::clicked, this, &BatchWindow::removeFiles);
    for (QPushButton *button : { addFilesButton, addFolderButton })
        button->setAutoDefault(false);

    QHBoxLayout *fileButtons = makeButtonRow({ addFilesButton, addFolderButton, removeFilesButton });

    auto *filesPane = new QWidget;
    auto *filesLayout = new QVBoxLayout(filesPane);
    filesLayout->addWidget(m_filesLabel);
    filesLayout->addWidget(m_filesTable, 1);
    filesLayout->addLayout(fileButtons);

    auto *splitter = new QSplitter(Qt::Vertical);
    splitter->setObjectName(QStringLiteral("splitter"));
    splitter->addWidget(commentsPane);
    splitter->addWidget(filesPane);
    splitter->setChildrenCollapsible(false);

    auto *clearExisting = new QCheckBox(localizedString("ClearExistingMetadata"));
    clearExisting->setObjectName(QStringLiteral("clearExistingCheckbox"));
    connect(clearExisting, &QCheckBox::toggled, m_processor, &BatchProcessor::setClearExisting);
    connect(m_processor, &BatchProcessor::clearExistingChanged, clearExisting, &QCheckBox::setChecked);
    auto *replaceBox = new QCheckBox(localizedString("ReplaceSameKeyword"));
    replaceBox->setObjectName(QStringLiteral("replaceCheckbox"));
    connect(replaceBox, &QCheckBox::toggled, m_processor, &BatchProcessor::setReplaceSameKeyword);
    connect(m_processor, &BatchProcessor::replaceSameKeywordChanged, replaceBox, &QCheckBox::setChecked);

    m_progressBar = new QProgressBar;
    m_progressBar->setObjectName(QStringLiteral("progressBar"));
    m_progressBar->setAccessibleName(localizedString("BatchProgress"));
    m_progressBar->setRange(0, 1);
    m_progressBar->setValue(0);
    m_progressBar->setFormat(QStringLiteral("%v / %m"));
    m_progressBar->setTextVisible(false);
    // Hidden until a run counts its files (an empty bar reads as an empty text field), its
    // place kept so the Run button does not move.
    QSizePolicy barPolicy = m_progressBar->sizePolicy();
    barPolicy.setRetainSizeWhenHidden(true);
    m_progressBar->setSizePolicy(barPolicy);
    m_progressBar->hide();
    m_progressLabel = new QLabel;
    m_progressLabel->setObjectName(QStringLiteral("progressLabel"));
    m_progressLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_progressLabel->setMinimumWidth(100);

    auto *runButton = new QPushButton(localizedString("RunBatch"));
    runButton->setObjectName(QStringLiteral("runButton"));
    runButton->setAutoDefault(false);
    connect(runButton, &QPushButton::clicked, this, &BatchWindow::run);
    m_cancelButton = new QPushButton(localizedString("CancelRun"));
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    m_cancelButton->setAutoDefault(false);
    connect(m_cancelButton, &QPushButton::clicked, this, &BatchWindow::cancelRun);

    QHBoxLayout *options = makeButtonRow({ clearExisting, replaceBox });
    auto *runRow = new QHBoxLayout;
    runRow->addWidget(m_progressBar, 1);
    runRow->addWidget(runButton);
    runRow->addWidget(m_cancelButton);

    auto *central = new QWidget;
    auto *layout = new QVBoxLayout(central);
    layout->addWidget(splitter, 1);
    layout->addLayout(options);
    layout->addLayout(runRow);
    layout->addWidget(m_progressLabel);
    setCentralWidget(central);
    resize(760, 640);

    m_editingWidgets = { addFilesButton, addFolderButton, removeFilesButton, clearExisting, replaceBox, runButton };
}

void BatchWindow::buildMenus()
{
    QAction *addFiles
        = makeWindowAction(this, "addFilesAction", "AddFiles", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));
    connect(addFiles, &QAction::triggered, this, &BatchWindow::addFilesWithDialog);
    QAction *addFolder = makeWindowAction(this, "addFolderAction", "AddFolder");
    connect(addFolder, &QAction::triggered, this, &BatchWindow::addFolderWithDialog);
    QAction *close = makeWindowAction(this, "closeAction", "MenuClose", QKeySequence::Close);
    connect(close, &QAction::triggered, this, &QWidget::close);
    QMenu *file = menuBar()->addMenu(localizedString("MenuFile"));
    file->addActions({ addFiles, addFolder });
    file->addSeparator();
    file->addAction(close);

    m_pane->addEditActions(menuBar()->addMenu(localizedString("MenuEdit")));
    m_pane->addMenus(menuBar());

    QAction *removeFiles = makeWindowAction(this, "removeFilesAction", "RemoveFiles");
    connect(removeFiles, &QAction::triggered, this, &BatchWindow::removeFiles);
    QAction *clearExisting = makeWindowAction(this, "clearExistingAction", "ClearExistingMetadata");
    clearExisting->setCheckable(true);
    connect(clearExisting, &QAction::toggled, m_processor, &BatchProcessor::setClearExisting);
    connect(m_processor, &BatchProcessor::clearExistingChanged, clearExisting, &QAction::setChecked);
    QAction *replace = makeWindowAction(this, "replaceAction", "ReplaceSameKeyword");
    replace->setCheckable(true);
    connect(replace, &QAction::toggled, m_processor, &BatchProcessor::setReplaceSameKeyword);
    connect(m_processor, &BatchProcessor::replaceSameKeywordChanged, replace, &QAction::setChecked);
    QAction *runAction = makeWindowAction(this, "runAction", "RunBatch", QKeySequence(Qt::CTRL | Qt::Key_R));
    connect(runAction, &QAction::triggered, this, &BatchWindow::run);
    QAction *removeMetadata = makeWindowAction(this, "removeMetadataAction", "MenuRemoveMetadataRun");
    connect(removeMetadata, &QAction::triggered, this, &BatchWindow::removeMetadata);
    m_cancelAction = makeWindowAction(this, "cancelAction", "CancelRun");
    m_cancelAction->setShortcuts({ QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_Period) });
    connect(m_cancelAction, &QAction::triggered, this, &BatchWindow::cancelRun);

    QMenu *batch = menuBar()->addMenu(localizedString("MenuBatch"));
    batch->addActions({ addFiles, addFolder, removeFiles });
    batch->addSeparator();
    batch->addActions({ clearExisting, replace });
    batch->addSeparator();
    batch->addActions({ runAction, removeMetadata, m_cancelAction });

    m_editingActions = { addFiles, addFolder, removeFiles, clearExisting, replace, runAction, removeMetadata };
}

// --- Showing ----------------------------------------------------------------------------

void BatchWindow::updateFileCount()
{
    m_filesLabel->setText(localizedString("BatchFilesCount").arg(m_processor->files()->count()));
}

void BatchWindow::showRunning(bool running)
{
    for (QWidget *widget : std::as_const(m_editingWidgets))
        widget->setEnabled(!running);
    for (QAction *action : std::as_const(m_editingActions))
        action->setEnabled(!running);
    m_pane->setReadOnly(running);
    // The files stay readable (and copyable), but take no drops.
    m_filesTable->setDragDropMode(running ? QAbstractItemView::DragOnly : QAbstractItemView::DragDrop);
    m_filesTable->setAcceptDrops(!running);
    m_cancelButton->setEnabled(running);
    m_cancelAction->setEnabled(running);
    if (running) {
        m_cancelRequested = false;
        m_progressLabel->setText(localizedString("BatchStarting"));
        m_cancelButton->setFocus(Qt::OtherFocusReason);
    }
}

void BatchWindow::showProgress(int done, int total, const QString &path)
{
    m_progressBar->setTextVisible(true);
    m_progressBar->show();
    m_progressBar->setRange(0, std::max(total, 1));
    m_progressBar->setValue(done);
    if (!path.isEmpty() && !m_cancelRequested)
        m_progressLabel->setText(localizedString("BatchProgressText", total).arg(done).arg(QFileInfo(path).fileName()));
}

void BatchWindow::showReport(const BatchReport &report)
{
    m_progressLabel->setText(report.headline());
    if (m_closeWhenStopped) {
        close();
        return;
    }
    Prompts::showReport(this, report.title(), report.summary(), report.details());
}

// --- Commands ---------------------------------------------------------------------------

bool BatchWindow::runFilesCommand(CommentListPane::EditCommand command)
{
    using Focus = BatchProcessor::Focus;
    const QList<int> rows = m_filesTable->selectedRowNumbers();
    switch (command) {
    case CommentListPane::EditCommand::Cut:
    case CommentListPane::EditCommand::Copy: {
        auto *mime = new QMimeData;
        const bool done = command == CommentListPane::EditCommand::Copy ? m_processor->copy(Focus::Files, rows, mime)
                                                                        : m_processor->cut(Focus::Files, rows, mime);
        if (done)
            QGuiApplication::clipboard()->setMimeData(mime);
        else
            delete mime;
        break;
    }
    case CommentListPane::EditCommand::Paste:
        m_processor->paste(Focus::Files, QGuiApplication::clipboard()->mimeData(), -1);
        break;
    case CommentListPane::EditCommand::Delete:
        m_processor->deleteRows(Focus::Files, rows);
        break;
    case CommentListPane::EditCommand::DeleteAll:
        m_processor->deleteAll(Focus::Files);
        break;
    case CommentListPane::EditCommand::SelectAll:
        m_filesTable->selectAll();
        break;
    }
    return true;
}

void BatchWindow::addFilesWithDialog()
{
    if (m_processor->isRunning())
        return;
    QStringList filters { localizedString("PngFileFilter"), localizedString("AllFilesFilter") };
    if (!BatchFileList::checkFileExtension())
        std::swap(filters[0], filters[1]);
    const QStringList paths = Prompts::openFileNames(this, localizedString("ChooseFiles"), filters);
    if (!paths.isEmpty())
        statusBar()->showMessage(localizedString("FilesAdded").arg(m_processor->addFiles(paths)), 5000);
}

void BatchWindow::addFolderWithDialog()
{
    if (m_processor->isRunning())
        return;
    const QString folder = Prompts::folderName(this, localizedString("ChooseFolder"));
    if (!folder.isEmpty())
        statusBar()->showMessage(localizedString("FilesAdded").arg(m_processor->addFiles({ folder })), 5000);
}

void BatchWindow::removeFiles()
{
    m_processor->deleteRows(BatchProcessor::Focus::Files, m_filesTable->selectedRowNumbers());
}

void BatchWindow::run()
{
    m_pane->commitEditing();
    QString error;
    if (!m_processor->run(&error) && !error.isEmpty())
        Prompts::showError(this, localizedString("BatchCannotRun"), error);
}

void BatchWindow::removeMetadata()
{
    if (m_processor->isRunning())
        return;
    m_pane->commitEditing();
    const StripChoices defaults;
    Prompts::Request request { Prompts::Kind::RemoveMetadata, localizedString("BatchRemoveTitle"), QString() };
    for (const auto &choice : kStripChoices)
        request.options << defaults.*choice.flag;
    const QVariantList answer = Prompts::ask(request, [&] { return askStripChoices(this, request.options); }).toList();
    if (answer.size() != std::size(kStripChoices))
        return;
    StripChoices choices;
    for (qsizetype i = 0; i < answer.size(); ++i)
        choices.*kStripChoices[i].flag = answer[i].toBool();
    m_processor->removeMetadata(choices.rules());
}

void BatchWindow::cancelRun()
{
    if (!m_processor->isRunning())
        return;
    m_processor->cancel();
    m_cancelRequested = true;
    m_progressLabel->setText(localizedString("BatchCancelling"));
}

bool BatchWindow::mayClose()
{
    m_pane->commitEditing();
    const qsizetype files = m_processor->files()->count();
    const qsizetype comments = m_processor->comments()->comments().size();
    if (m_processor->isRunning() || (files == 0 && comments == 0))
        return true;
    return Prompts::confirm(this, localizedString("DiscardBatchQuery"),
        localizedString("DiscardBatchInfo").arg(files).arg(comments), localizedString("Discard"));
}

void BatchWindow::closeAgreed()
{
    m_closeAgreed = true;
    m_closeWhenStopped = true;
    close();
}

void BatchWindow::closeEvent(QCloseEvent *event)
{
    m_pane->commitEditing();
    if (!m_processor->isRunning()) {
        if (m_closeAgreed || mayClose())
            event->accept();
        else
            event->ignore();
        return;
    }
    // The window goes once the run has stopped (between files).
    event->ignore();
    if (!m_closeWhenStopped
        && !Prompts::confirm(
            this, localizedString("StopRunQuery"), localizedString("StopRunInfo"), localizedString("StopAndClose")))
        return;
    m_closeAgreed = true;
    m_closeWhenStopped = true;
    if (m_processor->isRunning())
        cancelRun();
    else // it ended while the question was open
        QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection);
}
