#include "core/Strings.h"

#include <QCoreApplication>
#include <QHash>
#include <QMutex>
#include <QRegularExpression>
#include <QSet>

using namespace Qt::StringLiterals;

namespace {

// A text and its note for translators, as QT_TRANSLATE_NOOP3 gives them.
struct Source
{
    const char *text = nullptr;
    const char *comment = nullptr;
};

struct Entry
{
    const char *key = nullptr;
    Source source;
};

// A row without key starts the texts of a context; the context named in each row's
// QT_TRANSLATE_NOOP (where lupdate finds it) must be that one.
constexpr Entry section(const char *context)
{
    return { nullptr, { context, nullptr } };
}

// Every user-visible text of the application, by key. Format texts take Qt's %1, %2 …, a
// count %n (QT_TRANSLATE_N_NOOP). Texts that end up in files (macro values) are not here.
const Entry kStrings[] = {
    // Menus, their items and the commands they share with buttons.
    section("Menu"),
    { "MenuFile", QT_TRANSLATE_NOOP("Menu", "&File") },
    { "MenuOpen", QT_TRANSLATE_NOOP("Menu", "&Open…") },
    { "MenuOpenRecent", QT_TRANSLATE_NOOP("Menu", "Open Recen&t") },
    { "MenuClearRecent", QT_TRANSLATE_NOOP("Menu", "&Clear Menu") },
    { "NoRecentFiles", QT_TRANSLATE_NOOP("Menu", "No Recent Files") },
    { "MenuImportMetadata", QT_TRANSLATE_NOOP("Menu", "&Import Metadata…") },
    { "MenuExportMetadata", QT_TRANSLATE_NOOP("Menu", "&Export Metadata…") },
    { "MenuClose", QT_TRANSLATE_NOOP("Menu", "&Close") },
    { "MenuCloseWindow", QT_TRANSLATE_NOOP("Menu", "&Close Window") },
    { "MenuSave", QT_TRANSLATE_NOOP("Menu", "&Save") },
    { "MenuSaveAs", QT_TRANSLATE_NOOP("Menu", "Save &As…") },
    { "MenuRevert", QT_TRANSLATE_NOOP("Menu", "&Revert to Saved") },
    { "MenuQuit", QT_TRANSLATE_NOOP("Menu", "&Quit") },
    { "MenuEdit", QT_TRANSLATE_NOOP("Menu", "&Edit") },
    { "MenuUndo", QT_TRANSLATE_NOOP("Menu", "&Undo") },
    { "MenuUndoStep", QT_TRANSLATE_NOOP3("Menu", "&Undo %1", "%1 is the step undone, e.g. Delete All") },
    { "MenuRedo", QT_TRANSLATE_NOOP("Menu", "&Redo") },
    { "MenuRedoStep", QT_TRANSLATE_NOOP3("Menu", "&Redo %1", "%1 is the step redone, e.g. Delete All") },
    { "MenuCut", QT_TRANSLATE_NOOP("Menu", "Cu&t") },
    { "MenuCopy", QT_TRANSLATE_NOOP("Menu", "&Copy") },
    { "MenuPaste", QT_TRANSLATE_NOOP("Menu", "&Paste") },
    { "MenuDelete", QT_TRANSLATE_NOOP("Menu", "&Delete") },
    { "MenuDeleteAll", QT_TRANSLATE_NOOP("Menu", "Delete &All") },
    { "MenuDeleteAllShown", QT_TRANSLATE_NOOP("Menu", "Delete &All Shown") },
    { "MenuSelectAll", QT_TRANSLATE_NOOP("Menu", "&Select All") },
    { "MenuFind", QT_TRANSLATE_NOOP("Menu", "&Find") },
    { "MenuComments", QT_TRANSLATE_NOOP("Menu", "&Comments") },
    { "AddComment", QT_TRANSLATE_NOOP("Menu", "&Add Comment") },
    { "RemoveComment", QT_TRANSLATE_NOOP("Menu", "&Remove Comment") },
    { "OpenCommentEditor", QT_TRANSLATE_NOOP("Menu", "Open Comment &Editor") },
    { "MenuPresets", QT_TRANSLATE_NOOP("Menu", "&Presets") },
    { "NoPresets", QT_TRANSLATE_NOOP("Menu", "No Presets") },
    { "MenuTemplates", QT_TRANSLATE_NOOP("Menu", "&Templates") },
    { "NoTemplates", QT_TRANSLATE_NOOP("Menu", "No Templates") },
    { "InsertMacro", QT_TRANSLATE_NOOP("Menu", "Insert &Macro") },
    { "MenuBatch", QT_TRANSLATE_NOOP("Menu", "&Batch") },
    { "AddFiles", QT_TRANSLATE_NOOP("Menu", "&Add Files…") },
    { "AddFolder", QT_TRANSLATE_NOOP("Menu", "Add Fol&der…") },
    { "RemoveFiles", QT_TRANSLATE_NOOP("Menu", "R&emove Files") },
    { "ClearExistingMetadata", QT_TRANSLATE_NOOP("Menu", "C&lear existing metadata") },
    { "ReplaceSameKeyword", QT_TRANSLATE_NOOP("Menu", "Replace entries with the same &keyword") },
    { "RunBatch", QT_TRANSLATE_NOOP("Menu", "&Run") },
    { "CancelRun", QT_TRANSLATE_NOOP("Menu", "Cancel R&un") },
    { "MenuPreset", QT_TRANSLATE_NOOP3("Menu", "P&reset", "the preset editor's menu of the preset selected") },
    { "NewPreset", QT_TRANSLATE_NOOP("Menu", "&New Preset") },
    { "DeletePreset", QT_TRANSLATE_NOOP("Menu", "Delete Preset") },
    { "RestoreDefaults", QT_TRANSLATE_NOOP("Menu", "Restore &Defaults…") },
    { "MenuTemplate", QT_TRANSLATE_NOOP3("Menu", "&Template", "the template editor's menu of the template selected") },
    { "NewTemplate", QT_TRANSLATE_NOOP("Menu", "&New Template…") },
    { "DeleteTemplate", QT_TRANSLATE_NOOP("Menu", "&Delete Template") },
    { "ClearsAllWhenApplied", QT_TRANSLATE_NOOP("Menu", "C&lear all comments when applied") },
    { "OverwritesDuplicates", QT_TRANSLATE_NOOP("Menu", "O&verwrite comments with the same keyword") },
    { "MenuWindow", QT_TRANSLATE_NOOP("Menu", "&Window") },
    { "NewBatchWindow", QT_TRANSLATE_NOOP("Menu", "New &Batch Window") },
    { "MenuPresetEditor", QT_TRANSLATE_NOOP("Menu", "&Preset Editor") },
    { "MenuTemplateEditor", QT_TRANSLATE_NOOP("Menu", "&Template Editor") },
    { "MenuHelp", QT_TRANSLATE_NOOP("Menu", "&Help") },
    { "MenuHomePage", QT_TRANSLATE_NOOP("Menu", "Velmora &Home Page") },
    { "MenuSupport", QT_TRANSLATE_NOOP("Menu", "&Support Velmora…") },
    { "MenuAbout", QT_TRANSLATE_NOOP("Menu", "&About Velmora") },
    { "MenuSearchInTexts", QT_TRANSLATE_NOOP("Menu", "Search &in Texts") },
    { "MenuDetails", QT_TRANSLATE_NOOP("Menu", "&Details") },
    { "MenuChunks", QT_TRANSLATE_NOOP("Menu", "&Chunks") },
    { "MenuRemoveMetadata", QT_TRANSLATE_NOOP("Menu", "Re&move Metadata…") },
    { "MenuRemoveMetadataRun", QT_TRANSLATE_NOOP("Menu", "Remove &Metadata…") },
    // Buttons and messages of dialogs and alerts.
    section("Dialog"),
    { "OK", QT_TRANSLATE_NOOP("Dialog", "OK") },
    { "Continue", QT_TRANSLATE_NOOP3("Dialog", "Continue", "confirms a question") },
    { "Cancel", QT_TRANSLATE_NOOP("Dialog", "Cancel") },
    { "CloseButton", QT_TRANSLATE_NOOP3("Dialog", "Close", "closes the comment editor panel") },
    { "CopyReport", QT_TRANSLATE_NOOP("Dialog", "&Copy Report") },
    { "ReportText", QT_TRANSLATE_NOOP3("Dialog", "Report", "what a screen reader calls the text area of a report") },
    { "SaveChangesQuery", QT_TRANSLATE_NOOP("Dialog", "Do you want to save the changes made to \"%1\"?") },
    { "SaveChangesInfo", QT_TRANSLATE_NOOP("Dialog", "Your changes will be lost if you don't save them.") },
    { "RevertQuery", QT_TRANSLATE_NOOP("Dialog", "Revert \"%1\" to the saved file?") },
    { "RevertInfo", QT_TRANSLATE_NOOP("Dialog", "Your changes will be lost, and they cannot be undone.") },
    { "OpenImages", QT_TRANSLATE_NOOP("Dialog", "Open PNG Images") },
    { "SaveImageAs", QT_TRANSLATE_NOOP("Dialog", "Save PNG Image As") },
    { "PngFileFilter", QT_TRANSLATE_NOOP("Dialog", "PNG images (*.png *.PNG)") },
    { "AllFilesFilter", QT_TRANSLATE_NOOP("Dialog", "All files (*)") },
    { "AboutTitle", QT_TRANSLATE_NOOP("Dialog", "Velmora %1") },
    { "AboutText",
        QT_TRANSLATE_NOOP("Dialog",
            "Views and edits the text metadata of PNG images.\n\nReleased under the MIT licence (the LICENSE file "
            "installed with it).\n\nBuilt with Qt %1 (running %2), libpng %3 and zlib %4.") },
    { "StopBatchAndQuit", QT_TRANSLATE_NOOP("Dialog", "Stop the batch and quit?") },
    { "StopAndQuit", QT_TRANSLATE_NOOP("Dialog", "Stop and Quit") },
    { "Discard", QT_TRANSLATE_NOOP3("Dialog", "Discard", "discards a batch window's files and comments") },
    { "StoreSaveFailedAtQuit",
        QT_TRANSLATE_NOOP("Dialog", "%1\n\nQuit anyway and lose these changes, or cancel and keep Velmora open?") },
    { "QuitAnyway", QT_TRANSLATE_NOOP("Dialog", "Quit Anyway") },
    // The start window.
    section("StartWindow"),
    { "StartWindowTitle", QT_TRANSLATE_NOOP("StartWindow", "Velmora") },
    { "StartWindowIntro", QT_TRANSLATE_NOOP("StartWindow", "Open a PNG file to view and edit its text entries.") },
    { "RecentFilesLabel", QT_TRANSLATE_NOOP("StartWindow", "&Recent files:") },
    { "RecentFilesDescription",
        QT_TRANSLATE_NOOP("StartWindow", "Files opened before; Return opens the one selected") },
    { "StartOpenButton", QT_TRANSLATE_NOOP("StartWindow", "&Open…") },
    { "StartBatchButton", QT_TRANSLATE_NOOP("StartWindow", "New &Batch Window") },
    { "StartPresetsButton", QT_TRANSLATE_NOOP("StartWindow", "&Preset Editor") },
    { "StartTemplatesButton", QT_TRANSLATE_NOOP("StartWindow", "&Template Editor") },
    // Importing and exporting metadata files.
    section("MetadataDialogs"),
    { "ImportMetadataTitle", QT_TRANSLATE_NOOP("MetadataDialogs", "Import Metadata") },
    { "ImportMetadataPrompt",
        QT_TRANSLATE_NOOP3("MetadataDialogs", "Import", "the accepting button of the import file dialog") },
    { "ImportMetadataMessage", QT_TRANSLATE_NOOP("MetadataDialogs", "Select a metadata file to import.") },
    { "EnforceUniqueKeywords", QT_TRANSLATE_NOOP("MetadataDialogs", "Enforce &unique keywords") },
    { "ExportMetadataTitle", QT_TRANSLATE_NOOP("MetadataDialogs", "Export Metadata") },
    { "ExportMetadataPrompt",
        QT_TRANSLATE_NOOP3("MetadataDialogs", "Export", "the accepting button of the export file dialog") },
    { "MetadataFilesFilter", QT_TRANSLATE_NOOP("MetadataDialogs", "Metadata files (%1)") },
    { "VelmxFilter", QT_TRANSLATE_NOOP("MetadataDialogs", "Velmora Metadata XML File (*.velmx)") },
    { "CsvFilter", QT_TRANSLATE_NOOP("MetadataDialogs", "Delimited Text File (*.csv)") },
    { "CsvOptionsTitle", QT_TRANSLATE_NOOP("MetadataDialogs", "Delimited Text Options") },
    { "CsvTabCharacter", QT_TRANSLATE_NOOP3("MetadataDialogs", "TAB CHARACTER", "a separator offered: the tab") },
    { "CsvSpaceCharacter", QT_TRANSLATE_NOOP3("MetadataDialogs", "SPACE CHARACTER", "a separator offered: the space") },
    { "CsvSeparatorLabel", QT_TRANSLATE_NOOP("MetadataDialogs", "&Separator:") },
    { "CsvSeparatorDescription",
        QT_TRANSLATE_NOOP(
            "MetadataDialogs", "The character between keyword and text: a tab, a space or one character typed") },
    { "NotAMetadataFile",
        QT_TRANSLATE_NOOP("MetadataDialogs", "“%1” is not a metadata file: the name must end in %2.") },
    { "EntryWithoutKeyword", QT_TRANSLATE_NOOP("MetadataDialogs", "(an entry without keyword)") },
    { "ImportFailed", QT_TRANSLATE_NOOP("MetadataDialogs", "The metadata could not be imported from “%1”.") },
    { "ExportFailed", QT_TRANSLATE_NOOP("MetadataDialogs", "The metadata could not be exported to “%1”.") },
    { "CsvCannotCarry", QT_TRANSLATE_NOOP("MetadataDialogs", "Some entries cannot be written to “%1” as they are.") },
    { "CsvCannotCarryDetail",
        QT_TRANSLATE_NOOP("MetadataDialogs",
            "Delimited text has no escaping: a separator, a double quote or a line break in a field, blanks before it "
            "or a missing keyword do not come back when the file is read. These entries would change or be "
            "lost:\n%1") },
    { "ExportAnyway", QT_TRANSLATE_NOOP("MetadataDialogs", "Export Anyway") },
    { "ImportWhileRunning",
        QT_TRANSLATE_NOOP("MetadataDialogs", "The batch is running; its comments cannot change now.") },
    // The comment list of every window and the comment editor.
    section("CommentList"),
    { "KeywordColumn", QT_TRANSLATE_NOOP3("CommentList", "Keyword", "the keyword of a comment entry") },
    { "TextColumn",
        QT_TRANSLATE_NOOP3("CommentList", "Text", "the text of a comment entry (beside its keyword), not the verb") },
    { "CommentsTable", QT_TRANSLATE_NOOP("CommentList", "Comments") },
    { "SearchKeywords", QT_TRANSLATE_NOOP("CommentList", "Search keywords") },
    { "SearchDescription",
        QT_TRANSLATE_NOOP("CommentList", "Shows only the entries whose keyword contains the text typed") },
    { "AddCommentDescription",
        QT_TRANSLATE_NOOP("CommentList", "Adds an empty entry to the list and starts editing its keyword") },
    { "RemoveCommentDescription", QT_TRANSLATE_NOOP("CommentList", "Removes the selected entries from the list") },
    { "EntryNotWritable", QT_TRANSLATE_NOOP("CommentList", "This entry cannot be saved: %1.") },
    { "PresetsButton", QT_TRANSLATE_NOOP("CommentList", "P&resets") },
    { "TemplatesButton", QT_TRANSLATE_NOOP("CommentList", "Templates") },
    { "MacrosButton", QT_TRANSLATE_NOOP3("CommentList", "Macros", "a button that inserts macros such as %DATE%") },
    { "CommentEditorTitle", QT_TRANSLATE_NOOP("CommentList", "Comment Editor") },
    { "CommentEditorNoComment", QT_TRANSLATE_NOOP("CommentList", "The comment is no longer in the list.") },
    { "KeywordLabel", QT_TRANSLATE_NOOP("CommentList", "&Keyword:") },
    { "TextLabel", QT_TRANSLATE_NOOP("CommentList", "Te&xt:") },
    { "SearchKeywordsAndTexts", QT_TRANSLATE_NOOP("CommentList", "Search keywords and texts") },
    { "SearchInTextsDescription",
        QT_TRANSLATE_NOOP("CommentList", "Shows only the entries whose keyword or text contains the text typed") },
    // Steps of the undo history, named in the Edit menu after Undo and Redo.
    section("UndoStep"),
    { "StepAddComment", QT_TRANSLATE_NOOP("UndoStep", "Add Comment") },
    { "StepAddComments", QT_TRANSLATE_NOOP("UndoStep", "Add Comments") },
    { "StepRemoveComments", QT_TRANSLATE_NOOP("UndoStep", "Remove Comments") },
    { "StepDelete", QT_TRANSLATE_NOOP3("UndoStep", "Delete", "an undo step (Undo Delete)") },
    { "StepDeleteAll", QT_TRANSLATE_NOOP("UndoStep", "Delete All") },
    { "StepDeleteAllShown", QT_TRANSLATE_NOOP("UndoStep", "Delete All Shown") },
    { "StepCut", QT_TRANSLATE_NOOP3("UndoStep", "Cut", "an undo step (Undo Cut)") },
    { "StepPaste", QT_TRANSLATE_NOOP3("UndoStep", "Paste", "an undo step (Undo Paste)") },
    { "StepDrop", QT_TRANSLATE_NOOP3("UndoStep", "Drop", "an undo step: entries dropped by drag and drop") },
    { "StepMove", QT_TRANSLATE_NOOP("UndoStep", "Move Comments") },
    { "StepEditKeyword", QT_TRANSLATE_NOOP("UndoStep", "Edit Keyword") },
    { "StepEditText", QT_TRANSLATE_NOOP("UndoStep", "Edit Text") },
    { "StepImport", QT_TRANSLATE_NOOP3("UndoStep", "Import", "an undo step (Undo Import)") },
    { "StepAddPreset", QT_TRANSLATE_NOOP("UndoStep", "Add Preset") },
    { "StepApplyPreset", QT_TRANSLATE_NOOP("UndoStep", "Apply Preset") },
    { "StepApplyTemplate", QT_TRANSLATE_NOOP("UndoStep", "Apply Template") },
    { "StepRemoveUnnamed", QT_TRANSLATE_NOOP("UndoStep", "Remove Comments Without Keyword") },
    { "StepRemoveMetadata", QT_TRANSLATE_NOOP("UndoStep", "Remove Metadata") },
    { "StepNewPreset", QT_TRANSLATE_NOOP("UndoStep", "New Preset") },
    { "StepEditValue", QT_TRANSLATE_NOOP("UndoStep", "Edit Value") },
    { "StepEditShorthand", QT_TRANSLATE_NOOP("UndoStep", "Edit Display Text") },
    { "StepRestoreDefaults", QT_TRANSLATE_NOOP("UndoStep", "Restore Defaults") },
    { "StepClearsAll", QT_TRANSLATE_NOOP("UndoStep", "Clear All When Applied") },
    { "StepOverwriteDuplicates", QT_TRANSLATE_NOOP("UndoStep", "Overwrite Duplicates") },
    // Document windows: the image, its summary, saving and reverting.
    section("DocumentWindow"),
    { "ImageDescription", QT_TRANSLATE_NOOP("DocumentWindow", "The picture of the open PNG file") },
    { "PictureLoading", QT_TRANSLATE_NOOP("DocumentWindow", "Loading the picture") },
    { "PictureDamaged", QT_TRANSLATE_NOOP("DocumentWindow", "The image data is damaged: %1") },
    { "PictureFailed", QT_TRANSLATE_NOOP("DocumentWindow", "The picture could not be shown: %1") },
    { "PictureMessage",
        QT_TRANSLATE_NOOP3(
            "DocumentWindow", "Picture", "what a screen reader calls the message shown in place of the picture") },
    { "ImageLoadFailed", QT_TRANSLATE_NOOP("DocumentWindow", "The image could not be loaded.") },
    { "ImageSize", QT_TRANSLATE_NOOP("DocumentWindow", "Size: %1 × %2 pixels") },
    { "ImageBitDepth", QT_TRANSLATE_NOOP("DocumentWindow", "Bit depth: %1") },
    { "ColourFormat", QT_TRANSLATE_NOOP("DocumentWindow", "Colour format: %1") },
    { "Interlaced", QT_TRANSLATE_NOOP("DocumentWindow", "Interlace: %1") },
    { "PhysicalSizeMM", QT_TRANSLATE_NOOP("DocumentWindow", "Physical size: %1 × %2 mm") },
    { "PhysicalSizeInch", QT_TRANSLATE_NOOP("DocumentWindow", "Physical size: %1 × %2 inches") },
    { "PhysicalSizeMMAssumed",
        QT_TRANSLATE_NOOP("DocumentWindow", "Physical size: %1 × %2 mm at 72 dpi (the file gives no resolution)") },
    { "PhysicalSizeInchAssumed",
        QT_TRANSLATE_NOOP("DocumentWindow", "Physical size: %1 × %2 inches at 72 dpi (the file gives no resolution)") },
    { "PhysicalSizeUnknown", QT_TRANSLATE_NOOP("DocumentWindow", "Physical size: unknown") },
    { "Greyscale", QT_TRANSLATE_NOOP("DocumentWindow", "Greyscale") },
    { "GreyscaleAlpha", QT_TRANSLATE_NOOP("DocumentWindow", "Greyscale with alpha") },
    { "Palette", QT_TRANSLATE_NOOP3("DocumentWindow", "Palette", "a PNG colour format") },
    { "RGB", QT_TRANSLATE_NOOP3("DocumentWindow", "RGB", "a PNG colour format") },
    { "RGBA", QT_TRANSLATE_NOOP("DocumentWindow", "RGB with alpha") },
    { "None", QT_TRANSLATE_NOOP3("DocumentWindow", "None", "no interlacing (Interlace: None)") },
    { "Adam7", QT_TRANSLATE_NOOP("DocumentWindow", "Adam7") },
    { "Unknown",
        QT_TRANSLATE_NOOP3(
            "DocumentWindow", "Unknown", "a colour format or interlace method the PNG standard does not define") },
    { "FileUnreadable", QT_TRANSLATE_NOOP("DocumentWindow", "“%1” could not be read.") },
    { "FileUnreadableStatus",
        QT_TRANSLATE_NOOP("DocumentWindow",
            "Could not be read: %1. The entries read before the damage are shown; they cannot be edited or saved.") },
    { "SaveDamagedImageData", QT_TRANSLATE_NOOP("DocumentWindow", "The image data of \"%1\" is damaged.") },
    { "SaveDamagedImageDataDetail",
        QT_TRANSLATE_NOOP("DocumentWindow",
            "%1\n\nSaving writes the damaged image data back as it is; other programs may not show the picture.") },
    { "SaveAnyway", QT_TRANSLATE_NOOP("DocumentWindow", "Save Anyway") },
    { "CheckingImageData", QT_TRANSLATE_NOOP("DocumentWindow", "Checking the image data of \"%1\" before saving…") },
    { "SaveFailed", QT_TRANSLATE_NOOP("DocumentWindow", "The document \"%1\" could not be saved.") },
    { "SaveFailedReason",
        QT_TRANSLATE_NOOP3("DocumentWindow", "Reason: %1 (%2 error %3)",
            "%1 the reason, %2 where it came from (a library or the system), %3 its error number") },
    { "SavedWithoutEntries",
        QT_TRANSLATE_NOOP("DocumentWindow", "\"%1\" was saved without the entries that a PNG file cannot hold.") },
    { "PrivacyNotice", QT_TRANSLATE_NOOP("DocumentWindow", "This file tells more than the picture:") },
    { "PrivacyGps", QT_TRANSLATE_NOOP("DocumentWindow", "it holds a GPS position (%1)") },
    { "PrivacyGeneration", QT_TRANSLATE_NOOP("DocumentWindow", "it holds generation settings") },
    { "PrivacyCreators", QT_TRANSLATE_NOOP("DocumentWindow", "it names people: %1") },
    // Batch windows and the report of a run.
    section("BatchWindow"),
    { "BatchWindowTitle", QT_TRANSLATE_NOOP("BatchWindow", "Batch Processing") },
    { "BatchWindowNumbered", QT_TRANSLATE_NOOP("BatchWindow", "Batch Processing %1") },
    { "DiscardBatchQuery", QT_TRANSLATE_NOOP("BatchWindow", "Discard the files and comments of this batch window?") },
    { "DiscardBatchInfo",
        QT_TRANSLATE_NOOP("BatchWindow", "Files: %1, comments: %2. They are not kept when the window closes.") },
    { "BatchCommentsLabel", QT_TRANSLATE_NOOP("BatchWindow", "Comments written into every file") },
    { "BatchFilesLabel", QT_TRANSLATE_NOOP("BatchWindow", "Files to process") },
    { "FilesColumn", QT_TRANSLATE_NOOP("BatchWindow", "File") },
    { "BatchFilesCount", QT_TRANSLATE_NOOP("BatchWindow", "Files to process: %1") },
    { "FilesAdded", QT_TRANSLATE_NOOP("BatchWindow", "Files added: %1") },
    { "ChooseFiles", QT_TRANSLATE_NOOP("BatchWindow", "Add Files to the Batch") },
    { "ChooseFolder", QT_TRANSLATE_NOOP("BatchWindow", "Add a Folder to the Batch") },
    { "BatchCannotRun",
        QT_TRANSLATE_NOOP("BatchWindow", "The batch cannot run: no PNG file can hold one of its entries.") },
    { "BatchProgress", QT_TRANSLATE_NOOP3("BatchWindow", "Progress", "what a screen reader calls the progress bar") },
    { "BatchProgressText", QT_TRANSLATE_N_NOOP("BatchWindow", "%1 of %n files — %2") },
    { "BatchStarting", QT_TRANSLATE_NOOP("BatchWindow", "Starting…") },
    { "BatchCancelling", QT_TRANSLATE_NOOP("BatchWindow", "Cancelling after the files in progress…") },
    { "StopRunQuery", QT_TRANSLATE_NOOP("BatchWindow", "A batch run is going on. Stop it and close the window?") },
    { "StopRunInfo",
        QT_TRANSLATE_NOOP(
            "BatchWindow", "The files processed so far keep their new metadata; the others stay as they are.") },
    { "StopAndClose", QT_TRANSLATE_NOOP("BatchWindow", "Stop and Close") },
    { "ProcessingComplete", QT_TRANSLATE_NOOP("BatchWindow", "Processing complete") },
    { "ProcessingCancelled", QT_TRANSLATE_NOOP("BatchWindow", "Processing cancelled") },
    { "FilesSuccessfullyProcessed", QT_TRANSLATE_N_NOOP("BatchWindow", "%n files were successfully processed.") },
    { "BatchFilesTotal", QT_TRANSLATE_NOOP("BatchWindow", "Files in the batch: %1") },
    { "BatchFilesUnchanged", QT_TRANSLATE_NOOP("BatchWindow", "Left as they were (nothing to remove): %1") },
    { "BatchFilesFailed", QT_TRANSLATE_NOOP("BatchWindow", "Failed: %1") },
    { "BatchFilesNotProcessed", QT_TRANSLATE_NOOP("BatchWindow", "Not processed (the run was cancelled): %1") },
    { "BatchFailedFilesHeading", QT_TRANSLATE_NOOP("BatchWindow", "Failed files:") },
    { "BatchFailedFile", QT_TRANSLATE_NOOP3("BatchWindow", "%1: %2", "a file's name and why it failed") },
    { "BatchNotProcessedHeading", QT_TRANSLATE_NOOP("BatchWindow", "Files not processed:") },
    // The preset editor.
    section("PresetEditor"),
    { "PresetEditorTitle", QT_TRANSLATE_NOOP("PresetEditor", "Preset Editor") },
    { "PresetsTable", QT_TRANSLATE_NOOP("PresetEditor", "Presets") },
    { "ValueLabel", QT_TRANSLATE_NOOP("PresetEditor", "&Value:") },
    { "ShorthandLabel", QT_TRANSLATE_NOOP("PresetEditor", "&Display text:") },
    { "PresetKeyword", QT_TRANSLATE_NOOP("PresetEditor", "Preset keyword") },
    { "PresetValue", QT_TRANSLATE_NOOP("PresetEditor", "Preset value") },
    { "PresetShorthand", QT_TRANSLATE_NOOP("PresetEditor", "Preset display text") },
    { "PresetsSaveFailed", QT_TRANSLATE_NOOP("PresetEditor", "The presets could not be saved.") },
    { "RestorePresetsQuery", QT_TRANSLATE_NOOP("PresetEditor", "Restore the default presets?") },
    { "LosePresetsWarning", QT_TRANSLATE_NOOP("PresetEditor", "Your own presets will be lost.") },
    // The template editor.
    section("TemplateEditor"),
    { "TemplateEditorTitle", QT_TRANSLATE_NOOP("TemplateEditor", "Template Editor") },
    { "TemplatesTable", QT_TRANSLATE_NOOP("TemplateEditor", "Templates") },
    { "TemplateCommentsTable", QT_TRANSLATE_NOOP("TemplateEditor", "Comments of the template") },
    { "TemplateSplitter", QT_TRANSLATE_NOOP("TemplateEditor", "Templates and their comments") },
    { "NewTemplateTitle", QT_TRANSLATE_NOOP("TemplateEditor", "New Template") },
    { "NewTemplateName", QT_TRANSLATE_NOOP("TemplateEditor", "&Name of the new template:") },
    { "TemplateSaveFailed", QT_TRANSLATE_NOOP("TemplateEditor", "The template \"%1\" could not be saved.") },
    { "TemplateRenameFailed", QT_TRANSLATE_NOOP("TemplateEditor", "The template \"%1\" could not be renamed.") },
    { "TemplateDeleteFailed", QT_TRANSLATE_NOOP("TemplateEditor", "The template \"%1\" could not be deleted.") },
    { "IllegalCharactersInName",
        QT_TRANSLATE_NOOP(
            "TemplateEditor", "A template name cannot contain \"/\" or \"\\\", and cannot be \".\" or \"..\".") },
    { "ChooseUniqueName",
        QT_TRANSLATE_NOOP("TemplateEditor", "A template with this name exists already. Please choose another name.") },
    { "NameHoldsNul", QT_TRANSLATE_NOOP("TemplateEditor", "A template name cannot hold a NUL character.") },
    { "NameTooLong",
        QT_TRANSLATE_NOOP("TemplateEditor", "This name is too long for a file name. Please choose a shorter one.") },
    { "NameTakenByFile",
        QT_TRANSLATE_NOOP("TemplateEditor",
            "The templates folder holds a file or folder of this name that is no template. Please choose another "
            "name.") },
    { "SureDeleteTemplate", QT_TRANSLATE_NOOP("TemplateEditor", "Are you sure you want to delete this template?") },
    // The details of the selected entry.
    section("EntryDetails"),
    { "DetailsTitle", QT_TRANSLATE_NOOP("EntryDetails", "Details") },
    { "DetailsOf", QT_TRANSLATE_NOOP("EntryDetails", "Details of “%1”") },
    { "DetailsNone", QT_TRANSLATE_NOOP("EntryDetails", "Select an entry to see what it holds.") },
    { "DetailsFieldsTab", QT_TRANSLATE_NOOP("EntryDetails", "Fields") },
    { "DetailsTextTab", QT_TRANSLATE_NOOP3("EntryDetails", "Text", "a tab showing the text of an entry") },
    { "DetailsFormattedTab", QT_TRANSLATE_NOOP("EntryDetails", "Formatted JSON") },
    { "DetailsFields", QT_TRANSLATE_NOOP("EntryDetails", "Fields of the selected entry") },
    { "DetailsText", QT_TRANSLATE_NOOP("EntryDetails", "Text of the selected entry, formatted") },
    { "DetailsNameColumn", QT_TRANSLATE_NOOP3("EntryDetails", "Name", "the name of a field") },
    { "DetailsValueColumn", QT_TRANSLATE_NOOP3("EntryDetails", "Value", "the value of a field") },
    { "DetailsGeneration", QT_TRANSLATE_NOOP("EntryDetails", "Generation settings: %1") },
    { "DetailsXmp", QT_TRANSLATE_NOOP("EntryDetails", "XMP properties") },
    { "DetailsJson", QT_TRANSLATE_NOOP("EntryDetails", "JSON") },
    { "CopyPrompt", QT_TRANSLATE_NOOP("EntryDetails", "Copy &Prompt") },
    { "CopyValue", QT_TRANSLATE_NOOP("EntryDetails", "Copy &Value") },
    // The chunks of a file.
    section("ChunksWindow"),
    { "ChunksTitle", QT_TRANSLATE_NOOP("ChunksWindow", "Chunks of “%1”") },
    { "ChunksTable", QT_TRANSLATE_NOOP("ChunksWindow", "The chunks of the file, in order") },
    { "ChunksBrokenOff", QT_TRANSLATE_NOOP("ChunksWindow", "The file's structure breaks off after these chunks: %1") },
    { "ChunkType", QT_TRANSLATE_NOOP3("ChunksWindow", "Type", "the four-letter type of a chunk") },
    { "ChunkOffset", QT_TRANSLATE_NOOP("ChunksWindow", "Offset") },
    { "ChunkLength", QT_TRANSLATE_NOOP("ChunksWindow", "Length") },
    { "ChunkCrc", QT_TRANSLATE_NOOP("ChunksWindow", "CRC") },
    { "ChunkKind",
        QT_TRANSLATE_NOOP3("ChunksWindow", "Kind", "critical or ancillary, as the PNG standard names chunks") },
    { "ChunkCopying", QT_TRANSLATE_NOOP("ChunksWindow", "Copying") },
    { "ChunkMeaning", QT_TRANSLATE_NOOP("ChunksWindow", "Meaning") },
    { "CrcCorrect", QT_TRANSLATE_NOOP("ChunksWindow", "correct") },
    { "CrcWrong", QT_TRANSLATE_NOOP("ChunksWindow", "wrong") },
    { "ChunkCritical", QT_TRANSLATE_NOOP("ChunksWindow", "critical") },
    { "ChunkAncillary", QT_TRANSLATE_NOOP("ChunksWindow", "ancillary") },
    { "SafeToCopy", QT_TRANSLATE_NOOP("ChunksWindow", "safe to copy") },
    { "UnsafeToCopy", QT_TRANSLATE_NOOP("ChunksWindow", "unsafe to copy") },
    { "CopyAsText", QT_TRANSLATE_NOOP("ChunksWindow", "&Copy as Text") },
    // Removing metadata from a document or from every file of a batch.
    section("RemoveMetadata"),
    { "RemoveMetadataTitle", QT_TRANSLATE_NOOP("RemoveMetadata", "Remove Metadata from “%1”") },
    { "RemoveMetadataIntro",
        QT_TRANSLATE_NOOP("RemoveMetadata",
            "The checked items leave the document in one step you can undo; Save writes the file without them. The "
            "picture stays as it is.") },
    { "RemoveItemsTable", QT_TRANSLATE_NOOP("RemoveMetadata", "What the file carries") },
    { "RemoveColumnItem", QT_TRANSLATE_NOOP("RemoveMetadata", "Item") },
    { "RemoveColumnSize", QT_TRANSLATE_NOOP3("RemoveMetadata", "Size", "how many bytes an item takes") },
    { "RemoveColumnWhat", QT_TRANSLATE_NOOP("RemoveMetadata", "What it gives away") },
    { "RemoveEntryName", QT_TRANSLATE_NOOP("RemoveMetadata", "%1 “%2”") },
    { "RemoveButton", QT_TRANSLATE_NOOP("RemoveMetadata", "&Remove") },
    { "CredentialsWarning",
        QT_TRANSLATE_NOOP("RemoveMetadata",
            "Content credentials (caBX) prove where the picture comes from: removing them breaks its provenance.") },
    { "NothingToRemove", QT_TRANSLATE_NOOP("RemoveMetadata", "“%1” carries no metadata to remove.") },
    { "BatchRemoveTitle", QT_TRANSLATE_NOOP("RemoveMetadata", "Remove Metadata from Every File") },
    { "BatchRemoveIntro",
        QT_TRANSLATE_NOOP("RemoveMetadata",
            "The checked kinds of metadata are removed from every file of the batch, instead of writing the comments. "
            "The picture, its colour and its animation stay byte for byte; a file with nothing to remove is left as it "
            "was.") },
    { "StripTextEntries", QT_TRANSLATE_NOOP("RemoveMetadata", "&Text entries (tEXt, zTXt, iTXt)") },
    { "StripXmp", QT_TRANSLATE_NOOP("RemoveMetadata", "&XMP packet (creators, places, editing history)") },
    { "StripExif", QT_TRANSLATE_NOOP("RemoveMetadata", "&Exif (camera, dates, GPS position)") },
    { "StripTime", QT_TRANSLATE_NOOP("RemoveMetadata", "&Modification time (tIME)") },
    { "StripOtherChunks", QT_TRANSLATE_NOOP("RemoveMetadata", "&Private and unknown chunks") },
    { "StripCredentials", QT_TRANSLATE_NOOP("RemoveMetadata", "Content &credentials (caBX)") },
    // The desktop program's --help.
    section("CommandLine"),
    { "CommandLineDescription", QT_TRANSLATE_NOOP("CommandLine", "Views and edits the text metadata of PNG images.") },
    { "CommandLineFile", QT_TRANSLATE_NOOP3("CommandLine", "FILE", "the name of the file arguments in --help") },
    { "CommandLineFiles", QT_TRANSLATE_NOOP("CommandLine", "PNG files to open, one window each.") },
    { "CommandLineFilesSyntax", QT_TRANSLATE_NOOP3("CommandLine", "[FILE…]", "FILE stands for the file names given") },
};

QList<StringTableEntry> buildTable()
{
    QList<StringTableEntry> table;
    const char *context = nullptr;
    for (const Entry &e : kStrings) {
        if (!e.key) {
            context = e.source.text;
            continue;
        }
        const bool plural = QByteArrayView(e.source.text).contains("%n");
        table.append({ e.key, context, e.source.text, e.source.comment, plural });
    }
    return table;
}

const StringTableEntry *find(const char *key)
{
    static const QHash<QByteArray, qsizetype> index = [] {
        QHash<QByteArray, qsizetype> byKey;
        const QList<StringTableEntry> &table = stringTable();
        for (qsizetype i = 0; i < table.size(); ++i)
            byKey.insert(QByteArray(table[i].key), i);
        return byKey;
    }();
    const auto it = index.constFind(QByteArray(key));
    return it == index.constEnd() ? nullptr : &stringTable()[it.value()];
}

// A text made below the windows, remembered as the source of the texts made from it.
struct Remembered
{
    const char *context = nullptr;
    const char *source = nullptr;
    QRegularExpression pattern; // its fixed parts, each placeholder a group
    QList<int> placeholders; // the number of each group's placeholder
    QStringList fixed; // the text around the placeholders, one more than they
    qsizetype fixedLetters = 0; // how specific a match is
};

// Whether the fixed parts stand in the text in their order: a quick no before the pattern,
// whose groups could otherwise try many ways to fail on a long text.
bool mayMatch(const Remembered &r, QStringView text)
{
    if (!text.startsWith(r.fixed.first()) || !text.endsWith(r.fixed.last())
        || text.size() < r.fixed.first().size() + r.fixed.last().size())
        return false;
    qsizetype at = r.fixed.first().size();
    for (qsizetype i = 1; i + 1 < r.fixed.size(); ++i) {
        at = text.indexOf(r.fixed[i], at);
        if (at < 0)
            return false;
        at += r.fixed[i].size();
    }
    return at <= text.size() - r.fixed.last().size();
}

struct RememberedTexts
{
    QMutex mutex;
    QSet<const char *> seen;
    QSet<QByteArray> sources; // the same text may stand at several addresses
    QHash<QString, Remembered> exact; // sources without a placeholder
    QList<Remembered> patterns;
};

RememberedTexts &remembered()
{
    static RememberedTexts texts;
    return texts;
}

const QRegularExpression &placeholder()
{
    static const QRegularExpression re(QStringLiteral("%([1-9])"));
    return re;
}

void remember(const char *context, const char *sourceText, const QString &text)
{
    Remembered r { context, sourceText, {}, {}, {}, 0 };
    QString pattern = QStringLiteral("^");
    qsizetype at = 0;
    auto addFixed = [&](QStringView fixed) {
        r.fixed.append(fixed.toString());
        pattern += QRegularExpression::escape(r.fixed.last());
        for (const QChar c : fixed)
            r.fixedLetters += c.isLetter();
    };
    for (const QRegularExpressionMatch &m : placeholder().globalMatch(text)) {
        addFixed(QStringView(text).mid(at, m.capturedStart() - at));
        pattern += QStringLiteral("(.*)");
        r.placeholders.append(m.captured(1).toInt());
        at = m.capturedEnd();
    }
    addFixed(QStringView(text).mid(at));
    RememberedTexts &texts = remembered();
    if (r.placeholders.isEmpty()) {
        texts.exact.insert(text, r);
    } else if (r.fixedLetters >= 3) { // "%1 (%2)" would match anything
        r.pattern.setPattern(pattern + u'$');
        r.pattern.setPatternOptions(QRegularExpression::DotMatchesEverythingOption);
        texts.patterns.append(r);
    }
}

// The translated source with the values put in its placeholders in one pass, so a value
// holding "%1" stays as it is.
QString fill(const QString &translated, const QHash<int, QString> &values)
{
    QString out;
    out.reserve(translated.size());
    for (qsizetype i = 0; i < translated.size(); ++i) {
        const QChar c = translated.at(i);
        if (c == u'%' && i + 1 < translated.size() && values.contains(translated.at(i + 1).digitValue())) {
            out += values.value(translated.at(i + 1).digitValue());
            ++i;
        } else {
            out += c;
        }
    }
    return out;
}

QString shown(
    const QString &text, const QHash<QString, Remembered> &exact, const QList<Remembered> &patterns, int depth)
{
    if (const auto it = exact.constFind(text); it != exact.constEnd())
        return QCoreApplication::translate(it->context, it->source);
    if (depth > 4)
        return text;
    const Remembered *best = nullptr;
    QRegularExpressionMatch bestMatch;
    for (const Remembered &r : patterns) {
        if ((best && r.fixedLetters <= best->fixedLetters) || !mayMatch(r, text))
            continue;
        QRegularExpressionMatch m = r.pattern.match(text);
        if (m.hasMatch()) {
            best = &r;
            bestMatch = std::move(m);
        }
    }
    if (!best) {
        // Reasons joined to a reason ("…: no space left on device", "…; the old version is
        // kept as …") and lists ("taken …, GPS position …"): each part on its own.
        for (const QLatin1StringView separator : { "; "_L1, ": "_L1, ", "_L1 }) {
            const qsizetype at = text.indexOf(separator);
            if (at < 0)
                continue;
            const QString head = shown(text.left(at), exact, patterns, depth + 1);
            const QString tail = shown(text.mid(at + separator.size()), exact, patterns, depth + 1);
            return head + separator + tail;
        }
        return text;
    }
    QHash<int, QString> values;
    for (qsizetype k = 0; k < best->placeholders.size(); ++k)
        values.insert(best->placeholders[k], shown(bestMatch.captured(int(k) + 1), exact, patterns, depth + 1));
    return fill(QCoreApplication::translate(best->context, best->source), values);
}

} // namespace

QString rememberedText(const char *context, const char *sourceText)
{
    const QString text = QString::fromUtf8(sourceText);
    RememberedTexts &texts = remembered();
    const QMutexLocker lock(&texts.mutex);
    if (!texts.seen.contains(sourceText)) {
        texts.seen.insert(sourceText);
        if (!texts.sources.contains(QByteArray(sourceText))) {
            texts.sources.insert(QByteArray(sourceText));
            remember(context, sourceText, text);
        }
    }
    return text;
}

QString shownText(const QString &text)
{
    QHash<QString, Remembered> exact;
    QList<Remembered> patterns;
    {
        RememberedTexts &texts = remembered();
        const QMutexLocker lock(&texts.mutex);
        exact = texts.exact;
        patterns = texts.patterns;
    }
    return shown(text, exact, patterns, 0);
}

const QList<StringTableEntry> &stringTable()
{
    static const QList<StringTableEntry> table = buildTable();
    return table;
}

QString localizedString(const char *key)
{
    const StringTableEntry *e = find(key);
    return e ? QCoreApplication::translate(e->context, e->text, e->comment) : QString::fromUtf8(key);
}

QString localizedString(const char *key, int count)
{
    const StringTableEntry *e = find(key);
    return e ? QCoreApplication::translate(e->context, e->text, e->comment, count) : QString::fromUtf8(key);
}

QString asSentence(const QString &reason)
{
    if (reason.isEmpty())
        return reason;
    QString sentence = reason.trimmed();
    sentence[0] = sentence[0].toUpper();
    if (!sentence.endsWith(u'.') && !sentence.endsWith(u'?') && !sentence.endsWith(u'!'))
        sentence += u'.';
    return sentence;
}
