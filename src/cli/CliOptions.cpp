#include "cli/CliOptions.h"

CliOptions::CliOptions(QStringList flags, QStringList valueOptions)
    : m_flags(std::move(flags))
    , m_valueOptions(std::move(valueOptions))
{
}

bool CliOptions::parse(const QStringList &arguments)
{
    auto fail = [this](const QString &message) {
        if (m_error.isEmpty())
            m_error = message;
    };
    bool optionsEnded = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString &a = arguments.at(i);
        if (optionsEnded || !a.startsWith(u'-') || a == u"-") {
            m_operands << a;
        } else if (a == u"--") {
            optionsEnded = true;
        } else if (m_valueOptions.contains(a)) {
            if (i + 1 >= arguments.size()) {
                fail(QStringLiteral("option %1 needs a value").arg(a));
                break;
            }
            ++m_counts[a];
            m_values[a] << arguments.at(++i);
        } else if (m_flags.contains(a)) {
            ++m_counts[a];
        } else {
            fail(QStringLiteral("unknown option %1").arg(a));
        }
    }
    return m_error.isEmpty();
}
