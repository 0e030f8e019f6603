#pragma once

#include <link/portsettings.h>

#include <QString>

#include <memory>

class QSettings;

// Keeps the port settings per user: group "ComPort1" of organisation "Quorvik",
// application "ComPort" (HKEY_CURRENT_USER\Software\Quorvik\ComPort\ComPort1 on Windows).
class PortSettingsStore
{
public:
    // The user's native store.
    PortSettingsStore();
    // An INI file instead, so tests never touch the user's store.
    explicit PortSettingsStore(const QString &iniFileName);

    // Texts match the offered lists regardless of letter case; missing or unknown texts
    // give the start values, except flow control, which then leaves the four lines alone.
    // A "Custom" baud rate without a readable "CustomBaudRate" fails the load, the values
    // read before it staying in force.
    bool LoadSettings(PortSettings &settings, QString *error) const;
    // "CustomBaudRate" is written only when the baud rate is "Custom".
    bool StoreSettings(const PortSettings &settings, QString *error) const;

private:
    std::unique_ptr<QSettings> openStore() const;

    QString m_iniFileName; // empty for the native store
};
