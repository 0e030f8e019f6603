#include <link/qtseriallink.h>

#include <link/portaccess.h>
#include <messages/messages.h>
#include <systemerror/systemerror.h>

#include <cerrno>
#include <limits>

namespace {

QSerialPort::DataBits dataBitsOf(const QString &text)
{
    if (text == QLatin1String("5"))
        return QSerialPort::Data5;
    if (text == QLatin1String("6"))
        return QSerialPort::Data6;
    if (text == QLatin1String("7"))
        return QSerialPort::Data7;
    return QSerialPort::Data8;
}

QSerialPort::StopBits stopBitsOf(const QString &text)
{
    if (text == QLatin1String("1.5"))
        return QSerialPort::OneAndHalfStop;
    if (text == QLatin1String("2"))
        return QSerialPort::TwoStop;
    return QSerialPort::OneStop;
}

QSerialPort::Parity parityOf(const QString &text)
{
    if (text == QLatin1String("Odd"))
        return QSerialPort::OddParity;
    if (text == QLatin1String("Even"))
        return QSerialPort::EvenParity;
    if (text == QLatin1String("Mark"))
        return QSerialPort::MarkParity;
    if (text == QLatin1String("Space"))
        return QSerialPort::SpaceParity;
    return QSerialPort::NoParity;
}

QSerialPort::FlowControl flowControlOf(const PortSettings &settings)
{
    if (settings.rtsHandshake || settings.ctsOutputFlow)
        return QSerialPort::HardwareControl;
    if (settings.xonXoffInput || settings.xonXoffOutput)
        return QSerialPort::SoftwareControl;
    return QSerialPort::NoFlowControl;
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

#ifdef Q_OS_WIN
constexpr int NoSuchPort = 2; // ERROR_FILE_NOT_FOUND
constexpr int PortInUse = 5; // ERROR_ACCESS_DENIED
#else
constexpr int NoSuchPort = ENOENT;
constexpr int PortInUse = EBUSY;
#endif

// The system's error number of a refused opening. On Unix QSerialPort reports a port that
// another program has locked by its lock file as refused too, after calls that leave
// unrelated numbers behind; the device file tells the two apart.
int refusalNumber(PortRefusal refusal, int code)
{
#ifdef Q_OS_WIN
    Q_UNUSED(refusal);
    return code != 0 ? code : PortInUse;
#else
    Q_UNUSED(code);
    return refusal == PortRefusal::NoAccess ? EACCES : PortInUse;
#endif
}

QString openFailure(int code, const QString &reason)
{
    return message(MessageId::PortNotOpened).arg(code).arg(reason);
}

QString openFailure(int code, const QString &port, const QString &reason)
{
    return openFailure(code, message(MessageId::PortReason).arg(port, reason));
}

// Why the line failed. A read that finds the line hung up fails without a number of its
// own, and QSerialPort then reports what an earlier call left behind: only the numbers a
// lost line gives are trusted there.
QString lineFailure(QSerialPort::SerialPortError error, int code)
{
    const std::optional<SystemError::Reason> reason = SystemError::reasonOf(code);
    switch (error) {
    case QSerialPort::ReadError:
    case QSerialPort::ResourceError:
        if (reason == SystemError::Reason::InputOutput || reason == SystemError::Reason::NotConnected)
            return message(MessageId::CableUnplugged).arg(SystemError::text(*reason));
        return message(MessageId::PortStopped);
    case QSerialPort::TimeoutError:
        return message(MessageId::WriteTimedOut);
    default:
        return code != 0 ? SystemError::describe(code) : message(MessageId::PortStopped);
    }
}

} // namespace

void applyPortSettings(QSerialPort &port, const PortSettings &settings)
{
    port.setPortName(settings.port);
    port.setBaudRate(settings.effectiveBaudRate());
    port.setDataBits(dataBitsOf(settings.dataBits));
    port.setParity(parityOf(settings.parity));
    port.setStopBits(stopBitsOf(settings.stopBits));
    port.setFlowControl(flowControlOf(settings));
}

QtSerialLink::QtSerialLink(QObject *parent) : SerialLink(parent), m_port(this)
{
    connect(&m_port, &QSerialPort::readyRead, this, &QtSerialLink::deliverReceived);
    connect(&m_port, &QSerialPort::bytesWritten, this, &QtSerialLink::handleBytesWritten);
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialLink::handleError);
    m_writeTimer.setSingleShot(true);
    connect(&m_writeTimer, &QTimer::timeout, this,
            [this] { failWriteLater(lineFailure(QSerialPort::TimeoutError, 0)); });
}

void QtSerialLink::setWriteTime(int baseMs, int perByteMs)
{
    m_writeTimeBase = baseMs;
    m_writeTimePerByte = perByteMs;
}

bool QtSerialLink::open(const PortSettings &settings, QString *error)
{
    close();
    if (settings.port.isEmpty()) {
        setError(error, openFailure(NoSuchPort, message(MessageId::PortNotChosen)));
        return false;
    }

    applyPortSettings(m_port, settings);
    int code = 0;
    if (!SystemError::attempt([this] { return m_port.open(QIODevice::ReadWrite); }, code)) {
        if (m_port.error() == QSerialPort::PermissionError) {
            const std::optional<DeviceAccess> access = deviceAccess(settings.port);
            const PortRefusal refusal = refusalOf(access);
            code = refusalNumber(refusal, code);
            setError(error, openFailure(code, settings.port, SystemError::describe(code)) + QLatin1Char('\n')
                            + refusalAdvice(refusal, settings.port, access));
        } else {
            if (code == 0 && m_port.error() == QSerialPort::DeviceNotFoundError)
                code = NoSuchPort;
            setError(error, openFailure(code, settings.port, SystemError::describe(code)));
        }
        m_port.clearError();
        return false;
    }
    // The panel expects DTR low, and RTS too unless the driver drives it for hardware flow
    // control. Adapters and pseudo-terminals without modem lines refuse both; the line
    // still works.
    m_port.setDataTerminalReady(false);
    if (m_port.flowControl() != QSerialPort::HardwareControl)
        m_port.setRequestToSend(false);
    // What the line kept while the port was closed answers an exchange that is over.
    m_port.clear(QSerialPort::Input);
    m_port.clearError();
    return true;
}

void QtSerialLink::close()
{
    m_writeTimer.stop();
    if (m_port.isOpen()) {
        m_port.clear(QSerialPort::Input);
        m_port.close();
        m_port.clearError();
    }
    // Last, so that errors raised while closing belong to the closed session too.
    ++m_session;
}

bool QtSerialLink::isOpen() const
{
    return m_port.isOpen();
}

bool QtSerialLink::write(const QByteArray &bytes, QString *error)
{
    if (!m_port.isOpen()) {
        setError(error, message(MessageId::PortClosed));
        return false;
    }
    // Everything still waiting gets the time a write of it alone would have. Started
    // first, so that bytes leaving at once are seen as written.
    const qint64 waiting = m_port.bytesToWrite() + bytes.size();
    const qint64 limit = m_writeTimeBase + qint64(m_writeTimePerByte) * waiting;
    m_writeTimer.start(int(qMin<qint64>(limit, std::numeric_limits<int>::max())));
    if (m_port.write(bytes) != bytes.size()) {
        m_writeTimer.stop();
        setError(error, lineFailure(m_lastFailure, m_lastFailureCode));
        m_port.clear(QSerialPort::Output); // a late half frame would confuse the panel
        m_port.clearError();
        return false;
    }
    // What the line takes now leaves at once, a poll sooner than its notifier would.
    m_port.flush();
    return true;
}

void QtSerialLink::deliverReceived()
{
    if (!m_port.isOpen())
        return;
    const QByteArray bytes = m_port.readAll();
    if (!bytes.isEmpty())
        emit received(bytes);
}

void QtSerialLink::handleBytesWritten()
{
    if (m_port.bytesToWrite() > 0 || !m_writeTimer.isActive())
        return;
    m_writeTimer.stop();
    // Told later: this may run inside write() itself, through the flush.
    QMetaObject::invokeMethod(
            this,
            [this, session = m_session] {
                if (session == m_session)
                    emit written();
            },
            Qt::QueuedConnection);
}

void QtSerialLink::handleError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError)
        return;
    // Emitted straight from the failing call, so the system's number is still there.
    m_lastFailure = error;
    m_lastFailureCode = SystemError::last();
    if (!m_port.isOpen())
        return;
    // A hung-up line keeps reporting read errors until it is closed.
    if (error == QSerialPort::ResourceError || error == QSerialPort::ReadError)
        failLater(lineFailure(error, m_lastFailureCode));
    else if (error == QSerialPort::WriteError)
        failWriteLater(lineFailure(error, m_lastFailureCode));
}

void QtSerialLink::failLater(const QString &reason)
{
    // Closing inside QSerialPort's own signal would pull the port from under it.
    QMetaObject::invokeMethod(
            this,
            [this, session = m_session, reason] {
                if (session != m_session)
                    return;
                close();
                emit failed(reason);
            },
            Qt::QueuedConnection);
}

void QtSerialLink::failWriteLater(const QString &reason)
{
    m_writeTimer.stop();
    if (m_port.isOpen())
        m_port.clear(QSerialPort::Output); // a late half frame would confuse the panel
    // Cleared later too: QSerialPort sets the error after its signal returns.
    QMetaObject::invokeMethod(
            this,
            [this, session = m_session, reason] {
                if (session != m_session)
                    return;
                m_port.clearError();
                emit writeFailed(reason);
            },
            Qt::QueuedConnection);
}
