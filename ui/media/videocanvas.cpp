#include "ui/media/videocanvas.h"

#include "core/media/sounddevices.h"

#include <QPainter>
#include <QVideoFrame>
#include <QVideoSink>

VideoCanvas::VideoCanvas(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QVideoSink *VideoCanvas::videoSink() const
{
    // Made when a video clip first wants it: a sink loads the media
    // backend, which a quiz on the sound medium never needs.
    if (!m_sink) {
        SoundDevices::prepareBackend();
        auto *self = const_cast<VideoCanvas *>(this);
        m_sink = new QVideoSink(self);
        connect(m_sink, &QVideoSink::videoFrameChanged, self, &VideoCanvas::showFrame);
    }
    return m_sink;
}

void VideoCanvas::showImage(const QImage &image)
{
    m_image = image;
    update();
}

void VideoCanvas::clear()
{
    m_image = QImage();
    update();
}

void VideoCanvas::showFrame(const QVideoFrame &frame)
{
    if (!frame.isValid())
        return;
    m_image = frame.toImage();
    update();
}

void VideoCanvas::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    if (m_image.isNull())
        return;
    const QSize shown = m_image.size().scaled(size(), Qt::KeepAspectRatio);
    const QRect target(QPoint((width() - shown.width()) / 2, (height() - shown.height()) / 2),
                       shown);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, m_image);
}
