#pragma once

#include <QString>

class CommentListTarget;

// Velmx files: UTF-8 XML, root "ImageMetadata", one "comment" element per comment with
// the attributes "keyword" and "text", pretty-printed.

// Writes the target's comments, in order, to path, atomically. Fails (false, *error set,
// an existing file untouched) when a keyword or text holds characters XML cannot carry
// (most control characters) or the file cannot be written.
bool exportMetadataToVelmx(const CommentListTarget &target, const QString &path, QString *error = nullptr);

// Appends one comment per child element of the root (whatever the names), see
// appendImportedComments for expansion and replace. Fails (false, *error set, the list
// unchanged) when the file cannot be read, is not well-formed XML, holds a DTD or has no
// root element.
bool importMetadataFromVelmx(CommentListTarget &target, const QString &path, bool replace, QString *error = nullptr);
