#include "document/widgets/ImageView.h"

#include "core/Strings.h"

#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QVBoxLayout>

ImageView::ImageView(QWidget *parent)
    : QWidget(parent)
{
    setMinimumSize(64, 64);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);

    m_progress = new QProgressBar;
    m_progress->setObjectName(QStringLiteral("pictureProgress"));
    m_progress->setRange(0, 100);
    m_progress->setAccessibleName(localizedString("PictureLoading"));
    m_progress->setMaximumWidth(240);
    m_progress->hide();
    m_message = new QLabel;
    m_message->setObjectName(QStringLiteral("pictureMessage"));
    m_message->setAccessibleName(localizedString("PictureMessage"));
    m_message->setWordWrap(true);
    m_message->setAlignment(Qt::AlignCenter);
    m_message->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_message->hide();

    auto *layout = new QVBoxLayout(this);
    layout->addStretch();
    layout->addWidget(m_progress, 0, Qt::AlignCenter);
    layout->addWidget(m_message);
    layout->addStretch();
}

void ImageView::setImage(const QImage &image)
{
    m_image = image;
    m_progress->hide();
    m_message->hide();
    update();
}

QRect ImageView::imageRect() const
{
    if (m_image.isNull())
        return QRect();
    QSize size = m_image.size().scaled(this->size(), Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    return QRect(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
}

void ImageView::setProgress(int percent)
{
    m_progress->setVisible(percent >= 0);
    if (percent >= 0)
        m_progress->setValue(std::min(percent, 100));
}

void ImageView::setMessage(const QString &text)
{
    m_message->setText(text);
    m_message->setVisible(!text.isEmpty());
}

QString ImageView::message() const
{
    return m_message->isHidden() ? QString() : m_message->text();
}

QSize ImageView::sizeHint() const
{
    return QSize(320, 240);
}

void ImageView::paintEvent(QPaintEvent *)
{
    if (m_image.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(imageRect(), m_image);
}
