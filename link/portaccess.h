#pragma once

#include <QString>

#include <optional>

// Why a serial port turned the program away when the system said "permission denied", and
// what the user can do about it. On Linux both a missing group membership and a port held
// by another program come back as the same refusal, so the device file decides.

// Who may read and write a device, as its file and the user's groups say.
struct DeviceAccess
{
    QString owner; // e.g. "root"
    QString group; // e.g. "dialout"
    bool groupMayUse = false; // the file's mode lets its group read and write it
    bool userMayUse = false; // this process may read and write it
    // The user is listed in the group, yet this session was started before that.
    bool joinedSinceLogin = false;
};

// What the device file behind `port` says, or nothing where there is none to ask (Windows,
// a missing file).
std::optional<DeviceAccess> deviceAccess(const QString &port);

enum class PortRefusal {
    NoAccess,
    HeldByAnother,
};

// A user who may read and write the device was turned away by another program's hold on it.
PortRefusal refusalOf(const std::optional<DeviceAccess> &access);

// The remedy, a sentence or two to follow the system's reason.
QString refusalAdvice(PortRefusal refusal, const QString &port, const std::optional<DeviceAccess> &access);
