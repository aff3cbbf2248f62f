#include "cli/CliContext.h"

#include "cli/CliOptions.h"
#include "core/PNGReader.h"
#include "core/RegularFile.h"

#include <QIODevice>
#include <QTextStream>

#include <algorithm>

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

namespace {

bool isStandardStream(const QString &path)
{
    return path == u"-";
}

} // namespace

bool CliContext::readBytes(const QString &path, QByteArray *bytes)
{
    const qint64 limit = PNGReadOptions().maxFileSize;
    QString error;
    if (!isStandardStream(path)) {
        if (readRegularFile(path, limit, bytes, &error))
            return true;
        fileFailed(path, error);
        return false;
    }
    if (!pipes.in || m_inputRead) {
        fileFailed(path,
            m_inputRead ? QStringLiteral("standard input can be read only once")
                        : QStringLiteral("there is no standard input"));
        return false;
    }
    m_inputRead = true;
    // Read until the end, but never past the limit.
    QByteArray data;
    for (;;) {
        const qsizetype filled = data.size();
        data.resize(filled + (qsizetype(1) << 20));
        const qint64 n = pipes.in->read(data.data() + filled, data.size() - filled);
        data.resize(filled + std::max<qint64>(n, 0));
        if (n < 0) {
            fileFailed(path, QStringLiteral("cannot read standard input: %1").arg(pipes.in->errorString()));
            return false;
        }
        if (n == 0)
            break;
        if (data.size() > limit) {
            fileFailed(path, QStringLiteral("the file is too large (more than %1 bytes)").arg(limit));
            return false;
        }
    }
    *bytes = std::move(data);
    return true;
}

bool CliContext::load(const QString &path, CliFile &file, Pixels pixels)
{
    QString error;
    QByteArray bytes;
    const bool ok = isStandardStream(path) ? readBytes(path, &bytes) && file.readBytes(bytes, path, pixels, &error)
                                           : file.read(path, pixels, &error);
    if (!ok && !error.isEmpty())
        fileFailed(path, error);
    return ok;
}

bool CliContext::save(CliFile &file)
{
    QString error;
    if (!isStandardStream(file.info.path)) {
        if (file.save(recompress, &error))
            return true;
        fileFailed(file.info.path, error);
        return false;
    }
    QByteArray png;
    if (!file.encode(recompress, &png, &error)) {
        fileFailed(file.info.path, error);
        return false;
    }
    if (!pipes.out || pipes.out->write(png) != png.size()) {
        fileFailed(file.info.path,
            QStringLiteral("cannot write to standard output: %1")
                .arg(pipes.out ? pipes.out->errorString() : QStringLiteral("there is none")));
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
