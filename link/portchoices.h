#pragma once

#include <link/virtualpanels.h>

#include <optional>

#include <QList>
#include <QtGlobal>
#include <QString>
#include <QStringList>

// A port as a list offers it: the name the port settings keep, and what the list shows.
struct PortChoice
{
    QString name;
    QString caption;

    bool operator==(const PortChoice &other) const { return name == other.name && caption == other.caption; }
};

// What the system tells of a port, for a listing; empty or absent where it does not say.
struct PortDetails
{
    QString name;
    QString description;
    QString manufacturer;
    std::optional<quint16> vendorId;
    std::optional<quint16> productId;
    QString serialNumber;
};

namespace PortChoices {

// The serial ports the system reports.
QStringList systemPortNames();

// Each name once, in natural order ("COM2" before "COM10"); the current port is kept even
// when nothing reports it, so opening and confirming does not lose it. A running virtual
// panel's terminal is offered under its caption, the others under their names.
QList<PortChoice> choices(const QStringList &systemNames, const QStringList &virtualPanels, const QString &current);

// The system's ports and the virtual panels running now.
inline QList<PortChoice> available(const QString &current,
                                   const QString &panelFolder = VirtualPanels::defaultFolder())
{
    return choices(systemPortNames(), VirtualPanels::runningPorts(panelFolder), current);
}

// The system's ports with what it tells of them, and the virtual panels running now, in
// the order a list offers them.
QList<PortDetails> systemPortDetails(const QString &panelFolder = VirtualPanels::defaultFolder());

// One line of a listing: the name, then each thing known, in the same order every time.
QString describe(const PortDetails &port);

} // namespace PortChoices
