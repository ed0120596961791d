#include "core/media/clipset.h"

#include "core/base/atomicfile.h"
#include "core/base/bidi.h"
#include "core/base/filelookup.h"
#include "core/media/clipfile.h"
#include "core/media/clipplayer.h"
#include "core/quiz/random.h"

#include <QFile>
#include <QStringList>

namespace ClipSet {

QString mediaExtension(int mediumIndex, const QString &current)
{
    if (mediumIndex == 0)
        return QStringLiteral("wav");
    if (mediumIndex == 1)
        return QStringLiteral("avi");
    return current;
}

QString clipFileName(const QString &appDir, int player, const QString &ext)
{
    static const char *const names[ClipCount] = {"color1.", "color2.", "color3.", "true.",
                                                 "false."};
    Q_ASSERT(player >= 0 && player < ClipCount);
    return FileLookup::below(appDir, QStringLiteral("Data/") + QLatin1String(names[player]) + ext);
}

QString blankFileName(const QString &appDir, const QString &ext)
{
    return FileLookup::below(appDir, QStringLiteral("Data/0.") + ext);
}

namespace {

// The clip stays as it was: it is opened again so that the player goes on
// working, and the reason it was kept comes first in the error.
Result keepClip(ClipPlayer &player, const QString &reason)
{
    QString error = QStringLiteral("لم يُفرَّغ المقطع \"%1\" وبقي كما كان: %2")
                        .arg(Bidi::path(player.fileName()), reason);
    const Result reopened = player.open();
    if (!reopened)
        error += QLatin1Char('\n') + reopened.text;
    return Result::failure(error);
}

} // namespace

Result resetClip(ClipPlayer &player, const QString &blankFile)
{
    // Emptying the clip is the one way besides recording anew that a
    // recording not saved yet goes.
    player.discardRecording();
    player.forgetUndo();
    player.close();
    if (player.fileName().isEmpty())
        return Result::failure(QStringLiteral("لا يوجد ملف مقطع لتفريغه"));

    // The blank is checked and read before the clip is touched: a missing
    // or damaged blank must never cost the teacher the clip.
    const ClipFile::Check blank = ClipFile::check(blankFile);
    if (!blank.ok())
        return keepClip(player, blank.error);
    QFile source(blankFile);
    const QByteArray data = source.open(QIODevice::ReadOnly) ? source.readAll() : QByteArray();
    if (data.isEmpty() || data.size() != source.size())
        return keepClip(player, QStringLiteral("تعذرت قراءة المقطع الفارغ \"%1\"").arg(Bidi::path(blankFile)));

    const Result written = AtomicFile::writeBytes(player.fileName(), data);
    if (!written)
        return keepClip(player, written.text);

    return player.open();
}

Result saveAll(const QList<ClipPlayer *> &players)
{
    QStringList failures;
    for (ClipPlayer *player : players) {
        if (!player->isOpen() && !player->hasRecording()) {
            player->forgetUndo();
            continue;
        }
        const Result saved = player->save();
        // Saved with the settings: there is no going back on it now. A clip
        // that could not be saved keeps its way back.
        if (saved)
            player->forgetUndo();
        else
            failures << saved.text;
    }
    if (failures.isEmpty())
        return Result::success();
    return Result::failure(failures.join(QLatin1Char('\n')));
}

} // namespace ClipSet

Result startClip(ClipPlayer &player, Random &random)
{
    // A teacher recording this clip is not cut off by the question cycle:
    // reopening would throw the recording away.
    if (player.state() == ClipPlayer::State::Recording)
        return Result::success();
    const Result opened = player.openToRestart();
    if (!opened)
        return opened;
    const int tracks = player.trackCount();
    const int track = tracks <= 1 ? 1 : random.uniform(1, tracks);
    player.seek(player.trackStart(track));
    player.play();
    return Result::success();
}
