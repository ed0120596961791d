#pragma once

#include <QString>

/// Texts that come from outside (a file a teacher copied in, another
/// computer, the school's server) shown and kept as the plain characters they
/// are: never as markup, never as control or direction-override characters
/// that would reorder or hide the text around them, never longer than their
/// field.
namespace PlainText {

/// The text without C0 and C1 control characters, without the
/// bidirectional embeddings, overrides and isolates (U+202A..U+202E,
/// U+2066..U+2069), line and paragraph separators and unpaired surrogates,
/// cut to at most maxLength characters (a character outside the basic plane
/// counts as one and is never split). The joiners U+200C and U+200D, which
/// Arabic spelling needs, and the direction marks U+200E, U+200F and U+061C,
/// which the Windows-1256 texts of the quiz hold, stay. Stops reading once
/// maxLength characters are kept, so a huge text costs no more than a short
/// one.
QString cleanText(const QString &text, int maxLength);

/// True when cleanText(text, maxLength) would give the text unchanged.
bool isClean(const QString &text, int maxLength);

/// For places that only offer rich text (chart titles, legends, axis
/// labels): the characters of the text, with markup characters escaped, so
/// that what shows is exactly the text.
QString escaped(const QString &text);

/// A tooltip that shows exactly the text: tooltips take markup whenever a
/// text looks like it, so data goes into one as escaped rich text.
QString toolTip(const QString &text);

} // namespace PlainText
