#pragma once

#include <QString>

/// How a click was judged; None until the first answer (and for a row of the
/// answers history that is no answer).
enum class Judgement { None, Right, Wrong };

/// The judgement as the hidden result control shows it: "Y" right, "N" else.
inline QString judgementText(Judgement judgement)
{
    return judgement == Judgement::Right ? QStringLiteral("Y") : QStringLiteral("N");
}

/// The judgement such a text names: only an exact "Y" is right.
inline Judgement judgementFromText(const QString &text)
{
    return text == QLatin1String("Y") ? Judgement::Right : Judgement::Wrong;
}
