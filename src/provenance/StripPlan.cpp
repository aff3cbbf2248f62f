#include "provenance/StripPlan.h"
#include "core/Strings.h"

#include "core/PNGFile.h"
#include "core/PNGSource.h"
#include "core/TextChunks.h"
#include "provenance/ChunkDescription.h"
#include "provenance/XmpPacket.h"

namespace {

bool isTextChunk(const QByteArray &type)
{
    return type == "tEXt" || type == "zTXt" || type == "iTXt";
}

} // namespace

bool StripRules::isRemovableType(const QByteArray &type)
{
    if (type.size() != 4 || !(type.at(0) & 0x20))
        return false; // critical
    static const QList<QByteArray> kept { "tRNS", "gAMA", "cHRM", "sRGB", "iCCP", "cICP", "mDCV", "mDCv", "cLLI",
        "cLLi", "sBIT", "bKGD", "pHYs", "acTL", "fcTL", "fdAT", "hIST", "sPLT", "oFFs", "pCAL", "sCAL", "sTER", "dSIG",
        "gIFg" };
    return !kept.contains(type);
}

bool StripRules::removesEntry(const QString &keyword, const QByteArray &chunkType) const
{
    return !keepKeywords.contains(keyword) && !keepChunkTypes.contains(chunkType);
}

bool StripRules::removesChunk(const QByteArray &type) const
{
    static const QList<QByteArray> named { "tEXt", "zTXt", "iTXt", "eXIf", "tIME", "caBX" };
    return isRemovableType(type) && !keepChunkTypes.contains(type) && (type != "caBX" || credentials)
        && (otherChunks || named.contains(type));
}

StripRules StripChoices::rules() const
{
    StripRules rules;
    if (!textEntries)
        rules.keepChunkTypes << "tEXt"
                             << "zTXt"
                             << "iTXt";
    else if (!xmp)
        rules.keepKeywords << QString::fromLatin1(XmpPacket::Keyword);
    if (!exif)
        rules.keepChunkTypes << "eXIf";
    if (!time)
        rules.keepChunkTypes << "tIME";
    rules.otherChunks = otherChunks;
    rules.credentials = credentials;
    return rules;
}

bool StripRules::isChunkType(const QString &type)
{
    return type.size() == 4
        && std::all_of(type.begin(), type.end(), [](QChar c) { return c.isLetter() && c.unicode() < 0x80; });
}

StripPlan StripPlan::make(const CommentList &entries, const PNGSource *source, const StripRules &rules,
    Descriptions descriptions, const QList<qsizetype> &leftOut)
{
    const bool describe = descriptions == Descriptions::Yes;
    StripPlan plan;
    for (const CommentPtr &c : entries) {
        if (!c || !c->isValid())
            continue;
        StripItem item;
        item.kind = StripItem::Kind::TextEntry;
        item.keyword = c->keyword();
        item.entry = c;
        // The chunk the entry is written as: the one it was read from while unchanged.
        EncodedTextChunk chunk;
        if (c->isAsRead())
            chunk = { c->origin()->type, c->origin()->data };
        else
            chunk = encodeTextChunk(*c, true);
        item.type = chunk.type;
        item.size = chunk.data.size() + 12;
        item.chosen = rules.removesEntry(item.keyword, item.type);
        if (describe)
            item.description = ChunkDescription::describeOne(chunk.type, chunk.data).summary;
        plan.items.append(item);
    }
    for (size_t i = 0; source && i < source->chunks.size(); ++i) {
        const PngChunk &c = source->chunks[i];
        if (source->isComment(i) || !StripRules::isRemovableType(c.type) || leftOut.contains(qsizetype(i)))
            continue;
        StripItem item;
        item.type = c.type;
        item.chunk = qsizetype(i);
        item.size = source->chunkSize(c);
        item.chosen = rules.removesChunk(c.type);
        if (describe) {
            item.description = isTextChunk(c.type)
                ? rememberedText("ChunkSummary", QT_TRANSLATE_NOOP("ChunkSummary", "unreadable text entry"))
                : ChunkDescription::describeOne(c.type, QByteArray::fromRawData(source->payload(c), c.length)).summary;
            if (c.type == "caBX")
                item.description = rememberedText("ChunkSummary",
                    QT_TRANSLATE_NOOP("ChunkSummary", "%1 (removing them breaks the picture's provenance)"))
                                       .arg(item.description);
            if (!c.crcOk)
                item.description = rememberedText(
                    "ChunkSummary", QT_TRANSLATE_NOOP("ChunkSummary", "%1 (damaged: its CRC is wrong)"))
                                       .arg(item.description);
        }
        plan.items.append(item);
    }
    return plan;
}

StripPlan StripPlan::applyTo(PNGFile &file, const StripRules &rules, Descriptions descriptions)
{
    const PNGSource *source = file.rows.source();
    StripPlan plan = make(file.comments, source, rules, descriptions);
    file.comments = plan.keptEntries(file.comments);
    if (source)
        file.leftOutChunks = chunkContents(*source, plan.chosenChunks());
    return plan;
}

bool StripPlan::removesAnything() const
{
    return std::any_of(items.begin(), items.end(), [](const StripItem &i) { return i.chosen; });
}

CommentList StripPlan::keptEntries(const CommentList &entries) const
{
    CommentList kept;
    for (const CommentPtr &c : entries) {
        const bool chosen = std::any_of(
            items.begin(), items.end(), [&](const StripItem &i) { return i.chosen && i.entry && i.entry == c; });
        if (!chosen)
            kept.append(c);
    }
    return kept;
}

QList<qsizetype> StripPlan::chosenChunks() const
{
    QList<qsizetype> chunks;
    for (const StripItem &i : items) {
        if (i.chosen && i.kind == StripItem::Kind::Chunk)
            chunks.append(i.chunk);
    }
    return chunks;
}

QList<QPair<QByteArray, QByteArray>> StripPlan::chunkContents(const PNGSource &source, const QList<qsizetype> &chunks)
{
    QList<QPair<QByteArray, QByteArray>> contents;
    for (qsizetype index : chunks) {
        if (index < 0 || size_t(index) >= source.chunks.size())
            continue;
        const PngChunk &c = source.chunks[size_t(index)];
        contents.append({ c.type, QByteArray(source.payload(c), c.length) });
    }
    return contents;
}
