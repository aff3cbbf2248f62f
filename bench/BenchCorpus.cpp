#include "BenchCorpus.h"

#include <QFile>

#include <png.h>

#include <cmath>
#include <cstdio>
#include <vector>

namespace BenchCorpus {

bool writePhotoLike(const QString &path, unsigned width, unsigned height, unsigned seed)
{
    FILE *fp = std::fopen(QFile::encodeName(path).constData(), "wb");
    if (!fp)
        return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(fp);
        return false;
    }
    png_init_io(png, fp);
    png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
        PNG_FILTER_TYPE_DEFAULT);
    png_text text[1] = {};
    char key[] = "Software";
    char value[] = "bench";
    text[0].compression = PNG_TEXT_COMPRESSION_NONE;
    text[0].key = key;
    text[0].text = value;
    png_set_text(png, info, text, 1);
    png_write_info(png, info);
    std::vector<png_byte> row(size_t(width) * 3);
    unsigned state = seed * 2654435761u + 12345u;
    for (unsigned y = 0; y < height; ++y) {
        for (unsigned x = 0; x < width; ++x) {
            state = state * 1664525u + 1013904223u;
            const int noise = int(state >> 29) - 4;
            const double fx = double(x) / width, fy = double(y) / height;
            const int r = int(180 * fx + 60 * std::sin(fy * 6.0 + seed)) + noise;
            const int g = int(140 * fy + 80 * fx * fy) + noise;
            const int b = int(200 - 120 * fx * (1 - fy) + 30 * std::cos(fx * 9.0)) + noise;
            row[x * 3] = png_byte(std::clamp(r, 0, 255));
            row[x * 3 + 1] = png_byte(std::clamp(g, 0, 255));
            row[x * 3 + 2] = png_byte(std::clamp(b, 0, 255));
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(fp) == 0;
}

} // namespace BenchCorpus
