#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

class Configuration;
class SettingsImage;

// Spreads a settings image over the tables and the settings.
namespace ImageLoader {

// A byte the settings stage cannot turn into a value (a time of day past 23:50, an
// event code with a hexadecimal digit A..F).
struct UnconvertibleValue
{
    int offset;
    QString value;
    QString meaning;
};
std::optional<UnconvertibleValue> findUnconvertibleValue(const SettingsImage &image);

// Zones, modules, detectors and outputs from `read`: what was read, which the settings
// image already holds apart from the zone names; the zone rules write those back.
void fillTables(Configuration &config, const SettingsImage &read);

// The settings, module rows, day/night profiles, event codes and messages from the
// image in memory. Refused, with nothing changed, when a value cannot be converted.
std::optional<UnconvertibleValue> FillByDataFromMemory(Configuration &config);

// How a stored telephone number is shown: the text, and whether it dials by tone.
struct TelephoneText
{
    QString text;
    bool tone;
};
TelephoneText telephoneTextFromRaw(const QString &raw);

} // namespace ImageLoader
