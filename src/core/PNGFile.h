#pragma once

#include "core/PNGComment.h"
#include "core/PNGRows.h"
#include "core/PNGinfo.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

// A PNG file opened to read or change its text entries: how velmora-cli and the library
// (libvelmora) read, refuse and save a file, in one place.
//
// Pixels::Decode decodes every row, which checks the image data: a file that will be written
// is read so, and a damaged image is refused before anything is written. Pixels::Skip reads the
// chunks only (every CRC, the header), so that an image of any size, or with damaged image
// data, can be listed.
struct PNGFile
{
    PNGinfo info;
    PNGRows rows;
    CommentList comments;
    // Chunks of the file read that a save leaves out, by type and payload
    // (PNGWriteOptions::leftOutChunks).
    QList<QPair<QByteArray, QByteArray>> leftOutChunks;

    enum class Pixels { Skip, Decode };

    // Reads the file at path. False with the reason (the record is then empty).
    bool read(const QString &path, Pixels pixels, QString *error);
    // Reads the bytes of a PNG file held in memory; name stands for the file (info.path: what
    // the reasons and %FILENAME% name).
    bool readBytes(const QByteArray &bytes, const QString &name, Pixels pixels, QString *error);

    // Drops the entries without keyword and saves the file in place, as savePNG() does: the
    // file read is spliced, and replaced only once the new version is complete and on the
    // disk. False with the reason; the file is then as it was.
    bool save(bool recompress, QString *error);
    // The same new file into memory (*out; untouched on failure).
    bool encode(bool recompress, QByteArray *out, QString *error);
};
