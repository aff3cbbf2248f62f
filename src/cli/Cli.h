#pragma once

#include "cli/CliContext.h"

#include <QStringList>

class QTextStream;

// velmora-cli: the command-line face of the metadata core. Runs one command line and
// returns the exit status: 0 success, 1 when any file failed, 2 on a usage error. A PNG file
// named "-" is read from pipes.in and, when a command writes it, written to pipes.out.
int runCli(const QStringList &arguments, QTextStream &out, QTextStream &err, const CliPipes &pipes = {});
