// Every kind of change a person makes, taken back and taken again: the image a build makes
// afterwards is byte for byte the one before, or after, the change.

#include "recordingnotifier.h"
#include "richconfiguration.h"

#include <model/configuration.h>
#include <model/edithistory.h>
#include <model/outputassignment.h>
#include <model/unsavedchanges.h>
#include <model/zonemembership.h>
#include <storage/csvlists.h>
#include <storage/filecommands.h>
#include <storage/imagebuilder.h>

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

using Change = std::function<void(Configuration &)>;

void typeZoneName(Configuration &config)
{
    config.mtArea().setRecNo(7);
    config.mtArea().setValue(ZoneField::name, u"склад готовой продукции"_s);
    config.mtArea().post();
}

// A lookup cell: the zone's verification chosen from its list.
void chooseVerification(Configuration &config)
{
    config.mtArea().setRecNo(12);
    config.mtArea().setValue(ZoneField::id_verif, 2);
    config.mtArea().post();
}

void attachDevices(Configuration &config)
{
    ZoneDevices devices(config);
    config.mtArea().setRecNo(3);
    devices.prepare();
    devices.FormShow(3);
    MemTable &free = config.mtSensorCopy();
    for (free.first(); !free.eof(); free.next()) {
        free.setValue(SensorField::boolarea, true);
        free.post();
    }
    devices.BitBtn1Click(3);
}

void detachDevices(Configuration &config)
{
    ZoneDevices devices(config);
    config.mtArea().setRecNo(7);
    devices.prepare();
    devices.FormShow(7);
    MemTable &zone = config.mtSensor();
    for (zone.first(); !zone.eof(); zone.next()) {
        zone.setValue(SensorField::boolarea, true);
        zone.post();
    }
    devices.BitBtn2Click(7);
}

void giveOutputs(Configuration &config)
{
    ZoneOutputs outputs(config);
    config.mtArea().setRecNo(5);
    outputs.prepare();
    outputs.FormShow();
    MemTable &all = config.mtReturnCopy();
    int marked = 0;
    for (all.first(); !all.eof() && marked < 3; all.next(), ++marked) {
        all.setValue(OutputField::boolarea, true);
        all.post();
    }
    outputs.BitBtn1Click();
}

// The mark title of the outputs page's zone list: a slip there marks every zone.
void markAllZones(Configuration &config)
{
    OutputAssignment(config).dbgAreaReturnTitleBtnClick(OutputAssignment::TitleCheck);
}

void changeSettings(Configuration &config)
{
    config.changeSettings([](SystemSettings &settings) {
        settings.edAdminPass[0] = u"1234"_s;
        settings.edInfMessage = u"ОХРАНА"_s;
    });
}

void importNames(Configuration &config)
{
    CsvLists::applyZoneNames(config, { { 1, u"ВХОД"_s }, { 250, u"ЭТАЖ 2"_s }, { 500, QString() } });
}

void appendDevice(Configuration &config)
{
    config.mtSensor().appendBehind([](MemTable &sensors) {
        sensors.setValue(SensorField::id_dev, 3);
        sensors.setValue(SensorField::addr, 17);
        sensors.setValue(SensorField::id_chan, 1);
        sensors.setValue(SensorField::saddrl, 0x34);
        sensors.setValue(SensorField::saddrh, 0x0A);
    });
}

// Everything undo puts back: the image a build makes, the image as it stands, the settings
// and every row of every table, marks and found devices included.
struct Seen
{
    QByteArray built;
    QByteArray image;
    SystemSettings settings;
    QVector<QVector<QVariant>> columns;
    bool operator==(const Seen &other) const
    {
        return built == other.built && image == other.image && settings == other.settings && columns == other.columns;
    }
};

Seen seen(Configuration &config)
{
    Seen s { ImageBuilder::builtAside(config), config.image().Bytes(), config.settings(), {} };
    for (const MemTable *table : config.tables()) {
        for (int field = 0; field < table->fields().size(); ++field) {
            if (table->fields().at(field).isData())
                s.columns << table->storedColumn(field);
        }
    }
    return s;
}

struct Fixture
{
    Configuration config;
    RecordingNotifier notifier;
    EditHistory history { config };

    Fixture()
    {
        fillRichConfiguration(config);
        ImageBuilder::build(config);
        history.clear(); // the configuration as opened
    }

    QByteArray built() { return ImageBuilder::builtAside(config); }
};

} // namespace

class TestEditHistory : public QObject
{
    Q_OBJECT

private slots:
    void undoAndRedo_data();
    void undoAndRedo();
    void severalStepsUndoneAndRedoneInOrder();
    void nothingChanged_noStep();
    void navigationAlone_noStepButUndoPutsTheRowBack();
    void editAfterUndo_forgetsTheStepsUndone();
    void uncommittedChange_isWhatUndoTakes();
    void replacingTheConfiguration_clearsTheHistory_data();
    void replacingTheConfiguration_clearsTheHistory();
    void unsavedChanges_followTheHistory();
    void stepLimit();
    void buildForASave_isNoStep();
    void searchStepName_data();
    void searchStepName();
};

void TestEditHistory::undoAndRedo_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<QString>("name");

    QTest::newRow("typed zone name") << Change(typeZoneName) << u"Имя зоны 7"_s;
    QTest::newRow("lookup chosen") << Change(chooseVerification) << u"Тип верификации зоны 12"_s;
    QTest::newRow("devices attached (rules cascade)") << Change(attachDevices) << u"Устройства зоны 3"_s;
    QTest::newRow("devices detached") << Change(detachDevices) << u"Устройства зоны 7"_s;
    QTest::newRow("outputs given") << Change(giveOutputs) << u"Выходы зоны 5"_s;
    QTest::newRow("mark all") << Change(markAllZones) << u"Отметки"_s;
    QTest::newRow("settings boxes") << Change(changeSettings) << u"Коды доступа"_s;
    QTest::newRow("zone names imported") << Change(importNames) << u"Импорт имён зон"_s;
    QTest::newRow("device recorded") << Change(appendDevice) << u"Поиск: 1 устройство"_s;
}

void TestEditHistory::undoAndRedo()
{
    QFETCH(Change, change);
    QFETCH(QString, name);

    Fixture f;
    const Seen before = seen(f.config);
    f.history.nameNextStep(name);
    change(f.config);
    QVERIFY(f.history.commit());
    const Seen after = seen(f.config);
    QVERIFY2(!(after == before), "the change changed nothing");
    QCOMPARE(f.history.undoCount(), 1);
    QCOMPARE(f.history.undoName(), name);

    QVERIFY(f.history.undo());
    QCOMPARE(f.config.image().Bytes(), before.image);
    QCOMPARE(f.built(), before.built);
    QVERIFY(seen(f.config) == before);
    QVERIFY(!f.history.canUndo());
    QCOMPARE(f.history.redoName(), name);

    QVERIFY(f.history.redo());
    QCOMPARE(f.config.image().Bytes(), after.image);
    QCOMPARE(f.built(), after.built);
    QVERIFY(seen(f.config) == after);
    QVERIFY(!f.history.canRedo());
    QCOMPARE(f.history.undoName(), name);
}

void TestEditHistory::severalStepsUndoneAndRedoneInOrder()
{
    Fixture f;
    const Change changes[] = { typeZoneName, attachDevices, giveOutputs, changeSettings, importNames, detachDevices };
    QVector<QByteArray> images { f.built() };
    for (const Change &change : changes) {
        change(f.config);
        QVERIFY(f.history.commit());
        images << f.built();
    }
    for (qsizetype step = images.size() - 2; step >= 0; --step) {
        QVERIFY(f.history.undo());
        QCOMPARE(f.built(), images.at(step));
    }
    QVERIFY(!f.history.undo());
    for (qsizetype step = 1; step < images.size(); ++step) {
        QVERIFY(f.history.redo());
        QCOMPARE(f.built(), images.at(step));
    }
    QVERIFY(!f.history.redo());
}

void TestEditHistory::nothingChanged_noStep()
{
    Fixture f;
    QSignalSpy changed(&f.history, &EditHistory::changed);
    f.history.nameNextStep(u"Имя зоны 7"_s);
    f.config.mtArea().setRecNo(7);
    f.config.mtArea().setValue(ZoneField::name, f.config.mtArea().value(ZoneField::name));
    f.config.mtArea().post();
    QVERIFY(!f.history.commit());
    QVERIFY(!f.history.canUndo());
    QCOMPARE(changed.count(), 0);

    // The name given for the action that changed nothing does not name the next one.
    typeZoneName(f.config);
    QVERIFY(f.history.commit());
    QCOMPARE(f.history.undoName(), u"Изменение"_s);
}

void TestEditHistory::navigationAlone_noStepButUndoPutsTheRowBack()
{
    Fixture f;
    MemTable &zones = f.config.mtArea();
    zones.setRecNo(317);
    QVERIFY(!f.history.commit());
    zones.setValue(ZoneField::name, u"ЗОНА ТРИСТА СЕМНАДЦАТЬ"_s);
    zones.post();
    QVERIFY(f.history.commit());
    zones.setRecNo(2);
    QVERIFY(!f.history.commit());

    QVERIFY(f.history.undo());
    QCOMPARE(zones.recNo(), 317);
    QVERIFY(f.history.redo());
    QCOMPARE(zones.recNo(), 317);
}

void TestEditHistory::editAfterUndo_forgetsTheStepsUndone()
{
    Fixture f;
    typeZoneName(f.config);
    QVERIFY(f.history.commit());
    QVERIFY(f.history.undo());
    QVERIFY(f.history.canRedo());
    chooseVerification(f.config);
    QVERIFY(!f.history.redo()); // the edit is committed and the redo forgotten
    QVERIFY(!f.history.canRedo());
    QCOMPARE(f.history.undoCount(), 1);
}

void TestEditHistory::uncommittedChange_isWhatUndoTakes()
{
    Fixture f;
    const QByteArray before = f.built();
    typeZoneName(f.config);
    QVERIFY(f.history.undo());
    QCOMPARE(f.built(), before);
    QVERIFY(!f.history.canUndo());
}

void TestEditHistory::replacingTheConfiguration_clearsTheHistory_data()
{
    QTest::addColumn<QString>("how");
    // A read from the panel opens what it read as a file is opened.
    QTest::newRow("open") << u"open"_s;
    QTest::newRow("factory settings") << u"factory"_s;
    QTest::newRow("image opened from memory") << u"image"_s;
}

void TestEditHistory::replacingTheConfiguration_clearsTheHistory()
{
    QFETCH(QString, how);

    Fixture f;
    QTemporaryDir folder;
    FileCommands files(f.config, f.notifier);
    files.buildImage();
    QVERIFY(files.saveFile(folder.filePath(u"saved.tab"_s)));
    QVERIFY(QDir(folder.path()).mkpath(u"adjustments"_s));
    QVERIFY(QFile::copy(folder.filePath(u"saved.tab"_s), FileCommands::factoryFilePath(folder.path())));

    typeZoneName(f.config);
    QVERIFY(f.history.commit());
    chooseVerification(f.config); // not yet committed
    const SettingsImage inMemory = f.config.image();
    if (how == u"open")
        QVERIFY(files.openFile(folder.filePath(u"saved.tab"_s)));
    else if (how == u"factory")
        QVERIFY(files.restoreFactorySettings(folder.path()));
    else
        QVERIFY(files.openImage(inMemory, u"образ"_s));
    QVERIFY(!f.history.canUndo());
    QVERIFY(!f.history.undo());
    QVERIFY(!f.history.canRedo());
    QVERIFY(f.notifier.errors.isEmpty());
}

void TestEditHistory::unsavedChanges_followTheHistory()
{
    Fixture f;
    UnsavedChanges unsaved(f.config);
    typeZoneName(f.config);
    QVERIFY(f.history.commit());
    unsaved.markKept(); // saved here
    chooseVerification(f.config);
    QVERIFY(f.history.commit());
    QVERIFY(unsaved.exist());
    QVERIFY(f.history.undo());
    QVERIFY(!unsaved.exist());
    QVERIFY(f.history.undo());
    QVERIFY(unsaved.exist());
    QVERIFY(f.history.redo());
    QVERIFY(!unsaved.exist());
}

void TestEditHistory::stepLimit()
{
    Fixture f;
    MemTable &zones = f.config.mtArea();
    const int steps = EditHistory::MaxSteps + 5;
    for (int step = 1; step <= steps; ++step) {
        zones.setRecNo(step);
        zones.setValue(ZoneField::name, u"ЗОНА %1"_s.arg(step));
        zones.post();
        QVERIFY(f.history.commit());
    }
    QCOMPARE(f.history.undoCount(), EditHistory::MaxSteps);
    while (f.history.undo()) {
    }
    // The first five are kept: they fell out of the history.
    for (int zone = 1; zone <= 5; ++zone)
        QCOMPARE(zones.rowValue(zone - 1, ZoneField::name).toString().trimmed(), u"ЗОНА %1"_s.arg(zone));
    QCOMPARE(zones.rowValue(5, ZoneField::name).toString().trimmed(), QString());
}

void TestEditHistory::buildForASave_isNoStep()
{
    Fixture f;
    const SystemSettings before = f.config.settings();
    changeSettings(f.config); // the image takes settings only when it is built
    QVERIFY(f.history.commit());
    const QByteArray unbuilt = f.config.image().Bytes();
    ImageBuilder::build(f.config);
    QVERIFY(f.config.image().Bytes() != unbuilt);
    f.history.rebase();
    QVERIFY(!f.history.commit());
    QCOMPARE(f.history.undoCount(), 1);
    QCOMPARE(f.history.undoName(), u"Коды доступа"_s);
    QVERIFY(f.history.undo());
    QVERIFY(f.config.settings() == before);
}

void TestEditHistory::searchStepName_data()
{
    QTest::addColumn<int>("devices");
    QTest::addColumn<QString>("name");
    QTest::newRow("1") << 1 << u"Поиск: 1 устройство"_s;
    QTest::newRow("3") << 3 << u"Поиск: 3 устройства"_s;
    QTest::newRow("5") << 5 << u"Поиск: 5 устройств"_s;
    QTest::newRow("11") << 11 << u"Поиск: 11 устройств"_s;
    QTest::newRow("21") << 21 << u"Поиск: 21 устройство"_s;
    QTest::newRow("112") << 112 << u"Поиск: 112 устройств"_s;
    QTest::newRow("0") << 0 << u"Поиск: 0 устройств"_s;
}

void TestEditHistory::searchStepName()
{
    QFETCH(int, devices);
    QFETCH(QString, name);
    QCOMPARE(EditHistory::searchStepName(devices), name);
}

QTEST_GUILESS_MAIN(TestEditHistory)

#include "tst_edithistory.moc"
