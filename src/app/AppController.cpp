#include "app/AppController.h"

#include "batch/widgets/BatchWindow.h"
#include "commentlist/widgets/Prompts.h"
#include "document/PNGDoc.h"
#include "document/widgets/DocumentWindow.h"
#include "presets/MetadataPresetManager.h"
#include "presets/widgets/PresetEditorWindow.h"
#include "templates/TemplateEditor.h"
#include "templates/widgets/TemplateEditorWindow.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace {

QString canonicalOrAbsolute(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

} // namespace

AppController::AppController(QObject *parent)
    : QObject(parent)
    , m_presets(new MetadataPresetManager(this))
    , m_templates(new TemplateEditor(this))
{
    m_presets->loadMetaDataPresets();
    m_templates->loadTemplates();
    if (QCoreApplication *app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &AppController::applicationWillQuit);
}

AppController::~AppController()
{
    // Windows delete themselves when closed; any left over go with the controller, before
    // the stores they show.
    for (const auto &window : std::as_const(m_windows))
        delete window.data();
    for (const auto &window : std::as_const(m_batchWindows))
        delete window.data();
    delete m_presetEditor.data();
    delete m_templateEditor.data();
}

PresetEditorWindow *AppController::showPresetEditor()
{
    if (!m_presetEditor)
        m_presetEditor = new PresetEditorWindow(m_presets);
    m_presetEditor->makeWindowKey();
    return m_presetEditor;
}

TemplateEditorWindow *AppController::showTemplateEditor()
{
    if (!m_templateEditor)
        m_templateEditor = new TemplateEditorWindow(m_templates);
    m_templateEditor->makeWindowKey();
    return m_templateEditor;
}

PresetEditorWindow *AppController::presetEditor() const
{
    return m_presetEditor;
}

TemplateEditorWindow *AppController::templateEditor() const
{
    return m_templateEditor;
}

bool AppController::applicationWillQuit()
{
    bool saved = true;
    if (m_presetEditor)
        saved = m_presetEditor->saveForQuit() && saved;
    if (m_templateEditor)
        saved = m_templateEditor->saveForQuit() && saved;
    return saved;
}

QList<DocumentWindow *> AppController::windows() const
{
    QList<DocumentWindow *> result;
    for (const auto &window : m_windows) {
        if (window)
            result.append(window.data());
    }
    return result;
}

DocumentWindow *AppController::windowFor(const QString &path) const
{
    const QString wanted = canonicalOrAbsolute(path);
    for (DocumentWindow *window : windows()) {
        if (canonicalOrAbsolute(window->document()->path()) == wanted)
            return window;
    }
    return nullptr;
}

QList<DocumentWindow *> AppController::openFiles(const QStringList &paths)
{
    QList<DocumentWindow *> opened;
    for (const QString &path : paths) {
        if (path.isEmpty())
            continue;
        DocumentWindow *window = windowFor(path);
        if (!window) {
            window = new DocumentWindow(path);
            connect(window, &DocumentWindow::openRequested, this, &AppController::openWithDialog);
            connect(window, &DocumentWindow::presetEditorRequested, this, &AppController::showPresetEditor);
            connect(window, &DocumentWindow::templateEditorRequested, this, &AppController::showTemplateEditor);
            connect(window, &DocumentWindow::newBatchWindowRequested, this, &AppController::newBatchWindow);
            m_windows.removeIf([](const QPointer<DocumentWindow> &w) { return w.isNull(); });
            m_windows.append(window);
        }
        window->show();
        window->raise();
        window->activateWindow();
        opened.append(window);
    }
    return opened;
}

bool AppController::openWithDialog()
{
    const QStringList paths = Prompts::openFileNames(nullptr);
    if (paths.isEmpty())
        return false;
    openFiles(paths);
    return true;
}

BatchWindow *AppController::newBatchWindow()
{
    auto *window = new BatchWindow;
    connect(window, &BatchWindow::openRequested, this, &AppController::openWithDialog);
    connect(window, &BatchWindow::newBatchWindowRequested, this, &AppController::newBatchWindow);
    m_batchWindows.removeIf([](const QPointer<BatchWindow> &w) { return w.isNull(); });
    m_batchWindows.append(window);
    window->show();
    window->raise();
    window->activateWindow();
    return window;
}

QList<BatchWindow *> AppController::batchWindows() const
{
    QList<BatchWindow *> result;
    for (const auto &window : m_batchWindows) {
        if (window)
            result.append(window.data());
    }
    return result;
}
