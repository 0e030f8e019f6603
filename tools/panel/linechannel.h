#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>

// Non-blocking reads and writes on the line's file descriptor, driven by the event loop.
class LineChannel : public QObject
{
    Q_OBJECT

public:
    // `fd` stays owned by the caller and must be non-blocking.
    explicit LineChannel(int fd, QObject *parent = nullptr);

    // Bytes the line does not take at once wait here and follow in order.
    void send(const QByteArray &bytes);

signals:
    void received(const QByteArray &bytes);
    // Reported once; the channel stops afterwards.
    void failed(const QString &reason);

private:
    void readAvailable();
    void writePending();
    void fail(const QString &reason);

    const int m_fd;
    QSocketNotifier m_readable;
    QSocketNotifier m_writable;
    QByteArray m_pending;
    bool m_failed = false;
};
