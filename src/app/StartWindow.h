#pragma once

#include <QMainWindow>

class QListWidget;

// The small window Velmora shows when it starts without a file: Open…, the recent files,
// New Batch Window, Preset Editor and Template Editor. The application adds its menus.
// Child widgets carry object names for tests: openButton, recentFilesList, batchButton,
// presetEditorButton, templateEditorButton.
class StartWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit StartWindow(QWidget *parent = nullptr);

    // Fills the list again from the settings.
    void showRecentFiles();

signals:
    void openRequested();
    void openFileRequested(const QString &path);
    void newBatchWindowRequested();
    void presetEditorRequested();
    void templateEditorRequested();

private:
    QListWidget *m_recent = nullptr;
};
