#pragma once

#include <QByteArray>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

// The decoded image rows of one PNG, in the file's own sample format, and the
// compressed image data they were decoded from. While the rows are unchanged a
// save writes that compressed data back byte for byte instead of re-encoding.
class PNGRows
{
public:
    bool isEmpty() const { return m_height == 0; }
    uint32_t height() const { return m_height; }
    size_t rowBytes() const { return m_rowBytes; }
    bool hasPixels() const { return m_pixels != nullptr; }

    const uint8_t *row(uint32_t y) const { return m_pixels.get() + size_t(y) * m_rowBytes; }
    // Handing out a writable row means the kept compressed data no longer matches.
    uint8_t *mutableRow(uint32_t y);

    // One pointer per row, for the PNG library.
    std::vector<uint8_t *> rowPointers();

    // The original image data chunks' payloads, in file order.
    const std::vector<QByteArray> &imageDataChunks() const { return m_idat; }
    bool hasOriginalImageData() const { return !m_idat.empty(); }

    void clear();
    // Allocates height rows of rowBytes each, to be filled by the decoder. Drops any kept
    // image data. False, with the rows empty, when the memory cannot be had.
    bool allocate(uint32_t height, size_t rowBytes);
    void setImageDataChunks(std::vector<QByteArray> chunks) { m_idat = std::move(chunks); }
    void setGeometry(uint32_t height, size_t rowBytes);

    bool operator==(const PNGRows &other) const;

private:
    uint32_t m_height = 0;
    size_t m_rowBytes = 0;
    struct Free
    {
        void operator()(uint8_t *p) const { std::free(p); }
    };
    std::unique_ptr<uint8_t, Free> m_pixels; // height × rowBytes, or null
    std::vector<QByteArray> m_idat;
};
