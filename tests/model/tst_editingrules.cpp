#include "unexpectedwarnings.h"

#include <model/configuration.h>
#include <model/maingrids.h>
#include <model/memtablemodel.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTest>

#include <algorithm>

using ByteChanges = QMap<int, int>; // image offset -> byte
Q_DECLARE_METATYPE(GridSpec)

namespace {

constexpr int channelTable = 53248;
constexpr int zoneRecords = 102400;
constexpr int inputList = 202600;

int channelOffset(int module, int record)
{
    return channelTable + 3072 * (module - 1) + 12 * record;
}

// The image is all zeros at start, so every byte a rule writes is listed here.
void verifyImageHoldsOnly(const Configuration &config, const ByteChanges &changes)
{
    QByteArray expected(SettingsImage::Size, '\0');
    for (auto it = changes.cbegin(); it != changes.cend(); ++it)
        expected[it.key()] = char(it.value());
    const QByteArray actual = config.image().Bytes();
    for (int offset = 0; offset < SettingsImage::Size; ++offset) {
        if (actual.at(offset) != expected.at(offset))
            QFAIL(qPrintable(QStringLiteral("image offset %1: %2, expected %3")
                                     .arg(offset)
                                     .arg(quint8(actual.at(offset)))
                                     .arg(quint8(expected.at(offset)))));
    }
}

void appendSensor(MemTable &sensors, int module, int address, int channelType)
{
    sensors.append();
    sensors.setValue("id_dev", module);
    sensors.setValue("addr", address);
    sensors.setValue("id_chan", channelType);
    sensors.setValue("id_mode", 0); // no heat class written yet for channel type 0
    sensors.post();
}

void appendOutput(MemTable &outputs, int module, int offset, int channelType)
{
    outputs.append();
    outputs.setValue("id_chan", channelType);
    outputs.setValue("id_dev", module);
    outputs.setValue("offset", offset);
    outputs.post();
}

// An eight-channel module's two input-list entries, from `entry` on.
ByteChanges inputPair(int entry, int module)
{
    const int offset = inputList + 16 * entry;
    return { { offset, module }, { offset + 1, 0xFE }, { offset + 16, module }, { offset + 17, 0xFF } };
}

// The first `count` entries of the input list in use (by module 16).
ByteChanges occupiedEntries(int count)
{
    ByteChanges bytes;
    for (int entry = 0; entry < count; ++entry)
        bytes.insert(inputList + 16 * entry, 16);
    return bytes;
}

void selectModule(Configuration &config, int module)
{
    QVERIFY(config.mtDev().locate("addr", module));
}

} // namespace

class TestEditingRules : public QObject
{
    Q_OBJECT

private slots:
    void init() { failOnUnexpectedWarnings(); }
    void zoneName_isUpperCasedAndStoredPadded_data();
    void zoneName_isUpperCasedAndStoredPadded();
    void zoneBytes_followTheZoneNumberWhateverTheFilter_data();
    void zoneBytes_followTheZoneNumberWhateverTheFilter();
    void moduleState_connectsAndDisconnects();
    void moduleType_eightChannel_createsItsInputsOnce();
    void moduleType_eightChannel_placesItsPairAmongOthers_data();
    void moduleType_eightChannel_placesItsPairAmongOthers();
    void inputFields_storeIntoTheirChannelRecord_data();
    void inputFields_storeIntoTheirChannelRecord();
    void inputMessage_chosenByKeyInTheInputsGrid_data();
    void inputMessage_chosenByKeyInTheInputsGrid();
    void heatClass_onlyOnHeatChannels_data();
    void heatClass_onlyOnHeatChannels();
    void outputMode_unsupervisedOutputNeverNotifies_data();
    void outputMode_unsupervisedOutputNeverNotifies();
    void outputAndDeviceState_useTheRowsOwnRecord();
    void rowsWithoutAPosition_writeNothing();
    void inputMessage_isUpperCased();
    void outputLabel_isNotTakenAsTyped_data();
    void outputLabel_isNotTakenAsTyped();
};

void TestEditingRules::zoneName_isUpperCasedAndStoredPadded_data()
{
    QTest::addColumn<int>("zone");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("five Cyrillic letters") << 7 << "склад" << "СКЛАД"
                                           << QByteArray::fromHex("d1cacbc0c4");
    QTest::newRow("Ukrainian letters") << 1 << "їжак ґанок є і" << "ЇЖАК ҐАНОК Є І"
                                       << QByteArray::fromHex("afc6c0ca20a5c0cdceca20aa20b2");
    QTest::newRow("Latin and digits") << 500 << "Office 2b" << "OFFICE 2B" << QByteArray("OFFICE 2B");
    QTest::newRow("forty characters") << 12 << QString(40, u'ж') << QString(40, u'Ж')
                                      << QByteArray(40, char(0xc6));
    QTest::newRow("cut to forty") << 13 << QString(45, u'a') << QString(40, u'A') << QByteArray(40, 'A');
}

void TestEditingRules::zoneName_isUpperCasedAndStoredPadded()
{
    QFETCH(int, zone);
    QFETCH(QString, typed);
    QFETCH(QString, stored);
    QFETCH(QByteArray, bytes);

    Configuration config;
    QVERIFY(config.mtArea().locate("id", zone));
    config.mtArea().setValue("name", typed);
    QCOMPARE(config.mtArea().asString("name"), stored);

    const QByteArray slot = bytes + QByteArray(64 - bytes.size(), ' ');
    ByteChanges changes;
    for (int i = 0; i < 64; ++i)
        changes.insert(4096 + 64 * (zone - 1) + i, quint8(slot.at(i)));
    verifyImageHoldsOnly(config, changes);
}

void TestEditingRules::zoneBytes_followTheZoneNumberWhateverTheFilter_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("offset");
    QTest::addColumn<int>("byte");

    QTest::newRow("state off") << "id_being" << 1 << zoneRecords + 2200 + 186 << 1;
    QTest::newRow("profile 4") << "id_temp" << 4 << zoneRecords + 2200 + 185 << 4;
    QTest::newRow("verification 2") << "id_verif" << 2 << zoneRecords + 2200 + 184 << 2;
    QTest::newRow("low byte only") << "id_temp" << 0x1204 << zoneRecords + 2200 + 185 << 4;
}

void TestEditingRules::zoneBytes_followTheZoneNumberWhateverTheFilter()
{
    QFETCH(QString, field);
    QFETCH(int, value);
    QFETCH(int, offset);
    QFETCH(int, byte);

    Configuration config;
    MemTable &zones = config.mtArea();
    QVERIFY(zones.applyFilter("id=12 or id=3"));
    QVERIFY(zones.setRecNo(2)); // zone 12 is the second visible row
    QCOMPARE(zones.asInteger("id"), 12);
    zones.setValue(field, value);
    verifyImageHoldsOnly(config, { { offset, byte } });

    zones.setValue(field, QVariant()); // an emptied field stores 0
    verifyImageHoldsOnly(config, {});
}

void TestEditingRules::moduleState_connectsAndDisconnects()
{
    Configuration config;
    MemTable &modules = config.mtDev();
    selectModule(config, 5);

    modules.setValue("id_being", 0);
    QCOMPARE(modules.asInteger("id_name"), 2);
    QCOMPARE(modules.asString("name"), QStringLiteral("КЛМ"));
    QCOMPARE(modules.asInteger("id_tname"), 1);
    QCOMPARE(modules.asString("mname"), QStringLiteral("КЛМ № 5"));
    verifyImageHoldsOnly(config, { { 38, 2 }, { 54, 5 } });

    modules.setValue("id_being", 1);
    QCOMPARE(modules.asInteger("id_name"), 0);
    QVERIFY(modules.isNull("id_tname"));
    QCOMPARE(modules.asString("tname"), QString());
    QCOMPARE(modules.asString("mname"), QStringLiteral("КЛМ № 5"));
    verifyImageHoldsOnly(config, {});
}

void TestEditingRules::moduleType_eightChannel_createsItsInputsOnce()
{
    Configuration config;
    // Entries 0 and 1 belong to module 9; level bytes are preset to see them written.
    config.image().InputListEntry(0).write(0, QByteArray::fromHex("09fe"));
    config.image().InputListEntry(1).write(0, QByteArray::fromHex("09ff"));
    config.image().ChannelRecord(4, 254).set(3, 0xAA);
    config.image().ChannelRecord(4, 255).set(3, 0xAA);

    selectModule(config, 4);
    config.mtDev().setValue("id_name", 3);
    QCOMPARE(config.mtDev().asString("mname"), QStringLiteral("КВ-8 № 4"));
    QCOMPARE(config.mtDev().asInteger("id_tname"), 2);
    QCOMPARE(config.mtDev().asString("tname"), QString());

    MemTable &inputs = config.mtEntrance();
    QCOMPARE(inputs.rowCount(), 2);
    QCOMPARE(inputs.recNo(), 1);
    for (int number = 1; number <= 2; ++number) {
        inputs.setRecNo(number);
        QCOMPARE(inputs.asInteger("id"), 3);
        QCOMPARE(inputs.asInteger("addr"), 4);
        QCOMPARE(inputs.asInteger("num"), number);
        QCOMPARE(inputs.asInteger("id_repent"), 1);
        QCOMPARE(inputs.asString("rname"), QStringLiteral("ВХІД 0 СПРАЦЮВАВ"));
        QCOMPARE(inputs.asInteger("level"), 0);
        QCOMPARE(inputs.asInteger("id_being"), 1); // module 4 starts disconnected
        QCOMPARE(inputs.asString("mname"), QStringLiteral("КВ-8"));
    }
    const ByteChanges expected { { inputList, 9 }, { inputList + 1, 0xFE },
                                 { inputList + 16, 9 }, { inputList + 17, 0xFF },
                                 { inputList + 32, 4 }, { inputList + 33, 0xFE },
                                 { inputList + 48, 4 }, { inputList + 49, 0xFF } };
    verifyImageHoldsOnly(config, expected);
    QCOMPARE(channelOffset(4, 254) + 3, 53248 + 9216 + 3048 + 3);

    config.mtDev().setValue("id_name", 2);
    QCOMPARE(config.mtDev().asString("mname"), QStringLiteral("КЛМ № 4"));
    config.mtDev().setValue("id_name", 3);
    QCOMPARE(inputs.rowCount(), 2);
    verifyImageHoldsOnly(config, expected);
}

void TestEditingRules::moduleType_eightChannel_placesItsPairAmongOthers_data()
{
    QTest::addColumn<int>("module");
    QTest::addColumn<ByteChanges>("listed"); // the input list before the type changes
    QTest::addColumn<ByteChanges>("added");

    QTest::newRow("pair already listed, its rows not yet there")
            << 4 << (inputPair(5, 4)) << ByteChanges();
    QTest::newRow("list full: nothing written") << 2 << occupiedEntries(33) << ByteChanges();
    QTest::newRow("last free entry: the pair takes the two after it")
            << 3 << occupiedEntries(32) << inputPair(32, 3);
    QTest::newRow("a free entry before another module's pair is not split from it")
            << 3 << inputPair(1, 5) << inputPair(3, 3);
}

void TestEditingRules::moduleType_eightChannel_placesItsPairAmongOthers()
{
    QFETCH(int, module);
    QFETCH(ByteChanges, listed);
    QFETCH(ByteChanges, added);

    Configuration config;
    for (auto it = listed.cbegin(); it != listed.cend(); ++it)
        config.image().Whole().set(it.key(), it.value());
    selectModule(config, module);
    config.mtDev().setValue("id_name", 3);

    QCOMPARE(config.mtEntrance().rowCount(), 2);
    ByteChanges expected = listed;
    expected.insert(added);
    verifyImageHoldsOnly(config, expected);
}

void TestEditingRules::inputFields_storeIntoTheirChannelRecord_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("field");
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("offset"); // -1: nothing stored

    QTest::newRow("input 1 state") << 1 << "id_being" << 1 << channelOffset(6, 254) + 4;
    QTest::newRow("input 2 state") << 2 << "id_being" << 1 << channelOffset(6, 255) + 4;
    QTest::newRow("input 1 message") << 1 << "id_repent" << 4 << channelOffset(6, 254) + 2;
    QTest::newRow("input 2 level") << 2 << "level" << 7 << channelOffset(6, 255) + 3;
}

void TestEditingRules::inputFields_storeIntoTheirChannelRecord()
{
    QFETCH(int, number);
    QFETCH(QString, field);
    QFETCH(int, value);
    QFETCH(int, offset);

    Configuration config;
    selectModule(config, 6);
    config.mtDev().setValue("id_name", 3);
    const QByteArray before = config.image().Bytes();

    MemTable &inputs = config.mtEntrance();
    QVERIFY(inputs.applyFilter(QStringLiteral("num=%1").arg(number)));
    inputs.setValue(field, value);
    QByteArray expected = before;
    expected[offset] = char(value);
    QCOMPARE(config.image().Bytes(), expected);
}

void TestEditingRules::inputMessage_chosenByKeyInTheInputsGrid_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<int>("record");

    QTest::newRow("input 1") << 1 << 254;
    QTest::newRow("input 2") << 2 << 255;
}

// The message column offers the input messages as they now read, and a choice is the
// input's message in the row and in the image at once.
void TestEditingRules::inputMessage_chosenByKeyInTheInputsGrid()
{
    QFETCH(int, number);
    QFETCH(int, record);

    Configuration config;
    selectModule(config, 6);
    config.mtDev().setValue("id_name", 3);
    MemTable &messages = config.mtRepEnt();
    QVERIFY(messages.locate("id", 3));
    messages.setValue("name", QStringLiteral("тривога"));
    const QByteArray before = config.image().Bytes();

    const GridSpec grid = MainGrids::DBGridEh8();
    MemTableModel model(&config.mtEntrance(), grid.columns);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const auto column = std::find_if(grid.columns.cbegin(), grid.columns.cend(),
                                     [](const ColumnSpec &c) { return c.field == InputField::rname; });
    QVERIFY(column != grid.columns.cend());
    const QModelIndex cell = model.index(number - 1, int(column - grid.columns.cbegin()));
    QCOMPARE(config.mtEntrance().visibleValue(cell.row(), InputField::num).toInt(), number);

    QVERIFY(model.flags(cell).testFlag(Qt::ItemIsEditable));
    QCOMPARE(cell.data(MemTableModel::KeyRole).toInt(), 1);
    QCOMPARE(cell.data(MemTableModel::ChoicesRole).toList(),
             (QVariantList { QVariantList { 1, QStringLiteral("ВХІД 0 СПРАЦЮВАВ") },
                             QVariantList { 2, QStringLiteral("ВХІД 1 СПРАЦЮВАВ") },
                             QVariantList { 3, QStringLiteral("ТРИВОГА") },
                             QVariantList { 4, QStringLiteral("ВХІД 3 СПРАЦЮВАВ") } }));

    QVERIFY(model.setData(cell, 3, MemTableModel::KeyRole));
    QCOMPARE(config.mtEntrance().visibleValue(cell.row(), InputField::id_repent).toInt(), 3);
    QCOMPARE(cell.data().toString(), QStringLiteral("ТРИВОГА"));
    QByteArray expected = before;
    expected[channelOffset(6, record) + 2] = 3;
    QCOMPARE(config.image().Bytes(), expected);

    QVERIFY(!model.setData(cell, 5, MemTableModel::KeyRole)); // no fifth message
    QVERIFY(model.setData(cell, QStringLiteral("ВХІД 3 СПРАЦЮВАВ"))); // by name, as a paste gives it
    QCOMPARE(config.mtEntrance().visibleValue(cell.row(), InputField::id_repent).toInt(), 4);
    expected[channelOffset(6, record) + 2] = 4;
    QCOMPARE(config.image().Bytes(), expected);

    // A message retyped in its own list is shown anew in the inputs' column.
    QSignalSpy shown(&model, &QAbstractItemModel::dataChanged);
    QVERIFY(messages.locate("id", 4));
    messages.setValue("name", QStringLiteral("пожежа"));
    QCOMPARE(cell.data().toString(), QStringLiteral("ПОЖЕЖА"));
    QVERIFY(std::any_of(shown.cbegin(), shown.cend(), [&cell](const QList<QVariant> &change) {
        const QModelIndex first = change.at(0).toModelIndex();
        const QModelIndex last = change.at(1).toModelIndex();
        return first.column() <= cell.column() && cell.column() <= last.column() && first.row() <= cell.row()
                && cell.row() <= last.row();
    }));
}

void TestEditingRules::heatClass_onlyOnHeatChannels_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("channelType");
    QTest::addColumn<int>("kept");
    QTest::addColumn<bool>("stored");

    QTest::newRow("smoke channel undone") << "mtSensor" << 1 << 3 << false;
    QTest::newRow("heat channel kept") << "mtSensor" << 2 << 5 << true;
    QTest::newRow("copy, smoke channel undone") << "mtSensorCopy" << 1 << 3 << false;
    QTest::newRow("copy, heat channel kept") << "mtSensorCopy" << 2 << 5 << true;
}

void TestEditingRules::heatClass_onlyOnHeatChannels()
{
    QFETCH(QString, table);
    QFETCH(int, channelType);
    QFETCH(int, kept);
    QFETCH(bool, stored);

    Configuration config;
    MemTable &sensors = table == "mtSensor" ? config.mtSensor() : config.mtSensorCopy();
    appendSensor(sensors, 2, 9, channelType);
    sensors.setValueSilently("id_mode", 3);
    config.image().clear();

    sensors.setValue("id_mode", 5);
    QCOMPARE(sensors.asInteger("id_mode"), kept);
    QCOMPARE(sensors.asString("mode"),
             ReferenceTables::instance().mtTypeMode.name(kept).toString());
    verifyImageHoldsOnly(config, stored ? ByteChanges { { channelOffset(2, 7) + 2, 5 } }
                                        : ByteChanges {});
}

void TestEditingRules::outputMode_unsupervisedOutputNeverNotifies_data()
{
    QTest::addColumn<int>("channelType");
    QTest::addColumn<int>("chosen");
    QTest::addColumn<int>("kept");

    QTest::newRow("193 notification becomes fire") << 193 << 2 << 0;
    QTest::newRow("193 extinguishing stays") << 193 << 1 << 1;
    QTest::newRow("195 notification stays") << 195 << 2 << 2;
}

void TestEditingRules::outputMode_unsupervisedOutputNeverNotifies()
{
    QFETCH(int, channelType);
    QFETCH(int, chosen);
    QFETCH(int, kept);

    Configuration config;
    MemTable &outputs = config.mtReturn();
    appendOutput(outputs, 3, 2, channelType);
    config.image().ChannelRecord(3, 250).set(2, 0xEE);
    outputs.setValue("id_mode", chosen);
    QCOMPARE(outputs.asInteger("id_mode"), kept);
    verifyImageHoldsOnly(config, { { channelOffset(3, 250) + 2, kept } });
}

void TestEditingRules::outputAndDeviceState_useTheRowsOwnRecord()
{
    Configuration config;
    MemTable &outputs = config.mtReturn();
    appendOutput(outputs, 5, 0, 193);
    appendOutput(outputs, 3, 2, 195);
    QVERIFY(outputs.applyFilter("id_dev =3"));
    outputs.setValue("id_being", 1);
    QCOMPARE(channelOffset(3, 250) + 4, 53248 + 6144 + 12 * 250 + 4);
    verifyImageHoldsOnly(config, { { channelOffset(3, 250) + 4, 1 } });

    MemTable &sensors = config.mtSensor();
    appendSensor(sensors, 16, 129, 1);
    sensors.setValue("id_being", 1);
    verifyImageHoldsOnly(config, { { channelOffset(3, 250) + 4, 1 }, { channelOffset(16, 127) + 4, 1 } });
}

void TestEditingRules::rowsWithoutAPosition_writeNothing()
{
    // Rows that name no module, a record past the detector channels or an output
    // number beyond 7 must not reach into other records.
    Configuration config;
    MemTable &sensors = config.mtSensor();
    appendSensor(sensors, 0, 5, 2);
    sensors.setValue("id_being", 1);
    sensors.setValue("id_mode", 2);
    appendSensor(sensors, 1, 250, 2);
    sensors.setValue("id_being", 1);
    sensors.append();
    sensors.setValue("id_chan", 2);
    sensors.setValue("id_dev", 1);
    sensors.setValue("id_mode", 2); // no address

    MemTable &outputs = config.mtReturn();
    appendOutput(outputs, 17, 0, 195);
    outputs.setValue("id_being", 1);
    appendOutput(outputs, 1, 8, 195);
    outputs.setValue("id_mode", 1);

    MemTable &zones = config.mtArea();
    zones.append(); // a zone row without a number
    zones.setValue("name", "x");
    zones.setValue("id_being", 1);
    verifyImageHoldsOnly(config, {});
}

void TestEditingRules::inputMessage_isUpperCased()
{
    Configuration config;
    MemTable &messages = config.mtRepEnt();
    messages.setRecNo(2);
    messages.setValue("name", "пожежа в залі");
    QCOMPARE(messages.asString("name"), QStringLiteral("ПОЖЕЖА В ЗАЛІ"));
    verifyImageHoldsOnly(config, {}); // reaches the image with the next build
}


void TestEditingRules::outputLabel_isNotTakenAsTyped_data()
{
    QTest::addColumn<GridSpec>("grid");

    QTest::newRow("outputs of the zone") << MainGrids::dbgTableReturn();
    QTest::newRow("outputs of the module") << MainGrids::DBGridEh12();
    QTest::newRow("all outputs") << MainGrids::DBGridEh7();
}

// The image keeps no label of its own: a file or the panel gives "SD 1" … "I/O 4" by the
// output's place, so a label typed in would show what neither keeps.
void TestEditingRules::outputLabel_isNotTakenAsTyped()
{
    QFETCH(GridSpec, grid);

    Configuration config;
    selectModule(config, 1);
    appendOutput(config.mtReturn(), 1, 0, 1);
    config.mtReturn().setValue("vname", QStringLiteral("SD 1"));
    config.mtReturn().post();
    MemTableModel model(&config.mtReturn(), grid.columns);
    const auto column = std::find_if(grid.columns.cbegin(), grid.columns.cend(),
                                     [](const ColumnSpec &c) { return c.field == OutputField::vname; });
    QVERIFY(column != grid.columns.cend());
    const QModelIndex cell = model.index(0, int(column - grid.columns.cbegin()));
    QVERIFY(cell.isValid());

    QVERIFY(!model.flags(cell).testFlag(Qt::ItemIsEditable));
    QVERIFY(!model.setData(cell, QStringLiteral("НАСОС")));
    QCOMPARE(cell.data().toString(), QStringLiteral("SD 1"));
}

QTEST_GUILESS_MAIN(TestEditingRules)
#include "tst_editingrules.moc"
