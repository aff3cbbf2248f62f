#include "document/widgets/ChunkListWindow.h"

#include "core/PNGSource.h"
#include "core/RegularFile.h"
#include "core/Strings.h"
#include "document/PNGDoc.h"

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStandardItemModel>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

// The largest file that could not be read whose chunks are looked for anyway.
constexpr qint64 kMaxUnreadFileBytes = qint64(256) << 20;

} // namespace

ChunkListWindow::ChunkListWindow(PNGDoc *document, QWidget *parent)
    : QDialog(parent, Qt::Window)
    , m_document(document)
{
    setObjectName(QStringLiteral("chunkInspector"));
    m_model = new QStandardItemModel(this);
    m_model->setHorizontalHeaderLabels({ localizedString("ChunkType"), localizedString("ChunkOffset"),
        localizedString("ChunkLength"), localizedString("ChunkCrc"), localizedString("ChunkKind"),
        localizedString("ChunkCopying"), localizedString("ChunkMeaning") });
    m_tree = new QTreeView;
    m_tree->setObjectName(QStringLiteral("chunksTree"));
    m_tree->setModel(m_model);
    m_tree->setAccessibleName(localizedString("ChunksTable"));
    m_tree->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_tree->setAlternatingRowColors(true);

    m_errorLabel = new QLabel;
    m_errorLabel->setObjectName(QStringLiteral("chunksErrorLabel"));
    m_errorLabel->setWordWrap(true);
    m_errorLabel->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    QPushButton *copy = buttons->addButton(localizedString("CopyAsText"), QDialogButtonBox::ActionRole);
    copy->setObjectName(QStringLiteral("copyChunksButton"));
    copy->setAutoDefault(false);
    connect(copy, &QPushButton::clicked, this, &ChunkListWindow::copyAsText);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tree, 1);
    layout->addWidget(m_errorLabel);
    layout->addWidget(buttons);
    resize(900, 480);

    connect(document, &PNGDoc::loaded, this, &ChunkListWindow::showChunks);
    connect(document, &PNGDoc::pathChanged, this, &ChunkListWindow::showChunks);
    showChunks();
}

void ChunkListWindow::showChunks()
{
    setWindowTitle(localizedString("ChunksTitle").arg(QFileInfo(m_document->path()).fileName()));
    QString error;
    if (const PNGSource *source = m_document->rows().source()) {
        m_chunks = ChunkDescription::ofSource(*source);
    } else {
        // A file the document could not read: the chunks before the damage, and the damage.
        QByteArray bytes;
        m_chunks.clear();
        if (readRegularFile(m_document->path(), kMaxUnreadFileBytes, &bytes, &error))
            m_chunks = ChunkDescription::ofFile(bytes, &error);
    }
    m_model->removeRows(0, m_model->rowCount());
    for (const ChunkDescription &chunk : std::as_const(m_chunks)) {
        QList<QStandardItem *> row;
        for (const QString &text : { QString::fromLatin1(chunk.type), QString::number(chunk.offset),
                 QString::number(chunk.length), localizedString(chunk.crcOk ? "CrcCorrect" : "CrcWrong"),
                 localizedString(chunk.critical ? "ChunkCritical" : "ChunkAncillary"),
                 localizedString(chunk.safeToCopy ? "SafeToCopy" : "UnsafeToCopy"), shownText(chunk.summary) }) {
            auto *item = new QStandardItem(text);
            item->setToolTip(text);
            row << item;
        }
        for (const auto &[name, value] : chunk.details) {
            auto *detail = new QStandardItem(shownText(name) + QStringLiteral(": ") + value);
            detail->setToolTip(value.left(2000));
            row.first()->appendRow(detail);
        }
        m_model->appendRow(row);
    }
    // A detail line spans the columns.
    for (int row = 0; row < m_model->rowCount(); ++row) {
        const QModelIndex parent = m_model->index(row, 0);
        for (int child = 0; child < m_model->rowCount(parent); ++child)
            m_tree->setFirstColumnSpanned(child, parent, true);
    }
    for (int column = 0; column < 6; ++column)
        m_tree->resizeColumnToContents(column);
    m_errorLabel->setText(error.isEmpty() ? QString() : localizedString("ChunksBrokenOff").arg(shownText(error)));
    m_errorLabel->setVisible(!error.isEmpty());
}

void ChunkListWindow::copyAsText()
{
    QGuiApplication::clipboard()->setText(ChunkDescription::toText(m_chunks));
}
