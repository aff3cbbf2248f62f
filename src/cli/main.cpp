#include "cli/Cli.h"

#include <QCoreApplication>
#include <QFile>
#include <QTextStream>

#include <cstdio>

#include <unistd.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("velmora"));
    QCoreApplication::setOrganizationDomain(QStringLiteral("velmora.org"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    // A PNG file named "-" comes from standard input and goes to standard output, as bytes.
    QFile in, png;
    in.open(STDIN_FILENO, QIODevice::ReadOnly | QIODevice::Unbuffered);
    png.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    const int status = runCli(args, out, err, { &in, &png });
    out.flush();
    err.flush();
    return status;
}
