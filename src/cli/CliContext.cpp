#include "cli/CliContext.h"

#include "cli/CliOptions.h"
#include "core/PNGReader.h"
#include "core/PNGWriter.h"
#include "core/RegularFile.h"

#include <QTextStream>

#include <limits>

int CliContext::usage(const QString &command, const QString &message)
{
    err << "velmora-cli: ";
    if (!command.isEmpty())
        err << command << ": ";
    err << message << "\n"
        << "Try 'velmora-cli " << (command.isEmpty() ? QString() : command + u' ') << "--help'.\n";
    return CliStatus::Usage;
}

void CliContext::fileFailed(const QString &path, const QString &reason)
{
    err << "velmora-cli: " << path << ": " << reason << "\n";
}

bool CliContext::load(const QString &path, CliFile &file, Pixels pixels)
{
    file.info.path = path;
    PNGReadOptions options;
    options.decodeImage = pixels == Pixels::Decode;
    // The memory limit guards the decoded rows; without them an image of any size can be read.
    if (!options.decodeImage)
        options.memoryLimit = std::numeric_limits<quint64>::max();
    QString error;
    if (!loadPNG(file.info, file.rows, file.comments, options, &error)) {
        fileFailed(path, error);
        return false;
    }
    return true;
}

bool CliContext::readBytes(const QString &path, QByteArray *bytes)
{
    QString error;
    if (!readRegularFile(path, PNGReadOptions().maxFileSize, bytes, &error)) {
        fileFailed(path, error);
        return false;
    }
    return true;
}

bool CliContext::save(CliFile &file)
{
    PNGWriteOptions options;
    options.recompress = recompress;
    removeInvalidComments(file.comments);
    QString error;
    if (!savePNG(file.info.path, file.info, file.rows, file.comments, options, &error)) {
        fileFailed(file.info.path, error);
        return false;
    }
    return true;
}

bool separatorOption(const CliOptions &options, QChar *separator)
{
    if (!options.isSet(QStringLiteral("--separator"))) {
        *separator = u',';
        return true;
    }
    const QString value = options.value(QStringLiteral("--separator"));
    if (value == u"tab")
        *separator = u'\t';
    else if (value == u"space")
        *separator = u' ';
    else if (value.size() == 1)
        *separator = value.at(0);
    else
        return false;
    return true;
}

bool keyTextPairs(const QStringList &arguments, QList<QPair<QString, QString>> *pairs)
{
    for (const QString &a : arguments) {
        const qsizetype eq = a.indexOf(u'=');
        if (eq <= 0)
            return false;
        pairs->append({ a.left(eq), a.mid(eq + 1) });
    }
    return true;
}
