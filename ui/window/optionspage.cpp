#include "ui/window/optionspage.h"
#include "ui/common/placing.h"
#include "ui/common/styleicon.h"

#include "core/quiz/questiontype.h"
#include "core/settings/optionsfile.h"
#include "core/settings/windows1256.h"
#include "core/settings/windows1256validator.h"
#include "ui/dialogs/dialogs.h"
#include "ui/media/clipplayerbar.h"
#include "ui/window/clicklabel.h"
#include "ui/window/picturecontrol.h"
#include "ui/window/radiogroup.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QSpinBox>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

#include <optional>
#include <utility>

namespace {

/// The waiting time's spin box: any number of up to three digits can be
/// typed, and one outside the range is brought into it when the field is
/// left (0 gives the least, 75 the most), rather than being refused as it is
/// typed or thrown back to the value before.
class WaitSpinBox : public QSpinBox
{
public:
    using QSpinBox::QSpinBox;

    QValidator::State validate(QString &text, int &pos) const override
    {
        const QValidator::State state = QSpinBox::validate(text, pos);
        if (state == QValidator::Invalid && typedNumber(text))
            return QValidator::Intermediate;
        return state;
    }

    void fixup(QString &text) const override
    {
        if (const std::optional<int> value = typedNumber(text))
            text = textFromValue(qBound(minimum(), *value, maximum()));
        else
            QSpinBox::fixup(text);
    }

private:
    // A whole number in the digits of the field's language, without a sign.
    std::optional<int> typedNumber(const QString &text) const
    {
        const QString digits = text.trimmed();
        bool ok = false;
        const int value = locale().toInt(digits, &ok);
        if (!ok || digits.size() > 3 || value < 0)
            return std::nullopt;
        return value;
    }
};

QLabel *label(QWidget *parent, const char *name, const QString &text, int left, int top)
{
    return placed(new QLabel(text, parent), name, left, top);
}

QToolButton *speedButton(QWidget *parent, const char *name, const QString &text, int left,
                         int top, int width, int height)
{
    auto *b = placed(new QToolButton(parent), name, left, top, width, height);
    b->setText(text);
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoRaise(false);
    return b;
}

QFont pixelFont(int pixels)
{
    QFont f;
    f.setPixelSize(pixels);
    return f;
}

} // namespace

OptionsPage::OptionsPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("TabSheet1"));
    auto *fill = new QVBoxLayout(this);
    fill->setContentsMargins(0, 0, 0, 0);
    OptPanel = named(new QWidget(this), "OptPanel");
    fill->addWidget(OptPanel);
    buildLessons();
    buildEditors();
    refuseTexts();
    nameForScreenReaders();
}

// What a screen reader says for the controls whose caption is an icon, a
// letter or a label beside them.
void OptionsPage::nameForScreenReaders()
{
    CurLesson->setAccessibleName(QStringLiteral("الدرس الحالي"));
    Lesson->setAccessibleName(QStringLiteral("الدروس"));
    Lesson->setAccessibleDescription(QStringLiteral("اختر درساً ليصبح الدرس الحالي؛ انقر مرتين لتغيير اسمه"));
    WaitSE->setAccessibleName(QStringLiteral("مؤقت انتظار بين الأسئلة بالثواني"));
    const QString clips[] = {QStringLiteral("الخيار الأول"), QStringLiteral("الخيار الثاني"),
                             QStringLiteral("الخيار الثالث"), QStringLiteral("الجواب صح"),
                             QStringLiteral("الجواب خطأ")};
    ClipPlayerBar *const players[] = {MP1, MP2, MP3, MPTrue, MPFalse};
    QToolButton *const resets[] = {SpeedButton2, SpeedButton3, SpeedButton4, SpeedButton1, SpeedButton5};
    for (int i = 0; i < 5; ++i) {
        players[i]->button(ClipPlayerBar::Button::Play)->setAccessibleName(QStringLiteral("تشغيل: ") + clips[i]);
        players[i]->button(ClipPlayerBar::Button::Stop)->setAccessibleName(QStringLiteral("إيقاف: ") + clips[i]);
        players[i]->button(ClipPlayerBar::Button::Record)->setAccessibleName(QStringLiteral("تسجيل: ") + clips[i]);
        players[i]->button(ClipPlayerBar::Button::Undo)->setAccessibleName(QStringLiteral("تراجع عن التسجيل: ") + clips[i]);
        resets[i]->setAccessibleName(QStringLiteral("حذف الملف: ") + clips[i]);
        resets[i]->setAccessibleDescription(QStringLiteral("يستبدل الملف بملف فارغ"));
    }
    const QString ordinals[] = {QStringLiteral("الأول"), QStringLiteral("الثاني"), QStringLiteral("الثالث")};
    QLineEdit *const texts[] = {Ed1, Ed2, Ed3};
    QLineEdit *const paths[] = {ImgEd1, ImgEd2, ImgEd3};
    QPushButton *const pickers[] = {BitBtn3, BitBtn4, BitBtn5};
    for (int i = 0; i < 3; ++i) {
        texts[i]->setAccessibleName(QStringLiteral("نص الخيار ") + ordinals[i]);
        paths[i]->setAccessibleName(QStringLiteral("ملف الصورة %1").arg(i + 1));
        pickers[i]->setAccessibleName(QStringLiteral("تغيير الصورة %1").arg(i + 1));
    }
    for (ClickLabel *c : {ColorLB1, ColorLB2, ColorLB3})
        c->setAccessibleDescription(c->toolTip());
}

void OptionsPage::buildLessons()
{
    QWidget *p = OptPanel;
    // The buttons show their words only: beside a style icon a right-to-left
    // caption is pushed against the button's edge at these widths.
    BitBtn1 = placed(new QPushButton(QStringLiteral("الخروج"), p), "BitBtn1", 8, 8, 75, 25);
    Button1 = placed(new QPushButton(QStringLiteral("اخفاء الخيارات"), p), "Button1", 8, 37, 75, 25);
    Button2 = placed(new QPushButton(QStringLiteral("تغيير الخط"), p), "Button2", 8, 66, 75, 25);
    BitBtn2 = placed(new QPushButton(QStringLiteral("مساعدة"), p), "BitBtn2", 8, 94, 75, 25);
    Label2 = label(p, "Label2", QStringLiteral("خيارات"), 169, 2);
    Label2->setFont(pixelFont(24));
    Label2->setGeometry(169, 2, 79, 37);
    Label7 = label(p, "Label7", QStringLiteral("الدروس"), 383, 35);
    Label8 = label(p, "Label8", QStringLiteral("الدرس الحالي:"), 256, 40);
    CurLesson = placed(new QLineEdit(QStringLiteral("الدرس الحالي المختار"), p), "CurLesson", 88, 37, 165, 21);
    CurLesson->setReadOnly(true);
    {
        QPalette pal = CurLesson->palette();
        pal.setColor(QPalette::Base, Qt::yellow);
        CurLesson->setPalette(pal);
    }
    Lesson = placed(new QListView(p), "Lesson", 256, 56, 169, 129);
    SpeedButton7 = speedButton(p, "SpeedButton7", QStringLiteral("اختيار الدرس التلقائي"), 130, 59, 120, 22);
    SpeedButton7->setToolTip(SpeedButton7->text());
    ProButton1 = placed(new QPushButton(QStringLiteral("حفظ الدرس الحالي إلى الاسم المختار"), p),
                        "ProButton1", 150, 84, 100, 33);
    ProButton2 = placed(new QPushButton(QStringLiteral("إنشاء درس جديد من الوضع الحالي"), p),
                        "ProButton2", 150, 119, 100, 33);
    for (QPushButton *b : {ProButton1, ProButton2}) {
        // A push button cannot wrap its caption; a wrapped label inside it can.
        const QString text = b->text();
        b->setText(QString());
        auto *inner = new QLabel(text, b);
        inner->setWordWrap(true);
        inner->setAlignment(Qt::AlignCenter);
        inner->setAttribute(Qt::WA_TransparentForMouseEvents);
        inner->setGeometry(b->rect().adjusted(3, 1, -3, -1));
        b->setAccessibleName(text);
    }
    SpeedButton6 = speedButton(p, "SpeedButton6", QStringLiteral("حذف الدرس المختار"), 130, 155, 120, 22);
    SpeedButton6->setToolTip(SpeedButton6->text());
    Label15 = label(p, "Label15", QStringLiteral("مؤقت انتظار بين الأسئلة"), 23, 136);
    WaitSE = placed(new WaitSpinBox(p), "WaitSE", 56, 152, 57, 22);
    WaitSE->setRange(1, 60);
    WaitSE->setCorrectionMode(QAbstractSpinBox::CorrectToNearestValue);
    WaitSE->setValue(2);
    Label16 = label(p, "Label16", QStringLiteral("ثانية"), 28, 155);
    Panel3 = placed(new QWidget(p), "Panel3", 2, 185, 425, 384);
    VedioLocationRG = placed(new RadioGroup(QStringLiteral("موضع الفيديو"),
                                            {QStringLiteral("أعلى"), QStringLiteral("أسفل"),
                                             QStringLiteral("يمين"), QStringLiteral("يسار")},
                                            p),
                             "VedioLocationRG", 357, 305, 70, 105);
    VedioLocationRG->setItemIndex(0);
    AskColorED = placed(new QLineEdit(QStringLiteral("N"), p), "AskColorED", 28, 568, 25, 21);
    AskColorED->hide();
    ResED = placed(new QLineEdit(QStringLiteral("N"), p), "ResED", 76, 568, 25, 21);
    ResED->hide();
    Lb2 = label(p, "Lb2", QStringLiteral("1"), 117, 568);
    Lb2->setLayoutDirection(Qt::LeftToRight);
    Lb2->setFont(QFont(QStringLiteral("Times New Roman"), -1));
    Lb2->hide();
}

void OptionsPage::buildEditors()
{
    QWidget *p = Panel3;
    AskForRG = placed(new RadioGroup(QStringLiteral("نوع السؤال"), QuestionTypes::labels(), p),
                      "AskForRG", 358, 8, 67, 105);
    AskForRG->setItemIndex(0);
    AskForColorRG = placed(new RadioGroup(QStringLiteral("الخيار المطلوب"),
                                          {QStringLiteral("عشوائي"), QStringLiteral("الأول"),
                                           QStringLiteral("الثاني"), QStringLiteral("الثالث")},
                                          p),
                           "AskForColorRG", 270, 8, 81, 105);
    AskForColorRG->setItemIndex(0);
    AVRG = placed(new RadioGroup(QStringLiteral("طريقة التفاعل"),
                                 {QStringLiteral("صوت wav"), QStringLiteral("فيديو avi")}, p),
                  "AVRG", 270, 120, 81, 49);
    AVRG->setItemIndex(0);

    const char *resetNames[] = {"SpeedButton2", "SpeedButton3", "SpeedButton4", "SpeedButton1", "SpeedButton5"};
    QToolButton **resets[] = {&SpeedButton2, &SpeedButton3, &SpeedButton4, &SpeedButton1, &SpeedButton5};
    const char *playerNames[] = {"MP1", "MP2", "MP3", "MPTrue", "MPFalse"};
    ClipPlayerBar **players[] = {&MP1, &MP2, &MP3, &MPTrue, &MPFalse};
    const int rowTops[] = {16, 48, 80, 112, 143};
    const int resetTops[] = {16, 48, 80, 112, 144};
    for (int i = 0; i < 5; ++i) {
        *resets[i] = speedButton(p, resetNames[i], QStringLiteral("X"), 246, resetTops[i], 23, 22);
        (*resets[i])->setToolTip(QStringLiteral("حذف الملف"));
        // Under the buttons, in the gap to the next row: the level meter
        // while recording and, under the row's caption too, what went wrong
        // with a recording.
        *players[i] = placed(new ClipPlayerBar(p), playerNames[i], 92, rowTops[i], 152, 35);
    }

    const QString colourHint = QStringLiteral("اضغط هنا لتغيير اللون");
    ColorLB1 = placed(new ClickLabel(QStringLiteral("اللون الأول"), p), "ColorLB1", 92, 16, 64, 25);
    ColorLB2 = placed(new ClickLabel(QStringLiteral("اللون الثاني"), p), "ColorLB2", 92, 48, 64, 25);
    ColorLB3 = placed(new ClickLabel(QStringLiteral("اللون الثالث"), p), "ColorLB3", 92, 80, 64, 25);
    const QColor colours[] = {Qt::red, Qt::yellow, Qt::blue};
    int i = 0;
    for (ClickLabel *c : {ColorLB1, ColorLB2, ColorLB3}) {
        c->setAlignment(Qt::AlignCenter);
        c->setAutoFillBackground(true);
        c->setToolTip(colourHint);
        QPalette pal = c->palette();
        pal.setColor(QPalette::Window, colours[i++]);
        c->setPalette(pal);
    }
    Label1 = label(p, "Label1", QStringLiteral("الجواب صح"), 101, 116);
    Label3 = label(p, "Label3", QStringLiteral("الجواب خطأ"), 99, 149);
    // A bar's note line runs under its caption and over the top of the next
    // row's: it is drawn above both.
    for (ClipPlayerBar *bar : {MP1, MP2, MP3, MPTrue, MPFalse})
        bar->raise();

    TextPanel = placed(new QFrame(p), "TextPanel", 48, 0, 44, 104);
    static_cast<QFrame *>(TextPanel)->setFrameShape(QFrame::StyledPanel);
    Label5 = label(TextPanel, "Label5", QStringLiteral("النص"), 17, 3);
    Ed1 = placed(new QLineEdit(QStringLiteral("1"), TextPanel), "Ed1", 5, 16, 33, 21);
    Ed2 = placed(new QLineEdit(QStringLiteral("2"), TextPanel), "Ed2", 5, 48, 33, 21);
    Ed3 = placed(new QLineEdit(QStringLiteral("3"), TextPanel), "Ed3", 5, 80, 33, 21);
    // As long as a text read back from the file may be: nothing typed is cut later.
    for (QLineEdit *edit : {Ed1, Ed2, Ed3})
        edit->setMaxLength(OptionsValues::TextLength);
    TextPanel->hide();

    const QIcon pictureIcon = styleIcon(QStyle::SP_DirOpenIcon);
    BitBtn3 = placed(new QPushButton(p), "BitBtn3", 15, 16, 29, 25);
    BitBtn4 = placed(new QPushButton(p), "BitBtn4", 15, 48, 29, 25);
    BitBtn5 = placed(new QPushButton(p), "BitBtn5", 15, 80, 29, 25);
    for (QPushButton *b : {BitBtn3, BitBtn4, BitBtn5})
        b->setIcon(pictureIcon);
    BitBtn3->setToolTip(QStringLiteral("تغيير الصورة 1"));
    Label9 = label(p, "Label9", QStringLiteral("الصور"), 14, 1);
    StretchChk = placed(new QCheckBox(QStringLiteral("تمدد الصورة"), p), "StretchChk", 0, 112, 81, 17);
    FitChk = placed(new QCheckBox(QStringLiteral(u"ملاءمة الصورة"), p), "FitChk", 0, 131, 90, 17);
    FitChk->setToolTip(QStringLiteral(u"تُعرض كل صورة كاملة في وسط لوحتها بأكبر حجم دون تشويه"));
    FitChk->setAccessibleDescription(FitChk->toolTip());
    Label4 = placed(new QLabel(QStringLiteral("ملفات الصوت والفيديو موجودة في المجلد Data يمكنك تغييرها بأي برنامج "
                                              "شرط أن تبقى بالاسم نفسه مع ابقاء نوع الملف نفسه وهما avi و wav"),
                               p),
                    "Label4", 8, 173, 217, 68);
    Label4->setWordWrap(true);
    SoundNote = placed(new QLabel(p), "SoundNote", 8, 245, 217, 40);
    SoundNote->setTextFormat(Qt::PlainText); // names the sound devices
    SoundNote->setWordWrap(true);
    SoundNote->hide();

    Panel5 = placed(new QWidget(p), "Panel5", 256, 184, 70, 104);
    Label6 = label(Panel5, "Label6", QStringLiteral("الصور"), 5, 0);
    ImgEd1 = placed(new QLineEdit(Panel5), "ImgEd1", 5, 16, 60, 21);
    ImgEd2 = placed(new QLineEdit(Panel5), "ImgEd2", 5, 48, 60, 21);
    ImgEd3 = placed(new QLineEdit(Panel5), "ImgEd3", 5, 80, 60, 21);
    Panel5->hide();

    const QStringList kinds{QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2"),
                            QStringLiteral("3"), QStringLiteral("4"), QStringLiteral("5")};
    rg1 = placed(new RadioGroup(QStringLiteral("الشكل الأول"), kinds, p), "rg1", 168, 253, 73, 105);
    rg2 = placed(new RadioGroup(QStringLiteral("الشكل الثاني"), kinds, p), "rg2", 92, 253, 73, 105);
    rg3 = placed(new RadioGroup(QStringLiteral("الشكل الثالث"), kinds, p), "rg3", 16, 253, 73, 105);
    for (RadioGroup *g : {rg1, rg2, rg3}) {
        g->setItemIndex(0);
        g->hide();
    }
    // The video place sits over the editors' panel.
    VedioLocationRG->raise();
}

void OptionsPage::refuseTexts()
{
    // The texts end up in the settings files: refuse what they cannot hold,
    // and say so once the edit has finished its keystroke.
    for (QLineEdit *edit : {Ed1, Ed2, Ed3, ImgEd1, ImgEd2, ImgEd3}) {
        auto *validator = new Windows1256Validator(edit);
        edit->setValidator(validator);
        connect(validator, &Windows1256Validator::refused, this, [this](const QString &characters) {
            if (std::exchange(m_refusalPending, true))
                return;
            QTimer::singleShot(0, this, [this, characters] {
                m_refusalPending = false;
                emit textRefused(characters);
            });
        });
    }
}

LessonView OptionsPage::lessonView(const std::array<QImage, 3> &pictures) const
{
    LessonView view;
    view.name = CurLesson->text();
    view.labels.questionType = QuestionTypes::fromIndex(AskForRG->itemIndex());
    const std::array<ClickLabel *, 3> colours{{ColorLB1, ColorLB2, ColorLB3}};
    const std::array<QLineEdit *, 3> texts{{Ed1, Ed2, Ed3}};
    // The choices' picture slots are crossed: choice 2 shows slot 3.
    const std::array<QLineEdit *, 3> picturePaths{{ImgEd1, ImgEd3, ImgEd2}};
    const int pictureSlots[] = {1, 3, 2};
    for (int i = 0; i < 3; ++i) {
        view.labels.colors[i] = colours[i]->palette().color(QPalette::Window);
        view.labels.pictures[i] = pictures[i];
        // With no type chosen the choices are named as pictures: the
        // panels' slots are all that is left to tell them apart.
        switch (view.labels.questionType.value_or(QuestionType::Pictures)) {
        case QuestionType::Colours: view.labels.names[i] = colours[i]->text(); break;
        case QuestionType::Text: view.labels.names[i] = texts[i]->text(); break;
        case QuestionType::Pictures: {
            // The picture's file name says more than its slot number.
            const QString file = QFileInfo(picturePaths[i]->text().trimmed()).completeBaseName();
            view.labels.names[i] = file.isEmpty() ? QStringLiteral("الصورة %1").arg(pictureSlots[i]) : file;
            break;
        }
        }
    }
    return view;
}

void OptionsPage::editColour(Dialogs &dialogs, int slot)
{
    ClickLabel *const labels[] = {ColorLB1, ColorLB2, ColorLB3};
    ClickLabel *label = labels[slot - 1];
    QPalette palette = label->palette();
    const std::optional<QColor> colour = dialogs.chooseColor(palette.color(QPalette::Window));
    if (!colour || !colour->isValid())
        return;
    palette.setColor(QPalette::Window, *colour);
    label->setPalette(palette);
}

Result OptionsPage::pickPicture(Dialogs &dialogs, int slot, PictureControl *image,
                                const std::function<Result(const QString &, QString *)> &keep)
{
    QLineEdit *const edits[] = {ImgEd1, ImgEd2, ImgEd3};
    QLineEdit *edit = edits[slot - 1];
    const std::optional<QString> path = dialogs.choosePicture(edit->text());
    if (!path)
        return Result::success();
    // The path goes into the settings file, which could not hold it.
    if (!Windows1256::canHold(*path)) {
        dialogs.showMessage(Windows1256::refusalMessage());
        return Result::success();
    }
    if (keep) {
        QString stored;
        const Result kept = keep(*path, &stored);
        if (kept && Windows1256::canHold(stored)) {
            edit->setText(stored);
            return image->loadFile(stored);
        }
        if (!kept) {
            edit->setText(*path);
            const Result loaded = image->loadFile(*path);
            return loaded ? kept : loaded;
        }
    }
    edit->setText(*path);
    return image->loadFile(*path);
}
