#include "core/settings/currentlessonfile.h"

#include "core/base/atomicfile.h"
#include "core/base/bidi.h"
#include "core/base/filelookup.h"
#include "core/settings/windows1256.h"

QString CurrentLessonFile::parse(const QByteArray &bytes)
{
    qsizetype end = 0;
    while (end < bytes.size() && bytes[end] != '\n' && bytes[end] != '\r')
        ++end;
    return Windows1256::decode(QByteArrayView(bytes.constData(), end));
}

QByteArray CurrentLessonFile::toBytes(const QString &name, QString *error)
{
    bool ok = false;
    QByteArray bytes = Windows1256::encode(name, &ok);
    if (!ok || bytes.contains('\n') || bytes.contains('\r')) {
        if (error) {
            *error = QStringLiteral(u"لا يمكن حفظ اسم الدرس «%1».\n\r").arg(Bidi::word(name))
                + Windows1256::refusalMessage();
        }
        return QByteArray();
    }
    return bytes + "\r\n";
}

std::optional<QString> CurrentLessonFile::read(const QString &dataDir)
{
    QByteArray bytes;
    bool complete = true;
    if (!AtomicFile::readUpTo(FileLookup::inFolder(dataDir, fileName()), MaxReadBytes, &bytes, &complete))
        return std::nullopt;
    // A read that broke off before the end of the first line read nothing usable.
    if (!complete && !bytes.contains('\n') && !bytes.contains('\r'))
        return std::nullopt;
    return parse(bytes);
}

Result CurrentLessonFile::write(const QString &dataDir, const QString &name)
{
    QString error;
    const QByteArray bytes = toBytes(name, &error);
    if (bytes.isEmpty())
        return Result::failure(error);
    return AtomicFile::writeBytes(FileLookup::inFolder(dataDir, fileName()), bytes);
}
