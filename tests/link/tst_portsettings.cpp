#include "portsettingstostring.h"
#include "unexpectedwarnings.h"

#include <link/portsettings.h>
#include <link/portsettingsstore.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(PortSettings)


namespace {

// The four flow-control lines as bits, so tables can list them compactly.
enum Line { Rts = 1, Cts = 2, XonIn = 4, XonOut = 8 };

int linesOf(const PortSettings &settings)
{
    return (settings.rtsHandshake ? Rts : 0) | (settings.ctsOutputFlow ? Cts : 0)
            | (settings.xonXoffInput ? XonIn : 0) | (settings.xonXoffOutput ? XonOut : 0);
}

PortSettings withLines(PortSettings settings, int lines)
{
    settings.rtsHandshake = lines & Rts;
    settings.ctsOutputFlow = lines & Cts;
    settings.xonXoffInput = lines & XonIn;
    settings.xonXoffOutput = lines & XonOut;
    return settings;
}

PortSettings make(const QString &port, const QString &baudRate, int customBaudRate,
                  const QString &dataBits, const QString &stopBits, const QString &parity,
                  int lines)
{
    PortSettings settings;
    settings.port = port;
    settings.baudRate = baudRate;
    settings.customBaudRate = customBaudRate;
    settings.dataBits = dataBits;
    settings.stopBits = stopBits;
    settings.parity = parity;
    return withLines(settings, lines);
}

// Loads start from values unlike every start value, so a value left alone shows.
PortSettings beforeLoad()
{
    return make(QStringLiteral("COM7"), QStringLiteral("115200"), 777, QStringLiteral("5"),
                QStringLiteral("2"), QStringLiteral("Odd"), Rts);
}

// What a load gives when nothing is stored.
PortSettings loadedFromNothing()
{
    return make(QString(), QStringLiteral("9600"), 777, QStringLiteral("8"), QStringLiteral("1"),
                QStringLiteral("None"), Rts);
}

QString storedGroup()
{
    return QStringLiteral("ComPort1");
}

} // namespace

class TestPortSettings : public QObject
{
    Q_OBJECT

private slots:
    void init();

    void flowControl_summarisesFourLines_data();
    void flowControl_summarisesFourLines();
    void setFlowControl_setsFourLines_data();
    void setFlowControl_setsFourLines();
    void effectiveBaudRate_data();
    void effectiveBaudRate();
    void equality_seesEveryField_data();
    void equality_seesEveryField();

    void store_roundTrip_data();
    void store_roundTrip();
    void store_writesNamedTexts_data();
    void store_writesNamedTexts();
    void load_readsStoredTexts_data();
    void load_readsStoredTexts();
    void store_unwritable_fails_data();
    void store_unwritable_fails();
    void load_unreadable_failsAndKeepsSettings_data();
    void load_unreadable_failsAndKeepsSettings();

private:
    QString iniPath() const { return m_dir->filePath(QStringLiteral("sub/ComPort.ini")); }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void TestPortSettings::init()
{
    failOnUnexpectedWarnings();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void TestPortSettings::flowControl_summarisesFourLines_data()
{
    QTest::addColumn<int>("lines");
    QTest::addColumn<QString>("summary");

    QTest::newRow("all off") << 0 << QStringLiteral("None");
    QTest::newRow("rts and cts") << (Rts | Cts) << QStringLiteral("Hardware");
    QTest::newRow("xon in and out") << (XonIn | XonOut) << QStringLiteral("Software");
    QTest::newRow("rts only") << int(Rts) << QStringLiteral("Custom");
    QTest::newRow("cts only") << int(Cts) << QStringLiteral("Custom");
    QTest::newRow("xon in only") << int(XonIn) << QStringLiteral("Custom");
    QTest::newRow("xon out only") << int(XonOut) << QStringLiteral("Custom");
    QTest::newRow("hardware with xon in") << (Rts | Cts | XonIn) << QStringLiteral("Custom");
    QTest::newRow("software with rts") << (XonIn | XonOut | Rts) << QStringLiteral("Custom");
    QTest::newRow("software with cts") << (XonIn | XonOut | Cts) << QStringLiteral("Custom");
    QTest::newRow("all four") << (Rts | Cts | XonIn | XonOut) << QStringLiteral("Custom");
}

void TestPortSettings::flowControl_summarisesFourLines()
{
    QFETCH(int, lines);
    QFETCH(QString, summary);
    QCOMPARE(withLines(PortSettings(), lines).flowControl(), summary);
}

void TestPortSettings::setFlowControl_setsFourLines_data()
{
    QTest::addColumn<int>("linesBefore");
    QTest::addColumn<QString>("flowControl");
    QTest::addColumn<int>("linesAfter");

    const int all = Rts | Cts | XonIn | XonOut;
    QTest::newRow("hardware from all") << all << QStringLiteral("Hardware") << (Rts | Cts);
    QTest::newRow("hardware from none") << 0 << QStringLiteral("Hardware") << (Rts | Cts);
    QTest::newRow("software from all") << all << QStringLiteral("Software") << (XonIn | XonOut);
    QTest::newRow("software from hardware")
            << (Rts | Cts) << QStringLiteral("Software") << (XonIn | XonOut);
    QTest::newRow("none from all") << all << QStringLiteral("None") << 0;
    QTest::newRow("custom keeps a mix")
            << (Rts | XonOut) << QStringLiteral("Custom") << (Rts | XonOut);
    QTest::newRow("custom keeps hardware")
            << (Rts | Cts) << QStringLiteral("Custom") << (Rts | Cts);
}

void TestPortSettings::setFlowControl_setsFourLines()
{
    QFETCH(int, linesBefore);
    QFETCH(QString, flowControl);
    QFETCH(int, linesAfter);

    PortSettings settings = withLines(PortSettings(), linesBefore);
    settings.setFlowControl(flowControl);
    QCOMPARE(linesOf(settings), linesAfter);
}

void TestPortSettings::effectiveBaudRate_data()
{
    QTest::addColumn<QString>("baudRate");
    QTest::addColumn<int>("customBaudRate");
    QTest::addColumn<int>("effective");

    QTest::newRow("offered rate") << QStringLiteral("9600") << 250000 << 9600;
    QTest::newRow("highest offered rate") << QStringLiteral("256000") << 250000 << 256000;
    QTest::newRow("custom") << QStringLiteral("Custom") << 250000 << 250000;
}

void TestPortSettings::effectiveBaudRate()
{
    QFETCH(QString, baudRate);
    QFETCH(int, customBaudRate);
    QFETCH(int, effective);

    PortSettings settings;
    settings.baudRate = baudRate;
    settings.customBaudRate = customBaudRate;
    QCOMPARE(settings.effectiveBaudRate(), effective);
}

void TestPortSettings::equality_seesEveryField_data()
{
    QTest::addColumn<PortSettings>("changed");

    const PortSettings base;
    PortSettings s = base;
    s.port = QStringLiteral("COM2");
    QTest::newRow("port") << s;
    s = base;
    s.baudRate = QStringLiteral("19200");
    QTest::newRow("baud rate") << s;
    s = base;
    s.customBaudRate = 1;
    QTest::newRow("custom baud rate") << s;
    s = base;
    s.dataBits = QStringLiteral("7");
    QTest::newRow("data bits") << s;
    s = base;
    s.stopBits = QStringLiteral("2");
    QTest::newRow("stop bits") << s;
    s = base;
    s.parity = QStringLiteral("Even");
    QTest::newRow("parity") << s;
    QTest::newRow("rts") << withLines(base, Rts);
    QTest::newRow("cts") << withLines(base, Cts);
    QTest::newRow("xon in") << withLines(base, XonIn);
    QTest::newRow("xon out") << withLines(base, XonOut);
}

void TestPortSettings::equality_seesEveryField()
{
    QFETCH(PortSettings, changed);
    const PortSettings base;
    QVERIFY(base == PortSettings());
    QVERIFY(!(changed == base));
    QVERIFY(changed != base);
}

void TestPortSettings::store_roundTrip_data()
{
    QTest::addColumn<PortSettings>("settings");

    QTest::newRow("start values with a port")
            << make(QStringLiteral("COM1"), QStringLiteral("9600"), 9600, QStringLiteral("8"),
                    QStringLiteral("1"), QStringLiteral("None"), 0);
    QTest::newRow("custom rate, hardware")
            << make(QStringLiteral("/dev/ttyUSB0"), QStringLiteral("Custom"), 250000,
                    QStringLiteral("7"), QStringLiteral("2"), QStringLiteral("Even"), Rts | Cts);
    QTest::newRow("software, one and a half stop bits")
            << make(QStringLiteral("COM12"), QStringLiteral("115200"), 9600, QStringLiteral("5"),
                    QStringLiteral("1.5"), QStringLiteral("Mark"), XonIn | XonOut);
    QTest::newRow("space parity, six bits")
            << make(QStringLiteral("ttyS3"), QStringLiteral("110"), 9600, QStringLiteral("6"),
                    QStringLiteral("1"), QStringLiteral("Space"), 0);
}

void TestPortSettings::store_roundTrip()
{
    QFETCH(PortSettings, settings);

    const PortSettingsStore store(iniPath());
    QString error;
    QVERIFY2(store.StoreSettings(settings, &error), qPrintable(error));

    PortSettings loaded;
    QVERIFY2(store.LoadSettings(loaded, &error), qPrintable(error));
    QCOMPARE(loaded, settings);
}

void TestPortSettings::store_writesNamedTexts_data()
{
    QTest::addColumn<PortSettings>("settings");
    QTest::addColumn<QVariantMap>("stored");

    QTest::newRow("offered rate writes no custom rate")
            << make(QStringLiteral("COM3"), QStringLiteral("57600"), 250000, QStringLiteral("8"),
                    QStringLiteral("1"), QStringLiteral("None"), Rts | Cts)
            << QVariantMap { { QStringLiteral("Port"), QStringLiteral("COM3") },
                             { QStringLiteral("BaudRate"), QStringLiteral("57600") },
                             { QStringLiteral("StopBits"), QStringLiteral("1") },
                             { QStringLiteral("DataBits"), QStringLiteral("8") },
                             { QStringLiteral("Parity"), QStringLiteral("None") },
                             { QStringLiteral("FlowControl"), QStringLiteral("Hardware") } };
    QTest::newRow("custom rate is written")
            << make(QString(), QStringLiteral("Custom"), 250000, QStringLiteral("7"),
                    QStringLiteral("1.5"), QStringLiteral("Odd"), Rts)
            << QVariantMap { { QStringLiteral("Port"), QString() },
                             { QStringLiteral("BaudRate"), QStringLiteral("Custom") },
                             { QStringLiteral("CustomBaudRate"), QStringLiteral("250000") },
                             { QStringLiteral("StopBits"), QStringLiteral("1.5") },
                             { QStringLiteral("DataBits"), QStringLiteral("7") },
                             { QStringLiteral("Parity"), QStringLiteral("Odd") },
                             { QStringLiteral("FlowControl"), QStringLiteral("Custom") } };
}

void TestPortSettings::store_writesNamedTexts()
{
    QFETCH(PortSettings, settings);
    QFETCH(QVariantMap, stored);

    QString error;
    QVERIFY2(PortSettingsStore(iniPath()).StoreSettings(settings, &error), qPrintable(error));

    QSettings raw(iniPath(), QSettings::IniFormat);
    QCOMPARE(raw.childGroups(), QStringList { storedGroup() });
    raw.beginGroup(storedGroup());
    QVariantMap written;
    for (const QString &key : raw.childKeys())
        written.insert(key, raw.value(key).toString());
    QCOMPARE(written, stored);
}

void TestPortSettings::load_readsStoredTexts_data()
{
    QTest::addColumn<QVariantMap>("stored");
    QTest::addColumn<PortSettings>("loaded");

    const PortSettings nothing = loadedFromNothing();
    PortSettings s = nothing;

    QTest::newRow("nothing stored") << QVariantMap() << nothing;

    s = nothing;
    s.port = QStringLiteral("COM4");
    QTest::newRow("port only") << QVariantMap { { QStringLiteral("Port"), QStringLiteral("COM4") } }
                               << s;

    QTest::newRow("9600") << QVariantMap { { QStringLiteral("BaudRate"), QStringLiteral("9600") } }
                          << nothing;

    QTest::newRow("rate not offered")
            << QVariantMap { { QStringLiteral("BaudRate"), QStringLiteral("1234") } } << nothing;

    s = nothing;
    s.baudRate = QStringLiteral("Custom");
    s.customBaudRate = 250000;
    QTest::newRow("custom in small letters")
            << QVariantMap { { QStringLiteral("BaudRate"), QStringLiteral("custom") },
                             { QStringLiteral("CustomBaudRate"), 250000 } }
            << s;

    s = nothing;
    s.baudRate = QStringLiteral("19200");
    QTest::newRow("custom rate ignored for an offered rate")
            << QVariantMap { { QStringLiteral("BaudRate"), QStringLiteral("19200") },
                             { QStringLiteral("CustomBaudRate"), 250000 } }
            << s;

    s = nothing;
    s.parity = QStringLiteral("Even");
    QTest::newRow("EVEN") << QVariantMap { { QStringLiteral("Parity"), QStringLiteral("EVEN") } }
                          << s;

    s = make(QStringLiteral("COM9"), QStringLiteral("256000"), 777, QStringLiteral("6"),
             QStringLiteral("1.5"), QStringLiteral("Space"), XonIn | XonOut);
    QTest::newRow("every value, any case")
            << QVariantMap { { QStringLiteral("Port"), QStringLiteral("COM9") },
                             { QStringLiteral("BaudRate"), QStringLiteral("256000") },
                             { QStringLiteral("DataBits"), QStringLiteral("6") },
                             { QStringLiteral("StopBits"), QStringLiteral("1.5") },
                             { QStringLiteral("Parity"), QStringLiteral("sPACE") },
                             { QStringLiteral("FlowControl"), QStringLiteral("software") } }
            << s;

    QTest::newRow("texts not offered")
            << QVariantMap { { QStringLiteral("BaudRate"), QStringLiteral("") },
                             { QStringLiteral("DataBits"), QStringLiteral("9") },
                             { QStringLiteral("StopBits"), QStringLiteral("3") },
                             { QStringLiteral("Parity"), QStringLiteral("Zero") },
                             { QStringLiteral("FlowControl"), QStringLiteral("Both") } }
            << nothing;

    QTest::newRow("custom flow keeps the lines")
            << QVariantMap { { QStringLiteral("FlowControl"), QStringLiteral("CUSTOM") } } << nothing;

    QTest::newRow("no flow control")
            << QVariantMap { { QStringLiteral("FlowControl"), QStringLiteral("none") } }
            << withLines(nothing, 0);

    QTest::newRow("hardware flow control")
            << QVariantMap { { QStringLiteral("FlowControl"), QStringLiteral("Hardware") } }
            << withLines(nothing, Rts | Cts);
}

void TestPortSettings::load_readsStoredTexts()
{
    QFETCH(QVariantMap, stored);
    QFETCH(PortSettings, loaded);

    {
        QSettings raw(iniPath(), QSettings::IniFormat);
        raw.beginGroup(storedGroup());
        for (auto it = stored.cbegin(); it != stored.cend(); ++it)
            raw.setValue(it.key(), it.value());
    }

    PortSettings settings = beforeLoad();
    QString error;
    QVERIFY2(PortSettingsStore(iniPath()).LoadSettings(settings, &error), qPrintable(error));
    QCOMPARE(settings, loaded);
}

void TestPortSettings::store_unwritable_fails_data()
{
    QTest::addColumn<QString>("iniName");
    // Both refuse root too, unlike file permissions.
    QTest::newRow("path under a regular file") << QStringLiteral("file/ComPort.ini");
    QTest::newRow("path is a directory") << QStringLiteral("directory");
}

void TestPortSettings::store_unwritable_fails()
{
    QFETCH(QString, iniName);

    QFile file(m_dir->filePath(QStringLiteral("file")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("directory")));

    QString error;
    QVERIFY(!PortSettingsStore(m_dir->filePath(iniName)).StoreSettings(PortSettings(), &error));
    QCOMPARE(error, QStringLiteral("Failed to store settings"));
}

void TestPortSettings::load_unreadable_failsAndKeepsSettings_data()
{
    QTest::addColumn<QByteArray>("content"); // empty: the path is a directory
    QTest::addColumn<PortSettings>("kept");

    QTest::newRow("path is a directory") << QByteArray() << beforeLoad();
    QTest::newRow("group header never closed") << QByteArray("[ComPort1\nPort=COM3\n") << beforeLoad();

    // The values before the custom rate are read and stay; those after it are not reached.
    PortSettings custom = beforeLoad();
    custom.port = QStringLiteral("COM5");
    custom.baudRate = QStringLiteral("Custom");
    QTest::newRow("custom without a custom rate")
            << QByteArray("[ComPort1]\nPort=COM5\nBaudRate=custom\nDataBits=7\nParity=Even\n") << custom;
    QTest::newRow("custom rate not a number")
            << QByteArray("[ComPort1]\nPort=COM5\nBaudRate=Custom\nCustomBaudRate=fast\nStopBits=1\n") << custom;
}

void TestPortSettings::load_unreadable_failsAndKeepsSettings()
{
    QFETCH(QByteArray, content);
    QFETCH(PortSettings, kept);

    const QString path = m_dir->filePath(QStringLiteral("ComPort.ini"));
    if (content.isEmpty()) {
        QVERIFY(QDir(m_dir->path()).mkdir(QStringLiteral("ComPort.ini")));
    } else {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
    }

    PortSettings settings = beforeLoad();
    QString error;
    QVERIFY(!PortSettingsStore(path).LoadSettings(settings, &error));
    QCOMPARE(error, QStringLiteral("Failed to load settings"));
    QCOMPARE(settings, kept);
}

QTEST_GUILESS_MAIN(TestPortSettings)
#include "tst_portsettings.moc"
