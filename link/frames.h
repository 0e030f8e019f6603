#pragma once

#include <QByteArray>
#include <QtGlobal>

// The panel's frames: C6 01 length command payload CRC. Builders are pure functions.
namespace Frames {

constexpr quint8 StartByte = 0xC6;
constexpr quint32 SettingsAddress = 0x1D044000; // the settings memory
constexpr quint32 RelayAddress = 0x1FC03000; // messages to the technological loop module
constexpr int BlockSize = 128;
constexpr int BlockCount = 1600;
constexpr int ReadReplySize = BlockSize + 5;

enum Command : quint8 {
    CommandSetAddress = 0x01,
    CommandWriteMemory = 0x02,
    CommandReadMemory = 0x06,
    CommandWorkingMode = 0x08,
};

// Dallas/Maxim 1-Wire CRC-8: width 8, reflected poly 0x8C (x^8+x^5+x^4+1), init 0,
// no final xor; check value 0xA1 for "123456789".
quint8 CalcCRC(const QByteArray &Pack);

QByteArray SetAddress(quint32 Address);
QByteArray ReadMemory(quint16 CountByte);
// The first `CountByte` bytes of `Data`; with 2 it is the acknowledgement of a block.
QByteArray WriteMemory(int CountByte, const QByteArray &Data);
QByteArray WriteModeWork();
// A module message inside a relay frame, escaped and carrying its own CRC.
QByteArray WriteMemoryNew(const QByteArray &Data);

// 0 when `Str` equals `ExpectedReply` byte for byte, non-zero otherwise.
int AnalizePasket(const QByteArray &Str, const QByteArray &ExpectedReply);

// The bytes of a read reply: between the command byte and the CRC.
QByteArray readReplyData(const QByteArray &reply);
// A read reply with `count` data bytes, the right length byte and a correct CRC.
bool isWellFormedReadReply(const QByteArray &reply, int count);
// A frame whose last byte is the CRC of the bytes before it.
bool hasValidCrc(const QByteArray &frame);

// Technological address 1..16 written as two decimal digits read as hexadecimal.
quint8 moduleAddressByte(int technologicalAddress);
// A byte's two hexadecimal digits read as a decimal number; 0 when one is A..F.
int fromBcd(quint8 byte);

QByteArray escape(const QByteArray &block);
QByteArray unescape(const QByteArray &block);

// Appends a frame's CRC.
QByteArray withCrc(QByteArray frame);

} // namespace Frames
