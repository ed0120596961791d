#include "ui/window/picturecontrol.h"

#include "ui/window/choicepanel.h"

#include "core/base/picturefile.h"

#include <QMouseEvent>
#include <QPainter>

PictureControl::PictureControl(QWidget *parent) : QWidget(parent) {}

void PictureControl::setPicture(const QImage &image)
{
    m_image = image;
    m_stretched = QPixmap();
    update();
}

Result PictureControl::loadFile(const QString &path)
{
    QImage image;
    const Result loaded = PictureFile::load(path, &image);
    if (loaded)
        setPicture(image);
    return loaded;
}

void PictureControl::setStretch(bool stretch)
{
    if (stretch == m_stretch)
        return;
    m_stretch = stretch;
    m_stretched = QPixmap();
    update();
}

void PictureControl::setFit(bool fit)
{
    if (fit == m_fit)
        return;
    m_fit = fit;
    m_stretched = QPixmap();
    update();
}

const QImage &PictureControl::placeholder()
{
    static const QImage image = [] {
        QImage im(32, 16, QImage::Format_RGB32);
        im.fill(Qt::white);
        QPainter p(&im);
        p.setPen(Qt::darkGray);
        p.drawRect(0, 0, 31, 15);
        p.fillRect(4, 4, 8, 8, Qt::darkCyan);
        p.fillRect(16, 6, 12, 6, Qt::darkYellow);
        return im;
    }();
    return image;
}

void PictureControl::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QImage &image = m_image.isNull() ? placeholder() : m_image;
    if (!m_stretch && !m_fit) {
        painter.drawImage(QPoint(0, 0), image);
        return;
    }
    if (width() <= 0 || height() <= 0)
        return;
    if (m_fit) {
        const QSize fitted = image.size().scaled(size(), Qt::KeepAspectRatio);
        if (m_stretched.size() != fitted && !fitted.isEmpty())
            m_stretched = QPixmap::fromImage(image.scaled(fitted, Qt::KeepAspectRatio, Qt::SmoothTransformation));
        painter.drawPixmap((width() - m_stretched.width()) / 2, (height() - m_stretched.height()) / 2, m_stretched);
        return;
    }
    if (m_stretched.size() != size())
        m_stretched = QPixmap::fromImage(
            image.scaled(size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    painter.drawPixmap(0, 0, m_stretched);
}

void PictureControl::mousePressEvent(QMouseEvent *event)
{
    event->accept();
}

void PictureControl::mouseReleaseEvent(QMouseEvent *event)
{
    event->accept();
    if (!tappedOnPanel(this, event) && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
}
