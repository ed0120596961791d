#pragma once

#include <QString>

/// The outcome of an operation of any subsystem: whether it worked, and a
/// text for the teacher (Arabic). On success the text may be empty when the
/// operation has nothing to say; on failure it is the reason, empty only
/// where an inner step leaves the wording to its caller (a children's store
/// that is not open: its table says so itself). Core classes
/// return it; the window decides how a failure is shown (raiseIfFailed() in
/// quizerror.h ends a handler's operation with it). An outcome cannot be
/// dropped unseen: a caller that has nothing to do with a failure says why
/// where it casts it away.
struct [[nodiscard]] Result
{
    bool ok = false;
    QString text;

    static Result success(const QString &text = QString()) { return {true, text}; }
    static Result failure(const QString &text) { return {false, text}; }
    explicit operator bool() const { return ok; }

    /// This outcome followed by another: a failure when either failed, with
    /// the texts of the failures one below the other.
    Result andThen(const Result &next) const
    {
        if (ok)
            return next.ok ? *this : next;
        if (next.ok)
            return *this;
        return failure(text + QStringLiteral("\n\r") + next.text);
    }
};
