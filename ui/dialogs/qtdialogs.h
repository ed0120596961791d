#pragma once

#include "ui/dialogs/dialogs.h"

#include <memory>

class QMessageBox;
class QWidget;

/// The real dialogs: Qt's message boxes, input box, colour, font and file dialogs.
class QtDialogs : public Dialogs
{
public:
    explicit QtDialogs(QWidget *parent = nullptr);
    ~QtDialogs() override;
    void setParent(QWidget *parent) { m_parent = parent; }

    /// Takes over the start-up notice that the launcher put on the screen
    /// before the window was built: the notice's showNotice() then waits on
    /// it instead of opening another, and returns at once when it was
    /// dismissed meanwhile.
    void adoptStartupNotice(std::unique_ptr<QMessageBox> notice);
    void showNotice(const QString &text) override;
    void showMessage(const QString &text) override;
    void showError(const QString &text) override;
    bool confirm(const QString &text) override;
    std::optional<QString> askText(const QString &caption, const QString &prompt,
                                   const QString &initial) override;
    std::optional<QString> askPassword(const QString &caption, const QString &prompt) override;
    std::optional<QColor> chooseColor(const QColor &initial) override;
    std::optional<FontChoice> chooseFont(const FontChoice &initial) override;
    std::optional<QString> choosePicture(const QString &initialPath) override;
    std::optional<QString> chooseSaveFile(const QString &caption, const QString &suggestedPath,
                                          const QString &filter) override;
    std::optional<QString> chooseOpenFile(const QString &caption, const QString &initialPath,
                                          const QString &filter) override;
    std::optional<int> chooseItem(const QString &caption, const QString &prompt,
                                  const QStringList &items) override;
    bool choosePrinter(QPrinter *printer) override;

private:
    QWidget *m_parent;
    std::unique_ptr<QMessageBox> m_earlyNotice;
};
