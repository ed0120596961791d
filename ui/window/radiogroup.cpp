#include "ui/window/radiogroup.h"

#include <QButtonGroup>
#include <QRadioButton>

RadioGroup::RadioGroup(const QString &caption, const QStringList &items, QWidget *parent)
    : QGroupBox(caption, parent), m_buttons(new QButtonGroup(this))
{
    for (int i = 0; i < items.size(); ++i)
        m_buttons->addButton(new QRadioButton(items.at(i), this), i);
    // Exclusive groups cannot show "no selection"; the group keeps it itself.
    m_buttons->setExclusive(false);
    connect(m_buttons, &QButtonGroup::idClicked, this, &RadioGroup::userChose);
}

void RadioGroup::resizeEvent(QResizeEvent *event)
{
    QGroupBox::resizeEvent(event);
    // The items share the room under the caption evenly, however small the
    // group is; a box layout would let them overlap instead.
    const QList<QAbstractButton *> buttons = m_buttons->buttons();
    if (buttons.isEmpty())
        return;
    const int top = fontMetrics().height();
    const int rowHeight = std::max(1, (height() - top - 2) / int(buttons.size()));
    for (QAbstractButton *b : buttons)
        b->setGeometry(4, top + m_buttons->id(b) * rowHeight, width() - 8, rowHeight);
}

int RadioGroup::itemCount() const
{
    return int(m_buttons->buttons().size());
}

void RadioGroup::setItemIndex(int index)
{
    index = std::max(-1, std::min(index, itemCount() - 1));
    if (index == m_index)
        return;
    m_index = index;
    showIndex();
    if (m_handler)
        m_handler();
}

void RadioGroup::userChose(int index)
{
    if (index == m_index) {
        showIndex(); // a click on the selected item must not clear it
        return;
    }
    m_index = index;
    showIndex();
    if (!m_handler)
        return;
    if (m_runner)
        m_runner(m_handler);
    else
        m_handler();
}

void RadioGroup::showIndex()
{
    const QList<QAbstractButton *> buttons = m_buttons->buttons();
    for (QAbstractButton *b : buttons) {
        const QSignalBlocker block(b);
        b->setChecked(m_buttons->id(b) == m_index);
    }
}
