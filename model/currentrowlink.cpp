#include <model/currentrowlink.h>

#include <model/memtable.h>

#include <QItemSelectionModel>

CurrentRowLink::CurrentRowLink(MemTable &table, QItemSelectionModel &selection, Selection selects,
                               QObject *parent)
    : QObject(parent), m_table(table), m_selection(selection), m_selects(selects)
{
    connect(&table, &MemTable::currentRowChanged, this, &CurrentRowLink::showTableRow);
    connect(&selection, &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) { moveTableTo(current.isValid() ? current.row() : -1); });
    showTableRow(table.recNo() - 1);
}

void CurrentRowLink::showTableRow(int visibleRow)
{
    const QAbstractItemModel *model = m_selection.model();
    if (!model || m_selection.currentIndex().row() == visibleRow)
        return;
    if (visibleRow < 0 || visibleRow >= model->rowCount()) {
        m_selection.clearCurrentIndex();
        return;
    }
    const int column = qMax(0, m_selection.currentIndex().column());
    const QItemSelectionModel::SelectionFlags flags = m_selects == Selection::Row
            ? QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows
            : QItemSelectionModel::ClearAndSelect;
    m_selection.setCurrentIndex(model->index(visibleRow, column), flags);
}

void CurrentRowLink::moveTableTo(int row)
{
    // Each side stops when the other is already there, so the two never chase each other.
    if (row >= 0 && m_table.recNo() != row + 1)
        m_table.setRecNo(row + 1);
}
