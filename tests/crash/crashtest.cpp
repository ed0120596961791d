// Kills the real quiz with SIGKILL at random moments while it saves, and
// starts it again after every kill to see that nothing it had saved is lost
// or damaged.
//
//   tst_crash [--kills N] [--seed S] [--tolerate-hangs]
//       The driver: one program folder, N kills (default 200). Prints every
//       failure, then the kills and failures; exits 1 on any failure. A start
//       that has not finished after 15 s is killed and counted as hung: a
//       failure, unless --tolerate-hangs (then only counted).
//   tst_crash --child FOLDER SEED [--check-only]
//       The program in FOLDER (the window with scripted dialogs): it starts
//       as the quiz starts, checks what it finds, says READY and then works
//       (answers, settings saved, lessons created, saved into and switched,
//       the window closed and opened again) until it is killed.
//
// The child reports on its standard output, one line each, flushed at once:
//   CHECK problem         something found at start-up was damaged or lost
//   FOUND count wait lessons  what start-up found: the child's answers, the
//                         waiting time in Data/options.txt, the lessons
//   COUNT n               an answer is in the table: n answers in all
//   SAVING w / SAVED      a write of Data/options.txt with waiting time w
//                         began / is complete
//   LESSON name           a lesson was created and is complete
//   READY                 start-up and its checks are done
// The driver holds the child to what it had reported before the kill.
#include "ui/window/choicepanel.h"
#include "support/scripteddialogs.h"
#include "ui/window/tform1.h"
#include "core/media/clipfile.h"
#include "core/media/soundmixer.h"
#include "core/quiz/random.h"
#include "core/records/resultstable.h"
#include "core/settings/currentlessonfile.h"
#include "core/settings/lessonlibrary.h"
#include "core/settings/optionsfile.h"
#include "support/quizwindow.h"
#include "support/testsupport.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QProcess>
#include <QSet>
#include <QSpinBox>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTest>

#include <csignal>
#include <cstdio>
#include <memory>
#include <optional>

namespace {


void say(const QByteArray &line)
{
    std::fwrite(line.constData(), 1, size_t(line.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

const QStringList &lessonPool()
{
    static const QStringList names = {QStringLiteral("درس الألوان"), QStringLiteral("lesson 2"),
                                      QStringLiteral("الكلمات")};
    return names;
}

// ------------------------------------------------------------------ child

/// The program as main() runs it, in a given program folder.
class Program
{
public:
    /// The seed drives the questions and the work alike.
    Program(const QString &folder, quint32 seed) : m_folder(folder) { m_random.seedOnce(seed); }

    void start()
    {
        m_dialogs.clear();
        m_form = std::make_unique<TForm1>(
            QuizEnvironment{&m_dialogs, &m_random, &SoundMixer::shared(), m_folder + QStringLiteral("/quiz")});
        m_form->maximize();
        m_form->show();
        if (!QTest::qWaitForWindowExposed(m_form.get()))
            say("CHECK the window was not shown");
    }

    /// Closes as the exit button does: the settings are saved first.
    void close()
    {
        m_form->close();
        m_form.reset();
    }

    TForm1 &form() { return *m_form; }
    template <class T>
    T *control(const char *name) const
    {
        return testsupport::control<T>(m_form.get(), name);
    }
    ScriptedDialogs &dialogs() { return m_dialogs; }
    Random &random() { return m_random; }
    QString data(const QString &name = QString()) const { return m_folder + QStringLiteral("/Data/") + name; }

    int answers() const
    {
        const ResultsTable *table = control<ResultsTable>("Table1");
        return table->integer(ResultsTable::Field::Ok) + table->integer(ResultsTable::Field::NotOk);
    }

private:
    QString m_folder;
    ScriptedDialogs m_dialogs;
    Random m_random;
    std::unique_ptr<TForm1> m_form;
};

/// An options file that loads with every line as written, or a problem.
std::optional<QString> optionsProblem(const QString &path, OptionsRead *read)
{
    const Result loaded = OptionsFile::load(path, read);
    if (!loaded)
        return QStringLiteral("%1 does not load: %2").arg(path, loaded.text);
    for (int line = 1; line <= OptionsFile::LineCount; ++line)
        if (read->fellBack[line - 1])
            return QStringLiteral("%1: line %2 fell back").arg(path).arg(line);
    return std::nullopt;
}

/// Everything start-up found wrong.
QStringList startupProblems(Program &p)
{
    QStringList problems;
    ScriptedDialogs &d = p.dialogs();
    for (const ScriptedDialogs::Call &call : d.calls())
        if (call.kind == Kind::Error || call.kind == Kind::Message)
            problems << QStringLiteral("start-up showed: ") + call.text;
    if (!p.control<ResultsTable>("Table1")->isOpen())
        problems << QStringLiteral("the children's table did not open");

    const std::optional<QString> current = CurrentLessonFile::read(p.data());
    if (!current)
        problems << QStringLiteral("CurLesson.txt does not load");
    else if (const QString shown = p.control<QLineEdit>("CurLesson")->text(); *current != shown)
        problems << QStringLiteral("CurLesson.txt names %1, the window shows %2").arg(*current, shown);

    OptionsRead read;
    if (const auto problem = optionsProblem(p.data(OptionsFile::fileName()), &read))
        problems << *problem;

    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("crashcheck"));
        db.setDatabaseName(p.data(QStringLiteral("../results.db")));
        if (!db.open()) {
            problems << QStringLiteral("results.db does not open");
        } else {
            QSqlQuery q(db);
            if (!q.exec(QStringLiteral("PRAGMA integrity_check")) || !q.next()
                || q.value(0).toString() != QLatin1String("ok"))
                problems << QStringLiteral("results.db fails its integrity check");
            // Each count and its history row are written together, so
            // (without resets, which this run never does) they agree.
            if (!q.exec(QStringLiteral("SELECT (SELECT ifnull(SUM(ifnull(Ok, 0) + ifnull(NotOk, 0)), 0) FROM Table1), "
                                       "(SELECT COUNT(*) FROM Answers WHERE Event = 0)"))
                || !q.next())
                problems << QStringLiteral("results.db has no answers history");
            else if (q.value(0).toLongLong() != q.value(1).toLongLong())
                problems << QStringLiteral("results.db counts %1 answers but keeps %2 in the history")
                                .arg(q.value(0).toLongLong())
                                .arg(q.value(1).toLongLong());
        }
    }
    QSqlDatabase::removeDatabase(QStringLiteral("crashcheck"));

    // Every lesson: its options file whole and its clips playable. (The
    // window itself loads the current one at start.)
    const LessonLibrary library(p.data());
    for (const QString &name : library.lessonNames()) {
        OptionsRead lessonRead;
        if (const auto problem = optionsProblem(*library.optionsPathFor(name), &lessonRead))
            problems << *problem;
        const QStringList clips{QStringLiteral("*.wav"), QStringLiteral("*.avi")};
        for (const QFileInfo &fi : QDir(p.data(name)).entryInfoList(clips, QDir::Files)) {
            const ClipFile::Check check = ClipFile::check(fi.absoluteFilePath());
            if (!check.ok())
                problems << QStringLiteral("%1: %2").arg(fi.absoluteFilePath(), check.error);
        }
    }

    const QStringList lessons = library.lessonNames();
    say("FOUND " + QByteArray::number(p.answers()) + ' ' + QByteArray::number(read.values.waitSeconds) + ' '
        + lessons.join(QLatin1Char('/')).toUtf8());
    return problems;
}

/// One step of a teacher's and a child's day, every one of which writes.
void work(Program &p)
{
    TForm1 &f = p.form();
    Random &r = p.random();
    const auto saving = [&] {
        f.setWaitSeconds(r.uniform(1, 60));
        say("SAVING " + QByteArray::number(p.control<QSpinBox>("WaitSE")->value()));
    };
    switch (r.uniform(0, 9)) {
    case 0: case 1: case 2: case 3: {
        // A child's answer, counted in the table.
        const char *const panels[] = {"SPanel1", "SPanel2", "SPanel3"};
        ChoicePanel *panel = p.control<ChoicePanel>(panels[r.uniform(0, 2)]);
        QTest::mouseClick(panel, Qt::LeftButton, {}, panel->rect().center());
        say("COUNT " + QByteArray::number(p.answers()));
        f.playwaitTimerTimer();
        break;
    }
    case 4: // the settings saved, as closing saves them
        saving();
        f.guarded([&] { f.SaveOptions(); });
        say("SAVED");
        break;
    case 5: { // a new lesson (or one made again over its old self)
        const QString name = lessonPool().at(r.uniform(0, int(lessonPool().size()) - 1));
        p.control<QLineEdit>("Ed1")->setText(QStringLiteral("نص %1").arg(r.uniform(0, 999)));
        saving();
        p.dialogs().textAnswers.enqueue(name);
        f.guarded([&] { f.ProButton2Click(); });
        say("SAVED");
        if (QFileInfo(p.data(name)).isDir() && p.control<QLineEdit>("CurLesson")->text() == name)
            say("LESSON " + name.toUtf8());
        break;
    }
    case 6: // saved into the current lesson; the automatic one only says so
        if (p.control<QLineEdit>("CurLesson")->text() == LessonLibrary::automaticName()) {
            f.guarded([&] { f.ProButton1Click(); });
            break;
        }
        saving();
        f.guarded([&] { f.ProButton1Click(); });
        say("SAVED");
        break;
    case 7: { // another lesson chosen
        const QStringList names = LessonLibrary(p.data()).lessonNames();
        if (names.isEmpty() || r.uniform(0, 3) == 0)
            f.guarded([&] { f.SpeedButton7Click(); });
        else
            f.guarded([&] { f.setCurLesson(names.at(r.uniform(0, int(names.size()) - 1))); });
        break;
    }
    case 8: // closed with the exit button and started again
        saving();
        p.close();
        say("SAVED");
        p.start();
        break;
    default:
        QCoreApplication::processEvents();
        break;
    }
}

int child(const QString &folder, quint32 seed, bool checkOnly)
{
    Program p(folder, seed);
    p.start();
    const QStringList problems = startupProblems(p);
    for (const QString &problem : problems)
        say("CHECK " + problem.toUtf8());
    say("READY");
    if (checkOnly)
        return problems.isEmpty() ? 0 : 1;

    // The child to count answers for.
    if (p.form().currentChildNo() == 0) {
        p.dialogs().textAnswers.enqueue(QStringLiteral("طفل"));
        p.form().guarded([&] { p.form().BitBtn7Click(); });
    }
    for (;;)
        ::work(p);
}

// ----------------------------------------------------------------- driver

/// What the children have said, across kills: what the next start must find.
struct Expectations
{
    int answers = 0;            ///< the answers known to be in the table
    std::optional<int> wait;    ///< the last waiting time known written
    std::optional<int> writing; ///< a waiting time being written when killed
    QSet<QString> lessons;      ///< the lessons known complete

    /// Takes one line of a child; a start-up finding that breaks what is
    /// expected is returned as a problem.
    std::optional<QString> take(const QByteArray &line)
    {
        const int space = line.indexOf(' ');
        const QByteArray word = space < 0 ? line : line.left(space);
        const QByteArray rest = space < 0 ? QByteArray() : line.mid(space + 1);
        if (word == "CHECK")
            return QString::fromUtf8(rest);
        if (word == "COUNT")
            answers = qMax(answers, rest.toInt());
        else if (word == "SAVING")
            writing = rest.toInt();
        else if (word == "SAVED") {
            if (writing)
                wait = writing;
            writing.reset();
        } else if (word == "LESSON")
            lessons.insert(QString::fromUtf8(rest));
        else if (word == "FOUND")
            return found(rest);
        return std::nullopt;
    }

private:
    std::optional<QString> found(const QByteArray &rest)
    {
        const QList<QByteArray> parts = rest.split(' ');
        const int count = parts.value(0).toInt();
        const int foundWait = parts.value(1).toInt();
        const QByteArray lessonBytes = rest.mid(parts.value(0).size() + parts.value(1).size() + 2);
        const QStringList found = QString::fromUtf8(lessonBytes).split(QLatin1Char('/'), Qt::SkipEmptyParts);
        QStringList problems;
        if (count < answers)
            problems << QStringLiteral("%1 answers counted, %2 found").arg(answers).arg(count);
        if (wait && foundWait != *wait && (!writing || foundWait != *writing))
            problems << QStringLiteral("waiting time %1 saved, %2 found").arg(*wait).arg(foundWait);
        for (const QString &name : lessons)
            if (!found.contains(name))
                problems << QStringLiteral("lesson %1 lost").arg(name);
        // What was found is what holds from now on.
        answers = count;
        wait = foundWait;
        writing.reset();
        lessons = QSet<QString>(found.begin(), found.end());
        return problems.isEmpty() ? std::nullopt : std::optional<QString>(problems.join(QStringLiteral("; ")));
    }
};

/// Reads the child's lines until the deadline or READY; false on READY
/// not seen.
bool readLines(QProcess &child, QByteArray &pending, const QDeadlineTimer &deadline, bool untilReady,
               const std::function<void(const QByteArray &)> &onLine)
{
    for (;;) {
        pending += child.readAllStandardOutput();
        qsizetype end;
        while ((end = pending.indexOf('\n')) >= 0) {
            const QByteArray line = pending.left(end);
            pending.remove(0, end + 1);
            onLine(line);
            if (untilReady && line == "READY")
                return true;
        }
        if (deadline.hasExpired() || child.state() == QProcess::NotRunning)
            return false;
        child.waitForReadyRead(int(qBound(qint64(1), deadline.remainingTime(), qint64(50))));
    }
}

int driver(int kills, quint32 seed, bool tolerateHangs)
{
    int hangs = 0;
    testsupport::ProgramFolder folder;
    Random random;
    random.seedOnce(seed);
    Expectations expect;
    int failures = 0;
    const QString self = QCoreApplication::applicationFilePath();
    QList<QByteArray> lastWords;

    const auto run = [&](int round, bool checkOnly) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QStringList args{QStringLiteral("--child"), folder.path(), QString::number(random.uniform(1, 1 << 30))};
        if (checkOnly)
            args << QStringLiteral("--check-only");
        child.start(self, args);
        if (!child.waitForStarted(10000)) {
            std::printf("round %d: the program did not start\n", round);
            ++failures;
            return;
        }
        QByteArray pending;
        QStringList problems;
        QList<QByteArray> transcript;
        const auto onLine = [&](const QByteArray &line) {
            transcript << line;
            if (const auto problem = expect.take(line))
                problems << *problem;
        };
        // One kill in ten falls anywhere in start-up; the others at a
        // random moment of the work after it.
        const bool early = !checkOnly && random.uniform(0, 9) == 0;
        if (early) {
            readLines(child, pending, QDeadlineTimer(random.uniform(20, 600)), false, onLine);
        } else {
            const bool ready = readLines(child, pending, QDeadlineTimer(15000), true, onLine);
            if (!ready && child.state() == QProcess::NotRunning) {
                problems << QStringLiteral("the program ended during start-up");
            } else if (!ready) {
                ++hangs;
                std::printf("round %d: start-up hung for 15 s\n", round);
                if (!tolerateHangs)
                    problems << QStringLiteral("start-up hung");
            }
            if (ready && !checkOnly)
                readLines(child, pending, QDeadlineTimer(random.uniform(0, 400)), false, onLine);
        }
        if (checkOnly) {
            child.waitForFinished(60000);
        } else if (child.state() != QProcess::NotRunning) {
            ::kill(pid_t(child.processId()), SIGKILL);
            child.waitForFinished(10000);
        } else {
            problems << QStringLiteral("the program ended before it was killed");
        }
        readLines(child, pending, QDeadlineTimer(0), false, onLine);
        if (!problems.isEmpty()) {
            ++failures;
            for (const QString &problem : problems)
                std::printf("round %d: %s\n", round, qPrintable(problem));
            // What the program killed before had said last.
            for (const QByteArray &line : lastWords)
                std::printf("    before: %s\n", line.constData());
            std::fflush(stdout);
        }
        lastWords = transcript.mid(qMax<qsizetype>(0, transcript.size() - 6));
    };

    QElapsedTimer clock;
    clock.start();
    for (int round = 1; round <= kills; ++round)
        run(round, false);
    run(kills + 1, true); // the start after the last kill
    std::printf("kills: %d, failures: %d, hung starts: %d%s (%.1f s)\n", kills, failures, hangs,
                tolerateHangs ? " (not counted as failures)" : "", clock.elapsed() / 1000.0);
    return failures == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.value(0) == QLatin1String("--child") && args.size() >= 3)
        return child(args.at(1), args.at(2).toUInt(), args.contains(QStringLiteral("--check-only")));

    int kills = 200;
    const bool tolerateHangs = args.contains(QStringLiteral("--tolerate-hangs"));
    quint32 seed = quint32(Random::clockSeed());
    for (qsizetype i = 0; i + 1 < args.size(); ++i) {
        if (args.at(i) == QLatin1String("--kills"))
            kills = args.at(i + 1).toInt();
        else if (args.at(i) == QLatin1String("--seed"))
            seed = args.at(i + 1).toUInt();
    }
    std::printf("seed %u\n", seed);
    return driver(kills, seed, tolerateHangs);
}
