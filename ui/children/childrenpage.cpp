#include "ui/children/childrenpage.h"

#include "core/base/quizerror.h"
#include "core/records/resultstable.h"
#include "ui/children/childrenexports.h"
#include "ui/children/childrengrid.h"
#include "ui/children/storebar.h"
#include "ui/common/placing.h"
#include "ui/common/styleicon.h"
#include "ui/dialogs/dialogs.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

ChildrenPage::ChildrenPage(ResultsTable &table, Dialogs &dialogs, QWidget *parent)
    : QWidget(parent), m_table(table), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("TabSheet2"));
    const auto runner = [this](const std::function<void()> &operation) { run(operation); };
    m_exports = new ChildrenExports(m_table, m_dialogs, this);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    buildButtons();
    column->addWidget(Panel1);
    m_grid = new ChildrenGrid(m_table, this);
    column->addWidget(m_grid, 1);
    m_chart = new ChartPanel(m_table, this);
    buildExportBars(column);
    column->addWidget(m_chart, 1);
    m_store = new StoreBar(m_table, m_dialogs, runner, this);
    connect(m_store, &StoreBar::stateChanged, this, &ChildrenPage::storeStateChanged);
    column->addWidget(m_store);
}

ChildrenPage::~ChildrenPage() = default;

void ChildrenPage::run(const std::function<void()> &operation)
{
    if (m_runner)
        m_runner(operation);
    else
        operation();
}

void ChildrenPage::setLessonProbe(const std::function<LessonView()> &probe)
{
    m_chart->setLessonProbe(probe);
    m_exports->setLessonProbe(probe);
}

void ChildrenPage::buildButtons()
{
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(41);
    auto *Label11 = new QLabel(QStringLiteral("اضغط على سجل الطفل لجعله الطفل الحالي"), Panel1);
    Label11->setObjectName(QStringLiteral("Label11"));
    Label11->adjustSize();
    Label11->move(139, 27);
    // Words only: beside a style icon a right-to-left caption is pushed
    // against the button's edge at these widths.
    BitBtn7 = placed(new QPushButton(QStringLiteral("إضافة طفل"), Panel1), "BitBtn7", 256, 2, 121, 25);
    BitBtn8 = placed(new QPushButton(QStringLiteral("تصفير نتائج الطفل"), Panel1), "BitBtn8", 136, 2, 113, 25);
    BitBtn6 = placed(new QPushButton(QStringLiteral("حذف الطفل تماماً"), Panel1), "BitBtn6", 16, 2, 113, 25);

    // Escape works as the window's cancel button: only while the delete
    // button can be reached, that is while the children's tab is showing.
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), BitBtn6);
    escape->setContext(Qt::WindowShortcut);
    connect(escape, &QShortcut::activated, this, [this] {
        if (BitBtn6->isVisible() && BitBtn6->isEnabled())
            BitBtn6->click();
    });
}

// The exports and the larger chart in one row, the reports in a row of their
// own under it: the options pane is too narrow for five buttons in one.
void ChildrenPage::buildExportBars(QVBoxLayout *column)
{
    auto *ChartBar = named(new QWidget(this), "ChartBar");
    auto *bar = new QHBoxLayout(ChartBar);
    bar->setContentsMargins(2, 3, 2, 1);
    bar->setSpacing(4);
    auto *ExportCountsBtn = named(new QPushButton(QStringLiteral("تصدير الأعداد"), ChartBar), "ExportCountsBtn");
    ExportCountsBtn->setToolTip(QStringLiteral("حفظ أعداد إجابات كل الأطفال في ملف CSV يفتحه برنامج الجداول"));
    auto *ExportAnswersBtn =
        named(new QPushButton(QStringLiteral("تصدير سجل الإجابات"), ChartBar), "ExportAnswersBtn");
    ExportAnswersBtn->setToolTip(QStringLiteral("حفظ كل إجابة محفوظة لكل طفل، بوقتها ودرسها، في ملف CSV"));
    auto *ReportBar = named(new QWidget(this), "ReportBar");
    auto *reportRow = new QHBoxLayout(ReportBar);
    reportRow->setContentsMargins(2, 1, 2, 1);
    reportRow->setSpacing(4);
    auto *ChildReportBtn = named(new QPushButton(QStringLiteral("تقرير الطفل…"), ReportBar), "ChildReportBtn");
    ChildReportBtn->setToolTip(QStringLiteral("طباعة تقدّم الطفل الحالي أو حفظه ملف PDF لوالديه"));
    auto *ClassReportBtn = named(new QPushButton(QStringLiteral("تقرير الصف…"), ReportBar), "ClassReportBtn");
    ClassReportBtn->setToolTip(QStringLiteral("طباعة إجابات كل الأطفال في جدول أو حفظها ملف PDF"));
    auto *ChartBigBtn = named(new QToolButton(ChartBar), "ChartBigBtn");
    ChartBigBtn->setText(QStringLiteral("تكبير الرسم"));
    ChartBigBtn->setToolTip(QStringLiteral("عرض رسم الطفل الحالي في نافذة كبيرة"));
    ChartBigBtn->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    ChartBigBtn->setIcon(styleIcon(QStyle::SP_TitleBarMaxButton));
    bar->addWidget(ExportCountsBtn);
    bar->addWidget(ExportAnswersBtn);
    bar->addStretch(1);
    bar->addWidget(ChartBigBtn);
    column->addWidget(ChartBar);
    reportRow->addWidget(ChildReportBtn);
    reportRow->addWidget(ClassReportBtn);
    reportRow->addStretch(1);
    column->addWidget(ReportBar);

    connect(ExportCountsBtn, &QPushButton::clicked, this, [this] { run([this] { exportCounts(); }); });
    connect(ExportAnswersBtn, &QPushButton::clicked, this, [this] { run([this] { exportAnswers(); }); });
    connect(ChildReportBtn, &QPushButton::clicked, this, [this] { run([this] { childReport(); }); });
    connect(ClassReportBtn, &QPushButton::clicked, this, [this] { run([this] { classReport(); }); });
    connect(ChartBigBtn, &QToolButton::clicked, this, [this] { run([this] { showLargeChart(); }); });
}

void ChildrenPage::openTable(const QString &resultsPath, const QString &dataDir)
{
    m_exports->setFiles(resultsPath, dataDir);
    m_store->openTable(resultsPath, dataDir);
}

void ChildrenPage::chooseServer()
{
    m_store->chooseServer();
}

void ChildrenPage::chooseLocalFile()
{
    m_store->chooseLocalFile();
}

QString ChildrenPage::storeStateText() const
{
    return m_store->stateText();
}

QString ChildrenPage::storeProblem() const
{
    return m_store->problem();
}

void ChildrenPage::setServerRetryInterval(int ms)
{
    m_store->setRetryInterval(ms);
}

void ChildrenPage::recordResult(Judgement judgement, const AnswerDetails &details)
{
    // A child's game is never interrupted by the table: a failed count is
    // dropped (a pending edit is posted with the next answer).
    static_cast<void>(m_table.recordResult(judgement, details));
}

void ChildrenPage::addChild()
{
    const std::optional<QString> name =
        m_dialogs.askText(QStringLiteral("إضافة طفل"), QStringLiteral("أدخل الاسم"), QString());
    if (!name || name->isEmpty())
        return;
    raiseIfFailed(m_table.addChild(*name));
}

void ChildrenPage::resetChild()
{
    if (!m_dialogs.confirm(QStringLiteral("هل تريد حذف نتائج الطفل فعلاً")))
        return;
    if (!m_store->isShared()) {
        raiseIfFailed(m_table.resetCounts());
        return;
    }
    m_store->asTeacher([this] { return m_table.resetCounts(); });
}

void ChildrenPage::deleteChild()
{
    if (!m_dialogs.confirm(QStringLiteral("هل تريد حذف الطفل فعلاً")))
        return;
    if (!m_store->isShared()) {
        raiseIfFailed(m_table.deleteChild());
        return;
    }
    m_store->asTeacher([this] { return m_table.deleteChild(); });
}

void ChildrenPage::exportCounts()
{
    m_exports->exportCounts();
}

void ChildrenPage::exportAnswers()
{
    m_exports->exportAnswers();
}

void ChildrenPage::childReport()
{
    m_exports->childReport();
}

void ChildrenPage::classReport()
{
    m_exports->classReport();
}

void ChildrenPage::showLargeChart()
{
    m_chart->showLargeChart();
}

void ChildrenPage::refreshChart()
{
    m_chart->refreshChart();
}
