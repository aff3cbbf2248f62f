#pragma once

#include "core/PNGRows.h"
#include "core/PNGinfo.h"

#include <QByteArray>
#include <QString>

// The PNG library's writer: a complete PNG file, without text chunks, made from the record
// and either the rows (re-encoded) or, with keepImageData, the compressed image data of the
// file the rows were read from. The record's chunks are written in the library's order;
// with re-encoded image data, chunks that the PNG standard marks unsafe to copy and that
// are not registered are left out.
//
// Used where there is no file to splice into (the record was changed, or it was never
// read from a file) and to encode image data. The caller has checked the record for
// consistency (its sizes agree). False with *error set when the library fails; may throw
// std::bad_alloc.
bool writeRecordPNG(const PNGinfo &info, const PNGRows &rows, bool keepImageData, QByteArray *out, QString *error);

// Standard chunks whose meaning does not depend on how the image data is compressed.
bool isRegisteredChunk(const QByteArray &type);
