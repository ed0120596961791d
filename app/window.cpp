// The program's window and everything it needs, loaded by the launcher
// (main.cpp) while the start-up notice is on the screen.
#include "core/base/appdir.h"
#include "core/base/shutdownsignals.h"
#include "core/media/clipplayer.h"
#include "core/media/soundmixer.h"
#include "core/quiz/random.h"
#include "ui/dialogs/qtdialogs.h"
#include "ui/help/thelpform.h"
#include "ui/window/tform1.h"

#include <QApplication>
#include <QMessageBox>
#include <QStandardPaths>

#include <memory>

extern "C" Q_DECL_EXPORT int quizRunWindow(QMessageBox *notice)
{
    QtDialogs dialogs;
    // The window's first show waits on the notice already up, as it waits
    // on any notice.
    dialogs.adoptStartupNotice(std::unique_ptr<QMessageBox>(notice));
    Random random;
    // Every clip of the window plays through it; it goes after the window
    // and the players still loading, while the application still exists.
    SoundMixer mixer;
    int result = 0;
    {
        TForm1 form({&dialogs, &random, &mixer, runningProgramFile(),
                     QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)});
        dialogs.setParent(&form);
        // A shutdown or logout closes the window as the exit button does.
        ShutdownSignals shutdown;
        QObject::connect(&shutdown, &ShutdownSignals::closeRequested, &form, &TForm1::requestClose);
        THelpForm helpForm;
        form.setHelpForm(&helpForm);
        QObject::connect(&form, &TForm1::finished, qApp, &QApplication::quit);
        // Opened with a lesson file from the file manager: offered for import.
        const QStringList arguments = QCoreApplication::arguments();
        if (arguments.size() > 1 && arguments.at(1).endsWith(QLatin1String(".zip"), Qt::CaseInsensitive))
            form.offerLessonFile(arguments.at(1));
        form.maximize();
        form.show();
        result = QApplication::exec();
    }
    // A clip still loading when the window closed is let go only once it
    // has loaded, while the application still runs its events.
    ClipPlayer::finishDroppedPlayers(2000);
    return result;
}
