// Figures for the settings on the real window: SaveOptions (no clip was
// recorded, so no clip is written) and LoadOptions in a program folder, and
// the lesson list's first showing with 1,000 lesson folders. Prints medians;
// not a test.
#include "core/settings/lessonfoldermodel.h"
#include "ui/lessons/lessonlist.h"
#include "support/quizwindow.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListView>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Median and worst time of one call, in microseconds.
std::pair<double, double> timeMicros(int runs, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        times.push_back(t.nsecsElapsed() / 1000.0);
    }
    return {median(times), *std::max_element(times.begin(), times.end())};
}

bool makeLessons(const QString &data, int count)
{
    for (int i = 1; i <= count; ++i) {
        const QString folder = data + QStringLiteral("درس %1").arg(i);
        if (!QDir().mkpath(folder)
            || !QFile::copy(data + QStringLiteral("options.txt"), folder + QStringLiteral("/options.txt")))
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    {
        QuizWindow quiz;
        if (!QTest::qWaitForWindowExposed(quiz.form.get()) || !quiz.errors().isEmpty()) {
            std::fprintf(stderr, "the window did not start cleanly\n");
            return 1;
        }
        quiz.control<QLineEdit>("Ed1")->setText(QStringLiteral("أحمر"));
        const auto save = timeMicros(200, [&] { quiz.form->SaveOptions(); });
        std::printf("SaveOptions (no recorded clip, both files synced): median %.0f us, worst %.0f us (target 5000 us)\n",
                    save.first, save.second);
        const auto load = timeMicros(200, [&] { quiz.form->LoadOptions(); });
        std::printf("LoadOptions (same lesson, 5 clips reopened):       median %.0f us, worst %.0f us (target 5000 us)\n",
                    load.first, load.second);
        if (!quiz.errors().isEmpty()) {
            std::fprintf(stderr, "an operation failed while measuring\n");
            return 1;
        }
    }

    {
        testsupport::ProgramFolder folder;
        if (!makeLessons(folder.dataDir(), 1000)) {
            std::fprintf(stderr, "cannot make the lesson folders\n");
            return 1;
        }
        std::vector<double> first;
        std::vector<double> reread;
        for (int run = 0; run < 7; ++run) {
            QListView view;
            view.resize(169, 129);
            QElapsedTimer t;
            t.start();
            LessonList list(&view);
            if (!list.setRoot(folder.dataDir()).ok)
                return 1;
            view.show();
            if (!QTest::qWaitForWindowExposed(&view))
                return 1;
            view.grab(); // painted once
            first.push_back(t.nsecsElapsed() / 1e6);
            if (list.model()->rowCount() != 1000) {
                std::fprintf(stderr, "the list shows %d lessons\n", list.model()->rowCount());
                return 1;
            }
            // One lesson more on disk: the list reads the folder again.
            QDir().mkpath(folder.dataDir() + QStringLiteral("جديد"));
            t.restart();
            list.refresh();
            reread.push_back(t.nsecsElapsed() / 1e6);
            QDir(folder.dataDir()).rmdir(QStringLiteral("جديد"));
        }
        std::printf("lesson list, first showing with 1,000 lessons:     median %.1f ms, worst %.1f ms (target 200 ms)\n",
                    median(first), *std::max_element(first.begin(), first.end()));
        std::printf("lesson list, read again after one new folder:      median %.1f ms\n", median(reread));
    }
    return 0;
}
