#pragma once

#include "core/PNGFile.h"

#include <QByteArray>
#include <QChar>
#include <QString>

class CliOptions;
class QIODevice;
class QTextStream;

// Standard input and output as bytes: a PNG file named "-" is read from in and written to out.
// Null when the command line has none.
struct CliPipes
{
    QIODevice *in = nullptr;
    QIODevice *out = nullptr;
};

// Exit statuses of velmora-cli.
namespace CliStatus {
constexpr int Ok = 0;
constexpr int Failed = 1; // a file (or a path given) failed; each is named on stderr
constexpr int Usage = 2;
} // namespace CliStatus

// A PNG file as a command works on it.
using CliFile = PNGFile;

// What a command works with: the output streams, the global options, and the shared ways
// of reporting problems and of reading and saving a PNG file.
//
// A PNG file named "-" is standard input (pipes.in): it is read whole into memory, and saving
// it writes the new file to standard output (pipes.out) instead of to a file, nothing of it
// reaching the disk. A file that fails writes nothing there.
class CliContext
{
public:
    CliContext(QTextStream &out, QTextStream &err, const CliPipes &pipes = {})
        : out(out)
        , err(err)
        , pipes(pipes)
    {
    }

    QTextStream &out;
    QTextStream &err;
    CliPipes pipes;
    // Re-encode the image data on save (--recompress).
    bool recompress = false;

    // Prints "velmora-cli: command: message" and where to find help; returns CliStatus::Usage.
    int usage(const QString &command, const QString &message);
    // Prints "velmora-cli: path: reason".
    void fileFailed(const QString &path, const QString &reason);

    // Whether a command reads the pixels. Only commands that write a file decode them: that
    // checks the image data before the file is replaced, and --recompress needs the rows.
    using Pixels = PNGFile::Pixels;
    // The bytes of the file at path ("-": standard input, which can be read once); on failure
    // names the file and returns false.
    bool readBytes(const QString &path, QByteArray *bytes);
    // Reads path into file; on failure names the file and returns false.
    bool load(const QString &path, CliFile &file, Pixels pixels);
    // Drops entries without keyword and saves file in place (or, read from "-", writes it to
    // standard output); on failure names the file and returns false (the file is then
    // untouched, nothing is written to standard output).
    bool save(CliFile &file);

private:
    bool m_inputRead = false;
};

// The value of --separator: one character, "tab" or "space"; a comma when not given.
// False for anything else.
bool separatorOption(const CliOptions &options, QChar *separator);

// "KEY=TEXT" arguments as pairs; false when one has no "=" or an empty key.
bool keyTextPairs(const QStringList &arguments, QList<QPair<QString, QString>> *pairs);
