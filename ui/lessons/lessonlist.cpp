#include "ui/lessons/lessonlist.h"

#include "core/settings/lessonfoldermodel.h"

#include <QItemSelectionModel>
#include <QListView>
#include <QStyle>

LessonList::LessonList(QListView *view)
    : QObject(view), m_view(view), m_model(new LessonFolderModel(this))
{
    m_model->setFolderIcon(view->style()->standardIcon(QStyle::SP_DirIcon));
    m_view->setModel(m_model);
    m_view->setViewMode(QListView::ListMode);
    m_view->setSelectionMode(QAbstractItemView::SingleSelection);
    m_view->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_view->setUniformItemSizes(true); // a thousand lessons lay out at once
    // Renaming in place, never on a double click: that opens nothing.
    m_view->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);

    // The selected lesson stays marked while the teacher works elsewhere.
    QPalette pal = m_view->palette();
    for (QPalette::ColorRole role : {QPalette::Highlight, QPalette::HighlightedText})
        pal.setColor(QPalette::Inactive, role, pal.color(QPalette::Active, role));
    m_view->setPalette(pal);

    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &LessonList::selectionChanged);
}

Result LessonList::setRoot(const QString &folder)
{
    return m_model->setRootPath(folder);
}

void LessonList::refresh()
{
    m_model->refresh();
}

std::optional<QString> LessonList::selectedName() const
{
    const QModelIndexList rows = m_view->selectionModel()->selectedRows();
    if (rows.isEmpty())
        return std::nullopt;
    return m_model->nameAt(rows.first().row());
}

void LessonList::clearSelection()
{
    m_view->selectionModel()->clear();
}
