#pragma once

#include <link/portsettings.h>

#include <QByteArray>
#include <QObject>

// The serial line to the panel. Nothing is ever reported from inside a call: received
// bytes arrive in batches on the main thread, a failing line (a pulled cable) is
// reported once through failed(), and writes end through written() or writeFailed().
class SerialLink : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // On failure `error` holds the text to show the user.
    virtual bool open(const PortSettings &settings, QString *error) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Queues the bytes and returns at once, so the event loop runs while they leave; false,
    // with the reason, when the line cannot take them (it is closed).
    virtual bool write(const QByteArray &bytes, QString *error) = 0;

signals:
    void received(const QByteArray &bytes);
    void failed(const QString &reason);
    // Every byte queued so far has left.
    void written();
    // Queued bytes could not leave in time, or the system refused them; they are dropped
    // and the line stays open.
    void writeFailed(const QString &reason);
};
