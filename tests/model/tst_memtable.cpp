#include "unexpectedwarnings.h"

#include <model/memtable.h>
#include <model/currentrowlink.h>
#include <model/memtablemodel.h>
#include <model/referencetables.h>

#include <QAbstractItemModelTester>
#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QTest>

namespace {

// A small table of numbered rows: id, zone, a name with a limit and a mark.
QVector<FieldDef> fixtureFields()
{
    return { FieldDef::integer(QStringLiteral("id")), FieldDef::integer(QStringLiteral("zone")),
             FieldDef::string(QStringLiteral("name"), 5), FieldDef::boolean(QStringLiteral("mark")),
             FieldDef::time(QStringLiteral("at")),
             FieldDef::calculated(QStringLiteral("twice"), 0,
                                  [](const MemTable &table, int row) -> QVariant {
                                      return table.rowValue(row, QStringLiteral("id")).toInt() * 2;
                                  }) };
}

void fill(MemTable &table, const QVector<int> &zones)
{
    for (int i = 0; i < zones.size(); ++i) {
        table.append();
        table.setValue(QStringLiteral("id"), i + 1);
        table.setValue(QStringLiteral("zone"), zones.at(i));
    }
    table.post();
    table.first();
}

QVector<int> visibleIds(MemTable &table)
{
    QVector<int> ids;
    for (table.first(); !table.eof(); table.next())
        ids << table.asInteger(QStringLiteral("id"));
    return ids;
}

} // namespace

class TestMemTable : public QObject
{
    Q_OBJECT

private slots:
    void init() { failOnUnexpectedWarnings(); }
    void filter_showsMatchingRows_data();
    void filter_showsMatchingRows();
    void filter_notUnderstood_keepsPreviousFilter_data();
    void filter_notUnderstood_keepsPreviousFilter();
    void positions_countWithinVisibleRows();
    void next_afterCurrentRowLeavesFilter_visitsEveryRow();
    void appendedRow_leavesFilterOnPost();
    void emptyValues_readAsZeroAndEmptyText();
    void writes_ordinaryRunsRuleWithPreviousValue_silentRunsNone();
    void writes_toLookupOrCalculatedField_areRefused();
    void string_isCutToItsLength();
    void locate_findsFirstVisibleMatch();
    void copyRowsFrom_copiesOnlyVisibleRowsWithoutRules();
    void copyRowsFrom_copyAndSourceChangeApart();
    void fillColumnSilently_setsEveryRowWithoutRules();
    void emptyTable_leavesNoCurrentRow();
    void applyFilter_announcesOneReset();
    void model_followsTableThroughEditsAndFilters();
    void rowChanges_announcedAtTheirVisiblePositions_data();
    void rowChanges_announcedAtTheirVisiblePositions();
    void currentRow_announcedWhenItMoves();
    void model_keepsViewStateWhileRowsAreAppended();
    void appendBehindAndWalks_leaveTheCursorWhereItWas();
    void currentRowLink_keepsGridAndCursorInStep();
    void model_columnsFollowTheirSpecs();
    void model_lookupEditedByKey_keepsNamesakesApart();
};

void TestMemTable::filter_showsMatchingRows_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QVector<int>>("ids");

    // rows: id 1..6 with zones 5, 7, 0, 7, 5003, (empty)
    QTest::newRow("empty expression") << QString() << QVector<int> { 1, 2, 3, 4, 5, 6 };
    QTest::newRow("no spaces") << QStringLiteral("zone=7") << QVector<int> { 2, 4 };
    QTest::newRow("space before equals") << QStringLiteral("zone =7") << QVector<int> { 2, 4 };
    QTest::newRow("spaced") << QStringLiteral("zone = 7") << QVector<int> { 2, 4 };
    QTest::newRow("or chain") << QStringLiteral("zone=5 or zone=5003 or id=3")
                              << QVector<int> { 1, 3, 5 };
    QTest::newRow("bracketed and") << QStringLiteral("(zone = 7) and (id = 4)") << QVector<int> { 4 };
    QTest::newRow("and without match") << QStringLiteral("(zone = 7) and (id = 1)") << QVector<int> {};
    QTest::newRow("empty value reads as 0") << QStringLiteral("zone = 0") << QVector<int> { 3, 6 };
    QTest::newRow("negative number") << QStringLiteral("zone=-1") << QVector<int> {};
}

void TestMemTable::filter_showsMatchingRows()
{
    QFETCH(QString, expression);
    QFETCH(QVector<int>, ids);

    MemTable table(QStringLiteral("t"), fixtureFields());
    fill(table, { 5, 7, 0, 7, 5003 });
    table.append();
    table.setValue(QStringLiteral("id"), 6);
    table.post();

    QVERIFY(table.applyFilter(expression));
    QCOMPARE(table.filter(), expression);
    QCOMPARE(table.recordCount(), ids.size());
    QCOMPARE(visibleIds(table), ids);

    table.setFiltered(false);
    QCOMPARE(table.recordCount(), 6);
}

void TestMemTable::filter_notUnderstood_keepsPreviousFilter_data()
{
    QTest::addColumn<QString>("expression");
    QTest::newRow("unknown field") << QStringLiteral("nosuch=1");
    QTest::newRow("mixed joins") << QStringLiteral("zone=1 or zone=2 and id=3");
    QTest::newRow("not a number") << QStringLiteral("zone=x");
    QTest::newRow("unbalanced bracket") << QStringLiteral("(zone=1");
    QTest::newRow("dangling or") << QStringLiteral("zone=1 or");
}

void TestMemTable::filter_notUnderstood_keepsPreviousFilter()
{
    QFETCH(QString, expression);
    MemTable table(QStringLiteral("t"), fixtureFields());
    fill(table, { 5, 7, 7 });
    QVERIFY(table.applyFilter(QStringLiteral("zone=7")));

    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("filter not understood")));
    QVERIFY(!table.setFilter(expression));
    QCOMPARE(table.filter(), QStringLiteral("zone=7"));
    QCOMPARE(visibleIds(table), (QVector<int> { 2, 3 }));

    // Applied, filtered or not: the rows shown, the current row and the filter stay.
    for (const bool filtered : { true, false }) {
        table.setFiltered(filtered);
        const QVector<int> shown = visibleIds(table);
        QVERIFY(table.setRecNo(2));
        QSignalSpy resets(&table, &MemTable::aboutToReset);
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("filter not understood")));
        QVERIFY(!table.applyFilter(expression));
        QCOMPARE(table.isFiltered(), filtered);
        QCOMPARE(table.filter(), QStringLiteral("zone=7"));
        QCOMPARE(table.recNo(), 2);
        QCOMPARE(resets.size(), 0);
        QCOMPARE(visibleIds(table), shown);
    }
}

void TestMemTable::positions_countWithinVisibleRows()
{
    MemTable table(QStringLiteral("t"), fixtureFields());
    fill(table, { 1, 2, 1, 2, 1 });
    QVERIFY(table.applyFilter(QStringLiteral("zone=1")));

    QCOMPARE(table.recNo(), 1);
    QCOMPARE(table.asInteger(QStringLiteral("id")), 1);
    table.next();
    QCOMPARE(table.recNo(), 2);
    QCOMPARE(table.asInteger(QStringLiteral("id")), 3);
    QVERIFY(table.setRecNo(3));
    QCOMPARE(table.asInteger(QStringLiteral("id")), 5);
    QVERIFY(!table.setRecNo(4));
    QVERIFY(!table.setRecNo(0));
    table.next();
    QVERIFY(table.eof());
    QCOMPARE(table.asInteger(QStringLiteral("id")), 5);
}

void TestMemTable::next_afterCurrentRowLeavesFilter_visitsEveryRow()
{
    // Clearing the field a filter tests makes the row leave the view; the walk must
    // still reach every row that was listed.
    MemTable table(QStringLiteral("t"), fixtureFields());
    fill(table, { 9, 9, 1, 9 });
    QVERIFY(table.applyFilter(QStringLiteral("zone=9")));

    QVector<int> visited;
    for (table.first(); !table.eof(); table.next()) {
        visited << table.asInteger(QStringLiteral("id"));
        table.setValue(QStringLiteral("zone"), 0);
    }
    QCOMPARE(visited, (QVector<int> { 1, 2, 4 }));
    QVERIFY(table.isEmpty());
}

void TestMemTable::appendedRow_leavesFilterOnPost()
{
    MemTable table(QStringLiteral("t"), fixtureFields());
    fill(table, { 3 });
    QVERIFY(table.applyFilter(QStringLiteral("zone=3")));

    table.append();
    QCOMPARE(table.state(), MemTable::State::Insert);
    QCOMPARE(table.recordCount(), 2); // shown while being inserted
    table.setValue(QStringLiteral("zone"), 4);
    table.post();
    QCOMPARE(table.state(), MemTable::State::Browse);
    QCOMPARE(table.recordCount(), 1);
    QCOMPARE(table.rowCount(), 2);
}

void TestMemTable::emptyValues_readAsZeroAndEmptyText()
{
    MemTable table(QStringLiteral("t"), fixtureFields());
    table.append();
    QVERIFY(table.isNull(QStringLiteral("zone")));
    QCOMPARE(table.asInteger(QStringLiteral("zone")), 0);
    QCOMPARE(table.asString(QStringLiteral("name")), QString());
    QCOMPARE(table.asBoolean(QStringLiteral("mark")), false);
    QVERIFY(!table.asTime(QStringLiteral("at")).isValid());

    table.setValue(QStringLiteral("zone"), 0);
    QVERIFY(!table.isNull(QStringLiteral("zone")));
    table.clearValue(QStringLiteral("zone"));
    QVERIFY(table.isNull(QStringLiteral("zone")));
    QCOMPARE(table.asInteger(QStringLiteral("twice")), 0);
}

void TestMemTable::writes_ordinaryRunsRuleWithPreviousValue_silentRunsNone()
{
    MemTable table(QStringLiteral("t"), fixtureFields());
    QVector<QPair<QVariant, int>> calls; // previous value, value now
    table.setRule(QStringLiteral("zone"), [&calls](MemTable &t, const QVariant &previous) {
        calls.append({ previous, t.asInteger(QStringLiteral("zone")) });
    });
    table.append();
    table.setValue(QStringLiteral("zone"), 4);
    table.setValue(QStringLiteral("zone"), 6);
    table.setValueSilently(QStringLiteral("zone"), 8);
    table.setValue(QStringLiteral("id"), 1);

    QCOMPARE(calls.size(), 2);
    QVERIFY(calls.at(0).first.isNull());
    QCOMPARE(calls.at(0).second, 4);
    QCOMPARE(calls.at(1).first.toInt(), 4);
    QCOMPARE(calls.at(1).second, 6);
    QCOMPARE(table.asInteger(QStringLiteral("zone")), 8);
}

void TestMemTable::writes_toLookupOrCalculatedField_areRefused()
{
    MemTable table(QStringLiteral("t"), fixtureFields());
    fill(table, { 1 });
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("twice is not a data field")));
    table.setValue(QStringLiteral("twice"), 99);
    QCOMPARE(table.asInteger(QStringLiteral("twice")), 2);
}

void TestMemTable::string_isCutToItsLength()
{
    MemTable table(QStringLiteral("t"), fixtureFields());
    table.append();
    table.setValue(QStringLiteral("name"), QStringLiteral("АБВГДЕЖ"));
    QCOMPARE(table.asString(QStringLiteral("name")), QStringLiteral("АБВГД"));
}

void TestMemTable::locate_findsFirstVisibleMatch()
{
    MemTable table(QStringLiteral("t"), fixtureFields());
    fill(table, { 4, 8, 8, 4 });
    QVERIFY(table.locate(QStringLiteral("zone"), 8));
    QCOMPARE(table.asInteger(QStringLiteral("id")), 2);
    QVERIFY(!table.locate(QStringLiteral("zone"), 5));
    QCOMPARE(table.asInteger(QStringLiteral("id")), 2); // a failed search keeps the row

    QVERIFY(table.applyFilter(QStringLiteral("id=4")));
    QVERIFY(table.locate(QStringLiteral("zone"), 4));
    QCOMPARE(table.asInteger(QStringLiteral("id")), 4);
    QVERIFY(!table.locate(QStringLiteral("zone"), 8));
}

void TestMemTable::copyRowsFrom_copiesOnlyVisibleRowsWithoutRules()
{
    MemTable source(QStringLiteral("source"), fixtureFields());
    fill(source, { 0, 3, 0 });
    source.setRecNo(3);
    source.setValue(QStringLiteral("name"), QStringLiteral("abc"));
    source.setValue(QStringLiteral("mark"), true);
    QVERIFY(source.applyFilter(QStringLiteral("zone = 0")));

    MemTable copy(QStringLiteral("copy"), fixtureFields());
    int ruleCalls = 0;
    copy.setRule(QStringLiteral("zone"), [&ruleCalls](MemTable &, const QVariant &) { ++ruleCalls; });
    fill(copy, { 1, 1, 1, 1 });
    ruleCalls = 0;

    copy.copyRowsFrom(source);
    QCOMPARE(ruleCalls, 0);
    QCOMPARE(copy.rowCount(), 2);
    QCOMPARE(visibleIds(copy), (QVector<int> { 1, 3 }));
    copy.setRecNo(2);
    QCOMPARE(copy.asString(QStringLiteral("name")), QStringLiteral("abc"));
    QCOMPARE(copy.asBoolean(QStringLiteral("mark")), true);
    QVERIFY(!copy.isNull(QStringLiteral("zone")));
    QCOMPARE(source.rowCount(), 3);

    copy.copyRowsFrom(source, MemTable::Rows::All);
    QCOMPARE(visibleIds(copy), (QVector<int> { 1, 2, 3 }));
}

void TestMemTable::copyRowsFrom_copyAndSourceChangeApart()
{
    // A copy of a whole table shares its storage until either side writes.
    MemTable source(QStringLiteral("source"), fixtureFields());
    fill(source, { 5, 6 });
    MemTable copy(QStringLiteral("copy"), fixtureFields());
    copy.copyRowsFrom(source, MemTable::Rows::All);

    source.setRecNo(1);
    source.setValue(QStringLiteral("zone"), 50);
    copy.setRecNo(2);
    copy.setValue(QStringLiteral("name"), QStringLiteral("copy"));
    source.append();
    source.setValue(QStringLiteral("id"), 3);
    source.post();

    QCOMPARE(copy.rowCount(), 2);
    QCOMPARE(copy.rowValue(0, QStringLiteral("zone")).toInt(), 5);
    QCOMPARE(source.rowValue(0, QStringLiteral("zone")).toInt(), 50);
    QVERIFY(source.rowValue(1, QStringLiteral("name")).isNull());
    QCOMPARE(copy.rowValue(1, QStringLiteral("name")).toString(), QStringLiteral("copy"));

    source.emptyTable();
    QCOMPARE(copy.rowCount(), 2);
    QCOMPARE(visibleIds(copy), (QVector<int> { 1, 2 }));
}

void TestMemTable::fillColumnSilently_setsEveryRowWithoutRules()
{
    MemTable table(QStringLiteral("t"), fixtureFields());
    int ruleCalls = 0;
    table.setRule(QStringLiteral("zone"), [&ruleCalls](MemTable &, const QVariant &) { ++ruleCalls; });
    fill(table, { 1, 2, 1 });
    QVERIFY(table.applyFilter(QStringLiteral("zone = 1")));
    ruleCalls = 0;
    QSignalSpy resets(&table, &MemTable::reset);

    table.fillColumnSilently(table.fieldIndex(QStringLiteral("zone")), 2);

    QCOMPARE(ruleCalls, 0);
    QCOMPARE(resets.size(), 1);
    for (int row = 0; row < table.rowCount(); ++row)
        QCOMPARE(table.rowValue(row, QStringLiteral("zone")).toInt(), 2);
    QCOMPARE(visibleIds(table), QVector<int>()); // the filter follows the new values
    QVERIFY(table.applyFilter(QStringLiteral("zone = 2")));
    QCOMPARE(visibleIds(table), (QVector<int> { 1, 2, 3 }));
}

void TestMemTable::emptyTable_leavesNoCurrentRow()
{
    MemTable table(QStringLiteral("t"), fixtureFields());
    fill(table, { 1, 2 });
    table.emptyTable();
    QVERIFY(table.isEmpty());
    QVERIFY(table.eof());
    QCOMPARE(table.recNo(), 0);
    QVERIFY(table.value(QStringLiteral("id")).isNull());
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("without a current row")));
    table.setValue(QStringLiteral("id"), 3);
    QCOMPARE(table.rowCount(), 0);
}

void TestMemTable::applyFilter_announcesOneReset()
{
    MemTable table(QStringLiteral("t"), fixtureFields());
    fill(table, { 1, 2, 1 });
    QSignalSpy aboutToReset(&table, &MemTable::aboutToReset);
    QSignalSpy reset(&table, &MemTable::reset);
    QVERIFY(table.applyFilter(QStringLiteral("zone=1")));
    QCOMPARE(aboutToReset.size(), 1);
    QCOMPARE(reset.size(), 1);

    table.beginUpdate();
    table.applyFilter(QStringLiteral("zone=2"));
    table.applyFilter(QStringLiteral("zone=1"));
    table.endUpdate();
    QCOMPARE(reset.size(), 2);
}

void TestMemTable::model_followsTableThroughEditsAndFilters()
{
    MemTable table(QStringLiteral("t"), fixtureFields());
    MemTableModel model(&table);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    fill(table, { 1, 2, 1, 2 });
    QCOMPARE(model.rowCount(), 4);
    QCOMPARE(model.columnCount(), 6);
    QCOMPARE(model.headerData(2, Qt::Horizontal).toString(), QStringLiteral("name"));

    QVERIFY(table.applyFilter(QStringLiteral("zone=2")));
    QCOMPARE(model.rowCount(), 2);
    QCOMPARE(model.index(1, 0).data().toInt(), 4);
    QCOMPARE(model.index(1, 5).data().toInt(), 8);
    QVERIFY(!(model.flags(model.index(0, 5)) & Qt::ItemIsEditable));

    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QVERIFY(model.setData(model.index(0, 2), QStringLiteral("x")));
    QCOMPARE(changed.size(), 1);
    QCOMPARE(table.asString(QStringLiteral("name")), QStringLiteral("x"));
    QVERIFY(model.setData(model.index(0, 3), Qt::Checked, Qt::CheckStateRole));
    QCOMPARE(model.index(0, 3).data(Qt::CheckStateRole).value<Qt::CheckState>(), Qt::Checked);

    // An edit in the grid that takes the row out of the filter removes it from view.
    QVERIFY(model.setData(model.index(0, 1), 1));
    QCOMPARE(model.rowCount(), 1);
    QVERIFY(!model.setData(model.index(0, 5), 1));

    table.emptyTable();
    QCOMPARE(model.rowCount(), 0);
}

// Everything a table announces, in order, as short words: "+2" a row inserted at visible
// position 2, "-0" one removed at 0, "reset", "at 1" the current row moved to 1.
class Announcements : public QObject
{
public:
    explicit Announcements(MemTable &table)
    {
        connect(&table, &MemTable::rowAboutToBeInserted, this, [this](int row) { said << QStringLiteral("+%1").arg(row); });
        connect(&table, &MemTable::rowAboutToBeRemoved, this, [this](int row) { said << QStringLiteral("-%1").arg(row); });
        connect(&table, &MemTable::reset, this, [this] { said << QStringLiteral("reset"); });
        connect(&table, &MemTable::currentRowChanged, this, [this](int row) { said << QStringLiteral("at %1").arg(row); });
    }
    QStringList said;
};

void TestMemTable::rowChanges_announcedAtTheirVisiblePositions_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("said");

    // Rows with zones 1, 2, 1, 2 under "zone=2": rows 2 and 4 show, the cursor is on row 2.
    QTest::newRow("append") << "append" << QStringList { "+2", "at 2" };
    QTest::newRow("append, left out on post") << "append zone 1" << QStringList { "+2", "at 2", "-2", "at -1" };
    QTest::newRow("edit out of the filter") << "edit out" << QStringList { "-0", "at -1" };
    QTest::newRow("edit back into the filter") << "edit out and back" << QStringList { "+0", "at 0" };
    QTest::newRow("new filter") << "filter" << QStringList { "reset", "at 0" };
    QTest::newRow("emptied") << "empty" << QStringList { "reset", "at -1" };
    QTest::newRow("appends in one update") << "append twice in an update" << QStringList { "reset", "at 3" };
}

void TestMemTable::rowChanges_announcedAtTheirVisiblePositions()
{
    QFETCH(QString, change);
    QFETCH(QStringList, said);
    MemTable table(QStringLiteral("t"), fixtureFields());
    fill(table, { 1, 2, 1, 2 });
    QVERIFY(table.applyFilter(QStringLiteral("zone=2")));
    Announcements announcements(table);

    if (change.startsWith("append")) {
        if (change.endsWith("update"))
            table.beginUpdate();
        table.append();
        table.setValue(QStringLiteral("zone"), change.endsWith("zone 1") ? 1 : 2);
        if (change.endsWith("update"))
            table.append(), table.setValue(QStringLiteral("zone"), 2), table.endUpdate();
        table.post();
    } else if (change.startsWith("edit")) {
        QVERIFY(table.setRecNo(1)); // the row with id 2
        announcements.said.clear();
        table.setValue(QStringLiteral("zone"), 1);
        table.post();
        if (change.endsWith("back")) {
            announcements.said.clear();
            table.setValue(QStringLiteral("zone"), 2);
            table.post();
        }
    } else if (change == "filter") {
        QVERIFY(table.applyFilter(QStringLiteral("zone=1")));
    } else {
        table.emptyTable();
    }
    QCOMPARE(announcements.said, said);
}

void TestMemTable::currentRow_announcedWhenItMoves()
{
    MemTable table(QStringLiteral("t"), fixtureFields());
    fill(table, { 5, 6, 7 });
    QSignalSpy moves(&table, &MemTable::currentRowChanged);
    QVERIFY(table.setRecNo(3));
    table.next(); // past the end: the row stays
    QVERIFY(table.locate(QStringLiteral("zone"), 6));
    QVERIFY(table.setRecNo(2)); // already there
    table.first();
    QCOMPARE(moves.size(), 3);
    QCOMPARE(moves.at(0).first().toInt(), 2);
    QCOMPARE(moves.at(1).first().toInt(), 1);
    QCOMPARE(moves.at(2).first().toInt(), 0);
}

void TestMemTable::model_keepsViewStateWhileRowsAreAppended()
{
    // A search appends found devices while the installer works in the grid: the row
    // they are on, and so their selection and open editor, must stay put.
    MemTable table(QStringLiteral("t"), fixtureFields());
    MemTableModel model(&table);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    fill(table, { 1, 2, 3 });
    const QPersistentModelIndex editing = model.index(1, 2);
    QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);

    table.append();
    table.setValue(QStringLiteral("zone"), 4);
    table.post();

    QCOMPARE(resets.size(), 0);
    QCOMPARE(inserted.size(), 1);
    QVERIFY(editing.isValid());
    QCOMPARE(editing.row(), 1);
    QCOMPARE(model.rowCount(), 4);
}

void TestMemTable::appendBehindAndWalks_leaveTheCursorWhereItWas()
{
    // The search adds its rows and notes while the installer stays on the row they chose.
    MemTable table(QStringLiteral("t"), fixtureFields());
    fill(table, { 1, 2, 3 });
    QVERIFY(table.setRecNo(2));
    QSignalSpy moves(&table, &MemTable::currentRowChanged);
    QSignalSpy inserted(&table, &MemTable::rowInserted);
    QSignalSpy changed(&table, &MemTable::rowChanged);

    const int row = table.appendBehind([](MemTable &t) { t.setValue(QStringLiteral("zone"), 4); });
    QCOMPARE(row, 3);
    QCOMPARE(table.rowValue(row, QStringLiteral("zone")).toInt(), 4);
    QCOMPARE(inserted.size(), 1);

    {
        const MemTable::CursorKept kept(table);
        for (table.first(); !table.eof(); table.next()) {
            table.setValue(QStringLiteral("name"), QStringLiteral("seen"));
            table.post();
        }
    }
    QCOMPARE(changed.count(), 4 + 1); // the appended row's fill, then the walk's four
    QCOMPARE(table.rowValue(0, QStringLiteral("name")).toString(), QStringLiteral("seen"));

    QCOMPARE(moves.size(), 0);
    QCOMPARE(table.recNo(), 2);
    QCOMPARE(table.asInteger(QStringLiteral("zone")), 2);
    // Later moves are told as before.
    table.first();
    QCOMPARE(moves.size(), 1);
}

void TestMemTable::currentRowLink_keepsGridAndCursorInStep()
{
    MemTable table(QStringLiteral("t"), fixtureFields());
    fill(table, { 1, 2, 1, 2 });
    MemTableModel model(&table);
    QItemSelectionModel selection(&model);
    CurrentRowLink link(table, selection);
    QCOMPARE(selection.currentIndex().row(), 0);

    selection.setCurrentIndex(model.index(2, 3), QItemSelectionModel::ClearAndSelect);
    QCOMPARE(table.recNo(), 3);

    QVERIFY(table.locate(QStringLiteral("zone"), 2));
    QCOMPARE(selection.currentIndex().row(), 1);
    QCOMPARE(selection.currentIndex().column(), 3); // the grid stays in its column

    QVERIFY(table.applyFilter(QStringLiteral("zone=1")));
    QCOMPARE(selection.currentIndex().row(), 0);
    QCOMPARE(table.recNo(), 1);

    table.emptyTable();
    QVERIFY(!selection.currentIndex().isValid());
}

void TestMemTable::model_columnsFollowTheirSpecs()
{
    MemTable table(QStringLiteral("t"), fixtureFields());
    fill(table, { 7, 8 });
    const auto field = [&table](const char *name) { return table.fieldIndex(QLatin1String(name)); };
    MemTableModel model(&table,
                        { { field("twice"), QStringLiteral("Два|раза"), 40, Qt::AlignRight, {} },
                          { field("zone"), QStringLiteral("Зона"), 60, Qt::AlignCenter, ColumnSpec::ReadOnly },
                          { field("name"), QStringLiteral("Имя"), 120, Qt::AlignLeft, {} } });
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

    QCOMPARE(model.columnCount(), 3);
    QCOMPARE(model.headerData(0, Qt::Horizontal).toString(), QStringLiteral("Два|раза"));
    QCOMPARE(model.columnSpec(2).width, 120);
    QCOMPARE(model.index(1, 0).data().toInt(), 4);
    QCOMPARE(model.index(1, 1).data().toInt(), 8);
    QCOMPARE(model.index(0, 1).data(Qt::TextAlignmentRole).value<Qt::Alignment>(), Qt::AlignCenter);
    QVERIFY(!(model.flags(model.index(0, 1)) & Qt::ItemIsEditable));
    QVERIFY(!model.setData(model.index(0, 1), 9));
    QVERIFY(model.setData(model.index(0, 2), QStringLiteral("ab")));
    QCOMPARE(table.rowValue(0, QStringLiteral("name")).toString(), QStringLiteral("ab"));
}

void TestMemTable::model_lookupEditedByKey_keepsNamesakesApart()
{
    // Two codes that share a name, as two device types do.
    const ReferenceTable kinds(QStringLiteral("kinds"), { { 5, QStringLiteral("ИП"), {} },
                                                         { 6, QStringLiteral("ИПР"), {} },
                                                         { 7, QStringLiteral("ИПР"), {} } });
    MemTable table(QStringLiteral("t"),
                   { FieldDef::integer(QStringLiteral("kind")),
                     FieldDef::lookupIn(QStringLiteral("kindName"), 20, QStringLiteral("kind"),
                                        [&kinds](const QVariant &key) { return kinds.name(key); }, &kinds) });
    table.append();
    table.setValue(QStringLiteral("kind"), 5);
    table.post();
    MemTableModel model(&table);
    const QModelIndex cell = model.index(0, 1);

    QCOMPARE(cell.data(MemTableModel::KeyRole).toInt(), 5);
    QCOMPARE(cell.data(MemTableModel::ChoicesRole).toList(),
             (QVariantList { QVariantList { 5, QStringLiteral("ИП") }, QVariantList { 6, QStringLiteral("ИПР") },
                             QVariantList { 7, QStringLiteral("ИПР") } }));
    QVERIFY(model.setData(cell, 7, MemTableModel::KeyRole));
    QCOMPARE(table.rowValue(0, QStringLiteral("kind")).toInt(), 7);
    QCOMPARE(cell.data().toString(), QStringLiteral("ИПР"));
    QVERIFY(!model.setData(cell, 8, MemTableModel::KeyRole)); // no such code
    QCOMPARE(table.rowValue(0, QStringLiteral("kind")).toInt(), 7);
}

QTEST_GUILESS_MAIN(TestMemTable)
#include "tst_memtable.moc"
