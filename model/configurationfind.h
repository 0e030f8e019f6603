#pragma once

#include <model/pagefilters.h>

#include <QList>
#include <QString>

#include <optional>

class Configuration;
class MemTable;

// A row that a text to find names, and where the window lists it.
struct FoundRow
{
    // In the order the matches come.
    enum class Kind { Zone, Module, Device, Output };

    Kind kind = Kind::Zone;
    int row = -1; // among all rows of the kind's table, whatever its filter
    int zone = 0; // Zone: the zone's number
    int module = 0; // Module, Device, Output: the module's number
    int address = 0; // Device: its loop address
    int outputKey = 0; // Output: module × 1000 + its position on the module

    // Zones on the zones page; modules, and devices in their module's list, on the modules
    // page; outputs on the outputs page.
    PageFilters::Page page() const;

    bool operator==(const FoundRow &other) const { return kind == other.kind && row == other.row; }
    bool operator!=(const FoundRow &other) const { return !(*this == other); }
};

// "Найти…" and "Найти далее" over the zone, module, device and output tables.
//
// The text, blanks around it ignored and letters in any case, may be
// - a zone's number, also as the zone list shows it ("Зона 317"), or a part of its name;
// - a device's serial number, four hexadecimal digits: as the device lists show it (the
//   low byte) or as the device bears it (both bytes, as the search shows it);
// - "module.address" of a device, or "module.output" of an output counted from 1; the
//   keypad's decimal comma does for the point;
// - a part of a module's label ("КЛМ № 3").
// Every kind the text can be is looked for: zones first, then modules, devices and
// outputs, each in row order, each row once.
class ConfigurationFind
{
public:
    explicit ConfigurationFind(const Configuration &config) : m_config(config) { }

    static QList<FoundRow> matches(const Configuration &config, const QString &text);

    // The match after `previous` in the order of `matches`, the first after the last; none
    // when there is no match. `previous` need not be among them, as the tables may have
    // changed since it was found.
    static std::optional<FoundRow> following(const QList<FoundRow> &matches, const FoundRow &previous);

    static const MemTable &table(const Configuration &config, FoundRow::Kind kind);
    static MemTable &table(Configuration &config, FoundRow::Kind kind);

    // What the status bar says when the text matches nothing.
    static QString notFound(const QString &text);

    // Shows a match as its page shows it: the page's filters applied, the lists that lead
    // its list on the match's module, zone or output, and the match current. False when
    // the row is gone.
    static bool show(Configuration &config, PageFilters &filters, const FoundRow &match);

    // "Найти…": keeps the text and gives its first match.
    std::optional<FoundRow> find(const QString &text);
    // "Найти далее": the match after the one last given, looked for again in the tables as
    // they are now, wrapping around; none before a text was given or when nothing matches.
    std::optional<FoundRow> findNext();
    QString text() const { return m_text; }

private:
    const Configuration &m_config;
    QString m_text;
    std::optional<FoundRow> m_last;
};
