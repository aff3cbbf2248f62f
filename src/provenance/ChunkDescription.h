#pragma once

#include "core/PNGChunks.h"

#include <QByteArray>
#include <QJsonArray>
#include <QList>
#include <QPair>
#include <QString>

#include <functional>
#include <vector>

struct PNGSource;

// What one chunk of a PNG file is and means, for the chunk inspector and `velmora-cli
// chunks`: where it stands, its CRC verdict, its kind by the letters of its type, and a
// plain summary ("640×480, 8-bit RGB with alpha", "72 × 72 dpi", "GPS position …"), with
// more labelled details where a chunk holds more (the Exif fields, the XMP properties, a
// generation record).
//
// The payloads are hostile input: a payload of the wrong size is summarised as malformed,
// and Exif, XMP and JSON are read by their checked readers.
struct ChunkDescription
{
    QByteArray type;
    qint64 offset = 0; // where the chunk starts in the file (its length field)
    quint32 length = 0; // of the payload
    bool crcOk = false;
    bool critical = false;
    bool safeToCopy = false;
    QString summary;
    QList<QPair<QString, QString>> details;

    // Every chunk of a file in order. A file whose structure breaks off (truncated, a
    // malformed chunk) gives the chunks before the break; *error then says why.
    static QList<ChunkDescription> ofFile(const QByteArray &bytes, QString *error = nullptr);
    // The chunks as scanned from bytes (scanPngChunks()).
    static QList<ChunkDescription> describe(const QByteArray &bytes, const std::vector<PngChunk> &chunks);
    // The chunks of a file as read (a document's), from the bytes it holds: a large file's
    // image data, not held, are described without being read.
    static QList<ChunkDescription> ofSource(const PNGSource &source);
    // The summary and details of one payload; colourType is the image header's (it shapes
    // tRNS, bKGD and sBIT), -1 when unknown. A compressed text inflates to at most
    // *textBudget bytes (which shrinks by what it took; 64 MiB without one).
    static ChunkDescription describeOne(
        const QByteArray &type, const QByteArray &payload, int colourType = -1, qsizetype *textBudget = nullptr);

    // Tab-separated lines, one per chunk (type, offset, length, CRC, kind, copying, summary),
    // each detail on an indented line of its own below, for the clipboard.
    static QString toText(const QList<ChunkDescription> &chunks);
    // [{"type": …, "offset": …, "length": …, "crc_ok": …, "critical": …, "safe_to_copy": …,
    //   "summary": …, "details": [{"name": …, "value": …}]}]; details only when there are any.
    static QJsonArray toJson(const QList<ChunkDescription> &chunks);
};
