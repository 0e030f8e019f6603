#pragma once

#include <link/seriallink.h>

#include <QSerialPort>
#include <QTimer>

// Gives `port` the settings it opens with. QSerialPort knows one flow-control mode, not
// four lines: a custom mix takes hardware control when RTS or CTS is on, else software
// control when XON/XOFF is on.
void applyPortSettings(QSerialPort &port, const PortSettings &settings);

// SerialLink over QSerialPort on the main thread. A read failure (Linux reports a pulled
// cable as one) or a lost device closes the port and is reported once through failed().
// Failures are told with the system's reason in Russian.
class QtSerialLink : public SerialLink
{
    Q_OBJECT

public:
    explicit QtSerialLink(QObject *parent = nullptr);

    // Reopens when already open. On failure `error` is "Unable to open com port (Error: N)",
    // N being the system's error number (errno; GetLastError() on Windows), then a line with
    // the port's name and the reason. A refused port adds a line with the remedy: joining
    // the device's group, or closing the program that holds it. An empty port name fails as
    // a missing port does.
    bool open(const PortSettings &settings, QString *error) override;
    void close() override;
    bool isOpen() const override;
    // The bytes waiting to leave may take 1000 ms plus 100 ms each; by then they are
    // dropped and writeFailed() is emitted.
    bool write(const QByteArray &bytes, QString *error) override;

    // Shorter write times let a test see a jammed line quickly.
    void setWriteTime(int baseMs, int perByteMs);

private:
    void deliverReceived();
    void handleBytesWritten();
    void handleError(QSerialPort::SerialPortError error);
    void failLater(const QString &reason);
    void failWriteLater(const QString &reason);

    QSerialPort m_port;
    QSerialPort::SerialPortError m_lastFailure = QSerialPort::NoError;
    int m_lastFailureCode = 0;
    // Distinguishes one opening from the next, so a failure queued for an
    // earlier opening does not close a later one.
    quint64 m_session = 0;
    QTimer m_writeTimer;
    int m_writeTimeBase = 1000;
    int m_writeTimePerByte = 100;
};
