#pragma once

#include "cli/Cli.h"

#include <QStringList>
#include <QTextStream>

namespace TestSupport {

// Runs velmora-cli in-process with its standard output and error captured (replaced).
inline int runCliCaptured(const QStringList &args, QString *out, QString *err)
{
    out->clear();
    err->clear();
    QTextStream outStream(out), errStream(err);
    const int status = runCli(args, outStream, errStream);
    outStream.flush();
    errStream.flush();
    return status;
}

} // namespace TestSupport
