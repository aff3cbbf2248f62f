#include "cli/Cli.h"

#include "cli/CliCommand.h"
#include "cli/CliContext.h"
#include "cli/CliOptions.h"

#include <QTextStream>

#include <algorithm>

namespace {

const char *const kIntro = R"(Reads and edits the text entries (tEXt, zTXt, iTXt) of PNG files, and shows and removes
the other metadata they carry (Exif, XMP, image generators' settings). A file is only
ever replaced whole, after the new version was written completely; a file that fails is
left as it was. Everything a command does not change is kept, the compressed image data
byte for byte (unless --recompress is given). A FILE given as - is read from standard
input, and a command that changes it writes the new file to standard output (nothing is
written to disk).
)";

const char *const kGlobalOptions
    = R"(  --recompress                  Re-encode the image data instead of keeping it unchanged.
  --                            Ends the options: every argument after it is an operand
                                (a keyword or file name starting with "-").
  -h, --help                    Show this help.
)";

const char *const kMacrosAndStatus = R"(Macros: %DATE% %DATETIME% %FILENAME% %OSUSERNAME% %HEIGHT% %WIDTH% %COLOURTYPE%
        %BITDEPTH% %INTERLACE% %COLOURPROFILE%

Exit status: 0 success, 1 when any file failed (one line per failed file), 2 usage error.
)";

constexpr qsizetype kDescriptionColumn = 32;

QList<CliCommand> allCommands()
{
    return readingCommands() + editingCommands() + interchangeCommands() + batchCommands() + storeCommands();
}

// "  name synopsis" with the description beside it when the head is short enough,
// below it otherwise; continuation lines of the synopsis are indented.
QString commandEntry(const CliCommand &command)
{
    QStringList head = command.synopsis.isEmpty() ? QStringList() : command.synopsis.split(u'\n');
    QString text = QStringLiteral("  ") + command.name;
    if (!head.isEmpty())
        text += u' ' + head.takeFirst();
    for (const QString &line : std::as_const(head))
        text += QStringLiteral("\n        ") + line;
    const QString indent(kDescriptionColumn, u' ');
    const QStringList description = command.description.split(u'\n');
    qsizetype first = 0;
    if (head.isEmpty() && text.size() < kDescriptionColumn) {
        text = text.leftJustified(kDescriptionColumn) + description.first();
        first = 1;
    }
    for (qsizetype i = first; i < description.size(); ++i)
        text += u'\n' + indent + description.at(i);
    return text + u'\n';
}

QString mainHelp(const QList<CliCommand> &commands)
{
    QString text = QStringLiteral("Usage: velmora-cli [--recompress] COMMAND [OPTIONS] ARGS\n"
                                  "       velmora-cli COMMAND --help\n\n");
    text += QString::fromUtf8(kIntro) + QStringLiteral("\nCommands:\n");
    for (const CliCommand &c : commands)
        text += commandEntry(c);
    text += QStringLiteral("\nOptions:\n") + QString::fromUtf8(kGlobalOptions) + u'\n'
        + QString::fromUtf8(kMacrosAndStatus);
    return text;
}

QString commandHelp(const CliCommand &command)
{
    QString synopsis = command.synopsis;
    synopsis.replace(u'\n', QStringLiteral("\n        "));
    QString text = QStringLiteral("Usage: velmora-cli [--recompress] ") + command.name;
    if (!synopsis.isEmpty())
        text += u' ' + synopsis;
    text += QStringLiteral("\n\n") + command.description + QStringLiteral("\n\nOptions:\n") + command.optionHelp
        + QString::fromUtf8(kGlobalOptions) + u'\n' + QString::fromUtf8(kMacrosAndStatus);
    return text;
}

} // namespace

int runCli(const QStringList &arguments, QTextStream &out, QTextStream &err, const CliPipes &pipes)
{
    CliContext ctx(out, err, pipes);
    const QList<CliCommand> commands = allCommands();

    // Options before the command: --recompress, help, or "--" (the next argument is the
    // command, and everything after it an operand).
    qsizetype next = 0;
    bool optionsEnded = false;
    for (; next < arguments.size(); ++next) {
        const QString &a = arguments.at(next);
        if (!a.startsWith(u'-') || a == u"-")
            break;
        if (a == u"--") {
            optionsEnded = true;
            ++next;
            break;
        }
        if (a == u"-h" || a == u"--help") {
            out << mainHelp(commands);
            return CliStatus::Ok;
        }
        if (a != u"--recompress")
            return ctx.usage(QString(), QStringLiteral("unknown option %1").arg(a));
        ctx.recompress = true;
    }
    if (next >= arguments.size())
        return ctx.usage(QString(), QStringLiteral("no command given"));

    const QString name = arguments.at(next);
    const auto command
        = std::find_if(commands.cbegin(), commands.cend(), [&](const CliCommand &c) { return c.name == name; });
    if (command == commands.cend())
        return ctx.usage(QString(), QStringLiteral("unknown command '%1'").arg(name));

    QStringList rest = arguments.mid(next + 1);
    if (optionsEnded)
        rest.prepend(QStringLiteral("--"));
    CliOptions options(command->flags, command->valueOptions);
    options.addFlags({ QStringLiteral("-h"), QStringLiteral("--help"), QStringLiteral("--recompress") });
    const bool parsed = options.parse(rest);
    if (options.isSet(QStringLiteral("-h")) || options.isSet(QStringLiteral("--help"))) {
        out << commandHelp(*command);
        return CliStatus::Ok;
    }
    if (!parsed)
        return ctx.usage(command->name, options.error());
    if (options.isSet(QStringLiteral("--recompress")))
        ctx.recompress = true;
    return command->run(ctx, options);
}
