#pragma once

#include "core/PNGComment.h"
#include "provenance/GenerationRecord.h"

#include <QJsonDocument>
#include <QWidget>

class QAction;
class QLabel;
class QMenu;
class QPlainTextEdit;
class QStandardItemModel;
class QTabWidget;
class QTreeView;

// The details of one entry of a comment list, beside its table: what the text holds, made
// readable. The Fields tab shows, each as a foldable branch of one tree, the generation
// settings an image generator stored (GenerationRecord, labelled fields), the JSON text as
// its tree of values, and an XMP packet's properties (XmpPacket); the Text tab shows the
// text, JSON pretty-printed. The view only reads: the entry's stored text stays as it is,
// and edits go through the table or the comment editor panel as ever.
//
// Its commands, in its Details menu (detailsMenu): Copy Prompt (the prompts of the
// generation settings) and Copy Value (the selected field, or a JSON branch as indented
// JSON).
//
// Children carry object names for tests: detailsTabs, detailsTree, detailsText,
// detailsTitle, copyPromptButton, copyValueButton; the actions copyPromptAction,
// copyValueAction.
class EntryDetailsView : public QWidget
{
    Q_OBJECT

public:
    explicit EntryDetailsView(QWidget *parent = nullptr);

    // Shows an entry (null: none). The view follows changes of the entry when refresh() is
    // called.
    void showEntry(const CommentPtr &entry);
    CommentPtr entry() const { return m_entry; }
    // Reads the entry again when its keyword or text changed.
    void refresh();

    QMenu *menu() const { return m_menu; }
    // The generation settings of the entry shown.
    const QList<GenerationRecord> &records() const { return m_records; }

public slots:
    void copyPrompt();
    void copyValue();

private:
    void rebuild();
    void updateActions();
    // The Text tab's text, made when the tab is first shown.
    void showText();
    // A JSON branch's own branches, made when it is first opened.
    void fillBranch(const QModelIndex &index);

    CommentPtr m_entry;
    QString m_keyword;
    QString m_text;
    QJsonDocument m_json; // the text read as JSON (null: it is none)
    bool m_textShown = false;
    QList<GenerationRecord> m_records;
    QLabel *m_title = nullptr;
    QTabWidget *m_tabs = nullptr;
    QStandardItemModel *m_fields = nullptr;
    QTreeView *m_tree = nullptr;
    QPlainTextEdit *m_textView = nullptr;
    QAction *m_copyPrompt = nullptr;
    QAction *m_copyValue = nullptr;
    QMenu *m_menu = nullptr;
};
