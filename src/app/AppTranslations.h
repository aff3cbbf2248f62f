#pragma once

#include <QLocale>
#include <QString>

// The application's language: Velmora's own catalogue for a locale (embedded in the
// program, or installed in share/velmora/translations for a language added later) and Qt's
// for its standard dialogs and buttons. A language without a catalogue of Velmora's, and
// the C locale, give English throughout; English plural forms ("1 file") always come from
// the embedded velmora_en catalogue.
class AppTranslations
{
public:
    // Installs the catalogues for locale into the running application, replacing those an
    // earlier call installed. Returns the language of the catalogue found ("de"), empty for
    // English.
    static QString install(const QLocale &locale);
    // Where installed catalogues are looked for before the embedded ones.
    static QString installedFolder();
};
