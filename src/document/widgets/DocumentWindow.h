#pragma once

#include "windowkit/CommentListWindow.h"
#include "windowkit/WindowStores.h"

#include <QMainWindow>
#include <QPointer>

class ChunkListWindow;
class CommentListPane;
class ImageView;
class PNGDoc;
class PreviewLoader;
class QAction;
class QLabel;
class QLineEdit;

// The window of one open PNG: the image, its six summary lines, the search field and the
// comment list pane (CommentListPane: the table, the details of the selected entry, its
// buttons, the comment editor panel and the list's commands), with the document's commands
// in its menus (File, Edit with the pane's commands, Find and Search in Texts, the pane's
// Comments, Presets, Templates and Details; the application
// adds its own items and menus). It owns its PNGDoc and reads the file once the window is
// built; a file that cannot be read leaves the window open with the load-failed lines and
// the reason below them, and cannot be saved (Save and Save As are off until Revert to
// Saved reads it). Closing a modified window asks whether to save; reverting a modified
// one asks first.
//
// Reading the file decodes no pixels, so the entries and the summary show at once; the
// picture is decoded afterwards, off the GUI thread (PreviewLoader), into a preview no
// larger than the screen, with a progress bar over it. A decode that finds the image data
// damaged shows why in the picture's place, and a save then asks before writing. A save
// before the picture's answer waits for the check of the image data, with a progress
// dialog (imageCheckProgress) whose Cancel abandons the save. Closing the window stops the
// decode.
//
// Child widgets carry object names for tests: imageView, imageSizeField,
// imageBitDepthField, imagePixelFormatField, imageInterlacedField,
// imagePhysicalSizeMMField, imagePhysicalSizeInchField, privacyNotice, searchField,
// loadErrorLabel, and those of the pane; actions are named after their commands (saveAction,
// findAction, searchInTextsAction, removeMetadataAction, chunksAction …), and its own
// Window menu (windowMenu) holds Chunks.
class DocumentWindow : public QMainWindow, public CommentListWindow
{
    Q_OBJECT

public:
    DocumentWindow(const QString &path, const WindowStores &stores, QWidget *parent = nullptr);

    PNGDoc *document() const { return m_document; }
    CommentListPane *pane() const { return m_pane; }
    // The decode of the picture in progress or last done.
    PreviewLoader *previewLoader() const { return m_previewLoader; }

    // Why the file could not be read; empty once it was.
    QString loadError() const { return m_loadError; }

    // Import and export act on the document's arranged list.
    CommentListOwner *metadataList() override;
    bool mayClose() override;
    void closeAgreed() override;

public slots:
    // Save to the document's file / to a chosen file; a failure shows an error dialog.
    bool save();
    bool saveAs();
    // Reads the file again, after asking when the document is modified.
    void revert();
    // File ▸ Remove Metadata…: the plan's items to choose from, removed in one undoable step.
    void removeMetadata();
    // Window ▸ Chunks: the chunk inspector of the file (made on first use).
    void showChunks();

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildWidgets(const WindowStores &stores);
    void buildMenus();
    void showSummary();
    // The notice of what the file gives away (PrivacyFacts), hidden when nothing.
    void showPrivacy();
    // The search field says whether it looks in the texts too.
    void showSearchScope(bool inTexts);
    void showImage();
    void showPreview();
    // Waits for the check of the image data unless its result is known (the picture's decode
    // answers when it is under way, else the document checks), with a progress dialog;
    // false when the user cancelled it.
    bool awaitImageDataCheck(const QString &path);
    // Whether a save may go on when the image data is damaged (asks).
    bool confirmDamagedSave(const QString &path);
    void updateTitle();
    void showLoadError(const QString &reason);
    bool saveToPath(const QString &path);

    QString m_loadError;
    PNGDoc *m_document = nullptr;
    ImageView *m_imageView = nullptr;
    QList<QLabel *> m_summaryFields;
    PreviewLoader *m_previewLoader = nullptr;
    CommentListPane *m_pane = nullptr;
    bool m_closeAgreed = false;
    bool m_checkingImageData = false;
    QLineEdit *m_searchField = nullptr;
    // Save and Save As, off while the file could not be read.
    QList<QAction *> m_saveActions;
    QLabel *m_loadErrorLabel = nullptr;
    QLabel *m_privacyNotice = nullptr;
    QPointer<ChunkListWindow> m_chunkInspector;
};
