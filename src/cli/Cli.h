#pragma once

#include <QStringList>

class QTextStream;

// velmora-cli: the command-line face of the metadata core. Runs one command line and
// returns the exit status: 0 success, 1 when any file failed, 2 on a usage error.
int runCli(const QStringList &arguments, QTextStream &out, QTextStream &err);
