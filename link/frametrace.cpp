#include <link/frametrace.h>

#include <link/packetchannel.h>

FrameTrace::FrameTrace(PacketChannel &channel, const QString &fileName, QObject *parent)
    : QObject(parent), m_file(fileName)
{
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text))
        return;
    m_clock.start();
    connect(&channel, &PacketChannel::frameSent, this, [this](const QByteArray &frame) { write('>', frame); });
    connect(&channel, &PacketChannel::frameReceived, this, [this](const QByteArray &frame) { write('<', frame); });
}

void FrameTrace::write(char direction, const QByteArray &frame)
{
    const QByteArray line = QByteArray::number(m_clock.elapsed()) + ' ' + direction + ' ' + frame.toHex(' ').toUpper()
            + '\n';
    m_file.write(line);
    m_file.flush(); // a report is wanted most when the program did not end well
}
