#pragma once

#include <QString>
#include <QStringList>

// Virtual panels (mirvane-panel) running for this user, found by the pseudo-terminals
// they announce: one small file each in a per-user runtime folder, the panel's process
// number and its terminal's path, removed when the panel ends. An announcement whose
// process has gone is stale and is removed by whoever finds it. Where there are no
// pseudo-terminals (Windows) nothing is ever found.
namespace VirtualPanels {

// The user's runtime folder for announcements.
QString defaultFolder();

// The terminals of the panels running now, in the order of their paths.
QStringList runningPorts(const QString &folder = defaultFolder());

// How a port list offers a running panel's terminal.
QString caption(const QString &path);

} // namespace VirtualPanels

// A panel's own announcement, there for as long as the object lives.
class VirtualPanelAnnouncement
{
public:
    VirtualPanelAnnouncement(const QString &path, const QString &folder = VirtualPanels::defaultFolder());
    ~VirtualPanelAnnouncement();
    VirtualPanelAnnouncement(const VirtualPanelAnnouncement &) = delete;
    VirtualPanelAnnouncement &operator=(const VirtualPanelAnnouncement &) = delete;

    // Empty once announced; otherwise what went wrong, and nothing is left behind.
    const QString &error() const { return m_error; }

private:
    QString m_fileName;
    QString m_error;
};
