// Cost of one filter change on the zone and device grids, model reset included.

#include <model/configuration.h>
#include <model/filterexpressions.h>
#include <model/memtablemodel.h>

#include <QElapsedTimer>

#include <cstdio>
#include <utility>

namespace {

constexpr int warmUps = 200;
constexpr int repetitions = 2000;

// Cycles through `filters`; returns microseconds per application.
double timeFilters(MemTable &table, const QStringList &filters)
{
    for (int i = 0; i < warmUps; ++i)
        table.applyFilter(filters.at(i % filters.size()));
    QElapsedTimer timer;
    timer.start();
    for (int i = 0; i < repetitions; ++i)
        table.applyFilter(filters.at(i % filters.size()));
    return double(timer.nsecsElapsed()) / repetitions / 1000.0;
}

void report(const char *name, const MemTableModel &model, double microseconds)
{
    std::printf("%-46s rows %5d  visible %5d  %10.3f us\n", name, model.table()->rowCount(),
                model.rowCount(), microseconds);
}

void fillSensors(MemTable &sensors)
{
    sensors.beginUpdate();
    for (int module = 1; module <= Configuration::ModuleCount; ++module) {
        for (int k = 0; k < 248; ++k) {
            sensors.append();
            sensors.setValue(QStringLiteral("id_dev"), module);
            sensors.setValue(QStringLiteral("addr"), 2 + k / 2);
            sensors.setValue(QStringLiteral("id_chan"), 1);
            sensors.setValue(QStringLiteral("id_area"), k % Configuration::ZoneCount + 1);
            sensors.setValue(QStringLiteral("saddrl"), k);
            sensors.post();
        }
    }
    sensors.endUpdate();
}

} // namespace

int main()
{
    QElapsedTimer startUp;
    startUp.start();
    Configuration config;
    std::printf("%-46s %10.3f us\n", "Configuration() start-up seeding",
                double(startUp.nsecsElapsed()) / 1000.0);

    {
        MemTable &zones = config.mtArea();
        const MemTableModel model(&zones);
        // A few zones link output 5003 (zone, link slot), so the filter keeps some rows.
        const std::pair<int, int> links[] = { { 3, 1 }, { 77, 8 }, { 250, 16 }, { 500, 5 } };
        for (const auto &[zone, slot] : links) {
            zones.setRecNo(zone);
            zones.setValue(Configuration::outputLinkField(slot), 5003);
            zones.post();
        }
        report("mtArea zonesHoldingOutput(5003)", model,
               timeFilters(zones, { FilterExpressions::zonesHoldingOutput(5003) }));
    }

    {
        MemTable &sensors = config.mtSensor();
        fillSensors(sensors);
        const MemTableModel model(&sensors);
        QStringList filters;
        for (int i = 0; i < 64; ++i) {
            filters << FilterExpressions::ofModule(i % Configuration::ModuleCount + 1)
                    << FilterExpressions::devicesOfZone(1 + i * 37 % 300);
        }
        report("mtSensor ofModule / devicesOfZone alternating", model, timeFilters(sensors, filters));
    }
    return 0;
}
