#pragma once

#include <QWidget>

class QFrame;
class QLabel;
class QToolButton;

/// The strip at the bottom of the play area: the replay button, the
/// program's address, the hint that names the options chords, the current
/// child's right and wrong answers and name, and a quiet line while the
/// children's table is on the school's server. The controls are public and
/// named (Panel7, DBText1...) so that the window and the tests reach them by
/// the names the handlers use.
class StatusStrip : public QWidget
{
    Q_OBJECT
public:
    /// `chords` names the key chords that open the options pane.
    StatusStrip(const QString &chords, QWidget *parent);

    /// The current child, counts already in the system's own digits;
    /// all empty while there is none.
    void showChild(const QString &name, const QString &right, const QString &wrong);
    /// Answers waiting for the school's server, or the server away (with
    /// the reason as a tip); hidden, it takes no room from the strip.
    void showStoreState(const QString &text, const QString &problem);

    QWidget *Panel7;
    QToolButton *SpeedButton8;
    QLabel *Label14, *Label10, *Label13, *Label12;
    QLabel *DBText1, *DBText2, *DBText3;
    QLabel *SchoolLbl;

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    // Named like the others, for the tests and screen readers; no other
    // class reaches them.
    QFrame *Shape4, *Shape5, *Shape6, *Shape7;

    /// Where the strip is narrow (a small screen with the options pane
    /// open), the address goes first and then the chord hint is shortened,
    /// so that nothing runs over the counts or the child's name.
    void fitHints();
    QString m_hint;
    QString m_shortHint;
    int m_hintWidth = 0;
};
