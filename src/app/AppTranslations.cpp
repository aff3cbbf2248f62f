#include "app/AppTranslations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QList>
#include <QPointer>
#include <QTranslator>

namespace {

QList<QPointer<QTranslator>> &installed()
{
    static QList<QPointer<QTranslator>> translators;
    return translators;
}

// Loads a catalogue (by locale, or by its file name when locale is null) from the first
// folder that has it and installs it; false when none has.
bool installCatalogue(const QString &name, const QLocale *locale, const QStringList &folders)
{
    auto *translator = new QTranslator(QCoreApplication::instance());
    for (const QString &folder : folders) {
        const bool loaded
            = locale ? translator->load(*locale, name, QStringLiteral("_"), folder) : translator->load(name, folder);
        if (loaded && QCoreApplication::installTranslator(translator)) {
            installed().append(translator);
            return true;
        }
    }
    delete translator;
    return false;
}

} // namespace

QString AppTranslations::installedFolder()
{
    return QDir(QCoreApplication::applicationDirPath())
        .absoluteFilePath(QStringLiteral("../share/velmora/translations"));
}

QString AppTranslations::install(const QLocale &locale)
{
    for (const QPointer<QTranslator> &translator : std::as_const(installed()))
        delete translator.data();
    installed().clear();

    const QStringList ours { installedFolder(), QStringLiteral(":/i18n") };
    // The last catalogue installed is asked first: English plurals are the fallback.
    installCatalogue(QStringLiteral("velmora_en"), nullptr, { QStringLiteral(":/i18n") });
    if (locale.language() == QLocale::English || locale.language() == QLocale::C)
        return QString();
    if (!installCatalogue(QStringLiteral("velmora"), &locale, ours))
        return QString();
    // The language found (a locale may name several, LANGUAGE=fr:de); Qt's dialogs speak it
    // only when the rest of the application does.
    const QLocale found(installed().last()->language());
    if (found.language() == QLocale::English)
        return QString();
    installCatalogue(QStringLiteral("qtbase"), &found, { QLibraryInfo::path(QLibraryInfo::TranslationsPath) });
    return QLocale::languageToCode(found.language());
}
