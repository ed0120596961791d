#pragma once

#include <QObject>

class QAction;
class QToolButton;
class QWidget;

/// The lessons area's further steps, behind one button beside the lesson
/// buttons: export the lesson, import one, and the choice that named
/// lessons carry their own clips and settings.
class LessonActions : public QObject
{
    Q_OBJECT
public:
    explicit LessonActions(QWidget *area);

    QToolButton *button() const { return m_button; }
    QAction *exportAction() const { return m_export; }
    QAction *importAction() const { return m_import; }
    /// Checkable; the window sets it from the Data folder's file at each load.
    QAction *selfContainedAction() const { return m_selfContained; }

    static QString selfContainedCaption();

private:
    QToolButton *m_button;
    QAction *m_export;
    QAction *m_import;
    QAction *m_selfContained;
};
