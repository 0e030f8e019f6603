#include <link/frames.h>

#include <array>

namespace Frames {

namespace {

constexpr std::array<quint8, 256> crcTable()
{
    std::array<quint8, 256> table {};
    for (int value = 0; value < 256; ++value) {
        quint8 crc = quint8(value);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc & 1) ? quint8((crc >> 1) ^ 0x8C) : quint8(crc >> 1);
        table[value] = crc;
    }
    return table;
}

constexpr auto table = crcTable();

QByteArray header(int length, quint8 command)
{
    QByteArray frame;
    frame.reserve(length);
    frame.append(char(StartByte));
    frame.append(char(0x01));
    frame.append(char(length & 0xFF));
    frame.append(char(command));
    return frame;
}

} // namespace

quint8 CalcCRC(const QByteArray &Pack)
{
    quint8 crc = 0;
    for (const char byte : Pack)
        crc = table[crc ^ quint8(byte)];
    return crc;
}

QByteArray withCrc(QByteArray frame)
{
    frame.append(char(CalcCRC(frame)));
    return frame;
}

QByteArray SetAddress(quint32 Address)
{
    QByteArray frame = header(9, CommandSetAddress);
    for (int shift = 0; shift < 32; shift += 8)
        frame.append(char((Address >> shift) & 0xFF));
    return withCrc(frame);
}

QByteArray ReadMemory(quint16 CountByte)
{
    QByteArray frame = header(7, CommandReadMemory);
    frame.append(char(CountByte & 0xFF));
    frame.append(char(CountByte >> 8));
    return withCrc(frame);
}

QByteArray WriteMemory(int CountByte, const QByteArray &Data)
{
    Q_ASSERT(CountByte >= 0 && CountByte <= Data.size());
    QByteArray frame = header(CountByte + 5, CommandWriteMemory);
    frame.append(Data.left(CountByte));
    return withCrc(frame);
}

QByteArray WriteModeWork()
{
    QByteArray frame = header(7, CommandWorkingMode);
    frame.append(2, '\0');
    return withCrc(frame);
}

QByteArray escape(const QByteArray &block)
{
    QByteArray escaped;
    escaped.reserve(block.size() + 4);
    for (const char byte : block) {
        switch (quint8(byte)) {
        case 0x7D: escaped.append("\x7F\x02", 2); break;
        case 0x7E: escaped.append("\x7F\x01", 2); break;
        case 0x7F: escaped.append("\x7F\x00", 2); break;
        default: escaped.append(byte);
        }
    }
    return escaped;
}

QByteArray unescape(const QByteArray &block)
{
    QByteArray plain;
    plain.reserve(block.size());
    for (qsizetype i = 0; i < block.size(); ++i) {
        if (quint8(block.at(i)) == 0x7F && i + 1 < block.size()) {
            plain.append(char(0x7F - quint8(block.at(++i))));
            continue;
        }
        plain.append(block.at(i));
    }
    return plain;
}

QByteArray WriteMemoryNew(const QByteArray &Data)
{
    const QByteArray escaped = escape(Data + char(CalcCRC(Data)));
    QByteArray frame = header(int(escaped.size()) + 8, CommandWriteMemory);
    frame.append(char(0x02));
    frame.append(char(0x7E));
    frame.append(escaped);
    frame.append(char(0x7D));
    return withCrc(frame);
}

int AnalizePasket(const QByteArray &Str, const QByteArray &ExpectedReply)
{
    return Str == ExpectedReply ? 0 : 1;
}

QByteArray readReplyData(const QByteArray &reply)
{
    return reply.size() < 5 ? QByteArray() : reply.mid(4, reply.size() - 5);
}

bool hasValidCrc(const QByteArray &frame)
{
    return !frame.isEmpty() && CalcCRC(frame.left(frame.size() - 1)) == quint8(frame.back());
}

bool isWellFormedReadReply(const QByteArray &reply, int count)
{
    return reply.size() == count + 5 && quint8(reply.at(0)) == StartByte && reply.at(1) == 0x01
            && quint8(reply.at(2)) == ((count + 5) & 0xFF) && quint8(reply.at(3)) == CommandReadMemory
            && hasValidCrc(reply);
}

quint8 moduleAddressByte(int technologicalAddress)
{
    return quint8(((technologicalAddress / 10) % 10) << 4 | (technologicalAddress % 10));
}

int fromBcd(quint8 byte)
{
    const int high = byte >> 4;
    const int low = byte & 0x0F;
    return (high > 9 || low > 9) ? 0 : high * 10 + low;
}

} // namespace Frames
