#include <model/availablezones.h>

#include <model/configuration.h>

#include <QHash>

#include <optional>

AvailableZones::AvailableZones(Configuration &config, QObject *parent) : QObject(parent), m_config(config)
{
    MemTable &zones = m_config.mtArea();
    connect(&zones, &MemTable::rowChanged, this, &AvailableZones::refreshZoneAt);
    // A reset also ends a batch of edits (the import of names) announced as one.
    connect(&zones, &MemTable::reset, this, &AvailableZones::refresh);
}

void AvailableZones::refresh()
{
    const MemTable &zones = m_config.mtArea();
    QHash<int, int> rowOfZone;
    rowOfZone.reserve(zones.rowCount());
    for (int row = 0; row < zones.rowCount(); ++row)
        rowOfZone.insert(zones.rowInteger(row, ZoneField::id), row);
    const MemTable &copy = m_config.mtAreaCopy();
    for (int copyRow = 0; copyRow < copy.recordCount(); ++copyRow) {
        const auto zoneRow = rowOfZone.constFind(copy.visibleValue(copyRow, ZoneField::id).toInt());
        if (zoneRow != rowOfZone.cend())
            copyZone([&zones, row = *zoneRow](int field) { return zones.rowValue(row, field); }, copyRow);
    }
}

void AvailableZones::refreshZoneAt(int visibleZoneRow)
{
    const MemTable &zones = m_config.mtArea();
    const int zone = zones.visibleValue(visibleZoneRow, ZoneField::id).toInt();
    const MemTable &copy = m_config.mtAreaCopy();
    // The copy holds every zone in order, so zone n is nearly always its row n - 1.
    int copyRow = zone - 1;
    if (copyRow < 0 || copyRow >= copy.recordCount() || copy.visibleValue(copyRow, ZoneField::id).toInt() != zone) {
        for (copyRow = 0; copyRow < copy.recordCount(); ++copyRow) {
            if (copy.visibleValue(copyRow, ZoneField::id).toInt() == zone)
                break;
        }
        if (copyRow == copy.recordCount())
            return;
    }
    copyZone([&zones, visibleZoneRow](int field) { return zones.visibleValue(visibleZoneRow, field); }, copyRow);
}

void AvailableZones::copyZone(const std::function<QVariant(int field)> &zoneValue, int copyRow)
{
    MemTable &copy = m_config.mtAreaCopy();
    const QVector<FieldDef> &fields = copy.fields();
    std::optional<MemTable::CursorKept> kept; // only once something changes
    for (int field = 0; field < fields.size(); ++field) {
        if (!fields.at(field).isData() || field == ZoneField::boolarea)
            continue;
        const QVariant now = zoneValue(field);
        if (copy.visibleValue(copyRow, field) == now)
            continue;
        if (!kept)
            kept.emplace(copy);
        copy.setVisibleValue(copyRow, field, now);
    }
}
