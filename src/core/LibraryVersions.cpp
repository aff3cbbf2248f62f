#include "core/LibraryVersions.h"

#include <png.h>
#include <zlib.h>

QString libpngRuntimeVersion()
{
    return QString::fromLatin1(png_get_libpng_ver(nullptr));
}

QString zlibRuntimeVersion()
{
    return QString::fromLatin1(::zlibVersion());
}
