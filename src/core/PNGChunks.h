#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// The chunk layout of a PNG file, read without the PNG library: what every chunk is,
// where it stands, and whether its CRC is right.
struct PngChunk
{
    enum Position { BeforeIDAT, IDAT, AfterIDAT };
    QByteArray type; // four letters
    quint32 length = 0; // payload bytes
    qint64 offset = 0; // of the payload within the file
    bool crcOk = false;
    Position position = BeforeIDAT;
    bool seenPLTE = false; // a PLTE chunk stood before this one

    bool isCritical() const { return !type.isEmpty() && !(type.at(0) & 0x20); }
    bool isSafeToCopy() const { return type.size() == 4 && (type.at(3) & 0x20); }
};

extern const QByteArray PngSignature;

// Splits bytes into chunks. Stops with false and a reason on a bad signature, a length
// past the end of the data or above the PNG limit, a malformed type, a file without
// image data or without end chunk. A bad CRC is recorded, not refused.
bool scanPngChunks(const QByteArray &bytes, std::vector<PngChunk> &chunks, QString *error = nullptr);

// CRC-32 over a chunk's type and payload, as the PNG standard computes it.
quint32 pngChunkCrc(const char *type, const char *data, size_t length);
