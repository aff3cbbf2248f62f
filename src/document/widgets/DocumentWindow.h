#pragma once

#include "commentlist/widgets/CommentListWindow.h"

#include <QMainWindow>
#include <QPointer>

class CommentEditorPanel;
class CommentTableModel;
class CommentTableView;
class ImageView;
class PNGDoc;
class PreviewLoader;
class QAction;
class QLabel;
class QLineEdit;
class StoreMenu;

// The window of one open PNG: the image, its six summary lines, the search field and the
// comment table, with the document's commands in its menus (File, Edit with undo and
// redo, Comments, Presets, Templates; the application adds its own items and menus). It
// owns its PNGDoc and reads the file once the window is built; a file that cannot be read
// leaves the window open with the load-failed lines and the reason below them, and
// cannot be saved (Save and Save As are off until Revert to Saved reads it). Closing a
// modified window asks whether to save; reverting a modified one asks first. The comment
// editor panel is created on first use and closes with the window.
//
// Reading the file decodes no pixels, so the entries and the summary show at once; the
// picture is decoded afterwards, off the GUI thread (PreviewLoader), into a preview no
// larger than the screen, with a progress bar over it. A decode that finds the image data
// damaged shows why in the picture's place, and a save then asks before writing. Closing
// the window stops the decode.
//
// Child widgets carry object names for tests: imageView, imageSizeField,
// imageBitDepthField, imagePixelFormatField, imageInterlacedField,
// imagePhysicalSizeMMField, imagePhysicalSizeInchField, searchField, commentTable,
// addButton, removeButton, presetsButton, templatesButton, presetsMenu, templatesMenu,
// loadErrorLabel; actions are named after their commands (addAction, saveAction,
// undoAction …).
class DocumentWindow : public QMainWindow, public CommentListWindow
{
    Q_OBJECT

public:
    explicit DocumentWindow(const QString &path, QWidget *parent = nullptr);
    ~DocumentWindow() override;

    PNGDoc *document() const { return m_document; }
    CommentTableModel *tableModel() const { return m_model; }
    CommentTableView *commentTable() const { return m_table; }
    // The comment editor panel, or nullptr before its first use.
    CommentEditorPanel *commentEditor() const;

    // The row a paste goes to: the current row when it is selected, else the last
    // selected row, or -1 (append) without a selection.
    int pasteRow() const;

    // Why the file could not be read; empty once it was.
    QString loadError() const { return m_loadError; }

    // Import and export act on the document's arranged list.
    CommentListOwner *metadataList() override;

public slots:
    void addMetadataField();
    void removeMetadataField();
    void cut();
    void copy();
    void paste();
    void deleteSelection();
    void deleteAll();
    void undo();
    void redo();
    // Appends the preset at index of the shared store and starts editing its text.
    void addPresetMetadataField(int index);
    // Applies the template at index of the shared store, as one step.
    void applyTemplate(int index);
    // Opens the comment editor panel on the comment of the highest selected row.
    void openCommentEditor();
    // Save to the document's file / to a chosen file; a failure shows an error dialog.
    bool save();
    bool saveAs();
    // Reads the file again, after asking when the document is modified.
    void revert();

    // The decode of the picture in progress or last done.
    PreviewLoader *previewLoader() const { return m_previewLoader; }

protected:
    void closeEvent(QCloseEvent *event) override;

private:
    void buildWidgets();
    void buildMenus();
    QAction *makeAction(const char *name, const char *textKey, const QKeySequence &shortcut = QKeySequence());
    void showSummary();
    void showImage();
    void showPreview();
    // Whether a save may go on when the image data is damaged (asks).
    bool confirmDamagedSave(const QString &path);
    void updateTitle();
    void updateActions();
    void showLoadError(const QString &reason);
    bool saveToPath(const QString &path);
    // Hands open edits (a table cell, the panel) to the document.
    void commitEditing();

    PNGDoc *m_document = nullptr;
    CommentTableModel *m_model = nullptr;
    CommentTableView *m_table = nullptr;
    ImageView *m_imageView = nullptr;
    PreviewLoader *m_previewLoader = nullptr;
    QLineEdit *m_searchField = nullptr;
    QList<QLabel *> m_summaryFields;
    QList<QAction *> m_selectionActions;
    StoreMenu *m_presetsMenu = nullptr;
    StoreMenu *m_templatesMenu = nullptr;
    QPointer<CommentEditorPanel> m_commentEditor;
    QAction *m_saveAction = nullptr;
    QAction *m_saveAsAction = nullptr;
    QLabel *m_loadErrorLabel = nullptr;
    QString m_loadError;
};
