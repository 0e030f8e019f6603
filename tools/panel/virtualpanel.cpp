#include "virtualpanel.h"

#include <frames.h>

#include <QtEndian>

#include <algorithm>

namespace {

QByteArray payloadOf(const QByteArray &frame)
{
    return frame.mid(4, frame.size() - 5);
}

} // namespace

VirtualPanel::VirtualPanel(QByteArray memory, QObject *parent) : QObject(parent), m_memory(std::move(memory))
{
}

QByteArrayList VirtualPanel::handle(const QByteArray &frame)
{
    if (frame.size() < 5)
        return {};
    const QByteArray payload = payloadOf(frame);
    switch (quint8(frame.at(3))) {
    case Frames::CommandSetAddress:
        return setAddress(frame, payload);
    case Frames::CommandReadMemory:
        return readMemory(payload);
    case Frames::CommandWriteMemory:
        return writeMemory(payload);
    case Frames::CommandWorkingMode:
        return workingMode(frame);
    default:
        return {};
    }
}

QByteArrayList VirtualPanel::setAddress(const QByteArray &frame, const QByteArray &payload)
{
    if (payload.size() < 4)
        return {};
    m_address = qFromLittleEndian<quint32>(payload.constData());
    return { frame };
}

QByteArrayList VirtualPanel::readMemory(const QByteArray &payload)
{
    if (payload.size() < 2)
        return {};
    const quint16 count = qFromLittleEndian<quint16>(payload.constData());
    QByteArray data(count, '\0'); // outside the settings memory the panel reads zeros
    const Overlap inside = overlap(count);
    std::copy_n(m_memory.constData() + inside.memoryOffset, inside.length, data.data() + inside.blockOffset);
    advance(count);

    QByteArray reply;
    reply.append(char(Frames::StartByte));
    reply.append(char(0x01));
    reply.append(char((count + 5) & 0xFF));
    reply.append(char(Frames::CommandReadMemory));
    reply.append(data);
    return { Frames::withCrc(reply) };
}

QByteArrayList VirtualPanel::writeMemory(const QByteArray &payload)
{
    const Overlap inside = overlap(payload.size());
    std::copy_n(payload.constData() + inside.blockOffset, inside.length, m_memory.data() + inside.memoryOffset);
    advance(payload.size());
    if (inside.length > 0) {
        m_unfinishedWrite = true;
        if (inside.memoryOffset + inside.length == m_memory.size())
            finishWrite();
    }
    // The acknowledgement carries the block's first two bytes; a shorter block gets zeros.
    return { Frames::WriteMemory(2, payload + QByteArray(2, '\0')) };
}

QByteArrayList VirtualPanel::workingMode(const QByteArray &frame)
{
    if (m_unfinishedWrite)
        finishWrite();
    return { frame };
}

VirtualPanel::Overlap VirtualPanel::overlap(qsizetype length) const
{
    const qint64 start = qint64(m_address) - qint64(Frames::SettingsAddress);
    const qint64 first = std::clamp<qint64>(start, 0, m_memory.size());
    const qint64 end = std::clamp<qint64>(start + length, 0, m_memory.size());
    if (end <= first)
        return { 0, 0, 0 };
    return { qsizetype(first - start), qsizetype(first), qsizetype(end - first) };
}

void VirtualPanel::advance(qsizetype length)
{
    m_address += quint32(length); // a 32-bit address register wraps
}

void VirtualPanel::finishWrite()
{
    m_unfinishedWrite = false;
    emit writeFinished();
}
