#pragma once

#include "windowkit/Prompts.h"

#include <QAbstractItemModel>
#include <QAccessible>
#include <QAction>
#include <QList>
#include <QMenu>
#include <QMenuBar>
#include <QStringList>
#include <QVariant>
#include <QWidget>

// Helpers of the window tests (header only: only tests that link QtWidgets include it).
namespace WindowTestSupport {

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

// The texts of a list's first column, top to bottom.
inline QStringList firstColumnTexts(const QAbstractItemModel &model)
{
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row)
        rows << model.index(row, 0).data().toString();
    return rows;
}

// Answers the windows' questions instead of a person, with answer, and records them.
struct PromptAnswers
{
    QList<Prompts::Request> asked;
    QVariant answer;

    PromptAnswers()
    {
        Prompts::setHandler([this](const Prompts::Request &request) {
            asked.append(request);
            return answer;
        });
    }
    ~PromptAnswers() { Prompts::setHandler({}); }
    PromptAnswers(const PromptAnswers &) = delete;
    PromptAnswers &operator=(const PromptAnswers &) = delete;

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
