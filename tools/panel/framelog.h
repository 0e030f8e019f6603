#pragma once

#include <QFile>

// One line per received frame, flushed at once so another process can follow it:
// "02 133" (command byte, frame length), or "bad-crc 02 133" for a rejected frame.
// Lines the panel notes about relayed messages come before their frame's line.
// Without a file nothing is written.
class FrameLog
{
public:
    bool open(const QString &fileName, QString *error);

    void received(const QByteArray &frame);
    void rejected(const QByteArray &frame);
    void note(const QString &line);

private:
    void writeLine(const QString &line);

    QFile m_file;
};
