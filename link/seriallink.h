#pragma once

#include <link/portsettings.h>

#include <QByteArray>
#include <QObject>

// The serial line to the panel. Received bytes arrive in batches on the main thread;
// a failing line (a pulled cable) is reported once through failed().
class SerialLink : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    // On failure `error` holds the text to show the user.
    virtual bool open(const PortSettings &settings, QString *error) = 0;
    virtual void close() = 0;
    virtual bool isOpen() const = 0;
    // Returns once the bytes are written; false, with the reason, when they could not be.
    virtual bool write(const QByteArray &bytes, QString *error) = 0;

signals:
    void received(const QByteArray &bytes);
    void failed(const QString &reason);
};
