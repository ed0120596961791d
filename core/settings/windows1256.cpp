#include "core/settings/windows1256.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {

constexpr const char *CodePage = "windows-1256";

} // namespace

bool Windows1256::isAvailable()
{
    return QStringDecoder(CodePage).isValid() && QStringEncoder(CodePage).isValid();
}

QString Windows1256::decode(QByteArrayView bytes)
{
    QStringDecoder decoder(CodePage, QStringConverter::Flag::Stateless);
    if (!decoder.isValid())
        return QString::fromLatin1(bytes.data(), bytes.size());
    return decoder.decode(bytes);
}

QByteArray Windows1256::encode(const QString &text, bool *ok)
{
    QStringEncoder encoder(CodePage, QStringConverter::Flag::Stateless);
    if (!encoder.isValid()) {
        *ok = false;
        return QByteArray();
    }
    QByteArray bytes = encoder.encode(text);
    // The converter may map a character it lacks to a look-alike instead of
    // flagging it; only an exact round trip proves the text was kept.
    *ok = !encoder.hasError() && decode(bytes) == text;
    if (!*ok)
        bytes.clear();
    return bytes;
}

bool Windows1256::canHold(const QString &text)
{
    bool ok = false;
    encode(text, &ok);
    return ok;
}

QString Windows1256::unholdableCharacters(const QString &text)
{
    QString refused;
    for (qsizetype i = 0; i < text.size(); ++i) {
        qsizetype length = 1;
        if (text.at(i).isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate())
            length = 2;
        const QString character = text.mid(i, length);
        if (!canHold(character) && !refused.contains(character))
            refused += character;
        i += length - 1;
    }
    return refused;
}

QString Windows1256::refusalMessage()
{
    return QStringLiteral(u"لا يمكن حفظ بعض هذه الرموز.\n\rاستعمل الحروف العربية أو اللاتينية والأرقام");
}
