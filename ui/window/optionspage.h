#pragma once

#include "core/base/result.h"
#include "ui/children/childrenpage.h"

#include <QImage>
#include <QWidget>

#include <array>
#include <functional>

class ClickLabel;
class Dialogs;
class PictureControl;
class ClipPlayerBar;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListView;
class QPushButton;
class QSpinBox;
class QToolButton;
class RadioGroup;

/// The options pane's first page (TabSheet1): the exit, hide, font and help
/// buttons, the lessons, the waiting time and the editors of the settings:
/// question type, asked choice, medium and video place, the five clip rows,
/// the colours, texts, pictures and shapes. Controls have fixed names, which
/// the window's handlers and the tests use, and fixed places in pixels: the
/// pane has one width (430 pixels) at every screen size.
class OptionsPage : public QWidget
{
    Q_OBJECT
public:
    explicit OptionsPage(QWidget *parent = nullptr);

    /// The current lesson and how its three choices look, for the children's
    /// chart; `pictures` are the choices' pictures in choice order.
    LessonView lessonView(const std::array<QImage, 3> &pictures) const;

    /// The colour dialog for colour label 1..3, opening on the label's
    /// colour; the choice panel takes a new colour from the next question on.
    void editColour(Dialogs &dialogs, int slot);
    /// The picture dialog for picture slot 1..3 (ImgEd1 .. ImgEd3) and the
    /// image that shows it: the path edit takes the chosen path before the
    /// picture is read, so a picture that fails to load still leaves its
    /// path behind while the image keeps what it showed.
    /// `keep`, where given, stores a copy of the chosen picture and gives
    /// the copy's path, which the path edit then takes instead; where it
    /// fails the chosen path is taken as it is, and the failure returned.
    Result pickPicture(Dialogs &dialogs, int slot, PictureControl *image,
                       const std::function<Result(const QString &, QString *)> &keep = {});

    /// The lessons area, where the window puts the lesson file actions
    /// beside the lesson buttons.
    QWidget *lessonArea() const { return OptPanel; }

    QPushButton *BitBtn1, *Button1, *Button2, *BitBtn2;
    QLineEdit *CurLesson;
    QListView *Lesson;
    QToolButton *SpeedButton7, *SpeedButton6;
    QPushButton *ProButton1, *ProButton2;
    QSpinBox *WaitSE;
    QWidget *Panel3;
    RadioGroup *VedioLocationRG;
    QLineEdit *AskColorED, *ResED;
    QLabel *Lb2;
    RadioGroup *AskForRG, *AskForColorRG, *AVRG;
    QToolButton *SpeedButton1, *SpeedButton2, *SpeedButton3, *SpeedButton4, *SpeedButton5;
    ClipPlayerBar *MP1, *MP2, *MP3, *MPTrue, *MPFalse;
    ClickLabel *ColorLB1, *ColorLB2, *ColorLB3;
    QWidget *TextPanel;
    QLineEdit *Ed1, *Ed2, *Ed3;
    QPushButton *BitBtn3, *BitBtn4, *BitBtn5;
    QCheckBox *StretchChk;
    /// Each picture whole, centred, as large as its panel allows: the
    /// lesson's side file keeps it.
    QCheckBox *FitChk;
    /// "No sound output was found", shown only then.
    QLabel *SoundNote;
    QLineEdit *ImgEd1, *ImgEd2, *ImgEd3;
    RadioGroup *rg1, *rg2, *rg3;

signals:
    /// A text or picture path edit refused characters the settings files
    /// cannot hold; sent once the edit has finished its keystroke, once for
    /// a burst of refusals.
    void textRefused(const QString &characters);

private:
    // Named like the others, for the tests and screen readers; no other
    // class reaches them.
    QWidget *OptPanel, *Panel5;
    QLabel *Label1, *Label2, *Label3, *Label4, *Label5, *Label6, *Label7, *Label8, *Label9;
    QLabel *Label15, *Label16;

    void buildLessons();
    void buildEditors();
    void refuseTexts();
    void nameForScreenReaders();

    bool m_refusalPending = false;
};
