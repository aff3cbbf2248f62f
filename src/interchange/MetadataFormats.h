#pragma once

#include <QChar>
#include <QLatin1StringView>
#include <QString>

#include <span>

class CommentListTarget;

// The metadata file formats a comment list is exported to and imported from: one row each
// in metadataFileFormats(), which the command line and the application both go by. A new
// format is a new row (and an enumerator).
enum class MetadataFormat { Unknown, Velmx, Csv };

struct MetadataFileFormat
{
    MetadataFormat format = MetadataFormat::Unknown;
    // The file name suffix, without the dot, and how a name's last suffix is compared with it.
    QLatin1StringView suffix;
    Qt::CaseSensitivity suffixCase = Qt::CaseInsensitive;
    // The localised-string key of the dialogs' file type ("Velmora Metadata XML File (*.velmx)").
    const char *filterKey = nullptr;
    // The name the application's settings store the format under.
    QLatin1StringView settingsName;
    // Whether the format takes a separator character (delimited text).
    bool usesSeparator = false;
    // Appends the comments of the file at path to target, as appendImportedComments()
    // describes; false, *error set and target unchanged when the file cannot be read.
    bool (*importInto)(CommentListTarget &target, const QString &path, QChar separator, bool replace, QString *error);
    // Writes target's comments to path atomically; false, *error set and an existing file
    // untouched when it cannot be written.
    bool (*exportFrom)(const CommentListTarget &target, const QString &path, QChar separator, QString *error);
};

// Every format, in the order the dialogs offer them (velmx first).
std::span<const MetadataFileFormat> metadataFileFormats();
// The row of a format; nullptr for Unknown.
const MetadataFileFormat *metadataFileFormat(MetadataFormat format);

// The format whose suffix the path's last suffix is, by that format's case rule.
MetadataFormat metadataFormatForPath(const QString &path);
// The suffix of a format ("velmx", "csv"); empty for Unknown.
QString metadataFormatExtension(MetadataFormat format);
// The suffixes for a message: ".velmx or .csv".
QString metadataFormatSuffixes();
// The name patterns an open dialog lists: "*.velmx *.csv *.VELMX *.CSV".
QString metadataFileNamePatterns();

// Import and export by the format the path's suffix names. Both fail (false, *error set,
// nothing changed) for a path of no metadata format, and as the format's row says.
bool importMetadataFile(CommentListTarget &target, const QString &path, QChar separator, bool replace, QString *error);
bool exportMetadataFile(const CommentListTarget &target, const QString &path, QChar separator, QString *error);
