#pragma once

#include <QChar>
#include <QString>

class CommentListTarget;

// Metadata files named on the command line: velmx or delimited text, told apart by the
// extension (compared exactly: ".velmx", ".csv").
enum class MetadataFileType { Unknown, Velmx, Csv };
MetadataFileType metadataFileType(const QString &path);

// Appends the entries of a metadata file to target. False, *error set and target
// unchanged, when the file is neither type or cannot be read.
bool importMetadataFile(CommentListTarget &target, const QString &path, QChar separator, bool replace, QString *error);
