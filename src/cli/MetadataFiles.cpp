#include "cli/MetadataFiles.h"

#include "interchange/DelimitedTextFormat.h"
#include "interchange/VelmxFormat.h"

#include <QFileInfo>

MetadataFileType metadataFileType(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix();
    if (suffix == u"velmx")
        return MetadataFileType::Velmx;
    if (suffix == u"csv")
        return MetadataFileType::Csv;
    return MetadataFileType::Unknown;
}

bool importMetadataFile(CommentListTarget &target, const QString &path, QChar separator, bool replace, QString *error)
{
    switch (metadataFileType(path)) {
    case MetadataFileType::Velmx:
        return importMetadataFromVelmx(target, path, replace, error);
    case MetadataFileType::Csv:
        return importMetadataFromCsv(target, path, separator, replace, error);
    case MetadataFileType::Unknown:
        break;
    }
    if (error)
        *error = QStringLiteral("not a metadata file (the name must end in .velmx or .csv)");
    return false;
}
