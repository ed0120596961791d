#pragma once

#include <QString>
#include <Qt>

#include <optional>
#include <utility>

class QKeyEvent;

/// The key chords that open the options pane, Ctrl+Shift+F1 and
/// Ctrl+Alt+F1, as the window's keys reach them. Many desktops take
/// Ctrl+Alt+F1 for themselves (it switches to the first text console), so
/// both are offered; both are as hard for a child to hit by chance.
class OptionsChord
{
public:
    /// The chords as the texts name them, each kept in its own reading order.
    static QString names();
    /// Whether a key let go with these modifiers is one of the chords.
    static bool matches(int key, Qt::KeyboardModifiers modifiers);

    /// Follows a key press that reached the window.
    void pressed(const QKeyEvent *event);
    /// The key and the modifiers that a release reaching the window stands
    /// for; nothing for a release that belongs to an input control or that
    /// the keyboard repeats.
    std::optional<std::pair<int, Qt::KeyboardModifiers>> released(const QKeyEvent *event);

private:
    Qt::KeyboardModifiers m_f1PressModifiers;
};
