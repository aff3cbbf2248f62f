#include "core/PngLibrary.h"

#include <QLoggingCategory>

#include <cstdio>

Q_LOGGING_CATEGORY(lcPngLibrary, "velmora.png")

void PngLibraryContext::setMessage(const char *text) noexcept
{
    (void)std::snprintf(message, sizeof message, "%s", text ? text : "unknown error");
}

void pngErrorCallback(png_structp png, png_const_charp message) noexcept
{
    static_cast<PngLibraryContext *>(png_get_error_ptr(png))->setMessage(message);
    png_longjmp(png, 1);
}

void pngWarningCallback(png_structp, png_const_charp message) noexcept
{
    try {
        qCDebug(lcPngLibrary) << "libpng warning:" << message;
    } catch (...) {
    }
}

PngStructs::PngStructs(Kind kind, PngLibraryContext *context)
    : m_kind(kind)
{
    png = kind == Read ? png_create_read_struct(PNG_LIBPNG_VER_STRING, context, pngErrorCallback, pngWarningCallback)
                       : png_create_write_struct(PNG_LIBPNG_VER_STRING, context, pngErrorCallback, pngWarningCallback);
    if (png)
        info = png_create_info_struct(png);
}

PngStructs::~PngStructs()
{
    if (m_kind == Read)
        png_destroy_read_struct(&png, &info, nullptr);
    else
        png_destroy_write_struct(&png, &info);
}
