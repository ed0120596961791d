#pragma once

#include <QWidget>

class QTableView;
class ResultsModel;
class ResultsTable;

/// The grid of all children with its navigator above it (first, prior,
/// next, last). The grid's cursor and the table's are one: a row chosen in
/// the grid makes that child current, and a change of the current child
/// selects its row.
class ChildrenGrid : public QWidget
{
    Q_OBJECT
public:
    explicit ChildrenGrid(ResultsTable &table, QWidget *parent = nullptr);

private:
    void buildNavigator();
    void bindGrid();
    void syncGrid();

    ResultsTable &m_table;
    ResultsModel *DataSource1;
    QWidget *DBNavigator1;
    QTableView *DBGrid1;
};
