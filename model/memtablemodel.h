#pragma once

#include <QAbstractTableModel>
#include <QPointer>

class MemTable;

// Shows a table's visible rows to item views: one column per field. Edits are
// ordinary writes, so the field's rule runs; a lookup column with a reference list
// takes one of its names and writes the matching code into the key field.
class MemTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit MemTableModel(MemTable *table, QObject *parent = nullptr);

    MemTable *table() const { return m_table; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QPointer<MemTable> m_table;
};
