#include "core/ImageSummary.h"

#include "core/PNGinfo.h"
#include "core/Strings.h"

const char *colourTypeKey(int colourType)
{
    switch (colourType) {
    case 0:
        return "Greyscale";
    case 2:
        return "RGB";
    case 3:
        return "Palette";
    case 4:
        return "GreyscaleAlpha";
    case 6:
        return "RGBA";
    default:
        return "Unknown";
    }
}

ImageSummary::Physical ImageSummary::physicalSize(const PNGinfo &info)
{
    Physical p;
    if (info.haspHYs && info.pHYsUnit != 0) {
        if (info.resX == 0 || info.resY == 0) {
            p.known = false;
            return p;
        }
        p.widthMM = quint64(info.width) * 1000 / info.resX;
        p.heightMM = quint64(info.height) * 1000 / info.resY;
        p.widthInch = double(info.width) * 39.37 / info.resX;
        p.heightInch = double(info.height) * 39.37 / info.resY;
    } else {
        p.assumed = true;
        p.widthMM = quint64(info.width) * 254 / 720;
        p.heightMM = quint64(info.height) * 254 / 720;
        p.widthInch = double(float(info.width) / 72.0f);
        p.heightInch = double(float(info.height) / 72.0f);
    }
    return p;
}

ImageSummary ImageSummary::forImage(const PNGinfo &info)
{
    ImageSummary s;
    s.size = localizedString("ImageSize").arg(info.width).arg(info.height);
    s.bitDepth = localizedString("ImageBitDepth").arg(info.bit_depth);
    s.colourFormat = localizedString("ColourFormat").arg(localizedString(colourTypeKey(info.colourType)));
    const char *interlace = info.interlace_method == 0 ? "None" : info.interlace_method == 1 ? "Adam7" : "Unknown";
    s.interlace = localizedString("Interlaced").arg(localizedString(interlace));
    const Physical p = physicalSize(info);
    if (p.known) {
        s.physicalSizeMM
            = localizedString(p.assumed ? "PhysicalSizeMMAssumed" : "PhysicalSizeMM").arg(p.widthMM).arg(p.heightMM);
        s.physicalSizeInch = localizedString(p.assumed ? "PhysicalSizeInchAssumed" : "PhysicalSizeInch")
                                 .arg(p.widthInch, 0, 'f', 2)
                                 .arg(p.heightInch, 0, 'f', 2);
    } else {
        s.physicalSizeMM = localizedString("PhysicalSizeUnknown");
        s.physicalSizeInch = localizedString("PhysicalSizeUnknown");
    }
    return s;
}

ImageSummary ImageSummary::loadFailed()
{
    ImageSummary s;
    s.size = localizedString("ImageLoadFailed");
    s.bitDepth = s.colourFormat = s.interlace = s.physicalSizeMM = s.physicalSizeInch = QStringLiteral("");
    return s;
}
