// The chunk scanner over any bytes: a refusal says why, and every chunk reported lies
// inside the input with its CRC verdict right.
#include "FuzzInput.h"

#include "core/PNGChunks.h"

#include <QtEndian>

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes = FuzzInput::bytes(data, size);
    std::vector<PngChunk> chunks;
    QString error;
    if (!scanPngChunks(bytes, chunks, &error) && error.isEmpty())
        std::abort();
    for (const PngChunk &c : chunks) {
        if (c.type.size() != 4 || c.offset < 16 || c.offset + qint64(c.length) + 4 > bytes.size())
            std::abort();
        const char *payload = bytes.constData() + c.offset;
        const bool crcRight
            = pngChunkCrc(c.type.constData(), payload, c.length) == qFromBigEndian<quint32>(payload + c.length);
        if (c.crcOk != crcRight)
            std::abort();
    }
    return 0;
}
