#pragma once

// The real main window in a throw-away program folder, started, closed and
// started again as a teacher would, with every dialog scripted; its controls
// are found by their object names, the names the window's handlers use.

#include "core/quiz/random.h"
#include "core/settings/lessonlibrary.h"
#include "core/settings/windows1256.h"
#include "support/scripteddialogs.h"
#include "support/testsupport.h"
#include "ui/window/radiogroup.h"
#include "ui/window/tform1.h"

#include <QDirIterator>
#include <QMap>
#include <QTest>

#include <functional>
#include <memory>

class ChoicePanel;

using Kind = ScriptedDialogs::Kind;

namespace testsupport {

/// Ends the program, naming the control that `control` could not give.
[[noreturn]] void controlNotFound(const QObject *root, const char *name, const char *className,
                                  const QList<QObject *> &found);

/// The object named `name` below `root`, of class T. A control that is
/// missing, named twice or of another class ends the test program with a
/// message naming it: the test cannot go on without it.
template <class T>
T *control(const QObject *root, const char *name)
{
    const QList<QObject *> found = root->findChildren<QObject *>(QLatin1String(name));
    T *typed = found.size() == 1 ? qobject_cast<T *>(found.first()) : nullptr;
    if (!typed)
        controlNotFound(root, name, T::staticMetaObject.className(), found);
    return typed;
}

} // namespace testsupport

inline QString automaticName()
{
    return LessonLibrary::automaticName();
}

inline QByteArray cp1256(const QString &text)
{
    bool ok = false;
    return Windows1256::encode(text, &ok);
}

/// The message for settings files that cannot be used, after which the
/// automatic lesson is taken.
inline QString fileErrorText()
{
    return QStringLiteral(u"خطأ في الملفات. سيتم اختيار الوضع التلقائي.\n\r"
                          u"اذا استمر الخطأ قم بإعادة تنصيب البرنامج");
}

/// The options file's lines without their CR LF.
inline QList<QByteArray> fileLines(const QByteArray &bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QByteArray &l : lines)
        if (l.endsWith('\r'))
            l.chop(1);
    return lines;
}

/// A whole options file (21 lines) with one line, counted from 1, replaced.
inline QByteArray optionsWithLine(const QByteArray &options, int line, const QByteArray &value)
{
    QList<QByteArray> lines = fileLines(options);
    while (lines.size() < 21)
        lines.append(QByteArray());
    lines[line - 1] = value;
    return lines.join("\r\n") + "\r\n";
}

/// Every file and folder below the folder, hidden ones included, with the
/// bytes of each file: two equal snapshots mean nothing there changed.
inline QMap<QString, QByteArray> treeSnapshot(const QString &folder)
{
    QMap<QString, QByteArray> entries;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo fi = it.fileInfo();
        const QString key = QDir(folder).relativeFilePath(path);
        if (fi.isSymLink())
            entries.insert(key, "<link>" + fi.symLinkTarget().toUtf8());
        else if (fi.isDir())
            entries.insert(key, "<dir>");
        else
            entries.insert(key, testsupport::readFile(path));
    }
    return entries;
}

/// Puts children into a results table before the window opens it.
void seedChildren(const QString &path, const QStringList &names);

/// Types the text key by key, as a keyboard with any layout would: one key
/// press and release per character (a character outside the 16-bit range
/// arrives as one key, as an input method gives it).
void typeText(QWidget *widget, const QString &text);

/// The window as the program runs it: shown once (the first-show sequence
/// loads the settings), closed through closeEvent (which saves them).
struct QuizWindow
{
    using Prepare = std::function<void(QuizWindow &)>;

    /// `prepare` may change the program folder and the settings of the start
    /// below before the first start; `seed` fixes the questions asked.
    explicit QuizWindow(const Prepare &prepare = {}, quint32 seed = 7);
    /// A window left open is destroyed without its close: nothing saved.
    ~QuizWindow();
    QuizWindow(const QuizWindow &) = delete;
    QuizWindow &operator=(const QuizWindow &) = delete;

    /// A new window on the program folder, shown and exposed.
    void start();
    /// Closes with the exit button; true when the window really closed.
    bool closeByButton();
    /// Closes as the window system asks a window to close.
    bool closeByPlatform();
    /// Closed with the exit button and started again.
    void restart();
    /// Opens the options pane with its key chord, unless it is open.
    void openOptions();

    /// The window's control of that object name and class.
    template <class T>
    T *control(const char *name) const
    {
        return testsupport::control<T>(form.get(), name);
    }
    /// Clicks item `index` of a radio group as the teacher would.
    static void choose(RadioGroup *group, int index);
    /// A left click in the middle of the widget.
    static void click(QWidget *widget);

    /// The choice asked for, 1 to 3 (0 while none is).
    int asked() const;
    /// The panel of choice 1 or 2; any other choice, the third.
    ChoicePanel *panel(int choice) const;
    void clickPanel(int choice, Qt::MouseButton button = Qt::LeftButton);
    /// Lets the waiting timer really fire, shortened so that no test sleeps.
    void waitForNextQuestion();

    QString data(const QString &name = QString()) const { return folder.data(name); }
    QByteArray optionsBytes() const { return testsupport::readFile(data(QStringLiteral("options.txt"))); }
    QByteArray lessonBytes() const { return testsupport::readFile(data(QStringLiteral("CurLesson.txt"))); }
    QStringList messages() const { return dialogs.texts(Kind::Message); }
    QStringList errors() const { return dialogs.texts(Kind::Error); }

    testsupport::ProgramFolder folder;
    /// The user's own data folder and the writability probe the window is
    /// given; by default the program folder holds everything.
    QString userDataDir;
    DataLocation::WritableProbe canWrite;
    /// Shown full screen as the program shows it, rather than at the
    /// window's built-in size (1003 x 612).
    bool maximized = false;
    /// Runs on every new window before it is shown.
    std::function<void(TForm1 &)> beforeShow;
    ScriptedDialogs dialogs;
    Random random;
    std::unique_ptr<TForm1> form;
};
