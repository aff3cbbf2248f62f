#include "document/widgets/ImageView.h"

#include <QPainter>

ImageView::ImageView(QWidget *parent)
    : QWidget(parent)
{
    setMinimumSize(64, 64);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void ImageView::setImage(const QImage &image)
{
    m_image = image;
    update();
}

QRect ImageView::imageRect() const
{
    if (m_image.isNull())
        return QRect();
    QSize size = m_image.size().scaled(this->size(), Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    return QRect(QPoint((width() - size.width()) / 2, (height() - size.height()) / 2), size);
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
