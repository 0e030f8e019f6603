#include <image/records.h>
#include <model/availablezones.h>
#include <model/configuration.h>
#include <model/filterexpressions.h>
#include <model/outputassignment.h>
#include <model/pagefilters.h>

#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

constexpr int FirstOutputRecord = 248;

// Module 3 has outputs 0 and 1 in the image and in the output table (keys 3000, 3001);
// module 4's output 2 is in the table only. The output page is shown, output 3001 current.
struct OutputsPage
{
    Configuration config;
    PageFilters filters { config };
    OutputAssignment assignment { config };

    OutputsPage()
    {
        for (const int number : { 0, 1 })
            ChannelRecord(config.image().ChannelRecord(3, FirstOutputRecord + number)).setOwner(3);
        MemTable &outputs = config.mtReturn();
        for (const auto &[module, number] : { std::pair { 3, 0 }, { 3, 1 }, { 4, 2 } }) {
            outputs.append();
            outputs.setValueSilently(OutputField::id_dev, module);
            outputs.setValueSilently(OutputField::offset, number);
            outputs.setValueSilently(OutputField::id_return, module * 1000 + number);
            outputs.post();
        }
        // The available zones are the snapshot a load takes.
        config.mtAreaCopy().copyRowsFrom(config.mtArea(), MemTable::Rows::All);
        showOutput(3001);
    }

    void showOutput(int key)
    {
        filters.PageControlChange(PageFilters::Outputs);
        config.mtReturn().locate(OutputField::id_return, key);
        filters.outputListFollowed();
    }

    void markAvailable(std::initializer_list<int> zones)
    {
        for (const int zone : zones) {
            QVERIFY(config.mtAreaCopy().locate(ZoneField::id, zone));
            config.mtAreaCopy().setValue(ZoneField::boolarea, true);
            config.mtAreaCopy().post();
        }
    }

    void markListed(std::initializer_list<int> zones)
    {
        for (const int zone : zones) {
            QVERIFY(config.mtArea().locate(ZoneField::id, zone));
            config.mtArea().setValue(ZoneField::boolarea, true);
            config.mtArea().post();
        }
    }

    // The zone's r1 .. r16 as one list, whatever the zone table's filter.
    QVector<int> fieldsOf(int zone)
    {
        MemTable &zones = config.mtArea();
        const QString filter = zones.filter();
        zones.applyFilter(FilterExpressions::zoneById(zone));
        QVector<int> keys;
        for (int slot = 1; slot <= Configuration::OutputLinksPerZone; ++slot)
            keys << zones.asInteger(ZoneField::r(slot));
        zones.applyFilter(filter);
        return keys;
    }

    void setFields(int zone, const QVector<int> &keys)
    {
        MemTable &zones = config.mtArea();
        const QString filter = zones.filter();
        zones.applyFilter(FilterExpressions::zoneById(zone));
        for (int slot = 1; slot <= keys.size(); ++slot)
            zones.setValue(ZoneField::r(slot), keys.at(slot - 1));
        zones.post();
        zones.applyFilter(filter);
    }

    QVector<RecordLink> linksOf(int zone) const
    {
        const ConstZoneRecord record(std::as_const(config).image().ZoneRecord(zone));
        QVector<RecordLink> links;
        for (int slot = 0; slot < ZoneRecord::OutputLinkCount; ++slot) {
            const RecordLink link = record.outputLink(slot);
            if (link.module != 0)
                links << link;
        }
        return links;
    }

    QVector<int> listedZones()
    {
        QVector<int> ids;
        MemTable &zones = config.mtArea();
        for (zones.first(); !zones.eof(); zones.next())
            ids << zones.asInteger(ZoneField::id);
        zones.first();
        return ids;
    }
};

QVector<int> keys(std::initializer_list<int> first)
{
    QVector<int> all(first);
    all.resize(Configuration::OutputLinksPerZone);
    return all;
}

} // namespace

// Found beside RecordLink, where the comparisons of QTest look.
static bool operator==(const RecordLink &a, const RecordLink &b)
{
    return a.module == b.module && a.record == b.record;
}

namespace QTest {
template<>
char *toString(const RecordLink &link)
{
    return qstrdup(qPrintable(u"(%1, %2)"_s.arg(link.module).arg(link.record)));
}
} // namespace QTest

class TestOutputAssignment : public QObject
{
    Q_OBJECT

private slots:
    void give_toMarkedZones();
    void give_passesOverZonesThatCannotTakeIt_data();
    void give_passesOverZonesThatCannotTakeIt();
    void give_withNothingLoaded_changesNothing();
    void give_withNoOutput_onlyClearsMarks();
    void take_fromEveryMarkedZoneAlthoughTheyLeaveTheList();
    void titleButtons_data();
    void titleButtons();
    void availableZones_showTheZonesAsTheyAreNow_data();
    void availableZones_showTheZonesAsTheyAreNow();
    void recordLinks_onlyForOutputsInTheImage_data();
    void recordLinks_onlyForOutputsInTheImage();
};

void TestOutputAssignment::give_toMarkedZones()
{
    OutputsPage page;
    page.setFields(9, { 4002 });
    page.markAvailable({ 5, 9 });

    page.assignment.BitBtn4Click();

    QCOMPARE(page.fieldsOf(5), keys({ 3001 }));
    QCOMPARE(page.fieldsOf(9), keys({ 4002, 3001 }));
    QCOMPARE(page.linksOf(5), (QVector<RecordLink> { { 3, 249 } }));
    QCOMPARE(page.linksOf(9), (QVector<RecordLink> { { 3, 249 } }));
    QCOMPARE(page.linksOf(6), QVector<RecordLink>());
    // The zones of the output are listed again, marks gone, both lists on their first row.
    QCOMPARE(page.config.mtArea().filter(), FilterExpressions::zonesHoldingOutput(3001));
    QCOMPARE(page.listedZones(), (QVector<int> { 5, 9 }));
    QCOMPARE(page.config.mtAreaCopy().recNo(), 1);
    MemTable &available = page.config.mtAreaCopy();
    for (available.first(); !available.eof(); available.next())
        QVERIFY(!available.asBoolean(ZoneField::boolarea));
}

void TestOutputAssignment::give_passesOverZonesThatCannotTakeIt_data()
{
    QTest::addColumn<QVector<int>>("before");

    QTest::newRow("holds it already") << keys({ 0, 3001 });
    QVector<int> full;
    for (int slot = 1; slot <= 16; ++slot)
        full << 5000 + slot;
    QTest::newRow("all sixteen fields used") << full;
}

void TestOutputAssignment::give_passesOverZonesThatCannotTakeIt()
{
    QFETCH(QVector<int>, before);
    OutputsPage page;
    page.setFields(12, before);
    page.markAvailable({ 12 });

    page.assignment.BitBtn4Click();

    QCOMPARE(page.fieldsOf(12), before);
    QCOMPARE(page.linksOf(12), QVector<RecordLink>());
    QVERIFY(page.config.mtAreaCopy().locate(ZoneField::id, 12));
    QVERIFY(!page.config.mtAreaCopy().asBoolean(ZoneField::boolarea));
}

void TestOutputAssignment::give_withNothingLoaded_changesNothing()
{
    Configuration config; // no load yet: the available list is empty
    OutputAssignment(config).BitBtn4Click();
    QVERIFY(config.mtAreaCopy().isEmpty());
    for (int zone = 1; zone <= Configuration::ZoneCount; zone += 99)
        QCOMPARE(ConstZoneRecord(std::as_const(config).image().ZoneRecord(zone)).outputLink(0).module, 0);
}

void TestOutputAssignment::give_withNoOutput_onlyClearsMarks()
{
    OutputsPage page;
    page.config.mtReturn().applyFilter(FilterExpressions::outputsWithKeys({})); // no output current
    page.markAvailable({ 5 });
    MemTable &zones = page.config.mtArea();
    zones.applyFilter(u""_s);
    QVERIFY(zones.locate(ZoneField::id, 5));
    zones.setValue(ZoneField::boolarea, true);
    zones.post();
    zones.applyFilter(FilterExpressions::zoneById(5));

    page.assignment.BitBtn4Click();
    page.assignment.BitBtn3Click();

    QCOMPARE(page.fieldsOf(5), keys({}));
    QCOMPARE(page.linksOf(5), QVector<RecordLink>());
    QVERIFY(page.config.mtAreaCopy().locate(ZoneField::id, 5));
    QVERIFY(!page.config.mtAreaCopy().asBoolean(ZoneField::boolarea));
}

void TestOutputAssignment::take_fromEveryMarkedZoneAlthoughTheyLeaveTheList()
{
    OutputsPage page;
    page.markAvailable({ 2, 3, 4, 8 });
    page.assignment.BitBtn4Click();
    QCOMPARE(page.listedZones(), (QVector<int> { 2, 3, 4, 8 }));
    page.setFields(4, { 3001, 3000, 3001 }); // held twice: both go

    page.markListed({ 2, 3, 4 });
    page.assignment.BitBtn3Click();

    QCOMPARE(page.listedZones(), (QVector<int> { 8 }));
    for (const int zone : { 2, 3 }) {
        QCOMPARE(page.fieldsOf(zone), keys({}));
        QCOMPARE(page.linksOf(zone), QVector<RecordLink>());
    }
    QCOMPARE(page.fieldsOf(4), keys({ 0, 3000, 0 }));
    QCOMPARE(page.fieldsOf(8), keys({ 3001 }));
    QCOMPARE(page.linksOf(8), (QVector<RecordLink> { { 3, 249 } }));
    QVERIFY(!page.config.mtArea().asBoolean(ZoneField::boolarea));
}

void TestOutputAssignment::titleButtons_data()
{
    QTest::addColumn<bool>("availableList");
    QTest::addColumn<QVector<bool>>("afterFirst");
    QTest::addColumn<QVector<bool>>("afterSecond");

    // Zones 2, 3 and 4 listed (holding the output), zone 3 marked before.
    QTest::newRow("zones of the output: set all, then clear all")
            << false << QVector<bool> { true, true, true } << QVector<bool> { false, false, false };
    QTest::newRow("available zones: invert each, twice")
            << true << QVector<bool> { true, false, true } << QVector<bool> { false, true, false };
}

void TestOutputAssignment::titleButtons()
{
    QFETCH(bool, availableList);
    QFETCH(QVector<bool>, afterFirst);
    QFETCH(QVector<bool>, afterSecond);

    OutputsPage page;
    page.markAvailable({ 2, 3, 4 });
    page.assignment.BitBtn4Click();
    MemTable &list = availableList ? page.config.mtAreaCopy() : page.config.mtArea();
    if (availableList)
        list.applyFilter(u"id=2 or id=3 or id=4"_s); // the three rows the rows below name
    QVERIFY(list.locate(ZoneField::id, 3));
    list.setValue(ZoneField::boolarea, true);
    list.post();

    const auto click = [&](int icon) {
        return availableList ? page.assignment.dbgAreaReturnAccTitleBtnClick(icon)
                             : page.assignment.dbgAreaReturnTitleBtnClick(icon);
    };
    const auto marks = [&] {
        QVector<bool> marked;
        for (list.first(); !list.eof(); list.next())
            marked << list.asBoolean(ZoneField::boolarea);
        return marked;
    };
    const int first = click(OutputAssignment::TitleCheck);
    QCOMPARE(first, OutputAssignment::TitleCross);
    QCOMPARE(list.recNo(), 1);
    QCOMPARE(marks(), afterFirst);
    QCOMPARE(click(first), OutputAssignment::TitleCheck);
    QCOMPARE(marks(), afterSecond);
}

using ZoneEdit = std::function<void(MemTable &zones)>;

void TestOutputAssignment::availableZones_showTheZonesAsTheyAreNow_data()
{
    QTest::addColumn<ZoneEdit>("edit");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("state");

    const auto zone5 = [](MemTable &zones) { QVERIFY(zones.locate(ZoneField::id, 5)); };
    QTest::newRow("a name typed") << ZoneEdit([zone5](MemTable &zones) {
        zone5(zones);
        zones.setValue(ZoneField::name, u"СКЛАД"_s);
        zones.post();
    }) << u"СКЛАД"_s << u"Подкл."_s;
    QTest::newRow("a state chosen") << ZoneEdit([zone5](MemTable &zones) {
        zone5(zones);
        zones.setValue(ZoneField::id_being, 1);
        zones.post();
    }) << QString() << u"Откл."_s;
    // As an import of names: many rows, one reset.
    QTest::newRow("names set in one batch") << ZoneEdit([](MemTable &zones) {
        const MemTable::UpdateGuard update(zones);
        for (const int zone : { 4, 5, 6 }) {
            QVERIFY(zones.locate(ZoneField::id, zone));
            zones.setValue(ZoneField::name, u"ЦЕХ %1"_s.arg(zone));
            zones.post();
        }
    }) << u"ЦЕХ 5"_s << u"Подкл."_s;
}

// Zones are picked there by name: a stale copy would give the output to the wrong zone.
void TestOutputAssignment::availableZones_showTheZonesAsTheyAreNow()
{
    QFETCH(ZoneEdit, edit);
    QFETCH(QString, name);
    QFETCH(QString, state);

    OutputsPage page;
    MemTable &zones = page.config.mtArea();
    zones.fillColumnSilently(ZoneField::id_being, 0);
    page.config.mtAreaCopy().copyRowsFrom(zones, MemTable::Rows::All);
    AvailableZones available(page.config);
    page.markAvailable({ 5, 7 });
    MemTable &copy = page.config.mtAreaCopy();
    QVERIFY(copy.locate(ZoneField::id, 7));

    page.filters.PageControlChange(PageFilters::Zones);
    edit(zones);

    QCOMPARE(copy.asInteger(ZoneField::id), 7); // the list keeps its current row
    QCOMPARE(copy.visibleValue(4, ZoneField::id).toInt(), 5);
    QCOMPARE(copy.visibleValue(4, ZoneField::name).toString(), name);
    QCOMPARE(copy.visibleValue(4, ZoneField::bname).toString(), state);
    QVERIFY(copy.visibleValue(4, ZoneField::boolarea).toBool());
    QVERIFY(copy.visibleValue(6, ZoneField::boolarea).toBool());
    QVERIFY(!copy.visibleValue(5, ZoneField::boolarea).toBool());
    // The zones' own marks are not the copy's.
    page.filters.PageControlChange(PageFilters::Zones);
    QVERIFY(zones.locate(ZoneField::id, 6));
    zones.setValue(ZoneField::boolarea, true);
    zones.post();
    QVERIFY(!copy.visibleValue(5, ZoneField::boolarea).toBool());
}

void TestOutputAssignment::recordLinks_onlyForOutputsInTheImage_data()
{
    QTest::addColumn<int>("module");
    QTest::addColumn<int>("number");
    QTest::addColumn<bool>("linked");

    QTest::newRow("in the image") << 3 << 1 << true;
    QTest::newRow("in the table only") << 4 << 2 << false;
    QTest::newRow("number past the outputs") << 3 << 8 << false;
    QTest::newRow("negative number") << 3 << -1 << false;
    QTest::newRow("no module") << 0 << 0 << false;
    QTest::newRow("module past the last") << 17 << 0 << false;
}

void TestOutputAssignment::recordLinks_onlyForOutputsInTheImage()
{
    QFETCH(int, module);
    QFETCH(int, number);
    QFETCH(bool, linked);

    OutputsPage page;
    page.assignment.AddReturnToAreaRecord(300, module, number);
    page.assignment.AddReturnToAreaRecord(300, module, number); // once only
    const QVector<RecordLink> expected = linked ? QVector<RecordLink> { { module, 248 + number } }
                                                : QVector<RecordLink>();
    QCOMPARE(page.linksOf(300), expected);

    // Out of zone range: nothing is touched.
    page.assignment.AddReturnToAreaRecord(0, module, number);
    page.assignment.AddReturnToAreaRecord(501, module, number);

    page.assignment.RemoveReturnFromAreaRecord(300, module, number);
    QCOMPARE(page.linksOf(300), QVector<RecordLink>());
}

QTEST_GUILESS_MAIN(TestOutputAssignment)
#include "tst_outputassignment.moc"
