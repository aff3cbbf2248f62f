#pragma once

#include <QList>
#include <QStringList>

class CliContext;
class CliOptions;

// One velmora-cli command: its name, its help and its options, and what it does. The
// command line is parsed before run() is called; help and parse errors never reach it.
struct CliCommand
{
    QString name;
    // The arguments after the name, as the help shows them ("[--json] FILE...").
    QString synopsis;
    // What the command does, wrapped to 60 columns.
    QString description;
    // The command's own options, one "  --name VALUE   what it does" line each (may be empty).
    QString optionHelp;
    QStringList flags;
    QStringList valueOptions;
    int (*run)(CliContext &context, const CliOptions &options) = nullptr;
};

// The commands, by group, in the order the help lists them.
QList<CliCommand> readingCommands(); // info, list, chunks, generation
QList<CliCommand> editingCommands(); // set, remove, clear
QList<CliCommand> interchangeCommands(); // export, import
QList<CliCommand> batchCommands(); // batch, strip
QList<CliCommand> storeCommands(); // presets, templates, apply-template
