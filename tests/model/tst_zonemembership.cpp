#include <image/records.h>
#include <model/configuration.h>
#include <model/filterexpressions.h>
#include <model/marktitles.h>
#include <model/zonemembership.h>

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

struct Device
{
    int module;
    int address;
    int record; // the channel record the address owns
    int serialLow;
};

// Module 1's devices on records 0, 3 and 35, and module 2's on record 0 with the very
// channel, address and serial of module 1's first: another device all the same.
const Device Devices[] = { { 1, 2, 0, 10 }, { 1, 5, 3, 11 }, { 1, 37, 35, 12 }, { 2, 2, 0, 10 } };

struct ZoneDialog
{
    Configuration config;
    ZoneDevices devices { config };

    ZoneDialog()
    {
        for (const Device &d : Devices) {
            ChannelRecord(config.image().ChannelRecord(d.module, d.record)).setOwner(d.address);
            config.mtSensor().append();
            config.mtSensor().setValue(SensorField::id_dev, d.module);
            config.mtSensor().setValue(SensorField::addr, d.address);
            config.mtSensor().setValue(SensorField::id_chan, 1);
            config.mtSensor().setValue(SensorField::saddrl, d.serialLow);
            config.mtSensor().setValue(SensorField::id_area, 0);
            config.mtSensor().setValue(SensorField::boolarea, false);
            config.mtSensor().post();
        }
    }

    // The dialog of `zone` opened, as the zones page opens it.
    void open(int zone)
    {
        devices.prepare();
        devices.FormShow(zone);
    }

    static void mark(MemTable &list, int module, int address)
    {
        for (list.first(); !list.eof(); list.next()) {
            if (list.asInteger(SensorField::id_dev) == module && list.asInteger(SensorField::addr) == address) {
                list.setValue(SensorField::boolarea, true);
                list.post();
                return;
            }
        }
        QFAIL("no such row");
    }

    static QVector<int> addresses(MemTable &list)
    {
        QVector<int> shown;
        for (list.first(); !list.eof(); list.next())
            shown << list.asInteger(SensorField::id_dev) * 1000 + list.asInteger(SensorField::addr);
        return shown;
    }

    int zoneOf(int module, int address)
    {
        for (int row = 0; row < config.mtSensor().rowCount(); ++row) {
            if (config.mtSensor().rowInteger(row, SensorField::id_dev) == module
                && config.mtSensor().rowInteger(row, SensorField::addr) == address)
                return config.mtSensor().rowInteger(row, SensorField::id_area);
        }
        return -1;
    }

    ConstChannelRecord channel(const Device &d) const
    {
        return ConstChannelRecord(std::as_const(config).image().ChannelRecord(d.module, d.record));
    }

    RecordLink link(int zone, int slot) const
    {
        return ConstZoneRecord(std::as_const(config).image().ZoneRecord(zone)).deviceLink(slot);
    }
};

} // namespace

class TestZoneMembership : public QObject
{
    Q_OBJECT

private slots:
    void devices_attachMarkedFreeDevices();
    void devices_zoneNumberHighAndLowByte();
    void devices_attachWithoutALinkSlot_data();
    void devices_attachWithoutALinkSlot();
    void devices_detachEveryMarkedDevice();
    void caption_labelSpaceAndName();
    void markTitles_setThenClear();
    void outputs_giveAndTake();
    void outputs_fullZoneKeepsMarks();
};

void TestZoneMembership::devices_attachMarkedFreeDevices()
{
    ZoneDialog dialog;
    dialog.open(3);
    QCOMPARE(dialog.config.mtSensor().filter(), u"id_area = 3"_s);
    QCOMPARE(ZoneDialog::addresses(dialog.config.mtSensorCopy()), (QVector<int> { 1002, 1005, 1037, 2002 }));
    ZoneDialog::mark(dialog.config.mtSensorCopy(), 1, 2);
    ZoneDialog::mark(dialog.config.mtSensorCopy(), 1, 5);

    dialog.devices.BitBtn1Click(3);

    QCOMPARE(ZoneDialog::addresses(dialog.config.mtSensor()), (QVector<int> { 1002, 1005 }));
    QCOMPARE(ZoneDialog::addresses(dialog.config.mtSensorCopy()), (QVector<int> { 1037, 2002 }));
    // Module 2's device of the same channel, address and serial stays free.
    QCOMPARE(dialog.zoneOf(2, 2), 0);
    for (const Device &d : { Devices[0], Devices[1] }) {
        QCOMPARE(dialog.channel(d).zone(), 3);
        QCOMPARE(dialog.channel(d).index(), d.record);
        QCOMPARE(dialog.link(3, d.record).module, 1);
        QCOMPARE(dialog.link(3, d.record).record, d.record);
    }
    QCOMPARE(dialog.link(3, 1).module, 0);
    for (MemTable *list : { &dialog.config.mtSensor(), &dialog.config.mtSensorCopy() }) {
        list->setFiltered(false);
        for (list->first(); !list->eof(); list->next())
            QVERIFY(!list->asBoolean(SensorField::boolarea));
    }
}

void TestZoneMembership::devices_zoneNumberHighAndLowByte()
{
    ZoneDialog dialog;
    dialog.open(300);
    ZoneDialog::mark(dialog.config.mtSensorCopy(), 1, 5);
    dialog.devices.BitBtn1Click(300);
    QCOMPARE(dialog.channel(Devices[1]).zone(), 300); // bytes 1 and 44
    QCOMPARE(dialog.link(300, 3).record, 3);
}

void TestZoneMembership::devices_attachWithoutALinkSlot_data()
{
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");

    QTest::newRow("channel record past the link slots") << 2 << 2; // record 35 alone
    QTest::newRow("slot taken by another module's record") << 0 << 3;
}

void TestZoneMembership::devices_attachWithoutALinkSlot()
{
    QFETCH(int, first);
    QFETCH(int, second);
    const Device &a = Devices[first];
    const Device &b = Devices[second];

    ZoneDialog dialog;
    dialog.open(8);
    ZoneDialog::mark(dialog.config.mtSensorCopy(), a.module, a.address);
    ZoneDialog::mark(dialog.config.mtSensorCopy(), b.module, b.address);
    dialog.devices.BitBtn1Click(8);

    // Both are in the zone, table and channel record alike.
    for (const Device &d : { a, b }) {
        QCOMPARE(dialog.zoneOf(d.module, d.address), 8);
        QCOMPARE(dialog.channel(d).zone(), 8);
    }
    // Only a record below 30 whose slot is free is linked: module 1's record 0 here.
    QVector<RecordLink> links;
    for (int slot = 0; slot < ZoneRecord::DeviceLinkCount; ++slot) {
        if (dialog.link(8, slot).module != 0)
            links << dialog.link(8, slot);
    }
    QCOMPARE(links.size(), first == second ? 0 : 1);
    if (!links.isEmpty())
        QCOMPARE(links.first().module, 1);
}

void TestZoneMembership::devices_detachEveryMarkedDevice()
{
    ZoneDialog dialog;
    dialog.open(1);
    ZoneDialog::mark(dialog.config.mtSensorCopy(), 1, 2);
    ZoneDialog::mark(dialog.config.mtSensorCopy(), 1, 5);
    dialog.devices.BitBtn1Click(1);
    // Marked in zone 1's dialog and left so.
    ZoneDialog::mark(dialog.config.mtSensor(), 1, 2);

    dialog.open(2);
    ZoneDialog::mark(dialog.config.mtSensorCopy(), 1, 37);
    dialog.devices.BitBtn1Click(2);
    ZoneDialog::mark(dialog.config.mtSensor(), 1, 37);
    dialog.devices.BitBtn2Click(2);

    QCOMPARE(dialog.zoneOf(1, 2), 0);
    QCOMPARE(dialog.zoneOf(1, 37), 0);
    QCOMPARE(dialog.zoneOf(1, 5), 1);
    QCOMPARE(dialog.channel(Devices[0]).zone(), 0);
    QCOMPARE(dialog.channel(Devices[0]).index(), 0);
    QCOMPARE(dialog.link(1, 0).module, 0);
    QCOMPARE(dialog.link(1, 3).module, 1);
    QCOMPARE(dialog.config.mtSensor().filter(), u"id_area = 2"_s);
    QVERIFY(dialog.config.mtSensor().isEmpty());
    QCOMPARE(ZoneDialog::addresses(dialog.config.mtSensorCopy()), (QVector<int> { 1002, 1037, 2002 }));
}

void TestZoneMembership::caption_labelSpaceAndName()
{
    Configuration config;
    QVERIFY(config.mtArea().locate(ZoneField::id, 5));
    QCOMPARE(zoneDialogCaption(config.mtArea()), u"Зона 5 "_s);
    config.mtArea().setValue(ZoneField::name, u"СКЛАД"_s);
    QCOMPARE(zoneDialogCaption(config.mtArea()), u"Зона 5 СКЛАД"_s);
}

void TestZoneMembership::markTitles_setThenClear()
{
    ZoneDialog dialog;
    dialog.open(3);
    MemTable &free = dialog.config.mtSensorCopy();
    ZoneDialog::mark(free, 1, 5);
    const auto marks = [&free] {
        QVector<bool> marked;
        for (free.first(); !free.eof(); free.next())
            marked << free.asBoolean(SensorField::boolarea);
        return marked;
    };
    QCOMPARE(MarkTitles::markAll(free, SensorField::boolarea, MarkTitles::Check), MarkTitles::Cross);
    QCOMPARE(free.recNo(), 1);
    QCOMPARE(marks(), QVector<bool>(4, true));
    QCOMPARE(MarkTitles::markAll(free, SensorField::boolarea, MarkTitles::Cross), MarkTitles::Check);
    QCOMPARE(marks(), QVector<bool>(4, false));
}

void TestZoneMembership::outputs_giveAndTake()
{
    Configuration config;
    ZoneOutputs outputs(config);
    // Outputs 3000 and 3001 exist in the image; 4002 in the table only.
    for (const int number : { 0, 1 })
        ChannelRecord(config.image().ChannelRecord(3, 248 + number)).setOwner(3);
    for (const int key : { 3000, 3001, 4002 }) {
        config.mtReturn().append();
        config.mtReturn().setValue(OutputField::id_dev, key / 1000);
        config.mtReturn().setValue(OutputField::offset, key % 1000);
        config.mtReturn().setValue(OutputField::id_return, key);
        config.mtReturn().setValue(OutputField::boolarea, false);
        config.mtReturn().post();
    }
    QVERIFY(config.mtArea().locate(ZoneField::id, 4));
    outputs.prepare();
    outputs.FormShow();
    QCOMPARE(config.mtReturn().filter(), u"id_return=0"_s);
    QVERIFY(config.mtReturn().isEmpty());

    const auto markCopy = [&config](int key) {
        QVERIFY(config.mtReturnCopy().locate(OutputField::id_return, key));
        config.mtReturnCopy().setValue(OutputField::boolarea, true);
        config.mtReturnCopy().post();
    };
    const auto fields = [&config] {
        QVector<int> keys;
        for (int slot = 1; slot <= 16; ++slot)
            keys << config.mtArea().asInteger(ZoneField::r(slot));
        return keys;
    };
    const auto link = [&config](int slot) {
        return ConstZoneRecord(std::as_const(config).image().ZoneRecord(4)).outputLink(slot);
    };
    markCopy(3000);
    markCopy(4002);
    outputs.BitBtn1Click();
    QVector<int> expected(16, 0);
    expected[0] = 3000;
    expected[1] = 4002;
    QCOMPARE(fields(), expected);
    QCOMPARE(link(0).module, 3);
    QCOMPARE(link(0).record, 248);
    QCOMPARE(link(1).module, 0); // 4002 is not in the image: the zone row only
    QCOMPARE(config.mtReturn().recordCount(), 2);

    // Given again: only the mark goes.
    markCopy(3000);
    outputs.BitBtn1Click();
    QCOMPARE(fields(), expected);
    QVERIFY(config.mtReturnCopy().locate(OutputField::id_return, 3000));
    QVERIFY(!config.mtReturnCopy().asBoolean(OutputField::boolarea));

    // Taken away: the field and the link slot are emptied; the copy keeps every output.
    QVERIFY(config.mtReturn().locate(OutputField::id_return, 3000));
    config.mtReturn().setValue(OutputField::boolarea, true);
    config.mtReturn().post();
    outputs.BitBtn2Click();
    expected[0] = 0;
    QCOMPARE(fields(), expected);
    QCOMPARE(link(0).module, 0);
    QCOMPARE(config.mtReturn().recordCount(), 1);
    QCOMPARE(config.mtReturnCopy().recordCount(), 3);
}

void TestZoneMembership::outputs_fullZoneKeepsMarks()
{
    Configuration config;
    ZoneOutputs outputs(config);
    config.mtReturn().append();
    config.mtReturn().setValue(OutputField::id_dev, 3);
    config.mtReturn().setValue(OutputField::id_return, 3000);
    config.mtReturn().post();
    QVERIFY(config.mtArea().locate(ZoneField::id, 6));
    for (int slot = 1; slot <= 16; ++slot)
        config.mtArea().setValue(ZoneField::r(slot), 5000 + slot);
    config.mtArea().post();
    outputs.prepare();
    outputs.FormShow();
    QVERIFY(config.mtReturnCopy().locate(OutputField::id_return, 3000));
    config.mtReturnCopy().setValue(OutputField::boolarea, true);
    config.mtReturnCopy().post();

    outputs.BitBtn1Click();

    QCOMPARE(config.mtArea().asInteger(ZoneField::r(1)), 5001);
    QVERIFY(config.mtReturnCopy().locate(OutputField::id_return, 3000));
    QVERIFY(config.mtReturnCopy().asBoolean(OutputField::boolarea));
}

QTEST_GUILESS_MAIN(TestZoneMembership)
#include "tst_zonemembership.moc"
