#pragma once

#include "interchange/MetadataFormats.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

class QSettings;

// The settings the application keeps (QSettings, the application's own file): the import
// and export choices, the recent files and the state of each kind of window.
namespace AppSettings {

// Writes the default of each setting the user has none of; values already there stay.
void registerDefaults(QSettings &settings);

bool importClearExistingMetadata();
void setImportClearExistingMetadata(bool on);
bool importEnforceUniqueKeywords();
void setImportEnforceUniqueKeywords(bool on);

// The export format, stored by its name (formatDisplayName()); the first format of
// metadataFileFormats() (velmx) when the stored name is unknown.
MetadataFormat exportFormat();
void setExportFormat(MetadataFormat format);
// The name a format is stored under ("Velmora Metadata XML File (velmx)"); the first
// format's for Unknown.
QString formatDisplayName(MetadataFormat format);

// Whether a document's search field looks in the texts too (Edit ▸ Search in Texts); off
// unless the user turned it on.
bool searchInTexts();
void setSearchInTexts(bool on);

// The files opened last, newest first, at most MaxRecentFiles.
constexpr int MaxRecentFiles = 10;
QStringList recentFiles();
// Puts path first (an earlier place of the same file goes).
void addRecentFile(const QString &path);
void removeRecentFile(const QString &path);
void clearRecentFiles();

// A saved state of a kind of window ("document", "batch" …): its geometry, a splitter's or
// a table header's state. Empty when none was saved.
QByteArray windowState(const QString &kind, const QString &part);
void setWindowState(const QString &kind, const QString &part, const QByteArray &state);

} // namespace AppSettings
