#include "interchange/VelmxFormat.h"
#include "core/Strings.h"

#include "interchange/CommentListTarget.h"
#include "interchange/ImportedComments.h"
#include "interchange/InterchangeFile.h"
#include "interchange/MetadataXml.h"

bool exportMetadataToVelmx(const CommentListTarget &target, const QString &path, QString *error)
{
    const CommentList comments = target.interchangeComments();
    if (const CommentPtr bad = MetadataXml::firstUnholdableComment(comments)) {
        if (error) {
            *error = reasonText(
                QT_TRANSLATE_NOOP("Reason", "The comment “%1” holds control characters that an XML file cannot carry."))
                         .arg(MetadataXml::holdable(bad->keyword()));
        }
        return false;
    }
    const QByteArray data = MetadataXml::write(QStringLiteral("ImageMetadata"), comments, MetadataXml::Layout::File);
    return InterchangeFile::write(path, data, error);
}

bool importMetadataFromVelmx(CommentListTarget &target, const QString &path, bool replace, QString *error)
{
    QByteArray data;
    if (!InterchangeFile::read(path, &data, error))
        return false;
    MetadataXml::Content content;
    QString reason;
    if (!MetadataXml::parse(data, &content, &reason)) {
        if (error)
            *error = QStringLiteral("“%1”: %2").arg(path, reason);
        return false;
    }
    appendImportedComments(target, MetadataXml::comments(content.elements), replace);
    return true;
}
