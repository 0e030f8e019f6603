#include <model/configuration.h>
#include <model/configurationjson.h>

#include <QJsonArray>
#include <QJsonObject>
#include <QTest>

namespace {

void setRowValue(MemTable &table, int position, const QString &field, const QVariant &value)
{
    QVERIFY2(table.setRecNo(position), qPrintable(table.tableName()));
    table.setValue(field, value);
    table.post();
}

// One edit of each kind of value, so every conversion shows in the document.
void edit(Configuration &config)
{
    setRowValue(config.mtArea(), 12, "name", "склад");
    setRowValue(config.mtTempType(), 1, "begin_day", QTime(8, 30));
    MemTable &sensors = config.mtSensor();
    sensors.append();
    sensors.setValue("id_dev", 1);
    sensors.setValue("addr", 5);
    sensors.setValue("id_chan", 1);
    sensors.post();

    SystemSettings settings = config.settings();
    settings.edTelNum1Raw = "0123DDDDDDDDDDDDDD";
    settings.sbTonePulse2 = true;
    settings.cbModeAndOr = 1;
    settings.ud8 = 24;
    settings.edAdminPass[7] = "4321";
    settings.edMasterPass[3] = "9876";
    config.setSettings(settings);
}

} // namespace

class TestConfigurationJson : public QObject
{
    Q_OBJECT

private slots:
    void values_data();
    void values();
    void rows_allWhateverTheFilter();
    void rows_holdOnlyDataFields();
};

void TestConfigurationJson::values_data()
{
    QTest::addColumn<QString>("section");
    QTest::addColumn<int>("row"); // -1: the section is an object, not rows
    QTest::addColumn<QString>("key");
    QTest::addColumn<QJsonValue>("expected");

    QTest::newRow("integer") << "zones" << 11 << "id" << QJsonValue(12);
    QTest::newRow("string") << "zones" << 11 << "name" << QJsonValue("СКЛАД");
    QTest::newRow("empty string field") << "zones" << 0 << "name" << QJsonValue(QJsonValue::Null);
    QTest::newRow("boolean") << "zones" << 0 << "boolarea" << QJsonValue(false);
    QTest::newRow("empty integer field") << "sensors" << 0 << "id_mode" << QJsonValue(QJsonValue::Null);
    QTest::newRow("time") << "profiles" << 0 << "begin_day" << QJsonValue("08:30");
    QTest::newRow("midnight") << "profiles" << 0 << "begin_night" << QJsonValue("00:00");
    QTest::newRow("module caption") << "modules" << 0 << "mname" << QJsonValue("КЛМ № 1");
    QTest::newRow("event code") << "event_codes" << 2 << "code" << QJsonValue(572);
    QTest::newRow("message") << "messages" << 3 << "name" << QJsonValue("ВХІД 3 СПРАЦЮВАВ");

    QTest::newRow("raw telephone") << "settings" << -1 << "edTelNum1_raw" << QJsonValue("0123DDDDDDDDDDDDDD");
    QTest::newRow("tone button") << "settings" << -1 << "sbTonePulse2" << QJsonValue(true);
    QTest::newRow("check box") << "settings" << -1 << "ckbFire" << QJsonValue(false);
    QTest::newRow("combo box index") << "settings" << -1 << "cbModeAndOr" << QJsonValue(1);
    QTest::newRow("up-down") << "settings" << -1 << "ud8" << QJsonValue(24);
    QTest::newRow("last admin code") << "settings" << -1 << "edAdminPass8" << QJsonValue("4321");
    QTest::newRow("last master code") << "settings" << -1 << "edMasterPass4" << QJsonValue("9876");
    QTest::newRow("information message") << "settings" << -1 << "edInfMessage" << QJsonValue(" ");
    QTest::newRow("technological address") << "settings" << -1 << "edAddrKLM" << QJsonValue("1");
}

void TestConfigurationJson::values()
{
    QFETCH(QString, section);
    QFETCH(int, row);
    QFETCH(QString, key);
    QFETCH(QJsonValue, expected);

    Configuration config;
    edit(config);
    if (QTest::currentTestFailed())
        return;
    const QJsonObject json = configurationToJson(config);
    const QJsonObject object = row < 0 ? json[section].toObject() : json[section].toArray().at(row).toObject();
    QVERIFY2(object.contains(key), qPrintable(key));
    QCOMPARE(object[key], expected);
}

void TestConfigurationJson::rows_allWhateverTheFilter()
{
    Configuration config;
    edit(config);
    QVERIFY(config.mtArea().applyFilter("id=3"));
    QVERIFY(config.mtSensor().applyFilter("id_dev =2"));
    QCOMPARE(config.mtSensor().recordCount(), 0);

    const QJsonObject json = configurationToJson(config);
    QCOMPARE(json["zones"].toArray().size(), 500);
    QCOMPARE(json["zones"].toArray().at(11).toObject()["name"], QJsonValue("СКЛАД"));
    QCOMPARE(json["sensors"].toArray().size(), 1);
}

void TestConfigurationJson::rows_holdOnlyDataFields()
{
    Configuration config;
    edit(config);
    const QJsonObject json = configurationToJson(config);

    QStringList sensorFields { "id_sen", "id_chan", "addr", "id_mode", "time", "id_being", "offset", "id_area",
                               "ver", "year", "month", "saddrh", "saddrl", "id_dev", "boolarea", "index" };
    sensorFields.sort();
    QCOMPARE(json["sensors"].toArray().at(0).toObject().keys(), sensorFields);
    QStringList moduleFields { "id_name", "addr", "id_tname", "mname", "id_being" };
    moduleFields.sort();
    QCOMPARE(json["modules"].toArray().at(0).toObject().keys(), moduleFields);
}

QTEST_GUILESS_MAIN(TestConfigurationJson)
#include "tst_configurationjson.moc"
