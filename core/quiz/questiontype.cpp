#include "core/quiz/questiontype.h"

std::optional<QuestionType> QuestionTypes::fromIndex(int index)
{
    for (const QuestionType type : All) {
        if (int(type) == index)
            return type;
    }
    return std::nullopt;
}

QString QuestionTypes::label(QuestionType type)
{
    switch (type) {
    case QuestionType::Colours: return QStringLiteral("ألوان");
    case QuestionType::Text: return QStringLiteral("نص");
    case QuestionType::Pictures: return QStringLiteral("صور");
    }
    return QString();
}

QStringList QuestionTypes::labels()
{
    QStringList all;
    for (const QuestionType type : All)
        all.append(label(type));
    return all;
}
