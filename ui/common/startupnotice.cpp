#include "ui/common/startupnotice.h"

#include "ui/window/optionschord.h"

namespace StartupNotice {

QString text()
{
    // Six lines joined by line feed + carriage return; the blanks before
    // each line set it roughly centred under the first in the notice box.
    const QString sep = QStringLiteral("\n\r");
    return QStringLiteral("  برنامج تعليمي للأطفال: الألوان والكلمات والصور") + sep
           + QStringLiteral("للخروج وتغيير الخيارات اضغط على") + sep
           + QString(15, QLatin1Char(' ')) + OptionsChord::names() + sep
           + QString(11, QLatin1Char(' ')) + QStringLiteral("إهداء من فريق البرنامج") + sep
           + QString(12, QLatin1Char(' ')) + QStringLiteral("إلى أطفالنا وإلى كل طفل يحب أن يتعلم") + sep
           + QString(14, QLatin1Char(' ')) + QStringLiteral("quiz@quiz.example");
}

} // namespace StartupNotice
