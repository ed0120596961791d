#include "app/qtdialogs.h"

#include "app/errorreport.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>

void QtDialogs::showNotice(const QString &text)
{
    QMessageBox box(QMessageBox::NoIcon, applicationTitle(), text, QMessageBox::Ok, m_parent);
    box.setLayoutDirection(Qt::RightToLeft);
    box.exec();
}

void QtDialogs::showMessage(const QString &text)
{
    QMessageBox box(QMessageBox::Information, applicationTitle(), text, QMessageBox::Ok, m_parent);
    box.setLayoutDirection(Qt::RightToLeft);
    box.exec();
}

void QtDialogs::showError(const QString &text)
{
    QMessageBox box(QMessageBox::Critical, applicationTitle(), text, QMessageBox::Ok, m_parent);
    box.setLayoutDirection(Qt::RightToLeft);
    box.exec();
}

bool QtDialogs::confirm(const QString &text)
{
    QMessageBox box(QMessageBox::Question, applicationTitle(), text,
                    QMessageBox::Yes | QMessageBox::Cancel, m_parent);
    box.setLayoutDirection(Qt::RightToLeft);
    box.setDefaultButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> QtDialogs::askText(const QString &caption, const QString &prompt,
                                          const QString &initial)
{
    QInputDialog box(m_parent);
    box.setLayoutDirection(Qt::RightToLeft);
    box.setWindowTitle(caption);
    box.setLabelText(prompt);
    box.setTextValue(initial);
    if (box.exec() != QDialog::Accepted)
        return std::nullopt;
    return box.textValue();
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
    // QFontDialog has no colour field; the colour travels unchanged.
    QFontDialog box(initial.font, m_parent);
    if (box.exec() != QDialog::Accepted)
        return std::nullopt;
    return FontChoice{box.selectedFont(), initial.color};
}

std::optional<QString> QtDialogs::choosePicture(const QString &initialPath)
{
    const QString file = QFileDialog::getOpenFileName(m_parent, applicationTitle(), initialPath);
    if (file.isEmpty())
        return std::nullopt;
    return file;
}
