#include "core/PNGRows.h"

uint8_t *PNGRows::mutableRow(uint32_t y)
{
    m_idat.clear();
    return m_pixels.data() + size_t(y) * m_rowBytes;
}

std::vector<uint8_t *> PNGRows::rowPointers()
{
    std::vector<uint8_t *> pointers(m_height);
    for (uint32_t y = 0; y < m_height && !m_pixels.empty(); ++y)
        pointers[y] = m_pixels.data() + size_t(y) * m_rowBytes;
    return pointers;
}

void PNGRows::clear()
{
    m_height = 0;
    m_rowBytes = 0;
    std::vector<uint8_t>().swap(m_pixels);
    m_idat.clear();
}

void PNGRows::allocate(uint32_t height, size_t rowBytes)
{
    m_idat.clear();
    m_height = height;
    m_rowBytes = rowBytes;
    m_pixels.assign(size_t(height) * rowBytes, 0);
}

void PNGRows::setGeometry(uint32_t height, size_t rowBytes)
{
    m_height = height;
    m_rowBytes = rowBytes;
    std::vector<uint8_t>().swap(m_pixels);
}

bool PNGRows::operator==(const PNGRows &other) const
{
    return m_height == other.m_height && m_rowBytes == other.m_rowBytes && m_pixels == other.m_pixels;
}
