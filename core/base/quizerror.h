#pragma once

#include "core/base/result.h"

#include <QString>

#include <exception>

/// An error that ends the operation at the failing step and reaches the
/// general error report of the handler that started the operation.
/// Core classes return a Result; the window turns a failure into a QuizError
/// (raiseIfFailed) where the remaining steps must be skipped.
class QuizError : public std::exception
{
public:
    explicit QuizError(QString text) : m_text(std::move(text)) {}
    const QString &text() const { return m_text; }
    const char *what() const noexcept override { return "QuizError"; }

private:
    QString m_text;
};

/// Ends the running operation with the failure, whose text reaches the
/// general error report; a success lets it go on.
inline void raiseIfFailed(const Result &result)
{
    if (!result)
        throw QuizError(result.text);
}
