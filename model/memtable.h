#pragma once

#include <model/fielddef.h>
#include <model/rowfilter.h>

#include <QHash>
#include <QObject>
#include <QTime>
#include <QVector>

#include <functional>
#include <optional>

// An in-memory table of typed rows with a current row, one row filter and per-field
// editing rules: the shape every configuration table has.
//
// Row positions (recNo, visible rows) count within the rows the filter lets through.
// An ordinary write stores the value and runs the field's rule; a silent write runs
// none. An appended row, and a row entering or leaving the filter, is announced as an
// insertion or removal at its visible position; a new filter, an emptied or copied table
// and whatever happens between beginUpdate() and endUpdate() as aboutToReset()/reset();
// value changes as rowChanged(); the current row moving as currentRowChanged().
class MemTable : public QObject
{
    Q_OBJECT

public:
    using Rule = std::function<void(MemTable &table, const QVariant &previous)>;
    enum class State { Browse, Edit, Insert };
    enum class Rows { Visible, All };

    MemTable(const QString &tableName, QVector<FieldDef> fields, QObject *parent = nullptr);

    QString tableName() const { return m_tableName; }
    const QVector<FieldDef> &fields() const { return m_fields; }
    int fieldIndex(const QString &name) const { return m_fieldIndex.value(name, -1); }

    void setRule(int field, Rule rule);
    void setRule(const QString &field, Rule rule) { setRule(fieldOrWarn(field, "setRule"), std::move(rule)); }

    // Navigation within the visible rows.
    void first();
    void next();
    bool eof() const { return m_eof; }
    bool isEmpty() const { return m_visible.isEmpty(); }
    int recordCount() const { return int(m_visible.size()); }
    int recNo() const; // 1-based position of the current row among the visible rows, 0 if none
    bool setRecNo(int position);
    bool locate(int field, int value); // first visible row whose field equals value
    bool locate(const QString &field, int value) { return locate(fieldOrWarn(field, "locate"), value); }
    // Makes row `row` (among all rows) current; false when the filter hides it.
    bool goToRow(int row);
    State state() const { return m_state; }

    // The current row, by column number (the table's field constants) or by name.
    QVariant value(int field) const;
    int asInteger(int field) const { return m_current < 0 ? 0 : rowInteger(m_current, field); }
    QString asString(int field) const { return value(field).toString(); }
    bool asBoolean(int field) const { return value(field).toBool(); }
    bool isNull(int field) const { return value(field).isNull(); }
    void setValue(int field, const QVariant &value);
    void setValueSilently(int field, const QVariant &value);

    QVariant value(const QString &field) const { return value(fieldOrWarn(field, "value")); }
    int asInteger(const QString &field) const { return value(field).toInt(); }
    QString asString(const QString &field) const { return value(field).toString(); }
    bool asBoolean(const QString &field) const { return value(field).toBool(); }
    QTime asTime(const QString &field) const { return value(field).toTime(); }
    bool isNull(const QString &field) const { return value(field).isNull(); }
    void setValue(const QString &field, const QVariant &value) { setValue(fieldOrWarn(field, "setValue"), value); }
    void setValueSilently(const QString &field, const QVariant &value)
    {
        setValueSilently(fieldOrWarn(field, "setValueSilently"), value);
    }
    void clearValue(const QString &field) { setValue(field, QVariant()); }
    // The field of every row, filter ignored, set without its rule.
    void fillColumnSilently(int field, const QVariant &value);

    void append();
    // Appends a row, fills it through `fill` (rules running as for any edit) and posts it,
    // leaving the cursor where it was: a list showing the table keeps its current row and
    // its place. Returns the new row's index (for rowValue).
    int appendBehind(const std::function<void(MemTable &)> &fill);

    // Work that walks the table and puts the cursor back when it ends: lists showing the
    // table see rows added and changed, never the cursor move. Rows may be appended, not
    // removed, meanwhile.
    class CursorKept
    {
    public:
        explicit CursorKept(MemTable &table);
        ~CursorKept();
        CursorKept(const CursorKept &) = delete;
        CursorKept &operator=(const CursorKept &) = delete;

    private:
        MemTable &m_table;
        const int m_current;
        const bool m_eof;
        const bool m_wasHeld;
    };
    // Room for `rows` rows in all, for a known number of appends.
    void reserve(int rows);
    void edit();
    void post();
    void emptyTable();

    // Replaces every row by a copy of `source`'s rows (those its filter lets through, or
    // all of them), matching fields by name; no rule runs.
    void copyRowsFrom(const MemTable &source, Rows rows = Rows::Visible);

    // Filter: false (and nothing changes) when the expression is not understood.
    bool setFilter(const QString &expression);
    QString filter() const { return m_filter.text(); }
    void setFiltered(bool filtered);
    bool isFiltered() const { return m_filtered; }
    // Filter off, new expression, filter on, announced as a single change.
    bool applyFilter(const QString &expression);

    // Suspends change announcements; the outermost end announces one reset.
    void beginUpdate();
    void endUpdate();
    // The same for the life of a scope.
    class UpdateGuard
    {
    public:
        explicit UpdateGuard(MemTable &table) : m_table(table) { m_table.beginUpdate(); }
        ~UpdateGuard() { m_table.endUpdate(); }
        UpdateGuard(const UpdateGuard &) = delete;
        UpdateGuard &operator=(const UpdateGuard &) = delete;

    private:
        MemTable &m_table;
    };

    // Everything the table holds, to be put back later: its rows (the columns shared, not
    // copied, until either side is written), its filter and its current row.
    struct Contents
    {
        QVector<QVector<QVariant>> columns;
        int rowCount = 0;
        RowFilter filter;
        bool filtered = false;
        int current = -1; // among all rows

        // The same rows, whatever the filter and the current row; shared columns compare at once.
        bool sameRowsAs(const Contents &other) const;
    };
    Contents contents() const;
    // Puts back what contents() took from this table, announced as a reset; no rule runs.
    void restore(const Contents &contents);

    // A data field's stored values, every row, filter ignored. Shared with each copy taken
    // until either side is written, so a copy kept aside tells cheaply whether it moved.
    const QVector<QVariant> &storedColumn(int field) const { return m_columns.at(field); }

    // Any row, by position among the visible rows, for grids.
    QVariant visibleValue(int visibleRow, int field) const;
    bool setVisibleValue(int visibleRow, int field, const QVariant &value);

    // Any row, by its place among all rows, for lookups and calculations.
    int rowCount() const { return m_rowCount; }
    QVariant rowValue(int row, int field) const;
    // An Integer read without copying the value, for loops over many rows; empty reads 0.
    int rowInteger(int row, int field) const;
    QVariant rowValue(int row, const QString &field) const { return rowValue(row, fieldIndex(field)); }
    // The value of `resultField` in the first row (filter ignored) whose `keyField` equals `key`.
    QVariant lookupValue(int keyField, const QVariant &key, int resultField) const;
    QVariant lookupValue(const QString &keyField, const QVariant &key, const QString &resultField) const
    {
        return lookupValue(fieldIndex(keyField), key, fieldIndex(resultField));
    }

signals:
    void aboutToReset();
    void reset();
    void rowChanged(int visibleRow);
    // Between the two, the visible rows change by one at `visibleRow`.
    void rowAboutToBeInserted(int visibleRow);
    void rowInserted();
    void rowAboutToBeRemoved(int visibleRow);
    void rowRemoved();
    // The current row's visible position (recNo() - 1), -1 for none; after a reset too.
    void currentRowChanged(int visibleRow);

private:

    int fieldOrWarn(const QString &name, const char *operation) const;
    bool isDataField(int field, const char *operation) const;
    const QVariant &cell(int row, int field) const { return m_columns.at(field).at(row); }
    QVariant &cell(int row, int field) { return m_columns[field][row]; }
    bool sameColumnsAs(const MemTable &other) const;
    void copyConvertedRows(const MemTable &source, Rows rows);
    std::optional<RowFilter> parsedFilter(const QString &expression) const;
    bool storeAt(int field, const QVariant &value);
    QVariant coerced(const FieldDef &field, const QVariant &value) const;
    bool rowAccepted(int row) const;
    void rebuildVisible();
    void refreshVisibility(int row);
    int visiblePosition(int row) const;
    void announceRowChange(int row);
    void insertVisible(QVector<int>::iterator at, int row);
    void removeVisible(QVector<int>::iterator at);
    void announceCurrentRow();

    QString m_tableName;
    QVector<FieldDef> m_fields;
    QVector<int> m_keyFieldIndex; // for lookup fields
    QHash<QString, int> m_fieldIndex;
    QVector<Rule> m_rules;

    // Column after column: a copy of a whole table shares them until written, and each
    // column stays small enough for the allocator to reuse.
    QVector<QVector<QVariant>> m_columns;
    int m_rowCount = 0;
    QVector<int> m_visible; // ascending row indices
    int m_current = -1;
    bool m_eof = true;
    State m_state = State::Browse;

    RowFilter m_filter;
    bool m_filtered = false;
    int m_updateDepth = 0;
    bool m_cursorHeld = false; // appendBehind: the cursor's moves are not announced
    int m_announcedPosition = -1; // of the current row, as last told
};
