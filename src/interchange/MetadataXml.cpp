#include "interchange/MetadataXml.h"
#include "core/Strings.h"

#include "interchange/CommentForms.h"

#include <QXmlStreamReader>
#include <QXmlStreamWriter>

namespace {

bool fail(QString *error, const QString &reason)
{
    if (error)
        *error = reason;
    return false;
}

bool isXmlChar(char32_t u)
{
    return u == 0x9 || u == 0xA || u == 0xD || (u >= 0x20 && u <= 0xD7FF) || (u >= 0xE000 && u <= 0xFFFD)
        || (u >= 0x10000 && u <= 0x10FFFF);
}

// Calls visit(position, length, holdable) for each code point of text, an unpaired
// surrogate being one unholdable code point of length 1.
template <typename Visit> void forEachCodePoint(QStringView text, Visit visit)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            visit(i, 2, isXmlChar(QChar::surrogateToUcs4(c, text[i + 1])));
            ++i;
        } else {
            visit(i, 1, !c.isSurrogate() && isXmlChar(c.unicode()));
        }
    }
}

QString attributeOrNull(const QXmlStreamAttributes &attributes, QLatin1StringView name)
{
    if (!attributes.hasAttribute(name))
        return QString();
    const QString value = attributes.value(name).toString();
    return value.isNull() ? QStringLiteral("") : value;
}

} // namespace

QXmlStreamReader::TokenType MetadataXml::readNextSafely(QXmlStreamReader &reader, int &depth)
{
    const QXmlStreamReader::TokenType token = reader.readNext();
    switch (token) {
    case QXmlStreamReader::DTD:
        reader.raiseError(reasonText(QT_TRANSLATE_NOOP("Reason", "document type declarations are not accepted")));
        break;
    case QXmlStreamReader::StartElement:
        if (++depth > MaxDepth)
            reader.raiseError(
                reasonText(QT_TRANSLATE_NOOP("Reason", "elements are nested more than %1 deep")).arg(MaxDepth));
        break;
    case QXmlStreamReader::EndElement:
        --depth;
        break;
    case QXmlStreamReader::EntityReference:
        // Only reachable through a DTD, which is refused above; never let one through.
        reader.raiseError(reasonText(QT_TRANSLATE_NOOP("Reason", "entity references are not accepted")));
        break;
    default:
        break;
    }
    return reader.hasError() ? QXmlStreamReader::Invalid : token;
}

bool MetadataXml::parse(const QByteArray &data, Content *content, QString *error)
{
    QXmlStreamReader reader(data);
    // Any well-formed document is accepted, also one whose prefixes are not declared.
    reader.setNamespaceProcessing(false);

    Content result;
    bool seenRoot = false;
    int depth = 0;
    while (!reader.atEnd()) {
        if (readNextSafely(reader, depth) != QXmlStreamReader::StartElement)
            continue;
        if (depth == 1) {
            seenRoot = true;
            result.rootName = reader.qualifiedName().toString();
            result.rootAttributes = holdableAttributes(reader.attributes());
        } else if (depth == 2) {
            result.elements.append(holdableAttributes(reader.attributes()));
        }
    }
    if (reader.hasError()) {
        return fail(error,
            reasonText(QT_TRANSLATE_NOOP("Reason", "Unreadable metadata XML (line %1, column %2): %3"))
                .arg(reader.lineNumber())
                .arg(reader.columnNumber())
                .arg(reader.errorString()));
    }
    if (!seenRoot)
        return fail(error, reasonText(QT_TRANSLATE_NOOP("Reason", "The XML document has no root element.")));
    *content = std::move(result);
    return true;
}

CommentList MetadataXml::comments(const QList<QXmlStreamAttributes> &elements)
{
    CommentList result;
    result.reserve(elements.size());
    for (const auto &attributes : elements) {
        result.append(makeComment(attributeOrNull(attributes, QLatin1StringView("keyword")),
            attributeOrNull(attributes, QLatin1StringView("text"))));
    }
    return result;
}

QByteArray MetadataXml::write(
    const QString &rootName, const CommentList &comments, Layout layout, const QXmlStreamAttributes &rootAttributes)
{
    QByteArray out;
    QXmlStreamWriter writer(&out);
    if (layout == Layout::File) {
        writer.setAutoFormatting(true);
        writer.setAutoFormattingIndent(2);
        writer.writeStartDocument();
    }
    writer.writeStartElement(rootName);
    writer.writeAttributes(rootAttributes);
    for (const auto &comment : comments) {
        // The writer would silently drop what XML cannot carry; replace it visibly instead.
        // (Callers that must not lose anything check firstUnholdableComment first.)
        if (canHold(comment->keyword()) && canHold(comment->text())) {
            writeCommentElement(writer, *comment);
        } else {
            PNGComment holdableComment(comment->keyword().isNull() ? QString() : holdable(comment->keyword()),
                comment->text().isNull() ? QString() : holdable(comment->text()));
            writeCommentElement(writer, holdableComment);
        }
    }
    writer.writeEndElement();
    if (layout == Layout::File)
        writer.writeEndDocument();
    return out;
}

QXmlStreamAttributes MetadataXml::holdableAttributes(const QXmlStreamAttributes &attributes)
{
    QXmlStreamAttributes result;
    result.reserve(attributes.size());
    for (const QXmlStreamAttribute &attribute : attributes) {
        if (canHold(attribute.value()))
            result.append(attribute);
        else
            result.append(attribute.qualifiedName().toString(), holdable(attribute.value().toString()));
    }
    return result;
}

bool MetadataXml::canHold(QStringView text)
{
    bool ok = true;
    forEachCodePoint(text, [&ok](qsizetype, qsizetype, bool holdable) { ok = ok && holdable; });
    return ok;
}

QString MetadataXml::holdable(const QString &text)
{
    QString result;
    result.reserve(text.size());
    forEachCodePoint(text, [&](qsizetype position, qsizetype length, bool holdable) {
        if (holdable)
            result.append(QStringView(text).sliced(position, length));
        else
            result.append(QChar::ReplacementCharacter);
    });
    return result;
}

CommentPtr MetadataXml::firstUnholdableComment(const CommentList &comments)
{
    for (const auto &comment : comments) {
        if (!canHold(comment->keyword()) || !canHold(comment->text()))
            return comment;
    }
    return nullptr;
}
