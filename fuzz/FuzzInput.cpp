#include "FuzzInput.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace FuzzInput {

QString scratchPath(const QString &name)
{
    static const auto folder = [] {
        const QString base = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
        auto dir = std::make_unique<QTemporaryDir>(base + QStringLiteral("/velmora-fuzz-XXXXXX"));
        if (!dir->isValid()) {
            std::fprintf(stderr, "cannot create a scratch folder in %s\n", qPrintable(base));
            std::abort();
        }
        return dir;
    }();
    return folder->filePath(name);
}

void writeScratchFile(const QString &path, const uint8_t *data, size_t size)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(reinterpret_cast<const char *>(data), qint64(size)) != qint64(size)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::abort();
    }
}

QStringList entryFields(const CommentList &comments)
{
    QStringList result;
    for (const CommentPtr &c : comments)
        result << c->keyword() << c->text();
    return result;
}

} // namespace FuzzInput

// Called by libFuzzer once before the first input.
extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    return 0;
}
