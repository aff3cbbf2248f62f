#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QtEndian>

#include <zlib.h>

namespace TestSupport {

QString dataPath(const QString &relative)
{
    return QStringLiteral(VELMORA_TEST_DATA "/") + relative;
}

QString copyFixture(const QString &relative, const QString &folder, const QString &name)
{
    const QString target = QDir(folder).filePath(name.isEmpty() ? QFileInfo(relative).fileName() : name);
    QFile::remove(target);
    const QString source = QFileInfo(relative).isAbsolute() ? relative : dataPath(relative);
    if (!QDir().mkpath(folder) || !writeFile(target, readFile(source)))
        qFatal("cannot copy %s to %s", qPrintable(relative), qPrintable(target));
    return target;
}

QStringList pngSuiteFiles(bool valid)
{
    QDir dir(dataPath(QStringLiteral("pngsuite")));
    QStringList result;
    for (const QString &name : dir.entryList({ QStringLiteral("*.png") }, QDir::Files, QDir::Name))
        if (name.startsWith(u'x') != valid)
            result << dir.filePath(name);
    return result;
}

static QByteArray be32(quint32 v)
{
    QByteArray b(4, 0);
    qToBigEndian(v, b.data());
    return b;
}

QByteArray buildPng(const std::vector<RawChunk> &chunks)
{
    QByteArray out("\x89PNG\r\n\x1a\n", 8);
    for (const RawChunk &c : chunks) {
        out += be32(quint32(c.data.size()));
        QByteArray body = c.type + c.data;
        out += body;
        out += be32(quint32(crc32(0, reinterpret_cast<const Bytef *>(body.constData()), uInt(body.size()))));
    }
    return out;
}

RawChunk chunk(const char *type, const QByteArray &data)
{
    return { QByteArray(type, 4), data };
}

RawChunk pHYs(quint32 x, quint32 y, int unit)
{
    return chunk("pHYs", be32(x) + be32(y) + char(unit));
}

RawChunk ihdr(quint32 width, quint32 height, int bitDepth, int colourType, int interlace)
{
    // Compression and filter method 0.
    return chunk(
        "IHDR", be32(width) + be32(height) + char(bitDepth) + char(colourType) + QByteArray(2, 0) + char(interlace));
}

QByteArray zlibCompressed(const QByteArray &raw)
{
    uLongf size = compressBound(uLong(raw.size()));
    QByteArray out(int(size), 0);
    compress2(reinterpret_cast<Bytef *>(out.data()), &size, reinterpret_cast<const Bytef *>(raw.constData()),
        uLong(raw.size()), 6);
    out.resize(int(size));
    return out;
}

RawChunk idat(quint32 width, quint32 height, int bytesPerPixel, quint32 seed)
{
    QByteArray raw;
    raw.reserve(int((width * bytesPerPixel + 1) * height));
    quint32 state = seed * 2654435761u + 1;
    for (quint32 y = 0; y < height; ++y) {
        raw += char(0);
        for (quint32 x = 0; x < width; ++x)
            for (int c = 0; c < bytesPerPixel; ++c) {
                state = state * 1664525u + 1013904223u;
                raw += char((x * 255 / qMax<quint32>(1, width) + y * 3 + c * 40 + (state >> 29)) & 0xff);
            }
    }
    return chunk("IDAT", zlibCompressed(raw));
}

RawChunk idatOf(const QByteArray &inflated)
{
    return chunk("IDAT", zlibCompressed(inflated));
}

RawChunk iend()
{
    return chunk("IEND", QByteArray());
}

RawChunk tEXt(const QByteArray &keyword, const QByteArray &text)
{
    return chunk("tEXt", keyword + '\0' + text);
}

RawChunk zTXt(const QByteArray &keyword, const QByteArray &text)
{
    return chunk("zTXt", keyword + '\0' + '\0' + zlibCompressed(text));
}

RawChunk iTXt(const QByteArray &keyword, const QByteArray &language, const QByteArray &translatedKeyword,
    const QByteArray &utf8Text, bool compressed)
{
    return chunk("iTXt",
        keyword + '\0' + char(compressed ? 1 : 0) + '\0' + language + '\0' + translatedKeyword + '\0'
            + (compressed ? zlibCompressed(utf8Text) : utf8Text));
}

QByteArray simplePng(
    quint32 width, quint32 height, const std::vector<RawChunk> &beforeIdat, const std::vector<RawChunk> &afterIdat)
{
    std::vector<RawChunk> all { ihdr(width, height) };
    all.insert(all.end(), beforeIdat.begin(), beforeIdat.end());
    all.push_back(idat(width, height));
    all.insert(all.end(), afterIdat.begin(), afterIdat.end());
    all.push_back(iend());
    return buildPng(all);
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QByteArray readFile(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QString TempFolder::write(const QString &relative, const QByteArray &bytes) const
{
    const QString target = path(relative);
    if (!QDir().mkpath(QFileInfo(target).absolutePath()) || !writeFile(target, bytes))
        qFatal("cannot write %s", qPrintable(target));
    return target;
}

QStringList TempFolder::relative(const QStringList &paths) const
{
    QStringList result;
    for (const QString &p : paths)
        result << QDir(m_dir.path()).relativeFilePath(p);
    return result;
}

std::vector<RawChunk> chunksOf(const QByteArray &png)
{
    std::vector<RawChunk> chunks;
    qsizetype pos = 8;
    while (png.startsWith(QByteArray("\x89PNG\r\n\x1a\n", 8)) && pos + 12 <= png.size()) {
        const qsizetype len = qFromBigEndian<quint32>(png.constData() + pos);
        if (len > png.size() - pos - 12)
            return {};
        chunks.push_back({ png.mid(pos + 4, 4), png.mid(pos + 8, len) });
        pos += 12 + len;
    }
    return pos == png.size() ? chunks : std::vector<RawChunk>();
}

QStringList chunkTypes(const QByteArray &png)
{
    QStringList types;
    for (const RawChunk &c : chunksOf(png))
        types << QString::fromLatin1(c.type);
    return types;
}

QList<QByteArray> chunkPayloads(const QByteArray &png, const QByteArray &type)
{
    QList<QByteArray> result;
    for (const RawChunk &c : chunksOf(png))
        if (c.type == type)
            result << c.data;
    return result;
}

int runTool(const QString &program, const QStringList &args, QString *output, int timeoutMs)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(program, args);
    if (!p.waitForStarted(10000))
        return -1;
    p.closeWriteChannel();
    if (!p.waitForFinished(timeoutMs)) {
        p.kill();
        return -1;
    }
    if (output)
        *output = QString::fromUtf8(p.readAll());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

bool toolAvailable(const QString &program)
{
    return !QStandardPaths::findExecutable(program).isEmpty();
}

} // namespace TestSupport
