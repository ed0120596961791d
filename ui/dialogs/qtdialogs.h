#pragma once

#include "ui/dialogs/dialogs.h"

class QWidget;

/// The real dialogs: Qt's message boxes, input box, colour, font and file dialogs.
class QtDialogs : public Dialogs
{
public:
    explicit QtDialogs(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }

    void showNotice(const QString &text) override;
    void showMessage(const QString &text) override;
    void showError(const QString &text) override;
    bool confirm(const QString &text) override;
    std::optional<QString> askText(const QString &caption, const QString &prompt,
                                   const QString &initial) override;
    std::optional<QColor> chooseColor(const QColor &initial) override;
    std::optional<FontChoice> chooseFont(const FontChoice &initial) override;
    std::optional<QString> choosePicture(const QString &initialPath) override;
    std::optional<QString> chooseSaveFile(const QString &caption, const QString &suggestedPath,
                                          const QString &filter) override;

private:
    QWidget *m_parent;
};
