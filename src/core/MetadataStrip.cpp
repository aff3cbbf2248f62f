#include "core/MetadataStrip.h"

#include "core/PNGFile.h"
#include "core/TextChunks.h"

namespace {

// The text entries the rules remove: all but the kept ones.
QList<StrippedItem> stripTextEntries(CommentList &comments, const QStringList &keep)
{
    QList<StrippedItem> removed;
    CommentList kept;
    for (const CommentPtr &comment : std::as_const(comments)) {
        if (keep.contains(comment->keyword())) {
            kept.append(comment);
            continue;
        }
        StrippedItem item;
        item.keyword = comment->keyword();
        if (comment->isAsRead()) {
            item.chunkType = comment->origin()->type;
            item.size = comment->origin()->data.size() + 12;
        } else {
            const EncodedTextChunk chunk = encodeTextChunk(*comment, true);
            item.chunkType = chunk.type;
            item.size = chunk.data.size() + 12;
        }
        removed.append(item);
    }
    comments = kept;
    return removed;
}

} // namespace

QList<StrippedItem> stripMetadata(PNGFile &file, const QStringList &keep)
{
    return stripTextEntries(file.comments, keep);
}
