#pragma once

#include "TestSupport.h"

#include <QtEndian>
#include <QtTest>

// Crafted files holding every kind of chunk a save must keep, each where the PNG standard
// lets it stand: shared by the lossless-save tests and the peer-tool checks.
namespace ChunkVariety {

using namespace TestSupport;

// Every chunk of a file but the text chunks, in order.
inline std::vector<RawChunk> nonTextChunks(const QByteArray &png)
{
    std::vector<RawChunk> result = chunksOf(png);
    std::erase_if(result, [](const RawChunk &c) { return isTextChunk(QString::fromLatin1(c.type)); });
    return result;
}

inline QByteArray palette256()
{
    QByteArray p;
    for (int i = 0; i < 256; ++i)
        p += QByteArray(1, char(i)) + char(255 - i) + char(i / 2);
    return p;
}

// One row per file in the current data table, whose columns are "png" (QByteArray) and
// "texts" (QStringList: the entries as "keyword=text", in order).
inline void addRows()
{

    QTest::newRow("private chunks around PLTE and IDAT, text after IDAT")
        << buildPng({ ihdr(16, 16, 8, 3), chunk("prIv", "before PLTE"), chunk("PLTE", palette256()),
               chunk("prIw", "before IDAT"), tEXt("Title", "first"), idat(16, 16, 1), chunk("prIx", "after IDAT"),
               tEXt("Late", "after the image"), zTXt("LateZ", "compressed, after"), iend() })
        << QStringList { "Title=first", "Late=after the image", "LateZ=compressed, after" };
    QTest::newRow("iTXt with language tag, eXIf, oFFs, pCAL, sTER, sPLT") << simplePng(16, 8,
        { chunk("eXIf", QByteArray("MM\0*\0\0\0\x08\0\0", 10)), chunk("oFFs", QByteArray(9, '\x01')),
            chunk("pCAL",
                QByteArray("cal\0"
                           "\0\0\0\0"
                           "\0\0\0\x0a"
                           "\0\x02"
                           "m\0"
                           "1.0\0"
                           "2.0",
                    23)),
            chunk("sTER", QByteArray(1, 0)), chunk("sPLT", QByteArray("pal\0\x08\x01\x02\x03\x04\0\x05", 11)),
            iTXt("Title", "fr", "Titre", "Caf\xc3\xa9") },
        { tEXt("Comment", "after") }) << QStringList { QString::fromUtf8("Title=Café"), "Comment=after" };
    QTest::newRow("tRNS of a truecolour image and a suggested palette") << simplePng(8, 8,
        { chunk("PLTE", palette256().left(30)), chunk("tRNS", QByteArray("\0\x01\0\x02\0\x03", 6)), tEXt("A", "b") })
                                                                        << QStringList { "A=b" };
    // The library would write a gAMA that disagrees with sRGB as sRGB's gamma, and a
    // scale in its own spelling: both must come back as the file had them.
    QByteArray chrm; // the sRGB primaries
    for (quint32 v : { 31270u, 32900u, 64000u, 33000u, 30000u, 60000u, 15000u, 6000u }) {
        char b[4];
        qToBigEndian(v, b);
        chrm.append(b, 4);
    }
    QTest::newRow("gAMA disagreeing with sRGB, sCAL in exponent form, cHRM") << simplePng(8, 8,
        { chunk("sRGB", QByteArray(1, 0)), chunk("cHRM", chrm), chunk("gAMA", QByteArray("\0\x01\x86\xa0", 4)),
            chunk("sCAL",
                QByteArray("\x01"
                           "1.000e2\0"
                           "0.50",
                    13)) }) << QStringList {};
    QTest::newRow("tRNS of a greyscale image, tIME after IDAT")
        << buildPng({ ihdr(8, 8, 8, 0), chunk("tRNS", QByteArray("\0\x07", 2)), idat(8, 8, 1),
               chunk("tIME", QByteArray("\x07\xd0\x01\x02\x03\x04\x05", 7)), iend() })
        << QStringList {};
}

} // namespace ChunkVariety
