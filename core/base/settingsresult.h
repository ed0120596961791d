#pragma once

#include <QString>

/// The outcome of a settings or lesson operation: whether it worked, and a
/// text for the teacher (Arabic). On success the text may be empty when the
/// operation has nothing to say; on failure it is never empty.
struct SettingsResult
{
    bool ok = false;
    QString text;

    static SettingsResult success(const QString &text = QString()) { return {true, text}; }
    static SettingsResult failure(const QString &text) { return {false, text}; }
    explicit operator bool() const { return ok; }
};
