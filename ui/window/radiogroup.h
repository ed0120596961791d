#pragma once

#include <QGroupBox>

#include <functional>

class QButtonGroup;

/// A captioned group of radio buttons that reports a change, not a click: its
/// handler runs whenever the selected index changes, whether the user chose
/// an item or the program set the index, and never when the same item is
/// chosen again. Index -1 means no item is selected.
class RadioGroup : public QGroupBox
{
    Q_OBJECT
public:
    RadioGroup(const QString &caption, const QStringList &items, QWidget *parent = nullptr);

    int itemIndex() const { return m_index; }
    int itemCount() const;
    /// Brings the value into range (below -1 gives -1, beyond the last item
    /// the last item), then runs the handler if the index changed. The
    /// handler's exceptions reach the caller.
    void setItemIndex(int index);

    void setChangeHandler(std::function<void()> handler) { m_handler = std::move(handler); }
    /// Runs the handler on behalf of a user's choice, so that the window can
    /// report its errors (the user's click has no caller to return them to).
    void setUserRunner(std::function<void(const std::function<void()> &)> runner)
    {
        m_runner = std::move(runner);
    }

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void userChose(int index);
    void showIndex();

    QButtonGroup *m_buttons;
    int m_index = -1;
    std::function<void()> m_handler;
    std::function<void(const std::function<void()> &)> m_runner;
};
