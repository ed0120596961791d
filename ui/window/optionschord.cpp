#include "ui/window/optionschord.h"

#include "core/base/bidi.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTextEdit>

namespace {

// Under X the default keyboard map turns Ctrl+Alt+F1 into the "switch to
// console 1" key; where that reaches us it is the options chord all the same.
constexpr quint32 SwitchToConsole1 = 0x1008FE01;

bool isF1(const QKeyEvent *event)
{
    return event->key() == Qt::Key_F1 || event->nativeVirtualKey() == SwitchToConsole1;
}

} // namespace

QString OptionsChord::names()
{
    return Bidi::word(QStringLiteral("Ctrl+Shift+F1")) + QStringLiteral(" أو ")
           + Bidi::word(QStringLiteral("Ctrl+Alt+F1"));
}

bool OptionsChord::matches(int key, Qt::KeyboardModifiers modifiers)
{
    return key == Qt::Key_F1 && (modifiers & Qt::ControlModifier)
        && (modifiers & (Qt::AltModifier | Qt::ShiftModifier));
}

void OptionsChord::pressed(const QKeyEvent *event)
{
    if (isF1(event))
        m_f1PressModifiers = event->modifiers();
}

std::optional<std::pair<int, Qt::KeyboardModifiers>> OptionsChord::released(const QKeyEvent *event)
{
    // Keys typed into an input control are that control's business.
    QWidget *focus = QApplication::focusWidget();
    if (qobject_cast<QLineEdit *>(focus) || qobject_cast<QAbstractSpinBox *>(focus)
        || qobject_cast<QTextEdit *>(focus) || qobject_cast<QAbstractItemView *>(focus))
        return std::nullopt;
    if (event->isAutoRepeat())
        return std::nullopt;
    const int key = isF1(event) ? int(Qt::Key_F1) : event->key();
    // Many people let go of Ctrl and Alt a moment before F1; the modifiers
    // held when F1 went down count as well.
    Qt::KeyboardModifiers modifiers = event->modifiers();
    if (key == Qt::Key_F1)
        modifiers |= std::exchange(m_f1PressModifiers, Qt::NoModifier);
    return std::make_pair(key, modifiers);
}
