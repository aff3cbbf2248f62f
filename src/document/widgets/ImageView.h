#pragma once

#include <QImage>
#include <QWidget>

class QLabel;
class QProgressBar;

// Shows an image scaled to fit the widget (up or down), aspect ratio kept, smoothly
// filtered, centred. While the picture is being decoded a progress bar stands over it;
// when it cannot be shown a message says why.
//
// Children for tests: pictureProgress (the bar) and pictureMessage (the message).
class ImageView : public QWidget
{
    Q_OBJECT

public:
    explicit ImageView(QWidget *parent = nullptr);

    // Shows the image, hiding the progress bar and the message.
    void setImage(const QImage &image);
    QImage image() const { return m_image; }
    // Where the image is drawn, in widget coordinates (empty without an image).
    QRect imageRect() const;

    // Shows the bar at percent (0 to 100); a negative percent hides it.
    void setProgress(int percent);
    // Shows the message instead of an image (an empty one hides it).
    void setMessage(const QString &text);
    QString message() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_image;
    QProgressBar *m_progress = nullptr;
    QLabel *m_message = nullptr;
};
