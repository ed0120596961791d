#include "core/media/clipset.h"

#include "core/base/atomicfile.h"
#include "core/base/bidi.h"
#include "core/base/filelookup.h"
#include "core/media/clipfile.h"
#include "core/media/clipplayer.h"

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
bool keepClip(ClipPlayer &player, const QString &reason, QString *error)
{
    *error = QStringLiteral("لم يُفرَّغ المقطع \"%1\" وبقي كما كان: %2")
                 .arg(Bidi::path(player.fileName()), reason);
    QString openError;
    if (!player.open(&openError))
        *error += QLatin1Char('\n') + openError;
    return false;
}

} // namespace

bool resetClip(ClipPlayer &player, const QString &blankFile, QString *error)
{
    player.close();
    if (player.fileName().isEmpty()) {
        *error = QStringLiteral("لا يوجد ملف مقطع لتفريغه");
        return false;
    }

    // The blank is checked and read before the clip is touched: a missing
    // or damaged blank must never cost the teacher the clip.
    const ClipFile::Check blank = ClipFile::check(blankFile);
    if (!blank.ok())
        return keepClip(player, blank.error, error);
    QFile source(blankFile);
    const QByteArray data = source.open(QIODevice::ReadOnly) ? source.readAll() : QByteArray();
    if (data.isEmpty() || data.size() != source.size()) {
        return keepClip(player,
                        QStringLiteral("تعذرت قراءة المقطع الفارغ \"%1\"").arg(Bidi::path(blankFile)),
                        error);
    }

    const Result written = AtomicFile::writeBytes(player.fileName(), data);
    if (!written)
        return keepClip(player, written.text, error);

    return player.open(error);
}

bool saveAll(const QList<ClipPlayer *> &players, QString *error)
{
    QStringList failures;
    for (ClipPlayer *player : players) {
        if (!player->isOpen())
            continue;
        QString failure;
        if (!player->save(&failure))
            failures << failure;
    }
    if (failures.isEmpty())
        return true;
    *error = failures.join(QLatin1Char('\n'));
    return false;
}

} // namespace ClipSet
