#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>

struct PNGinfo;

// Expands the text macros (%DATE%, %FILENAME%, %WIDTH% …) of text against an image
// record. A null or empty text gives "". The date and time are read afresh for every
// occurrence.
QString processedTextForPNG(const QString &text, const PNGinfo &info);

// The ten macro names, in the order they are offered and expanded.
const QStringList &macroNames();

// The user's full name (the account's real name, else the login name).
QString fullUserName();

// Tests replace the clock that %DATE% and %DATETIME% read; an empty function restores it.
void setMacroClock(std::function<QDateTime()> clock);
