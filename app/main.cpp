// The launcher: sets the application up, puts the start-up notice on the
// screen and only then loads the window (window.cpp, the file quiz-window.so
// beside this program) with the libraries it needs: multimedia, charts, the
// database. Loading those takes as long again as starting a bare Qt window,
// and the notice is what the teacher waits for; the window is built behind
// it.
#include "app/heap.h"
#include "core/base/errorreport.h"
#include "ui/dialogs/okbox.h"

#include <QApplication>
#include <QFile>
#include <QLibraryInfo>
#include <QTranslator>

#include <dlfcn.h>

#include <cstdio>

int main(int argc, char **argv)
{
    configureHeap();
    QApplication app(argc, argv);
    // Names the user's own data folder: ~/.local/share/kidsquiz/quiz.
    QCoreApplication::setOrganizationName(QStringLiteral("kidsquiz"));
    QCoreApplication::setApplicationName(QStringLiteral("quiz"));
    app.setLayoutDirection(Qt::RightToLeft);
    // The help window closes with the main window, whatever is still shown.
    app.setQuitOnLastWindowClosed(false);
    // Arabic buttons in the standard dialogs (Yes, Cancel, Open...).
    QTranslator translator;
    if (translator.load(QLocale(QLocale::Arabic), QStringLiteral("qtbase"), QStringLiteral("_"),
                        QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&translator);

    std::unique_ptr<QMessageBox> notice = OkBox::showStartupNotice();

    const QString window = QCoreApplication::applicationDirPath() + QStringLiteral("/quiz-window.so");
    using Run = int (*)(QMessageBox *);
    void *library = dlopen(QFile::encodeName(window).constData(), RTLD_NOW | RTLD_LOCAL);
    const auto run = library ? reinterpret_cast<Run>(dlsym(library, "quizRunWindow")) : nullptr;
    if (!run) {
        const QString reason = QString::fromLocal8Bit(dlerror());
        std::fprintf(stderr, "quiz: %s\n", qPrintable(reason));
        notice.reset();
        OkBox::make(QMessageBox::Critical,
                    QStringLiteral("تعذر تشغيل البرنامج: الملف \"%1\" ناقص أو تالف، أعد تثبيت البرنامج.\n\r%2")
                        .arg(window, reason),
                    nullptr)
            ->exec();
        return 1;
    }
    // The library stays loaded to the end: the application's clean-up runs
    // its code.
    return run(notice.release());
}
