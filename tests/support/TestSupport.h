#pragma once

#include "core/PNGReader.h"

#include <QAbstractItemModel>
#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <vector>

// Helpers shared by the tests: fixture paths, a small PNG builder for crafted files,
// chunk listings, comment lists in a comparable form and running outside tools.
namespace TestSupport {

QString dataPath(const QString &relative);
// Copies a file (a path relative to tests/data, or absolute) into folder, which it creates,
// as name or under its own name; the copy is writable.
QString copyFixture(const QString &relative, const QString &folder, const QString &name = QString());
// Every PngSuite file that the suite marks valid (names not starting with 'x'), or corrupt.
QStringList pngSuiteFiles(bool valid = true);

struct RawChunk
{
    QByteArray type;
    QByteArray data;
    bool operator==(const RawChunk &) const = default;
};

QByteArray buildPng(const std::vector<RawChunk> &chunks);
RawChunk ihdr(quint32 width, quint32 height, int bitDepth = 8, int colourType = 2, int interlace = 0);
// Image data for an 8-bit image with the given bytes per pixel; the content is a gradient
// with a little noise derived from seed.
RawChunk idat(quint32 width, quint32 height, int bytesPerPixel = 3, quint32 seed = 1);
// An image data chunk holding these bytes (the rows with their filter bytes) compressed.
RawChunk idatOf(const QByteArray &inflated);
QByteArray zlibCompressed(const QByteArray &raw);
RawChunk iend();
RawChunk tEXt(const QByteArray &keyword, const QByteArray &text);
RawChunk zTXt(const QByteArray &keyword, const QByteArray &text);
RawChunk iTXt(const QByteArray &keyword, const QByteArray &language, const QByteArray &translatedKeyword,
    const QByteArray &utf8Text, bool compressed = false);
RawChunk pHYs(quint32 x, quint32 y, int unit);
RawChunk chunk(const char *type, const QByteArray &data);

// IHDR, extra chunks before the image data, IDAT, extra chunks after it, IEND.
QByteArray simplePng(quint32 width, quint32 height, const std::vector<RawChunk> &beforeIdat = {},
    const std::vector<RawChunk> &afterIdat = {});

bool writeFile(const QString &path, const QByteArray &bytes);
QByteArray readFile(const QString &path);

// A temporary folder for a test, with the file helpers the tests share. Each helper stops
// the test program when the file cannot be made.
class TempFolder
{
public:
    QString path(const QString &relative = QString()) const
    {
        return relative.isEmpty() ? m_dir.path() : m_dir.filePath(relative);
    }
    // Writes bytes to relative (making its folders) and returns its path.
    QString write(const QString &relative, const QByteArray &bytes = QByteArray()) const;
    // Paths as they stand relative to the folder.
    QStringList relative(const QStringList &paths) const;

private:
    QTemporaryDir m_dir;
};

// Every chunk of a PNG file, in order (none when the file is malformed).
std::vector<RawChunk> chunksOf(const QByteArray &png);
// "TYPE" per chunk of a PNG file, in order (empty on a malformed file).
QStringList chunkTypes(const QByteArray &png);
inline bool isTextChunk(const QString &type)
{
    return type == u"tEXt" || type == u"zTXt" || type == u"iTXt";
}
// The payload of every chunk of a type, in order.
QList<QByteArray> chunkPayloads(const QByteArray &png, const QByteArray &type);

// Runs a program; returns its exit code (-1 when it could not start) and fills output
// with stdout and stderr.
int runTool(const QString &program, const QStringList &args, QString *output = nullptr, int timeoutMs = 60000);
bool toolAvailable(const QString &program);

// "keyword=text" per comment, ∅ standing for an absent field.
inline QStringList describe(const CommentList &comments)
{
    QStringList result;
    for (const auto &c : comments)
        result << (c->keyword().isNull() ? QStringLiteral("∅") : c->keyword()) + u'='
                + (c->text().isNull() ? QStringLiteral("∅") : c->text());
    return result;
}

// The other way round: comments from "keyword=text" pairs, ∅ standing for an absent field.
inline CommentList commentsFrom(const QStringList &pairs)
{
    CommentList result;
    for (const auto &pair : pairs) {
        const qsizetype eq = pair.indexOf(u'=');
        const QString keyword = pair.left(eq), text = pair.mid(eq + 1);
        result.append(makeComment(keyword == u"∅" ? QString() : keyword, text == u"∅" ? QString() : text));
    }
    return result;
}

// "keyword=text" per row of a comment table's model (columns 0 and 1), in a role.
inline QStringList tableRows(const QAbstractItemModel &model, int role = Qt::DisplayRole)
{
    QStringList rows;
    for (int row = 0; row < model.rowCount(); ++row)
        rows << model.index(row, 0).data(role).toString() + u'=' + model.index(row, 1).data(role).toString();
    return rows;
}

// A PNG file as loadPNG reads it.
struct LoadedPng
{
    PNGinfo info;
    PNGRows rows;
    CommentList comments;
    bool load(const QString &path, QString *error = nullptr, const PNGReadOptions &options = {})
    {
        info.path = path;
        return loadPNG(info, rows, comments, options, error);
    }
    // A file of tests/data that must load.
    static LoadedPng fixture(const QString &relative)
    {
        LoadedPng png;
        QString error;
        if (!png.load(dataPath(relative), &error))
            qFatal("cannot read %s: %s", qPrintable(relative), qPrintable(error));
        return png;
    }
};

// describe() of the comments a PNG file holds, {"<unreadable>"} when it does not load.
// The entries of a file; its image is decoded too (a file with damaged image data is
// unreadable) unless decodeImage is false.
inline QStringList fileComments(const QString &path, bool decodeImage = true)
{
    LoadedPng png;
    PNGReadOptions options;
    options.decodeImage = decodeImage;
    return png.load(path, nullptr, options) ? describe(png.comments) : QStringList { QStringLiteral("<unreadable>") };
}

} // namespace TestSupport

Q_DECLARE_METATYPE(TestSupport::RawChunk)
