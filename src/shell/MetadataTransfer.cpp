#include "shell/MetadataTransfer.h"

#include "commentlist/CommentListOwner.h"
#include "core/Strings.h"
#include "interchange/DelimitedTextFormat.h"

#include <QFileInfo>

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
    return localizedString("CsvTabCharacter");
}

QString spaceText()
{
    return localizedString("CsvSpaceCharacter");
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
    return list.importMetadataFile(
        import.path, import.separator, import.enforceUniqueKeywords, import.clearExisting, error);
}

bool exportMetadata(const CommentListOwner &list, const QString &path, QChar separator, QString *error)
{
    return exportMetadataFile(list, path, separator, error);
}
