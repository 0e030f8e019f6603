#include <exchange/searchmessages.h>

#include <link/frames.h>

namespace SearchMessages {

namespace {

QByteArray message(quint8 moduleAddress, const char *hexAfterAddress)
{
    return QByteArray(1, '\x02') + char(moduleAddress) + QByteArray::fromHex(hexAfterAddress);
}

} // namespace

QByteArray PollMessage(quint8 moduleAddress)
{
    return message(moduleAddress, "0101020000");
}

QByteArray StartMessage(quint8 moduleAddress)
{
    return message(moduleAddress, "010109 01067e000001021f00");
}

QByteArray AckMessage(quint8 moduleAddress, quint8 reportNumber)
{
    return message(moduleAddress, "01010282") + char(reportNumber);
}

QByteArray StatusRequestA(quint8 moduleAddress)
{
    return message(moduleAddress, "01010a0100600000 00032e0000");
}

QByteArray StatusRequestB(quint8 moduleAddress)
{
    return message(moduleAddress, "01010a0100600000 00032e0300");
}

QByteArray FollowUpQuery(quint8 moduleAddress, quint8 reference)
{
    return message(moduleAddress, "01010b01006000") + char(reference) + QByteArray::fromHex("ee0406070000");
}

QByteArray AddressMessage(quint8 moduleAddress, int deviceType, int version, int year, int month,
                          int serialLow, int serialWhole, int loopAddress)
{
    QByteArray bytes = message(moduleAddress, "01010f010060 00e87e082b");
    for (const int value : { deviceType, version, year, month, serialLow, serialWhole, loopAddress })
        bytes.append(char(value & 0xFF));
    return bytes;
}

bool isStatusRequest(const QByteArray &message)
{
    return message.size() > 12 && quint8(message.at(11)) == 0x03 && quint8(message.at(12)) == 0x2E;
}

bool isAddressMessage(const QByteArray &message)
{
    return message.size() == 20 && message.mid(10, 3) == QByteArray::fromHex("7e082b");
}

QByteArray noAnswerReply()
{
    return Frames::WriteMemory(2, QByteArray(2, '\0'));
}

} // namespace SearchMessages
