#include <model/configuration.h>
#include <model/filterexpressions.h>
#include <model/pagefilters.h>

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QString KeptZones = u"id=99"_s;
const QString KeptDevices = u"id_area =99"_s;
const QString KeptOutputs = u"id_return=99"_s;

// Zones 1 and 7 hold outputs (7 holds 3002 before 3001 in field order), module 3 is
// current, and every filter is one no page sets, so what a page leaves alone shows.
void prepare(Configuration &config)
{
    MemTable &zones = config.mtArea();
    zones.locate(ZoneField::id, 1);
    zones.setValue(ZoneField::r(3), 4001);
    zones.locate(ZoneField::id, 7);
    zones.setValue(ZoneField::r(2), 3002);
    zones.setValue(ZoneField::r(5), 3001);
    MemTable &outputs = config.mtReturn();
    for (const int key : { 3001, 3002, 4001 }) {
        outputs.append();
        outputs.setValue(OutputField::id_dev, key / 1000);
        outputs.setValue(OutputField::id_return, key);
    }
    config.mtDev().locate(ModuleField::addr, 3);

    zones.applyFilter(KeptZones);
    config.mtSensor().applyFilter(KeptDevices);
    outputs.applyFilter(KeptOutputs);
}

} // namespace

class TestPageFilters : public QObject
{
    Q_OBJECT

private slots:
    void pageControlChange_data();
    void pageControlChange();
    void leadingLists_followTheirCurrentRow();
    void noCurrentRow_readsAsZero();
    void argumentNamingNoExpression_reappliesTheTablesOwn();
};

void TestPageFilters::pageControlChange_data()
{
    QTest::addColumn<int>("page");
    QTest::addColumn<QString>("zones");
    QTest::addColumn<QString>("devices");
    QTest::addColumn<QString>("outputs");

    // Showing every zone makes zone 1 current; the lists below follow it.
    QTest::newRow("zones") << 0 << u""_s << u"id_area =1"_s << u"id_return=4001"_s;
    QTest::newRow("modules") << 1 << KeptZones << u"id_dev =3"_s << u"id_dev =3"_s;
    // Showing every output makes the first current; the zones follow it.
    QTest::newRow("outputs") << 2 << FilterExpressions::zonesHoldingOutput(3001) << KeptDevices << u""_s;
    QTest::newRow("inputs") << 3 << KeptZones << KeptDevices << KeptOutputs;
    QTest::newRow("system") << 4 << KeptZones << KeptDevices << KeptOutputs;
    QTest::newRow("communicator") << 5 << KeptZones << KeptDevices << KeptOutputs;
}

void TestPageFilters::pageControlChange()
{
    QFETCH(int, page);
    QFETCH(QString, zones);
    QFETCH(QString, devices);
    QFETCH(QString, outputs);

    Configuration config;
    prepare(config);
    PageFilters(config).PageControlChange(page);

    QCOMPARE(config.mtArea().filter(), zones);
    QCOMPARE(config.mtSensor().filter(), devices);
    QCOMPARE(config.mtReturn().filter(), outputs);
    QVERIFY(config.mtArea().isFiltered() && config.mtSensor().isFiltered() && config.mtReturn().isFiltered());
}

void TestPageFilters::leadingLists_followTheirCurrentRow()
{
    Configuration config;
    prepare(config);
    PageFilters filters(config);

    filters.PageControlChange(PageFilters::Zones);
    QVERIFY(config.mtArea().locate(ZoneField::id, 7));
    filters.zoneListFollowed();
    QCOMPARE(config.mtSensor().filter(), u"id_area =7"_s);
    QCOMPARE(config.mtReturn().filter(), u"id_return=3002 or id_return=3001"_s);
    QCOMPARE(config.mtReturn().recordCount(), 2);
    QCOMPARE(config.mtArea().asInteger(ZoneField::id), 7); // the leading list stays where it is

    filters.PageControlChange(PageFilters::Modules);
    config.mtDev().next();
    filters.moduleListFollowed();
    QCOMPARE(config.mtSensor().filter(), u"id_dev =4"_s);
    QCOMPARE(config.mtReturn().filter(), u"id_dev =4"_s);
    QCOMPARE(config.mtReturn().recordCount(), 1);

    filters.PageControlChange(PageFilters::Outputs);
    QCOMPARE(config.mtArea().recordCount(), 1); // zone 7 holds 3001
    config.mtReturn().locate(OutputField::id_return, 4001);
    filters.outputListFollowed();
    QCOMPARE(config.mtArea().filter(), FilterExpressions::zonesHoldingOutput(4001));
    QCOMPARE(config.mtArea().asInteger(ZoneField::id), 1);
    QCOMPARE(config.mtReturn().asInteger(OutputField::id_return), 4001);
}

void TestPageFilters::noCurrentRow_readsAsZero()
{
    Configuration config; // no outputs at all
    PageFilters filters(config);
    filters.PageControlChange(PageFilters::Outputs);
    // Output 0 is the empty field, so every zone with a free field is listed.
    QCOMPARE(config.mtArea().filter(), FilterExpressions::zonesHoldingOutput(0));
    QCOMPARE(config.mtArea().recordCount(), Configuration::ZoneCount);

    // No zone current: its outputs are none, and its devices those of zone 0.
    config.mtArea().applyFilter(FilterExpressions::zoneById(0));
    filters.SetFilterSensor(1);
    filters.SetFilterReturn(3);
    QCOMPARE(config.mtSensor().filter(), u"id_area =0"_s);
    QCOMPARE(config.mtReturn().filter(), u"id_return=0"_s);
}

void TestPageFilters::argumentNamingNoExpression_reappliesTheTablesOwn()
{
    Configuration config;
    prepare(config);
    config.mtArea().setFiltered(false);
    config.mtSensor().setFiltered(false);
    config.mtReturn().setFiltered(false);

    PageFilters filters(config);
    filters.SetFilterArea(0);
    filters.SetFilterSensor(3);
    filters.SetFilterReturn(1);

    QCOMPARE(config.mtArea().filter(), KeptZones);
    QCOMPARE(config.mtSensor().filter(), KeptDevices);
    QCOMPARE(config.mtReturn().filter(), KeptOutputs);
    QVERIFY(config.mtArea().isFiltered() && config.mtSensor().isFiltered() && config.mtReturn().isFiltered());
    QCOMPARE(config.mtArea().recordCount(), 1);
    QCOMPARE(config.mtReturn().recordCount(), 0);
}

QTEST_GUILESS_MAIN(TestPageFilters)
#include "tst_pagefilters.moc"
