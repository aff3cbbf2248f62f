#include "core/Strings.h"

#include <QCoreApplication>
#include <QHash>

namespace {

struct Entry
{
    const char *key;
    const char *text;
};

// Every user-visible text of the application, by key. Format texts take Qt's %1, %2 …
const Entry kStrings[] = {
    { "ImageLoadFailed", QT_TRANSLATE_NOOP("Velmora", "The image could not be loaded.") },
    { "ImageSize", QT_TRANSLATE_NOOP("Velmora", "Size: %1 × %2 pixels") },
    { "ImageBitDepth", QT_TRANSLATE_NOOP("Velmora", "Bit depth: %1") },
    { "ColourFormat", QT_TRANSLATE_NOOP("Velmora", "Colour format: %1") },
    { "Interlaced", QT_TRANSLATE_NOOP("Velmora", "Interlace: %1") },
    { "PhysicalSizeMM", QT_TRANSLATE_NOOP("Velmora", "Physical size: %1 × %2 mm") },
    { "PhysicalSizeInch", QT_TRANSLATE_NOOP("Velmora", "Physical size: %1 × %2 inches") },
    { "PhysicalSizeUnknown", QT_TRANSLATE_NOOP("Velmora", "Physical size: unknown") },
    { "Greyscale", QT_TRANSLATE_NOOP("Velmora", "Greyscale") },
    { "GreyscaleAlpha", QT_TRANSLATE_NOOP("Velmora", "Greyscale with alpha") },
    { "Palette", QT_TRANSLATE_NOOP("Velmora", "Palette") },
    { "RGB", QT_TRANSLATE_NOOP("Velmora", "RGB") },
    { "RGBA", QT_TRANSLATE_NOOP("Velmora", "RGB with alpha") },
    { "None", QT_TRANSLATE_NOOP("Velmora", "None") },
    { "Adam7", QT_TRANSLATE_NOOP("Velmora", "Adam7") },
    { "Unknown", QT_TRANSLATE_NOOP("Velmora", "Unknown") },
    { "ProcessingComplete", QT_TRANSLATE_NOOP("Velmora", "Processing complete") },
    { "FilesSuccessfullyProcessed", QT_TRANSLATE_NOOP("Velmora", "%1 files were successfully processed.") },
    { "OK", QT_TRANSLATE_NOOP("Velmora", "OK") },
    { "RestorePresetsQuery", QT_TRANSLATE_NOOP("Velmora", "Restore the default presets?") },
    { "LosePresetsWarning", QT_TRANSLATE_NOOP("Velmora", "Your own presets will be lost.") },
    { "Continue", QT_TRANSLATE_NOOP("Velmora", "Continue") },
    { "Cancel", QT_TRANSLATE_NOOP("Velmora", "Cancel") },
    { "IllegalCharactersInName",
        QT_TRANSLATE_NOOP(
            "Velmora", "A template name cannot contain \"/\" or \"\\\", and cannot be \".\" or \"..\".") },
    { "ChooseUniqueName",
        QT_TRANSLATE_NOOP("Velmora", "A template with this name exists already. Please choose another name.") },
    { "SureDeleteTemplate", QT_TRANSLATE_NOOP("Velmora", "Are you sure you want to delete this template?") },
    // Document windows.
    { "KeywordColumn", QT_TRANSLATE_NOOP("Velmora", "Keyword") },
    { "TextColumn", QT_TRANSLATE_NOOP("Velmora", "Text") },
    { "SearchKeywords", QT_TRANSLATE_NOOP("Velmora", "Search keywords") },
    { "AddComment", QT_TRANSLATE_NOOP("Velmora", "Add Comment") },
    { "RemoveComment", QT_TRANSLATE_NOOP("Velmora", "Remove Comment") },
    { "MenuFile", QT_TRANSLATE_NOOP("Velmora", "&File") },
    { "MenuEdit", QT_TRANSLATE_NOOP("Velmora", "&Edit") },
    { "MenuComments", QT_TRANSLATE_NOOP("Velmora", "&Comments") },
    { "MenuOpen", QT_TRANSLATE_NOOP("Velmora", "&Open…") },
    { "MenuClose", QT_TRANSLATE_NOOP("Velmora", "&Close") },
    { "MenuSave", QT_TRANSLATE_NOOP("Velmora", "&Save") },
    { "MenuSaveAs", QT_TRANSLATE_NOOP("Velmora", "Save &As…") },
    { "MenuRevert", QT_TRANSLATE_NOOP("Velmora", "&Revert to Saved") },
    { "MenuQuit", QT_TRANSLATE_NOOP("Velmora", "&Quit") },
    { "MenuCut", QT_TRANSLATE_NOOP("Velmora", "Cu&t") },
    { "MenuCopy", QT_TRANSLATE_NOOP("Velmora", "&Copy") },
    { "MenuPaste", QT_TRANSLATE_NOOP("Velmora", "&Paste") },
    { "MenuDelete", QT_TRANSLATE_NOOP("Velmora", "&Delete") },
    { "MenuDeleteAll", QT_TRANSLATE_NOOP("Velmora", "Delete &All") },
    { "MenuFind", QT_TRANSLATE_NOOP("Velmora", "&Find") },
    { "OpenImages", QT_TRANSLATE_NOOP("Velmora", "Open PNG Images") },
    { "SaveImageAs", QT_TRANSLATE_NOOP("Velmora", "Save PNG Image As") },
    { "PngFileFilter", QT_TRANSLATE_NOOP("Velmora", "PNG images (*.png *.PNG)") },
    { "SaveChangesQuery", QT_TRANSLATE_NOOP("Velmora", "Do you want to save the changes made to \"%1\"?") },
    { "SaveChangesInfo", QT_TRANSLATE_NOOP("Velmora", "Your changes will be lost if you don't save them.") },
    { "SaveFailed", QT_TRANSLATE_NOOP("Velmora", "The document \"%1\" could not be saved.") },
    { "SaveFailedReason", QT_TRANSLATE_NOOP("Velmora", "Reason: %1 (%2 error %3)") },
};

} // namespace

QString localizedString(const char *key)
{
    static const QHash<QByteArray, const char *> table = [] {
        QHash<QByteArray, const char *> t;
        for (const Entry &e : kStrings)
            t.insert(QByteArray(e.key), e.text);
        return t;
    }();
    const auto it = table.constFind(QByteArray(key));
    if (it == table.constEnd())
        return QString::fromUtf8(key);
    return QCoreApplication::translate("Velmora", it.value());
}
