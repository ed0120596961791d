#pragma once

#include "core/quiz/questiontype.h"

#include <QString>
#include <QVariant>

#include <optional>

/// One stored row of the children's table. Name, Ok and NotOk may be null
/// (a child added by name has no counts until its first answer or a reset).
struct ChildRecord
{
    int no = 0;
    QVariant name;
    QVariant ok;
    QVariant notOk;
    /// The stored name is longer than a name may be, or holds characters
    /// that are never shown: `name` is its cleaned, cut form, and an update
    /// of the counts leaves the stored one as it is.
    bool nameCleaned = false;
};

/// What was asked in a judged answer, kept in the answers history beside the
/// count. 0 (or none for the type) where it is not known.
struct AnswerDetails
{
    QString lesson;
    std::optional<QuestionType> questionType;
    /// The asked choice 1..3; 0 when no choice was asked (an answer before
    /// the first question).
    int asked = 0;
    /// The clicked choice 1..3.
    int clicked = 0;
};
