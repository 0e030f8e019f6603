#include <model/outputassignment.h>

#include <image/records.h>
#include <model/configuration.h>
#include <model/filterexpressions.h>
#include <model/marktitles.h>
#include <model/pagefilters.h>

#include <optional>

namespace {

constexpr int FirstOutputRecord = 248;
constexpr int OutputsPerModule = 8;

struct CurrentOutput
{
    int key; // id_return
    int module;
    int number;
};

// None when there is no output to give or take: an empty list would otherwise name
// output 0, which every free field holds.
std::optional<CurrentOutput> currentOutput(const MemTable &outputs)
{
    if (outputs.recNo() == 0 || outputs.asInteger(OutputField::id_return) == 0)
        return std::nullopt;
    return CurrentOutput { outputs.asInteger(OutputField::id_return), outputs.asInteger(OutputField::id_dev),
                           outputs.asInteger(OutputField::offset) };
}

// The ids of the visible rows whose mark is set, in order.
QVector<int> markedZones(MemTable &zones)
{
    QVector<int> ids;
    for (zones.first(); !zones.eof(); zones.next()) {
        if (zones.asBoolean(ZoneField::boolarea))
            ids << zones.asInteger(ZoneField::id);
    }
    return ids;
}

} // namespace

OutputAssignment::OutputAssignment(Configuration &configuration) : m_configuration(configuration) { }

void OutputAssignment::BitBtn4Click()
{
    MemTable &zones = m_configuration.mtArea();
    MemTable &available = m_configuration.mtAreaCopy();
    const std::optional<CurrentOutput> output = currentOutput(m_configuration.mtReturn());
    {
        const MemTable::UpdateGuard zonesSuspended(zones);
        const MemTable::UpdateGuard availableSuspended(available);
        for (available.first(); !available.eof(); available.next()) {
            if (!available.asBoolean(ZoneField::boolarea))
                continue;
            available.setValue(ZoneField::boolarea, false);
            available.post();
            if (!output)
                continue;
            const int zone = available.asInteger(ZoneField::id);
            zones.applyFilter(FilterExpressions::zoneById(zone));
            if (zones.isEmpty())
                continue;
            int freeSlot = 0;
            bool holds = false;
            for (int slot = 1; slot <= Configuration::OutputLinksPerZone; ++slot) {
                const int key = zones.asInteger(ZoneField::r(slot));
                holds = holds || key == output->key;
                if (key == 0 && freeSlot == 0)
                    freeSlot = slot;
            }
            if (holds || freeSlot == 0)
                continue;
            zones.setValue(ZoneField::r(freeSlot), output->key);
            zones.post();
            AddReturnToAreaRecord(zone, output->module, output->number);
        }
        PageFilters(m_configuration).SetFilterArea(2);
        available.first();
        zones.first();
    }
}

void OutputAssignment::BitBtn3Click()
{
    MemTable &zones = m_configuration.mtArea();
    const std::optional<CurrentOutput> output = currentOutput(m_configuration.mtReturn());
    {
        const MemTable::UpdateGuard suspended(zones);
        // Taken first: a zone whose field is cleared leaves the list, which must not make
        // the walk skip the zone after it.
        for (const int zone : markedZones(zones)) {
            if (!zones.locate(ZoneField::id, zone))
                continue;
            zones.setValue(ZoneField::boolarea, false);
            zones.post();
            if (!output)
                continue;
            for (int slot = 1; slot <= Configuration::OutputLinksPerZone; ++slot) {
                if (zones.recNo() == 0 || zones.asInteger(ZoneField::id) != zone)
                    break; // it left the list with its previous field
                if (zones.asInteger(ZoneField::r(slot)) != output->key)
                    continue;
                zones.setValue(ZoneField::r(slot), 0);
                zones.post();
                RemoveReturnFromAreaRecord(zone, output->module, output->number);
            }
        }
        PageFilters(m_configuration).SetFilterArea(2);
        zones.first();
    }
}

int OutputAssignment::dbgAreaReturnTitleBtnClick(int titleIcon)
{
    return MarkTitles::markAll(m_configuration.mtArea(), ZoneField::boolarea, titleIcon);
}

int OutputAssignment::dbgAreaReturnAccTitleBtnClick(int titleIcon)
{
    return MarkTitles::invertAll(m_configuration.mtAreaCopy(), ZoneField::boolarea, titleIcon);
}

bool OutputAssignment::outputExists(int module, int number) const
{
    if (module < 1 || module > Configuration::ModuleCount || number < 0 || number >= OutputsPerModule)
        return false;
    return ConstChannelRecord(m_configuration.image().ChannelRecord(module, FirstOutputRecord + number)).owner()
            == module;
}

void OutputAssignment::AddReturnToAreaRecord(int zone, int module, int number)
{
    if (zone < 1 || zone > Configuration::ZoneCount || !outputExists(module, number))
        return;
    const ZoneRecord record(m_configuration.image().ZoneRecord(zone));
    const int channel = FirstOutputRecord + number;
    int freeSlot = -1;
    for (int slot = 0; slot < ZoneRecord::OutputLinkCount; ++slot) {
        const RecordLink link = record.outputLink(slot);
        if (link.module == module && link.record == channel)
            return;
        if (link.module == 0 && freeSlot < 0)
            freeSlot = slot;
    }
    if (freeSlot >= 0)
        record.setOutputLink(freeSlot, { module, channel });
}

void OutputAssignment::RemoveReturnFromAreaRecord(int zone, int module, int number)
{
    if (zone < 1 || zone > Configuration::ZoneCount || !outputExists(module, number))
        return;
    const ZoneRecord record(m_configuration.image().ZoneRecord(zone));
    const int channel = FirstOutputRecord + number;
    for (int slot = 0; slot < ZoneRecord::OutputLinkCount; ++slot) {
        const RecordLink link = record.outputLink(slot);
        if (link.module == module && link.record == channel) {
            record.setOutputLink(slot, { 0, 0 });
            return;
        }
    }
}
