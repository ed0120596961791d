#include "app/radiogroup.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

RadioGroup::RadioGroup(const QString &caption, const QStringList &items, QWidget *parent)
    : QGroupBox(caption, parent), m_buttons(new QButtonGroup(this))
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(0);
    for (int i = 0; i < items.size(); ++i) {
        auto *button = new QRadioButton(items.at(i), this);
        m_buttons->addButton(button, i);
        layout->addWidget(button);
    }
    // Exclusive groups cannot show "no selection"; the group keeps it itself.
    m_buttons->setExclusive(false);
    connect(m_buttons, &QButtonGroup::idClicked, this, &RadioGroup::userChose);
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
