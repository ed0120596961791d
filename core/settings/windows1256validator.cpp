#include "core/settings/windows1256validator.h"

#include "core/settings/windows1256.h"

Windows1256Validator::Windows1256Validator(QObject *parent) : QValidator(parent)
{
}

QValidator::State Windows1256Validator::validate(QString &input, int &) const
{
    if (Windows1256::canHold(input))
        return Acceptable;
    emit refused(Windows1256::unholdableCharacters(input));
    return Invalid;
}
