#pragma once

#include <QByteArray>
#include <QString>

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// Plain copies of the PNG library's record types, so that no header outside the
// reader and writer needs the library.
struct PngColor
{
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    bool operator==(const PngColor &) const = default;
};

struct PngColor16
{
    uint8_t index = 0;
    uint16_t red = 0;
    uint16_t green = 0;
    uint16_t blue = 0;
    uint16_t gray = 0;
    bool operator==(const PngColor16 &) const = default;
};

struct PngColor8
{
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t gray = 0;
    uint8_t alpha = 0;
    bool operator==(const PngColor8 &) const = default;
};

struct PngTime
{
    uint16_t year = 0;
    uint8_t month = 0;
    uint8_t day = 0;
    uint8_t hour = 0;
    uint8_t minute = 0;
    uint8_t second = 0;
    bool operator==(const PngTime &) const = default;
};

// A chunk carried over as it was read. The location says where it stood:
// before PLTE, between PLTE and the image data, or after the image data.
struct PngUnknownChunk
{
    enum Location : uint8_t { BeforePLTE = 0x01, BeforeIDAT = 0x02, AfterIDAT = 0x08 };
    std::array<char, 5> name {}; // four letters and a NUL
    QByteArray data;
    uint8_t location = BeforePLTE;
    QByteArray type() const { return QByteArray(name.data(), 4); }
    size_t size() const { return size_t(data.size()); }
    bool operator==(const PngUnknownChunk &) const = default;
};

// The image record: IHDR values and every captured ancillary chunk except text.
// All fields zero (path aside) stands for no image. Owned buffers are value members,
// so each is released exactly once; "null" for them means "no such chunk".
//
// Every count is the size of its container (the accessors 14, 17, 20 and 40), never a
// number kept beside it: a record cannot claim more entries than it holds. What the
// containers must agree on among themselves (a histogram entry per palette entry, no more
// alpha values than palette entries) is checked by the writer.
struct PNGinfo
{
    QString path; // 1
    uint32_t width = 0; // 2
    uint32_t height = 0; // 3
    int32_t bytesPerRow = 0; // 4
    int32_t colourType = 0; // 5
    int32_t bit_depth = 0; // 6
    int32_t interlace_method = 0; // 7
    int32_t compression_method = 0; // 8
    int32_t filter_method = 0; // 9
    bool hasGamma = false; // 10
    double gamma = 0; // 11
    QByteArray profileName; // 12 null: no iCCP
    QByteArray profileData; // 13
    uint32_t profileLength() const { return uint32_t(profileData.size()); } // 14
    int32_t profileCompressionType = 0; // 15
    std::vector<PngColor> paletteData; // 16 empty: no PLTE kept
    int32_t paletteNumEntries() const { return int32_t(paletteData.size()); } // 17
    std::vector<uint16_t> hIST; // 18 empty: no hIST
    QByteArray transparencyTable; // 19 null: no tRNS kept
    int32_t transparencyTableSize() const { return int32_t(transparencyTable.size()); } // 20
    std::optional<PngColor16> transparencyColourValues; // 21
    bool hascHRM = false; // 22
    std::array<double, 8> cHRM {}; // 23 white x/y, red x/y, green x/y, blue x/y
    bool use_sRGB = false; // 24
    int32_t sRGBintent = 0; // 25
    bool hasbKGD = false; // 26
    std::optional<PngColor16> backgroundColour; // 27
    bool has_sBIT = false; // 28
    std::optional<PngColor8> sBIT; // 29
    bool haspHYs = false; // 30
    uint32_t resX = 0; // 31
    uint32_t resY = 0; // 32
    uint8_t pHYsUnit = 0; // 33
    bool hassCAL = false; // 34
    int32_t sCALunit = 0; // 35
    double sCALwidth = 0; // 36
    double sCALheight = 0; // 37
    bool hastIME = false; // 38
    PngTime tIME; // 39
    int32_t numUnknownChunks() const { return int32_t(unknowns.size()); } // 40
    std::vector<PngUnknownChunk> unknowns; // 41

    bool hasImage() const { return width != 0 && height != 0; }
    bool operator==(const PNGinfo &) const = default;
};

// Sets every field but path to zero. Owned buffers are value members, so nothing leaks.
void zeroImageData(PNGinfo &info);
// Releases path and every owned buffer (the record is then all zero, path empty).
void clearPNGinfo(PNGinfo &info);
