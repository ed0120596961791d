#include "ui/dialogs/qtdialogs.h"

#include "core/base/errorreport.h"
#include "core/base/picturefile.h"
#include "ui/dialogs/fontchoicedialog.h"
#include "ui/dialogs/okbox.h"
#include "ui/common/startupnotice.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QImage>
#include <QInputDialog>
#include <QLineEdit>
#include <QLabel>
#include <QPixmap>
#include <QPrintDialog>
#include <QPrinter>
#include <QMessageBox>
#include <QPushButton>

namespace {

using OkBox::plainButtons;
using OkBox::shown;

int run(QDialog &box)
{
    box.setLayoutDirection(Qt::RightToLeft);
    plainButtons(box);
    return box.exec();
}

void showWithOk(QMessageBox::Icon icon, const QString &text, QWidget *parent)
{
    OkBox::make(icon, text, parent)->exec();
}
} // namespace

QtDialogs::QtDialogs(QWidget *parent) : m_parent(parent) {}

QtDialogs::~QtDialogs() = default;

void QtDialogs::adoptStartupNotice(std::unique_ptr<QMessageBox> notice)
{
    m_earlyNotice = std::move(notice);
}

void QtDialogs::showNotice(const QString &text)
{
    if (std::unique_ptr<QMessageBox> early = std::move(m_earlyNotice)) {
        if (text == StartupNotice::text()) {
            // Dismissed already while the window was being built, or
            // waited for now.
            if (early->isVisible())
                early->exec();
            return;
        }
    }
    showWithOk(QMessageBox::NoIcon, text, m_parent);
}

void QtDialogs::showMessage(const QString &text)
{
    showWithOk(QMessageBox::Information, text, m_parent);
}

void QtDialogs::showError(const QString &text)
{
    showWithOk(QMessageBox::Critical, text, m_parent);
}

bool QtDialogs::confirm(const QString &text)
{
    // The question may name a lesson folder made elsewhere: plain text, set
    // only once the box knows it.
    QMessageBox box(QMessageBox::Question, applicationTitle(), QString(),
                    QMessageBox::Yes | QMessageBox::Cancel, m_parent);
    box.setTextFormat(Qt::PlainText);
    box.setText(shown(text));
    box.setDefaultButton(QMessageBox::Cancel);
    box.button(QMessageBox::Yes)->setText(QStringLiteral("نعم"));
    box.button(QMessageBox::Cancel)->setText(QStringLiteral("إلغاء"));
    OkBox::roomForTitle(box);
    return run(box) == QMessageBox::Yes;
}

std::optional<QString> QtDialogs::askText(const QString &caption, const QString &prompt,
                                          const QString &initial)
{
    QInputDialog box(m_parent);
    box.setWindowTitle(caption);
    box.setLabelText(QString()); // makes the label, to be made plain first
    for (QLabel *label : box.findChildren<QLabel *>())
        label->setTextFormat(Qt::PlainText);
    box.setLabelText(shown(prompt));
    box.setTextValue(initial);
    // Set here rather than left to the translation, so that the buttons are
    // sized for the Arabic words and neither is cut.
    box.setOkButtonText(QStringLiteral("موافق"));
    box.setCancelButtonText(QStringLiteral("إلغاء"));
    if (run(box) != QDialog::Accepted)
        return std::nullopt;
    return box.textValue();
}

std::optional<QString> QtDialogs::askPassword(const QString &caption, const QString &prompt)
{
    QInputDialog box(m_parent);
    box.setWindowTitle(caption);
    box.setLabelText(shown(prompt));
    box.setTextEchoMode(QLineEdit::Password);
    box.setInputMethodHints(Qt::ImhHiddenText | Qt::ImhSensitiveData | Qt::ImhNoPredictiveText);
    box.setOkButtonText(QStringLiteral("موافق"));
    box.setCancelButtonText(QStringLiteral("إلغاء"));
    if (run(box) != QDialog::Accepted)
        return std::nullopt;
    QString typed = box.textValue();
    // The box's own field holds no copy once the password is taken.
    box.setTextValue(QString());
    return typed;
}

std::optional<QColor> QtDialogs::chooseColor(const QColor &initial)
{
    QColorDialog box(initial, m_parent);
    if (box.exec() != QDialog::Accepted)
        return std::nullopt;
    return box.selectedColor();
}

std::optional<FontChoice> QtDialogs::chooseFont(const FontChoice &initial)
{
    // The colour belongs to the choice, which the platform's font dialog
    // cannot offer: a dialog of our own, with this colour dialog behind it.
    FontChoiceDialog box(initial, [this](const QColor &colour) { return chooseColor(colour); },
                         m_parent);
    if (run(box) != QDialog::Accepted)
        return std::nullopt;
    return box.choice();
}

std::optional<QString> QtDialogs::choosePicture(const QString &initialPath)
{
    // Qt's own dialog, so that a preview can sit beside the file list.
    QFileDialog box(m_parent, applicationTitle());
    box.setOption(QFileDialog::DontUseNativeDialog, true);
    // File names and sizes are mostly Latin: mirrored columns garble them.
    box.setLayoutDirection(Qt::LeftToRight);
    box.resize(820, 480);
    box.setAcceptMode(QFileDialog::AcceptOpen);
    box.setFileMode(QFileDialog::ExistingFile);
    // The long pattern lists would be cut and turned around beside the
    // Arabic names: the list shows the names only.
    box.setOption(QFileDialog::HideNameFilterDetails, true);
    box.setNameFilters(PictureFile::dialogFilters());
    const QFileInfo initial(initialPath);
    if (!initialPath.isEmpty() && initial.dir().exists()) {
        box.setDirectory(initial.dir());
        if (initial.isFile())
            box.selectFile(initial.fileName());
    }

    auto *preview = new QLabel(&box);
    preview->setObjectName(QStringLiteral("picturePreview"));
    preview->setFixedSize(200, 200);
    preview->setAlignment(Qt::AlignCenter);
    preview->setFrameShape(QFrame::StyledPanel);
    preview->setWordWrap(true);
    preview->setTextFormat(Qt::PlainText); // the reason names the file
    if (auto *grid = qobject_cast<QGridLayout *>(box.layout()))
        grid->addWidget(preview, 1, grid->columnCount(), grid->rowCount() - 1, 1);
    const auto showPreview = [preview](const QString &path) {
        QImage image;
        if (!QFileInfo(path).isFile()) {
            preview->clear();
        } else if (const Result loaded = PictureFile::load(path, &image, 400)) {
            preview->setPixmap(QPixmap::fromImage(image.scaled(
                preview->size(), Qt::KeepAspectRatio, Qt::SmoothTransformation)));
        } else {
            preview->setText(loaded.text);
        }
    };
    QObject::connect(&box, &QFileDialog::currentChanged, preview, showPreview);
    // The picture the dialog opens on is previewed before any click.
    showPreview(initialPath);

    if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty())
        return std::nullopt;
    return box.selectedFiles().constFirst();
}

std::optional<QString> QtDialogs::chooseSaveFile(const QString &caption, const QString &suggestedPath,
                                                 const QString &filter)
{
    QFileDialog box(m_parent, caption);
    box.setOption(QFileDialog::DontUseNativeDialog, true);
    box.setLayoutDirection(Qt::LeftToRight);
    box.resize(820, 480);
    box.setAcceptMode(QFileDialog::AcceptSave);
    box.setFileMode(QFileDialog::AnyFile);
    box.setNameFilter(filter);
    // "results" becomes "results.csv": a file without its extension would
    // not open in the spreadsheet with a double click.
    const qsizetype dot = filter.indexOf(QLatin1String("*."));
    if (dot >= 0)
        box.setDefaultSuffix(filter.mid(dot + 2).section(QLatin1Char(')'), 0, 0).section(QLatin1Char(' '), 0, 0));
    const QFileInfo suggested(suggestedPath);
    if (suggested.dir().exists())
        box.setDirectory(suggested.dir());
    box.selectFile(suggested.fileName());
    if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty())
        return std::nullopt;
    return box.selectedFiles().constFirst();
}

std::optional<QString> QtDialogs::chooseOpenFile(const QString &caption, const QString &initialPath,
                                                 const QString &filter)
{
    QFileDialog box(m_parent, caption);
    box.setOption(QFileDialog::DontUseNativeDialog, true);
    box.setLayoutDirection(Qt::LeftToRight);
    box.resize(820, 480);
    box.setAcceptMode(QFileDialog::AcceptOpen);
    box.setFileMode(QFileDialog::ExistingFile);
    box.setNameFilter(filter);
    const QFileInfo initial(initialPath);
    if (initial.isDir())
        box.setDirectory(initial.absoluteFilePath());
    else if (initial.dir().exists())
        box.setDirectory(initial.dir());
    if (box.exec() != QDialog::Accepted || box.selectedFiles().isEmpty())
        return std::nullopt;
    return box.selectedFiles().constFirst();
}

std::optional<int> QtDialogs::chooseItem(const QString &caption, const QString &prompt, const QStringList &items)
{
    QInputDialog box(m_parent);
    box.setWindowTitle(caption);
    box.setLabelText(prompt);
    box.setLayoutDirection(Qt::RightToLeft);
    box.setComboBoxItems(items);
    box.setComboBoxEditable(false);
    box.setOkButtonText(QStringLiteral("موافق"));
    box.setCancelButtonText(QStringLiteral("إلغاء"));
    if (box.exec() != QDialog::Accepted)
        return std::nullopt;
    const int index = int(items.indexOf(box.textValue()));
    if (index < 0)
        return std::nullopt;
    return index;
}

bool QtDialogs::choosePrinter(QPrinter *printer)
{
    QPrintDialog box(printer, m_parent);
    box.setWindowTitle(QStringLiteral("طباعة"));
    return box.exec() == QDialog::Accepted;
}
