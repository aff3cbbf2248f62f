// set, remove and clear: change one file's text entries and save it in place.
#include "cli/CliCommand.h"
#include "cli/CliContext.h"
#include "cli/CliOptions.h"
#include "core/TextMacros.h"

namespace {

int set(CliContext &ctx, const CliOptions &options)
{
    QStringList args = options.operands();
    if (args.size() < 2)
        return ctx.usage(QStringLiteral("set"), QStringLiteral("give a file and at least one KEY=TEXT"));
    const QString path = args.takeFirst();
    QList<QPair<QString, QString>> entries;
    if (!keyTextPairs(args, &entries))
        return ctx.usage(QStringLiteral("set"), QStringLiteral("give entries as KEY=TEXT"));
    CliFile file;
    if (!ctx.load(path, file, CliContext::Pixels::Decode))
        return CliStatus::Failed;
    const bool replace = options.isSet(QStringLiteral("--replace"));
    for (const auto &[key, text] : entries) {
        if (replace)
            removeCommentsWithKeyword(file.comments, PNGComment::truncatedKeyword(key));
        auto comment = std::make_shared<PNGComment>();
        comment->setKeyword(key);
        comment->setText(processedTextForPNG(text, file.info));
        file.comments.append(comment);
    }
    return ctx.save(file) ? CliStatus::Ok : CliStatus::Failed;
}

int remove(CliContext &ctx, const CliOptions &options)
{
    QStringList args = options.operands();
    if (args.size() < 2)
        return ctx.usage(QStringLiteral("remove"), QStringLiteral("give a file and at least one keyword"));
    const QString path = args.takeFirst();
    CliFile file;
    if (!ctx.load(path, file, CliContext::Pixels::Decode))
        return CliStatus::Failed;
    for (const QString &key : std::as_const(args))
        removeCommentsWithKeyword(file.comments, key);
    return ctx.save(file) ? CliStatus::Ok : CliStatus::Failed;
}

int clear(CliContext &ctx, const CliOptions &options)
{
    if (options.operands().size() != 1)
        return ctx.usage(QStringLiteral("clear"), QStringLiteral("give exactly one file"));
    CliFile file;
    if (!ctx.load(options.operands().first(), file, CliContext::Pixels::Decode))
        return CliStatus::Failed;
    file.comments.clear();
    return ctx.save(file) ? CliStatus::Ok : CliStatus::Failed;
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
