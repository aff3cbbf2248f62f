#include "templates/widgets/TemplateEditorWindow.h"

#include "core/Strings.h"
#include "templates/widgets/NewTemplateSheet.h"
#include "templates/widgets/TemplateListModel.h"
#include "windowkit/Prompts.h"
#include "windowkit/WindowActions.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLoggingCategory>
#include <QMenuBar>
#include <QMimeData>
#include <QSplitter>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

Q_LOGGING_CATEGORY(lcTemplateWindow, "velmora.templates.window")

// The titles of the two apply flags: clears all, overwrites duplicates.
const char *const kFlagTextKeys[] = { "ClearsAllWhenApplied", "OverwritesDuplicates" };

} // namespace

TemplateEditorWindow::TemplateEditorWindow(TemplateEditor *store, MetadataPresetManager *presets, QWidget *parent)
    : QMainWindow(parent)
    , m_store(store)
{
    setObjectName(QStringLiteral("templateEditorWindow"));
    setWindowTitle(localizedString("TemplateEditorTitle"));
    m_templatesModel = new TemplateListModel(store, this);
    buildWidgets(presets);
    buildMenus();

    connect(m_templatesTable->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (m_showingSelection || m_templatesModel->isChanging())
            return;
        const QModelIndexList rows = m_templatesTable->selectionModel()->selectedRows();
        chooseTemplate(rows.isEmpty() ? -1 : rows.first().row());
    });
    // Rows of the templates table move; the current template stays selected.
    for (auto signal : { &QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved })
        connect(m_templatesModel, signal, this, &TemplateEditorWindow::showTemplateSelection);
    connect(m_templatesModel, &QAbstractItemModel::modelReset, this, [this] {
        showTemplateSelection();
        showCurrentTemplate();
    });
    // A refusal is shown once the name cell has closed.
    connect(m_templatesModel, &TemplateListModel::renameRefused, this, &TemplateEditorWindow::showRenameRefused,
        Qt::QueuedConnection);
    m_pane->setWindowList(
        m_templatesTable, [this](CommentListPane::EditCommand command) { return runTemplatesCommand(command); });

    // Opened with the first template chosen (when none is current), ready for editing.
    if (m_store->currentRow() < 0 && m_store->count() > 0)
        chooseTemplate(0);
    showTemplateSelection();
    showCurrentTemplate();
}

// --- Building -------------------------------------------------------------------------

void TemplateEditorWindow::buildWidgets(MetadataPresetManager *presets)
{
    m_templatesTable = new QTableView;
    m_templatesTable->setObjectName(QStringLiteral("templatesTable"));
    m_templatesTable->setModel(m_templatesModel);
    m_templatesTable->setAccessibleName(localizedString("TemplatesTable"));
    m_templatesTable->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_templatesTable->setSelectionMode(QAbstractItemView::SingleSelection);
    m_templatesTable->setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    m_templatesTable->setTabKeyNavigation(false);
    m_templatesTable->verticalHeader()->hide();
    m_templatesTable->horizontalHeader()->setStretchLastSection(true);
    m_templatesTable->horizontalHeader()->setHighlightSections(false);

    QToolButton *newTemplate
        = makeToolButton("newTemplateButton", QStringLiteral("+"), localizedString("NewTemplateTitle"));
    connect(newTemplate, &QToolButton::clicked, this, &TemplateEditorWindow::newTemplate);
    QToolButton *deleteTemplate
        = makeToolButton("deleteTemplateButton", QStringLiteral("−"), localizedString("DeleteTemplate"));
    connect(deleteTemplate, &QToolButton::clicked, this, &TemplateEditorWindow::deleteTemplate);
    QHBoxLayout *templateButtons = makeButtonRow({ newTemplate, deleteTemplate });

    auto *left = new QWidget;
    left->setMinimumWidth(MinimumListWidth);
    auto *leftLayout = new QVBoxLayout(left);
    leftLayout->addWidget(m_templatesTable, 1);
    leftLayout->addLayout(templateButtons);

    CommentListPane::Options options;
    options.macros = true;
    options.editorTitle = localizedString("TemplateEditorTitle");
    options.tableName = localizedString("TemplateCommentsTable");
    m_pane = new CommentListPane(nullptr, WindowStores { presets, nullptr }, options, this);

    // The two apply flags.
    const char *const boxNames[] = { "clearAllCheckbox", "overwriteDuplicatesCheckbox" };
    for (int flag = 0; flag < 2; ++flag) {
        auto *box = new QCheckBox(localizedString(kFlagTextKeys[flag]));
        box->setObjectName(QString::fromLatin1(boxNames[flag]));
        connect(box, &QCheckBox::clicked, this, [this, flag](bool on) {
            if (m_shown && flag == 0)
                m_shown->editClearAll(on);
            else if (m_shown)
                m_shown->editOverwriteDuplicates(on);
            showFlags();
        });
        m_flagBoxes[flag] = box;
    }

    auto *right = new QWidget;
    auto *rightLayout = new QVBoxLayout(right);
    rightLayout->addWidget(m_pane, 1);
    rightLayout->addWidget(m_flagBoxes[0]);
    rightLayout->addWidget(m_flagBoxes[1]);

    m_splitter = new QSplitter(Qt::Horizontal);
    m_splitter->setObjectName(QStringLiteral("splitter"));
    m_splitter->setAccessibleName(localizedString("TemplateSplitter"));
    m_splitter->addWidget(left);
    m_splitter->addWidget(right);
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setStretchFactor(1, 1);
    // The divider stops MinimumCommentsWidth short of the window's right edge.
    right->setMinimumWidth(MinimumCommentsWidth - m_splitter->handleWidth());
    setCentralWidget(m_splitter);
    m_splitter->setSizes({ 180, 520 });
    resize(760, 440);

    m_templateControls = { m_flagBoxes[0], m_flagBoxes[1], deleteTemplate };
}

void TemplateEditorWindow::buildMenus()
{
    QAction *add = makeWindowAction(this, "newTemplateAction", "NewTemplate", QKeySequence::New);
    connect(add, &QAction::triggered, this, &TemplateEditorWindow::newTemplate);
    QMenu *file = menuBar()->addMenu(localizedString("MenuFile"));
    file->addAction(add);
    file->addSeparator();
    addCloseAction(file, this);

    m_pane->addEditActions(menuBar()->addMenu(localizedString("MenuEdit")));
    m_pane->addMenus(menuBar());

    QAction *remove = makeWindowAction(this, "deleteTemplateAction", "DeleteTemplate");
    connect(remove, &QAction::triggered, this, &TemplateEditorWindow::deleteTemplate);
    const char *const actionNames[] = { "clearAllAction", "overwriteDuplicatesAction" };
    for (int flag = 0; flag < 2; ++flag) {
        m_flagActions[flag] = makeWindowAction(this, actionNames[flag], kFlagTextKeys[flag]);
        m_flagActions[flag]->setCheckable(true);
        connect(m_flagActions[flag], &QAction::triggered, m_flagBoxes[flag], &QCheckBox::clicked);
    }

    QMenu *menu = menuBar()->addMenu(localizedString("MenuTemplate"));
    menu->addActions({ add, remove });
    menu->addSeparator();
    menu->addActions({ m_flagActions[0], m_flagActions[1] });
    m_templateActions = { remove, m_flagActions[0], m_flagActions[1] };
}

// --- Showing ----------------------------------------------------------------------------

void TemplateEditorWindow::makeWindowKey()
{
    show();
    raise();
    activateWindow();
}

void TemplateEditorWindow::showTemplateSelection()
{
    if (m_templatesModel->isChanging() || m_templatesModel->rowCount() != m_store->count())
        return;
    m_showingSelection = true;
    const int row = m_store->currentRow();
    QItemSelectionModel *selection = m_templatesTable->selectionModel();
    if (row < 0) {
        selection->clear();
    } else {
        const QModelIndex index = m_templatesModel->index(row, 0);
        selection->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_templatesTable->scrollTo(index);
    }
    m_showingSelection = false;
}

void TemplateEditorWindow::showCurrentTemplate()
{
    const EditedTemplatePtr current = m_store->editedTemplate();
    // A template that left the store lives until nothing here refers to it any more.
    const EditedTemplatePtr previous = m_shown;
    if (previous)
        disconnect(previous.get(), &EditedTemplate::flagsChanged, this, &TemplateEditorWindow::showFlags);
    m_shown = current;
    m_pane->setOwner(current.get());
    if (current)
        connect(current.get(), &EditedTemplate::flagsChanged, this, &TemplateEditorWindow::showFlags);
    showFlags();
    for (QWidget *control : std::as_const(m_templateControls))
        control->setEnabled(current != nullptr);
    for (QAction *action : std::as_const(m_templateActions))
        action->setEnabled(current != nullptr);
}

void TemplateEditorWindow::showFlags()
{
    const bool clearAll = m_shown && m_shown->clearsCommentsWhenApplied();
    const bool overwrite = m_shown && m_shown->overwritesDuplicatesWhenApplied();
    for (int flag = 0; flag < 2; ++flag) {
        m_flagBoxes[flag]->setChecked(flag == 0 ? clearAll : overwrite);
        m_flagActions[flag]->setChecked(flag == 0 ? clearAll : overwrite);
    }
}

void TemplateEditorWindow::reportFailure(const char *textKey, const QString &name, const QString &reason)
{
    Prompts::showError(this, localizedString(textKey).arg(name), reason);
}

// --- The templates ------------------------------------------------------------------------

void TemplateEditorWindow::leaveTemplate()
{
    // Edits still open belong to the template being left, before it is written; closing
    // hands the panel's typing to it.
    m_pane->commitEditing();
    m_pane->closeCommentEditor();
}

void TemplateEditorWindow::chooseTemplate(int row)
{
    leaveTemplate();
    const TemplatePtr leaving = m_store->currentTemplate();
    QString reason;
    if (!m_store->setCurrentTemplateIndex(row, &reason) && leaving)
        reportFailure("TemplateSaveFailed", leaving->name(), reason);
    showCurrentTemplate();
}

void TemplateEditorWindow::newTemplate()
{
    if (!m_newTemplateSheet) {
        m_newTemplateSheet = new NewTemplateSheet([this](const QString &name) { return acceptName(name); }, this);
        connect(m_newTemplateSheet, &NewTemplateSheet::nameChosen, this, &TemplateEditorWindow::createTemplate);
    }
    m_newTemplateSheet->ask();
}

bool TemplateEditorWindow::acceptName(const QString &name)
{
    const TemplateEditor::NameCheck check = m_store->templateNameIsAcceptable(name);
    if (const char *alert = TemplateEditor::alertKey(check))
        Prompts::showError(m_newTemplateSheet, localizedString(alert), QString());
    return check == TemplateEditor::NameCheck::Acceptable;
}

void TemplateEditorWindow::createTemplate(const QString &name)
{
    leaveTemplate();
    const TemplatePtr leaving = m_store->currentTemplate();
    TemplateEditor::NameCheck check = TemplateEditor::NameCheck::Acceptable;
    QString reason;
    const TemplatePtr created = m_store->createTemplate(name, &check, &reason);
    if (!created) {
        // The name was fine a moment ago; a file may have appeared since.
        if (const char *alert = TemplateEditor::alertKey(check))
            Prompts::showError(this, localizedString(alert), QString());
        return;
    }
    showTemplateSelection();
    showCurrentTemplate();
    if (!reason.isEmpty())
        reportFailure("TemplateSaveFailed", leaving ? leaving->name() : name, reason);
}

void TemplateEditorWindow::showRenameRefused(
    TemplateEditor::NameCheck check, const QString &name, const QString &reason)
{
    if (const char *alert = TemplateEditor::alertKey(check))
        Prompts::showError(this, localizedString(alert), QString());
    else if (!reason.isEmpty())
        reportFailure("TemplateRenameFailed", name, reason);
}

void TemplateEditorWindow::deleteTemplate()
{
    const int row = m_store->currentRow();
    const TemplatePtr doomed = m_store->currentTemplate();
    if (row < 0 || !doomed)
        return;
    if (!Prompts::confirm(this, localizedString("SureDeleteTemplate"), QString()))
        return;
    m_pane->closeCommentEditor();
    QString reason;
    if (!m_store->deleteTemplate(row, &reason)) {
        reportFailure("TemplateDeleteFailed", doomed->name(), reason);
        return;
    }
    // As a table keeps its selected row: the template that moved up into it, if any.
    m_store->setCurrentTemplateIndex(row < m_store->count() ? row : -1);
    showTemplateSelection();
    showCurrentTemplate();
}

// --- Edit commands --------------------------------------------------------------------------

bool TemplateEditorWindow::runTemplatesCommand(CommentListPane::EditCommand command)
{
    if (!m_shown)
        return false;
    switch (command) {
    case CommentListPane::EditCommand::Cut:
    case CommentListPane::EditCommand::Copy: {
        // Every comment of the template; Cut then asks whether to delete it.
        m_pane->commitEditing();
        auto *mime = new QMimeData;
        if (m_shown->writeAllCommentsToPasteboard(mime))
            QGuiApplication::clipboard()->setMimeData(mime);
        else
            delete mime;
        if (command == CommentListPane::EditCommand::Cut)
            deleteTemplate();
        return true;
    }
    case CommentListPane::EditCommand::Delete:
        deleteTemplate();
        return true;
    case CommentListPane::EditCommand::Paste:
    case CommentListPane::EditCommand::DeleteAll:
    case CommentListPane::EditCommand::SelectAll:
        break;
    }
    return false;
}

// --- Closing ------------------------------------------------------------------------------

void TemplateEditorWindow::closeEvent(QCloseEvent *event)
{
    leaveTemplate();
    QString reason;
    const TemplatePtr current = m_store->currentTemplate();
    m_closeSaveFailed = current && !m_store->windowWillClose(&reason);
    if (m_closeSaveFailed)
        reportFailure("TemplateSaveFailed", current->name(), reason);
    // The template stays current and in memory; the next close or choice writes it again.
    event->accept();
}

bool TemplateEditorWindow::saveForQuit(QString *error)
{
    if (!isVisible() && !m_closeSaveFailed)
        return true;
    leaveTemplate();
    QString reason;
    m_closeSaveFailed = !m_store->appIsQuitting(true, &reason);
    if (!m_closeSaveFailed)
        return true;
    qCWarning(lcTemplateWindow, "The template could not be saved: %s", qUtf8Printable(reason));
    if (error) {
        const TemplatePtr current = m_store->currentTemplate();
        *error = localizedString("TemplateSaveFailed").arg(current ? current->name() : QString()) + u' '
            + asSentence(shownText(reason));
    }
    return false;
}
