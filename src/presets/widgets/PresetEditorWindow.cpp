#include "presets/widgets/PresetEditorWindow.h"

#include "commentlist/widgets/CommentTableView.h"
#include "core/Strings.h"
#include "presets/MetadataPresetManager.h"
#include "presets/PresetEditor.h"
#include "presets/widgets/PresetListModel.h"
#include "windowkit/Prompts.h"
#include "windowkit/TextEditCommands.h"
#include "windowkit/UndoActions.h"
#include "windowkit/WindowActions.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFocusEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QLoggingCategory>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

Q_LOGGING_CATEGORY(lcPresetWindow, "velmora.presets.window")

constexpr PresetEditor::Field kFields[] = {
    PresetEditor::Field::Keyword,
    PresetEditor::Field::Value,
    PresetEditor::Field::Shorthand,
};

} // namespace

PresetEditorWindow::PresetEditorWindow(MetadataPresetManager *store, QWidget *parent)
    : QMainWindow(parent)
    , m_editor(new PresetEditor(store, this))
{
    setObjectName(QStringLiteral("presetEditorWindow"));
    setWindowTitle(localizedString("PresetEditorTitle"));
    m_model = new PresetListModel(m_editor, this);
    buildWidgets();
    buildMenus();

    // The table's selection goes to the editor; the editor's comes back after every change
    // of the rows (a sort keeps the presets selected, not the row numbers).
    connect(
        m_table->selectionModel(), &QItemSelectionModel::selectionChanged, this, &PresetEditorWindow::takeSelection);
    connect(m_table->selectionModel(), &QItemSelectionModel::currentChanged, this, &PresetEditorWindow::takeSelection);
    for (auto signal : { &QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved })
        connect(m_model, signal, this, &PresetEditorWindow::showSelection);
    connect(m_model, &QAbstractItemModel::layoutChanged, this, &PresetEditorWindow::showSelection);
    connect(m_model, &QAbstractItemModel::modelReset, this, &PresetEditorWindow::showSelection);
    connect(m_editor, &PresetEditor::selectionChanged, this, &PresetEditorWindow::showSelection);
    connect(m_editor, &PresetEditor::fieldsChanged, this, &PresetEditorWindow::showFields);

    showFields();
    showSelection();
    // Opened with the first preset chosen, so the fields are ready for typing.
    if (m_editor->selectedRows().isEmpty())
        m_editor->setSelection({ 0 });
}

PresetEditorWindow::~PresetEditorWindow() = default;

// --- Building -------------------------------------------------------------------------

void PresetEditorWindow::buildWidgets()
{
    m_table = new CommentTableView;
    m_table->setObjectName(QStringLiteral("presetTable"));
    m_table->setModel(m_model);
    m_table->setAccessibleName(localizedString("PresetsTable"));
    // Tab leaves the table: it has one column and nothing to edit in place.
    m_table->setTabKeyNavigation(false);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);

    const char *const names[] = { "keywordField", "valueField", "shorthandField" };
    const char *const labels[] = { "KeywordLabel", "ValueLabel", "ShorthandLabel" };
    const char *const accessible[] = { "PresetKeyword", "PresetValue", "PresetShorthand" };
    auto *form = new QFormLayout;
    for (int i = 0; i < 3; ++i) {
        auto *field = new QLineEdit;
        field->setObjectName(QString::fromLatin1(names[i]));
        field->setAccessibleName(localizedString(accessible[i]));
        connect(field, &QLineEdit::returnPressed, this, [this, field] { commitField(field); });
        field->installEventFilter(this);
        leaveAltLettersToCommands(field);
        auto *label = new QLabel(localizedString(labels[i]));
        label->setBuddy(field);
        form->addRow(label, field);
        m_fields[i] = field;
    }

    // The macro names, inserted into the field being edited. A click leaves the focus in the
    // field; reached by Tab, the button inserts into the value field.
    m_macroMenu = makeMacrosMenu(this, [this](const QString &name) { insertMacro(name); });
    m_macroButton = new QToolButton;
    m_macroButton->setObjectName(QStringLiteral("macroButton"));
    m_macroButton->setText(localizedString("InsertMacro").remove(u'&'));
    m_macroButton->setAccessibleName(m_macroButton->text());
    m_macroButton->setMenu(m_macroMenu);
    m_macroButton->setPopupMode(QToolButton::InstantPopup);
    m_macroButton->setFocusPolicy(Qt::TabFocus);

    auto *newButton = new QToolButton;
    newButton->setObjectName(QStringLiteral("newButton"));
    newButton->setText(QStringLiteral("+"));
    newButton->setToolTip(localizedString("NewPreset").remove(u'&'));
    newButton->setAccessibleName(newButton->toolTip());
    connect(newButton, &QToolButton::clicked, this, &PresetEditorWindow::newPreset);
    auto *deleteButton = new QToolButton;
    deleteButton->setObjectName(QStringLiteral("deleteButton"));
    deleteButton->setText(QStringLiteral("−"));
    deleteButton->setToolTip(localizedString("DeletePreset"));
    deleteButton->setAccessibleName(deleteButton->toolTip());
    connect(deleteButton, &QToolButton::clicked, this, &PresetEditorWindow::deletePresets);
    auto *restoreButton = new QPushButton(localizedString("RestoreDefaults").remove(u'&'));
    restoreButton->setObjectName(QStringLiteral("restoreButton"));
    restoreButton->setAutoDefault(false);
    connect(restoreButton, &QPushButton::clicked, this, &PresetEditorWindow::restorePresets);

    auto *tableButtons = new QHBoxLayout;
    tableButtons->addWidget(newButton);
    tableButtons->addWidget(deleteButton);
    tableButtons->addStretch();
    auto *left = new QVBoxLayout;
    left->addWidget(m_table, 1);
    left->addLayout(tableButtons);

    auto *macroRow = new QHBoxLayout;
    macroRow->addStretch();
    macroRow->addWidget(m_macroButton);
    auto *right = new QVBoxLayout;
    right->addLayout(form);
    right->addLayout(macroRow);
    right->addStretch();
    right->addWidget(restoreButton, 0, Qt::AlignRight);

    auto *central = new QWidget;
    auto *layout = new QHBoxLayout(central);
    layout->addLayout(left, 2);
    layout->addLayout(right, 3);
    setCentralWidget(central);
    setTabOrder(m_table, m_fields[0]);
    setTabOrder(m_fields[0], m_fields[1]);
    setTabOrder(m_fields[1], m_fields[2]);
    setTabOrder(m_fields[2], m_macroButton);
    resize(680, 400);
}

void PresetEditorWindow::buildMenus()
{
    addCloseAction(menuBar()->addMenu(localizedString("MenuFile")), this);

    auto *history = new UndoActions(this);
    history->setStack(m_editor->undoStack());
    connect(history->undoAction(), &QAction::triggered, this, &PresetEditorWindow::undo);
    connect(history->redoAction(), &QAction::triggered, this, &PresetEditorWindow::redo);
    QMenu *edit = menuBar()->addMenu(localizedString("MenuEdit"));
    edit->addAction(history->undoAction());
    edit->addAction(history->redoAction());
    edit->addSeparator();
    const QList<QAction *> clipboard = addClipboardActions(edit, this);

    QAction *add = makeWindowAction(this, "newPresetAction", "NewPreset", QKeySequence::New);
    connect(add, &QAction::triggered, this, &PresetEditorWindow::newPreset);
    QAction *restore = makeWindowAction(this, "restoreDefaultsAction", "RestoreDefaults");
    connect(restore, &QAction::triggered, this, &PresetEditorWindow::restorePresets);
    QMenu *preset = menuBar()->addMenu(localizedString("MenuPreset"));
    preset->addAction(add);
    preset->addMenu(m_macroMenu);
    preset->addSeparator();
    preset->addAction(restore);

    // Cut, Copy and Delete need a selection; Paste does not.
    m_selectionActions = { clipboard[0], clipboard[1], clipboard[3] };
}

// --- Showing ----------------------------------------------------------------------------

void PresetEditorWindow::makeWindowKey()
{
    show();
    raise();
    activateWindow();
}

void PresetEditorWindow::showFields()
{
    const bool enabled = m_editor->fieldsEnabled();
    for (int i = 0; i < 3; ++i) {
        QLineEdit *field = m_fields[i];
        const QString text = m_editor->fieldText(kFields[i]);
        if (field->text() != text)
            field->setText(text);
        field->setModified(false);
        field->setEnabled(enabled);
    }
}

void PresetEditorWindow::showSelection()
{
    // While the rows change the table may not yet show what the store holds.
    if (m_model->isChanging() || m_model->rowCount() != m_editor->store()->count())
        return;
    m_showingSelection = true;
    QItemSelection selection;
    for (int row : m_editor->selectedRows())
        selection.select(m_model->index(row, 0), m_model->index(row, 0));
    QItemSelectionModel *model = m_table->selectionModel();
    model->select(selection, QItemSelectionModel::ClearAndSelect);
    const int current = m_editor->currentRow();
    if (current >= 0) {
        model->setCurrentIndex(m_model->index(current, 0), QItemSelectionModel::NoUpdate);
        m_table->scrollTo(m_model->index(current, 0));
    }
    m_showingSelection = false;
    const bool selected = !m_editor->selectedPresets().isEmpty();
    for (QAction *action : std::as_const(m_selectionActions))
        action->setEnabled(selected);
}

void PresetEditorWindow::takeSelection()
{
    if (m_showingSelection || m_model->isChanging())
        return;
    const QModelIndex current = m_table->selectionModel()->currentIndex();
    m_editor->setSelection(m_table->selectedRowNumbers(), current.isValid() ? current.row() : -1);
    const bool selected = !m_editor->selectedPresets().isEmpty();
    for (QAction *action : std::as_const(m_selectionActions))
        action->setEnabled(selected);
}

// --- Fields -------------------------------------------------------------------------------

void PresetEditorWindow::commitField(QLineEdit *field)
{
    if (!field->isModified())
        return;
    field->setModified(false);
    for (int i = 0; i < 3; ++i) {
        if (m_fields[i] == field)
            m_editor->endEditing(kFields[i], field->text());
    }
}

bool PresetEditorWindow::eventFilter(QObject *object, QEvent *event)
{
    // Leaving a field ends its edit; opening a menu (the menu bar, the macro menu) does not,
    // so a macro chosen there goes into the edit still under way.
    if (event->type() == QEvent::FocusOut) {
        const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
        for (QLineEdit *field : m_fields) {
            if (field == object && reason != Qt::MenuBarFocusReason && reason != Qt::PopupFocusReason)
                commitField(field);
        }
    }
    return QMainWindow::eventFilter(object, event);
}

void PresetEditorWindow::commitFields()
{
    for (QLineEdit *field : m_fields)
        commitField(field);
}

QLineEdit *PresetEditorWindow::focusedField() const
{
    QWidget *focus = QApplication::focusWidget();
    for (QLineEdit *field : m_fields) {
        if (field == focus && field->isEnabled())
            return field;
    }
    return nullptr;
}

void PresetEditorWindow::insertMacro(const QString &name)
{
    QLineEdit *field = m_macroButton->hasFocus() && m_fields[1]->isEnabled() ? m_fields[1] : focusedField();
    if (field)
        field->insert(name);
}

// --- Commands ---------------------------------------------------------------------------

void PresetEditorWindow::newPreset()
{
    commitFields();
    m_editor->newPreset();
    m_fields[0]->setFocus(Qt::OtherFocusReason);
}

void PresetEditorWindow::cut()
{
    if (sendToFocusedTextEditor(this, TextEditCommand::Cut))
        return;
    commitFields();
    auto *mime = new QMimeData;
    if (m_editor->cut(mime))
        QGuiApplication::clipboard()->setMimeData(mime);
    else
        delete mime;
}

void PresetEditorWindow::copy()
{
    if (sendToFocusedTextEditor(this, TextEditCommand::Copy))
        return;
    commitFields();
    auto *mime = new QMimeData;
    if (m_editor->copy(mime))
        QGuiApplication::clipboard()->setMimeData(mime);
    else
        delete mime;
}

void PresetEditorWindow::paste()
{
    if (sendToFocusedTextEditor(this, TextEditCommand::Paste))
        return;
    commitFields();
    m_editor->paste(QGuiApplication::clipboard()->mimeData());
}

void PresetEditorWindow::deleteSelection()
{
    if (!sendToFocusedTextEditor(this, TextEditCommand::Delete))
        deletePresets();
}

void PresetEditorWindow::deletePresets()
{
    commitFields();
    m_editor->deleteSelection();
}

void PresetEditorWindow::restorePresets()
{
    commitFields();
    if (Prompts::confirm(this, localizedString("RestorePresetsQuery"), localizedString("LosePresetsWarning")))
        m_editor->restoreDefaults();
}

void PresetEditorWindow::undo()
{
    commitFields();
    m_editor->undo();
}

void PresetEditorWindow::redo()
{
    commitFields();
    m_editor->redo();
}

// --- Closing ------------------------------------------------------------------------------

void PresetEditorWindow::closeEvent(QCloseEvent *event)
{
    commitFields();
    QString reason;
    m_closeSaveFailed = !m_editor->finishEditing(&reason);
    if (m_closeSaveFailed)
        Prompts::showError(this, localizedString("PresetsSaveFailed"), reason);
    // The presets stay in memory either way, and the next close tries again.
    event->accept();
}

bool PresetEditorWindow::saveForQuit(QString *error)
{
    if (!isVisible() && !m_closeSaveFailed)
        return true;
    commitFields();
    QString reason;
    m_closeSaveFailed = !m_editor->finishEditing(&reason);
    if (!m_closeSaveFailed)
        return true;
    qCWarning(lcPresetWindow, "The presets could not be saved: %s", qUtf8Printable(reason));
    if (error)
        *error = localizedString("PresetsSaveFailed") + u' ' + asSentence(shownText(reason));
    return false;
}
