#pragma once

#include "core/base/result.h"

#include <QAbstractListModel>
#include <QIcon>
#include <QStringList>

#include <functional>

class QFileSystemWatcher;
class QTimer;

/// The lesson folders as a list: the folders directly inside a root folder,
/// hidden ones (names starting with a dot, such as a lesson still being
/// filled) left out, sorted for people (numbers by value). The list follows
/// the disk: a folder made, removed or renamed by any program shows a moment
/// later, and refresh() shows the program's own changes at once. Rows change
/// one by one, so a selected folder stays selected while others come and go.
///
/// Names are editable; an edit asks the rename handler, which renames the
/// folder on disk (and may refuse). A renamed row moves to its new place and
/// keeps its selection.
class LessonFolderModel : public QAbstractListModel
{
    Q_OBJECT
public:
    using RenameHandler = std::function<bool(const QString &oldName, const QString &newName)>;

    explicit LessonFolderModel(QObject *parent = nullptr);
    ~LessonFolderModel() override;

    /// Lists and watches the folder. Fails, naming the path, when it is no
    /// existing folder; the model then keeps its previous root. Setting the
    /// root it already has only reads the folder again.
    Result setRootPath(const QString &path);
    QString rootPath() const { return m_root; }

    /// Reads the root folder again now and applies the differences.
    void refresh();

    QString nameAt(int row) const;
    /// The row of the folder, or -1.
    int rowOf(const QString &name) const;
    QStringList names() const { return m_names; }

    void setRenameHandler(RenameHandler handler) { m_renameHandler = std::move(handler); }
    void setFolderIcon(const QIcon &icon) { m_icon = icon; }

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    /// How long changes on disk are gathered before the list is read again:
    /// copying many folders at once then costs one reading.
    static constexpr int SettleMs = 50;

private:
    QStringList readFolder() const;
    bool lessThan(const QString &a, const QString &b) const;
    int insertionRow(const QString &name) const;
    void applyNames(const QStringList &sorted);

    QString m_root;
    QStringList m_names;
    QIcon m_icon;
    RenameHandler m_renameHandler;
    QFileSystemWatcher *m_watcher;
    QTimer *m_settle;
    bool m_applying = false;
};
