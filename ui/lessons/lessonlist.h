#pragma once

#include "core/base/result.h"

#include <QObject>
#include <QString>

#include <optional>

class Dialogs;
class LessonFolderModel;
class LessonLibrary;
class QListView;

/// The lesson list on the options pane: puts a LessonFolderModel into the
/// window's list view and offers the operations the lesson handlers use.
/// The view shows a plain list, keeps its selection visible when it loses
/// the focus, opens nothing on a double click and lets a name be edited in
/// place (F2, or a click on the selected entry).
class LessonList : public QObject
{
    Q_OBJECT
public:
    explicit LessonList(QListView *view);

    LessonFolderModel *model() const { return m_model; }
    QListView *view() const { return m_view; }

    /// The Data folder becomes the list's root; fails, naming the path, when
    /// it does not exist (the list then keeps its previous root).
    Result setRoot(const QString &folder);
    /// Shows the disk as it is now, without waiting for the change watch.
    void refresh();

    /// The name of the selected folder, or nothing.
    std::optional<QString> selectedName() const;
    /// Clears the selection; selectionChanged() follows when something was
    /// selected.
    void clearSelection();

    // The teacher's steps with the lesson buttons; the window makes the
    // lesson current.

    /// The lesson the teacher picked (the automatic one for no selection);
    /// nothing, with a message, for a folder whose name the current-lesson
    /// file could not hold.
    std::optional<QString> pickedLesson(Dialogs &dialogs) const;
    /// Asks for a name until it can be a lesson and makes the lesson, leaving
    /// nothing picked in the list; its name as it is on disk, or nothing when the box was cancelled or the lesson could not
    /// be made (told).
    std::optional<QString> createLesson(Dialogs &dialogs, const LessonLibrary &library);
    /// Deletes the selected lesson once the teacher confirms; Cancel changes
    /// nothing.
    void deleteSelected(Dialogs &dialogs, const LessonLibrary &library);

signals:
    /// An entry was selected or deselected, by the user or by clearSelection().
    void selectionChanged();

private:
    QListView *m_view;
    LessonFolderModel *m_model;
    /// Set while the list changes its selection on its own, which is no pick.
    bool m_quiet = false;
};
