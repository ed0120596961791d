#include "core/base/plaintext.h"

#include <QTextDocument>

namespace {

bool isDropped(char32_t c)
{
    return c < 0x20 || (c >= 0x7F && c <= 0x9F)   // C0, DEL, C1
        || (c >= 0x202A && c <= 0x202E)            // embeddings and overrides
        || (c >= 0x2066 && c <= 0x2069)            // isolates
        || c == 0x2028 || c == 0x2029;             // line and paragraph separators
}

} // namespace

namespace PlainText {

QString cleanText(const QString &text, int maxLength)
{
    QString out;
    const qsizetype size = text.size();
    int kept = 0;
    for (qsizetype i = 0; i < size && kept < maxLength; ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate()) {
            if (i + 1 < size && text.at(i + 1).isLowSurrogate()) {
                out.append(c);
                out.append(text.at(++i));
                ++kept;
            }
            continue;
        }
        if (c.isLowSurrogate() || isDropped(c.unicode()))
            continue;
        out.append(c);
        ++kept;
    }
    return out;
}

bool isClean(const QString &text, int maxLength)
{
    return cleanText(text, maxLength) == text;
}

QString escaped(const QString &text)
{
    return text.toHtmlEscaped();
}

QString toolTip(const QString &text)
{
    return text.isEmpty() ? QString() : Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal);
}

} // namespace PlainText
