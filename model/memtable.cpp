#include <model/memtable.h>

#include <algorithm>
#include <numeric>

MemTable::MemTable(const QString &tableName, QVector<FieldDef> fields, QObject *parent)
    : QObject(parent), m_tableName(tableName), m_fields(std::move(fields))
{
    m_rules.resize(m_fields.size());
    m_columns.resize(m_fields.size());
    m_keyFieldIndex.fill(-1, m_fields.size());
    for (int i = 0; i < m_fields.size(); ++i)
        m_fieldIndex.insert(m_fields.at(i).name, i);
    for (int i = 0; i < m_fields.size(); ++i) {
        if (m_fields.at(i).kind == FieldKind::Lookup) {
            m_keyFieldIndex[i] = fieldIndex(m_fields.at(i).keyField);
            Q_ASSERT_X(m_keyFieldIndex[i] >= 0, "MemTable", "lookup without a key field");
        }
    }
}

void MemTable::setRule(int field, Rule rule)
{
    if (isDataField(field, "setRule"))
        m_rules[field] = std::move(rule);
}

int MemTable::fieldOrWarn(const QString &name, const char *operation) const
{
    const int index = fieldIndex(name);
    if (index < 0)
        qWarning("%s.%s: no field %s", qPrintable(m_tableName), operation, qPrintable(name));
    return index;
}

bool MemTable::isDataField(int field, const char *operation) const
{
    if (field >= 0 && field < m_fields.size() && m_fields.at(field).isData())
        return true;
    if (field >= 0 && field < m_fields.size())
        qWarning("%s.%s: %s is not a data field", qPrintable(m_tableName), operation,
                 qPrintable(m_fields.at(field).name));
    else if (field >= 0) // an unknown name has been reported already
        qWarning("%s.%s: no field number %d", qPrintable(m_tableName), operation, field);
    return false;
}

void MemTable::first()
{
    post();
    m_current = m_visible.isEmpty() ? -1 : m_visible.first();
    m_eof = m_visible.isEmpty();
    announceCurrentRow();
}

void MemTable::next()
{
    post();
    // The current row may have just left the filter: step to the next visible one after it.
    const auto after = std::upper_bound(m_visible.cbegin(), m_visible.cend(), m_current);
    if (after == m_visible.cend()) {
        m_eof = true;
        return;
    }
    m_current = *after;
    m_eof = false;
    announceCurrentRow();
}

int MemTable::visiblePosition(int row) const
{
    const auto it = std::lower_bound(m_visible.cbegin(), m_visible.cend(), row);
    return (it != m_visible.cend() && *it == row) ? int(it - m_visible.cbegin()) : -1;
}

int MemTable::recNo() const
{
    return m_current < 0 ? 0 : visiblePosition(m_current) + 1;
}

bool MemTable::setRecNo(int position)
{
    if (position < 1 || position > m_visible.size())
        return false;
    post();
    m_current = m_visible.at(position - 1);
    m_eof = false;
    announceCurrentRow();
    return true;
}

bool MemTable::locate(int field, int value)
{
    if (field < 0 || field >= m_fields.size())
        return false;
    post();
    for (const int row : std::as_const(m_visible)) {
        if (rowValue(row, field).toInt() == value) {
            m_current = row;
            m_eof = false;
            announceCurrentRow();
            return true;
        }
    }
    return false;
}

QVariant MemTable::value(int field) const
{
    return m_current < 0 ? QVariant() : rowValue(m_current, field);
}

QVariant MemTable::rowValue(int row, int field) const
{
    if (row < 0 || row >= m_rowCount || field < 0 || field >= m_fields.size())
        return {};
    const FieldDef &def = m_fields.at(field);
    switch (def.kind) {
    case FieldKind::Data:
        return cell(row, field);
    case FieldKind::Lookup: {
        const QVariant &key = cell(row, m_keyFieldIndex.at(field));
        if (key.isNull() || !def.lookup)
            return {};
        const QVariant text = def.lookup(key);
        if (text.isNull() || def.size <= 0)
            return text;
        return text.toString().left(def.size);
    }
    case FieldKind::Calculated:
        return def.calculate ? def.calculate(*this, row) : QVariant();
    }
    return {};
}

int MemTable::rowInteger(int row, int field) const
{
    if (row >= 0 && row < m_rowCount && field >= 0 && field < m_fields.size() && m_fields.at(field).isData())
        return cell(row, field).toInt();
    return rowValue(row, field).toInt();
}

QVariant MemTable::lookupValue(int keyField, const QVariant &key, int resultField) const
{
    if (keyField < 0 || keyField >= m_fields.size() || resultField < 0 || key.isNull())
        return {};
    const int wanted = key.toInt();
    for (int row = 0; row < m_rowCount; ++row) {
        const QVariant &candidate = cell(row, keyField);
        if (!candidate.isNull() && candidate.toInt() == wanted)
            return rowValue(row, resultField);
    }
    return {};
}

QVariant MemTable::coerced(const FieldDef &field, const QVariant &value) const
{
    if (value.isNull())
        return {};
    switch (field.type) {
    case FieldType::Integer:
        return value.metaType().id() == QMetaType::Int ? value : QVariant(value.toInt());
    case FieldType::String:
        // Most texts fit already; cutting them would copy them for nothing.
        if (value.metaType().id() == QMetaType::QString
            && (field.size <= 0 || value.toString().size() <= field.size))
            return value;
        return field.size > 0 ? value.toString().left(field.size) : value.toString();
    case FieldType::Boolean:
        return value.toBool();
    case FieldType::Time:
        return value.toTime();
    }
    return {};
}

bool MemTable::storeAt(int field, const QVariant &value)
{
    if (m_current < 0) {
        qWarning("%s: write of %s without a current row", qPrintable(m_tableName),
                 qPrintable(m_fields.at(field).name));
        return false;
    }
    cell(m_current, field) = coerced(m_fields.at(field), value);
    if (m_state == State::Browse)
        m_state = State::Edit;
    announceRowChange(m_current);
    return true;
}

void MemTable::setValue(int field, const QVariant &value)
{
    if (!isDataField(field, "setValue"))
        return;
    if (!m_rules.at(field)) {
        storeAt(field, value);
        return;
    }
    const QVariant previous = m_current < 0 ? QVariant() : cell(m_current, field);
    if (storeAt(field, value))
        m_rules.at(field)(*this, previous);
}

void MemTable::setValueSilently(int field, const QVariant &value)
{
    if (isDataField(field, "setValueSilently"))
        storeAt(field, value);
}

void MemTable::fillColumnSilently(int field, const QVariant &value)
{
    if (!isDataField(field, "fillColumnSilently"))
        return;
    UpdateGuard guard(*this);
    m_columns[field].fill(coerced(m_fields.at(field), value));
    if (m_filtered && !m_filter.acceptsAll())
        rebuildVisible();
}

void MemTable::announceRowChange(int row)
{
    if (m_updateDepth > 0)
        return;
    const int position = visiblePosition(row);
    if (position >= 0)
        emit rowChanged(position);
}

void MemTable::reserve(int rows)
{
    for (QVector<QVariant> &column : m_columns)
        column.reserve(rows);
}

void MemTable::append()
{
    post();
    for (QVector<QVariant> &column : m_columns)
        column.emplace_back();
    const int row = m_rowCount++;
    // A row being inserted stays in view until it is posted.
    insertVisible(m_visible.end(), row);
    m_current = row;
    m_state = State::Insert;
    m_eof = false;
    announceCurrentRow();
}

void MemTable::edit()
{
    if (m_current >= 0 && m_state == State::Browse)
        m_state = State::Edit;
}

void MemTable::post()
{
    if (m_state == State::Browse)
        return;
    m_state = State::Browse;
    refreshVisibility(m_current);
}

MemTable::CursorKept::CursorKept(MemTable &table)
    : m_table(table), m_current(table.m_current), m_eof(table.m_eof), m_wasHeld(table.m_cursorHeld)
{
    m_table.post();
    m_table.m_cursorHeld = true;
}

MemTable::CursorKept::~CursorKept()
{
    m_table.post();
    // Appended rows come last, so the row the cursor was on keeps its position.
    m_table.m_current = m_current;
    m_table.m_eof = m_eof;
    m_table.m_cursorHeld = m_wasHeld;
    // Lists kept their current row through the rows' own announcements.
    m_table.m_announcedPosition = m_current < 0 ? -1 : m_table.visiblePosition(m_current);
}

int MemTable::appendBehind(const std::function<void(MemTable &)> &fill)
{
    const CursorKept kept(*this);
    append();
    const int row = m_current;
    fill(*this);
    return row;
}

void MemTable::emptyTable()
{
    UpdateGuard guard(*this);
    for (QVector<QVariant> &column : m_columns)
        column.clear();
    m_rowCount = 0;
    m_visible.clear();
    m_current = -1;
    m_eof = true;
    m_state = State::Browse;
    announceCurrentRow();
}

bool MemTable::Contents::sameRowsAs(const Contents &other) const
{
    if (rowCount != other.rowCount || columns.size() != other.columns.size())
        return false;
    for (qsizetype field = 0; field < columns.size(); ++field) {
        const QVector<QVariant> &mine = columns.at(field);
        const QVector<QVariant> &theirs = other.columns.at(field);
        if (!mine.isSharedWith(theirs) && mine != theirs)
            return false;
    }
    return true;
}

bool MemTable::goToRow(int row)
{
    const int position = visiblePosition(row);
    return position >= 0 && setRecNo(position + 1);
}

MemTable::Contents MemTable::contents() const
{
    return { m_columns, m_rowCount, m_filter, m_filtered, m_current };
}

void MemTable::restore(const Contents &contents)
{
    if (contents.columns.size() != m_columns.size()) {
        qWarning("%s: contents of another table not restored", qPrintable(m_tableName));
        return;
    }
    UpdateGuard guard(*this);
    m_state = State::Browse;
    m_columns = contents.columns;
    m_rowCount = contents.rowCount;
    m_filter = contents.filter;
    m_filtered = contents.filtered;
    rebuildVisible();
    if (visiblePosition(contents.current) >= 0) {
        m_current = contents.current;
        m_eof = false;
    } else {
        first();
    }
}

bool MemTable::sameColumnsAs(const MemTable &other) const
{
    return std::equal(m_fields.cbegin(), m_fields.cend(), other.m_fields.cbegin(), other.m_fields.cend(),
                      [](const FieldDef &mine, const FieldDef &theirs) {
                          return mine.name == theirs.name && mine.kind == theirs.kind
                                  && mine.type == theirs.type && mine.size == theirs.size;
                      });
}

void MemTable::copyRowsFrom(const MemTable &source, Rows rows)
{
    UpdateGuard guard(*this);
    if ((rows == Rows::All || source.m_visible.size() == source.m_rowCount) && sameColumnsAs(source)) {
        // Every row of a table shaped like this one: its columns are shared, not copied.
        m_columns = source.m_columns;
        m_rowCount = source.m_rowCount;
    } else {
        copyConvertedRows(source, rows);
    }
    m_state = State::Browse;
    rebuildVisible();
    first();
}

void MemTable::copyConvertedRows(const MemTable &source, Rows rows)
{
    QVector<int> sourceRows = source.m_visible;
    if (rows == Rows::All) {
        sourceRows.resize(source.m_rowCount);
        std::iota(sourceRows.begin(), sourceRows.end(), 0);
    }
    m_rowCount = int(sourceRows.size());
    for (int i = 0; i < m_fields.size(); ++i) {
        QVector<QVariant> &column = m_columns[i];
        column.clear();
        column.resize(m_rowCount);
        const int sourceField = m_fields.at(i).isData() ? source.fieldIndex(m_fields.at(i).name) : -1;
        if (sourceField < 0 || !source.m_fields.at(sourceField).isData())
            continue;
        for (int row = 0; row < m_rowCount; ++row)
            column[row] = coerced(m_fields.at(i), source.cell(sourceRows.at(row), sourceField));
    }
}

bool MemTable::rowAccepted(int row) const
{
    return m_filter.accepts([this, row](int field) { return cell(row, field).toInt(); });
}

void MemTable::rebuildVisible()
{
    m_visible.clear();
    m_visible.reserve(m_rowCount);
    const bool everyRow = !m_filtered || m_filter.acceptsAll();
    for (int row = 0; row < m_rowCount; ++row) {
        if (everyRow || rowAccepted(row))
            m_visible.append(row);
    }
}

void MemTable::refreshVisibility(int row)
{
    if (row < 0 || !m_filtered || m_filter.acceptsAll())
        return;
    const bool accepted = rowAccepted(row);
    const auto it = std::lower_bound(m_visible.begin(), m_visible.end(), row);
    const bool shown = it != m_visible.end() && *it == row;
    if (accepted == shown)
        return;
    if (accepted)
        insertVisible(it, row);
    else
        removeVisible(it);
    announceCurrentRow();
}

void MemTable::insertVisible(QVector<int>::iterator at, int row)
{
    const int position = int(at - m_visible.begin());
    if (m_updateDepth > 0) {
        m_visible.insert(at, row);
        return;
    }
    emit rowAboutToBeInserted(position);
    m_visible.insert(m_visible.begin() + position, row);
    emit rowInserted();
}

void MemTable::removeVisible(QVector<int>::iterator at)
{
    const int position = int(at - m_visible.begin());
    if (m_updateDepth > 0) {
        m_visible.erase(at);
        return;
    }
    emit rowAboutToBeRemoved(position);
    m_visible.erase(m_visible.begin() + position);
    emit rowRemoved();
}

void MemTable::announceCurrentRow()
{
    if (m_updateDepth > 0 || m_cursorHeld)
        return; // the reset at the end tells, or the cursor goes back where it was
    const int position = m_current < 0 ? -1 : visiblePosition(m_current);
    if (position == m_announcedPosition)
        return;
    m_announcedPosition = position;
    emit currentRowChanged(position);
}

std::optional<RowFilter> MemTable::parsedFilter(const QString &expression) const
{
    std::optional<RowFilter> parsed = RowFilter::parse(
            expression, [this](const QString &name) { return fieldIndex(name); });
    if (!parsed)
        qWarning("%s: filter not understood: %s", qPrintable(m_tableName), qPrintable(expression));
    return parsed;
}

bool MemTable::setFilter(const QString &expression)
{
    std::optional<RowFilter> parsed = parsedFilter(expression);
    if (!parsed)
        return false;
    post();
    UpdateGuard guard(*this);
    m_filter = std::move(*parsed);
    if (m_filtered) {
        rebuildVisible();
        first();
    }
    return true;
}

void MemTable::setFiltered(bool filtered)
{
    post();
    UpdateGuard guard(*this);
    m_filtered = filtered;
    rebuildVisible();
    first();
}

bool MemTable::applyFilter(const QString &expression)
{
    // Refused before anything moves: the rows shown, the current row and the filter stay.
    std::optional<RowFilter> parsed = parsedFilter(expression);
    if (!parsed)
        return false;
    post();
    UpdateGuard guard(*this);
    m_filter = std::move(*parsed);
    m_filtered = true;
    rebuildVisible();
    first();
    return true;
}

void MemTable::beginUpdate()
{
    if (m_updateDepth++ == 0)
        emit aboutToReset();
}

void MemTable::endUpdate()
{
    Q_ASSERT(m_updateDepth > 0);
    if (--m_updateDepth > 0)
        return;
    emit reset();
    // A view that was reset has lost its current row: tell it again.
    m_announcedPosition = -2;
    announceCurrentRow();
}

QVariant MemTable::visibleValue(int visibleRow, int field) const
{
    if (visibleRow < 0 || visibleRow >= m_visible.size())
        return {};
    return rowValue(m_visible.at(visibleRow), field);
}

bool MemTable::setVisibleValue(int visibleRow, int field, const QVariant &value)
{
    if (field < 0 || field >= m_fields.size() || !setRecNo(visibleRow + 1))
        return false;
    if (!m_fields.at(field).isData())
        return false;
    setValue(field, value);
    post();
    return true;
}
