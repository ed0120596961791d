#include "app/heap.h"
#include "core/base/appdir.h"
#include "core/base/shutdownsignals.h"
#include "core/media/clipplayer.h"
#include "core/quiz/random.h"
#include "ui/dialogs/qtdialogs.h"
#include "ui/help/thelpform.h"
#include "ui/window/tform1.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QStandardPaths>
#include <QTranslator>

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

    QtDialogs dialogs;
    Random random;
    int result = 0;
    {
        TForm1 form({&dialogs, &random, runningProgramFile(),
                     QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)});
        dialogs.setParent(&form);
        // A shutdown or logout closes the window as the exit button does.
        ShutdownSignals shutdown;
        QObject::connect(&shutdown, &ShutdownSignals::closeRequested, &form, &TForm1::requestClose);
        THelpForm helpForm;
        form.setHelpForm(&helpForm);
        QObject::connect(&form, &TForm1::finished, &app, &QApplication::quit);
        form.maximize();
        form.show();
        result = app.exec();
    }
    // A clip still loading when the window closed is let go only once it
    // has loaded, while the application still runs its events.
    ClipPlayer::finishDroppedPlayers(2000);
    return result;
}
