#pragma once

#include <QList>
#include <QString>

// The application's user-visible texts, looked up by key ("ImageSize", "MenuFile", …) in
// one table of English texts behind Qt's translation system. Each text belongs to a
// context (the part of the application that shows it: "Menu", "BatchWindow", …) and, where
// the English word alone is ambiguous, carries a note for translators. An unknown key gives
// the key itself. Without a translator installed (velmora-cli) the texts are English.
QString localizedString(const char *key);
// A text with a count (%n in it), in the form the language uses for that count
// ("1 file", "2 files").
QString localizedString(const char *key, int count);

// One text of the table, as a translation catalogue holds it.
struct StringTableEntry
{
    const char *key = nullptr;
    const char *context = nullptr;
    const char *text = nullptr;
    const char *comment = nullptr;
    bool plural = false;
};
// Every text of the table, in order (for the checks of the catalogues).
const QList<StringTableEntry> &stringTable();

// A reason ("the file is truncated") as a sentence of its own: a capital first letter and a
// full stop at the end.
QString asSentence(const QString &reason);

// Texts made below the windows (the reason a file cannot be read, a chunk's summary) are
// English where they are made, since velmora-cli, the library and the logs show them too.
// Each is made through rememberedText(), which gives its English text and remembers it as
// the source of the texts made from it (by arg()); a window shows such a text through
// shownText(), which finds the sources it was made of and gives it in the user's language,
// its values (a file name, a number, a reason within the reason) as they were. The source
// must stand in a QT_TRANSLATE_NOOP of the same context, where lupdate finds it.
QString rememberedText(const char *context, const char *sourceText);
// A reason, under the context "Reason".
inline QString reasonText(const char *sourceText)
{
    return rememberedText("Reason", sourceText);
}
// A text made of remembered texts, in the user's language; any other text as it is.
QString shownText(const QString &text);
