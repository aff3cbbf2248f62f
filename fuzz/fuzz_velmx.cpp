// The Metadata XML reader (velmx files, templates, the clipboard's XML form) over any
// bytes: every list it reads that XML can carry writes back and reads again unchanged.
#include "FuzzInput.h"

#include "interchange/MetadataXml.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    MetadataXml::Content content;
    QString error;
    if (!MetadataXml::parse(FuzzInput::bytes(data, size), &content, &error)) {
        if (error.isEmpty())
            std::abort(); // a refusal always says why
        return 0;
    }
    const CommentList comments = MetadataXml::comments(content.elements);
    if (MetadataXml::firstUnholdableComment(comments))
        return 0;
    for (const auto layout : { MetadataXml::Layout::File, MetadataXml::Layout::Compact }) {
        const QByteArray written = MetadataXml::write(content.rootName, comments, layout, content.rootAttributes);
        MetadataXml::Content again;
        if (!MetadataXml::parse(written, &again, &error)) {
            std::fprintf(stderr, "what was written does not read: %s\n%s\n", qPrintable(error), written.constData());
            std::abort();
        }
        if (FuzzInput::entryFields(MetadataXml::comments(again.elements)) != FuzzInput::entryFields(comments)) {
            std::fprintf(stderr, "the entries changed on the way:\n%s\n", written.constData());
            std::abort();
        }
    }
    return 0;
}
