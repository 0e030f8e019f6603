#include <model/memtablemodel.h>

#include <model/memtable.h>
#include <model/referencetables.h>
#include <model/tablefields.h>

#include <QSet>

MemTableModel::MemTableModel(MemTable *table, QObject *parent) : MemTableModel(table, {}, parent) { }

MemTableModel::MemTableModel(MemTable *table, QVector<ColumnSpec> columns, QObject *parent)
    : QAbstractTableModel(parent), m_table(table), m_columns(std::move(columns))
{
    Q_ASSERT(table);
    connect(table, &MemTable::aboutToReset, this, &MemTableModel::beginResetModel);
    connect(table, &MemTable::reset, this, &MemTableModel::endResetModel);
    connect(table, &MemTable::rowChanged, this, [this](int row) {
        emit dataChanged(index(row, 0), index(row, columnCount() - 1));
    });
    connect(table, &MemTable::rowAboutToBeInserted, this, [this](int row) { beginInsertRows({}, row, row); });
    connect(table, &MemTable::rowInserted, this, &MemTableModel::endInsertRows);
    connect(table, &MemTable::rowAboutToBeRemoved, this, [this](int row) { beginRemoveRows({}, row, row); });
    connect(table, &MemTable::rowRemoved, this, &MemTableModel::endRemoveRows);
    connect(table, &QObject::destroyed, this, [this] {
        beginResetModel();
        endResetModel();
    });
    followLookupSources();
}

void MemTableModel::followLookupSources()
{
    QSet<const MemTable *> sources;
    for (int column = 0; column < columnCount(); ++column) {
        if (const MemTable *source = m_table->fields().at(fieldOf(column)).source)
            sources.insert(source);
    }
    for (const MemTable *source : std::as_const(sources)) {
        const auto changed = [this, source] { sourceChanged(source); };
        connect(source, &MemTable::rowChanged, this, changed);
        connect(source, &MemTable::rowInserted, this, changed);
        connect(source, &MemTable::rowRemoved, this, changed);
        connect(source, &MemTable::reset, this, changed);
    }
}

void MemTableModel::sourceChanged(const MemTable *source)
{
    const int rows = rowCount();
    if (rows == 0)
        return;
    for (int column = 0; column < columnCount(); ++column) {
        if (m_table->fields().at(fieldOf(column)).source == source)
            emit dataChanged(index(0, column), index(rows - 1, column), { Qt::DisplayRole, Qt::EditRole });
    }
}

int MemTableModel::rowCount(const QModelIndex &parent) const
{
    return (parent.isValid() || !m_table) ? 0 : m_table->recordCount();
}

int MemTableModel::columnCount(const QModelIndex &parent) const
{
    if (parent.isValid() || !m_table)
        return 0;
    return int(m_columns.isEmpty() ? m_table->fields().size() : m_columns.size());
}

int MemTableModel::fieldOf(int column) const
{
    return m_columns.isEmpty() ? column : m_columns.at(column).field;
}

ColumnSpec MemTableModel::columnSpec(int column) const
{
    if (!m_columns.isEmpty())
        return m_columns.value(column);
    ColumnSpec spec;
    spec.field = column;
    if (m_table && column >= 0 && column < m_table->fields().size())
        spec.title = m_table->fields().at(column).name;
    return spec;
}

InputCheck MemTableModel::inputCheck(int column) const
{
    const int field = fieldOf(column);
    if (!m_table || field < 0 || field >= m_table->fields().size() || !m_table->fields().at(field).isData())
        return {};
    return m_table->fields().at(field).input;
}

QVariant MemTableModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || !m_table || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    const int fieldNumber = fieldOf(index.column());
    const FieldDef &field = m_table->fields().at(fieldNumber);
    if (role == Qt::TextAlignmentRole && !m_columns.isEmpty())
        return QVariant::fromValue(m_columns.at(index.column()).alignment);
    if (role == KeyRole) {
        const int key = field.kind == FieldKind::Lookup ? m_table->fieldIndex(field.keyField) : fieldNumber;
        return m_table->visibleValue(index.row(), key);
    }
    if (role == ChoicesRole) {
        if (field.kind != FieldKind::Lookup || !field.choices)
            return {};
        QVariantList choices;
        const ReferenceTable offered = field.choices();
        for (const ReferenceTable::Row &row : offered.rows())
            choices.append(QVariant(QVariantList { row.id, row.name }));
        return choices;
    }
    const QVariant value = m_table->visibleValue(index.row(), fieldNumber);
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
    const int fieldNumber = fieldOf(index.column());
    const FieldDef &field = m_table->fields().at(fieldNumber);
    emit aboutToEdit(stepName(index));
    if (field.isData() && field.type == FieldType::Boolean && role == Qt::CheckStateRole)
        return m_table->setVisibleValue(index.row(), fieldNumber, value.value<Qt::CheckState>() == Qt::Checked);
    const bool lookup = field.kind == FieldKind::Lookup && field.choices;
    if (field.isData() && (role == KeyRole || role == Qt::EditRole)) {
        const std::optional<QVariant> taken = field.input.taken(value);
        return taken && m_table->setVisibleValue(index.row(), fieldNumber, *taken);
    }
    if (role == KeyRole) {
        if (!lookup || !field.choices().name(value).isValid())
            return false;
        return m_table->setVisibleValue(index.row(), m_table->fieldIndex(field.keyField), value.toInt());
    }
    if (role != Qt::EditRole)
        return false;
    if (lookup) {
        const std::optional<int> code = field.choices().idOfName(value.toString());
        return code && m_table->setVisibleValue(index.row(), m_table->fieldIndex(field.keyField), *code);
    }
    return false;
}

Qt::ItemFlags MemTableModel::flags(const QModelIndex &index) const
{
    if (!index.isValid() || !m_table || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    const FieldDef &field = m_table->fields().at(fieldOf(index.column()));
    if (field.readOnly || (!m_columns.isEmpty() && m_columns.at(index.column()).options.testFlag(ColumnSpec::ReadOnly)))
        return flags;
    if (field.isData() && field.type == FieldType::Boolean)
        return flags | Qt::ItemIsUserCheckable;
    if (field.isData() || (field.kind == FieldKind::Lookup && field.choices))
        flags |= Qt::ItemIsEditable;
    return flags;
}

QVariant MemTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role == Qt::ToolTipRole && orientation == Qt::Horizontal && section >= 0 && section < columnCount()) {
        const QString hint = columnSpec(section).titleHint;
        return hint.isEmpty() ? QVariant() : QVariant(hint);
    }
    if (role != Qt::DisplayRole || !m_table)
        return {};
    if (orientation == Qt::Vertical)
        return section + 1;
    if (section < 0 || section >= columnCount())
        return {};
    return columnSpec(section).title;
}

bool MemTableModel::stepToNextChoice(const QModelIndex &index)
{
    if (!index.isValid() || !flags(index).testFlag(Qt::ItemIsEditable))
        return false;
    const QVariantList choices = data(index, ChoicesRole).toList();
    if (choices.isEmpty())
        return false;
    const QVariant key = data(index, KeyRole);
    const auto keyAt = [&choices](int position) { return choices.at(position).toList().value(0); };
    int next = 0;
    for (int position = 0; position < choices.size() && !key.isNull(); ++position) {
        if (keyAt(position).toInt() == key.toInt()) {
            next = (position + 1) % int(choices.size());
            break;
        }
    }
    return setData(index, keyAt(next), KeyRole);
}

QString MemTableModel::stepName(const QModelIndex &index) const
{
    if (!index.isValid() || !m_table)
        return {};
    const ColumnSpec spec = columnSpec(index.column());
    QString title = spec.title.section(QLatin1Char('|'), -1).simplified();
    if (spec.options.testFlag(ColumnSpec::Mark) || title.isEmpty())
        title = QStringLiteral("Отметка");
    const MemTable &t = *m_table;
    const int row = index.row();
    const auto integer = [&](int field) { return t.visibleValue(row, field).toInt(); };
    const QString name = t.tableName();
    QString where;
    const auto is = [&name](const char *table) { return name == QLatin1String(table); };
    if (is("mtArea") || is("mtAreaCopy"))
        where = QString::number(integer(ZoneField::id));
    else if (is("mtDev"))
        where = QString::number(integer(ModuleField::addr));
    else if (is("mtSensor") || is("mtSensorCopy"))
        where = QStringLiteral("%1.%2").arg(integer(SensorField::id_dev)).arg(integer(SensorField::addr));
    else if (is("mtReturn") || is("mtReturnCopy"))
        where = QStringLiteral("%1.%2").arg(integer(OutputField::id_dev)).arg(integer(OutputField::offset) + 1);
    else
        where = QString::number(row + 1);
    return title + QLatin1Char(' ') + where;
}
