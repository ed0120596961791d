#pragma once

#include <QMessageBox>

#include <memory>

class QDialog;

/// The message boxes with one OK button, shared by the window's dialogs and
/// the program's launcher, which shows the start-up notice with them before
/// the window exists.
namespace OkBox {

/// Messages break their lines with line feed + carriage return; a label
/// would show the carriage return as a stray mark.
QString shown(QString text);
/// Takes the style's icons off the dialog's buttons (see there).
void plainButtons(QDialog &box);
/// Wide enough for the title in a window manager's title bar.
void roomForTitle(QMessageBox &box);
/// A box captioned with the application's title, showing text, with one OK
/// button; right to left.
std::unique_ptr<QMessageBox> make(QMessageBox::Icon icon, const QString &text, QWidget *parent);
/// The start-up notice, modal, on the screen and drawn when this returns.
std::unique_ptr<QMessageBox> showStartupNotice();

} // namespace OkBox
