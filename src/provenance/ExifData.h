#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

#include <optional>

// A position on the earth as GPS data give it: degrees north and east (south and west
// negative), and the altitude in metres when given.
struct GpsPosition
{
    double latitude = 0;
    double longitude = 0;
    std::optional<double> altitude;

    // "51.50074° N, 0.12780° W, 35 m"
    QString text() const;
};

// The main fields of an Exif block (the payload of an eXIf chunk: a TIFF structure):
// camera, lens, dates, software, people, and the GPS position.
//
// The structure is hostile input: both byte orders are read, every offset and count is
// checked against the block before use, IFDs already read are never read again (a chain
// that loops ends there) and at most a few IFDs are followed. A field whose value is
// malformed is left out; the others are still read.
struct ExifData
{
    // The fields found, labelled for people ("Camera make", "Date taken", …), in a fixed
    // order; the GPS position is not among them.
    QList<QPair<QString, QString>> fields;
    std::optional<GpsPosition> gps;
    // A GPS IFD was present, whether or not it held a position that could be read.
    bool hasGpsData = false;

    QString value(const QString &label) const;

    // Reads a TIFF structure. False with *error set when it has no valid TIFF header or its
    // first IFD lies outside it.
    static bool read(const QByteArray &tiff, ExifData *out, QString *error = nullptr);
};
