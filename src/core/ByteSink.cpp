#include "core/ByteSink.h"

#include "core/SourceFile.h"

#include <algorithm>
#include <vector>

bool ByteSink::copyFrom(const SourceFile &file, qint64 offset, qint64 length)
{
    constexpr qint64 kPiece = 1 << 20;
    std::vector<char> buffer(size_t(std::min(length, kPiece)));
    while (length > 0) {
        const qint64 n = std::min(length, kPiece);
        QString reason;
        if (!file.read(offset, n, buffer.data(), &reason)) {
            setErrorString(reason);
            return false;
        }
        if (!write(buffer.data(), n))
            return false;
        offset += n;
        length -= n;
    }
    return true;
}

bool MemorySink::write(const char *data, qint64 length)
{
    m_bytes.append(data, qsizetype(length));
    return true;
}
