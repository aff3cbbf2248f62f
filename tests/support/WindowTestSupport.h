#pragma once

#include "TestSupport.h"
#include "presets/MetadataPresetManager.h"
#include "windowkit/Prompts.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDropEvent>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QTest>
#include <QTextEdit>

#include <functional>
#include <memory>

// Helpers of the window tests (header only: only tests that link QtWidgets include it).
namespace WindowTestSupport {

// Triggers a window's action by object name; fails the test when it is missing or off.
inline void trigger(const QObject *window, const char *name)
{
    auto *action = window->findChild<QAction *>(QString::fromLatin1(name));
    QVERIFY2(action, name);
    QVERIFY2(action->isEnabled(), name);
    action->trigger();
}

// Whether a window's action is enabled (false when there is none).
inline bool isEnabled(const QObject *window, const char *name)
{
    auto *action = window->findChild<QAction *>(QString::fromLatin1(name));
    return action && action->isEnabled();
}

// Selects whole rows of a table (none: clears the selection); the last becomes current.
inline void selectRows(QAbstractItemView *table, const QList<int> &rows)
{
    table->clearSelection();
    for (int row : rows)
        table->selectionModel()->setCurrentIndex(
            table->model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

// A preset store of a test's own: presets (the body of a presets file) read from a file
// in folder.
inline std::unique_ptr<MetadataPresetManager> presetStore(const QString &folder, const QByteArray &presets)
{
    const QString path = folder + QStringLiteral("/presets.xml");
    if (!TestSupport::writeFile(path, "<MetadataPresets>" + presets + "</MetadataPresets>"))
        return nullptr;
    auto store = std::make_unique<MetadataPresetManager>(path);
    store->loadMetaDataPresets();
    return store;
}

// What a screen reader says a control is.
inline QString accessibleName(QWidget *widget)
{
    QAccessibleInterface *face = QAccessible::queryAccessibleInterface(widget);
    return face ? face->text(QAccessible::Name) : QString();
}

// The letter Alt reaches a text with (lower case), or a null character.
inline QChar mnemonic(const QString &text)
{
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] == u'&') {
            if (text[i + 1] != u'&')
                return text[i + 1].toLower();
            ++i;
        }
    }
    return QChar();
}

// Every item reachable from a menu bar, submenus included (menus rebuilt on showing are
// taken as they stand).
inline QList<QAction *> menuItems(QMenuBar *bar)
{
    QList<QAction *> found;
    QList<QAction *> pending = bar->actions();
    while (!pending.isEmpty()) {
        QAction *action = pending.takeFirst();
        found << action;
        if (action->menu())
            pending += action->menu()->actions();
    }
    return found;
}

// The titles of a window's menus, without their mnemonics.
inline QStringList menuTitles(QMainWindow *window)
{
    QStringList titles;
    for (QAction *menu : window->menuBar()->actions())
        titles << menu->text().remove(u'&');
    return titles;
}

// What keeps a person with the keyboard alone or a screen reader from a window's commands,
// one line each (none: all reachable). Walks the window's menus through the accessibility
// interface (an item a screen reader gets null or without a name), its visible controls (a
// control without a name, one Tab passes by) and its mnemonics (a letter twice among the menu
// bar and the controls, or within one menu). The window itself must be a window or a dialog.
inline QStringList reachFaults(QWidget *window)
{
    QStringList faults;
    const QString kind = QString::fromLatin1(window->metaObject()->className());
    QAccessibleInterface *self = QAccessible::queryAccessibleInterface(window);
    if (!self || (self->role() != QAccessible::Window && self->role() != QAccessible::Dialog))
        faults << kind + u": not a window to a screen reader"_qs;

    QMap<QChar, QString> topLetters;
    QList<QWidget *> textFields;
    const auto letter = [&](QMap<QChar, QString> &letters, const QString &text, bool needed = false) {
        const QChar key = mnemonic(text);
        if (key.isNull() && needed)
            faults << kind + u": no Alt letter for "_qs + text;
        if (key.isNull())
            return;
        if (letters.contains(key))
            faults << kind + u": Alt+"_qs + key + u" for "_qs + letters.value(key) + u" and "_qs + text;
        letters.insert(key, text);
    };
    const std::function<void(QAccessibleInterface *, const QString &)> walk
        = [&](QAccessibleInterface *face, const QString &path) {
              for (int i = 0; i < face->childCount(); ++i) {
                  QAccessibleInterface *child = face->child(i);
                  const QString where = path + u'/' + QString::number(i);
                  if (!child || !child->isValid()) {
                      faults << kind + u": null menu item "_qs + where;
                      continue;
                  }
                  if (child->role() == QAccessible::Separator)
                      continue;
                  // A submenu's items hang below its item, by way of the menu.
                  if (child->role() == QAccessible::PopupMenu) {
                      walk(child, path);
                      continue;
                  }
                  const QString name = child->text(QAccessible::Name);
                  if (QString(name).remove(u'&').trimmed().isEmpty())
                      faults << kind + u": unnamed menu item "_qs + where;
                  walk(child, path + u'/' + name);
              }
          };
    if (auto *main = qobject_cast<QMainWindow *>(window); main && main->menuWidget()) {
        walk(QAccessible::queryAccessibleInterface(main->menuBar()), QString());
        for (QAction *item : main->menuBar()->actions())
            letter(topLetters, item->text(), true);
        for (QAction *item : menuItems(main->menuBar())) {
            QMap<QChar, QString> letters;
            for (QAction *inner : item->menu() ? item->menu()->actions() : QList<QAction *>()) {
                // Commands (named) need a letter; the lists (recent files, windows) may have one.
                if (inner->isVisible() && !inner->isSeparator())
                    letter(letters, inner->text(), !inner->objectName().isEmpty());
            }
        }
    }
    // A tool window (the comment editor) answers the keys of the window it belongs to too:
    // Alt with a letter of that window's menu bar opens its menu.
    if (window->windowType() == Qt::Tool && window->parentWidget()) {
        if (auto *owner = qobject_cast<QMainWindow *>(window->parentWidget()->window()); owner && owner->menuWidget()) {
            for (QAction *item : owner->menuBar()->actions())
                letter(topLetters, item->text());
        }
    }
    for (QWidget *w : window->findChildren<QWidget *>()) {
        // Qt's own parts (a view's header, named after its columns) are Qt's business.
        if (w->window() != window || !w->isVisibleTo(window) || w->objectName().startsWith(u"qt_"_qs)
            || qobject_cast<QHeaderView *>(w))
            continue;
        if (auto *button = qobject_cast<QAbstractButton *>(w))
            letter(topLetters, button->text());
        else if (auto *label = qobject_cast<QLabel *>(w); label && label->buddy())
            letter(topLetters, label->text());
        else if (auto *box = qobject_cast<QGroupBox *>(w))
            letter(topLetters, box->title());
        const bool control = qobject_cast<QAbstractButton *>(w) || qobject_cast<QAbstractItemView *>(w)
            || qobject_cast<QLineEdit *>(w) || qobject_cast<QComboBox *>(w) || qobject_cast<QAbstractSpinBox *>(w)
            || qobject_cast<QPlainTextEdit *>(w) || qobject_cast<QTextEdit *>(w);
        if (!control)
            continue;
        const QString what = kind + u'/' + QString::fromLatin1(w->metaObject()->className()) + u'/' + w->objectName();
        if (accessibleName(w).remove(u'&').trimmed().isEmpty())
            faults << what + u": no name"_qs;
        // A line edit's own buttons (clear) are reached by keys of the field itself.
        if (!(w->focusPolicy() & Qt::TabFocus) && !qobject_cast<QLineEdit *>(w->parentWidget()))
            faults << what + u": not in the Tab order"_qs;
        if (qobject_cast<QLineEdit *>(w) || qobject_cast<QPlainTextEdit *>(w))
            textFields << w;
    }
    // Alt with a letter that no command of the window takes types nothing either.
    QChar unused = u'a';
    while (topLetters.contains(unused))
        unused = QChar(unused.unicode() + 1);
    for (QWidget *field : std::as_const(textFields)) {
        const char *text = qobject_cast<QLineEdit *>(field) ? "text" : "plainText";
        const QString before = field->property(text).toString();
        QTest::keyClick(field, char(unused.unicode()), Qt::AltModifier);
        if (field->property(text).toString() != before)
            faults << kind + u'/' + field->objectName() + u": Alt+"_qs + unused + u" types the letter"_qs;
    }
    return faults;
}

// Shows a window and makes it the active one; whether it became so.
inline bool activate(QWidget *window)
{
    window->show();
    // The offscreen platform activates a tool window only once it is exposed.
    if (!QTest::qWaitForWindowExposed(window))
        return false;
    window->activateWindow();
    QApplication::setActiveWindow(window);
    return QTest::qWaitForWindowActive(window);
}

// Local files dragged from a file manager onto a widget and dropped: whether the drag and
// the drop were taken.
inline QList<bool> dropFiles(QWidget *target, const QStringList &files)
{
    QMimeData mime;
    for (const QString &file : files)
        mime.setUrls(mime.urls() << QUrl::fromLocalFile(file));
    const QPoint at(5, 5);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QDragMoveEvent move(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QDropEvent drop(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    enter.ignore();
    drop.ignore();
    for (QEvent *event : std::initializer_list<QEvent *> { &enter, &move, &drop })
        QCoreApplication::sendEvent(target, event);
    return { enter.isAccepted(), drop.isAccepted() };
}

// The texts of a list's first column, top to bottom.
inline QStringList firstColumnTexts(const QAbstractItemModel &model)
{
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row)
        rows << model.index(row, 0).data().toString();
    return rows;
}

// Answers the windows' questions instead of a person, with what answerFor gives, else the
// answer for the kind, else answer; records them.
struct PromptAnswers
{
    QList<Prompts::Request> asked;
    QVariant answer;
    QMap<Prompts::Kind, QVariant> byKind;
    std::function<QVariant(const Prompts::Request &)> answerFor;

    PromptAnswers()
    {
        Prompts::setHandler([this](const Prompts::Request &request) {
            asked.append(request);
            return answerFor ? answerFor(request) : byKind.value(request.kind, answer);
        });
    }
    ~PromptAnswers() { Prompts::setHandler({}); }
    PromptAnswers(const PromptAnswers &) = delete;
    PromptAnswers &operator=(const PromptAnswers &) = delete;

    // The questions of one kind, in order.
    QList<Prompts::Request> of(Prompts::Kind kind) const
    {
        QList<Prompts::Request> result;
        for (const auto &request : asked) {
            if (request.kind == kind)
                result << request;
        }
        return result;
    }
    // The messages asked, in order.
    QStringList texts() const
    {
        QStringList result;
        for (const auto &request : asked)
            result << request.text;
        return result;
    }
};

} // namespace WindowTestSupport
