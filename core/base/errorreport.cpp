#include "core/base/errorreport.h"

QString errorReportText(const QString &text)
{
    if (text.isEmpty() || text.back() <= QLatin1Char('.'))
        return text;
    return text + QLatin1Char('.');
}

QString applicationTitle()
{
    return QStringLiteral("اختبار الأطفال");
}
