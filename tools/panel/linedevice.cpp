#include "linedevice.h"

#include <QFile>

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <cerrno>

namespace {

QString failure(const QString &what)
{
    return QStringLiteral("%1: %2").arg(what, qt_error_string(errno));
}

bool makeRaw(int fd)
{
    termios settings {};
    if (::tcgetattr(fd, &settings) != 0)
        return false;
    ::cfmakeraw(&settings);
    settings.c_cflag |= CLOCAL | CREAD;
    return ::tcsetattr(fd, TCSANOW, &settings) == 0;
}

bool makeNonBlocking(int fd)
{
    const int flags = ::fcntl(fd, F_GETFL);
    return flags >= 0 && ::fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

} // namespace

std::optional<LineDevice> LineDevice::createPseudoTerminal(QString *error)
{
    LineDevice device;
    device.m_io.reset(::posix_openpt(O_RDWR | O_NOCTTY));
    if (!device.m_io.isValid()) {
        *error = failure(QStringLiteral("Не удалось создать псевдотерминал"));
        return std::nullopt;
    }
    const char *slaveName = nullptr;
    if (::grantpt(device.fd()) != 0 || ::unlockpt(device.fd()) != 0
        || (slaveName = ::ptsname(device.fd())) == nullptr) {
        *error = failure(QStringLiteral("Не удалось открыть псевдотерминал"));
        return std::nullopt;
    }
    device.m_path = QString::fromLocal8Bit(slaveName);
    device.m_heldSlave.reset(::open(slaveName, O_RDWR | O_NOCTTY));
    if (!device.m_heldSlave.isValid() || !makeRaw(device.m_heldSlave.get()) || !makeNonBlocking(device.fd())) {
        *error = failure(QStringLiteral("Не удалось настроить псевдотерминал %1").arg(device.m_path));
        return std::nullopt;
    }
    return device;
}

std::optional<LineDevice> LineDevice::open(const QString &path, QString *error)
{
    LineDevice device;
    device.m_path = path;
    device.m_io.reset(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK));
    if (!device.m_io.isValid() || !makeRaw(device.fd())) {
        *error = failure(QStringLiteral("Не удалось открыть %1").arg(path));
        return std::nullopt;
    }
    return device;
}
