#include "ui/media/videocanvas.h"

#include <QPainter>
#include <QVideoFrame>
#include <QVideoSink>

VideoCanvas::VideoCanvas(QWidget *parent) : QWidget(parent), m_sink(new QVideoSink(this))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(m_sink, &QVideoSink::videoFrameChanged, this, &VideoCanvas::showFrame);
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
