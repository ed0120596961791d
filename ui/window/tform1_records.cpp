// The children's table's part of the main window: the status strip follows
// the current child, and the handlers of the children's page hand their work
// to the page (childrenpage.cpp).
#include "ui/window/tform1.h"

#include "ui/children/childrenpage.h"
#include "ui/window/clicklabel.h"
#include "ui/window/picturecontrol.h"
#include "ui/window/radiogroup.h"
#include "ui/window/statusstrip.h"
#include "core/records/resultstable.h"

#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>

using Field = ResultsTable::Field;

void TForm1::bindChildrenPage()
{
    connect(Table1, &ResultsTable::currentChanged, this, &TForm1::showCurrentChild);
    m_childrenPage->setRunner([this](const std::function<void()> &operation) { guarded(operation); });
    m_childrenPage->setLessonProbe([this] { return currentLessonView(); });
    connect(m_childrenPage, &ChildrenPage::storeStateChanged, this, [this] {
        Panel6->showStoreState(m_childrenPage->storeStateText(), m_childrenPage->storeProblem());
    });
}

// The status strip follows the table's one cursor.
void TForm1::showCurrentChild()
{
    // Counts in the system's own digits, as the grid and the spin box show
    // them (Arabic-Indic on an Arabic system); blank while there is none.
    const auto count = [this](Field field) {
        return Table1->value(field).isNull() ? QString() : QLocale().toString(Table1->integer(field));
    };
    Panel6->showChild(Table1->text(Field::Name), count(Field::Ok), count(Field::NotOk));
}

// The current lesson's name and how its choices look, for the chart.
LessonView TForm1::currentLessonView() const
{
    LessonView view;
    view.name = CurLesson->text();
    view.labels.questionType = AskForRG->itemIndex();
    const std::array<ClickLabel *, 3> colours{{ColorLB1, ColorLB2, ColorLB3}};
    const std::array<QLineEdit *, 3> texts{{Ed1, Ed2, Ed3}};
    // The pictures are crossed: choice 2 shows picture slot 3, choice 3 slot 2.
    const std::array<PictureControl *, 3> pictures{{Image1, Image3, Image2}};
    const std::array<QLineEdit *, 3> picturePaths{{ImgEd1, ImgEd3, ImgEd2}};
    const int pictureSlots[] = {1, 3, 2};
    for (int i = 0; i < 3; ++i) {
        view.labels.colors[i] = labelColor(colours[i]);
        view.labels.pictures[i] = pictures[i]->picture();
        switch (view.labels.questionType) {
        case 0: view.labels.names[i] = colours[i]->text(); break;
        case 1: view.labels.names[i] = texts[i]->text(); break;
        default: {
            // The picture's file name says more than its slot number.
            const QString file = QFileInfo(picturePaths[i]->text().trimmed()).completeBaseName();
            view.labels.names[i] = file.isEmpty() ? QStringLiteral("الصورة %1").arg(pictureSlots[i]) : file;
            break;
        }
        }
    }
    return view;
}

void TForm1::openResultsTable()
{
    // A table that may not be written is not opened: answers go uncounted
    // rather than creating a file where none may be made (nor the school
    // server's outbox, which lives beside it).
    if (!m_settings.mayWrite())
        return;
    m_childrenPage->openTable(m_settings.resultsFile(), m_settings.dataDir());
}

int TForm1::currentChildNo() const
{
    return Table1->currentNo();
}

bool TForm1::findChildByKey(const QString &key)
{
    return Table1->findKey(key);
}

void TForm1::RecordResult(const QString &result, const AnswerDetails &details)
{
    m_childrenPage->recordResult(result, details);
}

void TForm1::BitBtn7Click()
{
    m_childrenPage->addChild();
}

void TForm1::BitBtn8Click()
{
    m_childrenPage->resetChild();
}

void TForm1::BitBtn6Click()
{
    m_childrenPage->deleteChild();
}
