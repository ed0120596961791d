#include "ui/common/styleicon.h"

#include <QApplication>
#include <QIconEngine>
#include <QPainter>

namespace {

class StyleIconEngine : public QIconEngine
{
public:
    explicit StyleIconEngine(QStyle::StandardPixmap which) : m_which(which) {}

    void paint(QPainter *painter, const QRect &rect, QIcon::Mode mode, QIcon::State state) override
    {
        icon().paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().pixmap(size, mode, state);
    }
    QSize actualSize(const QSize &size, QIcon::Mode mode, QIcon::State state) override
    {
        return icon().actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        return icon().availableSizes(mode, state);
    }
    QIconEngine *clone() const override { return new StyleIconEngine(m_which); }
    QString key() const override { return QStringLiteral("quizStyleIcon"); }

private:
    const QIcon &icon()
    {
        if (m_icon.isNull())
            m_icon = QApplication::style()->standardIcon(m_which);
        return m_icon;
    }

    QStyle::StandardPixmap m_which;
    QIcon m_icon;
};

} // namespace

QIcon styleIcon(QStyle::StandardPixmap which)
{
    return QIcon(new StyleIconEngine(which));
}
