#pragma once

#include <link/virtualpanels.h>

#include <QList>
#include <QString>
#include <QStringList>

// A port as a list offers it: the name the port settings keep, and what the list shows.
struct PortChoice
{
    QString name;
    QString caption;

    bool operator==(const PortChoice &other) const { return name == other.name && caption == other.caption; }
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

} // namespace PortChoices
