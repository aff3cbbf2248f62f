#include "interchange/MetadataFormats.h"

#include "core/Strings.h"
#include "interchange/DelimitedTextFormat.h"
#include "interchange/VelmxFormat.h"

#include <QFileInfo>
#include <QStringList>

namespace {

bool importVelmx(CommentListTarget &target, const QString &path, QChar, bool replace, QString *error)
{
    return importMetadataFromVelmx(target, path, replace, error);
}

bool exportVelmx(const CommentListTarget &target, const QString &path, QChar, QString *error)
{
    return exportMetadataToVelmx(target, path, error);
}

using namespace Qt::StringLiterals;

const MetadataFileFormat kFormats[] = {
    { MetadataFormat::Velmx, "velmx"_L1, Qt::CaseInsensitive, "VelmxFilter", "Velmora Metadata XML File (velmx)"_L1,
        false, importVelmx, exportVelmx },
    { MetadataFormat::Csv, "csv"_L1, Qt::CaseInsensitive, "CsvFilter", "Delimited Text File (csv)"_L1, true,
        importMetadataFromCsv, exportMetadataToCsv },
};

bool notAMetadataFile(const QString &path, QString *error)
{
    if (error)
        *error = localizedString("NotAMetadataFile").arg(QFileInfo(path).fileName(), metadataFormatSuffixes());
    return false;
}

} // namespace

std::span<const MetadataFileFormat> metadataFileFormats()
{
    return kFormats;
}

const MetadataFileFormat *metadataFileFormat(MetadataFormat format)
{
    for (const MetadataFileFormat &row : kFormats) {
        if (row.format == format)
            return &row;
    }
    return nullptr;
}

MetadataFormat metadataFormatForPath(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix();
    for (const MetadataFileFormat &row : kFormats) {
        if (suffix.compare(row.suffix, row.suffixCase) == 0)
            return row.format;
    }
    return MetadataFormat::Unknown;
}

QString metadataFormatExtension(MetadataFormat format)
{
    const MetadataFileFormat *row = metadataFileFormat(format);
    return row ? QString(row->suffix) : QString();
}

QString metadataFormatSuffixes()
{
    QStringList suffixes;
    for (const MetadataFileFormat &row : kFormats)
        suffixes << u'.' + QString(row.suffix);
    const QString last = suffixes.takeLast();
    return suffixes.isEmpty() ? last : suffixes.join(QStringLiteral(", ")) + QStringLiteral(" or ") + last;
}

QString metadataFileNamePatterns()
{
    QStringList lower, upper;
    for (const MetadataFileFormat &row : kFormats) {
        lower << QStringLiteral("*.") + QString(row.suffix);
        if (row.suffixCase == Qt::CaseInsensitive)
            upper << lower.last().toUpper();
    }
    return (lower + upper).join(u' ');
}

bool importMetadataFile(CommentListTarget &target, const QString &path, QChar separator, bool replace, QString *error)
{
    const MetadataFileFormat *row = metadataFileFormat(metadataFormatForPath(path));
    return row ? row->importInto(target, path, separator, replace, error) : notAMetadataFile(path, error);
}

bool exportMetadataFile(const CommentListTarget &target, const QString &path, QChar separator, QString *error)
{
    const MetadataFileFormat *row = metadataFileFormat(metadataFormatForPath(path));
    return row ? row->exportFrom(target, path, separator, error) : notAMetadataFile(path, error);
}
