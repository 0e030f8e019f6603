#include "virtualpanel.h"

#include "loopmodule.h"

#include <link/frames.h>

#include <QtEndian>

#include <algorithm>
#include <optional>

namespace {

QByteArray payloadOf(const QByteArray &frame)
{
    return frame.mid(4, frame.size() - 5);
}

// The module message inside a relay frame's payload, 02 7E <escaped message and CRC> 7D;
// nothing, with the reason, when the payload is not one.
std::optional<QByteArray> relayedMessage(const QByteArray &payload, QString *reason)
{
    constexpr int shortestMessage = 5; // 02, address, 01, 01, body length
    if (payload.size() < 3 || payload.at(0) != 0x02 || payload.at(1) != 0x7E || payload.back() != 0x7D) {
        *reason = QStringLiteral("flags");
        return std::nullopt;
    }
    const QByteArray escaped = payload.mid(2, payload.size() - 3);
    for (qsizetype i = 0; i < escaped.size(); ++i) {
        const quint8 byte = quint8(escaped.at(i));
        const bool escapes = byte == 0x7F && i + 1 < escaped.size() && quint8(escaped.at(i + 1)) <= 0x02;
        if (byte == 0x7D || byte == 0x7E || (byte == 0x7F && !escapes)) {
            *reason = QStringLiteral("escape");
            return std::nullopt;
        }
        if (escapes)
            ++i;
    }
    const QByteArray block = Frames::unescape(escaped);
    if (block.size() < shortestMessage + 1) {
        *reason = QStringLiteral("short");
        return std::nullopt;
    }
    const QByteArray message = block.chopped(1);
    if (Frames::CalcCRC(message) != quint8(block.back())) {
        *reason = QStringLiteral("inner-crc");
        return std::nullopt;
    }
    return message;
}

} // namespace

VirtualPanel::VirtualPanel(QByteArray memory, LoopModule &module, QObject *parent)
    : QObject(parent), m_memory(std::move(memory)), m_module(module)
{
    connect(&m_module, &LoopModule::noted, this, &VirtualPanel::noted);
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
    if (m_address == Frames::RelayAddress)
        return relay(payload);
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

// The relay address stays put: every message to the module goes through it.
QByteArrayList VirtualPanel::relay(const QByteArray &payload)
{
    QString reason;
    const std::optional<QByteArray> message = relayedMessage(payload, &reason);
    if (!message) {
        emit noted(QStringLiteral("bad-relay ") + reason);
        return {};
    }
    emit noted(QStringLiteral("relay ") + QString::fromLatin1(message->toHex(' ').toUpper()));
    return { m_module.answer(*message) };
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

void VirtualPanel::flipByte(qsizetype offset)
{
    if (offset >= 0 && offset < m_memory.size())
        m_memory[offset] = char(~m_memory.at(offset));
}
