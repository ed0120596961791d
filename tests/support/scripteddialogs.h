#pragma once

#include "ui/dialogs/dialogs.h"

#include <QList>
#include <QQueue>

/// Dialogs for tests and benchmarks: every call is recorded, and answers come
/// from queues filled beforehand. A dialog asked for with an empty queue is
/// answered as if cancelled and counted in unscripted().
class ScriptedDialogs : public Dialogs
{
public:
    enum class Kind { Notice, Message, Error, Confirm, AskText, Color, Font, Picture, SaveFile, Password, Item, Print, OpenFile };
    struct Call
    {
        Kind kind;
        QString text;
    };

    void showNotice(const QString &text) override;
    void showMessage(const QString &text) override;
    void showError(const QString &text) override;
    bool confirm(const QString &text) override;
    std::optional<QString> askText(const QString &caption, const QString &prompt,
                                   const QString &initial) override;
    /// Records the prompt, never the answer.
    std::optional<QString> askPassword(const QString &caption, const QString &prompt) override;
    std::optional<QColor> chooseColor(const QColor &initial) override;
    std::optional<FontChoice> chooseFont(const FontChoice &initial) override;
    std::optional<QString> choosePicture(const QString &initialPath) override;
    /// Records the suggested path as the call's text.
    std::optional<QString> chooseSaveFile(const QString &caption, const QString &suggestedPath,
                                          const QString &filter) override;
    /// Records the initial path as the call's text.
    std::optional<QString> chooseOpenFile(const QString &caption, const QString &initialPath,
                                          const QString &filter) override;
    /// Records the prompt.
    std::optional<int> chooseItem(const QString &caption, const QString &prompt,
                                  const QStringList &items) override;
    /// Records the printer's name as it was offered; an answer names the
    /// printer to print on (empty: keep the one offered), none cancels.
    bool choosePrinter(QPrinter *printer) override;

    // Answers, taken in order. std::nullopt stands for Cancel.
    QQueue<bool> confirmAnswers;
    QQueue<std::optional<QString>> textAnswers;
    QQueue<std::optional<QString>> passwordAnswers;
    QQueue<std::optional<QColor>> colorAnswers;
    QQueue<std::optional<FontChoice>> fontAnswers;
    QQueue<std::optional<QString>> pictureAnswers;
    QQueue<std::optional<QString>> saveFileAnswers;
    QQueue<std::optional<int>> itemAnswers;
    QQueue<std::optional<QString>> openFileAnswers;
    QQueue<std::optional<QString>> printerAnswers;

    // What the dialogs were seeded with, last call of each kind.
    QColor lastColorSeed;
    FontChoice lastFontSeed;
    QString lastPictureSeed;
    QString lastTextCaption;

    const QList<Call> &calls() const { return m_calls; }
    QStringList texts(Kind kind) const;
    int count(Kind kind) const;
    int unscripted() const { return m_unscripted; }
    void clear();

private:
    QList<Call> m_calls;
    int m_unscripted = 0;
};
