#pragma once

#include <QString>

/// The text the general error report shows: a full stop is appended unless the
/// text is empty or ends in a character that sorts at or before the full stop
/// (so a text ending in ".", "," or a blank is shown as it is).
QString errorReportText(const QString &text);

/// The application title that captions every message box.
QString applicationTitle();
