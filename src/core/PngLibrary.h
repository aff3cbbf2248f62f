#pragma once

// The set-up every use of the PNG library shares, private to src/core: the error and warning
// callbacks and the structures freed on every way out. Include it from .cpp files of src/core
// only (libpng stays private here).

#include <png.h>

#include <csetjmp>

// What the library's callbacks share with a read or write. The error callback copies the
// library's message here and jumps back into the function that called setjmp(); it may
// neither allocate nor throw. A user of the library derives its context from this one.
struct PngLibraryContext
{
    char message[256] = {};
    void setMessage(const char *text) noexcept;
};

void pngErrorCallback(png_structp png, png_const_charp message) noexcept;
// Warnings go to the debug log (category velmora.png).
void pngWarningCallback(png_structp png, png_const_charp message) noexcept;

// The library's read or write structures with the callbacks above, freed on every way out
// (also an exception). Live outside every library jump scope; info is null when the set-up
// failed.
struct PngStructs
{
    enum Kind { Read, Write };
    png_structp png = nullptr;
    png_infop info = nullptr;
    PngStructs(Kind kind, PngLibraryContext *context);
    ~PngStructs();
    PngStructs(const PngStructs &) = delete;
    PngStructs &operator=(const PngStructs &) = delete;

private:
    Kind m_kind;
};
