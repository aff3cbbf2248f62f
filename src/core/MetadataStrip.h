#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

struct PNGFile;

// One thing a strip removes from a PNG file: a text entry (its chunk type and keyword) or a
// chunk (its type, no keyword), with the size of its chunk in the file.
struct StrippedItem
{
    QByteArray chunkType;
    QString keyword;
    qint64 size = 0;
    bool operator==(const StrippedItem &) const = default;
};

// Removes from file what a strip removes, apart from the entries whose keyword is in keep,
// and returns what went, in file order. What a strip removes is decided here and only here
// (velmora-cli and the library both call this): every text entry. Everything else, and the
// image data byte for byte, is kept.
QList<StrippedItem> stripMetadata(PNGFile &file, const QStringList &keep);
