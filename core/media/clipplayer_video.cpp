// The pictures of a video clip: where they are drawn and which player may
// draw there.
#include "core/media/clipplayer.h"

#include <QImage>
#include <QVariant>
#include <QVideoFrame>
#include <QVideoSink>

namespace {

// The video output remembers which player may draw into it: the one that
// started playing video last.
const char *const ShowingPlayer = "quizShowingClipPlayer";

} // namespace

void ClipPlayer::setVideoOutput(QObject *output)
{
    m_videoOutput = output;
}

QVideoSink *ClipPlayer::outputSink() const
{
    if (!m_videoOutput)
        return nullptr;
    if (auto *sink = qobject_cast<QVideoSink *>(m_videoOutput.data()))
        return sink;
    QVideoSink *sink = nullptr;
    QMetaObject::invokeMethod(m_videoOutput.data(), "videoSink", Qt::DirectConnection,
                              Q_RETURN_ARG(QVideoSink *, sink));
    return sink;
}

void ClipPlayer::showOnOutput()
{
    if (m_hasVideo && m_videoOutput)
        m_videoOutput->setProperty(ShowingPlayer, QVariant::fromValue<QObject *>(this));
}

void ClipPlayer::leaveOutput()
{
    if (showingOnOutput())
        m_videoOutput->setProperty(ShowingPlayer, QVariant());
}

bool ClipPlayer::showingOnOutput() const
{
    return m_videoOutput && m_videoOutput->property(ShowingPlayer).value<QObject *>() == this;
}

void ClipPlayer::showFrame(const QVideoFrame &frame)
{
    if (!m_hasVideo || !showingOnOutput())
        return;
    if (QVideoSink *sink = outputSink())
        sink->setVideoFrame(frame);
}

void ClipPlayer::showPicture(const QImage &picture)
{
    QMetaObject::invokeMethod(m_videoOutput.data(), "showImage", Qt::DirectConnection,
                              Q_ARG(QImage, picture));
}
