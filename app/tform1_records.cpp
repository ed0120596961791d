// The children's table's part of the main window: the store behind the grid,
// the navigator and the status strip, and the three buttons of the
// children's tab.
#include "app/tform1.h"

#include "app/quizerror.h"
#include "records/resultsmodel.h"
#include "records/resultstable.h"
#include "settings/filelookup.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QTableView>
#include <QToolButton>

#include <functional>

namespace {

using Field = ResultsTable::Field;

// Runs an action once, when the watched widget is first shown.
class OnFirstShow : public QObject
{
public:
    OnFirstShow(QWidget *watched, std::function<void()> action)
        : QObject(watched), m_action(std::move(action))
    {
        watched->installEventFilter(this);
    }

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Show && m_action) {
            watched->removeEventFilter(this);
            const auto action = std::move(m_action);
            m_action = nullptr;
            action();
        }
        return false;
    }

private:
    std::function<void()> m_action;
};

} // namespace

void TForm1::bindChildrenPage()
{
    Table1 = new ResultsTable(this);
    Table1->setObjectName(QStringLiteral("Table1"));
    DataSource1 = new ResultsModel(*Table1, this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    connect(Table1, &ResultsTable::currentChanged, this, &TForm1::showCurrentChild);

    // The navigator: first, prior, next and last, spread over its width. The
    // arrows point the way the rows run in a right-to-left window.
    const bool rtl = layoutDirection() == Qt::RightToLeft;
    struct NavButton
    {
        const char *name;
        const char *hint;
        QStyle::StandardPixmap icon;
        bool (ResultsTable::*move)();
    };
    const NavButton buttons[] = {
        {"DBNavigator1First", "لأول اسم", rtl ? QStyle::SP_MediaSkipForward : QStyle::SP_MediaSkipBackward,
         &ResultsTable::first},
        {"DBNavigator1Prior", "السابق", QStyle::SP_ArrowBack, &ResultsTable::prior},
        {"DBNavigator1Next", "التالي", QStyle::SP_ArrowForward, &ResultsTable::next},
        {"DBNavigator1Last", "لآخر اسم", rtl ? QStyle::SP_MediaSkipBackward : QStyle::SP_MediaSkipForward,
         &ResultsTable::last},
    };
    auto *row = new QHBoxLayout(DBNavigator1);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    for (const NavButton &b : buttons) {
        auto *button = new QToolButton(DBNavigator1);
        button->setObjectName(QLatin1String(b.name));
        button->setToolTip(QString::fromUtf8(b.hint));
        button->setIcon(style()->standardIcon(b.icon, nullptr, button));
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        button->setFocusPolicy(Qt::NoFocus);
        row->addWidget(button);
        const auto move = b.move;
        connect(button, &QToolButton::clicked, this, [this, move] {
            // The table is read first: GCC 12 with -fsanitize=undefined calls a
            // member pointer on a member read in the same expression with a
            // null object (the sanitizer build crashed on every navigator click).
            ResultsTable *const table = Table1;
            (table->*move)();
        });
    }

    DBGrid1->setLayoutDirection(Qt::RightToLeft);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->verticalHeader()->hide();
    DBGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    DBGrid1->verticalHeader()->setDefaultSectionSize(DBGrid1->fontMetrics().height() + 6);
    DBGrid1->setWordWrap(false);
    // The grid reads the table only when it is first shown, so a large table
    // costs nothing at start-up.
    new OnFirstShow(DBGrid1, [this] {
        DBGrid1->setModel(DataSource1);
        DBGrid1->setColumnWidth(ResultsModel::NoColumn, 30);
        DBGrid1->setColumnWidth(ResultsModel::NameColumn, 150);
        // A row chosen in the grid (click or arrow keys) makes that child current.
        connect(DBGrid1->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                [this](const QModelIndex &current) {
                    const int no = current.isValid() ? DataSource1->noAt(current.row()) : 0;
                    if (no != 0 && no != Table1->currentNo())
                        Table1->findKey(QString::number(no));
                });
        showCurrentChild();
    });

    // Escape works as the window's cancel button: only while the delete
    // button can be reached, that is while the children's tab is showing.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), BitBtn6);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, [this] {
        if (BitBtn6->isVisible() && BitBtn6->isEnabled())
            BitBtn6->click();
    });
}

// The status strip and the grid follow the table's one cursor.
void TForm1::showCurrentChild()
{
    // Counts in the system's own digits, as the grid and the spin box show
    // them (Arabic-Indic on an Arabic system); blank while there is none.
    const auto count = [this](Field field) {
        return Table1->value(field).isNull() ? QString() : QLocale().toString(Table1->integer(field));
    };
    DBText1->setText(Table1->text(Field::Name));
    DBText3->setText(count(Field::Ok));
    DBText2->setText(count(Field::NotOk));

    if (DBGrid1->model() != DataSource1)
        return;
    const int no = Table1->currentNo();
    if (no == 0)
        return; // empty table, or a record being inserted
    const int row = DataSource1->rowOf(no);
    const QModelIndex current = DBGrid1->currentIndex();
    if (row < 0 || (current.isValid() && current.row() == row))
        return;
    const QModelIndex target = DataSource1->index(row, current.isValid() ? current.column() : 0);
    DBGrid1->selectionModel()->setCurrentIndex(
        target, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    DBGrid1->scrollTo(target);
}

void TForm1::openResultsTable()
{
    // A table that may not be written is not opened: answers go uncounted
    // rather than creating a file where none may be made.
    if (!m_location.writable)
        return;
    QString error;
    if (!Table1->open(FileLookup::inFolder(dataRoot(), QStringLiteral("results.db")), &error))
        throw QuizError(error);
}

int TForm1::currentChildNo() const
{
    return Table1->currentNo();
}

bool TForm1::findChildByKey(const QString &key)
{
    return Table1->findKey(key);
}

void TForm1::RecordResult(const QString &result)
{
    // A child's game is never interrupted by the table: a failed count is
    // dropped (a pending edit is posted with the next answer).
    QString ignored;
    Table1->recordResult(result, &ignored);
}

void TForm1::BitBtn7Click()
{
    const std::optional<QString> name =
        m_dialogs->askText(QStringLiteral("إضافة طفل"), QStringLiteral("أدخل الاسم"), QString());
    if (!name || name->isEmpty())
        return;
    QString error;
    if (!Table1->addChild(*name, &error))
        throw QuizError(error);
}

void TForm1::BitBtn8Click()
{
    if (!m_dialogs->confirm(QStringLiteral("هل تريد حذف نتائج الطفل فعلاً")))
        return;
    QString ignored;
    Table1->resetCounts(&ignored);
}

void TForm1::BitBtn6Click()
{
    if (!m_dialogs->confirm(QStringLiteral("هل تريد حذف الطفل فعلاً")))
        return;
    QString error;
    if (!Table1->deleteChild(&error))
        throw QuizError(error);
}
