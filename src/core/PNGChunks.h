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

// The checks scanPngChunks() makes, one chunk at a time, for a file read as it comes.
class PngChunkSequence
{
public:
    // The chunk whose header (length and type, 8 bytes) stands at pos in a file of size
    // bytes: fills c, apart from crcOk. header may be null when fewer than 12 bytes are left.
    bool next(const char *header, qint64 pos, qint64 size, PngChunk &c, QString *error);
    bool ended() const { return m_seenIEND; }
    // After the end chunk: false when there was no image data.
    bool finish(QString *error) const;

private:
    size_t m_count = 0;
    bool m_seenPLTE = false;
    bool m_seenIDAT = false;
    bool m_idatEnded = false;
    bool m_seenIEND = false;
};

// CRC-32 over a chunk's type and payload, as the PNG standard computes it; the second goes on
// from crc over more bytes (start with 0).
quint32 pngChunkCrc(const char *type, const char *data, size_t length);
quint32 pngCrcUpdate(quint32 crc, const char *data, size_t length);
