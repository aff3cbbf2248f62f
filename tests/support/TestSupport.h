#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QStringList>

#include <vector>

// Helpers shared by the tests: fixture paths, a small PNG builder for crafted files,
// chunk listings and running outside tools.
namespace TestSupport {

QString dataPath(const QString &relative);
// Every PngSuite file that the suite marks valid (names not starting with 'x').
QStringList validPngSuiteFiles();
QStringList corruptPngSuiteFiles();

struct RawChunk
{
    QByteArray type;
    QByteArray data;
};

QByteArray buildPng(const std::vector<RawChunk> &chunks);
RawChunk ihdr(quint32 width, quint32 height, int bitDepth = 8, int colourType = 2, int interlace = 0);
// Image data for an 8-bit image with the given bytes per pixel; the content is a gradient
// with a little noise derived from seed.
RawChunk idat(quint32 width, quint32 height, int bytesPerPixel = 3, quint32 seed = 1);
RawChunk iend();
RawChunk tEXt(const QByteArray &keyword, const QByteArray &text);
RawChunk zTXt(const QByteArray &keyword, const QByteArray &text);
RawChunk iTXt(const QByteArray &keyword, const QByteArray &language, const QByteArray &translatedKeyword,
              const QByteArray &utf8Text, bool compressed = false);
RawChunk chunk(const char *type, const QByteArray &data);

// IHDR, extra chunks before the image data, IDAT, extra chunks after it, IEND.
QByteArray simplePng(quint32 width, quint32 height, const std::vector<RawChunk> &beforeIdat = {},
                     const std::vector<RawChunk> &afterIdat = {});

bool writeFile(const QString &path, const QByteArray &bytes);
QByteArray readFile(const QString &path);

// "TYPE" per chunk of a PNG file, in order (empty on a malformed file).
QStringList chunkTypes(const QByteArray &png);
// The payload of every chunk of a type, in order.
QList<QByteArray> chunkPayloads(const QByteArray &png, const QByteArray &type);

// Runs a program; returns its exit code (-1 when it could not start) and fills output
// with stdout and stderr.
int runTool(const QString &program, const QStringList &args, QString *output = nullptr, int timeoutMs = 60000);
bool toolAvailable(const QString &program);

} // namespace TestSupport

Q_DECLARE_METATYPE(TestSupport::RawChunk)
