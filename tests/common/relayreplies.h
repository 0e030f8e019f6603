#pragma once

#include <link/frames.h>

#include <QByteArray>

// Replies of the technological loop module as the panel relays them.
namespace RelayReplies {

// A relay reply whose body starts with the reply code.
inline QByteArray reply(quint8 module, const QByteArray &body)
{
    QByteArray message = QByteArray(1, '\x02') + char(module) + QByteArray::fromHex("0101") + char(body.size()) + body;
    return Frames::WriteMemoryNew(message);
}

inline QByteArray code(quint8 value, quint8 module = 0x01)
{
    return reply(module, QByteArray(1, char(value)));
}

inline QByteArray identityReport(const QByteArray &identity, quint8 reference = 0x21, quint8 number = 0x05,
                                 quint8 module = 0x01)
{
    return reply(module, QByteArray::fromHex("02000000") + char(reference) + char(number) + QByteArray::fromHex("071f")
                         + identity);
}

inline QByteArray followUpReport(quint8 kind)
{
    return reply(0x01, QByteArray::fromHex("02000000220604060700") + char(kind));
}

inline QByteArray statusReport(quint8 type, quint8 serialLow, quint8 reference)
{
    return reply(0x01, QByteArray::fromHex("02000000") + char(reference) + QByteArray::fromHex("07082e00") + char(type)
                         + QByteArray(4, '\0') + char(serialLow));
}

inline QByteArray answerReport(const QByteArray &identity)
{
    return reply(0x01, QByteArray::fromHex("020000002408082b") + identity);
}

} // namespace RelayReplies
