#pragma once

#include <QByteArray>

#include <cstdint>
#include <cstdlib>
#include <memory>
#include <vector>

struct PNGSource;

// The decoded image rows of one PNG, in the file's own sample format, and the file they
// were decoded from (PNGSource). While the rows are unchanged a save writes that file's
// compressed image data back byte for byte instead of re-encoding.
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

    // The file the rows were read from, or null.
    const PNGSource *source() const { return m_source.get(); }
    std::shared_ptr<const PNGSource> sharedSource() const { return m_source; }
    // Whether that file's compressed image data still matches the rows.
    bool hasOriginalImageData() const { return m_source && !m_pixelsChanged; }

    void clear();
    // Allocates height rows of rowBytes each, to be filled by the decoder. Drops the
    // source. False, with the rows empty, when the memory cannot be had.
    bool allocate(uint32_t height, size_t rowBytes);
    void setSource(std::shared_ptr<const PNGSource> source);
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
    std::shared_ptr<const PNGSource> m_source;
    bool m_pixelsChanged = false;
};
