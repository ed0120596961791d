// The yardstick for the quiz's start-up: the plainest Qt Widgets window,
// one label filling the screen, right to left. It does nothing else, so the
// time until it is on the screen is what Qt itself needs to start.
#include <QApplication>
#include <QLabel>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    app.setLayoutDirection(Qt::RightToLeft);
    QLabel label(QStringLiteral("برنامج تعليمي للأطفال"));
    label.setAlignment(Qt::AlignCenter);
    label.showFullScreen();
    return app.exec();
}
