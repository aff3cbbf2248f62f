#include "app/AppController.h"
#include "app/AppTranslations.h"
#include "core/Strings.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>
#include <QLocale>

namespace {

void describe(QCommandLineParser &parser)
{
    parser.setApplicationDescription(localizedString("CommandLineDescription"));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(localizedString("CommandLineFile"), localizedString("CommandLineFiles"),
        localizedString("CommandLineFilesSyntax"));
}

void nameApplication()
{
    QCoreApplication::setApplicationName(QStringLiteral("Velmora"));
    QCoreApplication::setOrganizationName(QStringLiteral("Velmora"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELMORA_VERSION));
}

} // namespace

int main(int argc, char *argv[])
{
    // --help and --version answer without a display.
    {
        QStringList arguments;
        for (int i = 0; i < argc; ++i)
            arguments << QString::fromLocal8Bit(argv[i]);
        QCommandLineParser probe;
        describe(probe);
        if (probe.parse(arguments) && (probe.isSet(QStringLiteral("help")) || probe.isSet(QStringLiteral("version")))) {
            QCoreApplication core(argc, argv);
            nameApplication();
            // The help in the user's language, as the windows.
            AppTranslations::install(QLocale::system());
            QCommandLineParser parser;
            describe(parser);
            parser.process(core); // prints and exits
        }
    }

    QApplication app(argc, argv);
    nameApplication();
    // The user's language where Velmora has a catalogue for it, else English.
    AppTranslations::install(QLocale::system());
    // The launcher entry and the icon installed with it (the theme's, else our own copy).
    QGuiApplication::setDesktopFileName(QStringLiteral("org.velmora.Velmora"));
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("org.velmora.Velmora"), QIcon(QStringLiteral(":/icons/velmora.png"))));
    QCommandLineParser parser;
    describe(parser);
    parser.process(app);

    AppController controller;
    // No empty document: without files the start window offers what to do. The
    // application ends when its last window closes.
    if (controller.openFiles(parser.positionalArguments()).isEmpty())
        controller.showStartWindow();
    return app.exec();
}
