#pragma once

#include <QObject>
#include <QVariant>

#include <functional>

class Configuration;

// The outputs page's list of available zones is a copy taken at each load; this keeps
// the copy showing each zone as it is now (name, state, verification, profile) when the
// zones change, so that zones picked there by name are the zones meant. Its marks, the
// user's choice on that page, are left alone.
class AvailableZones : public QObject
{
public:
    explicit AvailableZones(Configuration &config, QObject *parent = nullptr);

    // Every copied zone anew from the zone table.
    void refresh();

private:
    void refreshZoneAt(int visibleZoneRow);
    // A zone's values, by field, into the copy's visible row `copyRow`.
    void copyZone(const std::function<QVariant(int field)> &zoneValue, int copyRow);

    Configuration &m_config;
};
