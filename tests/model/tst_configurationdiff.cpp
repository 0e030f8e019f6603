#include "unexpectedwarnings.h"

#include <model/configuration.h>
#include <model/configurationdiff.h>

#include <QTest>

#include <functional>

// Brings two fresh configurations into the states to compare.
using Edit = std::function<void(Configuration &before, Configuration &after)>;
Q_DECLARE_METATYPE(Edit)

namespace {

void setRowValue(MemTable &table, int position, const QString &field, const QVariant &value)
{
    QVERIFY2(table.setRecNo(position), qPrintable(table.tableName()));
    table.setValue(field, value);
    table.post();
}

void setZone(Configuration &config, int zone, const QString &field, const QVariant &value)
{
    setRowValue(config.mtArea(), zone, field, value);
}

void appendDetector(Configuration &config, int module, int address, int type = 1)
{
    MemTable &sensors = config.mtSensor();
    sensors.append();
    sensors.setValue("id_dev", module);
    sensors.setValue("addr", address);
    sensors.setValue("id_sen", type);
    sensors.setValue("id_chan", 1);
    sensors.setValue("id_being", 0);
    sensors.setValue("id_area", 0);
    sensors.setValue("saddrh", 0x12);
    sensors.setValue("saddrl", 0x34);
    sensors.post();
}

void appendOutput(Configuration &config, int module, int offset, int mode)
{
    MemTable &outputs = config.mtReturn();
    outputs.append();
    outputs.setValue("id_dev", module);
    outputs.setValue("offset", offset);
    outputs.setValue("id_chan", 195);
    outputs.setValue("id_mode", mode);
    outputs.post();
}

void both(Configuration &before, Configuration &after, const std::function<void(Configuration &)> &edit)
{
    edit(before);
    edit(after);
}

} // namespace

class TestConfigurationDiff : public QObject
{
    Q_OBJECT

private slots:
    void init() { failOnUnexpectedWarnings(); }
    void differences_data();
    void differences();
    void codesAndOutputs_namedAsTheInstallerSeesThem_data();
    void codesAndOutputs_namedAsTheInstallerSeesThem();
    void sameConfiguration_describesNothing();
};

void TestConfigurationDiff::differences_data()
{
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("unchanged") << Edit([](Configuration &, Configuration &) {}) << QStringList();

    QTest::newRow("zone name") << Edit([](Configuration &before, Configuration &after) {
        setZone(before, 12, "name", "склад");
        setZone(after, 12, "name", "офис");
    }) << QStringList { "Зона 12: имя «СКЛАД» → «ОФИС»" };
    QTest::newRow("trailing blanks the image pads names with") << Edit([](Configuration &before, Configuration &after) {
        setZone(before, 12, "name", "СКЛАД");
        setZone(after, 12, "name", "СКЛАД   ");
    }) << QStringList();
    QTest::newRow("zone hidden by a filter") << Edit([](Configuration &, Configuration &after) {
        setZone(after, 12, "name", "ОФИС");
        QVERIFY(after.mtArea().applyFilter("id=1"));
    }) << QStringList { "Зона 12: имя пусто → «ОФИС»" };
    QTest::newRow("zone state shown as names") << Edit([](Configuration &before, Configuration &after) {
        setZone(before, 3, "id_being", 0);
        setZone(after, 3, "id_being", 1);
    }) << QStringList { "Зона 3: состояние «Подкл.» → «Откл.»" };
    QTest::newRow("zone output link added") << Edit([](Configuration &before, Configuration &after) {
        both(before, after, [](Configuration &c) { setZone(c, 4, "r1", 1002); });
        setZone(after, 4, "r2", 1005);
    }) << QStringList { "Зона 4: выходы «1.3» → «1.3, 1.6»" };
    QTest::newRow("zone output links in other slots") << Edit([](Configuration &before, Configuration &after) {
        setZone(before, 4, "r1", 1002);
        setZone(before, 4, "r2", 2003);
        setZone(after, 4, "r1", 2003);
        setZone(after, 4, "r7", 1002);
    }) << QStringList();

    QTest::newRow("module type, with what its rules change") << Edit([](Configuration &, Configuration &after) {
        setRowValue(after.mtDev(), 1, "id_name", 3);
    }) << QStringList { "Модуль 1: тип «КЛМ» → «КВ-8»", "Модуль 1: цепь «радиальная цепь» → нет",
                        "Модуль 1: название «КЛМ № 1» → «КВ-8 № 1»", "Вход 1 модуля 1: добавлен",
                        "Вход 2 модуля 1: добавлен" };

    QTest::newRow("detector added") << Edit([](Configuration &, Configuration &after) {
        appendDetector(after, 1, 5);
    }) << QStringList { "Модуль 1, адрес 5, канал 1: добавлен" };
    QTest::newRow("second channel of a detector added") << Edit([](Configuration &before, Configuration &after) {
        both(before, after, [](Configuration &c) { appendDetector(c, 1, 5); });
        appendDetector(after, 1, 5);
    }) << QStringList { "Модуль 1, адрес 5, канал 2: добавлен" };
    QTest::newRow("detector removed") << Edit([](Configuration &before, Configuration &) {
        appendDetector(before, 2, 7);
    }) << QStringList { "Модуль 2, адрес 7, канал 1: удалён" };
    QTest::newRow("detectors matched by address, not row") << Edit([](Configuration &before, Configuration &after) {
        appendDetector(before, 1, 5);
        appendDetector(before, 1, 6);
        appendDetector(after, 1, 6);
        appendDetector(after, 1, 5);
    }) << QStringList();
    QTest::newRow("detector serial number") << Edit([](Configuration &before, Configuration &after) {
        both(before, after, [](Configuration &c) { appendDetector(c, 1, 5); });
        setRowValue(after.mtSensor(), 1, "saddrl", 0x35);
    }) << QStringList { "Модуль 1, адрес 5, канал 1: серийный номер «1234» → «1235»" };
    QTest::newRow("device types of one name told apart by code") << Edit([](Configuration &before, Configuration &after) {
        appendDetector(before, 1, 5, 6);
        appendDetector(after, 1, 5, 7);
    }) << QStringList { "Модуль 1, адрес 5, канал 1: тип устройства «КВ-3» (6) → «КВ-3» (7)" };

    QTest::newRow("output mode") << Edit([](Configuration &before, Configuration &after) {
        appendOutput(before, 1, 2, 0);
        appendOutput(after, 1, 2, 1);
    }) << QStringList { "Выход 1.3: режим «Пожар» → «Пожаротушение»" };

    QTest::newRow("profile time") << Edit([](Configuration &, Configuration &after) {
        setRowValue(after.mtTempType(), 2, "begin_day", QTime(8, 0));
    }) << QStringList { "Профиль 2: начало дня 00:00 → 08:00" };
    QTest::newRow("event code") << Edit([](Configuration &, Configuration &after) {
        setRowValue(after.mtRepComm(), 3, "code", 573);
    }) << QStringList { "Код события 3: код 572 → 573" };
    QTest::newRow("input message") << Edit([](Configuration &, Configuration &after) {
        setRowValue(after.mtRepEnt(), 2, "name", "дверь");
    }) << QStringList { "Сообщение 2: текст «ВХІД 1 СПРАЦЮВАВ» → «ДВЕРЬ»" };

    QTest::newRow("registration number") << Edit([](Configuration &, Configuration &after) {
        after.changeSettings([&](SystemSettings &s) { s.edNumReg1 = "1234"; });
    }) << QStringList { "Первый регистрационный номер: пусто → «1234»" };
    QTest::newRow("check box") << Edit([](Configuration &, Configuration &after) {
        after.changeSettings([&](SystemSettings &s) { s.ckbFire = true; });
    }) << QStringList { "Реле «ПОЖАР»: нет → да" };
    QTest::newRow("access code") << Edit([](Configuration &, Configuration &after) {
        after.changeSettings([&](SystemSettings &s) { s.edAdminPass[2] = "1111"; });
    }) << QStringList { "Код доступа администратора 3: пусто → «1111»" };
    QTest::newRow("dialling mode") << Edit([](Configuration &, Configuration &after) {
        after.changeSettings([&](SystemSettings &s) { s.cbModeAndOr = 1; });
    }) << QStringList { "Режим дозвона (И/ИЛИ): «ИЛИ» → «И»" };
    QTest::newRow("telephone number stored differently, shown alike") << Edit([](Configuration &, Configuration &after) {
        after.changeSettings([&](SystemSettings &s) { s.edTelNum1Raw = "000000000000000000"; });
    }) << QStringList { "Первый телефонный номер: пусто (запись пусто) → пусто (запись «000000000000000000»)" };

    QTest::newRow("one image byte") << Edit([](Configuration &, Configuration &after) {
        after.image().Whole().set(3000, 7);
    }) << QStringList { "Прочие байты образа: отличается 1 байт" };
    QTest::newRow("three image bytes") << Edit([](Configuration &, Configuration &after) {
        for (const int offset : { 3000, 3001, 200000 })
            after.image().Whole().set(offset, 7);
    }) << QStringList { "Прочие байты образа: отличаются 3 байта" };
    QTest::newRow("image bytes behind a named difference") << Edit([](Configuration &, Configuration &after) {
        after.image().Whole().set(3000, 7);
        after.changeSettings([&](SystemSettings &s) { s.ckbFire = true; });
    }) << QStringList { "Реле «ПОЖАР»: нет → да" };
}

void TestConfigurationDiff::differences()
{
    QFETCH(Edit, edit);
    QFETCH(QStringList, expected);

    Configuration before;
    Configuration after;
    edit(before, after);
    if (QTest::currentTestFailed())
        return;
    QCOMPARE(describeDifferences(before, after), expected);
}

// Outputs are counted from 1 as the lists count them, and a code is shown by its name,
// or said to have none, never as a bare number.
void TestConfigurationDiff::codesAndOutputs_namedAsTheInstallerSeesThem_data()
{
    QTest::addColumn<Edit>("edit");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("module switched off") << Edit([](Configuration &, Configuration &after) {
        setRowValue(after.mtDev(), 1, "id_being", 1);
    }) << QStringList { "Модуль 1: тип «КЛМ» → нет", "Модуль 1: цепь «радиальная цепь» → пусто",
                        "Модуль 1: состояние «Подкл.» → «Откл.»" };
    QTest::newRow("eight-channel module gone") << Edit([](Configuration &before, Configuration &after) {
        both(before, after, [](Configuration &c) {
            setRowValue(c.mtDev(), 2, "id_being", 0);
            setRowValue(c.mtDev(), 2, "id_name", 3);
        });
        setRowValue(after.mtDev(), 2, "id_name", 0);
    }) << QStringList { "Модуль 2: тип «КВ-8» → нет" };
    QTest::newRow("chain the lists do not name") << Edit([](Configuration &, Configuration &after) {
        setRowValue(after.mtDev(), 1, "id_tname", 5);
    }) << QStringList { "Модуль 1: цепь «радиальная цепь» → без названия (код 5)" };
    QTest::newRow("zone verification") << Edit([](Configuration &before, Configuration &after) {
        setZone(before, 3, "id_verif", 0);
        setZone(after, 3, "id_verif", 2);
    }) << QStringList { "Зона 3: верификация «Без верификации» → «Два извещателя»" };
    QTest::newRow("zone profile") << Edit([](Configuration &before, Configuration &after) {
        setZone(before, 3, "id_temp", 0);
        setZone(after, 3, "id_temp", 2);
    }) << QStringList { "Зона 3: профиль «Отключен» → «Профиль 2»" };
    QTest::newRow("zone driving output 8") << Edit([](Configuration &, Configuration &after) {
        setZone(after, 5, "r1", 3007);
        setZone(after, 5, "r2", 3000);
    }) << QStringList { "Зона 5: выходы нет → «3.1, 3.8»" };
    QTest::newRow("detector channel type") << Edit([](Configuration &before, Configuration &after) {
        both(before, after, [](Configuration &c) { appendDetector(c, 1, 5); });
        setRowValue(after.mtSensor(), 1, "id_chan", 2);
    }) << QStringList { "Модуль 1, адрес 5, канал 1: тип канала «Дымовой оптический» → «Тепловой»" };
    QTest::newRow("channel type the lists do not name") << Edit([](Configuration &before, Configuration &after) {
        both(before, after, [](Configuration &c) { appendDetector(c, 1, 5); });
        setRowValue(after.mtSensor(), 1, "id_chan", 6);
    }) << QStringList { "Модуль 1, адрес 5, канал 1: тип канала «Дымовой оптический» → без названия (код 6)" };
    QTest::newRow("device type") << Edit([](Configuration &before, Configuration &after) {
        appendDetector(before, 1, 5, 1);
        appendDetector(after, 1, 5, 2);
    }) << QStringList { "Модуль 1, адрес 5, канал 1: тип устройства «ЛОР-1» → «ЛОР-2»" };
    QTest::newRow("heat class") << Edit([](Configuration &before, Configuration &after) {
        both(before, after, [](Configuration &c) {
            appendDetector(c, 1, 5);
            setRowValue(c.mtSensor(), 1, "id_chan", 2);
            setRowValue(c.mtSensor(), 1, "id_mode", 0);
        });
        setRowValue(after.mtSensor(), 1, "id_mode", 5);
    }) << QStringList { "Модуль 1, адрес 5, канал 1: режим «A1    ( 65 C )» → «BR   ( 85 C )»" };
    QTest::newRow("detector state") << Edit([](Configuration &before, Configuration &after) {
        both(before, after, [](Configuration &c) { appendDetector(c, 1, 5); });
        setRowValue(after.mtSensor(), 1, "id_being", 1);
    }) << QStringList { "Модуль 1, адрес 5, канал 1: состояние «Подкл.» → «Откл.»" };
    QTest::newRow("detector offset") << Edit([](Configuration &before, Configuration &after) {
        both(before, after, [](Configuration &c) { appendDetector(c, 1, 5); });
        setRowValue(after.mtSensor(), 1, "offset", 3);
    }) << QStringList { "Модуль 1, адрес 5, канал 1: смещение пусто → 3" };
    QTest::newRow("first output") << Edit([](Configuration &before, Configuration &after) {
        appendOutput(before, 2, 0, 0);
        appendOutput(after, 2, 0, 2);
    }) << QStringList { "Выход 2.1: режим «Пожар» → «Оповещение»" };
    QTest::newRow("output 8 removed") << Edit([](Configuration &before, Configuration &) {
        appendOutput(before, 2, 7, 0);
    }) << QStringList { "Выход 2.8: удалён" };
    QTest::newRow("output channel type and state") << Edit([](Configuration &before, Configuration &after) {
        both(before, after, [](Configuration &c) { appendOutput(c, 2, 4, 0); });
        setRowValue(after.mtReturn(), 1, "id_chan", 196);
        setRowValue(after.mtReturn(), 1, "id_being", 1);
    }) << QStringList { "Выход 2.5: тип канала «Выход с контролем» → «Выход пожаротушения»",
                        "Выход 2.5: состояние пусто → «Откл.»" };
    QTest::newRow("output key") << Edit([](Configuration &before, Configuration &after) {
        both(before, after, [](Configuration &c) { appendOutput(c, 2, 4, 0); });
        setRowValue(before.mtReturn(), 1, "id_return", 2004);
        setRowValue(after.mtReturn(), 1, "id_return", 2005);
    }) << QStringList { "Выход 2.5: выход «2.5» → «2.6»" };
    QTest::newRow("input message and state") << Edit([](Configuration &before, Configuration &after) {
        both(before, after, [](Configuration &c) {
            setRowValue(c.mtDev(), 4, "id_being", 0);
            setRowValue(c.mtDev(), 4, "id_name", 3);
        });
        setRowValue(after.mtEntrance(), 2, "id_repent", 3);
        setRowValue(after.mtEntrance(), 2, "id_being", 1);
    }) << QStringList { "Вход 2 модуля 4: состояние «Подкл.» → «Откл.»",
                        "Вход 2 модуля 4: сообщение «ВХІД 0 СПРАЦЮВАВ» → «ВХІД 2 СПРАЦЮВАВ»" };
}

void TestConfigurationDiff::codesAndOutputs_namedAsTheInstallerSeesThem()
{
    differences();
}

void TestConfigurationDiff::sameConfiguration_describesNothing()
{
    Configuration config;
    appendDetector(config, 1, 5);
    appendDetector(config, 1, 5);
    setZone(config, 7, "name", "ОФИС");
    QCOMPARE(describeDifferences(config, config), QStringList());
}

QTEST_GUILESS_MAIN(TestConfigurationDiff)
#include "tst_configurationdiff.moc"
