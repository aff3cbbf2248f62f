// Writes the batch benchmark corpus: photo-like PNGs in three sizes.
//   make_corpus DIR  ->  DIR/small (200 × 64×64), DIR/medium (50 × 1024×768),
//                        DIR/large (5 × 6000×4000)
//   make_corpus --one FILE WIDTH HEIGHT  ->  one photo-like PNG of that size
#include "BenchCorpus.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 5 && std::strcmp(argv[1], "--one") == 0) {
        const QString path = QString::fromLocal8Bit(argv[2]);
        const unsigned long width = std::strtoul(argv[3], nullptr, 10);
        const unsigned long height = std::strtoul(argv[4], nullptr, 10);
        if (QFileInfo::exists(path))
            return 0;
        return width > 0 && height > 0 && BenchCorpus::writePhotoLike(path, unsigned(width), unsigned(height), 1) ? 0
                                                                                                                  : 1;
    }
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_corpus DIR | make_corpus --one FILE WIDTH HEIGHT\n");
        return 2;
    }
    const QDir root(QString::fromLocal8Bit(argv[1]));
    struct Set
    {
        const char *name;
        int count;
        unsigned width, height;
    };
    const Set sets[] = { { "small", 200, 64, 64 }, { "medium", 50, 1024, 768 }, { "large", 5, 6000, 4000 } };
    for (const Set &set : sets) {
        const QString folder = root.filePath(QString::fromLatin1(set.name));
        QDir().mkpath(folder);
        for (int i = 0; i < set.count; ++i) {
            const QString path = QStringLiteral("%1/%2-%3.png")
                                     .arg(folder, QString::fromLatin1(set.name))
                                     .arg(i, 3, 10, QLatin1Char('0'));
            if (QFileInfo::exists(path))
                continue;
            if (!BenchCorpus::writePhotoLike(path, set.width, set.height, unsigned(i + 1))) {
                std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
                return 1;
            }
        }
    }
    return 0;
}
