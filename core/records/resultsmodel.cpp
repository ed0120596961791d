#include "core/records/resultsmodel.h"

#include "core/base/plaintext.h"

#include <algorithm>

ResultsModel::ResultsModel(ResultsTable &table, QObject *parent)
    : QAbstractTableModel(parent), m_table(table)
{
    connect(&m_table, &ResultsTable::reloaded, this, &ResultsModel::reload);
    connect(&m_table, &ResultsTable::recordInserted, this, &ResultsModel::onInserted);
    connect(&m_table, &ResultsTable::recordUpdated, this, &ResultsModel::onUpdated);
    connect(&m_table, &ResultsTable::recordRemoved, this, &ResultsModel::onRemoved);
}

void ResultsModel::ensureKeys() const
{
    if (m_keysLoaded)
        return;
    m_keysLoaded = true;
    const Result read = m_table.keys(&m_keys);
    if (!read)
        m_lastError = read.text;
}

int ResultsModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    ensureKeys();
    return int(m_keys.size());
}

int ResultsModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

int ResultsModel::rowOf(int no) const
{
    ensureKeys();
    const auto it = std::lower_bound(m_keys.cbegin(), m_keys.cend(), no);
    return it != m_keys.cend() && *it == no ? int(it - m_keys.cbegin()) : -1;
}

int ResultsModel::noAt(int row) const
{
    ensureKeys();
    return row >= 0 && row < m_keys.size() ? m_keys.at(row) : 0;
}

// Reads the block of rows that holds `row` when it is not already kept.
const ChildRecord *ResultsModel::recordAt(int row) const
{
    if (row < 0 || row >= m_keys.size())
        return nullptr;
    const int block = row / BlockSize;
    auto it = m_blocks.find(block);
    if (it == m_blocks.end()) {
        if (m_blocks.size() >= MaxBlocks)
            m_blocks.clear();
        const int start = block * BlockSize;
        const int end = std::min<int>(start + BlockSize, m_keys.size()) - 1;
        QVector<ChildRecord> stored;
        const Result read = m_table.records(m_keys.at(start), m_keys.at(end), &stored);
        if (!read)
            m_lastError = read.text;
        // Line the stored rows up with the keys; a key whose record has gone
        // shows as an empty row rather than shifting the others.
        QVector<ChildRecord> rows(end - start + 1);
        int s = 0;
        for (int i = 0; i < rows.size(); ++i) {
            const int no = m_keys.at(start + i);
            while (s < stored.size() && stored.at(s).no < no)
                ++s;
            if (s < stored.size() && stored.at(s).no == no)
                rows[i] = stored.at(s);
            else
                rows[i].no = no;
        }
        it = m_blocks.insert(block, rows);
    }
    return &it.value().at(row - block * BlockSize);
}

QVariant ResultsModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.column() >= ColumnCount)
        return QVariant();
    if (role != Qt::DisplayRole && role != Qt::ToolTipRole)
        return QVariant();
    ensureKeys();
    const ChildRecord *record = recordAt(index.row());
    if (!record)
        return QVariant();
    QVariant value;
    switch (index.column()) {
    case NoColumn: value = record->no; break;
    case NameColumn: value = record->name; break;
    case OkColumn: value = record->ok; break;
    case NotOkColumn: value = record->notOk; break;
    }
    // Empty counts show blank, not 0.
    if (value.isNull())
        return QVariant();
    // A tooltip takes markup whenever a name looks like it.
    if (role == Qt::ToolTipRole && index.column() == NameColumn)
        return PlainText::toolTip(value.toString());
    return value;
}

QVariant ResultsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return QVariant();
    if (orientation == Qt::Vertical)
        return section + 1;
    const QString title = columnTitle(section);
    return title.isEmpty() ? QVariant() : QVariant(title);
}

QString ResultsModel::columnTitle(int column)
{
    switch (column) {
    case NoColumn: return QStringLiteral("م");
    case NameColumn: return QStringLiteral("الاسم");
    case OkColumn: return QStringLiteral("الإجابات الصحيحة");
    case NotOkColumn: return QStringLiteral("الإجابات الخاطئة");
    }
    return QString();
}

Qt::ItemFlags ResultsModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

void ResultsModel::dropBlocksFrom(int row)
{
    const int first = row / BlockSize;
    for (auto it = m_blocks.begin(); it != m_blocks.end();) {
        if (it.key() >= first)
            it = m_blocks.erase(it);
        else
            ++it;
    }
}

void ResultsModel::reload()
{
    beginResetModel();
    m_keysLoaded = false;
    m_keys.clear();
    m_blocks.clear();
    m_lastError.clear();
    endResetModel();
}

void ResultsModel::onInserted(int no)
{
    if (!m_keysLoaded)
        return; // the keys, when read, will hold it
    const auto it = std::lower_bound(m_keys.begin(), m_keys.end(), no);
    if (it != m_keys.end() && *it == no)
        return;
    const int row = int(it - m_keys.begin());
    beginInsertRows(QModelIndex(), row, row);
    m_keys.insert(row, no);
    dropBlocksFrom(row);
    endInsertRows();
}

void ResultsModel::onUpdated(int no)
{
    if (!m_keysLoaded)
        return;
    const int row = rowOf(no);
    if (row < 0)
        return;
    m_blocks.remove(row / BlockSize);
    emit dataChanged(index(row, 0), index(row, ColumnCount - 1));
}

void ResultsModel::onRemoved(int no)
{
    if (!m_keysLoaded)
        return;
    const int row = rowOf(no);
    if (row < 0)
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_keys.remove(row);
    dropBlocksFrom(row);
    endRemoveRows();
}
