#pragma once

#include <QImage>
#include <QWidget>

// Shows an image scaled to fit the widget (up or down), aspect ratio kept, smoothly
// filtered, centred.
class ImageView : public QWidget
{
    Q_OBJECT

public:
    explicit ImageView(QWidget *parent = nullptr);

    void setImage(const QImage &image);
    QImage image() const { return m_image; }
    // Where the image is drawn, in widget coordinates (empty without an image).
    QRect imageRect() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_image;
};
