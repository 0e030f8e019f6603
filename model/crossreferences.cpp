#include <model/crossreferences.h>

#include <image/cp1251.h>
#include <model/configuration.h>

#include <algorithm>

CrossReferences::CrossReferences(const Configuration &config) : m_config(config)
{
    const MemTable &outputs = config.mtReturn();
    for (int row = outputs.rowCount() - 1; row >= 0; --row) // the first row of a key wins
        m_outputRows.insert(outputs.rowInteger(row, OutputField::id_return), row);

    const MemTable &zones = config.mtArea();
    for (int row = 0; row < zones.rowCount(); ++row) {
        const int zone = zones.rowInteger(row, ZoneField::id);
        for (const int key : outputsOf(row))
            m_zonesByOutput[key] << zone;
    }
    for (QList<int> &driving : m_zonesByOutput) {
        std::sort(driving.begin(), driving.end());
        driving.erase(std::unique(driving.begin(), driving.end()), driving.end());
    }

    const MemTable &sensors = config.mtSensor();
    for (int row = 0; row < sensors.rowCount(); ++row)
        ++m_devicesByZone[sensors.rowInteger(row, SensorField::id_area)];
}

QList<int> CrossReferences::outputsOf(int zoneRow) const
{
    QList<int> keys;
    for (int slot = 1; slot <= Configuration::OutputLinksPerZone; ++slot) {
        const int key = m_config.mtArea().rowInteger(zoneRow, ZoneField::r(slot));
        if (key != 0)
            keys << key;
    }
    std::sort(keys.begin(), keys.end());
    keys.erase(std::unique(keys.begin(), keys.end()), keys.end());
    return keys;
}

QString CrossReferences::moduleLabel(int module) const
{
    const QString label = Cp1251::withoutTrailingBlanks(
            m_config.mtDev().lookupValue(ModuleField::addr, module, ModuleField::mname).toString());
    return label.isEmpty() ? QStringLiteral("Модуль %1").arg(module) : label;
}

std::optional<int> CrossReferences::outputRow(int outputKey) const
{
    const auto row = m_outputRows.constFind(outputKey);
    if (row == m_outputRows.cend())
        return std::nullopt;
    return *row;
}
