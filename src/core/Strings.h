#pragma once

#include <QString>

// The application's user-visible texts, looked up by key ("ImageSize", "None", …) in
// one table of English texts behind Qt's translation system. An unknown key gives the
// key itself.
QString localizedString(const char *key);

// A reason ("the file is truncated") as a sentence of its own: a capital first letter and a
// full stop at the end.
QString asSentence(const QString &reason);
