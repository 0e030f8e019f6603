#pragma once

#include <QObject>

class MemTable;
class QItemSelectionModel;

// Keeps a grid's current row and its table's cursor in step both ways: a click moves
// the cursor, a move of the cursor (a search, a locate) moves the grid. The column the
// grid is on stays where it is.
class CurrentRowLink : public QObject
{
    Q_OBJECT

public:
    enum class Selection { Cell, Row }; // what a grid highlights on its current row

    CurrentRowLink(MemTable &table, QItemSelectionModel &selection, Selection selects = Selection::Row,
                   QObject *parent = nullptr);

private:
    void showTableRow(int visibleRow);
    void moveTableTo(int row);

    MemTable &m_table;
    QItemSelectionModel &m_selection;
    const Selection m_selects;
};
