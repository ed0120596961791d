#pragma once

// The real main window in a throw-away program folder, started, closed and
// started again as a teacher would, with every dialog scripted.

#include "ui/window/radiogroup.h"
#include "support/scripteddialogs.h"
#include "ui/window/tform1.h"
#include "core/quiz/random.h"
#include "core/settings/lessonlibrary.h"
#include "core/settings/windows1256.h"
#include "support/testsupport.h"

#include <QDirIterator>
#include <QPushButton>
#include <QMap>
#include <QRadioButton>
#include <QTest>
#include <QWindow>

#include <functional>
#include <memory>

using Kind = ScriptedDialogs::Kind;

inline QString automaticName()
{
    return LessonLibrary::automaticName();
}

inline QByteArray cp1256(const QString &text)
{
    bool ok = false;
    return Windows1256::encode(text, &ok);
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

/// Types the text key by key, as a keyboard with any layout would: one key
/// press and release per character (a character outside the 16-bit range
/// arrives as one key, as an input method gives it).
inline void typeText(QWidget *widget, const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, text.mid(i, length), Qt::NoModifier);
        i += length - 1;
    }
}

/// The window as the program runs it: shown once (the first-show sequence
/// loads the settings), closed through closeEvent (which saves them).
struct QuizWindow
{
    /// `prepare` may change the program folder before the first start.
    explicit QuizWindow(const std::function<void(QuizWindow &)> &prepare = {})
    {
        if (prepare)
            prepare(*this);
        start();
    }
    ~QuizWindow()
    {
        // A window left open is destroyed without its close: nothing saved.
        form.reset();
    }

    void start()
    {
        dialogs.clear();
        random.seedOnce(7);
        form = std::make_unique<TForm1>(
            QuizEnvironment{&dialogs, &random, folder.programFile(), userDataDir, canWrite});
        form->resize(1003, 612);
        form->show();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }

    /// Closes with the exit button; true when the window really closed.
    bool closeByButton()
    {
        openOptions();
        QTest::mouseClick(form->BitBtn1, Qt::LeftButton);
        return !form->isVisible();
    }

    /// Closes as the window system asks a window to close.
    bool closeByPlatform()
    {
        form->windowHandle()->close();
        return !form->isVisible();
    }

    void restart()
    {
        QVERIFY(closeByButton());
        form.reset();
        start();
    }

    void openOptions()
    {
        if (!form->optionsMode())
            QTest::keyRelease(form.get(), Qt::Key_F1, Qt::ControlModifier | Qt::AltModifier);
    }

    /// Clicks item `index` of a radio group as the teacher would.
    static void choose(RadioGroup *group, int index)
    {
        const QList<QRadioButton *> buttons = group->findChildren<QRadioButton *>();
        QVERIFY(index >= 0 && index < buttons.size());
        QTest::mouseClick(buttons.at(index), Qt::LeftButton);
        QCOMPARE(group->itemIndex(), index);
    }

    QString data(const QString &name = QString()) const { return folder.dataDir() + name; }
    QByteArray optionsBytes() const { return testsupport::readFile(data(QStringLiteral("options.txt"))); }
    QByteArray lessonBytes() const { return testsupport::readFile(data(QStringLiteral("CurLesson.txt"))); }
    QStringList messages() const { return dialogs.texts(Kind::Message); }

    testsupport::ProgramFolder folder;
    /// The user's own data folder and the writability probe the window is
    /// given; by default the program folder holds everything.
    QString userDataDir;
    DataLocation::WritableProbe canWrite;
    ScriptedDialogs dialogs;
    Random random;
    std::unique_ptr<TForm1> form;
};
