#pragma once

#include <model/columnspec.h>

#include <QTableView>

class BandedHeader;
class MemTable;
class MemTableModel;

// The grid of every page: a table shown as its grid description says — banded titles, the
// row indicator, the columns' widths, pictures, marks and lookups, and how each column is
// edited. The grid's current row and the table's current row follow each other.
//
// A column of NaturalWidth is as wide as the field's values (its size in characters, ten
// for numbers) or its lowest title, whichever is wider. A double-click on a stepping
// column sets the next of its choices, after the last the first, without an editor.
// Scrolled sideways, it moves a whole column at a time and starts with a whole column,
// also at the end, where room may be left after the last. A grid of whole rows stays where
// it stands sideways when only its current row moves (a click on a mark, a mark title).
class DataGrid : public QTableView
{
    Q_OBJECT

public:
    DataGrid(const GridSpec &grid, MemTable &table, QWidget *parent = nullptr);

    const GridSpec &grid() const { return m_grid; }
    MemTable &table() const { return m_table; }
    MemTableModel *tableModel() const { return m_model; }
    BandedHeader *bandedHeader() const { return m_header; }

    using QTableView::edit;

signals:
    // After every key press and release and every mouse button press and release on the
    // grid, once the grid has handled it: the table's current row is the one now shown.
    void followed();

protected:
    bool edit(const QModelIndex &index, EditTrigger trigger, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void changeEvent(QEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void currentChanged(const QModelIndex &current, const QModelIndex &previous) override;
    void updateGeometries() override;

private:
    void setUpIndicator();
    void setUpColumns();
    void fitToFont();
    void keepFirstColumnWhole();

    const GridSpec m_grid;
    MemTable &m_table;
    MemTableModel *m_model;
    BandedHeader *m_header;
};
