#pragma once

#include "core/PNGComment.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

struct PNGFile;
struct PNGSource;

// What a removal of metadata takes away from a PNG file: what describes how, where and by
// whom the picture was made. Every text entry (the XMP packet included), Exif (eXIf), the
// modification time (tIME), GIF application data and text (gIFx, gIFt), and every private
// or unknown ancillary chunk; content credentials (caBX) only when asked, since removing
// them breaks the picture's provenance. Everything that shapes the picture stays, byte for
// byte and in its place: the critical chunks, transparency, the colour chunks (gAMA, cHRM,
// sRGB, iCCP, cICP, mDCV, cLLI, sBIT), bKGD, pHYs, an animation's acTL, fcTL and fdAT, and
// the other chunks the PNG standard registers (hIST, sPLT, oFFs, pCAL, sCAL, sTER, dSIG).
struct StripRules
{
    QStringList keepKeywords; // text entries with one of these keywords stay (exact)
    QList<QByteArray> keepChunkTypes; // chunks of these types stay (text chunks too)
    bool credentials = false; // content credentials go too
    // Private and unknown chunks (and GIF application data and text) go too; without it a
    // removal takes only text entries, eXIf, tIME and (when asked) content credentials.
    bool otherChunks = true;

    // Whether a chunk type is metadata that a removal can take away at all.
    static bool isRemovableType(const QByteArray &type);
    // Whether these rules remove a text entry standing in a chunk of that type.
    bool removesEntry(const QString &keyword, const QByteArray &chunkType) const;
    // Whether these rules remove a chunk of that type that is not a text entry.
    bool removesChunk(const QByteArray &type) const;
    // Four letters, as a chunk type must be.
    static bool isChunkType(const QString &type);
};

// The kinds of metadata a window offers to remove, each on a check box: every text entry,
// the XMP packet among them, Exif, the modification time, other (private and unknown)
// chunks, and content credentials (off at first). Without text entries the XMP packet stays
// too.
struct StripChoices
{
    bool textEntries = true;
    bool xmp = true;
    bool exif = true;
    bool time = true;
    bool otherChunks = true;
    bool credentials = false;

    StripRules rules() const;
};

// One thing a removal can take away: a text entry or a chunk.
struct StripItem
{
    enum class Kind { TextEntry, Chunk };
    Kind kind = Kind::Chunk;
    QString keyword; // text entries
    QByteArray type; // the chunk's type (tEXt, zTXt or iTXt for an entry)
    qint64 size = 0; // bytes of the whole chunk
    QString description; // what it gives away, plainly: the prompt, the GPS position, …
    bool chosen = false; // removed (the rules say so, or the user ticked it)
    CommentPtr entry; // a text entry: the entry itself
    qsizetype chunk = -1; // a chunk: its index in the chunks of the file as read
};

// What a removal would take from one file: every text entry (in list order), then every
// removable chunk of the file as read (in file order, damaged ones too: a text chunk whose
// CRC is wrong still holds its text), each chosen as the rules say. A
// window shows the items with check boxes and applies the chosen ones; a batch applies them
// as they are.
class StripPlan
{
public:
    enum class Descriptions { Yes, No };

    // entries: the file's text entries now; source: the file as read (may be null: then only
    // entries); leftOut: chunk indices already set to go, which are not offered again.
    // Descriptions cost a parse of the Exif, XMP and generation settings; a batch does
    // without.
    static StripPlan make(const CommentList &entries, const PNGSource *source, const StripRules &rules,
        Descriptions descriptions = Descriptions::Yes, const QList<qsizetype> &leftOut = {});

    // Applies the plan the rules make to a file read (PNGFile): the chosen entries leave
    // file.comments, the chosen chunks are left out of its save; returns the plan.
    static StripPlan applyTo(PNGFile &file, const StripRules &rules, Descriptions descriptions = Descriptions::No);

    QList<StripItem> items;

    bool removesAnything() const;
    // The entries that stay: entries without the chosen ones.
    CommentList keptEntries(const CommentList &entries) const;
    // The chosen chunks' indices.
    QList<qsizetype> chosenChunks() const;
    // The chosen chunks of source as type and payload, as a save leaves them out
    // (PNGWriteOptions::leftOutChunks).
    static QList<QPair<QByteArray, QByteArray>> chunkContents(const PNGSource &source, const QList<qsizetype> &chunks);
};
