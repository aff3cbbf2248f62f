#pragma once

#include <QString>

// The application's user-visible texts, looked up by key ("ImageSize", "None", …) in
// one table of English texts behind Qt's translation system. An unknown key gives the
// key itself.
QString localizedString(const char *key);
