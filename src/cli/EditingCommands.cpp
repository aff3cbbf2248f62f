// set, remove and clear: change one file's text entries and save it in place.
#include "cli/CliCommand.h"
#include "cli/CliContext.h"
#include "cli/CliOptions.h"
#include "core/TextEntryEdit.h"

namespace {

// Reads path, applies the edit and saves the file.
int edit(CliContext &ctx, const QString &path, const TextEntryEdit &edit)
{
    CliFile file;
    if (!ctx.load(path, file, CliContext::Pixels::Decode))
        return CliStatus::Failed;
    QString error;
    if (!edit.apply(file.comments, file.info, &error)) {
        ctx.fileFailed(path, error);
        return CliStatus::Failed;
    }
    return ctx.save(file) ? CliStatus::Ok : CliStatus::Failed;
}

// The command's file and the edit made of the operands after it, at least one of them;
// make fills the edit and says whether the operands were well formed.
template <typename Make>
int editFile(CliContext &ctx, const CliOptions &options, const QString &command, const QString &need, Make make)
{
    QStringList args = options.operands();
    if (args.size() < 2)
        return ctx.usage(command, need);
    const QString path = args.takeFirst();
    TextEntryEdit change;
    if (!make(args, change))
        return ctx.usage(command, QStringLiteral("give entries as KEY=TEXT"));
    return edit(ctx, path, change);
}

int set(CliContext &ctx, const CliOptions &options)
{
    return editFile(ctx, options, QStringLiteral("set"), QStringLiteral("give a file and at least one KEY=TEXT"),
        [&](const QStringList &args, TextEntryEdit &change) {
            change.replace = options.isSet(QStringLiteral("--replace"));
            return keyTextPairs(args, &change.set);
        });
}

int remove(CliContext &ctx, const CliOptions &options)
{
    return editFile(ctx, options, QStringLiteral("remove"), QStringLiteral("give a file and at least one keyword"),
        [](const QStringList &args, TextEntryEdit &change) {
            change.remove = args;
            return true;
        });
}

int clear(CliContext &ctx, const CliOptions &options)
{
    if (options.operands().size() != 1)
        return ctx.usage(QStringLiteral("clear"), QStringLiteral("give exactly one file"));
    TextEntryEdit change;
    change.clear = true;
    return edit(ctx, options.operands().first(), change);
}

} // namespace

QList<CliCommand> editingCommands()
{
    return {
        { QStringLiteral("set"), QStringLiteral("[--replace] FILE KEY=TEXT..."),
            QStringLiteral("Appends entries; with --replace first removes the entries\n"
                           "with the same keyword. Texts may hold macros (%FILENAME%,\n"
                           "%DATE%, %WIDTH% ...), expanded against FILE."),
            QStringLiteral("  --replace                     Remove the entries with the same keyword first.\n"),
            { QStringLiteral("--replace") }, {}, set },
        { QStringLiteral("remove"), QStringLiteral("FILE KEY..."),
            QStringLiteral("Removes every entry with one of the keywords. Put -- before\n"
                           "keywords that start with a dash."),
            {}, {}, {}, remove },
        { QStringLiteral("clear"), QStringLiteral("FILE"), QStringLiteral("Removes every text entry."), {}, {}, {},
            clear },
    };
}
