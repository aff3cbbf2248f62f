#include "shell/MetadataTransfer.h"

#include "commentlist/CommentListOwner.h"
#include "core/Strings.h"
#include "interchange/DelimitedTextFormat.h"
#include "interchange/VelmxFormat.h"

#include <QFileInfo>

MetadataFormat metadataFormatForPath(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.compare(QLatin1String("velmx"), Qt::CaseInsensitive) == 0)
        return MetadataFormat::Velmx;
    if (suffix.compare(QLatin1String("csv"), Qt::CaseInsensitive) == 0)
        return MetadataFormat::Csv;
    return MetadataFormat::Unknown;
}

QString metadataFormatExtension(MetadataFormat format)
{
    switch (format) {
    case MetadataFormat::Velmx:
        return QStringLiteral("velmx");
    case MetadataFormat::Csv:
        return QStringLiteral("csv");
    case MetadataFormat::Unknown:
        break;
    }
    return QString();
}

QString exportPathFor(const QString &typedPath, MetadataFormat chosen)
{
    if (typedPath.isEmpty() || metadataFormatForPath(typedPath) != MetadataFormat::Unknown
        || chosen == MetadataFormat::Unknown)
        return typedPath;
    return typedPath + u'.' + metadataFormatExtension(chosen);
}

QString fileNameForFormat(const QString &typedName, MetadataFormat format)
{
    const MetadataFormat typed = metadataFormatForPath(typedName);
    if (typed == MetadataFormat::Unknown || typed == format || format == MetadataFormat::Unknown)
        return typedName;
    const qsizetype dot = typedName.lastIndexOf(u'.');
    return typedName.left(dot + 1) + metadataFormatExtension(format);
}

namespace CsvSeparatorChoice {

QString tabText()
{
    return QStringLiteral("TAB CHARACTER");
}

QString spaceText()
{
    return QStringLiteral("SPACE CHARACTER");
}

QChar separatorFromText(const QString &text)
{
    if (text == tabText())
        return u'\t';
    if (text == spaceText())
        return u' ';
    if (text.isEmpty() || text.at(0).isNull())
        return u',';
    return text.at(0);
}

QString editedText(const QString &text)
{
    if (text == tabText() || text == spaceText() || text.size() < 2)
        return text;
    return text.left(1);
}

} // namespace CsvSeparatorChoice

QStringList entriesDelimitedTextCannotCarry(const CommentList &comments, QChar separator)
{
    // An entry the format carries reads back as it was written; one line at a time, so the
    // answer names each entry that would come back otherwise.
    QStringList names;
    for (const CommentPtr &comment : comments) {
        const CommentList back
            = parseDelimitedText(QString::fromUtf8(delimitedText({ comment }, separator)), separator);
        const bool same = back.size() == 1 && back.first()->keyword() == comment->keyword()
            && back.first()->text() == comment->text();
        if (!same)
            names << (comment->keyword().isEmpty() ? localizedString("EntryWithoutKeyword") : comment->keyword());
    }
    return names;
}

bool importMetadata(CommentListOwner &list, const MetadataImport &import, QString *error)
{
    switch (metadataFormatForPath(import.path)) {
    case MetadataFormat::Velmx:
        return list.importMetadataFromVelmx(import.path, import.enforceUniqueKeywords, import.clearExisting, error);
    case MetadataFormat::Csv:
        return list.importMetadataFromCsv(
            import.path, import.separator, import.enforceUniqueKeywords, import.clearExisting, error);
    case MetadataFormat::Unknown:
        break;
    }
    if (error)
        *error = localizedString("NotAMetadataFile").arg(QFileInfo(import.path).fileName());
    return false;
}

bool exportMetadata(const CommentListOwner &list, const QString &path, QChar separator, QString *error)
{
    switch (metadataFormatForPath(path)) {
    case MetadataFormat::Velmx:
        return exportMetadataToVelmx(list, path, error);
    case MetadataFormat::Csv:
        return exportMetadataToCsv(list, path, separator, error);
    case MetadataFormat::Unknown:
        break;
    }
    if (error)
        *error = localizedString("NotAMetadataFile").arg(QFileInfo(path).fileName());
    return false;
}
