#include "app/AppController.h"

#include "app/MetadataDialogs.h"
#include "app/StartWindow.h"
#include "batch/widgets/BatchWindow.h"
#include "commentlist/CommentListOwner.h"
#include "core/LibraryVersions.h"
#include "core/Strings.h"
#include "document/PNGDoc.h"
#include "document/widgets/DocumentWindow.h"
#include "presets/MetadataPresetManager.h"
#include "presets/widgets/PresetEditorWindow.h"
#include "shell/AppSettings.h"
#include "shell/MetadataTransfer.h"
#include "templates/TemplateEditor.h"
#include "templates/widgets/TemplateEditorWindow.h"
#include "windowkit/CommentListWindow.h"
#include "windowkit/Prompts.h"
#include "windowkit/WindowActions.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QHeaderView>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QSettings>
#include <QSplitter>
#include <QTableView>
#include <QTimer>

namespace {

QString canonicalOrAbsolute(const QString &path)
{
    const QFileInfo info(path);
    const QString canonical = info.canonicalFilePath();
    return canonical.isEmpty() ? info.absoluteFilePath() : canonical;
}

// The PNG files among dropped URLs (by extension, ignoring case).
QStringList droppedPngFiles(const QMimeData *mime)
{
    QStringList paths;
    if (!mime || !mime->hasUrls())
        return paths;
    for (const QUrl &url : mime->urls()) {
        const QString path = url.toLocalFile();
        if (!path.isEmpty() && QFileInfo(path).suffix().compare(QLatin1String("png"), Qt::CaseInsensitive) == 0)
            paths << path;
    }
    return paths;
}

// A window's kind, under which its state is remembered.
QString windowKind(const QWidget *window)
{
    return QString::fromLatin1(window->metaObject()->className());
}

CommentListWindow *listWindow(QWidget *window)
{
    return dynamic_cast<CommentListWindow *>(window);
}

} // namespace

AppController::AppController(QObject *parent)
    : QObject(parent)
    , m_presets(new MetadataPresetManager(this))
    , m_templates(new TemplateEditor(this))
{
    {
        QSettings settings;
        AppSettings::registerDefaults(settings);
    }
    m_presets->loadMetaDataPresets();
    m_templates->loadTemplates();
    createActions();
    if (auto *app = qobject_cast<QApplication *>(QCoreApplication::instance())) {
        connect(app, &QCoreApplication::aboutToQuit, this, &AppController::applicationWillQuit);
        connect(app, &QApplication::focusChanged, this, &AppController::updateInterchangeActions);
    }
    updateInterchangeActions();
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
    delete m_startWindow.data();
}

// --- The application's commands -----------------------------------------------------------

void AppController::createActions()
{
    m_openAction = makeWindowAction(this, "openAction", "MenuOpen", QKeySequence::Open, "document-open");
    connect(m_openAction, &QAction::triggered, this, &AppController::openWithDialog);
    m_clearRecentAction = makeWindowAction(this, "clearRecentAction", "MenuClearRecent");
    connect(m_clearRecentAction, &QAction::triggered, this, [this] {
        AppSettings::clearRecentFiles();
        if (m_startWindow)
            m_startWindow->showRecentFiles();
    });
    m_importAction = makeWindowAction(
        this, "importAction", "MenuImportMetadata", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_I), "document-import");
    connect(m_importAction, &QAction::triggered, this, [this] { importMetadata(); });
    m_exportAction = makeWindowAction(
        this, "exportAction", "MenuExportMetadata", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E), "document-export");
    connect(m_exportAction, &QAction::triggered, this, [this] { exportMetadata(); });
    m_quitAction = makeWindowAction(this, "quitAction", "MenuQuit", QKeySequence::Quit, "application-exit");
    m_quitAction->setMenuRole(QAction::QuitRole);
    // Every window is asked to close (a modified document asks first); the application
    // ends with the last one.
    connect(m_quitAction, &QAction::triggered, qApp, &QApplication::closeAllWindows, Qt::QueuedConnection);

    m_newBatchAction = makeWindowAction(
        this, "newBatchWindowAction", "NewBatchWindow", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_B), "window-new");
    connect(m_newBatchAction, &QAction::triggered, this, &AppController::newBatchWindow);
    m_presetEditorAction = makeWindowAction(this, "presetEditorAction", "MenuPresetEditor");
    connect(m_presetEditorAction, &QAction::triggered, this, &AppController::showPresetEditor);
    m_templateEditorAction = makeWindowAction(this, "templateEditorAction", "MenuTemplateEditor");
    connect(m_templateEditorAction, &QAction::triggered, this, &AppController::showTemplateEditor);

    m_homePageAction = makeWindowAction(this, "homePageAction", "MenuHomePage", {}, "help-browser");
    connect(m_homePageAction, &QAction::triggered, this, &AppController::openHomePage);
    m_aboutAction = makeWindowAction(this, "aboutAction", "MenuAbout", {}, "help-about");
    m_aboutAction->setMenuRole(QAction::AboutRole);
    connect(m_aboutAction, &QAction::triggered, this, &AppController::showAbout);
}

void AppController::installMenus(QMainWindow *window)
{
    QMenuBar *bar = window->menuBar();
    QMenu *file = nullptr;
    for (QAction *item : bar->actions()) {
        if (item->menu()) {
            file = item->menu();
            break;
        }
    }
    if (!file)
        file = bar->addMenu(localizedString("MenuFile"));

    auto *recent = new QMenu(localizedString("MenuOpenRecent"), window);
    recent->setObjectName(QStringLiteral("openRecentMenu"));
    recent->menuAction()->setObjectName(QStringLiteral("openRecentMenuAction"));
    connect(recent, &QMenu::aboutToShow, this, [this, recent] { fillRecentMenu(recent); });
    fillRecentMenu(recent);

    QAction *first = file->actions().value(0);
    file->insertAction(first, m_openAction);
    file->insertMenu(first, recent);
    file->insertSeparator(first);
    file->insertAction(first, m_importAction);
    file->insertAction(first, m_exportAction);
    if (first)
        file->insertSeparator(first);
    file->addSeparator();
    file->addAction(m_quitAction);
    connect(file, &QMenu::aboutToShow, this, &AppController::updateInterchangeActions);

    // A window may bring a Window menu with items of its own, which stay on top.
    auto *windowMenu = window->findChild<QMenu *>(QStringLiteral("windowMenu"));
    if (!windowMenu) {
        windowMenu = bar->addMenu(localizedString("MenuWindow"));
        windowMenu->setObjectName(QStringLiteral("windowMenu"));
    }
    const QList<QAction *> own = windowMenu->actions();
    connect(windowMenu, &QMenu::aboutToShow, this, [this, windowMenu, own] { fillWindowMenu(windowMenu, own); });
    fillWindowMenu(windowMenu, own);

    QMenu *help = bar->addMenu(localizedString("MenuHelp"));
    help->setObjectName(QStringLiteral("helpMenu"));
    help->addAction(m_homePageAction);
    help->addSeparator();
    help->addAction(m_aboutAction);

    window->setAcceptDrops(true);
    window->installEventFilter(this);
    restoreWindowState(window);
}

void AppController::fillRecentMenu(QMenu *menu)
{
    // The items made last time go; the shared Clear Menu item stays the application's.
    for (QAction *item : menu->actions()) {
        menu->removeAction(item);
        if (item != m_clearRecentAction)
            delete item;
    }
    const QStringList files = AppSettings::recentFiles();
    int number = 0;
    for (const QString &path : files) {
        ++number;
        const QString label = number < 10 ? QStringLiteral("&%1 %2").arg(number).arg(QFileInfo(path).fileName())
                                          : QFileInfo(path).fileName();
        QAction *item = menu->addAction(label);
        item->setToolTip(QDir::toNativeSeparators(path));
        item->setStatusTip(QDir::toNativeSeparators(path));
        connect(item, &QAction::triggered, this, [this, path] { openFiles({ path }); });
    }
    if (files.isEmpty()) {
        QAction *none = menu->addAction(localizedString("NoRecentFiles"));
        none->setEnabled(false);
    }
    menu->addSeparator();
    menu->addAction(m_clearRecentAction);
    m_clearRecentAction->setEnabled(!files.isEmpty());
}

QList<QWidget *> AppController::openWindows() const
{
    QList<QWidget *> result;
    if (m_startWindow)
        result << m_startWindow.data();
    for (DocumentWindow *window : windows())
        result << window;
    for (BatchWindow *window : batchWindows())
        result << window;
    if (m_presetEditor && m_presetEditor->isVisible())
        result << m_presetEditor.data();
    if (m_templateEditor && m_templateEditor->isVisible())
        result << m_templateEditor.data();
    return result;
}

void AppController::fillWindowMenu(QMenu *menu, const QList<QAction *> &own)
{
    for (QAction *item : menu->actions()) {
        menu->removeAction(item);
        if (item->parent() == menu)
            delete item;
    }
    if (!own.isEmpty()) {
        menu->addActions(own);
        menu->addSeparator();
    }
    menu->addAction(m_newBatchAction);
    menu->addAction(m_presetEditorAction);
    menu->addAction(m_templateEditorAction);
    menu->addSeparator();
    QWidget *front = QApplication::activeWindow();
    for (QWidget *window : openWindows()) {
        QString title = window->windowTitle();
        title.replace(QStringLiteral("[*]"), window->isWindowModified() ? QStringLiteral(" •") : QString());
        auto *item = new QAction(title.replace(u'&', QStringLiteral("&&")), menu);
        item->setCheckable(true);
        item->setChecked(window == front);
        QPointer<QWidget> target = window;
        connect(item, &QAction::triggered, this, [target] {
            if (!target)
                return;
            target->show();
            target->raise();
            target->activateWindow();
        });
        menu->addAction(item);
    }
}

void AppController::updateInterchangeActions()
{
    // Only a document or a batch window in front has a list to import into or export.
    const bool list = listWindow(QApplication::activeWindow()) != nullptr;
    m_importAction->setEnabled(list);
    m_exportAction->setEnabled(list);
}

// --- Window state -----------------------------------------------------------------------------

void AppController::restoreWindowState(QMainWindow *window)
{
    const QString kind = windowKind(window);
    const QByteArray geometry = AppSettings::windowState(kind, QStringLiteral("geometry"));
    if (!geometry.isEmpty())
        window->restoreGeometry(geometry);
    for (QSplitter *splitter : window->findChildren<QSplitter *>()) {
        const QByteArray state = AppSettings::windowState(kind, QStringLiteral("splitter-") + splitter->objectName());
        if (!splitter->objectName().isEmpty() && !state.isEmpty())
            splitter->restoreState(state);
    }
    for (QTableView *table : window->findChildren<QTableView *>()) {
        const QByteArray state = AppSettings::windowState(kind, QStringLiteral("columns-") + table->objectName());
        if (!table->objectName().isEmpty() && !state.isEmpty())
            table->horizontalHeader()->restoreState(state);
    }
}

void AppController::saveWindowState(QMainWindow *window)
{
    const QString kind = windowKind(window);
    AppSettings::setWindowState(kind, QStringLiteral("geometry"), window->saveGeometry());
    for (QSplitter *splitter : window->findChildren<QSplitter *>()) {
        if (!splitter->objectName().isEmpty())
            AppSettings::setWindowState(
                kind, QStringLiteral("splitter-") + splitter->objectName(), splitter->saveState());
    }
    for (QTableView *table : window->findChildren<QTableView *>()) {
        if (!table->objectName().isEmpty())
            AppSettings::setWindowState(
                kind, QStringLiteral("columns-") + table->objectName(), table->horizontalHeader()->saveState());
    }
}

bool AppController::eventFilter(QObject *watched, QEvent *event)
{
    auto *window = qobject_cast<QMainWindow *>(watched);
    if (!window)
        return QObject::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::Close:
        saveWindowState(window);
        break;
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto *drag = static_cast<QDragMoveEvent *>(event);
        if (!droppedPngFiles(drag->mimeData()).isEmpty()) {
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
            return true;
        }
        break;
    }
    case QEvent::Drop: {
        auto *drop = static_cast<QDropEvent *>(event);
        const QStringList paths = droppedPngFiles(drop->mimeData());
        if (!paths.isEmpty()) {
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            // After the drop has ended: a dialog of the opened window must not run inside it.
            QTimer::singleShot(0, this, [this, paths] { openFiles(paths); });
            return true;
        }
        break;
    }
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

// --- Windows ------------------------------------------------------------------------------------

PresetEditorWindow *AppController::showPresetEditor()
{
    if (!m_presetEditor) {
        m_presetEditor = new PresetEditorWindow(m_presets);
        installMenus(m_presetEditor);
    }
    m_presetEditor->makeWindowKey();
    return m_presetEditor;
}

TemplateEditorWindow *AppController::showTemplateEditor()
{
    if (!m_templateEditor) {
        m_templateEditor = new TemplateEditorWindow(m_templates, m_presets);
        installMenus(m_templateEditor);
    }
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
    QList<DocumentWindow *> unreadable;
    for (const QString &path : paths) {
        if (path.isEmpty())
            continue;
        DocumentWindow *window = windowFor(path);
        if (!window) {
            window = new DocumentWindow(path, stores());
            installMenus(window);
            // Search in Texts is a preference: remembered, and the same in every document.
            window->document()->setSearchInTexts(AppSettings::searchInTexts());
            connect(window->document(), &PNGDoc::searchInTextsChanged, this, [this](bool on) {
                AppSettings::setSearchInTexts(on);
                for (DocumentWindow *other : windows())
                    other->document()->setSearchInTexts(on);
            });
            // A file saved under another name is the one to offer next time.
            connect(window->document(), &PNGDoc::saved, this,
                [document = window->document()] { AppSettings::addRecentFile(document->path()); });
            m_windows.removeIf([](const QPointer<DocumentWindow> &w) { return w.isNull(); });
            m_windows.append(window);
            if (window->loadError().isEmpty())
                AppSettings::addRecentFile(path);
            else
                unreadable << window;
        }
        window->show();
        window->raise();
        window->activateWindow();
        opened.append(window);
    }
    if (!opened.isEmpty())
        closeStartWindow();
    for (DocumentWindow *window : std::as_const(unreadable))
        reportLoadError(window);
    return opened;
}

void AppController::reportLoadError(DocumentWindow *window)
{
    Prompts::showError(window, localizedString("FileUnreadable").arg(QFileInfo(window->document()->path()).fileName()),
        window->loadError());
}

bool AppController::openWithDialog()
{
    const QStringList paths = Prompts::openFileNames(QApplication::activeWindow());
    if (paths.isEmpty())
        return false;
    openFiles(paths);
    return true;
}

BatchWindow *AppController::newBatchWindow()
{
    auto *window = new BatchWindow(stores());
    installMenus(window);
    m_batchWindows.removeIf([](const QPointer<BatchWindow> &w) { return w.isNull(); });
    m_batchWindows.append(window);
    window->show();
    window->raise();
    window->activateWindow();
    closeStartWindow();
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

StartWindow *AppController::showStartWindow()
{
    if (!m_startWindow) {
        m_startWindow = new StartWindow;
        connect(m_startWindow, &StartWindow::openRequested, this, &AppController::openWithDialog);
        connect(
            m_startWindow, &StartWindow::openFileRequested, this, [this](const QString &path) { openFiles({ path }); });
        connect(m_startWindow, &StartWindow::newBatchWindowRequested, this, &AppController::newBatchWindow);
        connect(m_startWindow, &StartWindow::presetEditorRequested, this, &AppController::showPresetEditor);
        connect(m_startWindow, &StartWindow::templateEditorRequested, this, &AppController::showTemplateEditor);
        installMenus(m_startWindow);
    }
    m_startWindow->showRecentFiles();
    m_startWindow->show();
    m_startWindow->raise();
    m_startWindow->activateWindow();
    return m_startWindow;
}

StartWindow *AppController::startWindow() const
{
    return m_startWindow;
}

void AppController::closeStartWindow()
{
    if (m_startWindow)
        m_startWindow->close();
}

// --- Import and export -------------------------------------------------------------------------

bool AppController::importMetadata(QWidget *window)
{
    QPointer<QWidget> front = window ? window : QApplication::activeWindow();
    if (!listWindow(front))
        return false;
    const MetadataDialogs::ImportChoice choice = MetadataDialogs::chooseImport(
        front, AppSettings::importClearExistingMetadata(), AppSettings::importEnforceUniqueKeywords());
    if (choice.path.isEmpty() || !front)
        return false;
    AppSettings::setImportClearExistingMetadata(choice.clearExisting);
    AppSettings::setImportEnforceUniqueKeywords(choice.enforceUniqueKeywords);

    MetadataImport import { choice.path, u',', choice.enforceUniqueKeywords, choice.clearExisting };
    if (const MetadataFileFormat *row = metadataFileFormat(metadataFormatForPath(choice.path));
        row && row->usesSeparator) {
        const QString separator = MetadataDialogs::askCsvSeparator(front);
        if (separator.isNull() || !front)
            return false;
        import.separator = CsvSeparatorChoice::separatorFromText(separator);
    }
    CommentListWindow *target = listWindow(front);
    const QString title = localizedString("ImportFailed").arg(QFileInfo(choice.path).fileName());
    if (!target->canImportMetadata()) {
        Prompts::showError(front, title, localizedString("ImportWhileRunning"));
        return false;
    }
    QString error;
    if (!::importMetadata(*target->metadataList(), import, &error)) {
        Prompts::showError(front, title, error);
        return false;
    }
    return true;
}

bool AppController::exportMetadata(QWidget *window)
{
    QPointer<QWidget> front = window ? window : QApplication::activeWindow();
    if (!listWindow(front))
        return false;
    // A document suggests its own name in its folder.
    const MetadataFormat lastFormat = AppSettings::exportFormat();
    QString suggested;
    if (!front->windowFilePath().isEmpty()) {
        const QFileInfo info(front->windowFilePath());
        suggested = info.dir().filePath(info.completeBaseName() + u'.' + metadataFormatExtension(lastFormat));
    }
    const MetadataDialogs::ExportChoice choice = MetadataDialogs::chooseExport(front, suggested, lastFormat);
    if (choice.path.isEmpty() || !front)
        return false;
    AppSettings::setExportFormat(choice.format);

    const QString fileName = QFileInfo(choice.path).fileName();
    QChar separator = u',';
    CommentListOwner *list = listWindow(front)->metadataList();
    if (const MetadataFileFormat *row = metadataFileFormat(choice.format); row && row->usesSeparator) {
        const QString text = MetadataDialogs::askCsvSeparator(front);
        if (text.isNull() || !front)
            return false;
        separator = CsvSeparatorChoice::separatorFromText(text);
        const QStringList lost = entriesDelimitedTextCannotCarry(list->comments(), separator);
        if (!lost.isEmpty()
            && !Prompts::confirm(front, localizedString("CsvCannotCarry").arg(fileName),
                localizedString("CsvCannotCarryDetail").arg(lost.join(u'\n')), localizedString("ExportAnyway")))
            return false;
    }
    QString error;
    if (!::exportMetadata(*list, choice.path, separator, &error)) {
        Prompts::showError(front, localizedString("ExportFailed").arg(fileName), error);
        return false;
    }
    return true;
}

// --- Help ------------------------------------------------------------------------------------------

QUrl AppController::homePage()
{
    return QUrl(QStringLiteral("https://velmora.org/"));
}

void AppController::openHomePage()
{
    QDesktopServices::openUrl(homePage());
}

QString AppController::aboutText()
{
    return localizedString("AboutText")
        .arg(QStringLiteral(QT_VERSION_STR), QString::fromLatin1(qVersion()), libpngRuntimeVersion(),
            zlibRuntimeVersion());
}

void AppController::showAbout()
{
    const QString title = localizedString("AboutTitle").arg(QCoreApplication::applicationVersion());
    const Prompts::Request request { Prompts::Kind::About, title, aboutText() };
    Prompts::ask(request, [&]() -> QVariant {
        QMessageBox box(QApplication::activeWindow());
        box.setWindowTitle(localizedString("MenuAbout").remove(u'&'));
        box.setIconPixmap(QApplication::windowIcon().pixmap(64, 64));
        box.setText(QStringLiteral("<b>%1</b>").arg(title.toHtmlEscaped()));
        box.setInformativeText(aboutText());
        box.setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return QVariant();
    });
}
