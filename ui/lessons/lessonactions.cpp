#include "ui/lessons/lessonactions.h"

#include "ui/lessons/lessontransfer.h"

#include <QAction>
#include <QMenu>
#include <QToolButton>

LessonActions::LessonActions(QWidget *area)
    : QObject(area)
{
    m_button = new QToolButton(area);
    m_button->setObjectName(QStringLiteral("LessonMoreButton"));
    m_button->setText(QStringLiteral(u"المزيد"));
    m_button->setToolTip(QStringLiteral(u"تصدير الدرس واستيراده، ودروس بمقاطعها"));
    m_button->setAccessibleName(m_button->toolTip());
    m_button->setPopupMode(QToolButton::InstantPopup);
    m_button->setGeometry(86, 59, 42, 22);
    // The word fits the narrow place beside the lesson buttons.
    QFont small = m_button->font();
    small.setPixelSize(11);
    m_button->setFont(small);
    // The menu's arrow would cover the word at this width.
    m_button->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; width: 0px; }"));
    auto *menu = new QMenu(m_button);
    menu->setLayoutDirection(Qt::RightToLeft);
    m_export = menu->addAction(LessonTransfer::exportCaption());
    m_export->setObjectName(QStringLiteral("ExportLesson"));
    m_import = menu->addAction(LessonTransfer::importCaption());
    m_import->setObjectName(QStringLiteral("ImportLesson"));
    menu->addSeparator();
    m_selfContained = menu->addAction(selfContainedCaption());
    m_selfContained->setObjectName(QStringLiteral("SelfContainedLessons"));
    m_selfContained->setCheckable(true);
    m_button->setMenu(menu);
}

QString LessonActions::selfContainedCaption()
{
    return QStringLiteral(u"كل درس بمقاطعه وإعداداته");
}
