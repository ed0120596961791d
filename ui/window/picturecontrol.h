#pragma once

#include "core/base/result.h"

#include <QImage>
#include <QPixmap>
#include <QWidget>

/// A choice picture. Stretched, the picture fills the whole area without
/// keeping its proportions; otherwise it is drawn at its own size from the
/// top-left corner and cut at the edges. Until a picture is loaded it shows
/// a small placeholder. Reports a left click.
class PictureControl : public QWidget
{
    Q_OBJECT
public:
    explicit PictureControl(QWidget *parent = nullptr);

    void setPicture(const QImage &image);
    /// Shows the picture in the file; on failure keeps what it showed and
    /// says why.
    Result loadFile(const QString &path);
    QImage picture() const { return m_image; }
    bool hasPicture() const { return !m_image.isNull(); }
    void setStretch(bool stretch);
    bool stretch() const { return m_stretch; }
    /// Whole, centred and as large as the area allows without distortion;
    /// comes before stretching.
    void setFit(bool fit);
    bool fit() const { return m_fit; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    static const QImage &placeholder();

    QImage m_image;
    bool m_stretch = false;
    bool m_fit = false;
    /// The stretched picture at the control's current size: smooth scaling
    /// of a photo is too slow to repeat at every paint.
    QPixmap m_stretched;
};
