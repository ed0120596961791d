#include "media/clipplayer.h"

#include "quiz/random.h"

#include <QFile>
#include <QFileInfo>

// First cut: checks the clip file and keeps the player's state; sound and
// video output come with the media players.

ClipPlayer::ClipPlayer(QObject *parent) : QObject(parent) {}

ClipPlayer::~ClipPlayer() = default;

bool ClipPlayer::open(QString *error)
{
    close();
    QFile file(m_fileName);
    if (!file.exists()) {
        *error = QStringLiteral("ملف المقطع غير موجود: %1").arg(m_fileName);
        return false;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("تعذرت قراءة ملف المقطع: %1").arg(m_fileName);
        return false;
    }
    const QByteArray head = file.read(12);
    const bool wav = head.startsWith("RIFF") && head.mid(8, 4) == "WAVE";
    const bool avi = head.startsWith("RIFF") && head.mid(8, 4) == "AVI ";
    if (!wav && !avi) {
        *error = QStringLiteral("ملف المقطع ليس ملف wav أو avi صالحاً: %1").arg(m_fileName);
        return false;
    }
    m_canRecord = wav;
    m_hasVideo = avi;
    m_position = 0;
    setState(State::Stopped);
    return true;
}

void ClipPlayer::close()
{
    setState(State::Closed);
}

qint64 ClipPlayer::trackStart(int) const
{
    return 0;
}

void ClipPlayer::seek(qint64 position)
{
    m_position = position;
}

void ClipPlayer::play()
{
    if (isOpen())
        setState(State::Playing);
}

void ClipPlayer::record()
{
    if (canRecord())
        setState(State::Recording);
}

void ClipPlayer::stop()
{
    if (isOpen())
        setState(State::Stopped);
}

bool ClipPlayer::save(QString *error)
{
    if (m_fileName.isEmpty())
        return true;
    if (!isOpen()) {
        *error = QStringLiteral("لا يوجد جهاز مفتوح للمقطع: %1").arg(m_fileName);
        return false;
    }
    return true;
}

void ClipPlayer::setState(State state)
{
    if (m_state == state)
        return;
    m_state = state;
    emit stateChanged();
}

bool startClip(ClipPlayer &player, Random &random, QString *error)
{
    if (!player.open(error))
        return false;
    const int tracks = player.trackCount();
    const int track = tracks <= 1 ? 1 : random.uniform(1, tracks);
    player.seek(player.trackStart(track));
    player.play();
    return true;
}
