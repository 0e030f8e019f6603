#include <model/configuration.h>
#include <model/settingsinput.h>
#include <storage/writecheck.h>

#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

using Change = std::function<void(Configuration &)>;

void addDevice(Configuration &config, int module, int address)
{
    MemTable &sensors = config.mtSensor();
    sensors.append();
    sensors.setValueSilently(SensorField::id_dev, module);
    sensors.setValueSilently(SensorField::addr, address);
    sensors.setValueSilently(SensorField::id_sen, 1);
    sensors.setValueSilently(SensorField::id_chan, 1);
    sensors.post();
}

void addOutput(Configuration &config, int module, int number)
{
    MemTable &outputs = config.mtReturn();
    outputs.append();
    outputs.setValueSilently(OutputField::id_dev, module);
    outputs.setValueSilently(OutputField::offset, number);
    outputs.setValueSilently(OutputField::id_return, module * 1000 + number);
    outputs.post();
}

// Module `address` of the given type, without the rules that would add its inputs.
void setModuleType(Configuration &config, int address, int type)
{
    QVERIFY(config.mtDev().locate(ModuleField::addr, address));
    config.mtDev().setValueSilently(ModuleField::id_name, type);
    config.mtDev().post();
}

// Module `address` as the grid makes it a КВ-8: with its two input rows.
void makeEightChannel(Configuration &config, int address)
{
    QVERIFY(config.mtDev().locate(ModuleField::addr, address));
    config.mtDev().setValue(ModuleField::id_being, 0);
    config.mtDev().setValue(ModuleField::id_name, 3);
    config.mtDev().post();
}

} // namespace

Q_DECLARE_METATYPE(Change)

class TestWriteCheck : public QObject
{
    Q_OBJECT

private slots:
    void problems_data();
    void problems();
};

void TestWriteCheck::problems_data()
{
    QTest::addColumn<Change>("change");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("all fits") << Change([](Configuration &config) {
        addDevice(config, 1, 2);
        addDevice(config, 1, 129);
        addOutput(config, 1, 7);
    }) << QStringList();
    QTest::newRow("telephone numbers: 16 and 15 symbols, pulse and tone") << Change([](Configuration &config) {
        config.changeSettings([](SystemSettings &s) {
            s.edTelNum1 = u"1234567890123456"_s;
            s.edTelNum1Raw = FormatNumberPhone(s.edTelNum1, false);
            s.edTelNum2 = u"123456789012345"_s;
            s.edTelNum2Raw = FormatNumberPhone(s.edTelNum2, true);
        });
    }) << QStringList { u"Первый телефонный номер: прибор хранит не больше 15 знаков (в тоновом наборе — 14); "
                        u"номер будет прочитан с лишними нулями в конце."_s,
                        u"Второй телефонный номер: прибор хранит не больше 15 знаков (в тоновом наборе — 14); "
                        u"номер будет прочитан с лишними нулями в конце."_s };
    QTest::newRow("telephone numbers that fit, and one as loaded") << Change([](Configuration &config) {
        config.changeSettings([](SystemSettings &s) {
            s.edTelNum1 = u"123456789012345"_s;
            s.edTelNum1Raw = FormatNumberPhone(s.edTelNum1, false);
            s.edTelNum2Raw = u"123456789012345678"_s;
        });
    }) << QStringList();
    QTest::newRow("a dialling mode typed that is neither") << Change([](Configuration &config) {
        config.changeSettings([](SystemSettings &s) { s.cbModeAndOr = -1; });
    }) << QStringList { u"Режим дозвона: не выбран ни «ИЛИ», ни «И»; прибор получит код 255, а после чтения поле "
                        u"останется пустым."_s };
    QTest::newRow("detector channels beyond 248") << Change([](Configuration &config) {
        for (int i = 0; i < 250; ++i)
            addDevice(config, 1, 2 + i % 128);
    }) << QStringList { u"КЛМ № 1: каналов извещателей 250, в прибор поместятся 248; не будут записаны адреса 122, 123."_s };
    QTest::newRow("address outside the loop") << Change([](Configuration &config) {
        addDevice(config, 1, 150);
        addDevice(config, 1, 150);
    }) << QStringList { u"КЛМ № 1: адрес 150 вне диапазона 2..129; устройство не будет прочитано из прибора."_s };
    QTest::newRow("devices of a module that is off") << Change([](Configuration &config) {
        setModuleType(config, 3, 0);
        addDevice(config, 3, 5);
    }) << QStringList { u"Модуль 3 отключен: его устройства (1) не будут записаны."_s };
    QTest::newRow("devices of no module") << Change([](Configuration &config) { addDevice(config, 17, 5); })
                                          << QStringList { u"Модуль 17: такого модуля нет в списке модулей; его "
                                                           u"устройства (1) не будут записаны."_s };
    QTest::newRow("output beyond 8") << Change([](Configuration &config) { addOutput(config, 1, 8); })
                                     << QStringList { u"КЛМ № 1: выход 9 вне 1..8 не будет записан."_s };
    QTest::newRow("output twice") << Change([](Configuration &config) {
        addOutput(config, 1, 2);
        addOutput(config, 1, 2);
    }) << QStringList { u"КЛМ № 1: выход 3 задан дважды; записан будет последний."_s };
    QTest::newRow("outputs of a module that is off") << Change([](Configuration &config) {
        setModuleType(config, 3, 0);
        addOutput(config, 3, 0);
    }) << QStringList { u"Модуль 3: выходы (1) не будут записаны, модуль отключен."_s };
    QTest::newRow("eight-channel module without its inputs") << Change([](Configuration &config) {
        setModuleType(config, 5, 3);
    }) << QStringList { u"КВ-8 № 5: нет пары входов 1 и 2; настройки входов не будут записаны."_s };
    QTest::newRow("eight-channel module, outputs beside its inputs") << Change([](Configuration &config) {
        makeEightChannel(config, 3);
        for (int number = 0; number < 6; ++number)
            addOutput(config, 3, number);
    }) << QStringList();
    QTest::newRow("output 7 in the record of input 1") << Change([](Configuration &config) {
        makeEightChannel(config, 3);
        addOutput(config, 3, 6);
    }) << QStringList { u"КВ-8 № 3: выход 7 занимает запись входа 1; настройки входа 1 не будут записаны."_s };
    QTest::newRow("outputs 7 and 8 in the records of both inputs") << Change([](Configuration &config) {
        makeEightChannel(config, 3);
        addOutput(config, 3, 7);
        addOutput(config, 3, 6);
    }) << QStringList { u"КВ-8 № 3: выход 7 занимает запись входа 1; настройки входа 1 не будут записаны."_s,
                        u"КВ-8 № 3: выход 8 занимает запись входа 2; настройки входа 2 не будут записаны."_s };
    QTest::newRow("output 8 of a loop module, which has no inputs") << Change([](Configuration &config) {
        addOutput(config, 1, 7);
    }) << QStringList();
    QTest::newRow("zone names an output that is gone") << Change([](Configuration &config) {
        addOutput(config, 1, 0);
        QVERIFY(config.mtArea().locate(ZoneField::id, 12));
        config.mtArea().setValue(ZoneField::name, u"СКЛАД"_s);
        config.mtArea().setValue(ZoneField::r(1), 1000);
        config.mtArea().setValue(ZoneField::r(2), 1005);
        config.mtArea().post();
    }) << QStringList { u"Зона 12 (СКЛАД): назначенный выход (модуль 1 выход 6) не существует; зона не будет его "
                        u"включать."_s };
}

void TestWriteCheck::problems()
{
    QFETCH(Change, change);
    QFETCH(QStringList, expected);

    Configuration config;
    change(config);
    QCOMPARE(WriteCheck::problems(config), expected);
}

QTEST_GUILESS_MAIN(TestWriteCheck)
#include "tst_writecheck.moc"
