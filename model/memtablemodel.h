#pragma once

#include <model/columnspec.h>
#include <model/memtable.h>

#include <QAbstractTableModel>
#include <QPointer>
#include <QVector>

// Shows a table's visible rows to item views: the columns a list of column specs names,
// or one per field without one. Edits are ordinary writes, so the field's rule runs. A
// lookup column offers its key (KeyRole) and the (key, name) pairs of its reference list
// (ChoicesRole), and is edited by key, so that two codes with one name stay apart; an
// edit by name (EditRole) takes the first code of that name. A lookup into another
// configuration table changes with it. A data field takes only what its input check
// passes, and takes it as the check reads it.
class MemTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Role {
        KeyRole = Qt::UserRole + 1,
        ChoicesRole, // QVariantList of QVariantList { key, name }
    };

    explicit MemTableModel(MemTable *table, QObject *parent = nullptr);
    MemTableModel(MemTable *table, QVector<ColumnSpec> columns, QObject *parent = nullptr);

    MemTable *table() const { return m_table; }
    // How a column is shown; for a model without a list, made from the field.
    ColumnSpec columnSpec(int column) const;
    // What an editor of a column's data field may take.
    InputCheck inputCheck(int column) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // A lookup cell takes the next of its choices, after the last the first (a key not
    // among them, the first); false when the cell cannot change.
    bool stepToNextChoice(const QModelIndex &index);

    // What an edit of the cell is called as a step of the history: its column's title and
    // the row's zone, module, device or output, e.g. "Имя зоны 7", "Адрес 3.17".
    QString stepName(const QModelIndex &index) const;

signals:
    // A person's edit of a cell is about to be stored.
    void aboutToEdit(const QString &stepName);

private:
    int fieldOf(int column) const;
    // A lookup that reads another table shows anew whatever that table's rows now say.
    void followLookupSources();
    void sourceChanged(const MemTable *source);

    QPointer<MemTable> m_table;
    QVector<ColumnSpec> m_columns; // empty: one column per field
};
