#pragma once

#include "core/base/result.h"
#include "ui/media/clipplayerbar.h"

#include <QObject>
#include <QString>

#include <array>

class ClipPlayer;
class QLabel;
class QWidget;
class Random;
class SoundMixer;
class VideoCanvas;

/// The window's five clips: their players (in the order MP1, MP2, MP3,
/// MPTrue, MPFalse), the players' button bars on the options pane, the
/// video drawn inside the video panel and the note that says when there is
/// no sound output. It opens the clips of the chosen medium, starts, empties
/// and saves them, and tells each failure of a clip once: a clip that cannot
/// be opened plays nothing and is not told again until it changes.
class MediaRows : public QObject
{
    Q_OBJECT
public:
    static constexpr int ClipCount = 5;

    /// The players' clips play through mixer, which outlives them.
    MediaRows(const std::array<ClipPlayerBar *, ClipCount> &bars, QLabel *soundNote, QWidget *videoPanel,
              SoundMixer &mixer, QObject *parent = nullptr);

    ClipPlayer &player(int clip) const { return *m_players[clip]; }
    /// The clip extension, "wav" or "avi".
    QString mediaExt() const { return m_mediaExt; }

    /// Opens the five clips of the medium (AVRG's index) below the data
    /// root: every clip that can be opened is, even after one fails, and the
    /// failures not told before come back together.
    /// `lessonDir`, where given, is a lesson folder whose own clips are
    /// played (and recorded into) in place of the Data folder's; a clip
    /// missing there is the Data folder's.
    Result setup(const QString &dataRoot, int mediumIndex, const QString &lessonDir = QString());
    /// Starts a clip from the beginning of a random track.
    Result start(int clip, Random &random);
    /// Replaces a clip's file with the blank clip.
    Result reset(int clip, const QString &dataRoot);
    /// Writes every clip with a new recording to its file.
    Result saveAll();
    /// What a bar's button does unless its handler says otherwise.
    Result carryOut(int clip, ClipPlayerBar::Button button);
    /// Says on the options pane and in the bars when there is no sound
    /// output or no microphone; follows devices coming and going.
    void showSoundDevices();

signals:
    /// A button of a clip's bar was pressed.
    void buttonClicked(int clip, ClipPlayerBar::Button button);
    /// The media backend refused a clip, told for the first time.
    void clipRefused(const QString &error);

private:
    /// The failure, unless it is the one last told for the clip.
    Result newFailure(int clip, const QString &error);

    std::array<ClipPlayer *, ClipCount> m_players{};
    std::array<ClipPlayerBar *, ClipCount> m_bars{};
    std::array<QString, ClipCount> m_told;
    QLabel *m_soundNote;
    QWidget *m_videoPanel;
    VideoCanvas *m_videoCanvas;
    QString m_mediaExt = QStringLiteral("wav");
};
