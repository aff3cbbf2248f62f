#pragma once

#include "core/PNGComment.h"
#include "core/PNGRows.h"
#include "core/PNGinfo.h"

#include <QChar>
#include <QString>

class CliOptions;
class QTextStream;

// Exit statuses of velmora-cli.
namespace CliStatus {
constexpr int Ok = 0;
constexpr int Failed = 1; // a file (or a path given) failed; each is named on stderr
constexpr int Usage = 2;
} // namespace CliStatus

// A PNG file as a command works on it.
struct CliFile
{
    PNGinfo info;
    PNGRows rows;
    CommentList comments;
};

// What a command works with: the output streams, the global options, and the shared ways
// of reporting problems and of reading and saving a PNG file.
class CliContext
{
public:
    CliContext(QTextStream &out, QTextStream &err)
        : out(out)
        , err(err)
    {
    }

    QTextStream &out;
    QTextStream &err;
    // Re-encode the image data on save (--recompress).
    bool recompress = false;

    // Prints "velmora-cli: command: message" and where to find help; returns CliStatus::Usage.
    int usage(const QString &command, const QString &message);
    // Prints "velmora-cli: path: reason".
    void fileFailed(const QString &path, const QString &reason);

    // Whether a command reads the pixels. Only commands that write a file decode them: that
    // checks the image data before the file is replaced, and --recompress needs the rows.
    enum class Pixels { Skip, Decode };
    // Reads path into file; on failure names the file and returns false.
    bool load(const QString &path, CliFile &file, Pixels pixels);
    // Reads the bytes of the file at path, whatever they hold (a PNG file however damaged);
    // on failure names the file and returns false.
    bool readBytes(const QString &path, QByteArray *bytes);
    // Drops entries without keyword and saves file in place; on failure names the file
    // and returns false (the file is then untouched).
    bool save(CliFile &file);
};

// The value of --separator: one character, "tab" or "space"; a comma when not given.
// False for anything else.
bool separatorOption(const CliOptions &options, QChar *separator);

// "KEY=TEXT" arguments as pairs; false when one has no "=" or an empty key.
bool keyTextPairs(const QStringList &arguments, QList<QPair<QString, QString>> *pairs);
