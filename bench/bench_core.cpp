// Read and save throughput of the metadata core, against a plain libpng decode of the
// same file. Run through `make bench`.
#include "BenchCorpus.h"

#include "core/PNGReader.h"
#include "core/PNGWriter.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <png.h>

#include <cstdio>
#include <vector>

namespace {

struct Corpus
{
    QTemporaryDir dir;
    QString large;
    QStringList small;

    Corpus()
    {
        large = dir.filePath(QStringLiteral("large.png"));
        BenchCorpus::writePhotoLike(large, 6000, 4000, 1);
        for (int i = 0; i < 200; ++i) {
            const QString path = dir.filePath(QStringLiteral("small-%1.png").arg(i));
            BenchCorpus::writePhotoLike(path, 64, 64, unsigned(i));
            small << path;
        }
    }
};

Corpus &corpus()
{
    static Corpus c;
    return c;
}

void plainDecode(const QString &path)
{
    FILE *fp = std::fopen(QFile::encodeName(path).constData(), "rb");
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    std::vector<png_byte> pixels;
    std::vector<png_bytep> rows;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        std::fclose(fp);
        return;
    }
    png_init_io(png, fp);
    png_read_info(png, info);
    const size_t rowBytes = png_get_rowbytes(png, info);
    const size_t height = png_get_image_height(png, info);
    pixels.resize(rowBytes * height);
    for (size_t y = 0; y < height; ++y)
        rows.push_back(pixels.data() + y * rowBytes);
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(fp);
}

enum class Image { Decoded, Checked, Skipped };

void readAndSave(const QString &source, const QString &target, bool recompress, Image image = Image::Decoded)
{
    PNGinfo info;
    PNGRows rows;
    CommentList comments;
    info.path = source;
    PNGReadOptions readOptions;
    readOptions.decodeImage = image == Image::Decoded;
    readOptions.checkImageData = image == Image::Checked;
    if (!loadPNG(info, rows, comments, readOptions))
        std::abort();
    comments.append(makeComment(QStringLiteral("Author"), QStringLiteral("Bench Mark")));
    PNGWriteOptions options;
    options.recompress = recompress;
    if (!savePNG(target, info, rows, comments, options))
        std::abort();
}

void setFileBytes(benchmark::State &state, const QStringList &files)
{
    qint64 bytes = 0;
    for (const QString &f : files)
        bytes += QFileInfo(f).size();
    state.SetBytesProcessed(int64_t(state.iterations()) * bytes);
    state.SetItemsProcessed(int64_t(state.iterations()) * files.size());
}

void BM_LargePlainLibpngDecode(benchmark::State &state)
{
    const QString large = corpus().large;
    for (auto _ : state)
        plainDecode(large);
    setFileBytes(state, { large });
}

void BM_LargeReadSaveKept(benchmark::State &state)
{
    const QString large = corpus().large;
    const QString out = corpus().dir.filePath(QStringLiteral("out-kept.png"));
    for (auto _ : state)
        readAndSave(large, out, false);
    setFileBytes(state, { large });
}

void BM_LargeReadSaveRecompressed(benchmark::State &state)
{
    const QString large = corpus().large;
    const QString out = corpus().dir.filePath(QStringLiteral("out-re.png"));
    for (auto _ : state)
        readAndSave(large, out, true);
    setFileBytes(state, { large });
}

void BM_LargeReadSaveNoDecode(benchmark::State &state)
{
    const QString large = corpus().large;
    const QString out = corpus().dir.filePath(QStringLiteral("out-nodecode.png"));
    for (auto _ : state)
        readAndSave(large, out, false, Image::Skipped);
    setFileBytes(state, { large });
}

// The image data inflated and checked instead of decoded (what a batch does).
void BM_LargeReadSaveChecked(benchmark::State &state)
{
    const QString large = corpus().large;
    const QString out = corpus().dir.filePath(QStringLiteral("out-checked.png"));
    for (auto _ : state)
        readAndSave(large, out, false, Image::Checked);
    setFileBytes(state, { large });
}

void BM_SmallFilesReadSave(benchmark::State &state)
{
    const QStringList small = corpus().small;
    const QString out = corpus().dir.filePath(QStringLiteral("out-small.png"));
    for (auto _ : state) {
        for (const QString &f : small)
            readAndSave(f, out, false);
    }
    setFileBytes(state, small);
}

} // namespace

BENCHMARK(BM_LargePlainLibpngDecode)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_LargeReadSaveKept)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_LargeReadSaveChecked)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_LargeReadSaveNoDecode)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_LargeReadSaveRecompressed)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
BENCHMARK(BM_SmallFilesReadSave)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

BENCHMARK_MAIN();
