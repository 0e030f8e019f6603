#include <model/configurationfind.h>

#include <image/cp1251.h>
#include <model/configuration.h>

#include <algorithm>
#include <tuple>

namespace {

bool isDecimalDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isHexDigit(QChar c)
{
    return isDecimalDigit(c) || (c >= u'A' && c <= u'F') || (c >= u'a' && c <= u'f');
}

// Digits only, few enough for an int: a sign or a blank makes it no number.
std::optional<int> decimal(QStringView text)
{
    constexpr int MostDigits = 9;
    if (text.isEmpty() || text.size() > MostDigits || !std::all_of(text.begin(), text.end(), isDecimalDigit))
        return std::nullopt;
    return text.toInt();
}

// "317", or "Зона 317" as the zone list shows it. No zone is written with a leading zero,
// and a serial number often begins with one.
std::optional<int> zoneNumber(const QString &capitals)
{
    if (capitals.startsWith(u'0'))
        return std::nullopt;
    if (const std::optional<int> number = decimal(capitals))
        return number;
    const auto digits = std::find_if_not(capitals.crbegin(), capitals.crend(), isDecimalDigit) - capitals.crbegin();
    const std::optional<int> number = decimal(QStringView(capitals).right(digits));
    if (number && capitals.simplified() == Cp1251::upperCased(Configuration::zoneLabel(*number)))
        return number;
    return std::nullopt;
}

// Four hexadecimal digits, as every serial number is shown.
std::optional<int> serialNumber(QStringView text)
{
    constexpr int SerialDigits = 4;
    if (text.size() != SerialDigits || !std::all_of(text.begin(), text.end(), isHexDigit))
        return std::nullopt;
    return text.toInt(nullptr, 16);
}

struct Place
{
    int module = 0;
    int number = 0;
};

// "3.17": a module and a number on it.
std::optional<Place> placeOnModule(QStringView text)
{
    const auto point = std::find_if(text.begin(), text.end(), [](QChar c) { return c == u'.' || c == u','; });
    if (point == text.end())
        return std::nullopt;
    const qsizetype at = point - text.begin();
    const std::optional<int> module = decimal(text.left(at));
    const std::optional<int> number = decimal(text.mid(at + 1));
    if (!module || !number)
        return std::nullopt;
    return Place { *module, *number };
}

bool containsPart(const QVariant &stored, const QString &capitals)
{
    return Cp1251::upperCased(stored.toString()).contains(capitals);
}

FoundRow found(FoundRow::Kind kind, int row)
{
    FoundRow match;
    match.kind = kind;
    match.row = row;
    return match;
}

void findZones(const MemTable &zones, const QString &capitals, QList<FoundRow> &matches)
{
    const std::optional<int> number = zoneNumber(capitals);
    for (int row = 0; row < zones.rowCount(); ++row) {
        const int zone = zones.rowInteger(row, ZoneField::id);
        if (zone == number || containsPart(zones.rowValue(row, ZoneField::name), capitals)) {
            FoundRow match = found(FoundRow::Kind::Zone, row);
            match.zone = zone;
            matches << match;
        }
    }
}

void findModules(const MemTable &modules, const QString &capitals, QList<FoundRow> &matches)
{
    for (int row = 0; row < modules.rowCount(); ++row) {
        if (containsPart(modules.rowValue(row, ModuleField::mname), capitals)) {
            FoundRow match = found(FoundRow::Kind::Module, row);
            match.module = modules.rowInteger(row, ModuleField::addr);
            matches << match;
        }
    }
}

void findDevices(const MemTable &sensors, std::optional<int> serial, std::optional<Place> place,
                 QList<FoundRow> &matches)
{
    if (!serial && !place)
        return;
    namespace F = SensorField;
    for (int row = 0; row < sensors.rowCount(); ++row) {
        const int module = sensors.rowInteger(row, F::id_dev);
        const int address = sensors.rowInteger(row, F::addr);
        const int low = sensors.rowInteger(row, F::saddrl);
        // The lists show the low byte alone; the device and the search show both.
        const bool serialMatches =
                serial && (low == *serial || sensors.rowInteger(row, F::saddrh) * 256 + low == *serial);
        if (serialMatches || (place && place->module == module && place->number == address)) {
            FoundRow match = found(FoundRow::Kind::Device, row);
            match.module = module;
            match.address = address;
            matches << match;
        }
    }
}

void findOutputs(const MemTable &outputs, std::optional<Place> place, QList<FoundRow> &matches)
{
    if (!place)
        return;
    for (int row = 0; row < outputs.rowCount(); ++row) {
        const int module = outputs.rowInteger(row, OutputField::id_dev);
        if (module == place->module && outputs.rowInteger(row, OutputField::offset) + 1 == place->number) {
            FoundRow match = found(FoundRow::Kind::Output, row);
            match.module = module;
            match.outputKey = outputs.rowInteger(row, OutputField::id_return);
            matches << match;
        }
    }
}

// The table of a kind of row, as constant as the configuration.
template <typename Config>
decltype(auto) tableOf(Config &config, FoundRow::Kind kind)
{
    switch (kind) {
    case FoundRow::Kind::Module:
        return config.mtDev();
    case FoundRow::Kind::Device:
        return config.mtSensor();
    case FoundRow::Kind::Output:
        return config.mtReturn();
    case FoundRow::Kind::Zone:
        break;
    }
    return config.mtArea();
}

} // namespace

PageFilters::Page FoundRow::page() const
{
    switch (kind) {
    case Kind::Zone:
        return PageFilters::Zones;
    case Kind::Module:
    case Kind::Device:
        return PageFilters::Modules;
    case Kind::Output:
        return PageFilters::Outputs;
    }
    return PageFilters::Zones;
}

QList<FoundRow> ConfigurationFind::matches(const Configuration &config, const QString &text)
{
    const QString capitals = Cp1251::upperCased(text.trimmed());
    if (capitals.isEmpty())
        return {};
    const std::optional<Place> place = placeOnModule(capitals);
    QList<FoundRow> found;
    findZones(config.mtArea(), capitals, found);
    findModules(config.mtDev(), capitals, found);
    findDevices(config.mtSensor(), serialNumber(capitals), place, found);
    findOutputs(config.mtReturn(), place, found);
    return found;
}

std::optional<FoundRow> ConfigurationFind::following(const QList<FoundRow> &matches, const FoundRow &previous)
{
    if (matches.isEmpty())
        return std::nullopt;
    const auto order = [](const FoundRow &match) { return std::tuple(match.kind, match.row); };
    const auto after = std::find_if(matches.cbegin(), matches.cend(),
                                    [&](const FoundRow &match) { return order(match) > order(previous); });
    return after == matches.cend() ? matches.first() : *after;
}

const MemTable &ConfigurationFind::table(const Configuration &config, FoundRow::Kind kind)
{
    return tableOf(config, kind);
}

MemTable &ConfigurationFind::table(Configuration &config, FoundRow::Kind kind)
{
    return tableOf(config, kind);
}

QString ConfigurationFind::notFound(const QString &text)
{
    return QStringLiteral(" Не найдено: ") + text;
}

std::optional<FoundRow> ConfigurationFind::find(const QString &text)
{
    m_text = text;
    const QList<FoundRow> found = matches(m_config, m_text);
    m_last = found.isEmpty() ? std::nullopt : std::optional<FoundRow>(found.first());
    return m_last;
}

std::optional<FoundRow> ConfigurationFind::findNext()
{
    const QList<FoundRow> found = matches(m_config, m_text);
    if (found.isEmpty())
        return std::nullopt; // the last match stays where to go on from
    m_last = m_last ? following(found, *m_last) : found.first();
    return m_last;
}

bool ConfigurationFind::show(Configuration &config, PageFilters &filters, const FoundRow &match)
{
    filters.PageControlChange(match.page());
    // No page filters the module list; a filter left on it would hide the match.
    if (match.kind == FoundRow::Kind::Module || match.kind == FoundRow::Kind::Device) {
        if (config.mtDev().isFiltered())
            config.mtDev().setFiltered(false);
    }
    switch (match.kind) {
    case FoundRow::Kind::Zone:
        if (!config.mtArea().goToRow(match.row))
            return false;
        filters.zoneListFollowed();
        return true;
    case FoundRow::Kind::Module:
        if (!config.mtDev().goToRow(match.row))
            return false;
        filters.moduleListFollowed();
        return true;
    case FoundRow::Kind::Device:
        if (!config.mtDev().locate(ModuleField::addr, match.module))
            return false;
        filters.moduleListFollowed();
        return config.mtSensor().goToRow(match.row);
    case FoundRow::Kind::Output:
        if (!config.mtReturn().goToRow(match.row))
            return false;
        filters.outputListFollowed();
        return true;
    }
    return false;
}
