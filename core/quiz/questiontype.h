#pragma once

#include <QString>
#include <QStringList>

#include <array>
#include <optional>

/// What the three choices show. The values are the question type's radio
/// index, as the options file (line 6) and the answers history store it.
enum class QuestionType { Colours = 0, Text = 1, Pictures = 2 };

namespace QuestionTypes {

/// Every type in the order of its index: a new kind goes here, its label in
/// label(), and every switch over the type then tells where else it is needed.
constexpr std::array<QuestionType, 3> All = {{QuestionType::Colours, QuestionType::Text, QuestionType::Pictures}};

/// The type a stored or chosen index names; none for any other value (a
/// radio group with nothing chosen, a damaged row).
std::optional<QuestionType> fromIndex(int index);

/// The stored index of the type; -1 for none.
constexpr int indexOf(std::optional<QuestionType> type)
{
    return type ? int(*type) : -1;
}

/// The Arabic label the teacher reads on the question type's radio group
/// and in the answers export.
QString label(QuestionType type);

/// Every label, in the order of the index.
QStringList labels();

} // namespace QuestionTypes
