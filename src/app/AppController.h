#pragma once

#include "windowkit/WindowStores.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QUrl>

class BatchWindow;
class CommentListWindow;
class DocumentWindow;
class MetadataPresetManager;
class PresetEditorWindow;
class QAction;
class QMainWindow;
class QMenu;
class StartWindow;
class TemplateEditor;
class TemplateEditorWindow;

// The application shell: creates the shared preset and template stores (and hands them to
// the windows it opens), opens one
// document window per PNG file (a file that is open already has its window raised), batch
// windows on request, one preset editor and one template editor window (made on first
// request, shown again later), and the start window when Velmora starts without files.
//
// It owns the application-wide commands and puts them into every window's menus:
// File ▸ Open…, Open Recent, Import Metadata…, Export Metadata…, Quit; Window ▸ New Batch
// Window, Preset Editor, Template Editor and the open windows; Help ▸ Home Page, About
// Velmora. Import and export act on the window in front when it is a document or a batch
// window, and are off otherwise. Every window remembers its geometry, splitter and column
// widths per kind of window, and opens the PNG files dropped onto it. When the application
// quits, an editor that is open writes its edits.
//
// Actions carry object names for tests: openAction, clearRecentAction, importAction,
// exportAction, quitAction, newBatchWindowAction, presetEditorAction,
// templateEditorAction, homePageAction, aboutAction; the menus it adds openRecentMenu,
// windowMenu, helpMenu.
class AppController : public QObject
{
    Q_OBJECT

public:
    // Creates and loads the preset store, then the template store (seeding the templates
    // folder on first run); both live as long as the controller. Writes the settings'
    // defaults where the user has none.
    explicit AppController(QObject *parent = nullptr);
    ~AppController() override;

    MetadataPresetManager *presetStore() const { return m_presets; }
    TemplateEditor *templateStore() const { return m_templates; }
    // Both, as the windows take them.
    WindowStores stores() const { return { m_presets, m_templates }; }

    // Opens (or raises) a window per path; returns the windows, in path order. A file that
    // cannot be read gets its window, which says why, and a dialog saying it too.
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

    // The start window, shown (made when there is none); it closes once a document or a
    // batch window opens.
    StartWindow *showStartWindow();
    StartWindow *startWindow() const;

    // Puts the application's items and menus into a window's menu bar (its first menu is
    // taken as its File menu) and restores the window's remembered state.
    void installMenus(QMainWindow *window);

    // File ▸ Import Metadata… and Export Metadata… on the window in front (window, when
    // given). False when nothing was imported or exported (cancelled, refused or failed;
    // failures are shown).
    bool importMetadata(QWidget *window = nullptr);
    bool exportMetadata(QWidget *window = nullptr);

    // Help ▸ About Velmora, Help ▸ Velmora Home Page.
    void showAbout();
    void openHomePage();
    static QUrl homePage();
    // What About Velmora says: version, licence, the libraries and their versions.
    static QString aboutText();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    DocumentWindow *windowFor(const QString &path) const;
    void createActions();
    void fillRecentMenu(QMenu *menu);
    // The window's own items first (own), then the application's.
    void fillWindowMenu(QMenu *menu, const QList<QAction *> &own);
    QList<QWidget *> openWindows() const;
    void updateInterchangeActions();
    void restoreWindowState(QMainWindow *window);
    void saveWindowState(QMainWindow *window);
    void reportLoadError(DocumentWindow *window);
    void closeStartWindow();

    MetadataPresetManager *m_presets = nullptr;
    TemplateEditor *m_templates = nullptr;
    QList<QPointer<DocumentWindow>> m_windows;
    QPointer<PresetEditorWindow> m_presetEditor;
    QPointer<TemplateEditorWindow> m_templateEditor;
    QList<QPointer<BatchWindow>> m_batchWindows;
    QPointer<StartWindow> m_startWindow;

    QAction *m_openAction = nullptr;
    QAction *m_clearRecentAction = nullptr;
    QAction *m_importAction = nullptr;
    QAction *m_exportAction = nullptr;
    QAction *m_quitAction = nullptr;
    QAction *m_newBatchAction = nullptr;
    QAction *m_presetEditorAction = nullptr;
    QAction *m_templateEditorAction = nullptr;
    QAction *m_homePageAction = nullptr;
    QAction *m_aboutAction = nullptr;
};
