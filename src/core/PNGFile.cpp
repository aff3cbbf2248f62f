#include "core/PNGFile.h"

#include "core/PNGReader.h"
#include "core/PNGWriter.h"

#include <limits>

namespace {

PNGReadOptions readOptions(PNGFile::Pixels pixels)
{
    PNGReadOptions options;
    options.decodeImage = pixels == PNGFile::Pixels::Decode;
    // The memory limit guards the decoded rows; without them an image of any size can be read.
    if (!options.decodeImage)
        options.memoryLimit = std::numeric_limits<quint64>::max();
    return options;
}

PNGWriteOptions writeOptions(const PNGFile &file, bool recompress)
{
    PNGWriteOptions options;
    options.recompress = recompress;
    options.leftOutChunks = file.leftOutChunks;
    return options;
}

} // namespace

bool PNGFile::read(const QString &path, Pixels pixels, QString *error)
{
    info.path = path;
    return loadPNG(info, rows, comments, readOptions(pixels), error);
}

bool PNGFile::readBytes(const QByteArray &bytes, const QString &name, Pixels pixels, QString *error)
{
    info.path = name;
    return loadPNGBytes(bytes, info, rows, comments, readOptions(pixels), error);
}

bool PNGFile::save(bool recompress, QString *error)
{
    removeInvalidComments(comments);
    return savePNG(info.path, info, rows, comments, writeOptions(*this, recompress), error);
}

bool PNGFile::encode(bool recompress, QByteArray *out, QString *error)
{
    removeInvalidComments(comments);
    return encodePNG(out, info, rows, comments, writeOptions(*this, recompress), error);
}
