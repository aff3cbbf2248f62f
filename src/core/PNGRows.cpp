#include "core/PNGRows.h"

#include "core/PNGSource.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>

uint8_t *PNGRows::mutableRow(uint32_t y)
{
    m_pixelsChanged = true;
    return m_pixels.get() + size_t(y) * m_rowBytes;
}

std::vector<uint8_t *> PNGRows::rowPointers()
{
    std::vector<uint8_t *> pointers(m_height);
    for (uint32_t y = 0; y < m_height && m_pixels; ++y)
        pointers[y] = m_pixels.get() + size_t(y) * m_rowBytes;
    return pointers;
}

void PNGRows::clear()
{
    m_height = 0;
    m_rowBytes = 0;
    m_pixels.reset();
    m_source.reset();
    m_pixelsChanged = false;
}

bool PNGRows::allocate(uint32_t height, size_t rowBytes)
{
    m_source.reset();
    m_pixelsChanged = false;
    m_height = 0;
    m_rowBytes = 0;
    m_pixels.reset();
    if (rowBytes != 0 && height > SIZE_MAX / rowBytes)
        return false;
    m_height = height;
    m_rowBytes = rowBytes;
    // Zeroed: the decoder leaves the unused bits at the end of a row of sub-byte samples
    // as they were. calloc gets large blocks as fresh zero pages, without a pass over them.
    m_pixels.reset(static_cast<uint8_t *>(std::calloc(size_t(height) * rowBytes, 1)));
    if (!m_pixels) {
        m_height = 0;
        m_rowBytes = 0;
        return false;
    }
    return true;
}

void PNGRows::setSource(std::shared_ptr<const PNGSource> source)
{
    m_source = std::move(source);
    m_pixelsChanged = false;
}

void PNGRows::setGeometry(uint32_t height, size_t rowBytes)
{
    m_height = height;
    m_rowBytes = rowBytes;
    m_pixels.reset();
}

bool PNGRows::operator==(const PNGRows &other) const
{
    if (m_height != other.m_height || m_rowBytes != other.m_rowBytes || hasPixels() != other.hasPixels())
        return false;
    return !hasPixels() || std::memcmp(m_pixels.get(), other.m_pixels.get(), size_t(m_height) * m_rowBytes) == 0;
}
