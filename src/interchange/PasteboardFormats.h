#pragma once

#include "core/PNGComment.h"

#include <QByteArray>
#include <QLatin1StringView>
#include <QList>
#include <QStringList>
#include <QStringView>
#include <QXmlStreamAttributes>

class CommentListTarget;
class QMimeData;

// The clipboard and drag forms of comments. Every write offers the same comments in three
// forms, declared in this order; a read takes the first of them that is offered. The two
// text forms are named after the pasteboard types the log lines quote.
//
// - PasteboardMetadataXML: one compact XML element "PasteboardMetadataXML" holding a
//   "comment" element (attributes "keyword", "text") per comment, UTF-8, no declaration.
// - NSTabularTextPboardType, NSStringPboardType: the same UTF-8 text, one line per comment:
//   keyword, tab, text; lines joined by line feeds, none after the last. Nothing escaped.
inline constexpr QLatin1StringView PasteboardMetadataXML { "application/x-velmora-metadata+xml" };
inline constexpr QLatin1StringView NSTabularTextPboardType { "text/tab-separated-values" };
inline constexpr QLatin1StringView NSStringPboardType { "text/plain" };

// The three MIME types in declaration order (what a comment table offers and accepts).
QStringList pasteboardTypes();

// The two payloads for comments, in order.
QByteArray pasteboardXml(const CommentList &comments);
QByteArray pasteboardTabularText(const CommentList &comments);
// Replaces the content of mime by the three forms: xml as the first, tabularText as the
// other two. For editors whose elements carry more attributes than a comment's.
void setPasteboardForms(QMimeData *mime, const QByteArray &xml, const QByteArray &tabularText);

// Writes the comments at the given rows (positions in comments; order and repeats do not
// matter, rows outside the list are ignored) in list order. No rows: false and mime is
// left alone; otherwise true.
bool writeRows(const CommentList &comments, const QList<qsizetype> &rows, QMimeData *mime);
bool writeRows(const CommentListTarget &target, const QList<qsizetype> &rows, QMimeData *mime);
// Writes every comment, also none (then an empty element and empty texts).
void writeComments(const CommentList &comments, QMimeData *mime);
bool writeAllCommentsToPasteboard(const CommentListTarget &target, QMimeData *mime);

// The comments of a pasted text: repeatedly, after skipping whitespace and line ends, a
// keyword up to the next whitespace (a line end does not stop it), then after skipping
// again a text up to the next line feed (absent at the end of the input).
CommentList commentsFromTabularText(QStringView text);

// What the first form that mime offers holds (the forms in declaration order).
struct PastedData
{
    // The XML form was chosen (its texts are stored texts, macros included); otherwise a
    // text form (texts taken literally).
    bool fromXml = false;
    // The attributes of each child element of the XML form's root; empty when it did not
    // parse (which is no failure: nothing is pasted).
    QList<QXmlStreamAttributes> elements;
    // The comments the chosen form carries.
    CommentList comments;
};
// Reads the first form mime offers. Returns false, after logging why, when that form holds
// no data or no form is offered.
bool readPasteboard(const QMimeData *mime, PastedData *pasted);

// Inserts the comments of the first form mime offers at position (outside 0…size: at the
// end); the texts of the XML form are taken as Expansion::Expand, those of the text forms
// verbatim. An XML form that does not parse inserts nothing but still succeeds. Returns
// false, after logging why, when the chosen form holds no data or no form is offered; then
// nothing changes.
bool insertDataFromPasteboard(CommentListTarget &target, const QMimeData *mime, qsizetype position);
