// Filter texts of any shape on the zone, device and output tables: a text that is not
// understood changes nothing (visible rows, filter text, current row); one that is
// understood becomes the filter, and the visible rows are always those it accepts, also
// after rows were edited in or out of it.
//
// Input: steps (see FuzzStep). The operation picks the table (operation / 8 % 3) and what
// to do (operation % 8): 0 set a filter, 1 apply a filter (the step's bytes are its UTF-8
// text), 2 switch the filter on or off, 3 go to a position, 4 next row, 5 first row,
// 6 write a number into an integer field of the current row, 7 append a row.

#include "fuzzsupport.h"
#include "richconfiguration.h"

#include <model/configuration.h>
#include <model/rowfilter.h>

namespace {

// What a filter change may not touch when it is refused.
struct View
{
    QString filter;
    bool filtered;
    QList<int> visibleIds;
    int recNo;
    QVariant currentId;
    bool eof;

    bool operator==(const View &other) const
    {
        return filter == other.filter && filtered == other.filtered && visibleIds == other.visibleIds
                && recNo == other.recNo && currentId == other.currentId && eof == other.eof;
    }

    QString describe() const
    {
        return QStringLiteral("filter \"%1\" %2, %3 visible rows, position %4 (id %5)%6")
                .arg(filter, filtered ? QStringLiteral("on") : QStringLiteral("off"))
                .arg(visibleIds.size())
                .arg(recNo)
                .arg(currentId.toString(), eof ? QStringLiteral(", at the end") : QString());
    }
};

// Each row's own number, so that rows can be told apart whatever the filter shows.
QString idField(const MemTable &table)
{
    return table.fieldIndex(QStringLiteral("index")) >= 0 ? QStringLiteral("index") : QStringLiteral("id");
}

View viewOf(const MemTable &table)
{
    const int id = table.fieldIndex(idField(table));
    View view { table.filter(), table.isFiltered(), {}, table.recNo(), table.value(idField(table)), table.eof() };
    for (int row = 0; row < table.recordCount(); ++row)
        view.visibleIds << table.visibleValue(row, id).toInt();
    return view;
}

// The rows the filter text lets through, worked out afresh; empty when the text names a
// field that holds no number of its own, where the comparison has no meaning to check.
std::optional<QList<int>> expectedIds(const MemTable &table)
{
    bool dataFieldsOnly = true;
    const auto resolve = [&](const QString &name) {
        const int field = table.fieldIndex(name);
        dataFieldsOnly = dataFieldsOnly && field >= 0 && table.fields().at(field).isData()
                && table.fields().at(field).type == FieldType::Integer;
        return field;
    };
    const std::optional<RowFilter> filter = RowFilter::parse(table.filter(), resolve);
    FUZZ_CHECK(filter.has_value(), QStringLiteral("the table's own filter is not understood: ") + table.filter());
    if (!dataFieldsOnly)
        return std::nullopt;
    const int id = table.fieldIndex(idField(table));
    QList<int> ids;
    for (int row = 0; row < table.rowCount(); ++row) {
        if (!table.isFiltered() || filter->accepts([&](int field) { return table.rowValue(row, field).toInt(); }))
            ids << table.rowValue(row, id).toInt();
    }
    return ids;
}

void numberRows(MemTable &table)
{
    for (int position = 1; table.setRecNo(position); ++position) {
        table.setValueSilently(QStringLiteral("index"), position);
        table.post();
    }
    table.first();
}

QList<int> integerFields(const MemTable &table)
{
    QList<int> fields;
    for (int field = 0; field < table.fields().size(); ++field) {
        if (table.fields().at(field).isData() && table.fields().at(field).type == FieldType::Integer
            && table.fields().at(field).name != idField(table))
            fields << field;
    }
    return fields;
}

void step(MemTable &table, const FuzzStep &step)
{
    const QString text = QString::fromUtf8(step.bytes);
    switch (step.operation % 8) {
    case 0:
    case 1: {
        const View before = viewOf(table);
        const bool apply = step.operation % 8 == 1;
        const bool understood = apply ? table.applyFilter(text) : table.setFilter(text);
        if (!understood) {
            const View after = viewOf(table);

            FUZZ_CHECK(after == before, QStringLiteral("%1 \"%2\" refused; before: %3; after: %4")
                                                .arg(apply ? QStringLiteral("applyFilter") : QStringLiteral("setFilter"),
                                                     text, before.describe(), after.describe()));
            return;
        }
        FUZZ_CHECK(table.filter() == text, table.filter());
        FUZZ_CHECK(!apply || table.isFiltered(), text);
        return;
    }
    case 2:
        table.setFiltered(step.number(0) % 2 == 1);
        return;
    case 3:
        table.setRecNo(step.number(0));
        return;
    case 4:
        table.next();
        return;
    case 5:
        table.first();
        return;
    case 6: {
        const QList<int> fields = integerFields(table);
        if (table.eof() || table.recNo() == 0 || fields.isEmpty())
            return;
        const QString field = table.fields().at(fields.at(step.number(0) % fields.size())).name;
        table.setValueSilently(field, step.number(1));
        table.post();
        return;
    }
    case 7: {
        const int id = table.rowCount() + 1;
        table.append();
        table.setValueSilently(idField(table), id);
        table.post();
        return;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    treatQtMessagesAsFaults({ QStringLiteral("filter not understood") });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Configuration config;
    fillRichConfiguration(config);
    numberRows(config.mtSensor());
    numberRows(config.mtReturn());
    MemTable *const tables[] = { &config.mtArea(), &config.mtSensor(), &config.mtReturn() };

    FuzzSteps steps(data, size);
    while (const std::optional<FuzzStep> next = steps.next()) {
        MemTable &table = *tables[next->operation / 8 % 3];
        step(table, *next);
        if (const std::optional<QList<int>> expected = expectedIds(table)) {
            const View view = viewOf(table);
            FUZZ_CHECK(view.visibleIds == *expected,
                       QStringLiteral("%1 shows %2 rows, the filter accepts %3").arg(table.tableName()).arg(view.visibleIds.size()).arg(expected->size()));
        }
    }
    return 0;
}
