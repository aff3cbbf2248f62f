#include "app/MetadataDialogs.h"

#include "core/Strings.h"
#include "windowkit/Prompts.h"
#include "windowkit/TextEditCommands.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

QString filterFor(MetadataFormat format)
{
    const MetadataFileFormat *row = metadataFileFormat(format);
    return localizedString((row ? row : &metadataFileFormats().front())->filterKey);
}

QStringList filters()
{
    QStringList result;
    for (const MetadataFileFormat &row : metadataFileFormats())
        result << localizedString(row.filterKey);
    return result;
}

MetadataFormat formatForFilter(const QString &filter)
{
    for (const MetadataFileFormat &row : metadataFileFormats()) {
        if (filter == localizedString(row.filterKey))
            return row.format;
    }
    return metadataFileFormats().front().format;
}

// Widgets under the file list of Qt's own file dialog, across its whole width.
void addBelow(QFileDialog *dialog, QWidget *extra)
{
    if (auto *grid = qobject_cast<QGridLayout *>(dialog->layout()))
        grid->addWidget(extra, grid->rowCount(), 0, 1, grid->columnCount());
    else if (dialog->layout())
        dialog->layout()->addWidget(extra);
}

QLineEdit *nameField(const QFileDialog *dialog)
{
    return dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
}

} // namespace

// --- CSV options dialogue ----------------------------------------------------------------

CsvOptionsDialog::CsvOptionsDialog(QWidget *parent)
    : QDialog(parent)
{
    setWindowTitle(localizedString("CsvOptionsTitle"));
    m_combo = new QComboBox;
    m_combo->setObjectName(QStringLiteral("csvSeparatorCombo"));
    m_combo->setEditable(true);
    m_combo->setInsertPolicy(QComboBox::NoInsert);
    m_combo->setMinimumContentsLength(18);
    m_combo->addItems(
        { QStringLiteral(","), QStringLiteral(";"), CsvSeparatorChoice::tabText(), CsvSeparatorChoice::spaceText() });
    m_combo->setAccessibleName(localizedString("CsvSeparatorLabel").remove(u'&').remove(u':'));
    m_combo->lineEdit()->setAccessibleName(m_combo->accessibleName());
    m_combo->setAccessibleDescription(localizedString("CsvSeparatorDescription"));
    m_combo->setToolTip(localizedString("CsvSeparatorDescription"));
    connect(m_combo, &QComboBox::editTextChanged, this, [this](const QString &text) {
        const QString kept = CsvSeparatorChoice::editedText(text);
        if (kept != text)
            m_combo->setEditText(kept);
    });

    auto *form = new QFormLayout;
    form->addRow(localizedString("CsvSeparatorLabel"), m_combo);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

QString CsvOptionsDialog::separatorText() const
{
    return m_combo->currentText();
}

// --- Import -------------------------------------------------------------------------------

ImportMetadataDialog::ImportMetadataDialog(QWidget *parent, bool clearExisting, bool enforceUniqueKeywords)
    : QFileDialog(parent, localizedString("ImportMetadataTitle"))
{
    setOption(QFileDialog::DontUseNativeDialog);
    setFileMode(QFileDialog::ExistingFile);
    setAcceptMode(QFileDialog::AcceptOpen);
    setNameFilters({ localizedString("MetadataFilesFilter").arg(metadataFileNamePatterns()) });
    setLabelText(QFileDialog::Accept, localizedString("ImportMetadataPrompt"));
    if (QLineEdit *field = nameField(this))
        leaveAltLettersToCommands(field);

    auto *extra = new QWidget;
    auto *layout = new QVBoxLayout(extra);
    layout->setContentsMargins(0, 0, 0, 0);
    auto *message = new QLabel(localizedString("ImportMetadataMessage"));
    m_clearExisting = new QCheckBox(localizedString("ClearExistingMetadata"));
    m_clearExisting->setObjectName(QStringLiteral("clearExistingCheckbox"));
    m_clearExisting->setChecked(clearExisting);
    m_enforceUnique = new QCheckBox(localizedString("EnforceUniqueKeywords"));
    m_enforceUnique->setObjectName(QStringLiteral("enforceUniqueKeywordsCheckbox"));
    m_enforceUnique->setChecked(enforceUniqueKeywords);
    layout->addWidget(message);
    layout->addWidget(m_clearExisting);
    layout->addWidget(m_enforceUnique);
    addBelow(this, extra);
}

bool ImportMetadataDialog::clearExisting() const
{
    return m_clearExisting->isChecked();
}

bool ImportMetadataDialog::enforceUniqueKeywords() const
{
    return m_enforceUnique->isChecked();
}

// --- Export -------------------------------------------------------------------------------

ExportMetadataDialog::ExportMetadataDialog(QWidget *parent, const QString &suggestedPath, MetadataFormat format)
    : QFileDialog(parent, localizedString("ExportMetadataTitle"))
{
    setOption(QFileDialog::DontUseNativeDialog);
    setAcceptMode(QFileDialog::AcceptSave);
    setFileMode(QFileDialog::AnyFile);
    setLabelText(QFileDialog::Accept, localizedString("ExportMetadataPrompt"));
    setNameFilters(filters());
    if (!suggestedPath.isEmpty()) {
        const QFileInfo info(suggestedPath);
        setDirectory(info.absolutePath());
        selectFile(info.fileName());
    }
    connect(this, &QFileDialog::filterSelected, this,
        [this](const QString &filter) { formatChosen(formatForFilter(filter)); });
    if (QLineEdit *field = nameField(this)) {
        connect(field, &QLineEdit::textEdited, this, &ExportMetadataDialog::nameTyped);
        leaveAltLettersToCommands(field);
    }
    chooseFormat(format);
}

MetadataFormat ExportMetadataDialog::format() const
{
    return formatForFilter(selectedNameFilter());
}

QString ExportMetadataDialog::typedName() const
{
    const QLineEdit *field = nameField(this);
    return field ? field->text() : QString();
}

void ExportMetadataDialog::setTypedName(const QString &name)
{
    if (QLineEdit *field = nameField(this)) {
        field->setText(name);
        nameTyped(name);
    }
}

void ExportMetadataDialog::chooseFormat(MetadataFormat format)
{
    selectNameFilter(filterFor(format));
    formatChosen(format);
}

void ExportMetadataDialog::formatChosen(MetadataFormat format)
{
    // The extension the dialog gives a name typed without one, and the typed name's.
    setDefaultSuffix(metadataFormatExtension(format));
    if (QLineEdit *field = nameField(this)) {
        const QString renamed = fileNameForFormat(field->text(), format);
        if (renamed != field->text())
            field->setText(renamed);
    }
}

void ExportMetadataDialog::nameTyped(const QString &name)
{
    const MetadataFormat typed = metadataFormatForPath(name);
    if (typed != MetadataFormat::Unknown && typed != format()) {
        selectNameFilter(filterFor(typed));
        setDefaultSuffix(metadataFormatExtension(typed));
    }
}

// --- Through the seam -----------------------------------------------------------------------

namespace MetadataDialogs {

ImportChoice chooseImport(QWidget *parent, bool clearExisting, bool enforceUniqueKeywords)
{
    const Prompts::Request request { Prompts::Kind::ImportMetadata, QString(), localizedString("ImportMetadataTitle"),
        { localizedString("MetadataFilesFilter").arg(metadataFileNamePatterns()) }, {},
        { clearExisting, enforceUniqueKeywords } };
    const QVariantList answer = Prompts::ask(request, [&]() -> QVariant {
        ImportMetadataDialog dialog(parent, clearExisting, enforceUniqueKeywords);
        dialog.setWindowModality(Qt::WindowModal);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QVariantList {};
        return QVariantList { dialog.selectedFiles().first(), dialog.clearExisting(), dialog.enforceUniqueKeywords() };
    }).toList();
    if (answer.size() < 3)
        return {};
    return { answer[0].toString(), answer[1].toBool(), answer[2].toBool() };
}

ExportChoice chooseExport(QWidget *parent, const QString &suggestedPath, MetadataFormat format)
{
    const Prompts::Request request { Prompts::Kind::ExportMetadata, suggestedPath,
        localizedString("ExportMetadataTitle"), filters(), {}, { int(format) } };
    const QVariantList answer = Prompts::ask(request, [&]() -> QVariant {
        ExportMetadataDialog dialog(parent, suggestedPath, format);
        dialog.setWindowModality(Qt::WindowModal);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
            return QVariantList {};
        return QVariantList { dialog.selectedFiles().first(), int(dialog.format()) };
    }).toList();
    if (answer.size() < 2 || answer[0].toString().isEmpty())
        return {};
    const auto chosen = MetadataFormat(answer[1].toInt());
    const QString path = exportPathFor(answer[0].toString(), chosen);
    return { path, metadataFormatForPath(path) };
}

QString askCsvSeparator(QWidget *parent)
{
    const Prompts::Request request { Prompts::Kind::CsvOptions, QString(), localizedString("CsvOptionsTitle") };
    return Prompts::ask(request, [&]() -> QVariant {
        CsvOptionsDialog dialog(parent);
        dialog.setWindowModality(Qt::WindowModal);
        if (dialog.exec() != QDialog::Accepted)
            return QString();
        const QString text = dialog.separatorText();
        return text.isNull() ? QStringLiteral("") : text;
    }).toString();
}

} // namespace MetadataDialogs
