#include <tools/common/terminationsignals.h>

#include <systemerror/systemerror.h>

#include <QMutex>
#include <QMutexLocker>

#include <windows.h>

namespace {

// The console calls its handlers on a thread of its own; the instance may be going away meanwhile.
QMutex currentLock;
TerminationSignals *current = nullptr;

BOOL WINAPI onConsoleEvent(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE; // closing the console or logging off ends the process as usual
    const QMutexLocker locker(&currentLock);
    if (current)
        QMetaObject::invokeMethod(current, &TerminationSignals::arrived, Qt::QueuedConnection);
    return TRUE;
}

} // namespace

struct TerminationSignals::Handler
{
    ~Handler()
    {
        ::SetConsoleCtrlHandler(onConsoleEvent, FALSE);
        const QMutexLocker locker(&currentLock);
        current = nullptr;
    }
};

TerminationSignals::TerminationSignals(QObject *parent) : QObject(parent) { }

TerminationSignals::~TerminationSignals() = default;

bool TerminationSignals::install(QString *error)
{
    {
        const QMutexLocker locker(&currentLock);
        current = this;
    }
    m_handler = std::make_unique<Handler>();
    if (!::SetConsoleCtrlHandler(onConsoleEvent, TRUE)) {
        *error = QStringLiteral("Не удалось перехватить Ctrl+C: %1").arg(SystemError::describe(SystemError::last()));
        return false;
    }
    return true;
}
