#include "core/settings/lessonfoldermodel.h"

#include "core/base/bidi.h"
#include "core/base/plaintext.h"
#include "core/settings/lessonlibrary.h"

#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

#include <algorithm>

namespace {

// Orders names as people read them: letters without regard to case, and a
// run of digits by its value, so that "درس 2" comes before "درس 10" in any
// locale (the system's collation may be the plain "C" one).
int naturalCompare(const QString &a, const QString &b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a.at(i).isDigit() && b.at(j).isDigit()) {
            qsizetype ei = i;
            qsizetype ej = j;
            while (ei < a.size() && a.at(ei).isDigit())
                ++ei;
            while (ej < b.size() && b.at(ej).isDigit())
                ++ej;
            // Without leading zeros, the longer run is the larger number.
            qsizetype si = i;
            qsizetype sj = j;
            while (si + 1 < ei && a.at(si).digitValue() == 0)
                ++si;
            while (sj + 1 < ej && b.at(sj).digitValue() == 0)
                ++sj;
            if (ei - si != ej - sj)
                return ei - si < ej - sj ? -1 : 1;
            for (; si < ei; ++si, ++sj) {
                if (a.at(si).digitValue() != b.at(sj).digitValue())
                    return a.at(si).digitValue() < b.at(sj).digitValue() ? -1 : 1;
            }
            i = ei;
            j = ej;
            continue;
        }
        const char16_t ca = a.at(i).toCaseFolded().unicode();
        const char16_t cb = b.at(j).toCaseFolded().unicode();
        if (ca != cb)
            return ca < cb ? -1 : 1;
        ++i;
        ++j;
    }
    if (i < a.size())
        return 1;
    if (j < b.size())
        return -1;
    return 0;
}

} // namespace

LessonFolderModel::LessonFolderModel(QObject *parent)
    : QAbstractListModel(parent),
      m_watcher(new QFileSystemWatcher(this)),
      m_settle(new QTimer(this))
{
    m_settle->setSingleShot(true);
    m_settle->setInterval(SettleMs);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, m_settle, qOverload<>(&QTimer::start));
    connect(m_settle, &QTimer::timeout, this, &LessonFolderModel::refresh);
}

LessonFolderModel::~LessonFolderModel() = default;

Result LessonFolderModel::setRootPath(const QString &path)
{
    const QString root = QDir::cleanPath(path);
    if (!QFileInfo(root).isDir())
        return Result::failure(QStringLiteral(u"المجلد غير موجود: ") + Bidi::path(path));
    if (root != m_root) {
        if (!m_root.isEmpty())
            m_watcher->removePath(m_root);
        m_root = root;
        beginResetModel();
        m_names.clear();
        endResetModel();
    }
    // A folder that was removed and made again has to be watched anew.
    if (!m_watcher->directories().contains(m_root))
        m_watcher->addPath(m_root);
    refresh();
    return Result::success();
}

void LessonFolderModel::refresh()
{
    // A view told of a row change may react by asking for the folder again
    // (a removed selection chooses another lesson, which loads the settings):
    // the rows must not change under the change being reported, so that
    // reading waits for the next turn of the event loop.
    if (m_applying) {
        m_settle->start();
        return;
    }
    m_settle->stop();
    m_applying = true;
    applyNames(readFolder());
    m_applying = false;
}

QStringList LessonFolderModel::readFolder() const
{
    if (m_root.isEmpty())
        return {};
    // Dot folders stay out; links to folders inside the Data folder are
    // listed as the folders they stand for, links leading out of it are not.
    QStringList names = LessonLibrary::lessonFolders(m_root);
    std::sort(names.begin(), names.end(),
              [this](const QString &a, const QString &b) { return lessThan(a, b); });
    return names;
}

bool LessonFolderModel::lessThan(const QString &a, const QString &b) const
{
    // Names read as equal ("a" and "A", "7" and "07") still get one order.
    const int c = naturalCompare(a, b);
    return c != 0 ? c < 0 : a < b;
}

int LessonFolderModel::insertionRow(const QString &name) const
{
    const auto it = std::lower_bound(m_names.cbegin(), m_names.cend(), name,
                                     [this](const QString &a, const QString &b) { return lessThan(a, b); });
    return int(it - m_names.cbegin());
}

void LessonFolderModel::applyNames(const QStringList &sorted)
{
    if (sorted == m_names)
        return;
    if (m_names.isEmpty() || sorted.isEmpty()) {
        beginResetModel();
        m_names = sorted;
        endResetModel();
        return;
    }
    // Both lists are sorted: walk them together, removing what went and
    // inserting what came, so that the rows in between keep their selection.
    int row = 0;
    int i = 0;
    while (row < m_names.size() || i < sorted.size()) {
        if (i == sorted.size() || (row < m_names.size() && lessThan(m_names.at(row), sorted.at(i)))) {
            beginRemoveRows(QModelIndex(), row, row);
            m_names.removeAt(row);
            endRemoveRows();
        } else if (row == m_names.size() || lessThan(sorted.at(i), m_names.at(row))) {
            // Gather a run of new names into one insertion.
            int last = i;
            while (last + 1 < sorted.size()
                   && (row == m_names.size() || lessThan(sorted.at(last + 1), m_names.at(row))))
                ++last;
            beginInsertRows(QModelIndex(), row, row + last - i);
            for (int k = i; k <= last; ++k)
                m_names.insert(row + k - i, sorted.at(k));
            endInsertRows();
            row += last - i + 1;
            i = last + 1;
        } else {
            ++row;
            ++i;
        }
    }
}

QString LessonFolderModel::nameAt(int row) const
{
    return row >= 0 && row < m_names.size() ? m_names.at(row) : QString();
}

int LessonFolderModel::rowOf(const QString &name) const
{
    const int row = insertionRow(name);
    return row < m_names.size() && m_names.at(row) == name ? row : -1;
}

int LessonFolderModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_names.size());
}

QVariant LessonFolderModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_names.size())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        // A folder made by hand elsewhere is listed under its name as a
        // lesson name may be; choosing it still takes the folder itself.
        return PlainText::cleanText(m_names.at(index.row()), LessonLibrary::NameLength);
    case Qt::EditRole:
        return m_names.at(index.row());
    case Qt::DecorationRole:
        return m_icon.isNull() ? QVariant() : QVariant(m_icon);
    default:
        return {};
    }
}

Qt::ItemFlags LessonFolderModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsSelectable | Qt::ItemIsEnabled | Qt::ItemIsEditable | Qt::ItemNeverHasChildren;
}

bool LessonFolderModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::EditRole || !index.isValid() || index.row() >= m_names.size())
        return false;
    const QString oldName = m_names.at(index.row());
    const QString newName = value.toString();
    if (newName == oldName || !m_renameHandler || !m_renameHandler(oldName, newName))
        return false;
    // The handler may have shown a message meanwhile; find the row again.
    const int from = rowOf(oldName);
    if (from < 0)
        return true; // the folder list was read again meanwhile
    m_applying = true;
    m_names[from] = newName;
    const QModelIndex changed = this->index(from);
    emit dataChanged(changed, changed);
    // Move the row to its sorted place; a move keeps its selection.
    QStringList rest = m_names;
    rest.removeAt(from);
    const auto it = std::lower_bound(rest.cbegin(), rest.cend(), newName,
                                     [this](const QString &a, const QString &b) { return lessThan(a, b); });
    const int to = int(it - rest.cbegin());
    if (to != from) {
        beginMoveRows(QModelIndex(), from, from, QModelIndex(), to > from ? to + 1 : to);
        m_names.move(from, to);
        endMoveRows();
    }
    m_applying = false;
    return true;
}
