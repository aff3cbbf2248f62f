#include "core/PNGinfo.h"

void zeroImageData(PNGinfo &info)
{
    QString path = std::move(info.path);
    info = PNGinfo();
    info.path = std::move(path);
}

void clearPNGinfo(PNGinfo &info)
{
    info = PNGinfo();
}
