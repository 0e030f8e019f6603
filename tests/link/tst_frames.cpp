#include "unexpectedwarnings.h"

#include <link/frameassembler.h>
#include <link/frames.h>

#include <QTest>

using namespace Frames;

class TestFrames : public QObject
{
    Q_OBJECT

private slots:
    void init() { failOnUnexpectedWarnings(); }
    void crc_data();
    void crc();
    void builders_data();
    void builders();
    void moduleAddressByte_data();
    void moduleAddressByte();
    void bcd_data();
    void bcd();
    void analizePasket_data();
    void analizePasket();
    void readReply_data();
    void readReply();
    void escaping_roundTrip();
    void assembler_data();
    void assembler();
};

void TestFrames::crc_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("crc");
    QTest::newRow("check value 123456789") << QByteArray("123456789") << 0xA1;
    QTest::newRow("working mode") << QByteArray::fromHex("c60107080000") << 0x43;
    QTest::newRow("no answer from the module") << QByteArray::fromHex("c60107020000") << 0x29;
    QTest::newRow("empty") << QByteArray() << 0;
    QTest::newRow("set address 0x1FC03000") << QByteArray::fromHex("c601090100 30c01f") << 0x98;
}

void TestFrames::crc()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, crc);
    QCOMPARE(int(CalcCRC(bytes)), crc);
}

void TestFrames::builders_data()
{
    QTest::addColumn<QByteArray>("frame");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("set address settings") << SetAddress(SettingsAddress) << QByteArray::fromHex("c60109010040041d44");
    QTest::newRow("set address relay") << SetAddress(RelayAddress) << QByteArray::fromHex("c601090100 30c01f98");
    QTest::newRow("read 128") << ReadMemory(128) << QByteArray::fromHex("c60107068000 98");
    QTest::newRow("acknowledgement of zeros") << WriteMemory(2, QByteArray(128, '\0'))
                                             << QByteArray::fromHex("c60107020000 29");
    QTest::newRow("working mode") << WriteModeWork() << QByteArray::fromHex("c6010708000043");
    QTest::newRow("relay, module 1 start") << WriteMemoryNew(QByteArray::fromHex("02010101020000"))
                                           << QByteArray::fromHex("c6011002027e0201010102000040 7dbb");
    QTest::newRow("relay escapes 7E") << WriteMemoryNew(QByteArray::fromHex("0201010109 01067e0000 01021f00"))
                                      << QByteArray::fromHex("c6011802027e02010101090106 7f01000001021f0005 7d3b");
}

void TestFrames::builders()
{
    QFETCH(QByteArray, frame);
    QFETCH(QByteArray, expected);
    QCOMPARE(frame.toHex(' '), expected.toHex(' '));
    QVERIFY(hasValidCrc(frame));
}

void TestFrames::moduleAddressByte_data()
{
    QTest::addColumn<int>("address");
    QTest::addColumn<int>("byte");
    QTest::newRow("1") << 1 << 0x01;
    QTest::newRow("9") << 9 << 0x09;
    QTest::newRow("10") << 10 << 0x10;
    QTest::newRow("12") << 12 << 0x12;
    QTest::newRow("16") << 16 << 0x16;
}

void TestFrames::moduleAddressByte()
{
    QFETCH(int, address);
    QFETCH(int, byte);
    QCOMPARE(int(Frames::moduleAddressByte(address)), byte);
}

void TestFrames::bcd_data()
{
    QTest::addColumn<int>("byte");
    QTest::addColumn<int>("value");
    QTest::newRow("12") << 0x12 << 12;
    QTest::newRow("07") << 0x07 << 7;
    QTest::newRow("99") << 0x99 << 99;
    QTest::newRow("low digit A") << 0x1A << 0;
    QTest::newRow("high digit F") << 0xF1 << 0;
}

void TestFrames::bcd()
{
    QFETCH(int, byte);
    QFETCH(int, value);
    QCOMPARE(fromBcd(quint8(byte)), value);
}

void TestFrames::analizePasket_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("equal");
    const QByteArray expected = WriteModeWork();
    QTest::newRow("equal") << expected << true;
    QTest::newRow("one byte differs") << QByteArray::fromHex("c6010708000143") << false;
    QTest::newRow("one byte short") << expected.left(6) << false;
    QTest::newRow("one byte long") << expected + '\0' << false;
}

void TestFrames::analizePasket()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, equal);
    QCOMPARE(AnalizePasket(reply, WriteModeWork()) == 0, equal);
    QCOMPARE(AnalizePasket(SetAddress(RelayAddress), SetAddress(RelayAddress)), 0);
}

void TestFrames::readReply_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("wellFormed");
    const QByteArray data(128, '\x5A');
    const QByteArray good = withCrc(QByteArray::fromHex("c6018506") + data);
    QByteArray badCrc = good;
    badCrc[badCrc.size() - 1] = char(badCrc.back() ^ 0x01);
    QTest::newRow("good") << good << true;
    QTest::newRow("wrong CRC") << badCrc << false;
    QTest::newRow("127 data bytes") << withCrc(QByteArray::fromHex("c6018406") + data.left(127)) << false;
    QTest::newRow("wrong command") << withCrc(QByteArray::fromHex("c6018502") + data) << false;
    QTest::newRow("length byte lies") << withCrc(QByteArray::fromHex("c6018606") + data) << false;
}

void TestFrames::readReply()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, wellFormed);
    QCOMPARE(isWellFormedReadReply(reply, 128), wellFormed);
    QCOMPARE(readReplyData(reply).size(), reply.size() - 5);
}

void TestFrames::escaping_roundTrip()
{
    QByteArray all;
    for (int value = 0; value < 256; ++value)
        all.append(char(value));
    const QByteArray escaped = escape(all);
    QCOMPARE(escaped.size(), 256 + 3);
    QVERIFY(!escaped.contains('\x7D') && !escaped.contains('\x7E'));
    QCOMPARE(unescape(escaped), all);
}

void TestFrames::assembler_data()
{
    QTest::addColumn<QByteArrayList>("batches");
    QTest::addColumn<QByteArrayList>("frames");
    QTest::addColumn<bool>("partialLeft");

    const QByteArray echo = SetAddress(SettingsAddress);
    const QByteArray work = WriteModeWork();
    const QByteArray read = withCrc(QByteArray::fromHex("c6018506") + QByteArray(128, '\xC6'));
    QTest::newRow("one frame") << QByteArrayList { echo } << QByteArrayList { echo } << false;
    QTest::newRow("split in two") << QByteArrayList { echo.left(4), echo.mid(4) } << QByteArrayList { echo } << false;
    QTest::newRow("byte by byte") << [&] {
        QByteArrayList bytes;
        for (const char b : read)
            bytes << QByteArray(1, b);
        return bytes;
    }() << QByteArrayList { read } << false;
    QTest::newRow("two in one batch") << QByteArrayList { echo + work } << QByteArrayList { echo, work } << false;
    QTest::newRow("junk before") << QByteArrayList { QByteArray::fromHex("0001ff") + work } << QByteArrayList { work } << false;
    QTest::newRow("start byte with impossible length") << QByteArrayList { QByteArray::fromHex("c60102") + work }
                                                       << QByteArrayList { work } << false;
    QTest::newRow("data full of start bytes") << QByteArrayList { read.left(70), read.mid(70) + echo.left(2) }
                                              << QByteArrayList { read } << true;
}

void TestFrames::assembler()
{
    QFETCH(QByteArrayList, batches);
    QFETCH(QByteArrayList, frames);
    QFETCH(bool, partialLeft);
    FrameAssembler assembler;
    QByteArrayList got;
    for (const QByteArray &batch : batches)
        got += assembler.feed(batch);
    QCOMPARE(got, frames);
    QCOMPARE(assembler.hasPartialFrame(), partialLeft);
}

QTEST_GUILESS_MAIN(TestFrames)
#include "tst_frames.moc"
