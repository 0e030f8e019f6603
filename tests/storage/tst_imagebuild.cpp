#include "unexpectedwarnings.h"

#include <image/cp1251.h>
#include <model/configuration.h>
#include <storage/imagebuilder.h>

#include <QTest>

namespace {

constexpr int channelTable = 53248;
constexpr int deviceTable = 36864;

int channelOffset(int module, int record)
{
    return channelTable + 3072 * (module - 1) + 12 * record;
}

int deviceOffset(int module, int record)
{
    return deviceTable + 1024 * (module - 1) + 8 * record;
}

QByteArray built(Configuration &config)
{
    ImageBuilder::build(config);
    return config.image().Bytes();
}

void appendDetector(Configuration &config, int module, int address, int zone = 0)
{
    MemTable &sensors = config.mtSensor();
    sensors.append();
    sensors.setValueSilently("id_dev", module);
    sensors.setValueSilently("addr", address);
    sensors.setValueSilently("id_sen", 1);
    sensors.setValueSilently("ver", 2);
    sensors.setValueSilently("year", 23);
    sensors.setValueSilently("month", 7);
    sensors.setValueSilently("saddrh", 0x12);
    sensors.setValueSilently("saddrl", 0x34);
    sensors.setValueSilently("id_chan", 1);
    sensors.setValueSilently("id_being", 1);
    sensors.setValueSilently("time", 9);
    sensors.setValueSilently("offset", 5);
    sensors.setValueSilently("id_area", zone);
    sensors.post();
}

void appendOutput(Configuration &config, int module, int number, int zone = 0)
{
    MemTable &outputs = config.mtReturn();
    outputs.append();
    outputs.setValueSilently("id_dev", module);
    outputs.setValueSilently("offset", number);
    outputs.setValueSilently("id_chan", 195);
    outputs.setValueSilently("id_mode", 1);
    outputs.setValueSilently("time", 4);
    outputs.setValueSilently("id_being", 0);
    outputs.setValueSilently("index", 6);
    outputs.setValueSilently("id_area", zone);
    outputs.setValueSilently("id_return", module * 1000 + number);
    outputs.post();
}

QByteArray bytesAt(const QByteArray &image, int offset, int size)
{
    return image.mid(offset, size);
}

} // namespace

class TestImageBuild : public QObject
{
    Q_OBJECT

private slots:
    void init() { failOnUnexpectedWarnings(); }
    void startContents_data();
    void startContents();
    void buildTwice_givesTheSameImage();
    void builtAside_leavesTheImageAsItWas();
    void detectorsAndOutputs_data();
    void detectorsAndOutputs();
    void absentModule_recordsStayCleared();
    void outputsKeepTheirOwnRecord();
    void detectorsKeepTheirOwnRecord_data();
    void detectorsKeepTheirOwnRecord();
    void detectorsOnEveryRecord_noMoreThanTheModuleHolds();
    void eightChannelInputs_reachTheirRecords();
    void channelBytesSevenToEleven_areKept();
    void settings_data();
    void settings();
    void secondApk_setsAndClearsOnlyItsBits();
    void filteredGrids_doNotHideRows();
};

void TestImageBuild::startContents_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("module 1 type, number, chain") << 34 << QByteArray::fromHex("02");
    QTest::newRow("module 1 number") << 50 << QByteArray::fromHex("01");
    QTest::newRow("module 1 chain") << 66 << QByteArray::fromHex("01");
    QTest::newRow("modules 2..16 absent") << 35 << QByteArray(15, '\0');
    QTest::newRow("modules 2..16 unnumbered") << 51 << QByteArray(15, '\0');
    QTest::newRow("modules 2..16 no chain") << 67 << QByteArray(15, '\0');
    QTest::newRow("zone 1 name blank") << 4096 << QByteArray(64, ' ');
    QTest::newRow("zone 500 name blank") << 4096 + 499 * 64 << QByteArray(64, ' ');
    QTest::newRow("zone slot 501") << 4096 + 500 * 64
                                   << Cp1251::encode(QStringLiteral(" ЗОНА 501")) + QByteArray(55, ' ');
    QTest::newRow("zone slot 512") << 4096 + 511 * 64
                                   << Cp1251::encode(QStringLiteral(" ЗОНА 512")) + QByteArray(55, ' ');
    QTest::newRow("repeated notification off") << 210 << QByteArray::fromHex("0100");
    QTest::newRow("fire relay off") << 202610 << QByteArray::fromHex("01");
    QTest::newRow("fault relay off") << 202814 << QByteArray::fromHex("01");
    QTest::newRow("communicator off") << 203006 << QByteArray::fromHex("01");
    QTest::newRow("event codes 329, 571") << 212 << QByteArray::fromHex("29037105");
    QTest::newRow("event code 110") << 212 + 2 * 8 << QByteArray::fromHex("1001");
    QTest::newRow("event code 634 last") << 212 + 2 * 26 << QByteArray::fromHex("3406");
    QTest::newRow("input message 1") << 344
            << Cp1251::encode(QStringLiteral("ВХІД 0 СПРАЦЮВАВ")) + QByteArray(24, ' ') + QByteArray(1, '\0');
    QTest::newRow("input message 4") << 344 + 3 * 41
            << Cp1251::encode(QStringLiteral("ВХІД 3 СПРАЦЮВАВ")) + QByteArray(24, ' ') + QByteArray(1, '\0');
    QTest::newRow("information message blank") << 344 + 4 * 41 << QByteArray(40, ' ') + QByteArray(1, '\0');
    QTest::newRow("access codes empty") << 82 << QByteArray(120, '\0');
    QTest::newRow("registration and telephone numbers empty") << 4 << QByteArray(22, '\0');
    QTest::newRow("dialling, attempts, tests") << 28 << QByteArray(6, '\0');
    QTest::newRow("day and night at midnight") << 202 << QByteArray(8, '\0');
}

void TestImageBuild::startContents()
{
    QFETCH(int, offset);
    QFETCH(QByteArray, bytes);
    Configuration config;
    QCOMPARE(bytesAt(built(config), offset, bytes.size()).toHex(' '), bytes.toHex(' '));
}

void TestImageBuild::buildTwice_givesTheSameImage()
{
    Configuration config;
    appendDetector(config, 1, 3, 7);
    appendOutput(config, 1, 2, 7);
    config.changeSettings([&](SystemSettings &s) { s.edTelNum1Raw = QStringLiteral("12B34D0000000000"); });
    const QByteArray first = built(config);
    QCOMPARE(built(config), first);
}

void TestImageBuild::builtAside_leavesTheImageAsItWas()
{
    Configuration config;
    const QByteArray before = config.image().Bytes();
    appendDetector(config, 1, 3, 7);
    config.changeSettings([&](SystemSettings &s) { s.edNumReg1 = QStringLiteral("4321"); });
    const QByteArray aside = ImageBuilder::builtAside(config);
    QCOMPARE(config.image().Bytes(), before);
    QVERIFY(aside != before);
    QCOMPARE(aside, built(config));
}

void TestImageBuild::detectorsAndOutputs_data()
{
    QTest::addColumn<int>("zone");
    QTest::addColumn<QByteArray>("detectorZoneBytes");
    QTest::addColumn<QByteArray>("outputZoneBytes");

    QTest::newRow("zone 7") << 7 << QByteArray::fromHex("0007") << QByteArray::fromHex("0007");
    QTest::newRow("zone 300") << 300 << QByteArray::fromHex("012c") << QByteArray::fromHex("012c");
    QTest::newRow("zone 500") << 500 << QByteArray::fromHex("01f4") << QByteArray::fromHex("01f4");
    QTest::newRow("zone 501") << 501 << QByteArray::fromHex("0000") << QByteArray::fromHex("01f5");
}

void TestImageBuild::detectorsAndOutputs()
{
    QFETCH(int, zone);
    QFETCH(QByteArray, detectorZoneBytes);
    QFETCH(QByteArray, outputZoneBytes);

    Configuration config;
    appendDetector(config, 1, 3, zone);
    appendOutput(config, 1, 0, zone);
    const QByteArray image = built(config);

    // The only device, at address 3, is device record 1 and channel record 0.
    QCOMPARE(bytesAt(image, deviceOffset(1, 0), 8), QByteArray(8, '\0'));
    QCOMPARE(bytesAt(image, deviceOffset(1, 1), 8).toHex(' '), QByteArray::fromHex("0102170712340000").toHex(' '));
    QCOMPARE(bytesAt(image, channelOffset(1, 0), 9).toHex(' '),
             (QByteArray::fromHex("0301000901") + detectorZoneBytes + QByteArray::fromHex("0005")).toHex(' '));
    QCOMPARE(bytesAt(image, channelOffset(1, 1), 9), QByteArray(9, '\0'));
    QCOMPARE(bytesAt(image, channelOffset(1, 248), 9).toHex(' '),
             (QByteArray::fromHex("01c3010400") + outputZoneBytes + QByteArray::fromHex("0600")).toHex(' '));
}

void TestImageBuild::absentModule_recordsStayCleared()
{
    Configuration config;
    for (int record : { 0, 5, 248 }) {
        config.image().ChannelRecord(4, record).write(0, QByteArray(7, '\x33'));
        config.image().DeviceRecord(4, record % 128).write(0, QByteArray(8, '\x33'));
    }
    appendDetector(config, 4, 2, 1);
    appendOutput(config, 4, 0, 1);
    const QByteArray image = built(config);
    QCOMPARE(bytesAt(image, deviceOffset(4, 0), 1024), QByteArray(1024, '\0'));
    for (int record = 0; record < 256; ++record)
        QCOMPARE(bytesAt(image, channelOffset(4, record), 7), QByteArray(7, '\0'));
}

void TestImageBuild::outputsKeepTheirOwnRecord()
{
    // Output 2 alone: it must stay in record 250, where the zone link slots look for it.
    Configuration config;
    QVERIFY(config.mtDev().locate("addr", 3));
    config.mtDev().setValue("id_being", 0);
    appendOutput(config, 3, 2);
    appendOutput(config, 3, 8); // no such output: not written anywhere
    const QByteArray image = built(config);
    QCOMPARE(image.at(channelOffset(3, 248)), '\0');
    QCOMPARE(image.at(channelOffset(3, 249)), '\0');
    QCOMPARE(image.at(channelOffset(3, 250)), '\3');
    QCOMPARE(image.at(channelOffset(3, 250) + 8), '\2');
    for (int record = 251; record < 256; ++record)
        QCOMPARE(image.at(channelOffset(3, record)), '\0');
}

void TestImageBuild::detectorsKeepTheirOwnRecord_data()
{
    QTest::addColumn<QList<int>>("claims"); // per row in table order: the record it was loaded from, -1 none
    QTest::addColumn<QList<int>>("records"); // where each row lands

    QTest::newRow("none claimed: table order") << QList<int> { -1, -1, -1 } << QList<int> { 0, 1, 2 };
    QTest::newRow("loaded out of address order") << QList<int> { 3, 0, 1, 2 } << QList<int> { 3, 0, 1, 2 };
    QTest::newRow("new rows fill the gaps") << QList<int> { -1, 2, -1, 0, -1 } << QList<int> { 1, 2, 3, 0, 4 };
    QTest::newRow("a second claim of a record is a new row") << QList<int> { 5, 5 } << QList<int> { 5, 0 };
    QTest::newRow("claims beyond the detector records are new rows") << QList<int> { 248, 300, -5 }
                                                                     << QList<int> { 0, 1, 2 };
    QTest::newRow("the last record") << QList<int> { 247, -1 } << QList<int> { 247, 0 };
}

void TestImageBuild::detectorsKeepTheirOwnRecord()
{
    QFETCH(QList<int>, claims);
    QFETCH(QList<int>, records);

    Configuration config;
    for (int row = 0; row < claims.size(); ++row) {
        appendDetector(config, 1, 2 + row);
        if (claims.at(row) != -1) {
            config.mtSensor().setValueSilently("record", claims.at(row));
            config.mtSensor().post();
        }
    }
    const QByteArray image = built(config);
    for (int row = 0; row < records.size(); ++row)
        QCOMPARE(quint8(image.at(channelOffset(1, records.at(row)))), 2 + row);
}

void TestImageBuild::detectorsOnEveryRecord_noMoreThanTheModuleHolds()
{
    // 248 claimed records and one new row: the new row has nowhere to go.
    Configuration config;
    for (int record = 0; record < 248; ++record) {
        appendDetector(config, 1, 2 + record % 128);
        config.mtSensor().setValueSilently("record", 247 - record);
        config.mtSensor().post();
    }
    appendDetector(config, 1, 9);
    const QByteArray image = built(config);
    for (int record = 0; record < 248; ++record)
        QCOMPARE(quint8(image.at(channelOffset(1, record))), 2 + (247 - record) % 128);
    QCOMPARE(image.at(channelOffset(1, 248)), '\0');
}

void TestImageBuild::eightChannelInputs_reachTheirRecords()
{
    Configuration config;
    QVERIFY(config.mtDev().locate("addr", 6));
    config.mtDev().setValue("id_being", 0);
    config.mtDev().setValue("id_name", 3);
    MemTable &inputs = config.mtEntrance();
    QVERIFY(inputs.applyFilter("num=2"));
    inputs.setValue("id_repent", 4);
    inputs.setValue("level", 1);
    inputs.setValue("id_being", 1);
    const QByteArray image = built(config);
    QCOMPARE(bytesAt(image, channelOffset(6, 254) + 2, 3).toHex(' '), QByteArray::fromHex("010000").toHex(' '));
    QCOMPARE(bytesAt(image, channelOffset(6, 255) + 2, 3).toHex(' '), QByteArray::fromHex("040101").toHex(' '));
    QCOMPARE(image.at(34 + 5), '\3');
}

void TestImageBuild::channelBytesSevenToEleven_areKept()
{
    Configuration config;
    config.image().ChannelRecord(2, 10).write(7, QByteArray::fromHex("0a0b0c0d0e"));
    config.image().ChannelRecord(2, 10).write(0, QByteArray::fromHex("01020304050607"));
    const QByteArray image = built(config);
    QCOMPARE(bytesAt(image, channelOffset(2, 10), 12).toHex(' '),
             QByteArray::fromHex("000000000000000a0b0c0d0e").toHex(' '));
}

void TestImageBuild::settings_data()
{
    QTest::addColumn<QString>("control");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("registration 1234") << "edNumReg1" << QVariant("1234") << 4 << QByteArray::fromHex("3412");
    QTest::newRow("registration not a number") << "edNumReg2" << QVariant("12x") << 6 << QByteArray::fromHex("0000");
    for (const char *text : { " 12", "12 ", "+12", "-12", "0x12", "١٢" }) {
        QTest::addRow("registration \"%s\" is no number", text)
                << "edNumReg1" << QVariant(QString::fromUtf8(text)) << 4 << QByteArray::fromHex("0000");
        QTest::addRow("attempts \"%s\" is no number", text)
                << "edCount" << QVariant(QString::fromUtf8(text)) << 29 << QByteArray::fromHex("00");
    }
    QTest::newRow("pulse number") << "edTelNum1Raw" << QVariant("12B34C5D00000000") << 8
                                  << QByteArray::fromHex("12b34c5d0000000000");
    QTest::newRow("tone number") << "edTelNum2Raw" << QVariant("E12D000000000000") << 17
                                 << QByteArray::fromHex("e12d00000000000000");
    QTest::newRow("bad symbol pair") << "edTelNum1Raw" << QVariant("1G3") << 8
                                     << QByteArray::fromHex("000000000000000000");
    QTest::newRow("signed or blank pairs give 0") << "edTelNum1Raw" << QVariant("-3+3 312") << 8
                                                  << QByteArray::fromHex("000000120000000000");
    QTest::newRow("no item chosen keeps the stored mode") << "cbModeAndOr" << QVariant(-1) << 28
                                                          << QByteArray::fromHex("77");
    QTest::newRow("mode И") << "cbModeAndOr" << QVariant(1) << 28 << QByteArray::fromHex("01");
    QTest::newRow("attempts 123 low byte") << "edCount" << QVariant("123") << 29 << QByteArray::fromHex("23");
    QTest::newRow("first test hour 300") << "ud6" << QVariant(300) << 30 << QByteArray::fromHex("2c");
    QTest::newRow("first test minute") << "ud7" << QVariant(45) << 31 << QByteArray::fromHex("2d");
    QTest::newRow("interval 24 hours") << "ud8" << QVariant(24) << 32 << QByteArray::fromHex("a005");
    QTest::newRow("admin code 3") << "edAdminPass3" << QVariant("12345") << 102
                                  << QByteArray::fromHex("31323334350000000000");
    QTest::newRow("master code 4, ten digits") << "edMasterPass4" << QVariant("0123456789") << 192
                                               << QByteArray("0123456789");
    QTest::newRow("information message") << "edInfMessage" << QVariant("Тест") << 344 + 4 * 41
            << Cp1251::encode(QStringLiteral(" ТЕСТ")) + QByteArray(35, ' ') + QByteArray(1, '\0');
    QTest::newRow("information message keeps 39") << "edInfMessage" << QVariant(QString(40, u'a'))
            << 344 + 4 * 41 << QByteArray(" ") + QByteArray(39, 'A') + QByteArray(1, '\0');
    QTest::newRow("repeated notification on") << "ckbNotiv" << QVariant(true) << 210 << QByteArray::fromHex("00");
    QTest::newRow("fire relay on") << "ckbFire" << QVariant(true) << 202610 << QByteArray::fromHex("00");
    QTest::newRow("fault relay on") << "ckbNeisp" << QVariant(true) << 202814 << QByteArray::fromHex("00");
    QTest::newRow("communicator on") << "ckbComm" << QVariant(true) << 203006 << QByteArray::fromHex("00");
}

void TestImageBuild::settings()
{
    QFETCH(QString, control);
    QFETCH(QVariant, value);
    QFETCH(int, offset);
    QFETCH(QByteArray, bytes);

    Configuration config;
    const QHash<QString, std::function<void(SystemSettings &)>> setters {
        { "edNumReg1", [&](SystemSettings &s) { s.edNumReg1 = value.toString(); } },
        { "edNumReg2", [&](SystemSettings &s) { s.edNumReg2 = value.toString(); } },
        { "edTelNum1Raw", [&](SystemSettings &s) { s.edTelNum1Raw = value.toString(); } },
        { "edTelNum2Raw", [&](SystemSettings &s) { s.edTelNum2Raw = value.toString(); } },
        { "cbModeAndOr", [&](SystemSettings &s) { s.cbModeAndOr = value.toInt(); } },
        { "edCount", [&](SystemSettings &s) { s.edCount = value.toString(); } },
        { "ud6", [&](SystemSettings &s) { s.ud6 = value.toInt(); } },
        { "ud7", [&](SystemSettings &s) { s.ud7 = value.toInt(); } },
        { "ud8", [&](SystemSettings &s) { s.ud8 = value.toInt(); } },
        { "edAdminPass3", [&](SystemSettings &s) { s.edAdminPass[2] = value.toString(); } },
        { "edMasterPass4", [&](SystemSettings &s) { s.edMasterPass[3] = value.toString(); } },
        { "edInfMessage", [&](SystemSettings &s) { s.edInfMessage = value.toString(); } },
        { "ckbNotiv", [&](SystemSettings &s) { s.ckbNotiv = value.toBool(); } },
        { "ckbFire", [&](SystemSettings &s) { s.ckbFire = value.toBool(); } },
        { "ckbNeisp", [&](SystemSettings &s) { s.ckbNeisp = value.toBool(); } },
        { "ckbComm", [&](SystemSettings &s) { s.ckbComm = value.toBool(); } },
    };
    QVERIFY(setters.contains(control));
    config.image().Whole().write(offset, QByteArray(bytes.size(), '\x77')); // must be overwritten
    config.changeSettings(setters.value(control));
    QCOMPARE(bytesAt(built(config), offset, bytes.size()).toHex(' '), bytes.toHex(' '));
}

void TestImageBuild::secondApk_setsAndClearsOnlyItsBits()
{
    Configuration config;
    config.image().SystemBlock().write(332, QByteArray::fromHex("0080000040c0"));
    config.changeSettings([&](SystemSettings &s) { s.ckbAPK = true; });
    QCOMPARE(bytesAt(built(config), 332, 6).toHex(' '), QByteArray::fromHex("0181000002c1").toHex(' '));
    config.changeSettings([&](SystemSettings &s) { s.ckbAPK = false; });
    QCOMPARE(bytesAt(built(config), 332, 6).toHex(' '), QByteArray::fromHex("0181000002c0").toHex(' '));
}

void TestImageBuild::filteredGrids_doNotHideRows()
{
    Configuration config;
    appendDetector(config, 1, 2, 5);
    appendDetector(config, 1, 3, 6);
    QVERIFY(config.mtSensor().applyFilter("id_area =6"));
    QVERIFY(config.mtArea().applyFilter("id=6"));
    QVERIFY(config.mtArea().setRecNo(1));
    config.mtArea().setValue("name", "склад");
    const QByteArray image = built(config);
    QCOMPARE(image.at(channelOffset(1, 0)), '\2');
    QCOMPARE(image.at(channelOffset(1, 1)), '\3');
    QCOMPARE(bytesAt(image, 4096 + 5 * 64, 5), Cp1251::encode(QStringLiteral("СКЛАД")));
}

QTEST_GUILESS_MAIN(TestImageBuild)
#include "tst_imagebuild.moc"
