// The settings files' and lessons' part of the main window: LoadOptions and
// SaveOptions move the values between the controls and the files, and the
// lesson handlers hand their work to LessonLibrary.
#include "ui/window/tform1.h"

#include "core/base/quizerror.h"
#include "core/settings/lessonfoldermodel.h"
#include "core/settings/lessonlibrary.h"
#include "core/settings/windows1256.h"
#include "ui/lessons/lessonlist.h"
#include "ui/media/mediarows.h"
#include "ui/window/accesspage.h"
#include "ui/window/clicklabel.h"
#include "ui/window/optionspage.h"
#include "ui/window/playarea.h"
#include "ui/window/radiogroup.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QListView>
#include <QSignalBlocker>
#include <QSpinBox>

#include <utility>


void TForm1::bindSettingsControls()
{
    m_lessons = new LessonList(TabSheet1->Lesson);
    connect(m_lessons, &LessonList::selectionChanged, this, [this] { guarded([this] { LessonChange(); }); });
    // An edit still open when the window closes is dropped: the window may
    // be on its way to destruction, when the editor gives up its name.
    m_lessons->model()->setRenameHandler([this, list = TabSheet1->Lesson](const QString &from, const QString &to) {
        return !list->window()->isHidden() && renameLessonFolder(from, to);
    });
    bindLessonActions();
    connect(TabSheet1, &OptionsPage::textRefused, this, [this](const QString &characters) {
        m_dialogs->showMessage(Windows1256::refusalMessage() + QStringLiteral("\n\r") + characters);
    });
}

// ------------------------------------------------------------ the settings

void TForm1::LoadOptions()
{
    const QString message = m_settings.locate();
    if (!message.isEmpty())
        m_dialogs->showMessage(message);
    AppDir = m_settings.appDir();
    // The computer's own settings, read once a run: a lesson's load must
    // not undo what the teacher changed on the page.
    if (!std::exchange(m_accessLoaded, true)) {
        m_accessRead = AccessSettings::read(m_settings.dataDir());
        m_accessPage->setValues(m_accessRead);
    }
    raiseIfFailed(m_lessons->setRoot(m_settings.dataDir()));
    openResultsTable();
    placeChildOnce();
    const QString name = m_settings.storedLessonName();
    setCurLesson(name);

    // The name read stays this load's lesson even where the change above
    // fell back to the automatic lesson: then this load falls back as well.
    std::optional<OptionsRead> read = m_settings.readLesson(name);
    if (!read) {
        m_dialogs->showMessage(SettingsSession::fallbackText());
        setCurLesson(LessonLibrary::automaticName());
        read.emplace();
        raiseIfFailed(m_settings.readAutomatic(&*read));
    }
    applyOptions(*read);
    applyLessonChoices();
}

// Who sits at the computer is the teacher's choice, not part of a lesson: a
// lesson's file keeps the child of the day it was saved, and choosing the
// lesson must not hand the next answers to that child. So the child is
// placed once a run, from the Data folder's own file, which the last close
// wrote.
void TForm1::placeChildOnce()
{
    if (std::exchange(m_childPlaced, true))
        return;
    OptionsRead own;
    if (m_settings.readAutomatic(&own) && !own.keeps(OptionsLine::ChildNo))
        findChildByKey(QString::number(own.values.childNo)); // not found: the child stays
}

// Each line of the options file with its control: how a value read goes in
// and how the value to save comes out, side by side. The table has one entry
// for each line, in the file's order, or the window does not build.
struct TForm1::OptionControl
{
    using Failure = std::optional<QuizError>;
    OptionsLine line;
    /// Puts the value read into the control; null where the line has no
    /// control of its own. Not called for a line the read keeps.
    void (*apply)(TForm1 &w, const OptionsValues &r, Failure *failure);
    void (*collect)(const TForm1 &w, OptionsValues *v);
};

namespace {

// A radio group's change handling that fails does not cost the value read:
// it stays selected (and is saved back as read), and the error is raised
// once all lines and the refreshes are done, so the other settings still
// arrive.
void setIndex(RadioGroup *group, int value, std::optional<QuizError> *failure)
{
    try {
        group->setItemIndex(value);
    } catch (const QuizError &error) {
        if (!*failure)
            *failure = error;
    }
}

} // namespace

const std::array<TForm1::OptionControl, OptionsFile::LineCount> &TForm1::optionControls()
{
    using F = OptionControl::Failure;
    using L = OptionsLine;
    static constexpr std::array<OptionControl, OptionsFile::LineCount> controls = {{
        {L::AskedChoice, [](TForm1 &w, const OptionsValues &r, F *f) { setIndex(w.TabSheet1->AskForColorRG, r.askedChoice, f); },
         [](const TForm1 &w, OptionsValues *v) { v->askedChoice = w.TabSheet1->AskForColorRG->itemIndex(); }},
        {L::Medium, [](TForm1 &w, const OptionsValues &r, F *f) { setIndex(w.TabSheet1->AVRG, r.medium, f); },
         [](const TForm1 &w, OptionsValues *v) { v->medium = w.TabSheet1->AVRG->itemIndex(); }},
        {L::FontName, [](TForm1 &w, const OptionsValues &r, F *) { w.FontDialog1.font.setFamily(r.fontName); },
         [](const TForm1 &w, OptionsValues *v) { v->fontName = w.FontDialog1.font.family(); }},
        {L::FontSize,
         [](TForm1 &w, const OptionsValues &r, F *) {
             w.FontDialog1.font.setPointSize(SettingsSession::usableFontSize(r.fontSize));
         },
         [](const TForm1 &w, OptionsValues *v) { v->fontSize = SettingsSession::fontPoints(w.FontDialog1.font); }},
        {L::FontColor,
         [](TForm1 &w, const OptionsValues &r, F *) { w.FontDialog1.color = w.m_keptColors[0].keep(r.fontColor, w.palette()); },
         [](const TForm1 &w, OptionsValues *v) { v->fontColor = w.m_keptColors[0].valueFor(w.FontDialog1.color); }},
        {L::QuestionType, [](TForm1 &w, const OptionsValues &r, F *f) { setIndex(w.TabSheet1->AskForRG, r.questionType, f); },
         [](const TForm1 &w, OptionsValues *v) { v->questionType = w.TabSheet1->AskForRG->itemIndex(); }},
        {L::Text1, [](TForm1 &w, const OptionsValues &r, F *) { w.TabSheet1->Ed1->setText(r.text1); },
         [](const TForm1 &w, OptionsValues *v) { v->text1 = w.TabSheet1->Ed1->text(); }},
        {L::Text2, [](TForm1 &w, const OptionsValues &r, F *) { w.TabSheet1->Ed2->setText(r.text2); },
         [](const TForm1 &w, OptionsValues *v) { v->text2 = w.TabSheet1->Ed2->text(); }},
        {L::Text3, [](TForm1 &w, const OptionsValues &r, F *) { w.TabSheet1->Ed3->setText(r.text3); },
         [](const TForm1 &w, OptionsValues *v) { v->text3 = w.TabSheet1->Ed3->text(); }},
        {L::Color1,
         [](TForm1 &w, const OptionsValues &r, F *) {
             setLabelColor(w.TabSheet1->ColorLB1, w.m_keptColors[1].keep(r.color1, w.palette()));
         },
         [](const TForm1 &w, OptionsValues *v) { v->color1 = w.m_keptColors[1].valueFor(labelColor(w.TabSheet1->ColorLB1)); }},
        {L::Color2,
         [](TForm1 &w, const OptionsValues &r, F *) {
             setLabelColor(w.TabSheet1->ColorLB2, w.m_keptColors[2].keep(r.color2, w.palette()));
         },
         [](const TForm1 &w, OptionsValues *v) { v->color2 = w.m_keptColors[2].valueFor(labelColor(w.TabSheet1->ColorLB2)); }},
        {L::Color3,
         [](TForm1 &w, const OptionsValues &r, F *) {
             setLabelColor(w.TabSheet1->ColorLB3, w.m_keptColors[3].keep(r.color3, w.palette()));
         },
         [](const TForm1 &w, OptionsValues *v) { v->color3 = w.m_keptColors[3].valueFor(labelColor(w.TabSheet1->ColorLB3)); }},
        {L::VideoLocation, [](TForm1 &w, const OptionsValues &r, F *f) { setIndex(w.TabSheet1->VedioLocationRG, r.videoLocation, f); },
         [](const TForm1 &w, OptionsValues *v) { v->videoLocation = w.TabSheet1->VedioLocationRG->itemIndex(); }},
        // The panel takes its width and height together, with the width.
        {L::VideoWidth,
         [](TForm1 &w, const OptionsValues &r, F *) { w.Panel4->setVideoSize(QSize(r.videoWidth, r.videoHeight)); },
         [](const TForm1 &w, OptionsValues *v) { v->videoWidth = w.Panel4->videoSize().width(); }},
        {L::VideoHeight, nullptr, [](const TForm1 &w, OptionsValues *v) { v->videoHeight = w.Panel4->videoSize().height(); }},
        // A picture that cannot be loaded keeps the picture shown.
        {L::Picture1,
         [](TForm1 &w, const OptionsValues &r, F *) {
             w.TabSheet1->ImgEd1->setText(r.picture1);
             w.loadPictureSilently(1);
         },
         [](const TForm1 &w, OptionsValues *v) { v->picture1 = w.TabSheet1->ImgEd1->text(); }},
        {L::Picture2,
         [](TForm1 &w, const OptionsValues &r, F *) {
             w.TabSheet1->ImgEd2->setText(r.picture2);
             w.loadPictureSilently(2);
         },
         [](const TForm1 &w, OptionsValues *v) { v->picture2 = w.TabSheet1->ImgEd2->text(); }},
        {L::Picture3,
         [](TForm1 &w, const OptionsValues &r, F *) {
             w.TabSheet1->ImgEd3->setText(r.picture3);
             w.loadPictureSilently(3);
         },
         [](const TForm1 &w, OptionsValues *v) { v->picture3 = w.TabSheet1->ImgEd3->text(); }},
        {L::Stretch, [](TForm1 &w, const OptionsValues &r, F *) { w.TabSheet1->StretchChk->setChecked(r.stretch); },
         [](const TForm1 &w, OptionsValues *v) { v->stretch = w.TabSheet1->StretchChk->isChecked(); }},
        // The child is placed once a run (placeChildOnce), not by a lesson.
        {L::ChildNo, nullptr, [](const TForm1 &w, OptionsValues *v) { v->childNo = w.currentChildNo(); }},
        {L::WaitSeconds,
         [](TForm1 &w, const OptionsValues &r, F *) {
             w.setWaitSeconds(r.waitSeconds);
             w.WaitSEChange(); // the timer follows the value even where it did not change
         },
         [](const TForm1 &w, OptionsValues *v) { v->waitSeconds = w.TabSheet1->WaitSE->value(); }},
    }};
    static_assert(OptionsLines::inFileOrder(controls), "every options line has its control, in the file's order");
    return controls;
}

void TForm1::applyOptions(const OptionsRead &read)
{
    std::optional<QuizError> failure;
    m_settings.markApplied();
    for (const OptionControl &control : optionControls()) {
        if (control.apply && !read.keeps(control.line))
            control.apply(*this, read.values, &failure);
    }
    AskForRGClick();
    VedioLocationRGClick();
    StretchChkClick();
    if (failure)
        throw *failure;
}

void TForm1::SaveOptions()
{
    // Nothing is written where the data folder could not be used (the
    // teacher was told at start-up), nor before a load has found it.
    if (!m_settings.mayWrite())
        return;
    // A clip that cannot be saved (its recording is held for another try)
    // costs neither the other clips nor the settings: they are written all
    // the same, and every failure is told in the one error at the end.
    // The access file is written only once the teacher changed a value: a
    // data folder where nobody did keeps the files it had.
    const AccessSettings now = access();
    const Result accessSaved = m_accessLoaded && now != m_accessRead ? now.write(m_settings.dataDir()) : Result::success();
    if (accessSaved)
        m_accessRead = now;
    raiseIfFailed(m_media->saveAll()
                      .andThen(m_settings.save(TabSheet1->CurLesson->text(), collectOptions()))
                      .andThen(saveIntoOwnLesson())
                      .andThen(accessSaved));
}

OptionsValues TForm1::collectOptions() const
{
    OptionsValues v;
    for (const OptionControl &control : optionControls())
        control.collect(*this, &v);
    return v;
}

// ------------------------------------------------------------- the lessons

void TForm1::setCurLesson(const QString &name)
{
    if (TabSheet1->CurLesson->text() == name)
        return;
    // A lesson that keeps its own settings takes them with it when another
    // is chosen, as it does at the exit.
    if (m_lessonLoaded && selfContainedLessons())
        SaveOptions();
    {
        const QSignalBlocker block(TabSheet1->CurLesson);
        TabSheet1->CurLesson->setText(name);
    }
    CurLessonChange();
}

void TForm1::CurLessonChange()
{
    raiseIfFailed(m_settings.writeCurrentLesson(TabSheet1->CurLesson->text()));
    // The list's selection is the teacher's own: a lesson made current
    // otherwise is not marked there, so that the delete button never offers
    // a lesson nobody picked.
    LoadOptions();
}

void TForm1::LessonChange()
{
    if (const std::optional<QString> name = m_lessons->pickedLesson(*m_dialogs))
        setCurLesson(*name);
}

void TForm1::SpeedButton7Click()
{
    m_lessons->clearSelection();
    setCurLesson(LessonLibrary::automaticName());
}

void TForm1::ProButton1Click()
{
    const QString name = TabSheet1->CurLesson->text();
    if (name == LessonLibrary::automaticName()) {
        m_dialogs->showMessage(LessonLibrary::chooseLessonText());
        return;
    }
    try {
        SaveOptions();
    } catch (const QuizError &) {
        m_dialogs->showMessage(LessonLibrary::notCopiedText());
        return;
    }
    // A lesson with its own clips and settings has just been saved whole:
    // the Data folder's clips must not replace the ones recorded for it.
    if (selfContainedLessons()) {
        m_dialogs->showMessage(LessonLibrary::copiedText());
        return;
    }
    m_dialogs->showMessage(m_settings.lessons().saveIntoLesson(name).text);
}

void TForm1::ProButton2Click()
{
    SaveOptions();
    if (const std::optional<QString> name = m_lessons->createLesson(*m_dialogs, m_settings.lessons())) {
        carryOwnFiles(*name);
        setCurLesson(*name);
    }
}

void TForm1::SpeedButton6Click()
{
    // Cancel changes nothing: the lesson stays chosen and current.
    m_lessons->deleteSelected(*m_dialogs, m_settings.lessons());
}

bool TForm1::renameLessonFolder(const QString &oldName, const QString &newName)
{
    // Called from the list's editor: nothing may be thrown back into it.
    bool renamed = false;
    guarded([&] {
        const Result result = m_settings.lessons().renameLesson(oldName, newName);
        if (!result) {
            m_dialogs->showMessage(result.text);
            return;
        }
        renamed = true;
        // The same lesson under its new name: no settings to load again.
        if (TabSheet1->CurLesson->text() == oldName) {
            const QSignalBlocker block(TabSheet1->CurLesson);
            TabSheet1->CurLesson->setText(newName);
            raiseIfFailed(m_settings.writeCurrentLesson(newName));
        }
    });
    return renamed;
}
