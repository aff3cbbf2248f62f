#include "batch/BatchFileList.h"

#include "batch/FileGathering.h"
#include "core/Strings.h"

#include <QLoggingCategory>
#include <QMimeData>
#include <QSettings>
#include <QUrl>

#include <algorithm>

namespace {

Q_LOGGING_CATEGORY(lcBatchFiles, "velmora.batch.files")

const char kUriList[] = "text/uri-list";

} // namespace

BatchFileList::BatchFileList(QObject *parent)
    : QAbstractListModel(parent)
{
}

bool BatchFileList::checkFileExtension()
{
    return QSettings().value(QStringLiteral("checkFileExtWhenAddingToBatchList"), true).toBool();
}

int BatchFileList::addFiles(const QStringList &paths)
{
    return addFiles(paths, checkFileExtension());
}

int BatchFileList::addFiles(const QStringList &paths, bool checkExtension)
{
    if (m_readOnly)
        return 0;
    QStringList found;
    appendGatheredFiles(found, paths, checkExtension);
    if (found.isEmpty())
        return 0;
    // Both sorted: one merge keeps the whole list in order.
    beginResetModel();
    QStringList merged;
    merged.reserve(m_paths.size() + found.size());
    std::merge(m_paths.cbegin(), m_paths.cend(), found.cbegin(), found.cend(), std::back_inserter(merged));
    m_paths = std::move(merged);
    endResetModel();
    emit filesChanged();
    return int(found.size());
}

bool BatchFileList::insertDataFromPasteboard(const QMimeData *mime, int *added)
{
    if (added)
        *added = 0;
    if (!mime || !mime->hasUrls()) {
        qCWarning(lcBatchFiles, "No compatible paste types found.");
        return false;
    }
    QStringList paths;
    for (const QUrl &url : mime->urls()) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    const int count = addFiles(paths);
    if (added)
        *added = count;
    return true;
}

bool BatchFileList::writeFiles(const QList<int> &rows, QMimeData *mime) const
{
    QList<int> sorted = rows;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    QList<QUrl> urls;
    for (int row : std::as_const(sorted)) {
        if (row >= 0 && row < count())
            urls << QUrl::fromLocalFile(m_paths.at(row));
    }
    if (urls.isEmpty())
        return false;
    mime->setUrls(urls);
    return true;
}

bool BatchFileList::removeFiles(const QList<int> &rows)
{
    if (m_readOnly)
        return false;
    QList<int> sorted;
    for (int row : rows) {
        if (row >= 0 && row < count())
            sorted << row;
    }
    if (sorted.isEmpty())
        return false;
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    // Runs of neighbouring rows, the last first, so the rows still to go keep their numbers.
    qsizetype end = sorted.size();
    while (end > 0) {
        qsizetype begin = end - 1;
        while (begin > 0 && sorted[begin - 1] == sorted[begin] - 1)
            --begin;
        const int first = sorted[begin], last = sorted[end - 1];
        beginRemoveRows(QModelIndex(), first, last);
        m_paths.remove(first, last - first + 1);
        endRemoveRows();
        end = begin;
    }
    emit filesChanged();
    return true;
}

bool BatchFileList::removeAllFiles()
{
    if (m_readOnly || m_paths.isEmpty())
        return false;
    beginRemoveRows(QModelIndex(), 0, count() - 1);
    m_paths.clear();
    endRemoveRows();
    emit filesChanged();
    return true;
}

int BatchFileList::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant BatchFileList::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return QVariant();
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return m_paths.at(index.row());
    return QVariant();
}

QVariant BatchFileList::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return section + 1;
    return localizedString("FilesColumn");
}

Qt::ItemFlags BatchFileList::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return m_readOnly ? Qt::NoItemFlags : Qt::ItemIsDropEnabled;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsDragEnabled;
}

QStringList BatchFileList::mimeTypes() const
{
    return { QString::fromLatin1(kUriList) };
}

QMimeData *BatchFileList::mimeData(const QModelIndexList &indexes) const
{
    QList<int> rows;
    for (const QModelIndex &index : indexes) {
        if (index.isValid())
            rows << index.row();
    }
    auto *mime = new QMimeData;
    if (!writeFiles(rows, mime)) {
        delete mime;
        return nullptr;
    }
    return mime;
}

Qt::DropActions BatchFileList::supportedDragActions() const
{
    return Qt::CopyAction;
}

Qt::DropActions BatchFileList::supportedDropActions() const
{
    return Qt::CopyAction;
}

bool BatchFileList::canDropMimeData(const QMimeData *data, Qt::DropAction, int, int, const QModelIndex &) const
{
    return !m_readOnly && data && data->hasUrls();
}

bool BatchFileList::dropMimeData(const QMimeData *data, Qt::DropAction action, int, int, const QModelIndex &)
{
    if (action == Qt::IgnoreAction)
        return true;
    // Wherever it lands, a file goes to its sorted place.
    return !m_readOnly && insertDataFromPasteboard(data);
}
