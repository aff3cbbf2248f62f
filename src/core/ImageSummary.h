#pragma once

#include <QString>
#include <QStringList>

struct PNGinfo;

// The six summary lines of an image: size, bit depth, colour format, interlace,
// physical size in millimetres and in inches.
struct ImageSummary
{
    QString size;
    QString bitDepth;
    QString colourFormat;
    QString interlace;
    QString physicalSizeMM;
    QString physicalSizeInch;

    // The millimetre and inch figures behind the last two lines. known is false when
    // the resolution gives no figure (a pHYs in metres with 0 pixels per metre).
    struct Physical
    {
        bool known = true;
        // No resolution in the file (no pHYs, or one giving only the aspect): 72 per inch
        // assumed, and the lines say so.
        bool assumed = false;
        quint64 widthMM = 0, heightMM = 0;
        double widthInch = 0, heightInch = 0;
    };
    static Physical physicalSize(const PNGinfo &info);
    static ImageSummary forImage(const PNGinfo &info);
    // The lines shown when the file could not be read: "ImageLoadFailed" and five empty.
    static ImageSummary loadFailed();

    QStringList lines() const { return { size, bitDepth, colourFormat, interlace, physicalSizeMM, physicalSizeInch }; }
};

// The localisation key of a colour type's name ("RGBA", "GreyscaleAlpha", …).
const char *colourTypeKey(int colourType);
