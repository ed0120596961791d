#include "core/base/systemerror.h"

#include <cerrno>
#include <cstring>

QString fileErrorReason(int errnum, const QString &systemText)
{
    switch (errnum) {
    case ENOSPC:
        return QStringLiteral("لا توجد مساحة كافية على القرص");
    case EDQUOT:
        return QStringLiteral("تجاوزت المساحة المسموح بها لهذا الحساب على القرص");
    case EACCES:
    case EPERM:
        return QStringLiteral("لا توجد صلاحية للوصول إلى هذا الملف أو المجلد");
    case EROFS:
        return QStringLiteral("القرص للقراءة فقط ولا يمكن الكتابة عليه");
    case ENOENT:
        return QStringLiteral("الملف أو المجلد غير موجود");
    case ENOTDIR:
        return QStringLiteral("جزء من المسار ليس مجلداً");
    case EISDIR:
        return QStringLiteral("يوجد مجلد بهذا الاسم");
    case EIO:
        return QStringLiteral("خطأ في القرص أثناء القراءة أو الكتابة");
    case EFBIG:
        return QStringLiteral("الملف أكبر مما يسمح به القرص");
    case EMFILE:
    case ENFILE:
        return QStringLiteral("ملفات كثيرة مفتوحة في الوقت نفسه");
    case ENAMETOOLONG:
        return QStringLiteral("اسم الملف أو المسار طويل جداً");
    case EBUSY:
    case ETXTBSY:
        return QStringLiteral("الملف مستخدم من برنامج آخر");
    default:
        break;
    }
    if (!systemText.isEmpty())
        return systemText;
    if (errnum != 0)
        return QString::fromLocal8Bit(std::strerror(errnum));
    return QStringLiteral("سبب غير معروف");
}

QString lastFileErrorReason(const QString &systemText)
{
    return fileErrorReason(errno, systemText);
}
