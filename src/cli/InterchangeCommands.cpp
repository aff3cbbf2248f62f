// export and import: a file's entries to and from velmx and delimited-text files.
#include "cli/CliCommand.h"
#include "cli/CliContext.h"
#include "cli/CliOptions.h"
#include "interchange/CommentListAdapter.h"
#include "interchange/MetadataFormats.h"

namespace {

const QString kSeparatorProblem = QStringLiteral("the separator is one character, \"tab\" or \"space\"");

int exportEntries(CliContext &ctx, const CliOptions &options)
{
    const QString command = QStringLiteral("export");
    QChar separator;
    if (!separatorOption(options, &separator))
        return ctx.usage(command, kSeparatorProblem);
    if (options.operands().size() != 2)
        return ctx.usage(command, QStringLiteral("give a PNG file and the file to write"));
    const QString out = options.operands().at(1);
    if (metadataFormatForPath(out) == MetadataFormat::Unknown)
        return ctx.usage(command, QStringLiteral("the file to write must end in %1").arg(metadataFormatSuffixes()));
    CliFile file;
    if (!ctx.load(options.operands().at(0), file, CliContext::Pixels::Skip))
        return CliStatus::Failed;
    CommentListAdapter target(file.comments);
    QString error;
    if (!exportMetadataFile(target, out, separator, &error)) {
        ctx.fileFailed(out, error);
        return CliStatus::Failed;
    }
    return CliStatus::Ok;
}

int importEntries(CliContext &ctx, const CliOptions &options)
{
    const QString command = QStringLiteral("import");
    QChar separator;
    if (!separatorOption(options, &separator))
        return ctx.usage(command, kSeparatorProblem);
    if (options.operands().size() != 2)
        return ctx.usage(command, QStringLiteral("give a PNG file and the metadata file to read"));
    const QString in = options.operands().at(1);
    CliFile file;
    if (!ctx.load(options.operands().at(0), file, CliContext::Pixels::Decode))
        return CliStatus::Failed;
    if (options.isSet(QStringLiteral("--clear")))
        file.comments.clear();
    CommentListAdapter target(file.comments, &file.info);
    QString error;
    if (!importMetadataFile(target, in, separator, options.isSet(QStringLiteral("--replace")), &error)) {
        ctx.fileFailed(in, error);
        return CliStatus::Failed; // nothing was written
    }
    return ctx.save(file) ? CliStatus::Ok : CliStatus::Failed;
}

const QString kSeparatorHelp
    = QStringLiteral("  --separator C                 The delimited-text separator: one character, \"tab\" or\n"
                     "                                \"space\" (default: comma).\n");

} // namespace

QList<CliCommand> interchangeCommands()
{
    return {
        { QStringLiteral("export"), QStringLiteral("[--separator C] FILE OUT"),
            QStringLiteral("Writes FILE's entries to OUT in the metadata format its\n"
                           "suffix names (%1; .velmx is XML, .csv delimited text).")
                .arg(metadataFormatSuffixes()),
            kSeparatorHelp, {}, { QStringLiteral("--separator") }, exportEntries },
        { QStringLiteral("import"), QStringLiteral("[--replace] [--clear] [--separator C] FILE IN"),
            QStringLiteral("Adds the entries of IN (%1) to FILE. --clear\n"
                           "first removes FILE's entries; --replace removes entries\n"
                           "with the same keyword as an imported one. Macros in the\n"
                           "imported texts are expanded against FILE.")
                .arg(metadataFormatSuffixes()),
            QStringLiteral("  --clear                       Remove FILE's entries first.\n"
                           "  --replace                     Remove FILE's entries with an imported keyword.\n")
                + kSeparatorHelp,
            { QStringLiteral("--replace"), QStringLiteral("--clear") }, { QStringLiteral("--separator") },
            importEntries },
    };
}
