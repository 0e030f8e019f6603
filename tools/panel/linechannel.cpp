#include "linechannel.h"

#include <unistd.h>
#include <array>
#include <cerrno>

LineChannel::LineChannel(int fd, QObject *parent)
    : QObject(parent),
      m_fd(fd),
      m_readable(fd, QSocketNotifier::Read),
      m_writable(fd, QSocketNotifier::Write)
{
    m_writable.setEnabled(false);
    connect(&m_readable, &QSocketNotifier::activated, this, &LineChannel::readAvailable);
    connect(&m_writable, &QSocketNotifier::activated, this, &LineChannel::writePending);
}

void LineChannel::send(const QByteArray &bytes)
{
    if (m_failed)
        return;
    m_pending.append(bytes);
    writePending();
}

void LineChannel::readAvailable()
{
    QByteArray bytes;
    std::array<char, 4096> buffer;
    QString problem;
    for (;;) {
        const ssize_t count = ::read(m_fd, buffer.data(), buffer.size());
        if (count > 0) {
            bytes.append(buffer.data(), count);
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        problem = count == 0 ? QStringLiteral("линия закрыта") : qt_error_string(errno);
        break;
    }
    if (!bytes.isEmpty())
        emit received(bytes);
    if (!problem.isEmpty())
        fail(problem);
}

void LineChannel::writePending()
{
    while (!m_pending.isEmpty()) {
        const ssize_t count = ::write(m_fd, m_pending.constData(), size_t(m_pending.size()));
        if (count > 0) {
            m_pending.remove(0, count);
            continue;
        }
        if (count < 0 && errno == EINTR)
            continue;
        if (count == 0 || errno == EAGAIN || errno == EWOULDBLOCK)
            break;
        fail(qt_error_string(errno));
        return;
    }
    m_writable.setEnabled(!m_pending.isEmpty());
}

void LineChannel::fail(const QString &reason)
{
    if (m_failed)
        return;
    m_failed = true;
    // A closed line stays readable; left enabled it would spin the event loop.
    m_readable.setEnabled(false);
    m_writable.setEnabled(false);
    m_pending.clear();
    emit failed(reason);
}
