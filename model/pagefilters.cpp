#include <model/pagefilters.h>

#include <model/configuration.h>
#include <model/filterexpressions.h>

namespace {

// An argument that names no expression re-applies the one the table has.
void apply(MemTable &table, const QString *expression)
{
    table.applyFilter(expression ? *expression : table.filter());
}

} // namespace

PageFilters::PageFilters(Configuration &configuration) : m_configuration(configuration) { }

void PageFilters::SetFilterArea(int num)
{
    QString expression;
    if (num == 1)
        expression = FilterExpressions::allRows();
    else if (num == 2)
        expression = FilterExpressions::zonesHoldingOutput(
                m_configuration.mtReturn().asInteger(OutputField::id_return));
    apply(m_configuration.mtArea(), num == 1 || num == 2 ? &expression : nullptr);
}

void PageFilters::SetFilterSensor(int num)
{
    QString expression;
    if (num == 1)
        expression = FilterExpressions::devicesOfZone(m_configuration.mtArea().asInteger(ZoneField::id));
    else if (num == 2)
        expression = FilterExpressions::ofModule(m_configuration.mtDev().asInteger(ModuleField::addr));
    apply(m_configuration.mtSensor(), num == 1 || num == 2 ? &expression : nullptr);
}

void PageFilters::SetFilterReturn(int num)
{
    QString expression;
    if (num == 2) {
        expression = FilterExpressions::ofModule(m_configuration.mtDev().asInteger(ModuleField::addr));
    } else if (num == 3) {
        QVector<int> keys;
        const MemTable &zones = m_configuration.mtArea(); // no current zone reads as 0s
        for (int slot = 1; slot <= Configuration::OutputLinksPerZone; ++slot) {
            if (const int key = zones.asInteger(ZoneField::r(slot)))
                keys << key;
        }
        expression = FilterExpressions::outputsWithKeys(keys);
    } else if (num == 4) {
        expression = FilterExpressions::allRows();
    }
    apply(m_configuration.mtReturn(), num >= 2 && num <= 4 ? &expression : nullptr);
}

void PageFilters::PageControlChange(int tabIndex)
{
    switch (tabIndex) {
    case Zones:
        SetFilterArea(1);
        SetFilterSensor(1);
        SetFilterReturn(3);
        break;
    case Modules:
        SetFilterSensor(2);
        SetFilterReturn(2);
        break;
    case Outputs:
        SetFilterReturn(4);
        SetFilterArea(2);
        break;
    default:
        break;
    }
}

void PageFilters::zoneListFollowed()
{
    SetFilterSensor(1);
    SetFilterReturn(3);
}

void PageFilters::moduleListFollowed()
{
    SetFilterSensor(2);
    SetFilterReturn(2);
}

void PageFilters::outputListFollowed()
{
    SetFilterArea(2);
}
