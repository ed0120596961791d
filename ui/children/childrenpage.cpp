#include "ui/children/childrenpage.h"

#include "core/base/bidi.h"
#include "core/base/quizerror.h"
#include "core/records/progressreport.h"
#include "core/records/answerhistory.h"
#include "core/records/resultsexport.h"
#include "core/records/resultsmodel.h"
#include "core/records/resultstable.h"
#include "core/settings/lessonlibrary.h"
#include "ui/dialogs/dialogs.h"
#include "ui/children/reportpages.h"
#include "ui/children/waitcursor.h"
#include "ui/window/styleicon.h"

#include <QDialog>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QShortcut>
#include <QStandardPaths>
#include <QStyle>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

using Field = ResultsTable::Field;

const char *const CsvFilter = "ملفات CSV (*.csv)";

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

template <typename W>
W *placed(W *widget, const char *name, int left, int top, int width, int height)
{
    widget->setObjectName(QLatin1String(name));
    widget->setGeometry(left, top, width, height);
    return widget;
}

} // namespace

ChildrenPage::ChildrenPage(Dialogs &dialogs, QWidget *parent) : QWidget(parent), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("TabSheet2"));
    Table1 = new ResultsTable(this);
    Table1->setObjectName(QStringLiteral("Table1"));
    DataSource1 = new ResultsModel(*Table1, this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    m_chartTimer = new QTimer(this);
    m_chartTimer->setSingleShot(true);
    m_chartTimer->setInterval(0);
    connect(m_chartTimer, &QTimer::timeout, this, &ChildrenPage::refreshChart);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    buildButtons();
    column->addWidget(Panel1);

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

    ChartBar = new QWidget(this);
    ChartBar->setObjectName(QStringLiteral("ChartBar"));
    auto *bar = new QHBoxLayout(ChartBar);
    bar->setContentsMargins(2, 3, 2, 1);
    bar->setSpacing(4);
    ExportCountsBtn = new QPushButton(QStringLiteral("تصدير الأعداد"), ChartBar);
    ExportCountsBtn->setObjectName(QStringLiteral("ExportCountsBtn"));
    ExportCountsBtn->setToolTip(QStringLiteral("حفظ أعداد إجابات كل الأطفال في ملف CSV يفتحه برنامج الجداول"));
    ExportAnswersBtn = new QPushButton(QStringLiteral("تصدير سجل الإجابات"), ChartBar);
    ExportAnswersBtn->setObjectName(QStringLiteral("ExportAnswersBtn"));
    ExportAnswersBtn->setToolTip(QStringLiteral("حفظ كل إجابة محفوظة لكل طفل، بوقتها ودرسها، في ملف CSV"));
    // The reports have a row of their own under the exports: the options
    // pane is too narrow for five buttons in one.
    ReportBar = new QWidget(this);
    ReportBar->setObjectName(QStringLiteral("ReportBar"));
    auto *reportRow = new QHBoxLayout(ReportBar);
    reportRow->setContentsMargins(2, 1, 2, 1);
    reportRow->setSpacing(4);
    ChildReportBtn = new QPushButton(QStringLiteral("تقرير الطفل…"), ReportBar);
    ChildReportBtn->setObjectName(QStringLiteral("ChildReportBtn"));
    ChildReportBtn->setToolTip(QStringLiteral("طباعة تقدّم الطفل الحالي أو حفظه ملف PDF لوالديه"));
    ClassReportBtn = new QPushButton(QStringLiteral("تقرير الصف…"), ReportBar);
    ClassReportBtn->setObjectName(QStringLiteral("ClassReportBtn"));
    ClassReportBtn->setToolTip(QStringLiteral("طباعة إجابات كل الأطفال في جدول أو حفظها ملف PDF"));
    ChartBigBtn = new QToolButton(ChartBar);
    ChartBigBtn->setObjectName(QStringLiteral("ChartBigBtn"));
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

    // The chart itself is made when the page is first shown: the charts
    // library takes a moment to start, which the child's game need not wait for.
    m_chartHolder = new QWidget(this);
    m_chartHolder->setObjectName(QStringLiteral("ChartHolder"));
    m_chartHolder->setMinimumHeight(240);
    auto *holder = new QVBoxLayout(m_chartHolder);
    holder->setContentsMargins(0, 0, 0, 0);
    column->addWidget(m_chartHolder, 1);

    buildStoreBar();
    column->addWidget(StoreBar);

    connect(ExportCountsBtn, &QPushButton::clicked, this, [this] { run([this] { exportCounts(); }); });
    connect(ExportAnswersBtn, &QPushButton::clicked, this, [this] { run([this] { exportAnswers(); }); });
    connect(ChildReportBtn, &QPushButton::clicked, this, [this] { run([this] { childReport(); }); });
    connect(ClassReportBtn, &QPushButton::clicked, this, [this] { run([this] { classReport(); }); });
    connect(ChartBigBtn, &QToolButton::clicked, this, [this] { run([this] { showLargeChart(); }); });
    for (auto signal : {&ResultsTable::reloaded, &ResultsTable::currentChanged})
        connect(Table1, signal, this, &ChildrenPage::scheduleChart);
    // On the school's server other computers change other children all the
    // time: only the current child's chart is read again.
    for (auto signal : {&ResultsTable::recordInserted, &ResultsTable::recordUpdated, &ResultsTable::recordRemoved})
        connect(Table1, signal, this, [this](int no) {
            if (!Table1->isShared() || no == Table1->currentNo())
                scheduleChart();
        });
}

ChildrenPage::~ChildrenPage() = default;

void ChildrenPage::run(const std::function<void()> &operation)
{
    if (m_runner)
        m_runner(operation);
    else
        operation();
}

void ChildrenPage::buildButtons()
{
    Panel1 = new QWidget(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(41);
    Label11 = new QLabel(QStringLiteral("اضغط على سجل الطفل لجعله الطفل الحالي"), Panel1);
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

// First, prior, next and last, spread over the navigator's width. The arrows
// point the way the rows run in a right-to-left window.
void ChildrenPage::buildNavigator()
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
            ResultsTable *const table = Table1;
            (table->*move)();
        });
    }
}

void ChildrenPage::bindGrid()
{
    DBGrid1->setLayoutDirection(Qt::RightToLeft);
    DBGrid1->verticalHeader()->hide();
    DBGrid1->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    DBGrid1->verticalHeader()->setDefaultSectionSize(DBGrid1->fontMetrics().height() + 6);
    DBGrid1->setWordWrap(false);
    connect(Table1, &ResultsTable::currentChanged, this, &ChildrenPage::syncGrid);
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
        syncGrid();
    });
}

// The grid's cursor follows the table's.
void ChildrenPage::syncGrid()
{
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

void ChildrenPage::recordResult(Judgement judgement, const AnswerDetails &details)
{
    // A child's game is never interrupted by the table: a failed count is
    // dropped (a pending edit is posted with the next answer).
    Table1->recordResult(judgement, details);
}

void ChildrenPage::addChild()
{
    const std::optional<QString> name =
        m_dialogs.askText(QStringLiteral("إضافة طفل"), QStringLiteral("أدخل الاسم"), QString());
    if (!name || name->isEmpty())
        return;
    raiseIfFailed(Table1->addChild(*name));
}

void ChildrenPage::resetChild()
{
    if (!m_dialogs.confirm(QStringLiteral("هل تريد حذف نتائج الطفل فعلاً")))
        return;
    if (!isShared()) {
        Table1->resetCounts();
        return;
    }
    asTeacher([this] { return Table1->resetCounts(); });
}

void ChildrenPage::deleteChild()
{
    if (!m_dialogs.confirm(QStringLiteral("هل تريد حذف الطفل فعلاً")))
        return;
    if (!isShared()) {
        raiseIfFailed(Table1->deleteChild());
        return;
    }
    asTeacher([this] { return Table1->deleteChild(); });
}

QString ChildrenPage::suggestedPath(const QString &name) const
{
    QString folder = m_exportFolder;
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    return QDir(folder).filePath(name);
}

// The children's names leave the data folder in an export: where that
// folder is the user's own, the exported file is too.
AtomicFile::Access ChildrenPage::exportAccess() const
{
    return AtomicFile::accessIn(QFileInfo(m_resultsPath).absolutePath());
}

void ChildrenPage::exportCounts()
{
    if (!Table1->isOpen())
        throw QuizError(ResultsTable::closedText());
    const std::optional<QString> path =
        m_dialogs.chooseSaveFile(QStringLiteral("حفظ أعداد إجابات الأطفال"),
                                 suggestedPath(QStringLiteral("أعداد إجابات الأطفال.csv")),
                                 QString::fromUtf8(CsvFilter));
    if (!path || path->isEmpty())
        return;
    ExportSummary summary;
    {
        const WaitCursor wait;
        raiseIfFailed(ResultsExport::writeCounts(*Table1, *path, &summary, exportAccess()));
    }
    m_exportFolder = QFileInfo(*path).absolutePath();
    m_dialogs.showMessage(QStringLiteral("حُفظت أعداد إجابات %L1 من الأطفال في الملف\n\r%2")
                              .arg(summary.rows)
                              .arg(Bidi::path(QDir::toNativeSeparators(*path))));
}

void ChildrenPage::exportAnswers()
{
    if (!Table1->isOpen())
        throw QuizError(ResultsTable::closedText());
    const std::optional<QString> path =
        m_dialogs.chooseSaveFile(QStringLiteral("حفظ سجل إجابات الأطفال"),
                                 suggestedPath(QStringLiteral("سجل إجابات الأطفال.csv")),
                                 QString::fromUtf8(CsvFilter));
    if (!path || path->isEmpty())
        return;
    ExportSummary summary;
    {
        const WaitCursor wait;
        raiseIfFailed(ResultsExport::writeAnswers(*Table1, *path, Table1->now(), LessonLibrary(m_dataDir), &summary,
                                                  exportAccess()));
    }
    m_exportFolder = QFileInfo(*path).absolutePath();
    QString text = QStringLiteral("حُفظ سجل الإجابات (%L1 من السجلات) في الملف\n\r%2")
                       .arg(summary.rows)
                       .arg(Bidi::path(QDir::toNativeSeparators(*path)));
    if (summary.orphanRows > 0)
        text += QStringLiteral("\n\r%L1 من السجلات لأطفال لم يعودوا في الجدول، فكُتبت بلا اسم.")
                    .arg(summary.orphanRows);
    if (summary.futureRows > 0)
        text += QStringLiteral("\n\r%L1 من السجلات بتاريخ بعد اليوم؛ ربما كانت ساعة الجهاز غير مضبوطة حين كُتبت.")
                    .arg(summary.futureRows);
    m_dialogs.showMessage(text);
}

void ChildrenPage::deliverReport(const QString &caption, const QString &fileName,
                                 const std::function<Result(QPagedPaintDevice *)> &paint,
                                 const std::function<Result(const QString &)> &writePdf)
{
    const std::optional<int> how =
        m_dialogs.chooseItem(caption, QStringLiteral("ماذا تريد أن تفعل بالتقرير؟"),
                             {QStringLiteral("طباعة"), QStringLiteral("حفظ ملف PDF")});
    if (!how)
        return;
    if (*how == 0) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setDocName(caption);
        printer.setPageSize(QPageSize(QPageSize::A4));
        if (!m_dialogs.choosePrinter(&printer))
            return;
        const WaitCursor wait;
        raiseIfFailed(paint(&printer));
        if (printer.printerState() == QPrinter::Error)
            throw QuizError(QStringLiteral("تعذرت طباعة التقرير على الطابعة %1").arg(Bidi::word(printer.printerName())));
        return;
    }
    const std::optional<QString> path =
        m_dialogs.chooseSaveFile(caption, suggestedPath(fileName), QStringLiteral("ملفات PDF (*.pdf)"));
    if (!path || path->isEmpty())
        return;
    {
        const WaitCursor wait;
        raiseIfFailed(writePdf(*path));
    }
    m_exportFolder = QFileInfo(*path).absolutePath();
    m_dialogs.showMessage(QStringLiteral("حُفظ التقرير في الملف\n\r%1").arg(QDir::toNativeSeparators(*path)));
}

void ChildrenPage::childReport()
{
    if (!Table1->isOpen())
        throw QuizError(ResultsTable::closedText());
    const int no = Table1->currentNo();
    if (no == 0)
        throw QuizError(QStringLiteral("لا يوجد طفل حالي: اختر الطفل من الجدول أولاً"));
    const QString caption = QStringLiteral("تقرير الطفل");
    const std::optional<int> period =
        m_dialogs.chooseItem(caption, QStringLiteral("الفترة التي يشملها التقرير"),
                             {QStringLiteral("كل الإجابات، من أولها إلى آخرها"), QStringLiteral("هذا الأسبوع"),
                              QStringLiteral("هذا الشهر")});
    if (!period || *period < 0 || *period > 2)
        return;
    const ReportPeriod periods[] = {ReportPeriod::Everything, ReportPeriod::ThisWeek, ReportPeriod::ThisMonth};
    const LessonView lesson = m_lessonProbe ? m_lessonProbe() : LessonView();
    const QDateTime now = Table1->now();
    ChildReport report;
    {
        const WaitCursor wait;
        raiseIfFailed(ProgressReport::readChild(*Table1, no, lesson.name, lesson.labels.questionType,
                                                periods[*period], now, &report));
    }
    ChartContent chart;
    chart.lesson = lesson.name;
    chart.labels = lesson.labels;
    chart.today = now.toLocalTime().date();
    const QString name = ProgressReport::displayName(report.no, report.name);
    deliverReport(
        caption, QStringLiteral("تقرير %1.pdf").arg(QString(name).replace(QLatin1Char('/'), QLatin1Char('-'))),
        [&](QPagedPaintDevice *device) { return ReportPages::paintChild(device, report, chart, now); },
        [&](const QString &path) { return ReportPages::writeChildPdf(path, report, chart, now); });
}

void ChildrenPage::classReport()
{
    if (!Table1->isOpen())
        throw QuizError(ResultsTable::closedText());
    const QDateTime now = Table1->now();
    ClassReport report;
    {
        const WaitCursor wait;
        raiseIfFailed(ProgressReport::readClass(*Table1, &report));
    }
    deliverReport(
        QStringLiteral("تقرير الصف"), QStringLiteral("تقرير الصف.pdf"),
        [&](QPagedPaintDevice *device) { return ReportPages::paintClass(device, report, now); },
        [&](const QString &path) { return ReportPages::writeClassPdf(path, report, now); });
}

void ChildrenPage::showLargeChart()
{
    if (!ChartWindow) {
        ChartWindow = new QDialog(window());
        ChartWindow->setObjectName(QStringLiteral("ChartWindow"));
        ChartWindow->setWindowTitle(QStringLiteral("نتائج الطفل"));
        ChartWindow->setLayoutDirection(Qt::RightToLeft);
        auto *column = new QVBoxLayout(ChartWindow);
        ResultsChartBig = new ChildChart(60, ChartWindow);
        ResultsChartBig->setObjectName(QStringLiteral("ResultsChartBig"));
        if (ResultsChart)
            ResultsChartBig->setView(ResultsChart->view());
        column->addWidget(ResultsChartBig, 1);
        auto *close = new QPushButton(QStringLiteral("إغلاق"), ChartWindow);
        close->setObjectName(QStringLiteral("ChartWindowClose"));
        connect(close, &QPushButton::clicked, ChartWindow, &QDialog::close);
        column->addWidget(close, 0, Qt::AlignLeft);
        const QRect screen = window()->screen() ? window()->screen()->availableGeometry() : QRect(0, 0, 1024, 768);
        ChartWindow->resize(std::max(760, screen.width() * 7 / 10), std::max(520, screen.height() * 7 / 10));
    }
    ChartWindow->show();
    ChartWindow->raise();
    ChartWindow->activateWindow();
    refreshChart();
}

void ChildrenPage::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    if (!ResultsChart) {
        ResultsChart = new ChildChart(14, m_chartHolder);
        ResultsChart->setObjectName(QStringLiteral("ResultsChart"));
        m_chartHolder->layout()->addWidget(ResultsChart);
        ResultsChart->show();
    }
    if (m_chartStale)
        refreshChart();
}

// Reading the history waits for the event loop: one read after a burst of
// cursor moves and changes, and none while no chart is shown.
void ChildrenPage::scheduleChart()
{
    m_chartStale = true;
    m_chartTimer->start();
}

void ChildrenPage::refreshChart()
{
    const bool pageShown = ResultsChart && ResultsChart->isVisible();
    const bool bigShown = ChartWindow && ChartWindow->isVisible();
    if (!pageShown && !bigShown)
        return;
    const ChartContent content = chartContent();
    if (pageShown) {
        ResultsChart->setContent(content);
        m_chartStale = false;
    }
    if (bigShown)
        ResultsChartBig->setContent(content);
}

ChartContent ChildrenPage::chartContent() const
{
    ChartContent c;
    c.today = Table1->now().toLocalTime().date();
    if (!Table1->isOpen()) {
        c.problem = QStringLiteral("جدول الأطفال غير مفتوح، فلا توجد نتائج لعرضها");
        return c;
    }
    c.childNo = Table1->currentNo();
    if (c.childNo == 0) {
        c.problem = Table1->isEmpty() ? QStringLiteral("لا يوجد أطفال في الجدول بعد")
                                      : QStringLiteral("لا يوجد طفل حالي");
        return c;
    }
    c.childName = Table1->text(Field::Name);
    const LessonView lesson = m_lessonProbe ? m_lessonProbe() : LessonView();
    c.lesson = lesson.name;
    c.labels = lesson.labels;
    const Result read =
        AnswerHistory::readChild(*Table1, c.childNo, lesson.name, lesson.labels.questionType, c.today, &c.history);
    if (!read)
        c.problem = read.text;
    return c;
}
