#include "interchange/DelimitedTextFormat.h"
#include "core/Strings.h"

#include "interchange/CommentListTarget.h"
#include "interchange/ImportedComments.h"
#include "interchange/InterchangeFile.h"
#include "interchange/TextScanner.h"

#include <QStringDecoder>

QByteArray delimitedText(const CommentList &comments, QChar separator)
{
    QString text;
    for (const auto &comment : comments)
        text += u'"' + comment->keyword() + u'"' + separator + u'"' + comment->exportText() + u'"' + u'\n';
    return text.toUtf8();
}

namespace {

// One line: the comment it holds, or null when the line does not follow the form.
CommentPtr commentFromLine(QStringView line, QChar separator)
{
    const auto isDelimiter = [separator](QChar c) { return c == separator || c == u'"'; };
    TextScanner scanner(line);
    if (scanner.scanWhile(isDelimiter).isEmpty())
        return nullptr;
    const QStringView keyword = scanner.scanUntil(isDelimiter);
    if (keyword.isEmpty())
        return nullptr;
    QString text;
    if (!scanner.scanWhile(isDelimiter).isEmpty()) {
        const QStringView field = scanner.scanUntil(isDelimiter);
        if (!field.isEmpty())
            text = field.toString();
    }
    return makeComment(keyword.toString(), text);
}

} // namespace

CommentList parseDelimitedText(QStringView text, QChar separator)
{
    CommentList result;
    qsizetype position = 0;
    while (true) {
        while (position < text.size() && text[position] == u'\n')
            ++position;
        if (position >= text.size())
            break;
        qsizetype end = text.indexOf(u'\n', position);
        if (end < 0)
            end = text.size();
        if (CommentPtr comment = commentFromLine(text.sliced(position, end - position), separator))
            result.append(comment);
        position = end;
    }
    return result;
}

bool exportMetadataToCsv(const CommentListTarget &target, const QString &path, QChar separator, QString *error)
{
    return InterchangeFile::write(path, delimitedText(target.interchangeComments(), separator), error);
}

bool importMetadataFromCsv(
    CommentListTarget &target, const QString &path, QChar separator, bool replace, QString *error)
{
    QByteArray data;
    if (!InterchangeFile::read(path, &data, error))
        return false;
    // Stateless, so a sequence cut off at the end is an error; a leading byte order mark is dropped.
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(data);
    if (decoder.hasError()) {
        if (error)
            *error = reasonText(QT_TRANSLATE_NOOP("Reason", "“%1” is not valid UTF-8 text.")).arg(path);
        return false;
    }
    appendImportedComments(target, parseDelimitedText(text, separator), replace);
    return true;
}
