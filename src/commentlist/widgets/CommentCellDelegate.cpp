#include "commentlist/widgets/CommentCellDelegate.h"

#include "core/PNGComment.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>

namespace {

constexpr int kTextColumn = 1;
constexpr int kEditorLines = 5;

} // namespace

CommentCellDelegate::CommentCellDelegate(QObject *parent)
    : QStyledItemDelegate(parent)
{
}

QWidget *CommentCellDelegate::createEditor(
    QWidget *parent, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    if (index.column() != kTextColumn) {
        auto *edit = new QLineEdit(parent);
        edit->setObjectName(QStringLiteral("keywordEditor"));
        edit->setMaxLength(PNGComment::MaxKeywordLength);
        edit->setFrame(false);
        return edit;
    }
    auto *edit = new QPlainTextEdit(parent);
    edit->setObjectName(QStringLiteral("textEditor"));
    edit->setTabChangesFocus(true);
    edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    edit->setFont(option.font);
    return edit;
}

void CommentCellDelegate::setEditorData(QWidget *editor, const QModelIndex &index) const
{
    // An editor the user has typed into keeps what was typed when the table changes.
    const QString value = index.data(Qt::EditRole).toString();
    if (auto *text = qobject_cast<QPlainTextEdit *>(editor)) {
        if (text->document()->isModified())
            return;
        text->setPlainText(value);
        text->document()->setModified(false);
        text->selectAll();
    } else if (auto *line = qobject_cast<QLineEdit *>(editor)) {
        if (line->isModified())
            return;
        line->setText(value);
        line->setModified(false);
    }
}

void CommentCellDelegate::setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const
{
    if (auto *text = qobject_cast<QPlainTextEdit *>(editor)) {
        if (text->document()->isModified())
            model->setData(index, editedText(text), Qt::EditRole);
    } else if (auto *line = qobject_cast<QLineEdit *>(editor)) {
        if (line->isModified())
            model->setData(index, line->text(), Qt::EditRole);
    }
}

QString CommentCellDelegate::editedText(const QPlainTextEdit *editor)
{
    // The raw text keeps non-breaking spaces (and line separators a text may hold); its
    // block separators are the line breaks.
    QString value = editor->document()->toRawText();
    value.replace(QChar::ParagraphSeparator, u'\n');
    return value;
}

void CommentCellDelegate::updateEditorGeometry(
    QWidget *editor, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    if (!qobject_cast<QPlainTextEdit *>(editor)) {
        QStyledItemDelegate::updateEditorGeometry(editor, option, index);
        return;
    }
    // Several lines tall, below the cell where there is room, else above it.
    QRect rect = option.rect;
    rect.setHeight(std::max(rect.height(), option.fontMetrics.lineSpacing() * kEditorLines + 8));
    if (const QWidget *area = editor->parentWidget()) {
        if (rect.bottom() > area->height() - 1)
            rect.moveBottom(std::max(option.rect.bottom(), area->height() - 1));
        if (rect.top() < 0)
            rect.moveTop(0);
    }
    editor->setGeometry(rect);
}

bool CommentCellDelegate::eventFilter(QObject *object, QEvent *event)
{
    // The menu bar borrows the focus while it is used from the keyboard (Insert Macro,
    // Edit ▸ Copy) and gives it back: the edit goes on, and every command that needs the
    // value hands it over first.
    if (event->type() == QEvent::FocusOut && static_cast<QFocusEvent *>(event)->reason() == Qt::MenuBarFocusReason)
        return false;
    auto *text = qobject_cast<QPlainTextEdit *>(object);
    if (text && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (key->modifiers() & (Qt::ShiftModifier | Qt::AltModifier)) {
                // A plain line feed: the editor's own Shift+Return would insert U+2028.
                text->textCursor().insertText(QStringLiteral("\n"));
            } else {
                emit commitData(text);
                emit closeEditor(text, QAbstractItemDelegate::NoHint);
            }
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(object, event);
}
