#include "unexpectedwarnings.h"

#include <model/configuration.h>
#include <model/configurationfind.h>

#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// Modules 1, 3 and 13 are КЛМ, 5 a КВ-8. Device rows: 0 on 1.2 with serial 0A34; 1 and 2
// the two channels of 3.17, serial 0012; 3 on 3.5, serial 1234; 4 on 13.129, serial 0317.
// Outputs: rows 0..7 the eight of module 3, rows 8 and 9 the first two of module 5. Every
// list is filtered to rows that none of the matches is among.
void prepare(Configuration &config)
{
    MemTable &modules = config.mtDev();
    for (const int module : { 3, 13, 5 }) {
        modules.locate(ModuleField::addr, module);
        modules.setValue(ModuleField::id_being, 0);
    }
    modules.setValue(ModuleField::id_name, 3);

    MemTable &zones = config.mtArea();
    const std::pair<int, const char16_t *> names[] = {
        { 7, u"склад №2" }, { 40, u"цех 12" }, { 90, u"ёлка" }, { 200, u"Office b" }, { 317, u"коридор 3.17" }
    };
    for (const auto &[zone, name] : names) {
        zones.locate(ZoneField::id, zone);
        zones.setValue(ZoneField::name, QString::fromUtf16(name));
    }

    MemTable &sensors = config.mtSensor();
    const int devices[][5] = { // module, address, channel type, serial high and low byte
        { 1, 2, 1, 0x0A, 0x34 }, { 3, 17, 1, 0x00, 0x12 }, { 3, 17, 2, 0x00, 0x12 }, { 3, 5, 1, 0x12, 0x34 },
        { 13, 129, 1, 0x03, 0x17 }
    };
    for (const auto &d : devices) {
        sensors.append();
        sensors.setValueSilently(SensorField::id_dev, d[0]);
        sensors.setValueSilently(SensorField::addr, d[1]);
        sensors.setValueSilently(SensorField::id_chan, d[2]);
        sensors.setValueSilently(SensorField::saddrh, d[3]);
        sensors.setValueSilently(SensorField::saddrl, d[4]);
        sensors.post();
    }

    MemTable &outputs = config.mtReturn();
    for (const auto &[module, count] : { std::pair(3, 8), std::pair(5, 2) }) {
        for (int offset = 0; offset < count; ++offset) {
            outputs.append();
            outputs.setValueSilently(OutputField::id_dev, module);
            outputs.setValueSilently(OutputField::offset, offset);
            outputs.setValueSilently(OutputField::id_return, module * 1000 + offset);
            outputs.post();
        }
    }

    zones.applyFilter(u"id=1"_s);
    modules.applyFilter(u"addr=2"_s);
    sensors.applyFilter(u"id_dev =2"_s);
    outputs.applyFilter(u"id_return=0"_s);
}

// "page 1 mtSensor row 3 device 3.5": where the window goes and what it selects there.
QString described(const Configuration &config, const FoundRow &match)
{
    QString key;
    switch (match.kind) {
    case FoundRow::Kind::Zone:
        key = u"zone %1"_s.arg(match.zone);
        break;
    case FoundRow::Kind::Module:
        key = u"module %1"_s.arg(match.module);
        break;
    case FoundRow::Kind::Device:
        key = u"device %1.%2"_s.arg(match.module).arg(match.address);
        break;
    case FoundRow::Kind::Output:
        key = u"output %1"_s.arg(match.outputKey);
        break;
    }
    return u"page %1 %2 row %3 %4"_s.arg(int(match.page()))
            .arg(ConfigurationFind::table(config, match.kind).tableName())
            .arg(match.row)
            .arg(key);
}

QStringList described(const Configuration &config, const QList<FoundRow> &matches)
{
    QStringList lines;
    for (const FoundRow &match : matches)
        lines << described(config, match);
    return lines;
}

} // namespace

class TestConfigurationFind : public QObject
{
    Q_OBJECT

private slots:
    void init() { failOnUnexpectedWarnings(); }
    void matches_data();
    void matches();
    void following_cyclesThroughTheMatches();
    void following_aMatchNoLongerThere_goesOnFromItsPlace();
    void findNext_wrapsAroundAndSeesChangedTables();
    void nothingFound_data();
    void nothingFound();
};

void TestConfigurationFind::matches_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QStringList>("found");

    const QString zone317 = u"page 0 mtArea row 316 zone 317"_s;
    const QString device0A34 = u"page 1 mtSensor row 0 device 1.2"_s;
    const QString device317a = u"page 1 mtSensor row 1 device 3.17"_s;
    const QString device317b = u"page 1 mtSensor row 2 device 3.17"_s;
    const QString device35 = u"page 1 mtSensor row 3 device 3.5"_s;

    QTest::newRow("zone number") << u"317"_s << QStringList { zone317 };
    QTest::newRow("last zone") << u"500"_s << QStringList { u"page 0 mtArea row 499 zone 500"_s };
    QTest::newRow("zone as the list shows it") << u"Зона 317"_s << QStringList { zone317 };
    QTest::newRow("zone label in any case and spacing") << u" зона  317 "_s << QStringList { zone317 };
    // A number is a zone and a part of names alike.
    QTest::newRow("zone number and part of a name")
            << u"12"_s << QStringList { u"page 0 mtArea row 11 zone 12"_s, u"page 0 mtArea row 39 zone 40"_s };
    QTest::newRow("lower-case Cyrillic part of a name") << u"склад"_s << QStringList { u"page 0 mtArea row 6 zone 7"_s };
    QTest::newRow("ё of a name") << u"ёл"_s << QStringList { u"page 0 mtArea row 89 zone 90"_s };
    QTest::newRow("lower-case Latin part of a name") << u"office"_s << QStringList { u"page 0 mtArea row 199 zone 200"_s };

    QTest::newRow("serial as the device bears it") << u"0A34"_s << QStringList { device0A34 };
    QTest::newRow("serial in lower case") << u"0a34"_s << QStringList { device0A34 };
    QTest::newRow("serial as the lists show it, in every row showing it")
            << u"0034"_s << QStringList { device0A34, device35 };
    QTest::newRow("serial of a device with two channels") << u"0012"_s << QStringList { device317a, device317b };
    QTest::newRow("serial with a leading zero is no zone number")
            << u"0317"_s << QStringList { u"page 1 mtSensor row 4 device 13.129"_s };

    QTest::newRow("module.address and a name holding it")
            << u"3.17"_s << QStringList { zone317, device317a, device317b };
    QTest::newRow("module,address") << u"3,17"_s << QStringList { device317a, device317b };
    QTest::newRow("last loop address") << u"13.129"_s << QStringList { u"page 1 mtSensor row 4 device 13.129"_s };
    QTest::newRow("module.address that is also module.output")
            << u"3.5"_s << QStringList { device35, u"page 2 mtReturn row 4 output 3004"_s };
    QTest::newRow("first output, and a name holding the text")
            << u"3.1"_s << QStringList { zone317, u"page 2 mtReturn row 0 output 3000"_s };
    QTest::newRow("eighth output") << u"3.8"_s << QStringList { u"page 2 mtReturn row 7 output 3007"_s };
    QTest::newRow("output of another module") << u"5.2"_s << QStringList { u"page 2 mtReturn row 9 output 5001"_s };

    QTest::newRow("module label") << u"клм"_s
                                  << QStringList { u"page 1 mtDev row 0 module 1"_s, u"page 1 mtDev row 2 module 3"_s,
                                                   u"page 1 mtDev row 12 module 13"_s };
    QTest::newRow("eight-channel module label") << u"кв-8"_s << QStringList { u"page 1 mtDev row 4 module 5"_s };
    QTest::newRow("zones before modules")
            << u"3"_s << QStringList { u"page 0 mtArea row 2 zone 3"_s, zone317, u"page 1 mtDev row 2 module 3"_s,
                                        u"page 1 mtDev row 12 module 13"_s };
}

void TestConfigurationFind::matches()
{
    QFETCH(QString, text);
    QFETCH(QStringList, found);

    Configuration config;
    prepare(config);
    const QList<FoundRow> matches = ConfigurationFind::matches(config, text);
    QCOMPARE(described(config, matches), found);

    // Each is shown: its page's filters let it through and it is the current row.
    PageFilters filters(config);
    for (const FoundRow &match : matches) {
        QVERIFY(ConfigurationFind::show(config, filters, match));
        const MemTable &table = ConfigurationFind::table(config, match.kind);
        for (int field = 0; field < table.fields().size(); ++field) {
            if (table.fields().at(field).isData())
                QCOMPARE(table.value(field), table.rowValue(match.row, field));
        }
    }
}

void TestConfigurationFind::following_cyclesThroughTheMatches()
{
    Configuration config;
    prepare(config);
    const QList<FoundRow> found = ConfigurationFind::matches(config, u"3"_s);
    QCOMPARE(found.size(), 4);

    for (int i = 0; i < found.size(); ++i)
        QCOMPARE(ConfigurationFind::following(found, found.at(i)), found.at((i + 1) % found.size()));
    QCOMPARE(ConfigurationFind::following({}, found.first()), std::nullopt);
}

void TestConfigurationFind::following_aMatchNoLongerThere_goesOnFromItsPlace()
{
    Configuration config;
    prepare(config);
    const QList<FoundRow> found = ConfigurationFind::matches(config, u"3"_s);

    FoundRow previous;
    previous.kind = FoundRow::Kind::Zone;
    previous.row = 100;
    QCOMPARE(described(config, *ConfigurationFind::following(found, previous)), u"page 0 mtArea row 316 zone 317"_s);
    previous.kind = FoundRow::Kind::Device; // after every module: round to the first zone
    previous.row = 0;
    QCOMPARE(ConfigurationFind::following(found, previous), found.first());
}

void TestConfigurationFind::findNext_wrapsAroundAndSeesChangedTables()
{
    Configuration config;
    prepare(config);
    ConfigurationFind find(config);
    QCOMPARE(find.findNext(), std::nullopt); // nothing asked yet

    QCOMPARE(described(config, *find.find(u"0034"_s)), u"page 1 mtSensor row 0 device 1.2"_s);
    QCOMPARE(described(config, *find.findNext()), u"page 1 mtSensor row 3 device 3.5"_s);
    QCOMPARE(described(config, *find.findNext()), u"page 1 mtSensor row 0 device 1.2"_s);

    QCOMPARE(described(config, *find.find(u"склад"_s)), u"page 0 mtArea row 6 zone 7"_s);
    MemTable &zones = config.mtArea();
    zones.applyFilter(QString());
    zones.setRecNo(9);
    zones.setValue(ZoneField::name, u"склад 3"_s);
    QCOMPARE(described(config, *find.findNext()), u"page 0 mtArea row 8 zone 9"_s);
    QCOMPARE(described(config, *find.findNext()), u"page 0 mtArea row 6 zone 7"_s);

    zones.setRecNo(7);
    zones.setValue(ZoneField::name, u"цех"_s);
    QCOMPARE(described(config, *find.findNext()), u"page 0 mtArea row 8 zone 9"_s);
    QCOMPARE(described(config, *find.findNext()), u"page 0 mtArea row 8 zone 9"_s); // the only one left
    QCOMPARE(find.text(), u"склад"_s);
}

void TestConfigurationFind::nothingFound_data()
{
    QTest::addColumn<QString>("text");

    QTest::newRow("empty") << QString();
    QTest::newRow("blank") << u"  \t "_s;
    QTest::newRow("zone beyond 500") << u"501"_s;
    QTest::newRow("zone 0") << u"0"_s;
    QTest::newRow("signed number") << u"+12"_s;
    QTest::newRow("label word alone") << u"Зона"_s;
    QTest::newRow("zone label with leading zeros") << u"Зона 0317"_s;
    QTest::newRow("serial of three digits") << u"A34"_s;
    QTest::newRow("serial of five digits") << u"0A345"_s;
    QTest::newRow("no device at the address") << u"3.18"_s;
    QTest::newRow("output 0") << u"3.0"_s;
    QTest::newRow("output beyond the eighth") << u"3.9"_s;
    QTest::newRow("module beyond 16") << u"17.2"_s;
    QTest::newRow("loop address beyond 129") << u"13.130"_s;
    QTest::newRow("two points") << u"3.1.7"_s;
    QTest::newRow("unknown text") << u"ангар"_s;
}

void TestConfigurationFind::nothingFound()
{
    QFETCH(QString, text);

    Configuration config;
    prepare(config);
    QCOMPARE(described(config, ConfigurationFind::matches(config, text)), QStringList());
    ConfigurationFind find(config);
    QCOMPARE(find.find(text), std::nullopt);
    QCOMPARE(find.findNext(), std::nullopt);
    QCOMPARE(ConfigurationFind::notFound(text), u" Не найдено: "_s + text);
}

QTEST_GUILESS_MAIN(TestConfigurationFind)
#include "tst_configurationfind.moc"
