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
    { "CommentsTable", QT_TRANSLATE_NOOP("Velmora", "Comments") },
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
    { "SavedWithoutEntries",
        QT_TRANSLATE_NOOP("Velmora", "\"%1\" was saved without the entries that a PNG file cannot hold.") },
    { "EntryNotWritable", QT_TRANSLATE_NOOP("Velmora", "This entry cannot be saved: %1.") },
    { "RevertQuery", QT_TRANSLATE_NOOP("Velmora", "Revert \"%1\" to the saved file?") },
    { "RevertInfo", QT_TRANSLATE_NOOP("Velmora", "Your changes will be lost, and they cannot be undone.") },
    { "MenuUndo", QT_TRANSLATE_NOOP("Velmora", "&Undo") },
    { "MenuUndoStep", QT_TRANSLATE_NOOP("Velmora", "&Undo %1") },
    { "MenuRedo", QT_TRANSLATE_NOOP("Velmora", "&Redo") },
    { "MenuRedoStep", QT_TRANSLATE_NOOP("Velmora", "&Redo %1") },
    { "MenuPresets", QT_TRANSLATE_NOOP("Velmora", "&Presets") },
    { "MenuTemplates", QT_TRANSLATE_NOOP("Velmora", "&Templates") },
    { "NoPresets", QT_TRANSLATE_NOOP("Velmora", "No Presets") },
    { "NoTemplates", QT_TRANSLATE_NOOP("Velmora", "No Templates") },
    { "OpenCommentEditor", QT_TRANSLATE_NOOP("Velmora", "Open Comment &Editor") },
    // The comment editor panel.
    { "CommentEditorTitle", QT_TRANSLATE_NOOP("Velmora", "Comment Editor") },
    { "CommentEditorNoComment", QT_TRANSLATE_NOOP("Velmora", "The comment is no longer in the list.") },
    { "KeywordLabel", QT_TRANSLATE_NOOP("Velmora", "&Keyword:") },
    { "TextLabel", QT_TRANSLATE_NOOP("Velmora", "&Text:") },
    { "PresetsButton", QT_TRANSLATE_NOOP("Velmora", "&Presets") },
    { "TemplatesButton", QT_TRANSLATE_NOOP("Velmora", "Templates") },
    { "CloseButton", QT_TRANSLATE_NOOP("Velmora", "Close") },
    // Steps of the undo history, named in the Edit menu ("Undo Delete All").
    { "StepAddComment", QT_TRANSLATE_NOOP("Velmora", "Add Comment") },
    { "StepAddComments", QT_TRANSLATE_NOOP("Velmora", "Add Comments") },
    { "StepRemoveComments", QT_TRANSLATE_NOOP("Velmora", "Remove Comments") },
    { "StepDelete", QT_TRANSLATE_NOOP("Velmora", "Delete") },
    { "StepDeleteAll", QT_TRANSLATE_NOOP("Velmora", "Delete All") },
    { "StepCut", QT_TRANSLATE_NOOP("Velmora", "Cut") },
    { "StepPaste", QT_TRANSLATE_NOOP("Velmora", "Paste") },
    { "StepDrop", QT_TRANSLATE_NOOP("Velmora", "Drop") },
    { "StepMove", QT_TRANSLATE_NOOP("Velmora", "Move Comments") },
    { "StepEditKeyword", QT_TRANSLATE_NOOP("Velmora", "Edit Keyword") },
    { "StepEditText", QT_TRANSLATE_NOOP("Velmora", "Edit Text") },
    { "StepImport", QT_TRANSLATE_NOOP("Velmora", "Import") },
    { "StepAddPreset", QT_TRANSLATE_NOOP("Velmora", "Add Preset") },
    { "StepApplyPreset", QT_TRANSLATE_NOOP("Velmora", "Apply Preset") },
    { "StepApplyTemplate", QT_TRANSLATE_NOOP("Velmora", "Apply Template") },
    { "StepRemoveUnnamed", QT_TRANSLATE_NOOP("Velmora", "Remove Comments Without Keyword") },
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
