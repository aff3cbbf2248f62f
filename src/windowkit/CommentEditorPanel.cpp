#include "windowkit/CommentEditorPanel.h"

#include "commentlist/CommentListOwner.h"
#include "commentlist/widgets/CommentCellDelegate.h"
#include "core/Strings.h"
#include "presets/MetadataPresetManager.h"
#include "windowkit/StoreMenu.h"
#include "windowkit/TextEditCommands.h"

#include <QAccessibleWidget>
#include <QAction>
#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextDocument>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// To a screen reader the panel is a dialog (a plain tool window would be a mere filler).
QAccessibleInterface *panelAccessible(const QString &className, QObject *object)
{
    if (className != QLatin1String("CommentEditorPanel") || !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Dialog);
}

} // namespace

CommentEditorPanel::CommentEditorPanel(CommentListOwner *owner, MetadataPresetManager *presets, QWidget *ownerWindow)
    : QWidget(ownerWindow, Qt::Tool)
    , m_presets(presets)
{
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(panelAccessible);
        return true;
    }();
    Q_UNUSED(factoryInstalled);
    setObjectName(QStringLiteral("commentEditorPanel"));
    setWindowTitle(localizedString("CommentEditorTitle"));

    m_keywordField = new QLineEdit;
    m_keywordField->setObjectName(QStringLiteral("keywordField"));
    m_keywordField->setAccessibleName(localizedString("KeywordColumn"));
    connect(m_keywordField, &QLineEdit::editingFinished, this, &CommentEditorPanel::commitKeyword);
    leaveAltLettersToCommands(m_keywordField);

    m_textField = new QPlainTextEdit;
    m_textField->setObjectName(QStringLiteral("textField"));
    m_textField->setAccessibleName(localizedString("TextColumn"));
    m_textField->setTabChangesFocus(true);
    m_textField->installEventFilter(this);
    leaveAltLettersToCommands(m_textField);

    StoreMenu *presetsMenu = StoreMenu::presetsMenu(presets, this);
    connect(presetsMenu, &StoreMenu::chosen, this, &CommentEditorPanel::applyPreset);
    m_presetsButton = new QToolButton;
    m_presetsButton->setObjectName(QStringLiteral("presetsButton"));
    m_presetsButton->setText(localizedString("PresetsButton"));
    m_presetsButton->setAccessibleName(localizedString("MenuPresets").remove(u'&'));
    m_presetsButton->setMenu(presetsMenu);
    m_presetsButton->setPopupMode(QToolButton::InstantPopup);
    m_presetsButton->setFocusPolicy(Qt::StrongFocus);

    auto *closeButton = new QPushButton(localizedString("CloseButton"));
    closeButton->setObjectName(QStringLiteral("closeButton"));
    closeButton->setAutoDefault(false);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);

    m_statusLabel = new QLabel(localizedString("CommentEditorNoComment"));
    m_statusLabel->setObjectName(QStringLiteral("statusLabel"));
    m_statusLabel->hide();

    auto *keywordLabel = new QLabel(localizedString("KeywordLabel"));
    keywordLabel->setBuddy(m_keywordField);
    auto *textLabel = new QLabel(localizedString("TextLabel"));
    textLabel->setBuddy(m_textField);
    auto *form = new QFormLayout;
    form->addRow(keywordLabel, m_keywordField);
    form->addRow(textLabel, m_textField);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_presetsButton);
    buttons->addStretch();
    buttons->addWidget(closeButton);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_statusLabel);
    layout->addLayout(form, 1);
    layout->addLayout(buttons);

    // The standard close keys close the panel, committing the fields; Escape discards them.
    auto *closeAction = new QAction(this);
    closeAction->setShortcut(QKeySequence::Close);
    connect(closeAction, &QAction::triggered, this, &QWidget::close);
    auto *escapeAction = new QAction(this);
    escapeAction->setShortcut(Qt::Key_Escape);
    connect(escapeAction, &QAction::triggered, this, &CommentEditorPanel::discardAndClose);
    addActions({ closeAction, escapeAction });

    setOwner(owner);
    resize(420, 300);
}

void CommentEditorPanel::setOwner(CommentListOwner *owner)
{
    commit();
    if (m_owner)
        disconnect(m_owner, nullptr, this, nullptr);
    m_owner = owner;
    m_comment.reset();
    if (owner)
        connect(owner, &CommentListOwner::commentsChanged, this, [this] { showComment(false); });
    showComment(true);
}

CommentEditorPanel::~CommentEditorPanel()
{
    // What the fields hold goes to the owner, as a close does. The window closes while it is
    // destroyed, taking the focus out of the fields, whose signals must no longer reach a
    // panel that is half gone.
    commit();
    m_keywordField->disconnect(this);
    m_textField->removeEventFilter(this);
}

bool CommentEditorPanel::isAttached() const
{
    return m_owner && m_owner->contains(m_comment);
}

void CommentEditorPanel::editComment(const CommentPtr &comment)
{
    commit();
    m_comment = comment;
    showComment(true);
    show();
    raise();
    activateWindow();
    m_keywordField->setFocus(Qt::OtherFocusReason);
}

void CommentEditorPanel::showComment(bool force)
{
    const bool attached = isAttached();
    m_statusLabel->setVisible(m_comment && !attached);
    m_keywordField->setEnabled(attached);
    m_textField->setEnabled(attached);
    m_presetsButton->setEnabled(attached);
    QTextDocument *document = m_textField->document();
    if (!attached) {
        m_keywordField->setText(QString());
        m_keywordField->setModified(false);
        m_textField->setPlainText(QString());
        document->setModified(false);
        return;
    }
    if (force || !m_keywordField->isModified()) {
        if (m_keywordField->text() != m_comment->keyword())
            m_keywordField->setText(m_comment->keyword());
        m_keywordField->setModified(false);
    }
    if (force || !document->isModified()) {
        if (CommentCellDelegate::editedText(m_textField) != m_comment->text())
            m_textField->setPlainText(m_comment->text());
        document->setModified(false);
    }
}

void CommentEditorPanel::commitKeyword()
{
    if (!isAttached() || !m_keywordField->isModified())
        return;
    m_keywordField->setModified(false);
    m_owner->setKeyword(m_comment, m_keywordField->text());
}

void CommentEditorPanel::commitText()
{
    if (!isAttached() || !m_textField->document()->isModified())
        return;
    m_textField->document()->setModified(false);
    m_owner->setText(m_comment, CommentCellDelegate::editedText(m_textField));
}

void CommentEditorPanel::commit()
{
    commitKeyword();
    commitText();
}

void CommentEditorPanel::applyPreset(int index)
{
    const PresetPtr preset = m_presets ? m_presets->presetAtIndex(index) : nullptr;
    if (!preset || !isAttached())
        return;
    m_owner->setFields(
        m_comment, preset->keyword(), preset->exportValue(), Expansion::Expand, localizedString("StepApplyPreset"));
    showComment(true);
}

void CommentEditorPanel::discardAndClose()
{
    showComment(true);
    close();
}

void CommentEditorPanel::closeEvent(QCloseEvent *event)
{
    commit();
    QWidget::closeEvent(event);
}

bool CommentEditorPanel::eventFilter(QObject *object, QEvent *event)
{
    if (object == m_textField) {
        if (event->type() == QEvent::FocusOut) {
            commitText();
        } else if (event->type() == QEvent::KeyPress) {
            // As in the table: Shift+Return and Alt+Return give a plain line feed (the
            // editor's own Shift+Return would insert U+2028).
            const auto *key = static_cast<QKeyEvent *>(event);
            if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
                && (key->modifiers() & (Qt::ShiftModifier | Qt::AltModifier))) {
                m_textField->textCursor().insertText(QStringLiteral("\n"));
                return true;
            }
        }
    }
    return QWidget::eventFilter(object, event);
}
