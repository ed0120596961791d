#include "app/appdir.h"
#include "app/qtdialogs.h"
#include "app/tform1.h"
#include "quiz/random.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setLayoutDirection(Qt::RightToLeft);
    // The help window closes with the main window, whatever is still shown.
    app.setQuitOnLastWindowClosed(false);

    QtDialogs dialogs;
    Random random;
    TForm1 form({&dialogs, &random, runningProgramFile()});
    dialogs.setParent(&form);
    QObject::connect(&form, &TForm1::finished, &app, &QApplication::quit);
    form.maximize();
    form.show();
    return app.exec();
}
