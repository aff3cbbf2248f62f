#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

// The arguments of one command, sorted into flags ("--json"), options that take the next
// argument as their value ("--separator ;", repeatable) and operands. Options may stand
// anywhere among the operands; "--" ends them, so every argument after it is an operand
// ("-h" and "--help" included); a lone "-" is an operand.
//
// parse() fails on an option it does not know and on a value option without a value. It
// keeps reading after a failure, so a help flag anywhere before "--" is still seen.
class CliOptions
{
public:
    CliOptions(QStringList flags = {}, QStringList valueOptions = {});

    // Adds options every command knows (help, global flags).
    void addFlags(const QStringList &flags) { m_flags += flags; }
    void addValueOptions(const QStringList &options) { m_valueOptions += options; }

    // False when the arguments hold an unknown option or a value option at their end;
    // error() then says which (the first problem). Called once: each command line gets
    // an object of its own.
    bool parse(const QStringList &arguments);
    const QString &error() const { return m_error; }

    // Whether the flag or value option was given at least once.
    bool isSet(const QString &option) const { return m_counts.value(option) > 0; }
    // The first value given for the option; null when it was not given.
    QString value(const QString &option) const { return m_values.value(option).value(0); }
    // Every value given for the option, in order.
    QStringList values(const QString &option) const { return m_values.value(option); }
    const QStringList &operands() const { return m_operands; }

private:
    QStringList m_flags;
    QStringList m_valueOptions;
    QHash<QString, int> m_counts;
    QHash<QString, QStringList> m_values;
    QStringList m_operands;
    QString m_error;
};
