#include "support/scripteddialogs.h"

#include <QPrinter>

#include <QStringList>

void ScriptedDialogs::showNotice(const QString &text)
{
    m_calls.append({Kind::Notice, text});
}

void ScriptedDialogs::showMessage(const QString &text)
{
    m_calls.append({Kind::Message, text});
}

void ScriptedDialogs::showError(const QString &text)
{
    m_calls.append({Kind::Error, text});
}

bool ScriptedDialogs::confirm(const QString &text)
{
    m_calls.append({Kind::Confirm, text});
    if (confirmAnswers.isEmpty()) {
        ++m_unscripted;
        return false;
    }
    return confirmAnswers.dequeue();
}

std::optional<QString> ScriptedDialogs::askText(const QString &caption, const QString &prompt,
                                                const QString &)
{
    m_calls.append({Kind::AskText, prompt});
    lastTextCaption = caption;
    if (textAnswers.isEmpty()) {
        ++m_unscripted;
        return std::nullopt;
    }
    return textAnswers.dequeue();
}

std::optional<QString> ScriptedDialogs::askPassword(const QString &, const QString &prompt)
{
    m_calls.append({Kind::Password, prompt});
    if (passwordAnswers.isEmpty()) {
        ++m_unscripted;
        return std::nullopt;
    }
    return passwordAnswers.dequeue();
}

std::optional<QColor> ScriptedDialogs::chooseColor(const QColor &initial)
{
    m_calls.append({Kind::Color, initial.name()});
    lastColorSeed = initial;
    if (colorAnswers.isEmpty()) {
        ++m_unscripted;
        return std::nullopt;
    }
    return colorAnswers.dequeue();
}

std::optional<FontChoice> ScriptedDialogs::chooseFont(const FontChoice &initial)
{
    m_calls.append({Kind::Font, initial.font.family()});
    lastFontSeed = initial;
    if (fontAnswers.isEmpty()) {
        ++m_unscripted;
        return std::nullopt;
    }
    return fontAnswers.dequeue();
}

std::optional<QString> ScriptedDialogs::choosePicture(const QString &initialPath)
{
    m_calls.append({Kind::Picture, initialPath});
    lastPictureSeed = initialPath;
    if (pictureAnswers.isEmpty()) {
        ++m_unscripted;
        return std::nullopt;
    }
    return pictureAnswers.dequeue();
}

std::optional<QString> ScriptedDialogs::chooseSaveFile(const QString &, const QString &suggestedPath,
                                                       const QString &)
{
    m_calls.append({Kind::SaveFile, suggestedPath});
    if (saveFileAnswers.isEmpty()) {
        ++m_unscripted;
        return std::nullopt;
    }
    return saveFileAnswers.dequeue();
}

std::optional<QString> ScriptedDialogs::chooseOpenFile(const QString &, const QString &initialPath,
                                                       const QString &)
{
    m_calls.append({Kind::OpenFile, initialPath});
    if (openFileAnswers.isEmpty()) {
        ++m_unscripted;
        return std::nullopt;
    }
    return openFileAnswers.dequeue();
}

std::optional<int> ScriptedDialogs::chooseItem(const QString &, const QString &prompt, const QStringList &)
{
    m_calls.append({Kind::Item, prompt});
    if (itemAnswers.isEmpty()) {
        ++m_unscripted;
        return std::nullopt;
    }
    return itemAnswers.dequeue();
}

bool ScriptedDialogs::choosePrinter(QPrinter *printer)
{
    m_calls.append({Kind::Print, printer->printerName()});
    if (printerAnswers.isEmpty()) {
        ++m_unscripted;
        return false;
    }
    const std::optional<QString> answer = printerAnswers.dequeue();
    if (!answer)
        return false;
    if (!answer->isEmpty())
        printer->setPrinterName(*answer);
    return true;
}

QStringList ScriptedDialogs::texts(Kind kind) const
{
    QStringList out;
    for (const Call &c : m_calls)
        if (c.kind == kind)
            out.append(c.text);
    return out;
}

int ScriptedDialogs::count(Kind kind) const
{
    return int(texts(kind).size());
}

void ScriptedDialogs::clear()
{
    m_calls.clear();
    m_unscripted = 0;
}
