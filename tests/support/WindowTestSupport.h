#pragma once

#include "commentlist/widgets/Prompts.h"

#include <QAccessible>
#include <QList>
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
