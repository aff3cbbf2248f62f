#pragma once

#include "provenance/ChunkDescription.h"

#include <QDialog>

class PNGDoc;
class QLabel;
class QStandardItemModel;
class QTreeView;

// Window ▸ Chunks of a document: every chunk of its file as read, in order, with its type,
// offset, length, CRC verdict, kind (critical or ancillary), whether an editor may copy it
// unknown, and what it means (ChunkDescription), the details of a chunk as its branches;
// Copy as Text puts the list on the clipboard. It follows the document: a load (Revert)
// shows the file read anew. A file the document could not read is read here (up to 256 MiB)
// to show the chunks before the damage and what it is.
//
// Children carry object names for tests: chunksTree, chunksErrorLabel, copyChunksButton.
class ChunkListWindow : public QDialog
{
    Q_OBJECT

public:
    ChunkListWindow(PNGDoc *document, QWidget *parent);

    const QList<ChunkDescription> &chunks() const { return m_chunks; }

public slots:
    void copyAsText();

private:
    void showChunks();

    PNGDoc *m_document = nullptr;
    QList<ChunkDescription> m_chunks;
    QStandardItemModel *m_model = nullptr;
    QTreeView *m_tree = nullptr;
    QLabel *m_errorLabel = nullptr;
};
