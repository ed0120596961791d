#pragma once

#include "core/quiz/questiontype.h"
#include "core/settings/optionsfile.h"

#include <QString>

#include <array>

/// The names of a lesson's three choices as a teacher reads them beside the
/// choice numbers of the answers history: the word of a text choice, the
/// name of a colour, the file name of a picture. They come from the lesson's
/// options file as it is saved now, not from the moment of the answer.
namespace ChoiceNames {

/// The Arabic name of a common colour (red, yellow, blue, green, black,
/// white, orange, purple, pink, brown, grey, sky blue, navy) when the value
/// of the options file is that colour or close to it; any other plain
/// colour as "#RRGGBB"; a system colour (a negative value), whose look
/// depends on the computer, by saying so.
QString colourName(int value);

/// The names of choices 1..3 for the question type. The panels show the
/// pictures crossed: choice 2 is picture slot 3 and choice 3 slot 2. A
/// picture line that could not be read names nothing.
std::array<QString, 3> of(const OptionsRead &lesson, QuestionType questionType);

} // namespace ChoiceNames
