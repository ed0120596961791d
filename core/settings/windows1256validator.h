#pragma once

#include <QValidator>

/// Keeps an edit's text within what the settings files can store: a change
/// that would bring in a character Windows-1256 cannot hold (an emoji, a
/// Chinese character) is refused as a whole, and refused() names the
/// characters so that the window can tell the teacher why nothing appeared.
class Windows1256Validator : public QValidator
{
    Q_OBJECT
public:
    explicit Windows1256Validator(QObject *parent = nullptr);

    State validate(QString &input, int &pos) const override;

signals:
    /// The characters of a refused change that the code page cannot hold.
    void refused(const QString &characters) const;
};
