// The children's table's part of the main window: the status strip follows
// the current child, and the handlers of the children's page hand their work
// to the page (childrenpage.cpp).
#include "ui/window/tform1.h"

#include "core/records/resultstable.h"
#include "ui/children/childrenpage.h"
#include "ui/window/optionspage.h"
#include "ui/window/picturecontrol.h"
#include "ui/window/playarea.h"
#include "ui/window/statusstrip.h"

#include <QLocale>


using Field = ResultsTable::Field;

void TForm1::bindChildrenPage()
{
    connect(m_table, &ResultsTable::currentChanged, this, &TForm1::showCurrentChild);
    m_childrenPage->setRunner([this](const std::function<void()> &operation) { guarded(operation); });
    m_childrenPage->setLessonProbe([this] { return currentLessonView(); });
    connect(m_childrenPage, &ChildrenPage::storeStateChanged, this, [this] {
        Panel4->Panel6->showStoreState(m_childrenPage->storeStateText(), m_childrenPage->storeProblem());
    });
}

// The status strip follows the table's one cursor.
void TForm1::showCurrentChild()
{
    // Counts in the system's own digits, as the grid and the spin box show
    // them (Arabic-Indic on an Arabic system); blank while there is none.
    const auto count = [this](Field field) {
        return m_table->value(field).isNull() ? QString() : QLocale().toString(m_table->integer(field));
    };
    Panel4->Panel6->showChild(m_table->text(Field::Name), count(Field::Ok), count(Field::NotOk));
}

// The current lesson's name and how its choices look, for the chart.
LessonView TForm1::currentLessonView() const
{
    // The pictures are crossed: choice 2 shows picture slot 3, choice 3 slot 2.
    return TabSheet1->lessonView({{Panel4->Image1->picture(), Panel4->Image3->picture(), Panel4->Image2->picture()}});
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
    return m_table->currentNo();
}

bool TForm1::findChildByKey(const QString &key)
{
    return m_table->findKey(key);
}

void TForm1::RecordResult(Judgement judgement, const AnswerDetails &details)
{
    m_childrenPage->recordResult(judgement, details);
}

void TForm1::RecordResult(const QString &result, const AnswerDetails &details)
{
    RecordResult(judgementFromText(result), details);
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
