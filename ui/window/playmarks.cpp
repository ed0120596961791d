#include "ui/window/playmarks.h"

#include "ui/window/shapecontrol.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <limits>

PlayMarks::PlayMarks(const std::array<QWidget *, 3> &panels, QWidget *area) : QWidget(area)
{
    setObjectName(QStringLiteral("PlayMarks"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setFocusPolicy(Qt::NoFocus);
    for (int i = 0; i < 3; ++i) {
        m_panels[i] = panels[i];
        panels[i]->installEventFilter(this);
    }
    area->installEventFilter(this);
    setGeometry(area->rect());
    raise();
}

void PlayMarks::setFramedRow(int row)
{
    m_row = row >= 0 && row < 3 ? row : -1;
    update();
}

void PlayMarks::stepFrame(int step)
{
    const int from = m_row < 0 ? 0 : m_row;
    setFramedRow(((from + step) % 3 + 3) % 3);
}

int PlayMarks::panelInRow(int row) const
{
    std::array<int, 3> order{{0, 1, 2}};
    std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
        const int ya = m_panels[a] ? m_panels[a]->y() : 0;
        const int yb = m_panels[b] ? m_panels[b]->y() : 0;
        return ya < yb;
    });
    return row >= 0 && row < 3 ? order[row] : -1;
}

int PlayMarks::frameWidth() const
{
    const QWidget *w = window();
    const double scale = std::min(w->width() / 1280.0, w->height() / 800.0);
    return std::max(10, int(10 * scale + 0.5));
}

QColor PlayMarks::panelColour(int panel) const
{
    const QWidget *p = m_panels[panel];
    if (!p)
        return Qt::gray;
    // The shape or label that fills the panel shows the choice's colour.
    for (const QObject *child : p->children()) {
        const auto *w = qobject_cast<const QWidget *>(child);
        if (!w || w->isHidden())
            continue;
        if (const auto *shape = qobject_cast<const ShapeControl *>(w))
            return shape->brushColor();
        if (w->autoFillBackground())
            return w->palette().color(QPalette::Window);
    }
    return p->palette().color(QPalette::Window);
}

QColor PlayMarks::frameColour() const
{
    const QColor candidates[] = {Qt::black, Qt::white, QColor(0, 200, 0), Qt::magenta};
    std::array<QColor, 4> against{{panelColour(0), panelColour(1), panelColour(2), palette().color(QPalette::Window)}};
    const auto distance = [](const QColor &a, const QColor &b) {
        const int dr = a.red() - b.red(), dg = a.green() - b.green(), db = a.blue() - b.blue();
        return 3 * dr * dr + 4 * dg * dg + 2 * db * db;
    };
    QColor best = Qt::black;
    int bestNearest = -1;
    for (const QColor &c : candidates) {
        int nearest = std::numeric_limits<int>::max();
        for (const QColor &a : against)
            nearest = std::min(nearest, distance(c, a));
        if (nearest > bestNearest) {
            bestNearest = nearest;
            best = c;
        }
    }
    return best;
}

void PlayMarks::setMark(int panel, Mark mark)
{
    m_markedPanel = panel >= 0 && panel < 3 ? panel : -1;
    m_mark = m_markedPanel < 0 ? Mark::None : mark;
    update();
}

bool PlayMarks::eventFilter(QObject *watched, QEvent *event)
{
    const QEvent::Type t = event->type();
    if (watched == parent() && t == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    if (t == QEvent::Resize || t == QEvent::Move || t == QEvent::Show || t == QEvent::Hide) {
        raise();
        update();
    }
    return QWidget::eventFilter(watched, event);
}

void PlayMarks::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (m_mark != Mark::None && m_panels[m_markedPanel]) {
        const QRect r = m_panels[m_markedPanel]->geometry();
        const int side = std::min(r.width(), r.height()) * 3 / 4;
        const QRectF box(r.center().x() - side / 2.0, r.center().y() - side / 2.0, side, side);
        QPainterPath path;
        if (m_mark == Mark::Tick) {
            path.moveTo(box.left(), box.top() + box.height() * 0.55);
            path.lineTo(box.left() + box.width() * 0.38, box.bottom());
            path.lineTo(box.right(), box.top());
        } else {
            path.moveTo(box.topLeft());
            path.lineTo(box.bottomRight());
            path.moveTo(box.topRight());
            path.lineTo(box.bottomLeft());
        }
        const qreal pen = std::max(8.0, side / 8.0);
        // A white outline under the mark keeps it seen on every colour.
        painter.setPen(QPen(Qt::white, pen * 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(path);
        painter.setPen(QPen(m_mark == Mark::Tick ? QColor(0, 150, 0) : QColor(200, 0, 0), pen, Qt::SolidLine,
                            Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(path);
    }
    const int panel = panelInRow(m_row);
    if (panel >= 0 && m_panels[panel] && m_panels[panel]->isVisible()) {
        const int w = frameWidth();
        const QRect r = m_panels[panel]->geometry().intersected(rect());
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(Qt::NoPen);
        painter.setBrush(frameColour());
        const QRegion ring = QRegion(r).subtracted(QRegion(r.adjusted(w, w, -w, -w)));
        for (const QRect &part : ring)
            painter.drawRect(part);
    }
}
