#pragma once

#include <QAbstractListModel>
#include <QStringList>

class QMimeData;

// The files of a batch: full paths in ascending order, one row each, and the only way to
// change them. Files enter from file-name lists (text/uri-list: a paste, a drop from a file
// manager or another batch window) and from chosen paths; folders are searched to any depth
// (FileGathering). Each path is kept as delivered, the same path may be listed twice, and
// after every addition the whole list is sorted again. Rows are not editable.
//
// The item model announces removals row by row and an addition as one reset. While
// read-only (a run is going) nothing changes and drops are refused.
class BatchFileList : public QAbstractListModel
{
    Q_OBJECT

public:
    explicit BatchFileList(QObject *parent = nullptr);

    const QStringList &paths() const { return m_paths; }
    int count() const { return int(m_paths.size()); }

    // The extension check of additions: the setting "checkFileExtWhenAddingToBatchList", on
    // unless the user turned it off.
    static bool checkFileExtension();

    // Adds the files found at paths (the extension check read once) and sorts the list.
    // Returns how many were added.
    int addFiles(const QStringList &paths);
    int addFiles(const QStringList &paths, bool checkExtension);
    // The files of a file-name list (local files only). False, after logging "No compatible
    // paste types found.", when mime offers no file names; then nothing changes. *added
    // is the number of files added.
    bool insertDataFromPasteboard(const QMimeData *mime, int *added = nullptr);
    // Writes the paths at rows, in list order, as a file-name list. False, mime untouched,
    // when no row is in the list.
    bool writeFiles(const QList<int> &rows, QMimeData *mime) const;
    // Removes the paths at rows (rows outside the list are ignored); false when none was.
    bool removeFiles(const QList<int> &rows);
    bool removeAllFiles();

    bool isReadOnly() const { return m_readOnly; }
    void setReadOnly(bool readOnly) { m_readOnly = readOnly; }

    // QAbstractItemModel.
    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;
    bool canDropMimeData(
        const QMimeData *data, Qt::DropAction action, int row, int column, const QModelIndex &parent) const override;
    bool dropMimeData(
        const QMimeData *data, Qt::DropAction action, int row, int column, const QModelIndex &parent) override;

signals:
    // After every change of the list.
    void filesChanged();

private:
    QStringList m_paths;
    bool m_readOnly = false;
};
