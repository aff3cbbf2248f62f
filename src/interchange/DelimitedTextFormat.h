#pragma once

#include "core/PNGComment.h"

#include <QByteArray>
#include <QChar>
#include <QString>

class CommentListTarget;

// Delimited text: one line per comment, "keyword"<separator>"text" and a line feed, UTF-8
// without byte order mark. Nothing is escaped, so the format carries keywords and texts
// without quotes, separators, line ends and leading whitespace; the reader cuts a field
// at the first quote or separator.

// The lines for comments, in order (an absent keyword or text gives an empty field).
QByteArray delimitedText(const CommentList &comments, QChar separator);

// The comments read from text with the two-level scan: lines (split at line feeds only,
// empty lines never read), then within a line: delimiters, keyword, delimiters, text,
// where the delimiters are the separator and the double quote, and whitespace and line-end
// characters before each field are skipped. A line without delimiters before its keyword
// or without a keyword is ignored; a line without text gives an absent text.
CommentList parseDelimitedText(QStringView text, QChar separator);

// Writes the target's comments to path, atomically. Fails (false, *error set, an existing
// file untouched) when the file cannot be written.
bool exportMetadataToCsv(
    const CommentListTarget &target, const QString &path, QChar separator, QString *error = nullptr);

// Reads path (a leading byte order mark is dropped) and appends its comments, see
// appendImportedComments for expansion and replace. Fails (false, *error set, the list
// unchanged) when the file cannot be read or is not valid UTF-8.
bool importMetadataFromCsv(
    CommentListTarget &target, const QString &path, QChar separator, bool replace, QString *error = nullptr);
