#include "ui/children/childrengrid.h"

#include "core/records/resultsmodel.h"
#include "core/records/resultstable.h"
#include "ui/common/styleicon.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QStyle>
#include <QTableView>
#include <QToolButton>
#include <QVBoxLayout>

#include <functional>

namespace {

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

ChildrenGrid::ChildrenGrid(ResultsTable &table, QWidget *parent) : QWidget(parent), m_table(table)
{
    setObjectName(QStringLiteral("ChildrenGrid"));
    DataSource1 = new ResultsModel(m_table, this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    DBNavigator1 = new QWidget(this);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    DBNavigator1->setFixedHeight(25);
    buildNavigator();
    column->addWidget(DBNavigator1);

    DBGrid1 = new QTableView(this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    DBGrid1->setAccessibleName(QStringLiteral("جدول الأطفال"));
    DBGrid1->setAccessibleDescription(QStringLiteral("الطفل المختار فيه تُحسب له الإجابات"));
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    column->addWidget(DBGrid1, 1);
    bindGrid();
}

// First, prior, next and last, spread over the navigator's width. The arrows
// point the way the rows run in a right-to-left window.
void ChildrenGrid::buildNavigator()
{
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
        button->setAccessibleName(QString::fromUtf8(b.hint)); // the icon says nothing to a screen reader
        button->setIcon(styleIcon(b.icon));
        button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
        button->setFocusPolicy(Qt::NoFocus);
        row->addWidget(button);
        const auto move = b.move;
        connect(button, &QToolButton::clicked, this, [this, move] {
            // The table is read first: GCC 12 with -fsanitize=undefined calls a
            // member pointer on a member read in the same expression with a
            // null object (the sanitizer build crashed on every navigator click).
            ResultsTable *const table = &m_table;
            (table->*move)();
        });
    }
}

void ChildrenGrid::bindGrid()
{
    DBGrid1->setLayoutDirection(Qt::RightToLeft);
    DBGrid1->verticalHeader()->hide();
    DBGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    DBGrid1->verticalHeader()->setDefaultSectionSize(DBGrid1->fontMetrics().height() + 6);
    DBGrid1->setWordWrap(false);
    connect(&m_table, &ResultsTable::currentChanged, this, &ChildrenGrid::syncGrid);
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
                    if (no != 0 && no != m_table.currentNo())
                        m_table.findKey(QString::number(no));
                });
        syncGrid();
    });
}

// The grid's cursor follows the table's.
void ChildrenGrid::syncGrid()
{
    if (DBGrid1->model() != DataSource1)
        return;
    const int no = m_table.currentNo();
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
