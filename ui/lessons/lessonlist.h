#pragma once

#include "core/base/result.h"

#include <QObject>
#include <QString>

#include <optional>

class LessonFolderModel;
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

signals:
    /// An entry was selected or deselected, by the user or by clearSelection().
    void selectionChanged();

private:
    QListView *m_view;
    LessonFolderModel *m_model;
};
