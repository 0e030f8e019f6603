#pragma once

// Linux only: the test stands at the panel's end of a pseudo-terminal.

#include <QByteArray>
#include <QString>
#include <QTest>

#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

// The panel's end of a pseudo-terminal; the link opens the other end as its port.
class PseudoTerminal
{
public:
    PseudoTerminal() : m_master(posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK))
    {
        char name[128];
        termios raw {};
        if (m_master >= 0 && grantpt(m_master) == 0 && unlockpt(m_master) == 0
            && ptsname_r(m_master, name, sizeof name) == 0 && tcgetattr(m_master, &raw) == 0) {
            // A serial line, not a terminal: bytes wait unchanged also while the port is closed.
            cfmakeraw(&raw);
            if (tcsetattr(m_master, TCSANOW, &raw) == 0)
                m_portPath = QString::fromLocal8Bit(name);
        }
    }
    ~PseudoTerminal() { closeMaster(); }
    PseudoTerminal(const PseudoTerminal &) = delete;
    PseudoTerminal &operator=(const PseudoTerminal &) = delete;

    bool isValid() const { return !m_portPath.isEmpty(); }
    QString portPath() const { return m_portPath; }
    int descriptor() const { return m_master; } // the panel's end, non-blocking

    // The line settings of the port end, as the link left them.
    termios portTermios() const
    {
        termios tio {};
        tcgetattr(m_master, &tio);
        return tio;
    }

    bool write(const QByteArray &bytes) const
    {
        qsizetype done = 0;
        while (done < bytes.size()) {
            if (!waitFor(POLLOUT))
                return false;
            const ssize_t n = ::write(m_master, bytes.constData() + done, bytes.size() - done);
            if (n < 0 && errno != EAGAIN && errno != EINTR)
                return false;
            done += qMax<ssize_t>(n, 0);
        }
        return true;
    }

    // Reads until `count` bytes have come or nothing comes for a while.
    QByteArray read(qsizetype count) const
    {
        QByteArray bytes;
        char chunk[4096];
        while (bytes.size() < count && waitFor(POLLIN)) {
            const ssize_t n = ::read(m_master, chunk, sizeof chunk);
            if (n < 0 && errno != EAGAIN && errno != EINTR)
                break;
            if (n > 0)
                bytes.append(chunk, n);
        }
        return bytes;
    }

    // Waits until the port end holds `count` unread bytes, read by nobody while it is closed.
    bool portHolds(int count) const
    {
        const int port = ::open(m_portPath.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK);
        int waiting = 0;
        for (int attempt = 0; port >= 0 && attempt < 500 && waiting < count; ++attempt) {
            if (::ioctl(port, FIONREAD, &waiting) != 0)
                break;
            if (waiting < count)
                QTest::qSleep(10);
        }
        if (port >= 0)
            ::close(port);
        return waiting >= count;
    }

    void closeMaster()
    {
        if (m_master >= 0)
            ::close(m_master);
        m_master = -1;
    }

private:
    bool waitFor(short events) const
    {
        pollfd fd { m_master, events, 0 };
        return ::poll(&fd, 1, 5000) > 0 && (fd.revents & events);
    }

    int m_master;
    QString m_portPath;
};
