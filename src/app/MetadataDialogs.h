#pragma once

#include "shell/MetadataTransfer.h"

#include <QDialog>
#include <QFileDialog>

class QCheckBox;
class QComboBox;

// The dialogs of File ▸ Import Metadata… and Export Metadata…, and the CSV options
// dialogue. Each is asked through the Prompts seam, so tests answer instead of a person.
namespace MetadataDialogs {

struct ImportChoice
{
    QString path; // empty: cancelled
    bool clearExisting = false;
    bool enforceUniqueKeywords = false;
};
// The open dialog with the two check boxes, starting from the given states.
// Seam: Kind::ImportMetadata, options {clearExisting, enforceUniqueKeywords}; the answer is
// a QVariantList {path, clearExisting, enforceUniqueKeywords} (an empty path: cancelled).
ImportChoice chooseImport(QWidget *parent, bool clearExisting, bool enforceUniqueKeywords);

struct ExportChoice
{
    QString path; // empty: cancelled
    MetadataFormat format = MetadataFormat::Velmx;
};
// The save dialog with the format list, starting at suggestedPath with format chosen.
// Seam: Kind::ExportMetadata, text the suggested path, options {format as int}; the answer
// is a QVariantList {typed path, format as int} (an empty path: cancelled). The path
// returned carries an extension (exportPathFor).
ExportChoice chooseExport(QWidget *parent, const QString &suggestedPath, MetadataFormat format);

// The CSV options dialogue: the separator combo's text, null when cancelled.
// Seam: Kind::CsvOptions; the answer is the combo text as a QString (null: cancelled).
QString askCsvSeparator(QWidget *parent);

} // namespace MetadataDialogs

// The CSV options dialogue: an editable combo box offering TAB CHARACTER and SPACE
// CHARACTER, in which a typed text is cut to its first character. Child widgets carry
// object names for tests: csvSeparatorCombo.
class CsvOptionsDialog : public QDialog
{
    Q_OBJECT

public:
    explicit CsvOptionsDialog(QWidget *parent = nullptr);
    QString separatorText() const;

private:
    QComboBox *m_combo = nullptr;
};

// The import open dialog (Qt's own, so it can carry the two check boxes below its list).
// Child widgets carry object names for tests: clearExistingCheckbox,
// enforceUniqueKeywordsCheckbox.
class ImportMetadataDialog : public QFileDialog
{
    Q_OBJECT

public:
    ImportMetadataDialog(QWidget *parent, bool clearExisting, bool enforceUniqueKeywords);
    bool clearExisting() const;
    bool enforceUniqueKeywords() const;

private:
    QCheckBox *m_clearExisting = nullptr;
    QCheckBox *m_enforceUnique = nullptr;
};

// The export save dialog: its file type list is the format popup, kept in step with the
// typed name both ways (choosing a format changes a typed extension; typing an extension
// chooses its format).
class ExportMetadataDialog : public QFileDialog
{
    Q_OBJECT

public:
    ExportMetadataDialog(QWidget *parent, const QString &suggestedPath, MetadataFormat format);
    MetadataFormat format() const;
    // The name typed in the dialog's name field.
    QString typedName() const;
    void setTypedName(const QString &name);
    void chooseFormat(MetadataFormat format);

private:
    void formatChosen(MetadataFormat format);
    void nameTyped(const QString &name);
};
