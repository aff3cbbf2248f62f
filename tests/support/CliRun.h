#pragma once

#include "cli/Cli.h"

#include <QBuffer>
#include <QStringList>
#include <QTextStream>

namespace TestSupport {

// Runs velmora-cli in-process with its standard output and error captured (replaced). With
// piped, standard input holds input and *piped gets the bytes written to standard output.
inline int runCliCaptured(
    const QStringList &args, QString *out, QString *err, const QByteArray &input = {}, QByteArray *piped = nullptr)
{
    out->clear();
    err->clear();
    QBuffer in, bytes;
    in.setData(input);
    in.open(QIODevice::ReadOnly);
    bytes.open(QIODevice::WriteOnly);
    QTextStream outStream(out), errStream(err);
    const int status = runCli(args, outStream, errStream, { &in, &bytes });
    outStream.flush();
    errStream.flush();
    if (piped)
        *piped = bytes.data();
    return status;
}

} // namespace TestSupport
