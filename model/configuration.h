#pragma once

#include <image/imagelayout.h>
#include <image/settingsimage.h>
#include <model/configurationnotices.h>
#include <model/memtable.h>
#include <model/referencetables.h>
#include <model/systemsettings.h>
#include <model/tablefields.h>

#include <array>
#include <type_traits>
#include <utility>

// The whole editable configuration: the settings image and every configuration table,
// with the editing rules that keep them consistent. A new Configuration holds what the
// program holds right after start: 500 zones, 16 modules and the fixed lists.
class Configuration
{
public:
    static constexpr int ZoneCount = ImageLayout::ZoneCount;
    static constexpr int ModuleCount = SettingsImage::ModuleCount;
    static constexpr int OutputLinksPerZone = 16;
    static constexpr int TableCount = 12;

    Configuration();
    Configuration(const Configuration &) = delete;
    Configuration &operator=(const Configuration &) = delete;

    SettingsImage &image() { return m_image; }
    const SettingsImage &image() const { return m_image; }
    const ReferenceTables &references() const { return m_references; }
    const SystemSettings &settings() const { return m_settings; }
    // Every change of the settings goes through here, so the pages hear of it: the change
    // gets the settings to alter, and what it returns is returned.
    template <typename Change>
    std::invoke_result_t<Change, SystemSettings &> changeSettings(Change &&change);
    void setSettings(const SystemSettings &settings);

    // The configuration announces here when it was replaced or its settings changed.
    ConfigurationNotices &notices() { return m_notices; }
    const ConfigurationNotices &notices() const { return m_notices; }

    MemTable &mtArea() { return m_mtArea; }
    const MemTable &mtArea() const { return m_mtArea; }
    MemTable &mtAreaCopy() { return m_mtAreaCopy; }
    const MemTable &mtAreaCopy() const { return m_mtAreaCopy; }
    MemTable &mtDev() { return m_mtDev; }
    const MemTable &mtDev() const { return m_mtDev; }
    MemTable &mtSensor() { return m_mtSensor; }
    const MemTable &mtSensor() const { return m_mtSensor; }
    MemTable &mtSensorCopy() { return m_mtSensorCopy; }
    const MemTable &mtSensorCopy() const { return m_mtSensorCopy; }
    MemTable &mtReturn() { return m_mtReturn; }
    const MemTable &mtReturn() const { return m_mtReturn; }
    MemTable &mtReturnCopy() { return m_mtReturnCopy; }
    const MemTable &mtReturnCopy() const { return m_mtReturnCopy; }
    MemTable &mtEntrance() { return m_mtEntrance; }
    const MemTable &mtEntrance() const { return m_mtEntrance; }
    MemTable &mtSensorNew() { return m_mtSensorNew; }
    const MemTable &mtSensorNew() const { return m_mtSensorNew; }
    MemTable &mtTempType() { return m_mtTempType; }
    const MemTable &mtTempType() const { return m_mtTempType; }
    MemTable &mtRepComm() { return m_mtRepComm; }
    const MemTable &mtRepComm() const { return m_mtRepComm; }
    MemTable &mtRepEnt() { return m_mtRepEnt; }
    const MemTable &mtRepEnt() const { return m_mtRepEnt; }

    // Every table, always in this order, for what treats them alike.
    std::array<MemTable *, TableCount> tables()
    {
        return { &m_mtArea,     &m_mtAreaCopy,  &m_mtDev,       &m_mtSensor, &m_mtSensorCopy, &m_mtReturn,
                 &m_mtReturnCopy, &m_mtEntrance, &m_mtSensorNew, &m_mtTempType, &m_mtRepComm,   &m_mtRepEnt };
    }

    // The zone and module rows as the program creates them at start, rules firing.
    void createZoneRows();
    void createModuleRows();

    static QString zoneLabel(int zone);
    // "КЛМ № 5", "КВ-8 № 7"; empty for a module of no type.
    static QString moduleCaption(int type, int number);
    static QString outputLinkField(int slot); // "r1" .. "r16": the names of ZoneField::r(slot)

private:
    QVector<FieldDef> zoneFields();
    QVector<FieldDef> moduleFields();
    QVector<FieldDef> sensorFields();
    QVector<FieldDef> returnFields();
    QVector<FieldDef> entranceFields();
    QVector<FieldDef> sensorNewFields();
    FieldDef beingName(int size) const;
    FieldDef moduleLabel(int size);
    // The input messages as the inputs' message column offers them, by number.
    ReferenceTable inputMessages() const;
    void createFixedRows();

    SettingsImage m_image;
    SystemSettings m_settings;
    const ReferenceTables &m_references;

    MemTable m_mtDev;
    MemTable m_mtRepEnt;
    MemTable m_mtArea;
    MemTable m_mtAreaCopy;
    MemTable m_mtSensor;
    MemTable m_mtSensorCopy;
    MemTable m_mtReturn;
    MemTable m_mtReturnCopy;
    MemTable m_mtEntrance;
    MemTable m_mtSensorNew;
    MemTable m_mtTempType;
    MemTable m_mtRepComm;
    ConfigurationNotices m_notices;
};

namespace detail {
// Announces a change of the settings when it goes out of scope, whatever the change
// returned.
class SettingsChangeNotice
{
public:
    SettingsChangeNotice(const SystemSettings &settings, ConfigurationNotices &notices)
        : m_settings(settings), m_before(settings), m_notices(notices)
    {
    }
    ~SettingsChangeNotice()
    {
        if (m_settings != m_before)
            emit m_notices.settingsChanged();
    }
    SettingsChangeNotice(const SettingsChangeNotice &) = delete;
    SettingsChangeNotice &operator=(const SettingsChangeNotice &) = delete;

private:
    const SystemSettings &m_settings;
    const SystemSettings m_before;
    ConfigurationNotices &m_notices;
};
} // namespace detail

template <typename Change>
std::invoke_result_t<Change, SystemSettings &> Configuration::changeSettings(Change &&change)
{
    const detail::SettingsChangeNotice notice(m_settings, m_notices);
    return std::forward<Change>(change)(m_settings);
}

// Installs the editing rules on the configuration's tables.
void installEditingRules(Configuration &configuration);
