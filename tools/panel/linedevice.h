#pragma once

#include <tools/common/filedescriptor.h>

#include <QString>

#include <optional>

// The panel's end of the serial line, raw and non-blocking: a fresh pseudo-terminal whose
// other end the program opens, or an existing device.
class LineDevice
{
public:
    static std::optional<LineDevice> createPseudoTerminal(QString *error);
    static std::optional<LineDevice> open(const QString &path, QString *error);

    int fd() const { return m_io.get(); }
    // What the program opens.
    const QString &path() const { return m_path; }

private:
    LineDevice() = default;

    FileDescriptor m_io;
    // Held so the master never reads a hang-up while no program has the port open.
    FileDescriptor m_heldSlave;
    QString m_path;
};
