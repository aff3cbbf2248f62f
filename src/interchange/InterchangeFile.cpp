#include "interchange/InterchangeFile.h"
#include "core/Strings.h"

#include "core/RegularFile.h"
#include "core/SafeFile.h"

namespace {

bool fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

} // namespace

bool InterchangeFile::read(const QString &path, QByteArray *contents, QString *error)
{
    QString reason;
    if (!readRegularFile(path, MaxImportSize, contents, &reason))
        return fail(error, reasonText(QT_TRANSLATE_NOOP("Reason", "Can't read “%1”: %2")).arg(path, reason));
    return true;
}

bool InterchangeFile::write(const QString &path, const QByteArray &contents, QString *error)
{
    // The same rules and the same write-beside-and-rename as a PNG save.
    QString reason;
    if (!checkReplaceable(path, &reason))
        return fail(error, reasonText(QT_TRANSLATE_NOOP("Reason", "Can't write “%1”: %2")).arg(path, reason));
    AtomicFileWriter file(path);
    if (!file.open() || !file.write(contents.constData(), contents.size()) || !file.commit())
        return fail(
            error, reasonText(QT_TRANSLATE_NOOP("Reason", "Can't write “%1”: %2")).arg(path, file.errorString()));
    return true;
}
