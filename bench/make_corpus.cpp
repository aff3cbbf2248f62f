// Writes the batch benchmark corpus: photo-like PNGs in three sizes.
//   make_corpus DIR  ->  DIR/small (200 × 64×64), DIR/medium (50 × 1024×768),
//                        DIR/large (5 × 6000×4000)
#include "BenchCorpus.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_corpus DIR\n");
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
