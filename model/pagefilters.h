#pragma once

class Configuration;
class MemTable;

// The one row filter each of the zone, device and output tables carries, set from the
// current rows of the lists that lead them. Every grid and dialog showing a table shares
// its filter; the filter set last wins.
class PageFilters
{
public:
    // The pages by tab index; those after Outputs leave the filters as they were.
    enum Page { Zones, Modules, Outputs, Inputs, System, Communicator };

    explicit PageFilters(Configuration &configuration);

    // 1: all zones; 2: the zones holding the output table's current output.
    void SetFilterArea(int num);
    // 1: the devices of the current zone; 2: those of the current module.
    void SetFilterSensor(int num);
    // 2: the outputs of the current module; 3: those of the current zone; 4: all.
    void SetFilterReturn(int num);

    // Re-applies the filters of the page now shown.
    void PageControlChange(int tabIndex);

    // A key or mouse button went down or up in a leading list: its dependants follow the
    // row now current.
    void zoneListFollowed();
    void moduleListFollowed();
    void outputListFollowed();

private:
    Configuration &m_configuration;
};
