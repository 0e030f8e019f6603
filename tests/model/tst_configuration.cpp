#include "unexpectedwarnings.h"

#include <model/configuration.h>
#include <model/filterexpressions.h>
#include <model/unsavedchanges.h>

#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <functional>

Q_DECLARE_METATYPE(std::function<void(Configuration &)>)

class TestConfiguration : public QObject
{
    Q_OBJECT

private slots:
    void init() { failOnUnexpectedWarnings(); }
    void referenceNames_data();
    void referenceNames();
    void startup_zones();
    void startup_modules_data();
    void startup_modules();
    void startup_fixedLists();
    void startup_imageIsAllZeros();
    void lookups_throughConfigurationTables_data();
    void lookups_throughConfigurationTables();
    void serialText_data();
    void serialText();
    void copyTables_shareTheFieldsOfTheirTable();
    void settingsChanges_areAnnouncedOnlyWhenSomethingChanged();
    void unsavedChanges_data();
    void unsavedChanges();
    void unsavedChanges_keptAfterASave();
    void filterExpressions_data();
    void filterExpressions();
    void filterExpressions_selectTheIntendedRows();
};

void TestConfiguration::referenceNames_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("name");

    QTest::newRow("state off") << "mtBeing" << 1 << "Откл.";
    QTest::newRow("verification 2") << "mtVeriff" << 2 << "Два извещателя";
    QTest::newRow("profile 4") << "mtTemp" << 4 << "Профиль 4";
    QTest::newRow("output mode 2") << "mtMode" << 2 << "Оповещение";
    QTest::newRow("module type 3") << "mtDevType" << 3 << "КВ-8";
    QTest::newRow("module type 0 has no row") << "mtDevType" << 0 << "";
    QTest::newRow("chain 0") << "mtTypeChain" << 0 << "кольцевая цепь";
    QTest::newRow("chain 2 has no row") << "mtTypeChain" << 2 << "";
    QTest::newRow("heat class B") << "mtTypeMode" << 2 << "B      ( 85 C )";
    QTest::newRow("heat class A1R keeps trailing space") << "mtTypeMode" << 3 << "A1R ( 65 C ) ";
    QTest::newRow("heat channel keeps trailing space") << "mtChanType" << 2 << "Тепловой ";
    QTest::newRow("channel loop with two spaces") << "mtChanType" << 16 << "Аналоговый  ШС1";
    QTest::newRow("channel loop 16") << "mtChanType" << 31 << "Аналоговый  ШС16";
    QTest::newRow("channel type 6 has no row") << "mtChanType" << 6 << "";
    QTest::newRow("channel 196") << "mtChanType" << 196 << "Выход пожаротушения";
    QTest::newRow("device loop with one space") << "mtSensorType" << 16 << "Аналоговый ШС1";
    QTest::newRow("device 10") << "mtSensorType" << 10 << "ППКП Ворсен - 16П";
}

void TestConfiguration::referenceNames()
{
    QFETCH(QString, table);
    QFETCH(int, code);
    QFETCH(QString, name);

    const ReferenceTables &references = ReferenceTables::instance();
    const ReferenceTable *tables[] = { &references.mtBeing, &references.mtVeriff,
                                       &references.mtTemp, &references.mtMode,
                                       &references.mtDevType, &references.mtTypeChain,
                                       &references.mtTypeMode, &references.mtChanType,
                                       &references.mtSensorType };
    const auto found = std::find_if(std::begin(tables), std::end(tables),
                                    [&](const ReferenceTable *t) { return t->tableName() == table; });
    QVERIFY(found != std::end(tables));
    QCOMPARE((*found)->name(code).toString(), name);
    QCOMPARE((*found)->name(code).isNull(), name.isEmpty());
    QVERIFY((*found)->name(QVariant()).isNull());
}

void TestConfiguration::startup_zones()
{
    Configuration config;
    MemTable &zones = config.mtArea();
    QCOMPARE(zones.rowCount(), 500);
    QCOMPARE(zones.fields().size(), 27);
    QCOMPARE(zones.recNo(), 1);
    QCOMPARE(zones.asInteger("id"), 1);

    QVERIFY(zones.locate("id", 500));
    QCOMPARE(zones.asString("num"), QStringLiteral("Зона 500")); // exactly the field's 8 characters
    QCOMPARE(zones.asInteger("id_return"), 0);
    QVERIFY(!zones.isNull("boolarea"));
    QVERIFY(zones.isNull("name"));
    QVERIFY(zones.isNull("id_being"));
    QVERIFY(zones.isNull("r1"));
    QCOMPARE(zones.asString("bname"), QString());
}

void TestConfiguration::startup_modules_data()
{
    QTest::addColumn<int>("module");
    QTest::addColumn<int>("type");
    QTest::addColumn<QString>("typeName");
    QTest::addColumn<QString>("label");
    QTest::addColumn<int>("state");

    QTest::newRow("module 1") << 1 << 2 << "КЛМ" << "КЛМ № 1" << 0;
    QTest::newRow("module 2") << 2 << 0 << "" << "" << 1;
    QTest::newRow("module 7") << 7 << 0 << "" << "" << 1;
    QTest::newRow("module 16") << 16 << 0 << "" << "" << 1;
}

void TestConfiguration::startup_modules()
{
    QFETCH(int, module);
    QFETCH(int, type);
    QFETCH(QString, typeName);
    QFETCH(QString, label);
    QFETCH(int, state);

    Configuration config;
    MemTable &modules = config.mtDev();
    QCOMPARE(modules.rowCount(), 16);
    QCOMPARE(modules.recNo(), 1);
    QVERIFY(modules.setRecNo(module));
    QCOMPARE(modules.asInteger("addr"), module);
    QVERIFY(!modules.isNull("id_name")); // 0, not empty: a type the grid and the build can show
    QCOMPARE(modules.asInteger("id_name"), type);
    QCOMPARE(modules.asString("name"), typeName);
    QCOMPARE(modules.asInteger("id_tname"), 1);
    QCOMPARE(modules.asString("tname"), QStringLiteral("радиальная цепь"));
    QCOMPARE(modules.asString("mname"), label);
    QCOMPARE(modules.asInteger("id_being"), state);
    QCOMPARE(modules.asString("bname"), state ? QStringLiteral("Откл.") : QStringLiteral("Подкл."));
    QCOMPARE(config.mtEntrance().rowCount(), 0);
}

void TestConfiguration::startup_fixedLists()
{
    Configuration config;
    MemTable &codes = config.mtRepComm();
    QCOMPARE(codes.rowCount(), 27);
    QCOMPARE(codes.asInteger("code"), 329);
    QCOMPARE(codes.asString("name"), QStringLiteral("Обнаружение совпадения"));
    codes.setRecNo(4);
    QCOMPARE(codes.asString("name"), QStringLiteral("Отключение реле \"НЕИСПРАВНОСТЬ\""));
    codes.setRecNo(7);
    QCOMPARE(codes.asInteger("code"), 627);
    codes.setRecNo(20);
    QCOMPARE(codes.asInteger("code"), 627);
    codes.setRecNo(27);
    QCOMPARE(codes.asInteger("code"), 634);
    QCOMPARE(codes.asString("name"), QStringLiteral("Отключение выхода комуникатора"));

    MemTable &messages = config.mtRepEnt();
    QCOMPARE(messages.rowCount(), 4);
    messages.setRecNo(4);
    QCOMPARE(messages.asInteger("id"), 4);
    QCOMPARE(messages.asString("name"), QStringLiteral("ВХІД 3 СПРАЦЮВАВ"));

    MemTable &profiles = config.mtTempType();
    QCOMPARE(profiles.rowCount(), 4);
    profiles.setRecNo(3);
    QCOMPARE(profiles.asInteger("id"), 3);
    QCOMPARE(profiles.asTime("begin_day"), QTime(0, 0));
    QCOMPARE(profiles.asTime("begin_night"), QTime(0, 0));

    for (MemTable *table : { &config.mtAreaCopy(), &config.mtSensor(), &config.mtSensorCopy(),
                             &config.mtReturn(), &config.mtReturnCopy(), &config.mtEntrance(),
                             &config.mtSensorNew() })
        QVERIFY2(table->rowCount() == 0, qPrintable(table->tableName()));
}

void TestConfiguration::startup_imageIsAllZeros()
{
    const Configuration config;
    QCOMPARE(config.image().Bytes(), QByteArray(SettingsImage::Size, '\0'));
}

void TestConfiguration::lookups_throughConfigurationTables_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QString>("keyField");
    QTest::addColumn<QVariant>("key");
    QTest::addColumn<QString>("lookupField");
    QTest::addColumn<QString>("shown");

    QTest::newRow("device short label") << "mtSensor" << "id_sen" << QVariant(6) << "name" << "КВ-3";
    QTest::newRow("device 7 same label") << "mtSensor" << "id_sen" << QVariant(7) << "name" << "КВ-3";
    QTest::newRow("output 195 label") << "mtSensorNew" << "id_sen" << QVariant(195) << "name" << "КВ-3";
    QTest::newRow("device module label") << "mtSensor" << "id_dev" << QVariant(1) << "mname" << "КЛМ № 1";
    QTest::newRow("unlabelled module") << "mtSensor" << "id_dev" << QVariant(2) << "mname" << "";
    QTest::newRow("missing module") << "mtReturn" << "id_dev" << QVariant(40) << "mname" << "";
    QTest::newRow("empty key") << "mtSensor" << "id_chan" << QVariant() << "cname" << "";
    QTest::newRow("output mode") << "mtReturn" << "id_mode" << QVariant(1) << "mode" << "Пожаротушение";
    QTest::newRow("input message") << "mtEntrance" << "id_repent" << QVariant(2) << "rname"
                                   << "ВХІД 1 СПРАЦЮВАВ";
    QTest::newRow("input module type") << "mtEntrance" << "id" << QVariant(2) << "mname" << "КЛМ";
    QTest::newRow("input of absent type") << "mtEntrance" << "id" << QVariant(3) << "mname" << "";
}

void TestConfiguration::lookups_throughConfigurationTables()
{
    QFETCH(QString, table);
    QFETCH(QString, keyField);
    QFETCH(QVariant, key);
    QFETCH(QString, lookupField);
    QFETCH(QString, shown);

    Configuration config;
    MemTable *tables[] = { &config.mtSensor(), &config.mtSensorNew(), &config.mtReturn(),
                           &config.mtEntrance() };
    MemTable *target = *std::find_if(std::begin(tables), std::end(tables),
                                     [&](MemTable *t) { return t->tableName() == table; });
    target->append();
    target->setValueSilently(keyField, key);
    QCOMPARE(target->asString(lookupField), shown);
}

void TestConfiguration::serialText_data()
{
    QTest::addColumn<QString>("table");
    QTest::addColumn<QVariant>("high");
    QTest::addColumn<QVariant>("low");
    QTest::addColumn<QString>("text");

    QTest::newRow("device shows low byte") << "mtSensor" << QVariant(0x12) << QVariant(0x34) << "0034";
    QTest::newRow("device low 10") << "mtSensor" << QVariant() << QVariant(10) << "000A";
    QTest::newRow("copy low 255") << "mtSensorCopy" << QVariant() << QVariant(255) << "00FF";
    QTest::newRow("output empty") << "mtReturn" << QVariant() << QVariant() << "0000";
    QTest::newRow("found device shows whole number") << "mtSensorNew" << QVariant(0x1234)
                                                     << QVariant() << "1234";
    QTest::newRow("found device small") << "mtSensorNew" << QVariant(0xab) << QVariant(7) << "00AB";
}

void TestConfiguration::serialText()
{
    QFETCH(QString, table);
    QFETCH(QVariant, high);
    QFETCH(QVariant, low);
    QFETCH(QString, text);

    Configuration config;
    MemTable *tables[] = { &config.mtSensor(), &config.mtSensorCopy(), &config.mtReturn(),
                           &config.mtSensorNew() };
    MemTable *target = *std::find_if(std::begin(tables), std::end(tables),
                                     [&](MemTable *t) { return t->tableName() == table; });
    target->append();
    target->setValue("saddrh", high);
    target->setValue("saddrl", low);
    QCOMPARE(target->asString("snum"), text);
}

void TestConfiguration::copyTables_shareTheFieldsOfTheirTable()
{
    Configuration config;
    const auto names = [](const MemTable &table) {
        QStringList list;
        for (const FieldDef &field : table.fields())
            list << field.name;
        return list;
    };
    QCOMPARE(names(config.mtAreaCopy()), names(config.mtArea()));
    QCOMPARE(names(config.mtSensorCopy()), names(config.mtSensor()));
    QCOMPARE(names(config.mtReturnCopy()), names(config.mtReturn()));
    const auto shownFields = [](const MemTable &table) {
        return std::count_if(table.fields().cbegin(), table.fields().cend(),
                             [](const FieldDef &field) { return !field.internal; });
    };
    QCOMPARE(shownFields(config.mtSensor()), 22);
    QCOMPARE(shownFields(config.mtReturn()), 22);

    config.mtAreaCopy().copyRowsFrom(config.mtArea());
    QCOMPARE(config.mtAreaCopy().rowCount(), 500);
    QVERIFY(config.mtAreaCopy().locate("id", 500));
    QCOMPARE(config.mtAreaCopy().asString("num"), QStringLiteral("Зона 500"));
}

void TestConfiguration::settingsChanges_areAnnouncedOnlyWhenSomethingChanged()
{
    Configuration config;
    QSignalSpy changed(&config.notices(), &ConfigurationNotices::settingsChanged);

    const int returned = config.changeSettings([](SystemSettings &s) {
        s.ud6 = 12;
        return 7;
    });
    QCOMPARE(returned, 7);
    QCOMPARE(config.settings().ud6, 12);
    QCOMPARE(changed.size(), 1);

    config.changeSettings([](SystemSettings &s) { s.ud6 = 12; });
    config.setSettings(config.settings());
    QCOMPARE(changed.size(), 1);

    SystemSettings other = config.settings();
    other.edAdminPass[7] = QStringLiteral("1234");
    config.setSettings(other);
    QCOMPARE(changed.size(), 2);
    QVERIFY(config.settings() == other);
}

using Edit = std::function<void(Configuration &)>;

void TestConfiguration::unsavedChanges_data()
{
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<bool>("unsaved");

    QTest::newRow("nothing") << Edit([](Configuration &) { }) << false;
    QTest::newRow("a zone name") << Edit([](Configuration &c) {
        c.mtArea().setRecNo(3);
        c.mtArea().setValue(ZoneField::name, QStringLiteral("СКЛАД"));
    }) << true;
    QTest::newRow("a profile changed and changed back") << Edit([](Configuration &c) {
        c.mtTempType().setRecNo(2);
        const QVariant before = c.mtTempType().value(ProfileField::begin_day);
        c.mtTempType().setValue(ProfileField::begin_day, QTime(7, 10));
        c.mtTempType().setValue(ProfileField::begin_day, before);
    }) << false;
    QTest::newRow("a module's state") << Edit([](Configuration &c) {
        c.mtDev().setRecNo(2);
        c.mtDev().setValue(ModuleField::id_being, 0);
    }) << true;
    QTest::newRow("a setting") << Edit([](Configuration &c) {
        c.changeSettings([](SystemSettings &s) { s.ckbFire = true; });
    }) << true;
    QTest::newRow("an image byte alone") << Edit([](Configuration &c) { c.image().Whole().set(150000, 1); }) << true;
    QTest::newRow("a filter and the cursor") << Edit([](Configuration &c) {
        c.mtArea().applyFilter(QStringLiteral("id = 7"));
        c.mtDev().setRecNo(5);
    }) << false;
    QTest::newRow("zones marked") << Edit([](Configuration &c) {
        for (const int row : { 3, 40, 499 }) {
            c.mtArea().setRecNo(row);
            c.mtArea().setValue(ZoneField::boolarea, true);
        }
        c.mtArea().post();
    }) << false;
    QTest::newRow("the found devices' list") << Edit([](Configuration &c) { c.mtSensorNew().append(); }) << false;
    QTest::newRow("an edit, then a replacing load") << Edit([](Configuration &c) {
        c.changeSettings([](SystemSettings &s) { s.ud6 = 3; });
        emit c.notices().replaced();
    }) << false;
}

void TestConfiguration::unsavedChanges()
{
    QFETCH(Edit, edit);
    QFETCH(bool, unsaved);

    Configuration config;
    const UnsavedChanges changes(config);
    QVERIFY(!changes.exist());
    edit(config);
    QCOMPARE(changes.exist(), unsaved);
}

void TestConfiguration::unsavedChanges_keptAfterASave()
{
    Configuration config;
    UnsavedChanges changes(config);
    config.changeSettings([](SystemSettings &s) { s.ud7 = 30; });
    QVERIFY(changes.exist());
    changes.markKept();
    QVERIFY(!changes.exist());
    config.changeSettings([](SystemSettings &s) { s.ud7 = 0; });
    QVERIFY(changes.exist()); // back to the start is a change from what was saved
}

void TestConfiguration::filterExpressions_data()
{
    QTest::addColumn<QString>("expression");
    QTest::addColumn<QString>("expected");

    QTest::newRow("zones holding an output") << FilterExpressions::zonesHoldingOutput(5003)
            << "r1=5003 or r2=5003 or r3=5003 or r4=5003 or r5=5003 or r6=5003 or r7=5003 or "
               "r8=5003 or r9=5003 or r10=5003 or r11=5003 or r12=5003 or r13=5003 or r14=5003 or "
               "r15=5003 or r16=5003";
    QTest::newRow("devices of a zone") << FilterExpressions::devicesOfZone(7) << "id_area =7";
    QTest::newRow("devices of a zone, dialog") << FilterExpressions::devicesOfZoneInDialog(7)
                                               << "id_area = 7";
    QTest::newRow("devices in no zone") << FilterExpressions::devicesInNoZone() << "id_area = 0";
    QTest::newRow("of a module") << FilterExpressions::ofModule(3) << "id_dev =3";
    QTest::newRow("zone by number") << FilterExpressions::zoneById(12) << "id=12";
    QTest::newRow("outputs of a zone") << FilterExpressions::outputsWithKeys({ 3002, 12007 })
                                       << "id_return=3002 or id_return=12007";
    QTest::newRow("zone without outputs") << FilterExpressions::outputsWithKeys({}) << "id_return=0";
    QTest::newRow("one device channel") << FilterExpressions::deviceChannel(1, 3, 52)
                                        << "(id_chan = 1) and (addr = 3) and (saddrl = 52)";
    QTest::newRow("all") << FilterExpressions::allRows() << "";
}

void TestConfiguration::filterExpressions()
{
    QFETCH(QString, expression);
    QFETCH(QString, expected);
    QCOMPARE(expression, expected);
}

void TestConfiguration::filterExpressions_selectTheIntendedRows()
{
    Configuration config;
    MemTable &zones = config.mtArea();
    zones.locate("id", 3);
    zones.setValue("r16", 5003);
    zones.locate("id", 250);
    zones.setValue("r1", 5003);
    zones.locate("id", 251);
    zones.setValue("r2", 5004);
    QVERIFY(zones.applyFilter(FilterExpressions::zonesHoldingOutput(5003)));
    QCOMPARE(zones.recordCount(), 2);
    QCOMPARE(zones.asInteger("id"), 3);
    zones.next();
    QCOMPARE(zones.asInteger("id"), 250);
    QCOMPARE(zones.recNo(), 2);

    MemTable &devices = config.mtSensor();
    const int rows[][4] = { { 1, 3, 52, 7 }, { 1, 3, 53, 7 }, { 2, 3, 52, 0 }, { 1, 4, 52, 7 } };
    for (const auto &row : rows) {
        devices.append();
        devices.setValue("id_chan", row[0]);
        devices.setValue("addr", row[1]);
        devices.setValue("saddrl", row[2]);
        devices.setValue("id_area", row[3]);
    }
    QVERIFY(devices.applyFilter(FilterExpressions::deviceChannel(1, 3, 52)));
    QCOMPARE(devices.recordCount(), 1);
    QCOMPARE(devices.asInteger("saddrl"), 52);
    QVERIFY(devices.applyFilter(FilterExpressions::devicesOfZone(7)));
    QCOMPARE(devices.recordCount(), 3);
    QVERIFY(devices.applyFilter(FilterExpressions::devicesInNoZone()));
    QCOMPARE(devices.recordCount(), 1);
    QCOMPARE(devices.asInteger("id_chan"), 2);
}

QTEST_GUILESS_MAIN(TestConfiguration)
#include "tst_configuration.moc"
