#pragma once

#include <QString>

// Photo-like PNG files for the benchmarks: smooth gradients with a little noise, which
// compress like photographs rather than like random data.
namespace BenchCorpus {

// Writes a width × height 8-bit RGB PNG to path (zlib level 6, adaptive filters).
bool writePhotoLike(const QString &path, unsigned width, unsigned height, unsigned seed);

} // namespace BenchCorpus
