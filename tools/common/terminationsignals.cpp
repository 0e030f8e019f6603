#include <tools/common/terminationsignals.h>

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>
#include <array>
#include <cerrno>

namespace {

volatile sig_atomic_t writerFd = -1;

void onSignal(int)
{
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(writerFd, &byte, 1);
    errno = savedErrno;
}

} // namespace

TerminationSignals::~TerminationSignals()
{
    if (!m_installed)
        return;
    ::sigaction(SIGTERM, &m_previousTerm, nullptr);
    ::sigaction(SIGINT, &m_previousInt, nullptr);
    writerFd = -1;
}

bool TerminationSignals::install(QString *error)
{
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) {
        *error = QStringLiteral("Не удалось создать пару сокетов: %1").arg(qt_error_string(errno));
        return false;
    }
    m_reader.reset(fds[0]);
    m_writer.reset(fds[1]);
    // A flood of signals must not block the handler; one byte already wakes the loop.
    ::fcntl(m_writer.get(), F_SETFL, ::fcntl(m_writer.get(), F_GETFL) | O_NONBLOCK);
    ::fcntl(m_reader.get(), F_SETFL, ::fcntl(m_reader.get(), F_GETFL) | O_NONBLOCK);

    m_notifier = std::make_unique<QSocketNotifier>(m_reader.get(), QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &TerminationSignals::drain);

    writerFd = m_writer.get();
    struct sigaction action {};
    action.sa_handler = onSignal;
    ::sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    m_installed = true; // restores whichever of the two took
    if (::sigaction(SIGTERM, &action, &m_previousTerm) != 0 || ::sigaction(SIGINT, &action, &m_previousInt) != 0) {
        *error = QStringLiteral("Не удалось перехватить сигналы: %1").arg(qt_error_string(errno));
        return false;
    }
    return true;
}

void TerminationSignals::drain()
{
    std::array<char, 64> bytes;
    while (::read(m_reader.get(), bytes.data(), bytes.size()) > 0) {
    }
    emit arrived();
}
