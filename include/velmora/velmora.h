#pragma once

// libvelmora: the text entries (tEXt, zTXt, iTXt) of PNG files, read and changed exactly.
//
// A change rewrites only the text entries: every other chunk, and the compressed image data,
// is written back byte for byte and in its place, as velmora-cli does it (the same code).
// A file is replaced only once its new version is complete and flushed to the disk; if
// anything fails, the file is left as it was and nothing is left beside it.
//
// Strings are UTF-8. Every function reports failure by throwing velmora::Error with the
// reason; no other exception leaves the library (running out of memory is an Error too).
// The functions keep no state and may be called from many threads at once, on different
// files.

#if __cplusplus < 202002L
#error "velmora.h needs C++20 (-std=c++20)"
#endif

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace velmora {

// Why an operation failed: the reason, and the file it concerns (empty for bytes in memory).
// what() is "file: reason", or the reason alone.
class Error : public std::runtime_error
{
public:
    explicit Error(const std::string &reason, const std::filesystem::path &file = {});
    ~Error() override;
    Error(const Error &) = default;
    Error &operator=(const Error &) = default;
    const std::string &reason() const noexcept { return m_reason; }
    const std::filesystem::path &file() const noexcept { return m_file; }

private:
    std::string m_reason;
    std::filesystem::path m_file;
};

// One text entry: a keyword (PNG keywords are Latin-1, 1 to 79 characters) and its text.
struct Entry
{
    std::string keyword;
    std::string text;
    bool operator==(const Entry &) const = default;
};

// The entries of a PNG file in file order (before and after the image data). Reads the chunks
// only: every CRC and the header are checked, the pixels are not decoded, so an image of any
// size reads. Throws Error when the file cannot be read or is not a sound PNG file.
std::vector<Entry> readEntries(const std::filesystem::path &file);
std::vector<Entry> readEntries(std::span<const std::byte> png);

// A change of the entries, applied in this order: clear, remove, set.
struct Changes
{
    // Remove every entry.
    bool clear = false;
    // Remove every entry whose keyword is one of these (compared exactly).
    std::vector<std::string> remove;
    // Add these after the file's entries, in order. Keywords are cut at 79 characters.
    std::vector<Entry> set;
    // Each entry set first removes the entries with its keyword.
    bool replace = false;
    // Expand the macros in the texts set (%FILENAME%, %DATE%, %WIDTH% …) as velmora-cli does.
    bool expandMacros = false;
    // Encode the image data anew instead of keeping it byte for byte.
    bool recompress = false;
};

// Applies changes to the file and saves it in place. The image is decoded first, so a file
// with damaged image data is refused before anything is written. Refused, with the file left
// as it was: a file that cannot be read, an entry no PNG file can hold (a keyword with a
// character outside Latin-1 or without a printable one, a text holding NUL, an empty keyword),
// strings that are not UTF-8, a file or folder without write permission for its owner.
void update(const std::filesystem::path &file, const Changes &changes);
// The same for a PNG file in memory: returns the new file.
std::vector<std::byte> update(std::span<const std::byte> png, const Changes &changes);

// One thing a strip removes: a text entry (its chunk type and keyword) or a chunk (its type,
// keyword empty), with the size of the chunk in the file.
struct Removed
{
    std::string chunkType;
    std::string keyword;
    std::uint64_t size = 0;
    bool operator==(const Removed &) const = default;
};

// Removes the metadata a strip removes (as velmora-cli strip: every text entry, Exif, the
// modification time, private and unknown ancillary chunks; content credentials stay) apart
// from the entries whose keyword is in keep, and saves the file in place as update() does;
// returns what was removed: the text entries, then the chunks, each in file order. With
// dryRun, or when nothing is to be removed, the file is not written.
std::vector<Removed> strip(
    const std::filesystem::path &file, const std::vector<std::string> &keep = {}, bool dryRun = false);
// The same for a PNG file in memory: returns the new file and fills *removed when given.
std::vector<std::byte> strip(
    std::span<const std::byte> png, const std::vector<std::string> &keep = {}, std::vector<Removed> *removed = nullptr);

// What the header and the pHYs chunk say of the image.
struct Summary
{
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int bitDepth = 0;
    // The PNG colour type (0, 2, 3, 4, 6) and its name: "Greyscale", "RGB", "Palette",
    // "GreyscaleAlpha", "RGBA".
    int colourType = 0;
    std::string colourFormat;
    bool interlaced = false;
    // The physical size (72 pixels per inch when the file says nothing); known is false when
    // its resolution gives none.
    bool physicalSizeKnown = true;
    std::uint64_t widthMM = 0, heightMM = 0;
    double widthInches = 0, heightInches = 0;
    // The six lines velmora-cli info prints.
    std::vector<std::string> lines;
};

// Reads the chunks only, as readEntries() does.
Summary summary(const std::filesystem::path &file);
Summary summary(std::span<const std::byte> png);

// One chunk of a PNG file.
struct Chunk
{
    enum class Position { BeforeImageData, ImageData, AfterImageData };
    std::string type;
    std::uint32_t length = 0; // of the payload
    std::uint64_t offset = 0; // of the chunk (its length field) within the file
    Position position = Position::BeforeImageData;
    bool crcOk = false;
};

// Every chunk in file order, read without the PNG library. Throws Error on a file whose chunk
// structure is broken (a bad signature, a length past the end, no image data or end chunk).
std::vector<Chunk> chunks(const std::filesystem::path &file);
std::vector<Chunk> chunks(std::span<const std::byte> png);

// The library's version, "major.minor.patch".
std::string version();

} // namespace velmora
