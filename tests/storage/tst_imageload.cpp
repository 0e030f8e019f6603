#include "configurationsnapshot.h"
#include "recordingnotifier.h"
#include "restrictedfiles.h"
#include "richconfiguration.h"
#include "unexpectedwarnings.h"

#include <image/cp1251.h>
#include <model/notifier.h>
#include <model/settingsinput.h>
#include <storage/filecommands.h>
#include <storage/imagebuilder.h>
#include <storage/imageloader.h>
#include <storage/tabfile.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

int channelOffset(int module, int record)
{
    return 53248 + 3072 * (module - 1) + 12 * record;
}

int deviceOffset(int module, int record)
{
    return 36864 + 1024 * (module - 1) + 8 * record;
}

int zoneOffset(int zone)
{
    return 102400 + 200 * (zone - 1);
}

void setByte(QByteArray &image, int offset, int value)
{
    image[offset] = char(value);
}

QByteArray builtImage(Configuration &config)
{
    ImageBuilder::build(config);
    return config.image().Bytes();
}

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write the test file %s", qPrintable(path));
    return path;
}

// Temporary folders are private to their owner; an ordinary user must be able to pass
// through, so that only what a test locks is refused.
bool makeTraversable(const QString &path)
{
    return QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                               | QFileDevice::ReadOther | QFileDevice::ExeOther);
}

QMap<QString, QByteArray> filesIn(const QString &path)
{
    QMap<QString, QByteArray> files;
    const QDir dir(path);
    for (const QString &name : dir.entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden)) {
        QFile file(dir.filePath(name));
        files.insert(name, file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(folder)"));
    }
    return files;
}

QByteArray factoryImage()
{
    Configuration config;
    return builtImage(config);
}

} // namespace

class TestImageLoad : public QObject
{
    Q_OBJECT

private slots:
    void init() { failOnUnexpectedWarnings(); }
    void saveAndOpen_reproducesTheConfiguration();
    void openThenSave_givesTheFileBack();
    void detectors_followTheirDeviceRecords();
    void outputs_data();
    void outputs();
    void zoneLinks_sameAfterLoadingTwice();
    void eightChannelModule_staysWithItsInputs();
    void eightChannelModule_alwaysHasItsInputPair_data();
    void eightChannelModule_alwaysHasItsInputPair();
    void eightChannelInputs_settingsComeBack_data();
    void eightChannelInputs_settingsComeBack();
    void eightChannelOutputInAnInputRecord_winsOverTheInput_data();
    void eightChannelOutputInAnInputRecord_winsOverTheInput();
    void settingsValues_data();
    void settingsValues();
    void telephoneText_data();
    void telephoneText();
    void neverLoadedBytes_areIgnored();
    void badFile_changesNothing_data();
    void badFile_changesNothing();
    void longerFile_loads();
    void openImage_sameAsOpeningItsFile_data();
    void openImage_sameAsOpeningItsFile();
    void randomBytes_loadOrAreRefusedWhole();
    void messages_settleAfterOneRound();
    void controlLimits_survive();
    void save_replacesWholeFile_orSaysWhy();
    void saveFault_keepsTheOldFile_namesTheReason_data();
    void saveFault_keepsTheOldFile_namesTheReason();
    void factorySettings();
    void factoryFileFault_namesTheReason_data();
    void factoryFileFault_namesTheReason();
};

void TestImageLoad::saveAndOpen_reproducesTheConfiguration()
{
    QTemporaryDir dir;
    Configuration original;
    fillRichConfiguration(original);
    RecordingNotifier notifier;
    FileCommands commands(original, notifier);
    commands.buildImage();
    QVERIFY(commands.saveFile(dir.filePath("rich.tab")));

    Configuration reopened;
    RecordingNotifier reopenNotifier;
    QVERIFY(FileCommands(reopened, reopenNotifier).openFile(dir.filePath("rich.tab")));
    QVERIFY2(reopenNotifier.messages.isEmpty(), qPrintable(reopenNotifier.messages.join('\n')));

    // An absent module stores no chain: it comes back as 0.
    for (original.mtDev().first(); !original.mtDev().eof(); original.mtDev().next()) {
        if (original.mtDev().asInteger("id_name") == 0)
            original.mtDev().setValueSilently("id_tname", 0);
    }
    // Rows compare by value: an empty field reads as 0 or "", and names come back padded.
    const auto normalized = [](const MemTable &table) {
        QVariantList rows;
        for (int row = 0; row < table.rowCount(); ++row) {
            QVariantList values;
            for (int field = 0; field < table.fields().size(); ++field) {
                const FieldDef &def = table.fields().at(field);
                const QVariant value = table.rowValue(row, field);
                if (!def.isData() || def.internal)
                    continue;
                if (def.type == FieldType::Integer)
                    values << value.toInt();
                else if (def.type == FieldType::String)
                    values << value.toString().trimmed();
                else
                    values << value;
            }
            rows << QVariant(values);
        }
        return rows;
    };
    const std::pair<MemTable *, MemTable *> tables[] = {
        { &original.mtArea(), &reopened.mtArea() },       { &original.mtDev(), &reopened.mtDev() },
        { &original.mtSensor(), &reopened.mtSensor() },   { &original.mtReturn(), &reopened.mtReturn() },
        { &original.mtEntrance(), &reopened.mtEntrance() }, { &original.mtTempType(), &reopened.mtTempType() },
        { &original.mtRepComm(), &reopened.mtRepComm() }, { &original.mtRepEnt(), &reopened.mtRepEnt() },
    };
    for (const auto &[a, b] : tables) {
        const QVariantList rowsBefore = normalized(*a);
        const QVariantList rowsAfter = normalized(*b);
        QVERIFY2(rowsBefore.size() == rowsAfter.size(), qPrintable(a->tableName()));
        for (int row = 0; row < rowsBefore.size(); ++row)
            QVERIFY2(rowsBefore.at(row) == rowsAfter.at(row),
                     qPrintable(QStringLiteral("%1 row %2: %3 / %4")
                                        .arg(a->tableName())
                                        .arg(row)
                                        .arg(rowsBefore.at(row).toStringList().join(','),
                                             rowsAfter.at(row).toStringList().join(','))));
    }
    const ConfigurationSnapshot before = ConfigurationSnapshot::of(original);
    const ConfigurationSnapshot after = ConfigurationSnapshot::of(reopened);
    QCOMPARE(after.tables.at(1), after.tables.at(0));
    QCOMPARE(after.settings.edTelNum2, QStringLiteral("0441234567"));
    QCOMPARE(after.settings.edTelNum1Raw, QStringLiteral("12B34C5D0000000000"));
    QVERIFY(after.settings == before.settings);
    // Loading leaves the fixed names of slots 501..512 to the next build.
    QCOMPARE(builtImage(reopened), before.image);
}

void TestImageLoad::openThenSave_givesTheFileBack()
{
    QTemporaryDir dir;
    Configuration original;
    fillRichConfiguration(original);
    QByteArray image = builtImage(original);
    // Records out of address order, as a device found later at a lower address leaves
    // them, and a zone record naming them by record: address 2 on record 3, address 5's
    // channels on 0..2; zone 7 holds address 2 and address 5's heat channel.
    QByteArray record0 = image.mid(channelOffset(1, 0), 12);
    image.replace(channelOffset(1, 0), 12, image.mid(channelOffset(1, 3), 12));
    image.replace(channelOffset(1, 3), 12, record0);
    setByte(image, channelOffset(1, 3) + 7, 3);
    setByte(image, channelOffset(1, 1) + 7, 1);
    image.replace(zoneOffset(7) + 4 * 1, 2, QByteArray::fromHex("0101"));
    image.replace(zoneOffset(7) + 4 * 3, 2, QByteArray::fromHex("0103"));
    const QString path = writeFile(dir, "a.tab", image);

    Configuration config;
    RecordingNotifier notifier;
    FileCommands commands(config, notifier);
    QVERIFY(commands.openFile(path));
    commands.buildImage();
    QVERIFY(commands.saveFile(dir.filePath("b.tab")));
    QFile a(path), b(dir.filePath("b.tab"));
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    QCOMPARE(b.readAll(), a.readAll());
}

void TestImageLoad::detectors_followTheirDeviceRecords()
{
    QByteArray image = factoryImage();
    // Address 5 (device record 3): three channels; address 6 has channels but no device.
    image.replace(deviceOffset(1, 3), 6, QByteArray::fromHex("040102030405"));
    for (int record : { 4, 9, 10 })
        image.replace(channelOffset(1, record), 9, QByteArray::fromHex("0502030401000700") + char(record));
    image.replace(channelOffset(1, 11), 9, QByteArray::fromHex("060100000001f50000"));
    image.replace(channelOffset(1, 12), 7, QByteArray::fromHex("05010000000201")); // zone 513 → none
    QTemporaryDir dir;
    Configuration config;
    RecordingNotifier notifier;
    QVERIFY(FileCommands(config, notifier).openFile(writeFile(dir, "d.tab", image)));

    MemTable &sensors = config.mtSensor();
    QCOMPARE(sensors.rowCount(), 4);
    const int offsets[] = { 4, 9, 10, 0 };
    for (int row = 0; row < 4; ++row) {
        QCOMPARE(sensors.rowValue(row, "addr").toInt(), 5);
        QCOMPARE(sensors.rowValue(row, "id_sen").toInt(), 4);
        QCOMPARE(sensors.rowValue(row, "saddrl").toInt(), 5);
        QCOMPARE(sensors.rowValue(row, "id_dev").toInt(), 1);
    }
    for (int row = 0; row < 3; ++row) {
        QCOMPARE(sensors.rowValue(row, "offset").toInt(), offsets[row]);
        QCOMPARE(sensors.rowValue(row, "id_mode").toInt(), 3); // channel type 2: class kept
        QCOMPARE(sensors.rowValue(row, "id_area").toInt(), 7);
    }
    QVERIFY(sensors.rowValue(3, "id_mode").isNull()); // not a heat channel
    QCOMPARE(sensors.rowValue(3, "id_area").toInt(), 0);
}

void TestImageLoad::outputs_data()
{
    QTest::addColumn<QList<int>>("records");
    QTest::addColumn<int>("type");
    QTest::addColumn<int>("storedMode");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<int>("loadedMode");

    QTest::newRow("248 and 250") << QList<int> { 248, 250 } << 195 << 2 << QStringList { "SD 1", "SD 2" } << 2;
    QTest::newRow("all eight") << QList<int> { 248, 249, 250, 251, 252, 253, 254, 255 } << 196 << 1
                               << QStringList { "SD 1", "SD 2", "SD 3", "SD 4", "I/O 1", "I/O 2", "I/O 3", "I/O 4" }
                               << 1;
    QTest::newRow("plain relay never notifies") << QList<int> { 249 } << 193 << 2 << QStringList { "SD 1" } << 0;
    QTest::newRow("plain relay keeps extinguishing") << QList<int> { 249 } << 193 << 1 << QStringList { "SD 1" } << 1;
}

void TestImageLoad::outputs()
{
    QFETCH(QList<int>, records);
    QFETCH(int, type);
    QFETCH(int, storedMode);
    QFETCH(QStringList, names);
    QFETCH(int, loadedMode);

    QByteArray image = factoryImage();
    for (const int record : records) {
        image.replace(channelOffset(1, record), 9,
                      QByteArray::fromHex("01") + char(type) + char(storedMode)
                              + QByteArray::fromHex("0301012c09") + char(record - 248));
    }
    QTemporaryDir dir;
    Configuration config;
    RecordingNotifier notifier;
    QVERIFY(FileCommands(config, notifier).openFile(writeFile(dir, "o.tab", image)));
    MemTable &outputs = config.mtReturn();
    QCOMPARE(outputs.rowCount(), records.size());
    for (int row = 0; row < records.size(); ++row) {
        QCOMPARE(outputs.rowValue(row, "vname").toString(), names.at(row));
        QCOMPARE(outputs.rowValue(row, "id_mode").toInt(), loadedMode);
        QCOMPARE(outputs.rowValue(row, "id_area").toInt(), 300);
        QCOMPARE(outputs.rowValue(row, "index").toInt(), 9);
        QCOMPARE(outputs.rowValue(row, "boolarea").toBool(), true);
        QCOMPARE(outputs.rowValue(row, "id_return").toInt(), 1000 + records.at(row) - 248);
    }
}

void TestImageLoad::zoneLinks_sameAfterLoadingTwice()
{
    QByteArray image = factoryImage();
    // Output 1 of module 1 names zone 4; zone 4's record links it too, and output 3002.
    image.replace(channelOffset(1, 249), 9, QByteArray::fromHex("01c3000000000400") + char(1));
    image.replace(zoneOffset(4) + 120, 12, QByteArray::fromHex("01f900000311000003faffff"));
    image.replace(zoneOffset(4) + 184, 3, QByteArray::fromHex("020401"));
    QTemporaryDir dir;
    const QString path = writeFile(dir, "z.tab", image);
    Configuration config;
    RecordingNotifier notifier;
    FileCommands commands(config, notifier);
    for (int load = 0; load < 2; ++load) {
        QVERIFY(commands.openFile(path));
        QVERIFY(config.mtArea().locate("id", 4));
        QCOMPARE(config.mtArea().asInteger("r1"), 1001); // through the output's own zone
        QCOMPARE(config.mtArea().asInteger("r2"), 1001); // and again through the link slot
        QCOMPARE(config.mtArea().asInteger("r3"), 3002); // (3, 17) is not a link
        QCOMPARE(config.mtArea().asInteger("r4"), 0);
        QCOMPARE(config.mtArea().asInteger("id_verif"), 2);
        QCOMPARE(config.mtArea().asInteger("id_temp"), 4);
        QCOMPARE(config.mtArea().asString("bname"), QStringLiteral("Откл."));
    }
}

void TestImageLoad::eightChannelModule_staysWithItsInputs()
{
    QByteArray image = factoryImage();
    setByte(image, 34 + 6, 3);
    setByte(image, 50 + 6, 7);
    setByte(image, 66 + 6, 0);
    // The input list already names module 7: the load must not give it a second pair.
    image.replace(202600, 2, QByteArray::fromHex("07fe"));
    image.replace(202616, 2, QByteArray::fromHex("07ff"));
    QTemporaryDir dir;
    Configuration config;
    RecordingNotifier notifier;
    QVERIFY(FileCommands(config, notifier).openFile(writeFile(dir, "k.tab", image)));
    MemTable &modules = config.mtDev();
    QVERIFY(modules.locate("addr", 7));
    QCOMPARE(modules.asInteger("id_name"), 3);
    QCOMPARE(modules.asString("mname"), QStringLiteral("КВ-8 № 7"));
    QCOMPARE(modules.asInteger("id_being"), 0);
    QCOMPARE(config.mtEntrance().rowCount(), 2);
    QCOMPARE(config.image().Bytes().mid(202632, 2), QByteArray(2, '\0'));
    QCOMPARE(modules.recNo(), 1 + 6);
}

void TestImageLoad::eightChannelModule_alwaysHasItsInputPair_data()
{
    QTest::addColumn<QStringList>("steps"); // "open": the file; a digit: module 4's type in the grid

    QTest::newRow("type change, then the file") << QStringList { "3", "open" };
    QTest::newRow("the file, then a type change") << QStringList { "open", "2", "3" };
    QTest::newRow("the same file twice") << QStringList { "open", "open" };
    QTest::newRow("the file over a module typed back and forth") << QStringList { "3", "2", "open", "3" };
}

void TestImageLoad::eightChannelModule_alwaysHasItsInputPair()
{
    QFETCH(QStringList, steps);

    // Module 4 is a КВ-8 in the file, but its input list is empty.
    QByteArray image = factoryImage();
    setByte(image, 34 + 3, 3);
    setByte(image, 50 + 3, 4);
    QTemporaryDir dir;
    const QString path = writeFile(dir, "k.tab", image);

    Configuration config;
    RecordingNotifier notifier;
    FileCommands commands(config, notifier);
    for (const QString &step : steps) {
        if (step == QLatin1String("open")) {
            QVERIFY(commands.openFile(path));
        } else {
            QVERIFY(config.mtDev().locate("addr", 4));
            config.mtDev().setValue("id_name", step.toInt());
        }
        if (config.mtDev().lookupValue("addr", 4, "id_name").toInt() != 3)
            continue;
        int pairs = 0;
        for (int entry = 0; entry < 33; ++entry) {
            const QByteArray first = config.image().Bytes().mid(202600 + 16 * entry, 2);
            const QByteArray second = config.image().Bytes().mid(202600 + 16 * (entry + 1), 2);
            pairs += first == QByteArray::fromHex("04fe") && second == QByteArray::fromHex("04ff");
        }
        QVERIFY2(pairs == 1, qPrintable(QStringLiteral("after %1: %2 pairs").arg(step).arg(pairs)));
        QCOMPARE(config.mtEntrance().rowCount(), 2);
    }
    commands.buildImage();
    QVERIFY(commands.saveFile(dir.filePath("saved.tab")));
    QFile saved(dir.filePath("saved.tab"));
    QVERIFY(saved.open(QIODevice::ReadOnly));
    const QByteArray file = saved.readAll();
    QCOMPARE(file.mid(202600, 2).toHex(), QByteArray("04fe"));
    QCOMPARE(file.mid(202616, 2).toHex(), QByteArray("04ff"));
}

void TestImageLoad::eightChannelInputs_settingsComeBack_data()
{
    QTest::addColumn<QByteArray>("record254");
    QTest::addColumn<QByteArray>("record255");
    QTest::addColumn<QList<int>>("input1"); // message, level, state
    QTest::addColumn<QList<int>>("input2");

    QTest::newRow("stored settings") << QByteArray::fromHex("030101") << QByteArray::fromHex("040000")
                                     << QList<int> { 3, 1, 1 } << QList<int> { 4, 0, 0 };
    QTest::newRow("older file without settings") << QByteArray(3, '\0') << QByteArray::fromHex("000100")
                                                 << QList<int> { 1, 0, 0 } << QList<int> { 1, 0, 0 };
    QTest::newRow("one input stored") << QByteArray::fromHex("020001") << QByteArray::fromHex("090101")
                                      << QList<int> { 2, 0, 1 } << QList<int> { 1, 0, 0 };
}

void TestImageLoad::eightChannelInputs_settingsComeBack()
{
    QFETCH(QByteArray, record254);
    QFETCH(QByteArray, record255);
    QFETCH(QList<int>, input1);
    QFETCH(QList<int>, input2);

    QByteArray image = factoryImage();
    setByte(image, 34 + 2, 3);
    setByte(image, 50 + 2, 3);
    image.replace(channelOffset(3, 254) + 2, 3, record254);
    image.replace(channelOffset(3, 255) + 2, 3, record255);
    QTemporaryDir dir;
    const QString path = writeFile(dir, "k.tab", image);

    // Loaded twice: into a fresh program, and over input rows an earlier load created.
    Configuration config;
    RecordingNotifier notifier;
    FileCommands commands(config, notifier);
    for (int load = 0; load < 2; ++load) {
        QVERIFY(commands.openFile(path));
        MemTable &inputs = config.mtEntrance();
        QCOMPARE(inputs.rowCount(), 2);
        for (int row = 0; row < 2; ++row) {
            const QList<int> &expected = row == 0 ? input1 : input2;
            QCOMPARE(inputs.rowValue(row, "num").toInt(), row + 1);
            QCOMPARE(inputs.rowValue(row, "id_repent").toInt(), expected.at(0));
            QCOMPARE(inputs.rowValue(row, "level").toInt(), expected.at(1));
            QCOMPARE(inputs.rowValue(row, "id_being").toInt(), expected.at(2));
        }
        if (load == 0) { // edits that the next load must replace
            inputs.first();
            inputs.setValue("level", 0);
            inputs.setValue("id_repent", 2);
            inputs.next();
            inputs.setValue("id_being", 1);
        }
    }
    commands.buildImage();
    QCOMPARE(config.image().Bytes().mid(channelOffset(3, 254) + 2, 3).toHex(),
             QByteArray(QByteArray(1, char(input1.at(0))) + char(input1.at(1)) + char(input1.at(2))).toHex());
}

void TestImageLoad::eightChannelOutputInAnInputRecord_winsOverTheInput_data()
{
    QTest::addColumn<int>("output"); // the output's number on the module, from 0
    QTest::addColumn<int>("occupied"); // the input whose record the output takes
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("modeName");

    // Modes 1 and 2 are also message numbers an input could read from the record.
    QTest::newRow("output 7 in record 254") << 6 << 1 << 0 << "Пожар";
    QTest::newRow("output 8 in record 255") << 7 << 2 << 2 << "Оповещение";
    QTest::newRow("output 7 in record 254, extinguishing") << 6 << 1 << 1 << "Пожаротушение";
}

// What the grid shows of the output, "Пожар" among it, is what the file keeps: the input's
// own settings go only into the record no output takes.
void TestImageLoad::eightChannelOutputInAnInputRecord_winsOverTheInput()
{
    QFETCH(int, output);
    QFETCH(int, occupied);
    QFETCH(int, mode);
    QFETCH(QString, modeName);

    // Module 3, a КВ-8, with output `output`: channel type 195, `mode`, time 5, "Подкл.",
    // zone 12, index 6.
    const QByteArray outputRecord = QByteArray::fromHex("03c3") + char(mode) + QByteArray::fromHex("0500000c06")
                                  + char(output);
    QByteArray image = factoryImage();
    setByte(image, 34 + 2, 3);
    setByte(image, 50 + 2, 3);
    image.replace(channelOffset(3, 248 + output), outputRecord.size(), outputRecord);
    const int occupiedRecord = occupied == 1 ? 254 : 255;
    const int freeRecord = occupied == 1 ? 255 : 254;

    Configuration config;
    RecordingNotifier notifier;
    FileCommands commands(config, notifier);
    QVERIFY(commands.openImage(*SettingsImage::fromBytes(image), "k.tab"));
    MemTable &outputs = config.mtReturn();
    QCOMPARE(outputs.rowCount(), 1);
    QCOMPARE(outputs.rowValue(0, "mode").toString(), modeName);
    MemTable &inputs = config.mtEntrance();
    QCOMPARE(inputs.rowCount(), 2);
    // The occupied record holds the output's settings, which the input does not take.
    const int occupiedRow = occupied - 1;
    QCOMPARE(inputs.rowValue(occupiedRow, "id_repent").toInt(), 1);
    QCOMPARE(inputs.rowValue(occupiedRow, "level").toInt(), 0);
    QCOMPARE(inputs.rowValue(occupiedRow, "id_being").toInt(), 0);

    for (int row = 0; row < 2; ++row) {
        QVERIFY(inputs.setRecNo(row + 1));
        inputs.setValue("id_repent", 3);
        inputs.setValue("level", 1);
        inputs.setValue("id_being", 1);
        inputs.post();
    }
    const QByteArray built = builtImage(config);
    QCOMPARE(built.mid(channelOffset(3, occupiedRecord), 9).toHex(' '), outputRecord.toHex(' '));
    QCOMPARE(built.mid(channelOffset(3, freeRecord) + 2, 3).toHex(' '), QByteArray("03 01 01"));

    Configuration reopened;
    QVERIFY(FileCommands(reopened, notifier).openImage(*SettingsImage::fromBytes(built), "k.tab"));
    QCOMPARE(reopened.mtReturn().rowCount(), 1);
    QCOMPARE(reopened.mtReturn().rowValue(0, "mode").toString(), modeName);
    QCOMPARE(reopened.mtReturn().rowValue(0, "time").toInt(), 5);
    QCOMPARE(reopened.mtReturn().rowValue(0, "bname").toString(), QStringLiteral("Подкл."));
    const MemTable &inputsBack = reopened.mtEntrance();
    QCOMPARE(inputsBack.rowValue(occupiedRow, "id_repent").toInt(), 1);
    QCOMPARE(inputsBack.rowValue(1 - occupiedRow, "id_repent").toInt(), 3);
    QCOMPARE(inputsBack.rowValue(1 - occupiedRow, "level").toInt(), 1);
    QCOMPARE(inputsBack.rowValue(1 - occupiedRow, "id_being").toInt(), 1);
    QVERIFY2(notifier.messages.isEmpty(), qPrintable(notifier.messages.join('\n')));
}

void TestImageLoad::settingsValues_data()
{
    QTest::addColumn<int>("offset");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("control");
    QTest::addColumn<QVariant>("value");

    QTest::newRow("registration 1234") << 4 << QByteArray::fromHex("3412") << "edNumReg1" << QVariant("1234");
    QTest::newRow("registration 0 is empty") << 6 << QByteArray::fromHex("0000") << "edNumReg2" << QVariant("");
    QTest::newRow("interval A0 05 is 24 hours") << 32 << QByteArray::fromHex("a005") << "ud8" << QVariant(24);
    QTest::newRow("attempts") << 29 << QByteArray::fromHex("07") << "edCount" << QVariant("07");
    QTest::newRow("mode И") << 28 << QByteArray::fromHex("01") << "cbModeAndOr" << QVariant(1);
    QTest::newRow("mode byte 5 chooses nothing") << 28 << QByteArray::fromHex("05") << "cbModeAndOr" << QVariant(-1);
    QTest::newRow("access code with a zero inside") << 82 << QByteArray::fromHex("3132003300000000ff00")
                                                    << "edAdminPass1" << QVariant(QString::fromUtf8("123я"));
    QTest::newRow("information message trimmed") << 344 + 4 * 41
            << QByteArray("  \x01 test  ") + QByteArray(29, ' ') << "edInfMessage" << QVariant("TEST");
    QTest::newRow("second АПК by bit 0") << 337 << QByteArray::fromHex("03") << "ckbAPK" << QVariant(true);
    QTest::newRow("fire relay on") << 202610 << QByteArray::fromHex("00") << "ckbFire" << QVariant(true);
    QTest::newRow("repeated notification off") << 210 << QByteArray::fromHex("01") << "ckbNotiv" << QVariant(false);
}

void TestImageLoad::settingsValues()
{
    QFETCH(int, offset);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, control);
    QFETCH(QVariant, value);

    QByteArray image = factoryImage();
    image.replace(offset, bytes.size(), bytes);
    QTemporaryDir dir;
    Configuration config;
    RecordingNotifier notifier;
    QVERIFY(FileCommands(config, notifier).openFile(writeFile(dir, "s.tab", image)));
    const SystemSettings &s = config.settings();
    const QHash<QString, QVariant> shown {
        { "edNumReg1", s.edNumReg1 }, { "edNumReg2", s.edNumReg2 }, { "ud8", s.ud8 },
        { "edCount", s.edCount }, { "cbModeAndOr", s.cbModeAndOr }, { "edAdminPass1", s.edAdminPass[0] },
        { "edInfMessage", s.edInfMessage }, { "ckbAPK", s.ckbAPK }, { "ckbFire", s.ckbFire },
        { "ckbNotiv", s.ckbNotiv },
    };
    QVERIFY(shown.contains(control));
    QCOMPARE(shown.value(control), value);
}

void TestImageLoad::telephoneText_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("tone");

    QTest::newRow("tone, no digits") << QByteArray::fromHex("ed0000000000000000") << "0" << true;
    QTest::newRow("never set") << QByteArray(9, '\0') << "" << false;
    QTest::newRow("pulse with marks") << QByteArray::fromHex("12b34c5d0000000000") << "12+34*5" << false;
    QTest::newRow("sixteen digits") << QByteArray::fromHex("123456789012345600") << "123456789012345600" << false;
    QTest::newRow("digits after the end mark") << QByteArray::fromHex("1d0000000000000099") << "19" << false;
}

void TestImageLoad::telephoneText()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(bool, tone);

    Configuration config;
    config.image().SystemBlock().write(17, bytes);
    QVERIFY(!ImageLoader::FillByDataFromMemory(config));
    QCOMPARE(config.settings().edTelNum2, text);
    QCOMPARE(config.settings().sbTonePulse2, tone);
    QCOMPARE(config.settings().sbTonePulse2Colour,
             tone ? SystemSettings::ToneCaptionColour::Blue : SystemSettings::ToneCaptionColour::Grey);
    QCOMPARE(config.settings().edTelNum2Raw, QString::fromLatin1(bytes.toHex().toUpper()));
}

void TestImageLoad::neverLoadedBytes_areIgnored()
{
    QByteArray first = factoryImage();
    QByteArray second = first;
    for (int offset = 267; offset <= 331; ++offset)
        setByte(second, offset, 0x5A);
    setByte(second, 211, 9);
    setByte(second, 335, 9);
    setByte(second, 343, 9);
    QTemporaryDir dir;
    Configuration a, b;
    RecordingNotifier notifier;
    QVERIFY(FileCommands(a, notifier).openFile(writeFile(dir, "1.tab", first)));
    QVERIFY(FileCommands(b, notifier).openFile(writeFile(dir, "2.tab", second)));
    QCOMPARE(b.image().Bytes(), a.image().Bytes());
}

void TestImageLoad::badFile_changesNothing_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("kind"); // "file", or no file but "missing", a "folder", a "locked" file
    QTest::addColumn<QString>("name");
    QTest::addColumn<QStringList>("inMessage");

    const QByteArray good = factoryImage();
    QByteArray lateDay = good;
    setByte(lateDay, 202, 200);
    QByteArray lateNight = good;
    setByte(lateNight, 209, 144);
    QByteArray letterCode = good;
    letterCode.replace(212 + 2 * 3, 2, QByteArray::fromHex("2a03"));

    QTest::newRow("missing") << QByteArray() << "missing" << "bad.tab" << QStringList { "bad.tab", ": Файл не найден" };
    QTest::newRow("a folder") << QByteArray() << "folder" << "bad.tab" << QStringList { "bad.tab", ": Это папка, а не файл" };
    QTest::newRow("no access") << good << "locked" << "bad.tab" << QStringList { "bad.tab", ": Нет доступа" };
    QTest::newRow("empty") << QByteArray() << "file" << "bad.tab" << QStringList { "bad.tab", "0 байт" };
    QTest::newRow("one byte short") << good.left(204799) << "file" << "bad.tab" << QStringList { "bad.tab", "204799 байт" };
    QTest::newRow("day byte 200") << lateDay << "file" << "bad.tab" << QStringList { "bad.tab", "200", "202" };
    QTest::newRow("night byte 144") << lateNight << "file" << "bad.tab" << QStringList { "bad.tab", "144", "209" };
    QTest::newRow("event code with a letter") << letterCode << "file" << "bad.tab" << QStringList { "bad.tab", "032A", "218" };
    // The file's name is the message's text, not a template for it.
    QTest::newRow("short, a percent sign in the name")
            << QByteArray() << "file" << "bad %2 %3.tab" << QStringList { "bad %2 %3.tab", " 0 байт" };
    QTest::newRow("day byte, a percent sign in the name")
            << lateDay << "file" << "bad %3.tab" << QStringList { "bad %3.tab", "200", "202" };
}

void TestImageLoad::badFile_changesNothing()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, kind);
    QFETCH(QString, name);
    QFETCH(QStringList, inMessage);

    QTemporaryDir dir;
    QVERIFY(makeTraversable(dir.path()));
    const QString path = dir.filePath(name);
    if (kind == "file" || kind == "locked")
        writeFile(dir, name, content);
    if (kind == "locked")
        QVERIFY(QFile::setPermissions(path, {}));
    if (kind == "folder")
        QVERIFY(QDir(dir.path()).mkdir(name));
    Configuration config;
    fillRichConfiguration(config);
    ImageBuilder::build(config);
    QVERIFY(config.mtSensor().applyFilter("id_area =7"));
    const ConfigurationSnapshot before = ConfigurationSnapshot::of(config);

    RecordingNotifier notifier;
    {
        std::optional<OrdinaryUserFileAccess> access;
        if (kind == "locked" && !access.emplace().isEffective())
            QSKIP("root could not give up its rights over files");
        QVERIFY(!FileCommands(config, notifier).openFile(path));
    }
    QCOMPARE(notifier.messages.size(), 1);
    for (const QString &part : inMessage)
        QVERIFY2(notifier.messages.first().contains(part), qPrintable(notifier.messages.first()));
    QVERIFY(ConfigurationSnapshot::of(config) == before);
    QCOMPARE(config.mtSensor().filter(), QStringLiteral("id_area =7"));
}

void TestImageLoad::longerFile_loads()
{
    QTemporaryDir dir;
    Configuration original;
    fillRichConfiguration(original);
    const QByteArray image = builtImage(original);
    Configuration config;
    RecordingNotifier notifier;
    QVERIFY(FileCommands(config, notifier).openFile(writeFile(dir, "long.tab", image + QByteArray(100, '\x55'))));
    Configuration exact;
    QVERIFY(FileCommands(exact, notifier).openFile(writeFile(dir, "exact.tab", image)));
    QVERIFY(ConfigurationSnapshot::of(config) == ConfigurationSnapshot::of(exact));
    QCOMPARE(config.mtSensor().rowCount(), 5);
}

void TestImageLoad::openImage_sameAsOpeningItsFile_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("loads");

    Configuration rich;
    fillRichConfiguration(rich);
    const QByteArray image = builtImage(rich);
    QByteArray foreignBytes = image; // where the file must not win
    for (int offset = 267; offset <= 331; ++offset)
        setByte(foreignBytes, offset, 0x5A);
    foreignBytes.replace(4096 + 64 * 6, 5, "OTHER");
    QByteArray lateDay = image;
    setByte(lateDay, 202, 200);

    QTest::newRow("rich") << image << true;
    QTest::newRow("never-loaded bytes and a zone name") << foreignBytes << true;
    QTest::newRow("day byte 200") << lateDay << false;
}

void TestImageLoad::openImage_sameAsOpeningItsFile()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, loads);

    QTemporaryDir dir;
    const QString path = writeFile(dir, "same.tab", content);
    Configuration byFile, byImage;
    for (Configuration *config : { &byFile, &byImage }) {
        fillRichConfiguration(*config);
        ImageBuilder::build(*config);
        config->image().Whole().set(211, 7); // a load keeps what the program holds there
    }
    SettingsImage image;
    QVERIFY(image.setBytes(content));
    RecordingNotifier fileNotifier, imageNotifier;

    QCOMPARE(FileCommands(byFile, fileNotifier).openFile(path), loads);
    QCOMPARE(FileCommands(byImage, imageNotifier).openImage(image, path), loads);
    QVERIFY(ConfigurationSnapshot::of(byImage) == ConfigurationSnapshot::of(byFile));
    QCOMPARE(imageNotifier.messages, fileNotifier.messages);
    QCOMPARE(byImage.image().Whole().at(211), quint8(7));
}

void TestImageLoad::randomBytes_loadOrAreRefusedWhole()
{
    // Any bytes either load completely, and then build again, or change nothing.
    QRandomGenerator random(20261210);
    QTemporaryDir dir;
    int loaded = 0;
    for (int round = 0; round < 8; ++round) {
        QByteArray bytes(SettingsImage::Size, '\0');
        random.fillRange(reinterpret_cast<quint32 *>(bytes.data()), bytes.size() / 4);
        if (round % 2 == 0) { // values the settings can show
            for (int offset = 202; offset < 210; ++offset)
                bytes[offset] = char(quint8(bytes.at(offset)) % 144);
            for (int offset = 212; offset < 266; ++offset)
                bytes[offset] = char(0x11 * (quint8(bytes.at(offset)) % 10));
        }
        Configuration config;
        const ConfigurationSnapshot before = ConfigurationSnapshot::of(config);
        RecordingNotifier notifier;
        FileCommands commands(config, notifier);
        QSignalSpy replaced(&config.notices(), &ConfigurationNotices::replaced);
        if (commands.openFile(writeFile(dir, QStringLiteral("r%1.tab").arg(round), bytes))) {
            ++loaded;
            QVERIFY(notifier.messages.isEmpty());
            QCOMPARE(replaced.size(), 1);
            commands.buildImage();
            QVERIFY(config.mtDev().rowCount() == 16);
            // After one round, open + save changes nothing more.
            const QByteArray first = config.image().Bytes();
            const QString saved = dir.filePath(QStringLiteral("s%1.tab").arg(round));
            QVERIFY(commands.saveFile(saved));
            QVERIFY(commands.openFile(saved));
            commands.buildImage();
            const QByteArray second = config.image().Bytes();
            for (int offset = 0; offset < SettingsImage::Size; ++offset) {
                if (first.at(offset) != second.at(offset))
                    QFAIL(qPrintable(QStringLiteral("offset %1: %2 then %3").arg(offset)
                                             .arg(quint8(first.at(offset)), 2, 16, QLatin1Char('0'))
                                             .arg(quint8(second.at(offset)), 2, 16, QLatin1Char('0'))));
            }
        } else {
            QCOMPARE(notifier.messages.size(), 1);
            QVERIFY(ConfigurationSnapshot::of(config) == before);
            QCOMPARE(replaced.size(), 0);
        }
    }
    QCOMPARE(loaded, 4);
}

void TestImageLoad::messages_settleAfterOneRound()
{
    // Any byte anywhere in a message slot: what the first build writes, the next load and
    // build write again.
    QStringList unsettled;
    const QByteArray factory = factoryImage();
    Configuration config;
    for (int slot = 0; slot <= 4; slot += 4) {
        for (int byte = 0; byte < 256; ++byte) {
            for (const int position : { 0, 20, 38 }) {
                QByteArray text = QByteArray("A") + QByteArray(38, ' ') + "Z";
                text[position] = char(byte);
                QByteArray image = factory;
                image.replace(344 + 41 * slot, 40, text);
                QVERIFY(config.image().setBytes(image));
                QVERIFY(!ImageLoader::FillByDataFromMemory(config));
                ImageBuilder::FillArrayByDataForMemory(config); // the stage that writes messages
                const QByteArray first = config.image().Bytes().mid(344 + 41 * slot, 41);
                QVERIFY(!ImageLoader::FillByDataFromMemory(config));
                ImageBuilder::FillArrayByDataForMemory(config); // the stage that writes messages
                const QByteArray second = config.image().Bytes().mid(344 + 41 * slot, 41);
                if (first != second)
                    unsettled << QStringLiteral("slot %1 byte %2 at %3: %4 / %5")
                                         .arg(slot)
                                         .arg(byte, 2, 16, QLatin1Char('0'))
                                         .arg(position)
                                         .arg(QString::fromLatin1(first.toHex()), QString::fromLatin1(second.toHex()));
            }
        }
    }
    QVERIFY2(unsettled.isEmpty(), qPrintable(unsettled.mid(0, 10).join('\n')));
}

void TestImageLoad::controlLimits_survive()
{
    // Whatever the controls let the user enter comes back from the image.
    Configuration config;
    SystemSettings entered;
    entered.edInfMessage = QString(SettingsInput::InformationMessageMaxLength - 1, u'Ж') + u'Z';
    entered.ud6 = SettingsInput::FirstTestHoursRange.maximum;
    entered.ud7 = SettingsInput::FirstTestMinutesRange.maximum;
    entered.ud8 = SettingsInput::TestIntervalHoursRange.maximum;
    config.setSettings(entered);
    ImageBuilder::build(config);
    config.setSettings(SystemSettings());
    QVERIFY(!ImageLoader::FillByDataFromMemory(config));
    const SystemSettings &s = config.settings();
    QCOMPARE(s.edInfMessage, entered.edInfMessage);
    QCOMPARE(s.ud6, entered.ud6);
    QCOMPARE(s.ud7, entered.ud7);
    QCOMPARE(s.ud8, entered.ud8);
}

void TestImageLoad::save_replacesWholeFile_orSaysWhy()
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, "old.tab", QByteArray(300000, '\x11'));
    Configuration config;
    RecordingNotifier notifier;
    FileCommands commands(config, notifier);
    commands.buildImage();
    QVERIFY(commands.saveFile(path));
    QFile saved(path);
    QVERIFY(saved.open(QIODevice::ReadOnly));
    QCOMPARE(saved.readAll(), config.image().Bytes());

    const QString unreachable = dir.filePath("no/such/folder/x.tab");
    QVERIFY(!commands.saveFile(unreachable));
    QCOMPARE(notifier.messages.size(), 1);
    QVERIFY(notifier.messages.first().contains(QStringLiteral("x.tab")));
}

void TestImageLoad::saveFault_keepsTheOldFile_namesTheReason_data()
{
    QTest::addColumn<QString>("target"); // in the test folder, which holds "old.tab" and "locked/old.tab"
    QTest::addColumn<QString>("fault");
    QTest::addColumn<QString>("reason");

    QTest::newRow("folder missing") << "no/such/folder/x.tab" << "" << "Файл не найден";
    QTest::newRow("name of a folder") << "locked" << "" << "Это папка, а не файл";
    QTest::newRow("disk full") << "old.tab" << "file size limit" << "Файл слишком большой";
    QTest::newRow("no access") << "locked/old.tab" << "no access" << "Нет доступа";
}

void TestImageLoad::saveFault_keepsTheOldFile_namesTheReason()
{
    QFETCH(QString, target);
    QFETCH(QString, fault);
    QFETCH(QString, reason);

    QTemporaryDir dir;
    QVERIFY(makeTraversable(dir.path()));
    writeFile(dir, "old.tab", QByteArray(300000, '\x11'));
    QVERIFY(QDir(dir.path()).mkdir("locked"));
    writeFile(dir, "locked/old.tab", QByteArray(1000, '\x22'));
    QVERIFY(QFile::setPermissions(dir.filePath("locked"), QFileDevice::ReadOwner | QFileDevice::ExeOwner
                                                                | QFileDevice::ReadOther | QFileDevice::ExeOther));
    const QMap<QString, QByteArray> before = filesIn(dir.path());
    const QMap<QString, QByteArray> lockedBefore = filesIn(dir.filePath("locked"));

    Configuration config;
    RecordingNotifier notifier;
    FileCommands commands(config, notifier);
    commands.buildImage();
    bool saved = true;
    if (fault == "file size limit") {
        const FileSizeLimit limit(100000);
        if (!limit.isValid())
            QSKIP("no file size limit here");
        saved = commands.saveFile(dir.filePath(target));
    } else if (fault == "no access") {
        const OrdinaryUserFileAccess access;
        if (!access.isEffective())
            QSKIP("root could not give up its rights over files");
        saved = commands.saveFile(dir.filePath(target));
    } else {
        saved = commands.saveFile(dir.filePath(target));
    }

    QVERIFY(!saved);
    QCOMPARE(notifier.messages,
             QStringList { QStringLiteral("Не удалось записать файл «%1»: %2")
                                   .arg(QDir::toNativeSeparators(dir.filePath(target)), reason) });
    QCOMPARE(filesIn(dir.path()), before);
    QCOMPARE(filesIn(dir.filePath("locked")), lockedBefore);
}

void TestImageLoad::factorySettings()
{
    QTemporaryDir dir;
    Configuration config;
    fillRichConfiguration(config);
    ImageBuilder::build(config);
    const ConfigurationSnapshot before = ConfigurationSnapshot::of(config);
    RecordingNotifier notifier;
    FileCommands commands(config, notifier);
    QSignalSpy replaced(&config.notices(), &ConfigurationNotices::replaced);
    QSignalSpy settingsChanged(&config.notices(), &ConfigurationNotices::settingsChanged);

    QVERIFY(!commands.restoreFactorySettings(dir.path()));
    QCOMPARE(notifier.messages, QStringList { QStringLiteral("Не найдено файла заводских настроек!") });
    QVERIFY(ConfigurationSnapshot::of(config) == before);
    QCOMPARE(replaced.size(), 0);
    QCOMPARE(settingsChanged.size(), 0);

    QVERIFY(QDir(dir.path()).mkpath("adjustments"));
    QCOMPARE(FileCommands::factoryFilePath(dir.path()), dir.filePath("adjustments/заводские.tab"));
    writeFile(dir, "adjustments/заводские.tab", factoryImage());
    QVERIFY(commands.restoreFactorySettings(dir.path()));
    QCOMPARE(replaced.size(), 1);
    QCOMPARE(settingsChanged.size(), 1); // once for the whole load
    QCOMPARE(config.mtSensor().rowCount(), 0);
    QCOMPARE(config.settings().edTelNum1, QString());
    QVERIFY(config.mtArea().locate("id", 7));
    QCOMPARE(config.mtArea().asString("name"), QString(40, u' '));
}

void TestImageLoad::factoryFileFault_namesTheReason_data()
{
    QTest::addColumn<bool>("folder"); // else a file without access
    QTest::addColumn<QString>("reason");

    QTest::newRow("a folder in its place") << true << "Это папка, а не файл";
    QTest::newRow("no access") << false << "Нет доступа";
}

void TestImageLoad::factoryFileFault_namesTheReason()
{
    QFETCH(bool, folder);
    QFETCH(QString, reason);

    QTemporaryDir dir;
    QVERIFY(makeTraversable(dir.path()));
    const QString path = FileCommands::factoryFilePath(dir.path());
    QVERIFY(QDir(dir.path()).mkpath(folder ? path : "adjustments"));
    QVERIFY(makeTraversable(dir.filePath("adjustments")));
    if (!folder) {
        writeFile(dir, "adjustments/заводские.tab", factoryImage());
        QVERIFY(QFile::setPermissions(path, {}));
    }
    Configuration config;
    fillRichConfiguration(config);
    ImageBuilder::build(config);
    const ConfigurationSnapshot before = ConfigurationSnapshot::of(config);
    RecordingNotifier notifier;
    {
        std::optional<OrdinaryUserFileAccess> access;
        if (!folder && !access.emplace().isEffective())
            QSKIP("root could not give up its rights over files");
        QVERIFY(!FileCommands(config, notifier).restoreFactorySettings(dir.path()));
    }
    QCOMPARE(notifier.messages,
             QStringList { QStringLiteral("Не удалось открыть файл «%1»: %2").arg(QDir::toNativeSeparators(path), reason) });
    QVERIFY(ConfigurationSnapshot::of(config) == before);
}

QTEST_GUILESS_MAIN(TestImageLoad)
#include "tst_imageload.moc"
