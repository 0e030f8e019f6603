#include <model/memtablemodel.h>

#include <model/memtable.h>
#include <model/referencetables.h>

MemTableModel::MemTableModel(MemTable *table, QObject *parent)
    : QAbstractTableModel(parent), m_table(table)
{
    Q_ASSERT(table);
    connect(table, &MemTable::aboutToReset, this, &MemTableModel::beginResetModel);
    connect(table, &MemTable::reset, this, &MemTableModel::endResetModel);
    connect(table, &MemTable::rowChanged, this, [this](int row) {
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    });
    connect(table, &QObject::destroyed, this, [this] {
        beginResetModel();
        endResetModel();
    });
}

int MemTableModel::rowCount(const QModelIndex &parent) const
{
    return (parent.isValid() || !m_table) ? 0 : m_table->recordCount();
}

int MemTableModel::columnCount(const QModelIndex &parent) const
{
    return (parent.isValid() || !m_table) ? 0 : int(m_table->fields().size());
}

QVariant MemTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !m_table || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const FieldDef &field = m_table->fields().at(index.column());
    const QVariant value = m_table->visibleValue(index.row(), index.column());
    if (field.type == FieldType::Boolean && field.isData()) {
        if (role == Qt::CheckStateRole)
            return value.toBool() ? Qt::Checked : Qt::Unchecked;
        return {};
    }
    if (role == Qt::DisplayRole && field.type == FieldType::Time && !value.isNull())
        return value.toTime().toString(QStringLiteral("HH:mm"));
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return value;
    return {};
}

bool MemTableModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || !m_table || !checkIndex(index, CheckIndexOption::IndexIsValid)
        || !(flags(index) & (Qt::ItemIsEditable | Qt::ItemIsUserCheckable)))
        return false;
    const FieldDef &field = m_table->fields().at(index.column());
    if (field.isData() && field.type == FieldType::Boolean && role == Qt::CheckStateRole)
        return m_table->setVisibleValue(index.row(), index.column(),
                                        value.value<Qt::CheckState>() == Qt::Checked);
    if (role != Qt::EditRole)
        return false;
    if (field.isData())
        return m_table->setVisibleValue(index.row(), index.column(), value);
    if (field.kind == FieldKind::Lookup && field.reference) {
        const std::optional<int> code = field.reference->idOfName(value.toString());
        return code && m_table->setVisibleValue(index.row(), m_table->fieldIndex(field.keyField), *code);
    }
    return false;
}

Qt::ItemFlags MemTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid() || !m_table || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const FieldDef &field = m_table->fields().at(index.column());
    if (field.readOnly)
        return flags;
    if (field.isData() && field.type == FieldType::Boolean)
        return flags | Qt::ItemIsUserCheckable;
    if (field.isData() || (field.kind == FieldKind::Lookup && field.reference))
        flags |= Qt::ItemIsEditable;
    return flags;
}

QVariant MemTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole || !m_table)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    if (section < 0 || section >= m_table->fields().size())
        return {};
    return m_table->fields().at(section).name;
}
