#pragma once

#include "TestSupport.h"
#include "presets/MetadataPresetManager.h"
#include "windowkit/Prompts.h"

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QList>
#include <QMainWindow>
#include <QMap>
#include <QMenu>
#include <QMenuBar>
#include <QStringList>
#include <QTest>
#include <QVariant>
#include <QWidget>

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

// The letters Alt reaches two things with at once, one "first / second" per clash (none:
// every letter leads to one place). Within a window its menu bar's titles and its visible
// buttons, check boxes, group boxes and labels of fields share the letters; within a menu,
// its items.
inline QStringList mnemonicClashes(QWidget *window)
{
    QStringList clashes;
    const auto check = [&clashes](const QStringList &texts) {
        QMap<QChar, QString> letters;
        for (const QString &text : texts) {
            const QChar letter = mnemonic(text);
            if (letter.isNull())
                continue;
            if (letters.contains(letter))
                clashes << letters.value(letter) + QStringLiteral(" / ") + text;
            letters.insert(letter, text);
        }
    };
    QStringList top;
    QList<QAction *> items;
    if (auto *main = qobject_cast<QMainWindow *>(window)) {
        for (QAction *menu : main->menuBar()->actions())
            top << menu->text();
        items = menuItems(main->menuBar());
    }
    for (QWidget *w : window->findChildren<QWidget *>()) {
        if (w->window() != window || !w->isVisibleTo(window))
            continue;
        if (auto *button = qobject_cast<QAbstractButton *>(w))
            top << button->text();
        else if (auto *label = qobject_cast<QLabel *>(w); label && label->buddy())
            top << label->text();
        else if (auto *group = qobject_cast<QGroupBox *>(w))
            top << group->title();
    }
    check(top);
    for (QAction *item : std::as_const(items)) {
        if (!item->menu())
            continue;
        QStringList texts;
        for (QAction *inner : item->menu()->actions())
            texts << inner->text();
        check(texts);
    }
    return clashes;
}

// The texts of a list's first column, top to bottom.
inline QStringList firstColumnTexts(const QAbstractItemModel &model)
{
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row)
        rows << model.index(row, 0).data().toString();
    return rows;
}

// Answers the windows' questions instead of a person, with answer (or what answerFor
// gives), and records them.
struct PromptAnswers
{
    QList<Prompts::Request> asked;
    QVariant answer;
    std::function<QVariant(const Prompts::Request &)> answerFor;

    PromptAnswers()
    {
        Prompts::setHandler([this](const Prompts::Request &request) {
            asked.append(request);
            return answerFor ? answerFor(request) : answer;
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
