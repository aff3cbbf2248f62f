#pragma once

#include "core/PNGComment.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QXmlStreamAttributes>
#include <QXmlStreamReader>

// The XML form of a comment list: one root element holding one element per comment,
// each with the attributes "keyword" and "text". Velmx files, template files and the
// clipboard's XML form all use it.
//
// Reading accepts any root name and any child element name, skips everything that is not
// an element, and refuses what a metadata file never needs: a document type declaration
// (so no entity is ever expanded or fetched) and nesting deeper than MaxDepth.
class MetadataXml
{
public:
    static constexpr int MaxDepth = 64;

    struct Content
    {
        QString rootName;
        QXmlStreamAttributes rootAttributes;
        // The attributes of each child element of the root, in document order.
        QList<QXmlStreamAttributes> elements;
    };

    // The next token of a document that may come from anywhere, refusing (raiseError()) what
    // none of our readers accepts: a document type declaration (so no entity is ever expanded
    // or fetched), an entity reference, elements nested more than MaxDepth deep. depth counts
    // the elements open; start it at 0.
    static QXmlStreamReader::TokenType readNextSafely(QXmlStreamReader &reader, int &depth);

    // Parses a whole document. Fails (false, *error set, *content untouched) on anything
    // that is not well-formed XML, on a DTD, on excessive nesting and without a root element.
    // Attribute values come back holdable() (see holdableAttributes()).
    static bool parse(const QByteArray &data, Content *content, QString *error);

    // The attributes with every value holdable(): a document in another encoding (UTF-7,
    // UTF-16) can decode to unpaired surrogates, which no file written back could carry, so
    // what was read and what is written would differ.
    static QXmlStreamAttributes holdableAttributes(const QXmlStreamAttributes &attributes);

    // One comment per element: keyword and text from the attributes of those names, a
    // missing attribute giving an absent (null) field, a present empty one an empty field.
    static CommentList comments(const QList<QXmlStreamAttributes> &elements);

    // The comment elements under a root element, as UTF-8. The file form is pretty-printed
    // with an XML declaration; the compact form is one line without declaration.
    // Root attributes are written in the order given.
    enum class Layout { File, Compact };
    static QByteArray write(const QString &rootName, const CommentList &comments, Layout layout,
        const QXmlStreamAttributes &rootAttributes = {});

    // XML 1.0 can carry neither most control characters nor unpaired surrogates, not even
    // as character references.
    static bool canHold(QStringView text);
    // text with every character XML cannot carry replaced by U+FFFD.
    static QString holdable(const QString &text);
    // The first comment whose keyword or text XML cannot carry, or null.
    static CommentPtr firstUnholdableComment(const CommentList &comments);
};
