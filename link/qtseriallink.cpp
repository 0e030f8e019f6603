#include "qtseriallink.h"

#include <QDeadlineTimer>

#include <climits>

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

qint64 writeTimeoutMs(qsizetype byteCount)
{
    return 1000 + 100 * qint64(byteCount);
}

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

QString openFailure(QSerialPort::SerialPortError code, const QString &reason)
{
    return QStringLiteral("Unable to open com port (Error: %1)\n%2").arg(int(code)).arg(reason);
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
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialLink::handleError);
}

bool QtSerialLink::open(const PortSettings &settings, QString *error)
{
    close();
    if (settings.port.isEmpty()) {
        setError(error, openFailure(QSerialPort::DeviceNotFoundError,
                                    QStringLiteral("Порт не выбран: укажите его в настройке COM-порта.")));
        return false;
    }

    applyPortSettings(m_port, settings);
    if (!m_port.open(QIODevice::ReadWrite)) {
        setError(error, openFailure(m_port.error(), m_port.errorString()));
        m_port.clearError();
        return false;
    }
    // Adapters and pseudo-terminals without modem lines refuse DTR; the line still works.
    m_port.setDataTerminalReady(false);
    m_port.clearError();
    return true;
}

void QtSerialLink::close()
{
    m_receivedWhileWriting = false;
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
        setError(error, QStringLiteral("порт закрыт"));
        return false;
    }

    // Waiting for the write also reads; the reply handler must not run inside a write.
    m_writing = true;
    const QDeadlineTimer deadline(writeTimeoutMs(bytes.size()));
    bool ok = m_port.write(bytes) == bytes.size();
    while (ok && m_port.bytesToWrite() > 0) {
        const qint64 left = deadline.remainingTime();
        ok = left > 0 && m_port.waitForBytesWritten(int(qMin<qint64>(left, INT_MAX)));
    }
    m_writing = false;

    if (!ok) {
        setError(error, m_port.error() == QSerialPort::NoError
                                ? QStringLiteral("истекло время записи")
                                : m_port.errorString());
        if (m_port.isOpen())
            m_port.clear(QSerialPort::Output); // a late half frame would confuse the panel
        m_port.clearError();
    }
    if (m_receivedWhileWriting) {
        m_receivedWhileWriting = false;
        QMetaObject::invokeMethod(this, &QtSerialLink::deliverReceived, Qt::QueuedConnection);
    }
    return ok;
}

void QtSerialLink::deliverReceived()
{
    if (m_writing) {
        m_receivedWhileWriting = true;
        return;
    }
    if (!m_port.isOpen())
        return;
    const QByteArray bytes = m_port.readAll();
    if (!bytes.isEmpty())
        emit received(bytes);
}

void QtSerialLink::handleError(QSerialPort::SerialPortError error)
{
    // A hung-up line keeps reporting read errors until it is closed.
    if ((error == QSerialPort::ResourceError || error == QSerialPort::ReadError) && m_port.isOpen())
        failLater();
}

void QtSerialLink::failLater()
{
    // Closing inside QSerialPort's own signal would pull the port from under it.
    QMetaObject::invokeMethod(
            this,
            [this, session = m_session] {
                if (session != m_session)
                    return;
                close();
                // QSerialPort's own text may be left over from an earlier call.
                emit failed(QStringLiteral("порт перестал работать (отсоединён кабель?)"));
            },
            Qt::QueuedConnection);
}
