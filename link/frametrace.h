#pragma once

#include <QElapsedTimer>
#include <QFile>
#include <QObject>

class PacketChannel;

// Every frame a channel sends and receives, one line each, for fault reports:
// milliseconds since the trace began, ">" sent or "<" received, the bytes in hex.
class FrameTrace : public QObject
{
    Q_OBJECT

public:
    FrameTrace(PacketChannel &channel, const QString &fileName, QObject *parent = nullptr);

    bool isOpen() const { return m_file.isOpen(); }
    QString errorString() const { return m_file.errorString(); }

private:
    void write(char direction, const QByteArray &frame);

    QFile m_file;
    QElapsedTimer m_clock;
};
