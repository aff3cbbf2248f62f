#pragma once

#include "core/PNGComment.h"
#include "interchange/MetadataFormats.h"

#include <QChar>
#include <QString>
#include <QStringList>

class CommentListOwner;

// Importing and exporting a window's comment list through the metadata files (the formats
// of metadataFileFormats()), as File ▸ Import Metadata… and Export Metadata… do it.

// The path an export writes: a name that already ends in a format's suffix (any case) is
// kept as typed; any other name gets the chosen format's extension appended.
QString exportPathFor(const QString &typedPath, MetadataFormat chosen);

// The file name a save dialog shows once format was chosen in its type list: a name that
// ends in another format's extension (any case) gets this format's; others stay.
QString fileNameForFormat(const QString &typedName, MetadataFormat format);

// The separator choice of the CSV options dialogue, from its combo box text.
namespace CsvSeparatorChoice {
// The named choices offered in the list, in the user's language ("TAB CHARACTER" in English).
QString tabText();
QString spaceText();
// tabText() gives a tab, spaceText() a space, any other text its first
// character; an empty text or a NUL character gives a comma.
QChar separatorFromText(const QString &text);
// What the combo box keeps of a typed text: the named choices and texts of fewer than two
// characters stay, anything longer is cut to its first character.
QString editedText(const QString &text);
} // namespace CsvSeparatorChoice

// The entries that delimited text with this separator cannot carry: those that would not
// read back as they are (a separator, a double quote or a line break in a field, blanks
// before a field, no keyword). Named by their keyword, in list order.
QStringList entriesDelimitedTextCannotCarry(const CommentList &comments, QChar separator);

// What an import does to a list.
struct MetadataImport
{
    QString path;
    // Used by formats that take one (delimited text).
    QChar separator = u',';
    // Comments with an imported keyword are replaced.
    bool enforceUniqueKeywords = false;
    // The list is emptied first, but only once the file was read and parsed.
    bool clearExisting = false;
};

// Imports into list (its arranged list, one undo step). Fails, changing nothing (false,
// *error set), for a file name of another format, and when the file cannot be read or
// parsed.
bool importMetadata(CommentListOwner &list, const MetadataImport &import, QString *error);

// Exports list's arranged list to path in the format its extension names. Fails (false,
// *error set, an existing file untouched) for a file name of another format and when the
// file cannot be written.
bool exportMetadata(const CommentListOwner &list, const QString &path, QChar separator, QString *error);
