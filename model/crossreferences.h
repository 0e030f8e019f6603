#pragma once

#include <QHash>
#include <QList>
#include <QString>

#include <optional>

class Configuration;

// What the tables tell of one another, gathered once for lists that read every row: the
// modules' labels, the outputs each zone drives, the zones driving each output and the
// devices in each zone. It reads the tables as they are when made.
class CrossReferences
{
public:
    explicit CrossReferences(const Configuration &config);

    // "КЛМ № 3"; a module that never had a type, "Модуль 3".
    QString moduleLabel(int module) const;
    // The output keys of the zone row, ascending, each once.
    QList<int> outputsOf(int zoneRow) const;
    // The zones whose links name the output key, ascending.
    QList<int> zonesDriving(int outputKey) const { return m_zonesByOutput.value(outputKey); }
    int devicesIn(int zone) const { return m_devicesByZone.value(zone); }
    // The output table's first row with the key, if any.
    std::optional<int> outputRow(int outputKey) const;

private:
    const Configuration &m_config;
    QHash<int, int> m_outputRows;
    QHash<int, QList<int>> m_zonesByOutput;
    QHash<int, int> m_devicesByZone;
};
