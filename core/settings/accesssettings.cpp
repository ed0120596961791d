#include "core/settings/accesssettings.h"

#include "core/base/atomicfile.h"
#include "core/base/filelookup.h"

#include <QList>

namespace {

// A flag is written as 0 or 1; anything else keeps the default.
void readFlag(const QByteArray &value, bool *flag)
{
    if (value == "0")
        *flag = false;
    else if (value == "1")
        *flag = true;
}

QByteArray flag(bool value)
{
    return value ? QByteArrayLiteral("1") : QByteArrayLiteral("0");
}

} // namespace

bool AccessSettings::operator==(const AccessSettings &o) const
{
    return scanAuto == o.scanAuto && scanIntervalMs == o.scanIntervalMs && visualFeedback == o.visualFeedback
        && waitForQuestion == o.waitForQuestion && childLock == o.childLock;
}

AccessSettings AccessSettings::parse(const QByteArray &bytes)
{
    AccessSettings s;
    QByteArray text = bytes;
    if (text.startsWith("\xEF\xBB\xBF")) // a byte order mark left by an editor
        text.remove(0, 3);
    const QList<QByteArray> lines = text.split('\n');
    for (const QByteArray &raw : lines) {
        const qsizetype equals = raw.indexOf('=');
        if (equals <= 0)
            continue;
        const QByteArray key = raw.left(equals).trimmed();
        const QByteArray value = raw.mid(equals + 1).trimmed();
        if (key == "scan") {
            if (value == "off")
                s.scanAuto = false;
            else if (value == "auto")
                s.scanAuto = true;
        } else if (key == "scan_interval_ms") {
            bool ok = false;
            // Digits only: no sign, no spaces inside, at most five of them.
            const int ms = value.size() <= 5 ? value.toInt(&ok) : 0;
            if (ok && !value.startsWith('+') && !value.startsWith('-') && ms >= MinScanIntervalMs
                && ms <= MaxScanIntervalMs)
                s.scanIntervalMs = ms;
        } else if (key == "visual_feedback") {
            readFlag(value, &s.visualFeedback);
        } else if (key == "wait_for_question") {
            readFlag(value, &s.waitForQuestion);
        } else if (key == "child_lock") {
            readFlag(value, &s.childLock);
        }
    }
    return s;
}

QByteArray AccessSettings::toBytes() const
{
    QByteArray b;
    b += "scan=" + QByteArray(scanAuto ? "auto" : "off") + '\n';
    b += "scan_interval_ms=" + QByteArray::number(scanIntervalMs) + '\n';
    b += "visual_feedback=" + flag(visualFeedback) + '\n';
    b += "wait_for_question=" + flag(waitForQuestion) + '\n';
    b += "child_lock=" + flag(childLock) + '\n';
    return b;
}

AccessSettings AccessSettings::read(const QString &dataDir)
{
    QByteArray bytes;
    bool complete = true;
    if (!AtomicFile::readUpTo(FileLookup::inFolder(dataDir, fileName()), MaxReadBytes, &bytes, &complete))
        return AccessSettings();
    // A read that stopped part way keeps its whole lines only.
    if (!complete)
        bytes.truncate(bytes.lastIndexOf('\n') + 1);
    return parse(bytes);
}

Result AccessSettings::write(const QString &dataDir) const
{
    return AtomicFile::writeBytes(FileLookup::inFolder(dataDir, fileName()), toBytes());
}
