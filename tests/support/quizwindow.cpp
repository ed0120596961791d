#include "support/quizwindow.h"

#include "core/media/soundmixer.h"
#include "core/records/resultstable.h"
#include "ui/window/choicepanel.h"
#include "ui/window/radiogroup.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QWindow>

using testsupport::succeeded;

void testsupport::controlNotFound(const QObject *root, const char *name, const char *className,
                                  const QList<QObject *> &found)
{
    // A test or a benchmark that cannot reach its control could only go on
    // through a null pointer; benchmarks have no test log, so the program ends.
    const QByteArray where = root ? root->objectName().toUtf8() : QByteArray("nothing");
    if (found.isEmpty())
        qFatal("%s has no control named \"%s\" (a %s)", where.constData(), name, className);
    if (found.size() > 1)
        qFatal("%s has %d controls named \"%s\"", where.constData(), int(found.size()), name);
    qFatal("the control \"%s\" of %s is a %s, not a %s", name, where.constData(),
           found.first()->metaObject()->className(), className);
}

void seedChildren(const QString &path, const QStringList &names)
{
    ResultsTable table;
    QString error;
    QVERIFY2(succeeded(table.open(path), &error), qPrintable(error));
    for (const QString &name : names)
        QVERIFY2(succeeded(table.addChild(name), &error), qPrintable(error));
}

void typeText(QWidget *widget, const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        const qsizetype length = text.at(i).isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, text.mid(i, length), Qt::NoModifier);
        i += length - 1;
    }
}

QuizWindow::QuizWindow(const Prepare &prepare, quint32 seed)
{
    random.seedOnce(seed);
    if (prepare)
        prepare(*this);
    start();
}

QuizWindow::~QuizWindow()
{
    form.reset();
}

void QuizWindow::start()
{
    dialogs.clear();
    form = std::make_unique<TForm1>(
        QuizEnvironment{&dialogs, &random, &SoundMixer::shared(), folder.programFile(), userDataDir, canWrite});
    if (beforeShow)
        beforeShow(*form);
    if (maximized)
        form->maximize();
    else
        form->resize(1003, 612);
    form->show();
    const bool exposed = QTest::qWaitForWindowExposed(form.get());
    if (!exposed)
        qWarning("the quiz window was not shown"); // benchmarks have no test log
    QVERIFY(exposed);
}

bool QuizWindow::closeByButton()
{
    openOptions();
    QTest::mouseClick(control<QPushButton>("BitBtn1"), Qt::LeftButton);
    return !form->isVisible();
}

bool QuizWindow::closeByPlatform()
{
    form->windowHandle()->close();
    return !form->isVisible();
}

void QuizWindow::restart()
{
    QVERIFY(closeByButton());
    form.reset();
    start();
}

void QuizWindow::openOptions()
{
    if (!form->optionsMode())
        QTest::keyRelease(form.get(), Qt::Key_F1, Qt::ControlModifier | Qt::AltModifier);
    QVERIFY(form->optionsMode());
}

void QuizWindow::choose(RadioGroup *group, int index)
{
    const QList<QRadioButton *> buttons = group->findChildren<QRadioButton *>();
    QVERIFY(index >= 0 && index < buttons.size());
    QTest::mouseClick(buttons.at(index), Qt::LeftButton);
    QCOMPARE(group->itemIndex(), index);
}

void QuizWindow::click(QWidget *widget)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

int QuizWindow::asked() const
{
    return control<QLineEdit>("AskColorED")->text().toInt();
}

ChoicePanel *QuizWindow::panel(int choice) const
{
    return control<ChoicePanel>(choice == 1 ? "SPanel1" : choice == 2 ? "SPanel2" : "SPanel3");
}

void QuizWindow::clickPanel(int choice, Qt::MouseButton button)
{
    ChoicePanel *p = panel(choice);
    QTest::mouseClick(p, button, {}, p->rect().center());
}

void QuizWindow::waitForNextQuestion()
{
    control<QTimer>("playwaitTimer")->setInterval(5);
    QTRY_VERIFY_WITH_TIMEOUT(!form->cycle().answered(), 2000);
}
