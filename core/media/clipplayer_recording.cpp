// Going back on a recording: the clip as it was before it.
#include "core/media/clipplayer.h"

#include "core/base/atomicfile.h"
#include "core/media/wavesound.h"

#include <QFile>

bool ClipPlayer::readForUndo(const QString &clip, QByteArray *bytes)
{
    // A clip is a few hundred kilobytes; one too big to be played is not
    // worth holding in memory either.
    QFile file(clip);
    if (!file.open(QIODevice::ReadOnly) || file.size() > WaveSound::MaxFileBytes)
        return false;
    *bytes = file.readAll();
    return bytes->size() == file.size();
}

bool ClipPlayer::canUndoRecording() const
{
    if (m_state == State::Recording)
        return false;
    return hasRecording() || (!m_undoClip.isEmpty() && m_undoClip == m_fileName);
}

Result ClipPlayer::undoRecording()
{
    if (m_state == State::Recording || hasRecording()) {
        // Not saved yet: the clip file is still the clip as it was.
        dropRecording();
        return Result::success();
    }
    if (m_undoClip.isEmpty())
        return Result::success();
    const Result written = AtomicFile::writeBytes(m_undoClip, m_undoBytes);
    if (!written)
        return Result::failure(QStringLiteral("لم يرجع المقطع إلى ما كان عليه قبل التسجيل: ") + written.text);
    const bool current = m_undoClip == m_fileName;
    forgetUndo();
    m_silentRecording = false;
    Result loaded = Result::success();
    if (current && isOpen()) {
        pausePlayback();
        // The clip is back on disk either way; a reload that fails now is
        // told, as an opening of the clip would tell it.
        loaded = loadClip();
        setState(State::Stopped);
    }
    emit stateChanged();
    return loaded;
}

void ClipPlayer::forgetUndo()
{
    if (m_undoClip.isEmpty())
        return;
    m_undoClip.clear();
    m_undoBytes.clear();
    emit stateChanged();
}
