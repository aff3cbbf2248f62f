// velmora-screenshots: opens Velmora's windows through the application's own controller
// on copies of the bundled sample, and writes a picture of each (QWidget::grab) to a
// folder: the document window, the preset editor, the template editor and a batch window,
// and, on the provenance fixtures beside the sample, the details of a generator's entry, the
// chunk inspector and the Remove Metadata sheet.
// scripts/screenshots.sh runs it under Xvfb (`make screenshots`).
#include "app/AppController.h"
#include "app/AppTranslations.h"
#include "app/MetadataDialogs.h"
#include "app/StartWindow.h"
#include "batch/widgets/BatchWindow.h"
#include "commentlist/CommentListOwner.h"
#include "commentlist/widgets/CommentTableView.h"
#include "document/PNGDoc.h"
#include "document/widgets/ChunkListWindow.h"
#include "document/widgets/DocumentWindow.h"
#include "document/widgets/RemoveMetadataDialog.h"
#include "presets/PresetEditor.h"
#include "presets/widgets/PresetEditorWindow.h"
#include "templates/TemplateEditor.h"
#include "templates/widgets/TemplateEditorWindow.h"
#include "windowkit/CommentListPane.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QIcon>
#include <QLocale>
#include <QPalette>
#include <QTableView>
#include <QTemporaryDir>
#include <QTextStream>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>

namespace {

bool grabTo(QWidget *window, const QString &path)
{
    window->show();
    window->raise();
    window->activateWindow();
    // Let the window be laid out and painted before it is grabbed.
    for (int i = 0; i < 20; ++i) {
        QCoreApplication::processEvents();
        QThread::msleep(10);
    }
    const bool ok = window->grab().save(path);
    QTextStream(stdout) << (ok ? "wrote " : "could not write ") << path << '\n';
    return ok;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    if (argc < 3) {
        QTextStream(stderr) << "usage: velmora-screenshots SAMPLE.png OUTPUT-FOLDER\n";
        return 2;
    }
    if (qEnvironmentVariableIntValue("VELMORA_DARK_PALETTE") == 1) {
        // A dark colour scheme, as a desktop's dark theme gives it.
        QPalette dark;
        dark.setColor(QPalette::Window, QColor(45, 45, 48));
        dark.setColor(QPalette::WindowText, QColor(230, 230, 230));
        dark.setColor(QPalette::Base, QColor(30, 30, 32));
        dark.setColor(QPalette::AlternateBase, QColor(50, 50, 54));
        dark.setColor(QPalette::Text, QColor(230, 230, 230));
        dark.setColor(QPalette::Button, QColor(55, 55, 58));
        dark.setColor(QPalette::ButtonText, QColor(230, 230, 230));
        dark.setColor(QPalette::Highlight, QColor(42, 130, 218));
        dark.setColor(QPalette::HighlightedText, Qt::white);
        dark.setColor(QPalette::ToolTipBase, QColor(30, 30, 32));
        dark.setColor(QPalette::ToolTipText, QColor(230, 230, 230));
        dark.setColor(QPalette::PlaceholderText, QColor(150, 150, 150));
        dark.setColor(QPalette::Disabled, QPalette::Text, QColor(120, 120, 120));
        dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(120, 120, 120));
        dark.setColor(QPalette::Disabled, QPalette::WindowText, QColor(120, 120, 120));
        QApplication::setPalette(dark);
    }
    QCoreApplication::setApplicationName(QStringLiteral("Velmora"));
    QCoreApplication::setOrganizationName(QStringLiteral("Velmora"));
    // VELMORA_SHOTS_LANG=de: the windows in that language (make screenshots LANG=de).
    const QString language = qEnvironmentVariable("VELMORA_SHOTS_LANG");
    if (!language.isEmpty()) {
        QLocale::setDefault(QLocale(language));
        if (AppTranslations::install(QLocale(language)).isEmpty())
            QTextStream(stderr) << "velmora-screenshots: no catalogue for the language " << language << '\n';
    }
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/velmora.png")));
    const QString sample = QString::fromLocal8Bit(argv[1]);
    const QDir out(QString::fromLocal8Bit(argv[2]));
    if (!out.exists() && !QDir().mkpath(out.path()))
        return 1;

    // The settings and stores of a first start, in a scratch home.
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.filePath(QStringLiteral("config"))));
    qputenv("XDG_DATA_HOME", QFile::encodeName(home.filePath(QStringLiteral("data"))));
    QStringList copies;
    for (const char *name : { "sunset.png", "harbour.png", "meadow.png" }) {
        copies << home.filePath(QString::fromLatin1(name));
        QFile::copy(sample, copies.last());
    }

    AppController controller;
    bool ok = true;
    DocumentWindow *document = controller.openFiles({ copies.first() }).first();
    document->document()->addText(QStringLiteral("Ann Example"), QStringLiteral("Author"));
    document->document()->addText(QStringLiteral("CC BY 4.0"), QStringLiteral("Copyright"));
    document->resize(900, 520);
    ok = grabTo(document, out.filePath(QStringLiteral("document-window.png"))) && ok;

    PresetEditorWindow *presets = controller.showPresetEditor();
    presets->editor()->setSelection({ 0 });
    ok = grabTo(presets, out.filePath(QStringLiteral("preset-editor.png"))) && ok;

    TemplateEditorWindow *templates = controller.showTemplateEditor();
    templates->templatesTable()->selectRow(0);
    ok = grabTo(templates, out.filePath(QStringLiteral("template-editor.png"))) && ok;

    BatchWindow *batch = controller.newBatchWindow();
    batch->processor()->addFiles(copies);
    batch->processor()->comments()->addText(QStringLiteral("%FILENAME%"), QStringLiteral("Title"));
    batch->processor()->comments()->addText(QStringLiteral("Ann Example"), QStringLiteral("Author"));
    ok = grabTo(batch, out.filePath(QStringLiteral("batch-window.png"))) && ok;

    // What a picture carries: a ComfyUI graph's details, the chunks and the removal sheet of
    // a file with every kind of metadata.
    const QDir provenance(QFileInfo(sample).dir().filePath(QStringLiteral("provenance")));
    for (const char *name : { "comfyui.png", "everything.png" })
        QFile::copy(provenance.filePath(QString::fromLatin1(name)), home.filePath(QString::fromLatin1(name)));
    DocumentWindow *comfy = controller.openFiles({ home.filePath(QStringLiteral("comfyui.png")) }).first();
    comfy->resize(1200, 640);
    comfy->pane()->table()->selectRow(0);
    ok = grabTo(comfy, out.filePath(QStringLiteral("details-view.png"))) && ok;
    DocumentWindow *everything = controller.openFiles({ home.filePath(QStringLiteral("everything.png")) }).first();
    everything->showChunks();
    auto *chunks = everything->findChild<ChunkListWindow *>();
    ok = chunks && grabTo(chunks, out.filePath(QStringLiteral("chunk-list.png"))) && ok;
    RemoveMetadataDialog removal(everything->document()->removalPlan(), QStringLiteral("everything.png"), everything);
    auto *items = removal.findChild<QTreeWidget *>(QStringLiteral("removeItemsTree"));
    items->setCurrentItem(items->topLevelItem(2)); // the prompt, in full below the list
    ok = grabTo(&removal, out.filePath(QStringLiteral("remove-metadata.png"))) && ok;

    // The start window and the import, export and CSV dialogs too, to be looked at.
    if (qEnvironmentVariableIntValue("VELMORA_SHOTS_ALL") == 1) {
        ok = grabTo(controller.showStartWindow(), out.filePath(QStringLiteral("start-window.png"))) && ok;
        ImportMetadataDialog import(document, false, true);
        import.setDirectory(home.path());
        ok = grabTo(&import, out.filePath(QStringLiteral("import-dialog.png"))) && ok;
        ExportMetadataDialog exporting(document, home.filePath(QStringLiteral("sunset.velmx")), MetadataFormat::Csv);
        ok = grabTo(&exporting, out.filePath(QStringLiteral("export-dialog.png"))) && ok;
        CsvOptionsDialog csv(document);
        ok = grabTo(&csv, out.filePath(QStringLiteral("csv-options.png"))) && ok;
    }

    // Nothing is saved: the windows close without asking.
    document->document()->setModified(false);
    return ok ? 0 : 1;
}
