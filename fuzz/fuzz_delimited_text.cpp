// The delimited-text reader over any text and separator: what it reads writes back and
// reads again unchanged.
#include "FuzzInput.h"

#include "interchange/DelimitedTextFormat.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    // The first byte picks the separator.
    static const QChar separators[] = { u',', u'\t', u' ', u';' };
    const QChar separator = separators[data[0] % 4];
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));
    const CommentList comments = parseDelimitedText(text, separator);
    const QByteArray written = delimitedText(comments, separator);
    const CommentList again = parseDelimitedText(QString::fromUtf8(written), separator);
    if (FuzzInput::entryFields(again) != FuzzInput::entryFields(comments)) {
        std::fprintf(stderr, "the entries changed on the way:\n%s\n", written.constData());
        std::abort();
    }
    return 0;
}
