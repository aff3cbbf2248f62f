#include "interchange/PasteboardFormats.h"

#include "interchange/CommentListTarget.h"
#include "interchange/MetadataXml.h"
#include "interchange/TextScanner.h"

#include <QLoggingCategory>
#include <QMimeData>
#include <QSet>

namespace {

Q_LOGGING_CATEGORY(lcPasteboard, "velmora.interchange.pasteboard")

} // namespace

QStringList pasteboardTypes()
{
    return { PasteboardMetadataXML, NSTabularTextPboardType, NSStringPboardType };
}

QByteArray pasteboardXml(const CommentList &comments)
{
    return MetadataXml::write(QStringLiteral("PasteboardMetadataXML"), comments, MetadataXml::Layout::Compact);
}

QByteArray pasteboardTabularText(const CommentList &comments)
{
    QString text;
    for (const auto &comment : comments)
        text += comment->keyword() + u'\t' + comment->exportText() + u'\n';
    text.chop(1);
    return text.toUtf8();
}

void setPasteboardForms(QMimeData *mime, const QByteArray &xml, const QByteArray &tabularText)
{
    mime->clear();
    mime->setData(PasteboardMetadataXML, xml);
    mime->setData(NSTabularTextPboardType, tabularText);
    mime->setData(NSStringPboardType, tabularText);
}

void writeComments(const CommentList &comments, QMimeData *mime)
{
    setPasteboardForms(mime, pasteboardXml(comments), pasteboardTabularText(comments));
}

bool writeRows(const CommentList &comments, const QList<qsizetype> &rows, QMimeData *mime)
{
    if (rows.isEmpty())
        return false;
    const QSet<qsizetype> wanted(rows.cbegin(), rows.cend());
    CommentList chosen;
    for (qsizetype row = 0; row < comments.size(); ++row) {
        if (wanted.contains(row))
            chosen.append(comments[row]);
    }
    writeComments(chosen, mime);
    return true;
}

bool writeRows(const CommentListTarget &target, const QList<qsizetype> &rows, QMimeData *mime)
{
    return writeRows(target.interchangeComments(), rows, mime);
}

bool writeAllCommentsToPasteboard(const CommentListTarget &target, QMimeData *mime)
{
    writeComments(target.interchangeComments(), mime);
    return true;
}

CommentList commentsFromTabularText(QStringView text)
{
    CommentList result;
    TextScanner scanner(text);
    while (!scanner.atEnd()) {
        const QStringView keyword = scanner.scanUntil(TextScanner::isWhitespace);
        const QStringView value = scanner.scanUntil([](QChar c) { return c == u'\n'; });
        result.append(makeComment(keyword.toString(), value.isEmpty() ? QString() : value.toString()));
    }
    return result;
}

bool readPasteboard(const QMimeData *mime, PastedData *pasted)
{
    PastedData read;
    if (mime && mime->hasFormat(PasteboardMetadataXML)) {
        const QByteArray data = mime->data(PasteboardMetadataXML);
        if (data.isEmpty()) {
            qCWarning(lcPasteboard, "No data for requested type: PasteboardMetadataXML.");
            return false;
        }
        // Texts of the XML form are comments as stored, with their macros; the text forms
        // are whatever another application put there and are taken literally.
        read.fromXml = true;
        MetadataXml::Content content;
        QString reason;
        if (MetadataXml::parse(data, &content, &reason)) {
            read.elements = content.elements;
            read.comments = MetadataXml::comments(content.elements);
        } else {
            // Not a failure: the paste goes through with nothing inserted.
            qCWarning(lcPasteboard, "Pasted metadata XML not read: %s", qUtf8Printable(reason));
        }
    } else if (mime && mime->hasFormat(NSTabularTextPboardType)) {
        const QByteArray data = mime->data(NSTabularTextPboardType);
        if (data.isEmpty()) {
            qCWarning(lcPasteboard, "No data for requested type: NSTabularTextPboardType.");
            return false;
        }
        read.comments = commentsFromTabularText(QString::fromUtf8(data));
    } else if (mime && mime->hasFormat(NSStringPboardType)) {
        const QByteArray data = mime->data(NSStringPboardType);
        if (data.isEmpty()) {
            qCWarning(lcPasteboard, "No data for requested type: NSStringPboardType.");
            return false;
        }
        read.comments = commentsFromTabularText(QString::fromUtf8(data));
    } else {
        qCWarning(lcPasteboard, "No compatible paste types found.");
        return false;
    }
    if (pasted)
        *pasted = std::move(read);
    return true;
}

bool insertDataFromPasteboard(CommentListTarget &target, const QMimeData *mime, qsizetype position)
{
    PastedData pasted;
    if (!readPasteboard(mime, &pasted))
        return false;
    if (!pasted.comments.isEmpty()) {
        const qsizetype size = target.interchangeComments().size();
        target.insertInterchangeComments(position < 0 || position > size ? size : position, pasted.comments,
            pasted.fromXml ? Expansion::Expand : Expansion::Verbatim);
    }
    return true;
}
