// presets, templates and apply-template: the user's shared stores.
#include "cli/CliCommand.h"
#include "cli/CliContext.h"
#include "cli/CliOptions.h"
#include "presets/MetadataPresetManager.h"
#include "templates/TemplateApplication.h"
#include "templates/TemplateFolder.h"

#include <QTextStream>

namespace {

int presets(CliContext &ctx, const CliOptions &options)
{
    if (!options.operands().isEmpty())
        return ctx.usage(QStringLiteral("presets"), QStringLiteral("takes no arguments"));
    MetadataPresetManager presets;
    presets.loadMetaDataPresets();
    for (const QString &title : presets.presetMenuTitles())
        ctx.out << title << "\n";
    return CliStatus::Ok;
}

int templates(CliContext &ctx, const CliOptions &options)
{
    if (!options.operands().isEmpty())
        return ctx.usage(QStringLiteral("templates"), QStringLiteral("takes no arguments"));
    for (const QString &name : templateNames(loadTemplateFolder(Template::templatesDirectory())))
        ctx.out << name << "\n";
    return CliStatus::Ok;
}

int applyTemplate(CliContext &ctx, const CliOptions &options)
{
    const QStringList &args = options.operands();
    if (args.size() < 2)
        return ctx.usage(
            QStringLiteral("apply-template"), QStringLiteral("give a template name and at least one file"));
    const TemplatePtr chosen = templateWithName(loadTemplateFolder(Template::templatesDirectory()), args.first());
    if (!chosen) {
        ctx.err << "velmora-cli: no template named '" << args.first() << "'\n";
        return CliStatus::Failed;
    }
    int status = CliStatus::Ok;
    for (const QString &path : args.mid(1)) {
        CliFile file;
        if (!ctx.load(path, file, CliContext::Pixels::Decode)) {
            status = CliStatus::Failed;
            continue;
        }
        applyTemplate(*chosen, file.comments, &file.info);
        if (!ctx.save(file))
            status = CliStatus::Failed;
    }
    return status;
}

} // namespace

QList<CliCommand> storeCommands()
{
    return {
        { QStringLiteral("presets"), QString(), QStringLiteral("The preset list, one display text per line, in order."),
            {}, {}, {}, presets },
        { QStringLiteral("templates"), QString(), QStringLiteral("The template names, one per line."), {}, {}, {},
            templates },
        { QStringLiteral("apply-template"), QStringLiteral("NAME FILE..."),
            QStringLiteral("Applies the template to each file as a document window\n"
                           "does (its clear and overwrite flags, macros expanded\n"
                           "against each file) and saves the file."),
            {}, {}, {}, applyTemplate },
    };
}
