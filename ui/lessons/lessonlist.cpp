#include "ui/lessons/lessonlist.h"
#include "ui/common/styleicon.h"

#include "core/settings/currentlessonfile.h"
#include "core/settings/lessonfoldermodel.h"
#include "core/settings/lessonlibrary.h"
#include "ui/dialogs/dialogs.h"

#include <QItemSelectionModel>
#include <QListView>
#include <QScopedValueRollback>
#include <QStyle>

LessonList::LessonList(QListView *view)
    : QObject(view), m_view(view), m_model(new LessonFolderModel(this))
{
    m_model->setFolderIcon(styleIcon(QStyle::SP_DirIcon));
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

    connect(m_view->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (!m_quiet)
            emit selectionChanged();
    });
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

std::optional<QString> LessonList::pickedLesson(Dialogs &dialogs) const
{
    const std::optional<QString> name = selectedName();
    QString refused;
    // A folder made by hand under a name the current-lesson file cannot hold
    // could never be found again after a restart.
    if (name && CurrentLessonFile::toBytes(*name, &refused).isEmpty()) {
        dialogs.showMessage(refused);
        return std::nullopt;
    }
    return name.value_or(LessonLibrary::automaticName());
}

std::optional<QString> LessonList::createLesson(Dialogs &dialogs, const LessonLibrary &library)
{
    std::optional<QString> name;
    // Asked until the name can be a lesson; a cancelled box ends it all.
    while ((name = dialogs.askText(LessonLibrary::newLessonCaption(), LessonLibrary::newLessonPrompt(),
                                   QString()))) {
        const Result check = LessonLibrary::checkName(*name);
        if (check)
            break;
        dialogs.showMessage(check.text);
    }
    if (!name)
        return std::nullopt;
    // A lesson whose name differs only in letter case is the same lesson:
    // it is replaced and made current under the name it has on disk.
    const QString lesson = library.lessonNameFor(*name);
    const Result created = library.createLesson(lesson);
    refresh();
    if (!created) {
        dialogs.showMessage(created.text);
        return std::nullopt;
    }
    // The row picked before is no longer the lesson on screen: left marked,
    // the delete button would offer it.
    {
        const QScopedValueRollback quiet(m_quiet, true);
        clearSelection();
    }
    return lesson;
}

void LessonList::deleteSelected(Dialogs &dialogs, const LessonLibrary &library)
{
    const std::optional<QString> name = selectedName();
    if (!name) {
        dialogs.showMessage(LessonLibrary::chooseLessonToDeleteText());
        return;
    }
    if (!dialogs.confirm(LessonLibrary::confirmDeleteText(*name)))
        return;
    // A folder that keeps a sub-folder stays, without a word; the list shows it.
    static_cast<void>(library.deleteLesson(*name));
    refresh();
    clearSelection();
}
