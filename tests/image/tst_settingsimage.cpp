#include "unexpectedwarnings.h"

#include <image/settingsimage.h>

#include <QRegularExpression>
#include <QTest>

#include <algorithm>
#include <climits>
#include <utility>

namespace {

const QRegularExpression outOfRange(QStringLiteral("out of range"));
const QRegularExpression outsideSpan(QStringLiteral("outside"));

// Offset of the first byte where the two differ, -1 when equal; a failure then names
// the place instead of dumping 200 KB.
qsizetype firstDifference(const QByteArray &actual, const QByteArray &expected)
{
    const auto [a, e] = std::mismatch(actual.cbegin(), actual.cend(), expected.cbegin(),
                                      expected.cend());
    return (a == actual.cend() && e == expected.cend()) ? -1 : a - actual.cbegin();
}

// Non-zero and position-dependent, so a stray write or a shifted region shows.
QByteArray patterned(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char(1 + i % 251);
    return bytes;
}

} // namespace

class TestSettingsImage : public QObject
{
    Q_OBJECT

public:
    enum class Region { SystemBlock, ZoneName, DeviceRecord, ChannelRecord, ZoneRecord, InputListEntry };
    Q_ENUM(Region)

private:
    // Both overloads of every accessor, so the const ones are checked alike.
    template<typename Image>
    static auto regionOf(Image &image, Region region, int first, int second)
    {
        switch (region) {
        case Region::SystemBlock:
            return image.SystemBlock();
        case Region::ZoneName:
            return image.ZoneName(first);
        case Region::DeviceRecord:
            return image.DeviceRecord(first, second);
        case Region::ChannelRecord:
            return image.ChannelRecord(first, second);
        case Region::ZoneRecord:
            return image.ZoneRecord(first);
        case Region::InputListEntry:
            return image.InputListEntry(first);
        }
        Q_UNREACHABLE();
    }

    // The zone name slot used to probe a span's own bounds: slots 1 and 3 border it.
    static constexpr int probeZone = 2;
    static constexpr int probeOffset = 4096 + 64;

private slots:
    void init() { failOnUnexpectedWarnings(); }
    void regionPlacement_data();
    void regionPlacement();
    void outOfRangeNumberTouchesNothing_data();
    void outOfRangeNumberTouchesNothing();
    void writeOverSpanEndsIsClipped_data();
    void writeOverSpanEndsIsClipped();
    void indexOutsideSpanIsIgnored_data();
    void indexOutsideSpanIsIgnored();
    void setStoresLowByte_data();
    void setStoresLowByte();
    void setBytesNeedsExactSize_data();
    void setBytesNeedsExactSize();
    void writesNeverReachSharedCopies();
    void clearBlanksWholeImage();
};

void TestSettingsImage::regionPlacement_data()
{
    QTest::addColumn<Region>("region");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");
    QTest::addColumn<int>("size");
    // Byte `index` of the span must lie at image offset `offset`.
    QTest::addColumn<int>("index");
    QTest::addColumn<int>("offset");

    QTest::newRow("system block") << Region::SystemBlock << 0 << 0 << 4096 << 0 << 0;
    QTest::newRow("zone name 1") << Region::ZoneName << 1 << 0 << 64 << 0 << 4096;
    QTest::newRow("zone name 7") << Region::ZoneName << 7 << 0 << 64 << 0 << 4096 + 384;
    QTest::newRow("zone name 512") << Region::ZoneName << 512 << 0 << 64 << 0 << 4096 + 511 * 64;
    QTest::newRow("device 1/0") << Region::DeviceRecord << 1 << 0 << 8 << 0 << 36864;
    QTest::newRow("device 2/0") << Region::DeviceRecord << 2 << 0 << 8 << 0 << 36864 + 1024;
    QTest::newRow("device 16/127 ends at channel table")
            << Region::DeviceRecord << 16 << 127 << 8 << 7 << 53248 - 1;
    QTest::newRow("channel 1/0") << Region::ChannelRecord << 1 << 0 << 12 << 0 << 53248;
    QTest::newRow("channel 3/250")
            << Region::ChannelRecord << 3 << 250 << 12 << 0 << 53248 + 6144 + 3000;
    QTest::newRow("channel 16/255 ends at zone records")
            << Region::ChannelRecord << 16 << 255 << 12 << 11 << 102400 - 1;
    QTest::newRow("zone record 1") << Region::ZoneRecord << 1 << 0 << 200 << 0 << 102400;
    QTest::newRow("zone record 12 state byte")
            << Region::ZoneRecord << 12 << 0 << 200 << 186 << 102400 + 2200 + 186;
    QTest::newRow("zone record 512 ends the image")
            << Region::ZoneRecord << 512 << 0 << 200 << 199 << 204800 - 1;
    QTest::newRow("input entry 0") << Region::InputListEntry << 0 << 0 << 16 << 0 << 202600;
    QTest::newRow("input entry 33") << Region::InputListEntry << 33 << 0 << 16 << 0 << 202600 + 528;
}

void TestSettingsImage::regionPlacement()
{
    QFETCH(Region, region);
    QFETCH(int, first);
    QFETCH(int, second);
    QFETCH(int, size);
    QFETCH(int, index);
    QFETCH(int, offset);

    SettingsImage image;
    const ImageBytes bytes = regionOf(image, region, first, second);
    QVERIFY(!bytes.isNull());
    QCOMPARE(bytes.size(), size);

    const QByteArray written = patterned(size);
    bytes.write(0, written);
    QByteArray expected(SettingsImage::Size, '\0');
    expected.replace(offset - index, size, written);
    QCOMPARE(firstDifference(image.Bytes(), expected), -1);

    const SettingsImage &view = image;
    QCOMPARE(regionOf(view, region, first, second).toByteArray(), written);
}

void TestSettingsImage::outOfRangeNumberTouchesNothing_data()
{
    QTest::addColumn<Region>("region");
    QTest::addColumn<int>("first");
    QTest::addColumn<int>("second");

    QTest::newRow("zone name 0") << Region::ZoneName << 0 << 0;
    QTest::newRow("zone name 513") << Region::ZoneName << 513 << 0;
    QTest::newRow("zone name INT_MIN") << Region::ZoneName << INT_MIN << 0;
    QTest::newRow("device module 0") << Region::DeviceRecord << 0 << 0;
    QTest::newRow("device module 17") << Region::DeviceRecord << 17 << 0;
    QTest::newRow("device record -1") << Region::DeviceRecord << 1 << -1;
    QTest::newRow("device record 128") << Region::DeviceRecord << 1 << 128;
    QTest::newRow("device record INT_MAX") << Region::DeviceRecord << 16 << INT_MAX;
    QTest::newRow("channel module 0") << Region::ChannelRecord << 0 << 0;
    QTest::newRow("channel module 17") << Region::ChannelRecord << 17 << 0;
    QTest::newRow("channel record -1") << Region::ChannelRecord << 1 << -1;
    QTest::newRow("channel record 256") << Region::ChannelRecord << 1 << 256;
    QTest::newRow("zone record 0") << Region::ZoneRecord << 0 << 0;
    QTest::newRow("zone record 513") << Region::ZoneRecord << 513 << 0;
    QTest::newRow("zone record INT_MAX") << Region::ZoneRecord << INT_MAX << 0;
    QTest::newRow("input entry -1") << Region::InputListEntry << -1 << 0;
    QTest::newRow("input entry 34") << Region::InputListEntry << 34 << 0;
}

void TestSettingsImage::outOfRangeNumberTouchesNothing()
{
    QFETCH(Region, region);
    QFETCH(int, first);
    QFETCH(int, second);

    SettingsImage image;
    const QByteArray before = patterned(SettingsImage::Size);
    QVERIFY(image.setBytes(before));

    QTest::ignoreMessage(QtCriticalMsg, outOfRange);
    const ImageBytes bytes = regionOf(image, region, first, second);
    QVERIFY(bytes.isNull());
    QCOMPARE(bytes.size(), 0);

    QTest::ignoreMessage(QtWarningMsg, outsideSpan);
    bytes.set(0, 0xEE);
    bytes.fill(0xEE);
    QTest::ignoreMessage(QtWarningMsg, outsideSpan);
    QCOMPARE(bytes.at(0), quint8(0));
    QVERIFY(bytes.toByteArray().isEmpty());
    QCOMPARE(firstDifference(image.Bytes(), before), -1);

    const SettingsImage &view = image;
    QTest::ignoreMessage(QtCriticalMsg, outOfRange);
    QVERIFY(regionOf(view, region, first, second).isNull());
}

void TestSettingsImage::writeOverSpanEndsIsClipped_data()
{
    QTest::addColumn<int>("index");
    QTest::addColumn<QByteArray>("data");
    // What lands, from span byte `keptFrom` on; the rest is dropped with one warning each.
    QTest::addColumn<int>("keptFrom");
    QTest::addColumn<QByteArray>("kept");

    const QByteArray four = QByteArray::fromHex("11223344");
    QTest::newRow("over the end") << 62 << four << 62 << four.left(2);
    QTest::newRow("over the start") << -3 << four << 0 << four.right(1);
    QTest::newRow("wholly past the end") << 64 << four << 0 << QByteArray();
    QTest::newRow("wholly before the start") << -4 << four << 0 << QByteArray();
    QTest::newRow("one longer than the span")
            << 0 << QByteArray(65, '\x80') << 0 << QByteArray(64, '\x80');
    QTest::newRow("from INT_MAX") << INT_MAX << four << 0 << QByteArray();
}

void TestSettingsImage::writeOverSpanEndsIsClipped()
{
    QFETCH(int, index);
    QFETCH(QByteArray, data);
    QFETCH(int, keptFrom);
    QFETCH(QByteArray, kept);

    SettingsImage image;
    const QByteArray before = patterned(SettingsImage::Size);
    QVERIFY(image.setBytes(before));

    for (qsizetype dropped = data.size() - kept.size(); dropped > 0; --dropped)
        QTest::ignoreMessage(QtWarningMsg, outsideSpan);
    image.ZoneName(probeZone).write(index, data);

    QByteArray expected = before;
    expected.replace(probeOffset + keptFrom, kept.size(), kept);
    QCOMPARE(firstDifference(image.Bytes(), expected), -1);
}

void TestSettingsImage::indexOutsideSpanIsIgnored_data()
{
    QTest::addColumn<int>("index");

    QTest::newRow("-1") << -1;
    QTest::newRow("size") << 64;
    QTest::newRow("INT_MIN") << INT_MIN;
    QTest::newRow("INT_MAX") << INT_MAX;
}

void TestSettingsImage::indexOutsideSpanIsIgnored()
{
    QFETCH(int, index);

    SettingsImage image;
    const QByteArray before = patterned(SettingsImage::Size);
    QVERIFY(image.setBytes(before));
    const ImageBytes bytes = image.ZoneName(probeZone);

    QTest::ignoreMessage(QtWarningMsg, outsideSpan);
    bytes.set(index, 0xEE);
    QCOMPARE(firstDifference(image.Bytes(), before), -1);

    QTest::ignoreMessage(QtWarningMsg, outsideSpan);
    QCOMPARE(bytes.at(index), quint8(0));
    const ConstImageBytes view = bytes;
    QTest::ignoreMessage(QtWarningMsg, outsideSpan);
    QCOMPARE(view[index], quint8(0));
}

void TestSettingsImage::setStoresLowByte_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<quint8>("stored");

    QTest::newRow("0x1234") << 0x1234 << quint8(0x34);
    QTest::newRow("-1") << -1 << quint8(0xFF);
    QTest::newRow("255") << 255 << quint8(0xFF);
    QTest::newRow("256") << 256 << quint8(0x00);
    QTest::newRow("0x80") << 0x80 << quint8(0x80);
    QTest::newRow("INT_MIN") << INT_MIN << quint8(0x00);
}

void TestSettingsImage::setStoresLowByte()
{
    QFETCH(int, value);
    QFETCH(quint8, stored);

    SettingsImage image;
    const QByteArray before = patterned(SettingsImage::Size);
    QVERIFY(image.setBytes(before));

    const int index = 5;
    image.ZoneName(probeZone).set(index, value);

    QCOMPARE(std::as_const(image).ZoneName(probeZone).at(index), stored);
    QByteArray expected = before;
    expected[probeOffset + index] = char(stored);
    QCOMPARE(firstDifference(image.Bytes(), expected), -1);
}

void TestSettingsImage::setBytesNeedsExactSize_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("empty") << 0 << false;
    QTest::newRow("one short") << SettingsImage::Size - 1 << false;
    QTest::newRow("one over") << SettingsImage::Size + 1 << false;
    QTest::newRow("exact") << SettingsImage::Size << true;
}

void TestSettingsImage::setBytesNeedsExactSize()
{
    QFETCH(int, size);
    QFETCH(bool, accepted);

    SettingsImage image;
    const QByteArray before = patterned(SettingsImage::Size);
    QVERIFY(image.setBytes(before));

    const QByteArray replacement(size, '\x5A');
    QCOMPARE(image.setBytes(replacement), accepted);
    QCOMPARE(image.Bytes().size(), SettingsImage::Size);
    QCOMPARE(firstDifference(image.Bytes(), accepted ? replacement : before), -1);
    QCOMPARE(std::as_const(image).ZoneRecord(512).at(199), accepted ? quint8(0x5A) : quint8(before.back()));
}

void TestSettingsImage::writesNeverReachSharedCopies()
{
    // setBytes and copies share data until written: a span must write into the image's own.
    const QByteArray source = patterned(SettingsImage::Size);
    SettingsImage image;
    QVERIFY(image.setBytes(source));
    const SettingsImage copy = image;

    image.ZoneName(1).fill(0xEE);

    QCOMPARE(firstDifference(source, patterned(SettingsImage::Size)), -1);
    QCOMPARE(firstDifference(copy.Bytes(), source), -1);
    QCOMPARE(firstDifference(image.Bytes(), source), 4096);
}

void TestSettingsImage::clearBlanksWholeImage()
{
    const QByteArray blank(SettingsImage::Size, '\0');
    SettingsImage image;
    QCOMPARE(firstDifference(image.Bytes(), blank), -1);

    QVERIFY(image.setBytes(patterned(SettingsImage::Size)));
    image.clear();
    QCOMPARE(firstDifference(image.Bytes(), blank), -1);
}

QTEST_GUILESS_MAIN(TestSettingsImage)

#include "tst_settingsimage.moc"
