#pragma once

#include "core/records/resultstable.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QVector>

/// The children's grid as a read-only table model over a ResultsTable:
/// columns No, Name, Ok, NotOk, blank for empty counts.
///
/// It stays quick with a very large table: only the list of keys is read
/// (and only when a view first asks for it); names and counts are read a
/// block of rows at a time as the view shows them, and only a bounded number
/// of blocks is kept. It follows the table's inserts, updates and deletes.
class ResultsModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column { NoColumn, NameColumn, OkColumn, NotOkColumn, ColumnCount };
    static constexpr int BlockSize = 128;
    static constexpr int MaxBlocks = 32;

    explicit ResultsModel(ResultsTable &table, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    /// The title of a column, as the grid and the exported sheet show it.
    static QString columnTitle(int column);
    /// The row showing the record with this No, or -1.
    int rowOf(int no) const;
    /// The No shown in this row, or 0.
    int noAt(int row) const;
    /// The last read failure, empty when every read worked.
    QString lastError() const { return m_lastError; }

private:
    void ensureKeys() const;
    const ChildRecord *recordAt(int row) const;
    void dropBlocksFrom(int row);
    void reload();
    void onInserted(int no);
    void onUpdated(int no);
    void onRemoved(int no);

    ResultsTable &m_table;
    mutable bool m_keysLoaded = false;
    mutable QVector<int> m_keys;
    mutable QHash<int, QVector<ChildRecord>> m_blocks;
    mutable QString m_lastError;
};
