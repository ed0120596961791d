#pragma once

#include "core/quiz/questioncycle.h"
#include "core/records/resultstable.h"
#include "core/settings/accesssettings.h"
#include "core/settings/colorvalue.h"
#include "core/settings/settingssession.h"
#include "ui/dialogs/dialogs.h"
#include "ui/media/clipplayerbar.h"
#include "ui/window/optionschord.h"

#include <QWidget>

#include <array>
#include <functional>
#include <memory>

class AccessPage;
class ChildrenPage;
class ClipPlayer;
class DockLayout;
class LessonActions;
class LessonList;
class MediaRows;
class OptionsPage;
class PlayArea;
class QuestionView;
class QTabWidget;
class QTimer;
class Random;
class SoundMixer;
class THelpForm;
struct OptionsRead;
struct OptionsValues;
struct LessonView;

/// What the window needs from its surroundings: the dialogs, the random
/// generator, the sound mixer its clips play through (which outlives the
/// window) and where the program and its data live.
struct QuizEnvironment
{
    Dialogs *dialogs = nullptr;
    Random *random = nullptr;
    SoundMixer *mixer = nullptr;
    SettingsSession::Environment files;
};

/// The quiz's main window: the play area with the three choice panels, the
/// video panel and the status strip, and the options pane. Handlers are
/// named after their control and event (SPanel1Click, WaitSEChange), so a
/// control and what it does read alike; handlers are thin and hand the
/// work to the subsystem that owns it. The implementation is split by
/// subsystem: tform1.cpp (the window, its controls and the question cycle),
/// tform1_access.cpp (keys, switches, scanning), tform1_editors.cpp,
/// tform1_media.cpp, tform1_records.cpp and tform1_settings.cpp.
class TForm1 : public QWidget
{
    Q_OBJECT
public:
    explicit TForm1(const QuizEnvironment &environment, QWidget *parent = nullptr);
    ~TForm1() override;

    void setHelpForm(THelpForm *helpForm) { HelpForm = helpForm; }
    const QuestionCycle &cycle() const { return *m_cycle; }
    bool optionsMode() const;
    /// The program folder with its trailing "/", as the last settings load derived it.
    QString AppDir;
    /// Where Data and results.db are: beside the program or in the user's
    /// own folder, settled by the first settings load.
    const DataLocation &dataLocation() const { return m_settings.location(); }
    /// The folder holding Data and results.db, with its trailing "/".
    QString dataRoot() const { return m_settings.dataRoot(); }
    /// The clip extension, "wav" or "avi".
    QString MediaExt() const;
    /// The clip players, in the order MP1, MP2, MP3, MPTrue, MPFalse.
    ClipPlayer &player(int clip) const;

    // Start-up and shutdown.
    void FormShow();
    void FormClose(bool *accepted);
    /// The session ends (shutdown, logout): open dialogs are dismissed as
    /// their cancel or OK button would, and the window closes as the exit
    /// button closes it once the start-up sequence and any dialog are done.
    void requestClose();
    /// Fills the screen: the window is shown maximised and without a frame.
    void maximize();
    static QString startupNotice();

    // Layout and display modes.
    void FormKeyUp(int key, Qt::KeyboardModifiers shift);
    void Button1Click();
    void FormResize();
    void Splitter1Moved();
    void AVRGClick();
    void AskForRGClick();
    void VedioLocationRGClick();
    void RefreshChoiceTexts();
    void applyHeightRule();

    // Question cycle.
    void NewAct();
    void AnswerChoice(quint8 choice);
    void SPanel1Click();
    void SPanel2Click();
    void SPanel3Click();
    void Shape1MouseUp();
    void Shape2MouseUp();
    void Shape3MouseUp();
    void playwaitTimerTimer();
    void SpeedButton8Click();
    void WaitSEChange();

    // Play without a mouse or without sound (tform1_access.cpp: keys,
    // switches, scanning, the tick or cross, the question heard first).
    /// The accessibility settings as the options pane shows them now.
    AccessSettings access() const;
    /// A click or tap on a choice panel (1..3) in play or options mode:
    /// while scanning any click answers the framed panel, and with the
    /// wait for the question an early one answers nothing.
    void answerFromPlay(quint8 choice);
    /// The choice (1..3) of the framed panel; 0 when no panel is framed.
    int framedChoice() const;
    /// Whether the current question's clip has played to its end (or
    /// there is no sound output to play it on).
    bool questionHeard() const { return m_questionHeard; }
    void scanTimerTimer();

    // Option editors (tform1_editors.cpp).
    void rg1Click();
    void rg2Click();
    void rg3Click();
    void ColorLB1Click();
    void ColorLB2Click();
    void ColorLB3Click();
    void Button2Click();
    void BitBtn3Click();
    void BitBtn4Click();
    void BitBtn5Click();
    void StretchChkClick();
    void BitBtn2Click();
    void loadHelpPage();
    /// Loads the picture named by the path edit of slot 1, 2 or 3 (ImgEd1 ..
    /// ImgEd3) into its image (Image1 .. Image3) without a word: on failure
    /// the image keeps its picture. For the settings load; false on failure.
    bool loadPictureSilently(int slot);

    // Media clips (tform1_media.cpp).
    void SetupMediaFiles();
    void SpeedButton1Click();
    void SpeedButton2Click();
    void SpeedButton3Click();
    void SpeedButton4Click();
    void SpeedButton5Click();
    /// Empties clip 0..4 (MP1 .. MPFalse) with the blank clip.
    void ResetClip(int clip);
    /// A press of a player's button: the handler first, then the button's
    /// own action.
    void MP1Click(ClipPlayerBar::Button button);
    void MP2Click(ClipPlayerBar::Button button);
    void MP3Click(ClipPlayerBar::Button button);
    void MPTrueClick(ClipPlayerBar::Button button);
    void MPFalseClick(ClipPlayerBar::Button button);

    // Children's table (tform1_records.cpp).
    /// Opens the children's table: results.db, or the server chosen in the data folder.
    void openResultsTable();
    /// Counts the answer on the current child; the details go into its history.
    void RecordResult(Judgement judgement, const AnswerDetails &details = AnswerDetails());
    /// The same, judged "Y" (right) or anything else (wrong).
    void RecordResult(const QString &result, const AnswerDetails &details = AnswerDetails());
    void BitBtn6Click();
    void BitBtn7Click();
    void BitBtn8Click();
    /// No of the current child, 0 when the table is empty or not open.
    int currentChildNo() const;
    /// Makes the child with this No (given as text) current; false, with the
    /// cursor left where it was, when there is no such child.
    bool findChildByKey(const QString &key);

    // Settings and lessons (tform1_settings.cpp).
    void LoadOptions();
    void SaveOptions();
    void CurLessonChange();
    void LessonChange();
    void SpeedButton7Click();
    void ProButton1Click();
    void ProButton2Click();
    void SpeedButton6Click();
    // Lessons that travel (tform1_lessons.cpp): export and import as one
    // .zip file, pictures kept in the lesson, lessons with their own clips.
    /// Writes the lesson picked in the list (the current one when none is)
    /// as one file, asking where.
    void ExportLessonClick();
    /// Makes a new lesson of a lesson file: the one given, or one asked for.
    void ImportLessonClick(const QString &zipPath = QString());
    void SelfContainedClick();
    void FitChkClick();
    /// A lesson file the program was started with (from the file manager):
    /// once the window is up, the teacher is asked whether to import it.
    void offerLessonFile(const QString &path);
    /// Whether named lessons play their own clips and keep their settings.
    bool selfContainedLessons() const;
    LessonActions *lessonActions() const { return m_lessonActions; }
    /// Sets the current lesson as a user's change would: only a different
    /// name is a change, and then CurLessonChange runs at once, its errors
    /// reaching the caller.
    void setCurLesson(const QString &name);

    /// Runs an operation started by the user; a QuizError ends it and is
    /// shown through the general error report.
    void guarded(const std::function<void()> &operation);
    /// The general error report.
    void reportError(const QString &text);

    /// The font choice of the texts (the font dialog's): name, size,
    /// style, colour.
    FontChoice FontDialog1;
    THelpForm *HelpForm = nullptr;
    /// The lesson list's folders and operations.
    LessonList *lessonList() const { return m_lessons; }

    static QColor labelColor(const QWidget *label);
    static void setLabelColor(QWidget *label, const QColor &color);
    /// Sets the waiting time as a user's change would, running WaitSEChange
    /// only when the value differs.
    void setWaitSeconds(int seconds);

signals:
    /// The window was closed and its settings saved: the program ends.
    void finished();

protected:
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    bool focusNextPrevChild(bool next) override;
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void closeFromButton();
    /// A key of play mode: true when it was one (and is used up).
    bool playKey(const QKeyEvent *event);
    void stepFrame(int step);
    void answerFramed();
    void questionPlaced();
    void answerShown(quint8 clicked, Judgement judgement);
    void startScanning();
    void applyAccess();
    void buildControls();
    void buildMediaControls();
    void playerButtonClicked(int player, ClipPlayerBar::Button button);
    void bindChildrenPage();
    LessonView currentLessonView() const;
    void bindSettingsControls();
    OptionsValues collectOptions() const;
    void applyOptions(const OptionsRead &read);
    struct OptionControl;
    static const std::array<OptionControl, OptionsFile::LineCount> &optionControls();
    void placeChildOnce();
    bool renameLessonFolder(const QString &oldName, const QString &newName);
    void showCurrentChild();
    void connectHandlers();
    void layoutNow();
    void setOptionsVisible(bool visible);

    // The control tree, by the names the handlers use: the pages build
    // their own controls (playarea.h, optionspage.h, childrenpage.h) and
    // the handlers reach them there.
    PlayArea *Panel4;
    QTabWidget *OptionsPC;
    OptionsPage *TabSheet1;
    ResultsTable *m_table;
    ChildrenPage *m_childrenPage;
    QTimer *playwaitTimer;
    AccessPage *m_accessPage;
    /// Moves the frame by itself while scanning.
    QTimer *m_scanTimer;
    /// The five clips, their players and rows.
    MediaRows *m_media = nullptr;
    LessonList *m_lessons = nullptr;
    LessonActions *m_lessonActions = nullptr;
    /// The folder of the current lesson (the Data folder for the automatic one).
    QString currentLessonDir() const;
    void bindLessonActions();
    void applyLessonChoices();
    /// Where lessons keep their own settings: the current named lesson's
    /// options file takes them too.
    Result saveIntoOwnLesson() const;
    /// Copies a picked picture into the current lesson's pictures folder.
    Result keepPicture(const QString &source, QString *stored) const;
    /// Set once a load has put a file's settings into the controls.
    bool m_lessonLoaded = false;
    QString m_offeredLessonFile;
    /// A new lesson made while a named lesson with its own clips is current
    /// takes that lesson's clips and look, not the Data folder's.
    void carryOwnFiles(const QString &newLesson);
    void askToImportOffered();

    Dialogs *m_dialogs;
    Random *m_random;
    SoundMixer *m_mixer;
    SettingsSession m_settings;
    DockLayout *m_rootLayout = nullptr;
    std::unique_ptr<QuestionView> m_view;
    std::unique_ptr<QuestionCycle> m_cycle;
    bool m_shown = false;
    bool m_inFirstShow = false;
    /// The current child was taken from the Data folder's options file.
    bool m_childPlaced = false;
    OptionsChord m_chord;
    /// The access settings were read from the data folder (once a run).
    bool m_accessLoaded = false;
    /// The access settings as the file holds them (read or last written).
    AccessSettings m_accessRead;
    /// The exit button or the session's end asked to close: the child
    /// lock does not hold it back.
    bool m_closeAllowed = false;
    bool m_questionHeard = true;
    /// The colour values last loaded for the font and the three choice
    /// colours, so that a system colour is saved back unchanged.
    std::array<KeptColor, 4> m_keptColors;
};
