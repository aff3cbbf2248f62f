#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>

class BatchWindow;
class DocumentWindow;
class MetadataPresetManager;
class PresetEditorWindow;
class TemplateEditor;
class TemplateEditorWindow;

// The application shell, for now: creates the shared preset and template stores, opens
// one document window per PNG file and batch windows on request, and runs the File ▸
// Open… dialog of every window. A file that is open already has its window raised instead
// of a second window. It keeps one preset editor and one template editor window, made on
// first request and shown again on every later one; when the application quits, an editor
// that is open writes its edits.
class AppController : public QObject
{
    Q_OBJECT

public:
    // Creates and loads the preset store, then the template store (seeding the templates
    // folder on first run); both live as long as the controller.
    explicit AppController(QObject *parent = nullptr);
    ~AppController() override;

    MetadataPresetManager *presetStore() const { return m_presets; }
    TemplateEditor *templateStore() const { return m_templates; }

    // Opens (or raises) a window per path; returns the windows, in path order.
    QList<DocumentWindow *> openFiles(const QStringList &paths);
    // Asks for PNG files and opens them; false when the user chose none.
    bool openWithDialog();

    QList<DocumentWindow *> windows() const;

    // The editor windows, made on first use, then brought to the front.
    PresetEditorWindow *showPresetEditor();
    TemplateEditorWindow *showTemplateEditor();
    // nullptr before their first use.
    PresetEditorWindow *presetEditor() const;
    TemplateEditorWindow *templateEditor() const;

    // The application is quitting (QCoreApplication::aboutToQuit): the editor windows that
    // are open write their edits. True when nothing failed.
    bool applicationWillQuit();

    // Opens a new, independent batch window (every call another one) and brings it to the
    // front. It frees itself when it is closed.
    BatchWindow *newBatchWindow();
    // The batch windows still open.
    QList<BatchWindow *> batchWindows() const;

private:
    DocumentWindow *windowFor(const QString &path) const;

    MetadataPresetManager *m_presets = nullptr;
    TemplateEditor *m_templates = nullptr;
    QList<QPointer<DocumentWindow>> m_windows;
    QPointer<PresetEditorWindow> m_presetEditor;
    QPointer<TemplateEditorWindow> m_templateEditor;
    QList<QPointer<BatchWindow>> m_batchWindows;
};
