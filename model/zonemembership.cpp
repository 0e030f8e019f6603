#include <model/zonemembership.h>

#include <image/records.h>
#include <model/configuration.h>
#include <model/filterexpressions.h>
#include <model/outputassignment.h>
#include <model/pagefilters.h>

namespace {

constexpr int DeviceRecords = 248; // channel records 0 .. 247 hold detector channels

// The first channel record of `module` that `address` owns; -1 for none.
int channelOf(const SettingsImage &image, int module, int address)
{
    if (module < 1 || module > Configuration::ModuleCount || address == 0)
        return -1;
    for (int record = 0; record < DeviceRecords; ++record) {
        if (ConstChannelRecord(image.ChannelRecord(module, record)).owner() == address)
            return record;
    }
    return -1;
}

bool validZone(int zone)
{
    return zone >= 1 && zone <= Configuration::ZoneCount;
}

} // namespace

QString zoneDialogCaption(const MemTable &zones)
{
    return zones.asString(ZoneField::num) + QLatin1Char(' ') + zones.asString(ZoneField::name);
}

ZoneDevices::ZoneDevices(Configuration &configuration) : m_configuration(configuration) { }

void ZoneDevices::copyFreeDevices()
{
    m_configuration.mtSensor().applyFilter(FilterExpressions::devicesInNoZone());
    m_configuration.mtSensorCopy().copyRowsFrom(m_configuration.mtSensor());
}

void ZoneDevices::prepare()
{
    copyFreeDevices();
}

void ZoneDevices::FormShow(int zone)
{
    m_configuration.mtSensor().applyFilter(FilterExpressions::devicesOfZoneInDialog(zone));
    m_configuration.mtSensorCopy().applyFilter(FilterExpressions::devicesInNoZone());
}

void ZoneDevices::BitBtn1Click(int zone)
{
    MemTable &devices = m_configuration.mtSensor();
    MemTable &free = m_configuration.mtSensorCopy();
    {
        const MemTable::UpdateGuard devicesSuspended(devices);
        const MemTable::UpdateGuard freeSuspended(free);
        free.setFiltered(false); // every copied row is visited, also those attached meanwhile
        for (free.first(); !free.eof(); free.next()) {
            if (!free.asBoolean(SensorField::boolarea))
                continue;
            // The module belongs to a device's identity: the same channel, address and
            // serial on another module is another device, maybe in another zone.
            devices.applyFilter(FilterExpressions::deviceChannel(free.asInteger(SensorField::id_chan),
                                                                 free.asInteger(SensorField::addr),
                                                                 free.asInteger(SensorField::saddrl))
                                + QStringLiteral(" and (id_dev = %1)").arg(free.asInteger(SensorField::id_dev)));
            if (!devices.isEmpty()) {
                devices.first();
                devices.setValue(SensorField::id_area, zone);
                devices.post();
                AddSensorToAreaRecord(devices.asInteger(SensorField::id_dev), devices.asInteger(SensorField::addr),
                                      zone);
            }
            free.setValue(SensorField::id_area, zone);
            free.setValue(SensorField::boolarea, false);
            free.post();
        }
        free.first();
        free.setFiltered(true); // still "id_area = 0": the attached rows leave the list
        devices.applyFilter(FilterExpressions::devicesOfZoneInDialog(zone));
    }
}

void ZoneDevices::BitBtn2Click(int zone)
{
    MemTable &devices = m_configuration.mtSensor();
    {
        const MemTable::UpdateGuard suspended(devices);
        devices.setFiltered(false); // a device left marked in another zone's dialog goes too
        for (devices.first(); !devices.eof(); devices.next()) {
            if (!devices.asBoolean(SensorField::boolarea))
                continue;
            const int previous = devices.asInteger(SensorField::id_area);
            devices.setValue(SensorField::id_area, 0);
            devices.setValue(SensorField::boolarea, false);
            devices.post();
            RemoveSensorFromAreaRecord(devices.asInteger(SensorField::id_dev), devices.asInteger(SensorField::addr),
                                       previous);
        }
        copyFreeDevices();
        devices.applyFilter(FilterExpressions::devicesOfZoneInDialog(zone));
        devices.first();
    }
}

void ZoneDevices::AddSensorToAreaRecord(int module, int address, int zone)
{
    SettingsImage &image = m_configuration.image();
    const int record = channelOf(image, module, address);
    if (record < 0 || !validZone(zone))
        return;
    const ChannelRecord channel(image.ChannelRecord(module, record));
    channel.setZone(zone);
    channel.setIndex(record);
    // A device's link slot is the one numbered as its channel record, if there is one.
    const ZoneRecord zoneRecord(image.ZoneRecord(zone));
    if (record < ZoneRecord::DeviceLinkCount && zoneRecord.deviceLink(record).module == 0)
        zoneRecord.setDeviceLink(record, { module, record });
}

void ZoneDevices::RemoveSensorFromAreaRecord(int module, int address, int zone)
{
    SettingsImage &image = m_configuration.image();
    const int record = channelOf(image, module, address);
    if (record < 0)
        return;
    const ChannelRecord channel(image.ChannelRecord(module, record));
    channel.setZone(0);
    channel.setIndex(0);
    if (!validZone(zone))
        return;
    const ZoneRecord zoneRecord(image.ZoneRecord(zone));
    for (int slot = 0; slot < ZoneRecord::DeviceLinkCount; ++slot) {
        const RecordLink link = zoneRecord.deviceLink(slot);
        if (link.module == module && link.record == record) {
            zoneRecord.setDeviceLink(slot, { 0, 0 });
            return;
        }
    }
}

ZoneOutputs::ZoneOutputs(Configuration &configuration) : m_configuration(configuration) { }

void ZoneOutputs::prepare()
{
    m_configuration.mtReturn().applyFilter(FilterExpressions::allRows());
    m_configuration.mtReturnCopy().copyRowsFrom(m_configuration.mtReturn());
}

void ZoneOutputs::FormShow()
{
    PageFilters(m_configuration).SetFilterReturn(3);
}

void ZoneOutputs::BitBtn1Click()
{
    MemTable &zones = m_configuration.mtArea();
    MemTable &copy = m_configuration.mtReturnCopy();
    if (zones.recNo() == 0)
        return;
    const int zone = zones.asInteger(ZoneField::id);
    OutputAssignment assignment(m_configuration);
    {
        const MemTable::UpdateGuard copySuspended(copy);
        const MemTable::UpdateGuard outputsSuspended(m_configuration.mtReturn());
        for (copy.first(); !copy.eof(); copy.next()) {
            if (!copy.asBoolean(OutputField::boolarea))
                continue;
            const int key = copy.asInteger(OutputField::id_return);
            int freeSlot = 0;
            bool holds = false;
            for (int slot = 1; slot <= Configuration::OutputLinksPerZone; ++slot) {
                const int held = zones.asInteger(ZoneField::r(slot));
                holds = holds || held == key;
                if (held == 0 && freeSlot == 0)
                    freeSlot = slot;
            }
            if (freeSlot == 0)
                continue; // a full zone: the output keeps its mark
            copy.setValue(OutputField::boolarea, false);
            copy.post();
            if (holds)
                continue;
            assignment.AddReturnToAreaRecord(zone, copy.asInteger(OutputField::id_dev),
                                             copy.asInteger(OutputField::offset));
            zones.setValue(ZoneField::r(freeSlot), key);
            zones.post();
        }
        copy.first();
        PageFilters(m_configuration).SetFilterReturn(3);
    }
}

void ZoneOutputs::BitBtn2Click()
{
    MemTable &zones = m_configuration.mtArea();
    MemTable &outputs = m_configuration.mtReturn();
    if (zones.recNo() == 0)
        return;
    const int zone = zones.asInteger(ZoneField::id);
    OutputAssignment assignment(m_configuration);
    {
        const MemTable::UpdateGuard suspended(outputs);
        for (outputs.first(); !outputs.eof(); outputs.next()) {
            if (!outputs.asBoolean(OutputField::boolarea))
                continue;
            const int key = outputs.asInteger(OutputField::id_return);
            for (int slot = 1; slot <= Configuration::OutputLinksPerZone; ++slot) {
                if (zones.asInteger(ZoneField::r(slot)) != key)
                    continue;
                outputs.setValue(OutputField::boolarea, false);
                outputs.post();
                assignment.RemoveReturnFromAreaRecord(zone, outputs.asInteger(OutputField::id_dev),
                                                      outputs.asInteger(OutputField::offset));
                zones.setValue(ZoneField::r(slot), 0);
                zones.post();
            }
        }
        PageFilters(m_configuration).SetFilterReturn(3);
        outputs.first();
    }
}
