#include <tools/common/terminationsignals.h>

#include <tools/common/filedescriptor.h>

#include <QSocketNotifier>

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>
#include <array>
#include <cerrno>

namespace {

volatile sig_atomic_t writerFd = -1;

// Only writes a byte to a socket pair whose other end the event loop watches.
void onSignal(int)
{
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(writerFd, &byte, 1);
    errno = savedErrno;
}

} // namespace

struct TerminationSignals::Handler
{
    FileDescriptor reader;
    FileDescriptor writer;
    std::unique_ptr<QSocketNotifier> notifier;
    struct sigaction previousTerm {};
    struct sigaction previousInt {};
    bool installed = false;

    ~Handler()
    {
        if (!installed)
            return;
        ::sigaction(SIGTERM, &previousTerm, nullptr);
        ::sigaction(SIGINT, &previousInt, nullptr);
        writerFd = -1;
    }
};

TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent) { }

TerminationSignals::~TerminationSignals() = default;

bool TerminationSignals::install(QString *error)
{
    m_handler = std::make_unique<Handler>();
    Handler &h = *m_handler;
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) {
        *error = QStringLiteral("Не удалось создать пару сокетов: %1").arg(qt_error_string(errno));
        return false;
    }
    h.reader.reset(fds[0]);
    h.writer.reset(fds[1]);
    // A flood of signals must not block the handler; one byte already wakes the loop.
    ::fcntl(h.writer.get(), F_SETFL, ::fcntl(h.writer.get(), F_GETFL) | O_NONBLOCK);
    ::fcntl(h.reader.get(), F_SETFL, ::fcntl(h.reader.get(), F_GETFL) | O_NONBLOCK);

    h.notifier = std::make_unique<QSocketNotifier>(h.reader.get(), QSocketNotifier::Read);
    connect(h.notifier.get(), &QSocketNotifier::activated, this, [this] {
        std::array<char, 64> bytes;
        while (::read(m_handler->reader.get(), bytes.data(), bytes.size()) > 0) {
        }
        emit arrived();
    });

    writerFd = h.writer.get();
    struct sigaction action {};
    action.sa_handler = onSignal;
    ::sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    h.installed = true; // restores whichever of the two took
    if (::sigaction(SIGTERM, &action, &h.previousTerm) != 0 || ::sigaction(SIGINT, &action, &h.previousInt) != 0) {
        *error = QStringLiteral("Не удалось перехватить сигналы: %1").arg(qt_error_string(errno));
        return false;
    }
    return true;
}
