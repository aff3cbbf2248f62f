#include "interchange/CommentForms.h"

#include <QXmlStreamWriter>

void writeCommentElement(QXmlStreamWriter &writer, const PNGComment &comment)
{
    writer.writeEmptyElement(QStringLiteral("comment"));
    writer.writeAttribute(
        QStringLiteral("keyword"), comment.keyword().isNull() ? QStringLiteral("") : comment.keyword());
    writer.writeAttribute(QStringLiteral("text"), comment.exportText());
}

QVariantMap encodeComment(const PNGComment &comment)
{
    QVariantMap map;
    if (!comment.keyword().isNull())
        map.insert(QStringLiteral("keyword"), comment.keyword());
    if (!comment.text().isNull())
        map.insert(QStringLiteral("text"), comment.text());
    return map;
}

CommentPtr decodeComment(const QVariantMap &map)
{
    const auto keyword = map.value(QStringLiteral("keyword"));
    const auto text = map.value(QStringLiteral("text"));
    return makeComment(
        keyword.isValid() ? keyword.toString() : QString(), text.isValid() ? text.toString() : QString());
}

QDataStream &operator<<(QDataStream &out, const PNGComment &comment)
{
    return out << encodeComment(comment);
}

QDataStream &operator>>(QDataStream &in, PNGComment &comment)
{
    QVariantMap map;
    in >> map;
    comment.copyFieldsFromComment(*decodeComment(map));
    return in;
}
