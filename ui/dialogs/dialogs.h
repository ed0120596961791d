#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>

#include <optional>

class QPrinter;

/// A font together with its colour, as the font dialog hands them out.
struct FontChoice
{
    QFont font;
    QColor color;
};

/// Every dialog the quiz shows goes through this interface, so that tests and
/// benchmarks can script the answers and nothing ever blocks on a modal box.
class Dialogs
{
public:
    virtual ~Dialogs() = default;

    /// The start-up notice: one OK button, captioned with the application title.
    virtual void showNotice(const QString &text) = 0;
    /// A short information message with an OK button.
    virtual void showMessage(const QString &text) = 0;
    /// The general error report: error icon, application title, one OK button.
    /// The text is shown as given; see errorReportText() for the full-stop rule.
    virtual void showError(const QString &text) = 0;
    /// Yes / Cancel; true only for Yes.
    virtual bool confirm(const QString &text) = 0;
    /// A text input box; no value when cancelled.
    virtual std::optional<QString> askText(const QString &caption, const QString &prompt,
                                           const QString &initial) = 0;
    /// A password input box: what is typed is never shown, and the box
    /// starts empty; no value when cancelled.
    virtual std::optional<QString> askPassword(const QString &caption, const QString &prompt) = 0;
    virtual std::optional<QColor> chooseColor(const QColor &initial) = 0;
    virtual std::optional<FontChoice> chooseFont(const FontChoice &initial) = 0;
    /// An open-picture dialog with a preview; the chosen file's full path.
    virtual std::optional<QString> choosePicture(const QString &initialPath) = 0;
    /// A save-file dialog opening on suggestedPath, for files matching
    /// `filter` (e.g. "CSV (*.csv)"); the chosen full path, with the
    /// filter's extension when the user typed none.
    virtual std::optional<QString> chooseSaveFile(const QString &caption, const QString &suggestedPath,
                                                  const QString &filter) = 0;
    /// An open-file dialog opening on initialPath, for files matching
    /// `filter`; the chosen file's full path.
    virtual std::optional<QString> chooseOpenFile(const QString &caption, const QString &initialPath,
                                                  const QString &filter) = 0;
    /// One of `items`, picked from a list; its index, none when cancelled.
    virtual std::optional<int> chooseItem(const QString &caption, const QString &prompt,
                                          const QStringList &items) = 0;
    /// The system's print dialog for `printer`, which then holds the
    /// printer, pages and copies chosen; false when cancelled.
    virtual bool choosePrinter(QPrinter *printer) = 0;
};
