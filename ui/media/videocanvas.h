#pragma once

#include <QImage>
#include <QWidget>

class QVideoFrame;
class QVideoSink;

/// Draws the pictures of the video clips inside the window. A plain widget
/// that paints the latest frame itself, centred and scaled to fit with its
/// proportions kept, so that it sits in the window's own layout and right-to-
/// left order like any other child (no separate native window) and can be
/// grabbed like the rest of the window.
class VideoCanvas : public QWidget
{
    Q_OBJECT
public:
    explicit VideoCanvas(QWidget *parent = nullptr);

    /// The sink that players draw into; found by ClipPlayer::setVideoOutput.
    Q_INVOKABLE QVideoSink *videoSink() const;
    /// Shows a picture of a clip held in memory.
    Q_INVOKABLE void showImage(const QImage &image);
    /// The picture shown now; null before the first frame.
    QImage currentImage() const { return m_image; }
    /// Removes the picture, leaving the background.
    void clear();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void showFrame(const QVideoFrame &frame);

    mutable QVideoSink *m_sink = nullptr;
    QImage m_image;
};
