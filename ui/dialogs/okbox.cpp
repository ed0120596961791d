#include "ui/dialogs/okbox.h"

#include "core/base/errorreport.h"
#include "ui/common/startupnotice.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFontMetrics>
#include <QLabel>
#include <QPushButton>
#include <QWindow>

namespace OkBox {

QString shown(QString text)
{
    return text.replace(QLatin1String("\n\r"), QLatin1String("\n"));
}

void plainButtons(QDialog &box)
{
    // The style's icons on the answer buttons push right-to-left captions
    // against the buttons' edge, cutting their first letter. The words alone
    // are clear, and the buttons are sized for them once the icons are gone.
    for (QPushButton *button : box.findChildren<QPushButton *>()) {
        button->setIcon(QIcon());
        button->setMinimumWidth(button->sizeHint().width() + 12);
    }
}

void roomForTitle(QMessageBox &box)
{
    // A window manager draws the title in a larger, bold font beside its own
    // buttons; the box's own allowance (the title in the application's font
    // and 50 pixels) cut it to "اختبا...طفال". The text's label is given
    // the width the whole title bar needs.
    QFont font = box.font();
    font.setBold(true);
    if (font.pointSizeF() > 0)
        font.setPointSizeF(font.pointSizeF() * 1.4);
    else
        font.setPixelSize(font.pixelSize() * 14 / 10);
    const int needed = QFontMetrics(font).horizontalAdvance(box.windowTitle()) + 160;
    if (auto *label = box.findChild<QLabel *>(QStringLiteral("qt_msgbox_label")))
        label->setMinimumWidth(needed);
}

std::unique_ptr<QMessageBox> make(QMessageBox::Icon icon, const QString &text, QWidget *parent)
{
    // The button is added by its caption, not as a standard button: a
    // standard button looks its icon up in the icon theme (which
    // plainButtons() takes off again), and the first look-up walks the
    // theme's folders and loads the picture plugins, all before the start-up
    // notice could be drawn. The text is plain and not selectable, so the
    // label lays it out as lines of text rather than as a document.
    auto box = std::make_unique<QMessageBox>(icon, applicationTitle(), QString(), QMessageBox::NoButton, parent);
    box->setTextFormat(Qt::PlainText);
    box->setTextInteractionFlags(Qt::NoTextInteraction);
    box->setText(shown(text));
    box->setDefaultButton(box->addButton(QStringLiteral("موافق"), QMessageBox::AcceptRole));
    box->setLayoutDirection(Qt::RightToLeft);
    plainButtons(*box);
    roomForTitle(*box);
    return box;
}

std::unique_ptr<QMessageBox> showStartupNotice()
{
    std::unique_ptr<QMessageBox> box = make(QMessageBox::NoIcon, StartupNotice::text(), nullptr);
    // Modal from the start, as the notice of the first show is: nothing
    // else takes input while it is up.
    box->setWindowModality(Qt::ApplicationModal);
    box->show();
    // Drawn now, not when the event loop next runs: that is after the
    // window has been built.
    QElapsedTimer waited;
    waited.start();
    while (!box->windowHandle()->isExposed() && waited.elapsed() < 500)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents | QEventLoop::ExcludeUserInputEvents, 10);
    box->repaint();
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    return box;
}

} // namespace OkBox
