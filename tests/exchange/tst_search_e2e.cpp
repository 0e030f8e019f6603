// The loop search end to end: the real serial port code against mirvane-panel playing
// the technological loop module.

#include "panelprocess.h"
#include "recordingnotifier.h"
#include "unexpectedwarnings.h"

#include <exchange/devicesearch.h>
#include <link/packetchannel.h>
#include <link/qtseriallink.h>
#include <model/configuration.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

QJsonObject device(int type, int version, int year, int month, int serial, int kind = -1)
{
    QJsonObject object { { "type", type }, { "version", version }, { "year", year }, { "month", month },
                         { "serial", serial } };
    if (kind >= 0)
        object.insert("kind", kind);
    return object;
}

QString writeScenario(const QTemporaryDir &dir, const QJsonObject &scenario)
{
    const QString path = dir.filePath("scenario.json");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    file.write(QJsonDocument(scenario).toJson());
    return path;
}

QStringList readLines(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

struct Program
{
    explicit Program(const QString &port, const QString &technological)
    {
        settings.port = port;
        notifier.answer = true;
        config.changeSettings([&](SystemSettings &s) { s.edAddrKLM = technological; });
        search.setPollInterval(5);
        search.setStatusRepeatInterval(300);
    }

    QtSerialLink link;
    PacketChannel channel { link };
    Configuration config;
    RecordingNotifier notifier;
    DeviceSearch search { channel, config, notifier };
    // The search of module 1's loop, or of the module given, as the modules page starts it.
    bool start(int module = 1) { return search.start(settings, module, config.settings().edAddrKLM); }

    PortSettings settings;
};

} // namespace

class TestSearchEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void threeDetectorsAndATag();
    void searchingAgain_findsOnlyDuplicates();
    void moduleFaults_data();
    void moduleFaults();

private:
    QTemporaryDir m_dir;
};

void TestSearchEndToEnd::init()
{
    failOnUnexpectedWarnings();
#ifndef Q_OS_LINUX
    QSKIP("mirvane-panel serves pseudo-terminals on Linux only");
#endif
    QVERIFY(m_dir.isValid());
}

void TestSearchEndToEnd::threeDetectorsAndATag()
{
    const QJsonObject scenario {
        { "klm", 12 },
        { "busyPolls", 2 },
        { "devices", QJsonArray { device(0x01, 0x12, 0x0D, 0x0C, 0x1234), device(0x06, 0x01, 20, 0x03, 0x0201, 0x03),
                                  device(0x02, 0x7E, 21, 0x05, 0x7D7F), device(0x04, 0x01, 22, 0x11, 0x00C6) } },
    };
    const QString log = m_dir.filePath("panel.log");
    PanelProcess panel({ "--scenario", writeScenario(m_dir, scenario), "--log", log });
    QVERIFY(!panel.port().isEmpty());

    Program program(panel.port(), QStringLiteral("12"));
    QVERIFY(program.config.mtDev().locate("addr", 3));
    program.config.mtDev().setValue("id_being", 0); // a КЛМ to add the devices to
    QVERIFY(program.start(3));

    const MemTable &found = program.config.mtSensorNew();
    const auto rowOfType = [&found](int type) {
        for (int row = 0; row < found.rowCount(); ++row) {
            if (found.rowValue(row, "id_sen").toInt() == type)
                return row;
        }
        return -1;
    };
    const auto answered = [&](int type) {
        const int row = rowOfType(type);
        return row >= 0 && found.rowValue(row, "note").toString().endsWith(";получен ответ;");
    };
    QTRY_VERIFY_WITH_TIMEOUT(found.rowCount() == 4 && answered(1) && answered(2) && answered(4), 30000);
    program.search.stop();
    QVERIFY2(program.notifier.messages == QStringList { program.notifier.questions.value(0) },
             qPrintable(program.notifier.messages.join('\n')));
    QVERIFY(panel.terminate());
    const QStringList lines = readLines(log);
    for (const QString &line : lines)
        QVERIFY2(!line.startsWith("bad-") && !line.startsWith("ack-mismatch"), qPrintable(line));

    // Each detector: listed, added at the address its note names, and told that address.
    const MemTable &sensors = program.config.mtSensor();
    QSet<int> addresses;
    const std::pair<int, const char *> detectors[] = { { 1, "01 1234" }, { 2, "02 7D7F" }, { 4, "04 00C6" } };
    for (const auto &[type, identity] : detectors) {
        const QString note = found.rowValue(rowOfType(type), "note").toString();
        static const QRegularExpression placed(QStringLiteral("^записано в базу по адресу (\\d+) ;получен ответ;$"));
        const QRegularExpressionMatch match = placed.match(note);
        QVERIFY2(match.hasMatch(), qPrintable(note));
        const int address = match.captured(1).toInt();
        addresses << address;
        QVERIFY(lines.contains(QStringLiteral("address %1 %2").arg(QLatin1String(identity)).arg(address)));
        int rows = 0;
        for (int row = 0; row < sensors.rowCount(); ++row) {
            if (sensors.rowValue(row, "id_sen").toInt() == type) {
                ++rows;
                QCOMPARE(sensors.rowValue(row, "addr").toInt(), address);
                QCOMPARE(sensors.rowValue(row, "id_dev").toInt(), 3);
            }
        }
        QCOMPARE(rows, 1);
    }
    QCOMPARE(found.rowValue(rowOfType(1), "snum").toString(), QStringLiteral("1234"));
    QCOMPARE(found.rowValue(rowOfType(1), "ver").toInt(), 12);
    // Identity bytes equal to the relay flags arrive where they lie.
    QCOMPARE(found.rowValue(rowOfType(2), "snum").toString(), QStringLiteral("7D7F"));
    for (int row = 0; row < sensors.rowCount(); ++row) {
        if (sensors.rowValue(row, "id_sen").toInt() == 2)
            QCOMPARE(sensors.rowValue(row, "ver").toInt(), 0x7E);
    }

    // The address tag: eighteen rows at one address of its own.
    QCOMPARE(found.rowValue(rowOfType(6), "note").toString(), QStringLiteral("ППКП Ворсен-16П"));
    QCOMPARE(sensors.rowCount(), 3 + 18);
    int tagAddress = 0;
    int k = 0;
    for (int row = 0; row < sensors.rowCount(); ++row) {
        const int type = sensors.rowValue(row, "id_sen").toInt();
        if (type != 7 && type != 10)
            continue;
        if (k == 0)
            tagAddress = sensors.rowValue(row, "addr").toInt();
        QCOMPARE(sensors.rowValue(row, "addr").toInt(), tagAddress);
        QCOMPARE(type, k < 2 ? 7 : 10);
        QCOMPARE(sensors.rowValue(row, "id_chan").toInt(), k < 2 ? 195 : k + 14);
        ++k;
    }
    QCOMPARE(k, 18);
    addresses << tagAddress;
    QCOMPARE(addresses, (QSet<int> { 2, 3, 4, 5 }));
}

void TestSearchEndToEnd::searchingAgain_findsOnlyDuplicates()
{
    const QJsonObject scenario {
        { "devices", QJsonArray { device(0x01, 0x12, 0x0D, 0x0C, 0x1234), device(0x07, 0x02, 22, 0x05, 0x0301, 0x21) } },
    };
    PanelProcess panel({ "--scenario", writeScenario(m_dir, scenario) });
    QVERIFY(!panel.port().isEmpty());
    Program program(panel.port(), QStringLiteral("1"));
    const MemTable &found = program.config.mtSensorNew();
    const auto notes = [&found] {
        QStringList list;
        for (int row = 0; row < found.rowCount(); ++row)
            list << found.rowValue(row, "note").toString();
        return list;
    };
    QVERIFY(program.start());
    QTRY_COMPARE_WITH_TIMEOUT(notes(), (QStringList { "записано в базу по адресу 2 ;получен ответ;", "ЗНК-8" }), 30000);
    program.search.stop();
    QCOMPARE(program.config.mtSensor().rowCount(), 1 + 10);

    QVERIFY(program.start());
    QTRY_COMPARE_WITH_TIMEOUT(notes(), (QStringList { "дубликат;", "дубликат" }), 30000);
    program.search.stop();
    QCOMPARE(program.config.mtSensor().rowCount(), 1 + 10);
    QVERIFY(panel.terminate());
}

void TestSearchEndToEnd::moduleFaults_data()
{
    QTest::addColumn<QJsonObject>("faults");
    QTest::addColumn<QString>("message");
    QTest::newRow("module does not answer") << QJsonObject { { "noAnswer", true } } << "Прибор не отвечает!";
    QTest::newRow("unknown reply code") << QJsonObject { { "unknownCodeAt", 3 } } << "Непонятная команда =05";
}

void TestSearchEndToEnd::moduleFaults()
{
    QFETCH(QJsonObject, faults);
    QFETCH(QString, message);
    const QJsonObject scenario { { "devices", QJsonArray { device(0x01, 0x01, 20, 0x01, 0x0101) } },
                                 { "faults", faults } };
    PanelProcess panel({ "--scenario", writeScenario(m_dir, scenario) });
    Program program(panel.port(), QStringLiteral("1"));
    QSignalSpy halted(&program.search, &DeviceSearch::halted);
    QVERIFY(program.start());
    QVERIFY(halted.wait(10000));
    QCOMPARE(program.notifier.informations, QStringList { message });
    program.search.stop();
}

QTEST_GUILESS_MAIN(TestSearchEndToEnd)
#include "tst_search_e2e.moc"
