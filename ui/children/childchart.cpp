#include "ui/children/childchart.h"

#include "core/base/plaintext.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QButtonGroup>
#include <QChart>
#include <QChartView>
#include <QGraphicsLayout>
#include <QHBoxLayout>
#include <QHorizontalStackedBarSeries>
#include <QLabel>
#include <QLegend>
#include <QLocale>
#include <QScatterSeries>
#include <QToolButton>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <utility>

namespace {

// Whole-number ticks, about five of them, from 0 to at least `top`.
void setCountRange(QValueAxis *axis, int top)
{
    int step = 1;
    for (int magnitude = 1;; magnitude *= 10) {
        if (top <= 5 * magnitude) { step = magnitude; break; }
        if (top <= 10 * magnitude) { step = 2 * magnitude; break; }
        if (top <= 25 * magnitude) { step = 5 * magnitude; break; }
        if (magnitude > 100000000)
            break;
    }
    const int max = std::max(step, (top + step - 1) / step * step);
    axis->setRange(0, max);
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(0);
    axis->setTickInterval(step);
    axis->setLabelFormat(QStringLiteral("%d"));
}

// Black or white, whichever reads better on the colour.
QColor textOn(const QColor &fill)
{
    return qGray(fill.rgb()) > 140 ? Qt::black : Qt::white;
}

QFont chartFont(int pixels, bool bold = false)
{
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

// The axis needs three different category names: an empty one gets the
// choice's number, and equal ones are told apart by it.
std::array<QString, 3> distinctNames(const std::array<QString, 3> &names)
{
    std::array<QString, 3> out;
    for (int i = 0; i < 3; ++i)
        out[i] = names[i].trimmed().isEmpty() ? QStringLiteral("الخيار %L1").arg(i + 1) : names[i];
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j)
            if (i != j && out[i] == out[j]) {
                out[i] += QStringLiteral(" (%L1)").arg(i + 1);
                break;
            }
    return out;
}

} // namespace

ChildChart::ChildChart(int maxDays, QWidget *parent) : QWidget(parent), m_maxDays(maxDays)
{
    setLayoutDirection(Qt::RightToLeft);
    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(2);

    auto *switches = new QHBoxLayout;
    switches->setContentsMargins(2, 2, 2, 0);
    switches->setSpacing(2);
    m_daysButton = new QToolButton(this);
    m_daysButton->setObjectName(QStringLiteral("ChartDaysBtn"));
    m_daysButton->setText(QStringLiteral("الإجابات في كل يوم"));
    m_choicesButton = new QToolButton(this);
    m_choicesButton->setObjectName(QStringLiteral("ChartChoicesBtn"));
    m_choicesButton->setText(QStringLiteral("ما اختاره الطفل لكل خيار"));
    auto *group = new QButtonGroup(this);
    for (QToolButton *b : {m_daysButton, m_choicesButton}) {
        b->setCheckable(true);
        b->setAutoRaise(true);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        group->addButton(b);
        switches->addWidget(b);
    }
    m_daysButton->setChecked(true);
    switches->addStretch(1);
    column->addLayout(switches);
    connect(m_daysButton, &QToolButton::clicked, this, [this] { setView(View::Days); });
    connect(m_choicesButton, &QToolButton::clicked, this, [this] { setView(View::Choices); });

    m_chart = new QChart;
    m_chart->setObjectName(QStringLiteral("chart"));
    // Counts and days in the system's digits, as the grid and the status
    // strip show them (Arabic-Indic on an Arabic system).
    m_chart->setLocalizeNumbers(true);
    m_chart->setLocale(QLocale());
    m_chart->setMargins(QMargins(2, 2, 2, 2));
    m_chart->setBackgroundRoundness(0);
    m_chart->setTitleFont(chartFont(12, true));
    m_chart->legend()->setFont(chartFont(11));
    m_chart->legend()->setAlignment(Qt::AlignBottom);
    m_chart->setLayoutDirection(Qt::RightToLeft);
    m_chart->layout()->setContentsMargins(0, 0, 0, 0);
    m_view = new QChartView(m_chart, this);
    m_view->setObjectName(QStringLiteral("chartView"));
    m_view->setRenderHint(QPainter::Antialiasing);
    m_view->setMinimumHeight(160);
    column->addWidget(m_view, 1);

    m_note = new QLabel(this);
    m_note->setObjectName(QStringLiteral("chartNote"));
    m_note->setWordWrap(true);
    m_note->setTextFormat(Qt::PlainText);
    m_note->setStyleSheet(QStringLiteral("color: #8a4b00"));
    m_note->hide();
    column->addWidget(m_note);
    rebuild();
}

void ChildChart::setContent(const ChartContent &content)
{
    m_content = content;
    rebuild();
}

void ChildChart::setView(View view)
{
    m_daysButton->setChecked(view == View::Days);
    m_choicesButton->setChecked(view == View::Choices);
    if (view == m_viewMode)
        return;
    m_viewMode = view;
    rebuild();
}

// Chart texts are markup: the name goes in escaped, to show as written.
QString ChildChart::childTitle() const
{
    return m_content.childName.trimmed().isEmpty()
               ? QStringLiteral("الطفل رقم %L1").arg(m_content.childNo)
               : PlainText::escaped(m_content.childName);
}

void ChildChart::clearChart()
{
    m_chart->removeAllSeries();
    for (QAbstractAxis *axis : m_chart->axes()) {
        m_chart->removeAxis(axis);
        delete axis;
    }
}

void ChildChart::rebuild()
{
    clearChart();
    QStringList notes;
    if (!m_content.problem.isEmpty()) {
        m_chart->setTitle(PlainText::escaped(m_content.problem));
        m_chart->legend()->hide();
    } else if (m_viewMode == View::Days) {
        buildDays(&notes);
    } else {
        buildChoices(&notes);
    }
    m_note->setText(notes.join(QLatin1Char('\n')));
    m_note->setVisible(!notes.isEmpty());
}

void ChildChart::buildDays(QStringList *notes)
{
    const QVector<DayTally> &all = m_content.history.days;
    if (all.isEmpty()) {
        m_chart->setTitle(QStringLiteral("لا توجد إجابات محفوظة لـ%1 بعد").arg(childTitle()));
        m_chart->legend()->hide();
        return;
    }
    const QVector<DayTally> days = all.mid(std::max<qsizetype>(0, all.size() - m_maxDays));
    m_chart->setTitle(QStringLiteral("إجابات %1 في كل يوم").arg(childTitle()));

    // Day and month are enough unless the days shown cross a year.
    const bool years = days.first().day.year() != days.last().day.year();
    QStringList categories;
    auto *right = new QBarSet(QStringLiteral("إجابة صح"));
    auto *wrong = new QBarSet(QStringLiteral("إجابة خطأ"));
    right->setColor(rightColor());
    wrong->setColor(wrongColor());
    auto *resets = new QScatterSeries;
    resets->setName(QStringLiteral("تصفير النتائج"));
    resets->setMarkerShape(QScatterSeries::MarkerShapeTriangle);
    resets->setMarkerSize(12);
    resets->setColor(resetColor());
    resets->setBorderColor(resetColor());
    int top = 1;
    QList<int> resetDays;
    // Newest first: the categories are laid out from the left, and time runs
    // from right to left like the page.
    for (int i = 0; i < days.size(); ++i) {
        const DayTally &d = days.at(days.size() - 1 - i);
        QString label = QLocale().toString(d.day, years ? QStringLiteral("d/M/yy") : QStringLiteral("d/M"));
        // A day after today: the computer's clock was wrong when it was written.
        if (d.day > m_content.today)
            label += QStringLiteral(" ؟");
        categories << label;
        *right << d.right;
        *wrong << d.wrong;
        top = std::max({top, d.right, d.wrong});
        if (d.resets > 0)
            resetDays << i;
    }
    auto *bars = new QBarSeries;
    // Within a day too the right answers come first, on the right.
    bars->append(wrong);
    bars->append(right);
    bars->setLabelsVisible(days.size() <= 10);
    bars->setLabelsPosition(QAbstractBarSeries::LabelsOutsideEnd);
    right->setLabelColor(Qt::black);
    wrong->setLabelColor(Qt::black);
    m_chart->addSeries(bars);

    auto *x = new QBarCategoryAxis;
    x->append(categories);
    x->setLabelsFont(chartFont(10));
    auto *y = new QValueAxis;
    setCountRange(y, top + (top + 9) / 10);
    y->setLabelsFont(chartFont(10));
    // A reset is marked high above its day, clear of the bars and their numbers.
    for (const int day : std::as_const(resetDays))
        resets->append(day, y->max() * 0.95);
    if (resets->count() > 0)
        m_chart->addSeries(resets);
    else
        delete resets;
    m_chart->addAxis(x, Qt::AlignBottom);
    m_chart->addAxis(y, Qt::AlignRight);
    for (QAbstractSeries *s : m_chart->series()) {
        s->attachAxis(x);
        s->attachAxis(y);
    }
    m_chart->legend()->show();

    if (all.size() > days.size())
        *notes << QStringLiteral("تظهر آخر %L1 أيام فيها إجابات من %L2 يوماً.").arg(days.size()).arg(all.size());
    if (m_content.history.futureRows > 0)
        *notes << QStringLiteral("تنبيه: %L1 من السجلات بتاريخ بعد اليوم (عليها علامة ؟)؛ "
                                 "ربما كانت ساعة الجهاز غير مضبوطة حين كُتبت.")
                      .arg(m_content.history.futureRows);
}

void ChildChart::buildChoices(QStringList *notes)
{
    const ChildHistory &h = m_content.history;
    int total = 0;
    int top = 1;
    for (const auto &row : h.choices) {
        int sum = 0;
        for (const int n : row)
            sum += n;
        total += sum;
        top = std::max(top, sum);
    }
    const QString lesson = PlainText::escaped(m_content.lesson);
    if (total == 0) {
        m_chart->setTitle(QStringLiteral("لا توجد إجابات لـ%1 في الدرس الحالي «%2» بهذا النوع من الأسئلة")
                              .arg(childTitle(), lesson));
        m_chart->legend()->hide();
        if (h.unplacedChoices > 0)
            *notes << QStringLiteral("%L1 من الإجابات لم يكن فيها خيار مطلوب فلم تُعرض.").arg(h.unplacedChoices);
        return;
    }
    m_chart->setTitle(QStringLiteral("ما اختاره %1 لكل خيار مطلوب (الدرس «%2»)").arg(childTitle(), lesson));

    const ChoiceLabels &labels = m_content.labels;
    // The legend and the axis take markup: the choice texts go in escaped.
    std::array<QString, 3> names = distinctNames(labels.names);
    for (QString &name : names)
        name = PlainText::escaped(name);
    // Text choices have no colour of their own: three that tell apart well.
    const QColor textColours[] = {QColor(0x4e, 0x79, 0xa7), QColor(0xf2, 0x8e, 0x2b), QColor(0x76, 0x4e, 0xa7)};
    auto *series = new QHorizontalStackedBarSeries;
    for (int clicked = 0; clicked < 3; ++clicked) {
        auto *set = new QBarSet(names[clicked]);
        QColor fill = textColours[clicked];
        if (labels.questionType == QuestionType::Colours && labels.colors[clicked].isValid())
            fill = labels.colors[clicked];
        set->setColor(fill);
        set->setBorderColor(Qt::darkGray);
        set->setLabelColor(textOn(fill));
        // Pictures fill their bars, so the child's choice is seen, not read.
        if (labels.questionType == QuestionType::Pictures && !labels.pictures[clicked].isNull()) {
            const QImage tile = labels.pictures[clicked].scaled(28, 28, Qt::KeepAspectRatioByExpanding,
                                                                 Qt::SmoothTransformation);
            set->setBrush(QBrush(tile));
            set->setLabelColor(Qt::black);
        }
        // The categories run from the bottom: the first choice is put last
        // so that it shows at the top.
        for (int asked = 2; asked >= 0; --asked)
            *set << h.choices[asked][clicked];
        series->append(set);
    }
    series->setLabelsVisible(true);
    series->setLabelsFormat(QStringLiteral("@value"));
    m_chart->addSeries(series);

    auto *y = new QBarCategoryAxis;
    y->append({names[2], names[1], names[0]});
    y->setTitleText(QStringLiteral("الخيار المطلوب"));
    y->setTitleFont(chartFont(10));
    y->setLabelsFont(chartFont(10));
    auto *x = new QValueAxis;
    setCountRange(x, top);
    // Bars grow from the right edge, as the page reads.
    x->setReverse(true);
    x->setTitleText(QStringLiteral("عدد المرات، بلون الخيار الذي ضغطه الطفل"));
    x->setTitleFont(chartFont(10));
    x->setLabelsFont(chartFont(10));
    m_chart->addAxis(y, Qt::AlignRight);
    m_chart->addAxis(x, Qt::AlignBottom);
    series->attachAxis(x);
    series->attachAxis(y);
    m_chart->legend()->show();
    if (h.unplacedChoices > 0)
        *notes << QStringLiteral("%L1 من الإجابات لم يكن فيها خيار مطلوب فلم تُعرض.").arg(h.unplacedChoices);
}
