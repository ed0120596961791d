#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

/// The single-byte Arabic code page in which the options file and the
/// current-lesson file hold their texts, so that files written by other
/// installations load unchanged. The conversion itself is Qt's (through ICU);
/// this class only adds the checks that keep a text from silently turning
/// into other characters.
class Windows1256
{
public:
    /// False when this Qt build has no converter for the code page; every
    /// other function then fails (decode gives Latin-1 as a last resort).
    static bool isAvailable();

    /// Every byte value has a character in this code page, so decoding never
    /// fails.
    static QString decode(QByteArrayView bytes);

    /// The bytes of the text, or an empty array with *ok false when any
    /// character has no byte of its own (an emoji, a Chinese character, ...).
    static QByteArray encode(const QString &text, bool *ok);

    /// True when the text survives encode and decode unchanged: the one check
    /// editors use before accepting a text that will be saved.
    static bool canHold(const QString &text);

    /// The characters of the text that the code page cannot hold, each once,
    /// in their order of appearance (for telling the teacher what was refused).
    static QString unholdableCharacters(const QString &text);

    /// A short Arabic message for an editor that refuses such a text.
    static QString refusalMessage();
};
