#include "unexpectedwarnings.h"

#include <link/portchoices.h>
#include <link/virtualpanels.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(PortChoice)
Q_DECLARE_METATYPE(PortDetails)

namespace {

PortChoice plain(const QString &name)
{
    return { name, name };
}

PortChoice panel(const QString &path)
{
    return { path, u"виртуальный прибор ("_s + path + u')' };
}

bool writeFile(const QString &fileName, const QByteArray &content)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// The number of a process that has ended and been reaped.
qint64 endedProcess()
{
    QProcess process;
    process.start(u"sh"_s, { u"-c"_s, u"exit 0"_s });
    if (!process.waitForStarted(5000))
        return 0;
    const qint64 pid = process.processId();
    process.waitForFinished(5000);
    return pid;
}

} // namespace

class tst_VirtualPanels : public QObject
{
    Q_OBJECT

private slots:
    void init() { failOnUnexpectedWarnings(); }

    void choices_panelsAmongTheSystemsPorts_data();
    void choices_panelsAmongTheSystemsPorts();
    void announcement_foundWhileItLives();
    void describe_namesWhatIsKnown_data();
    void describe_namesWhatIsKnown();
    void staleOrUnreadable_notOffered();
};

void tst_VirtualPanels::choices_panelsAmongTheSystemsPorts_data()
{
    QTest::addColumn<QStringList>("system");
    QTest::addColumn<QStringList>("panels");
    QTest::addColumn<QString>("current");
    QTest::addColumn<QList<PortChoice>>("offered");
    QTest::newRow("one panel") << QStringList { u"ttyUSB0"_s, u"ttyS0"_s } << QStringList { u"/dev/pts/3"_s }
                               << QString()
                               << QList<PortChoice> { panel(u"/dev/pts/3"_s), plain(u"ttyS0"_s), plain(u"ttyUSB0"_s) };
    QTest::newRow("panels by number") << QStringList { u"COM1"_s } << QStringList { u"/dev/pts/10"_s, u"/dev/pts/2"_s }
                                      << u"COM1"_s
                                      << QList<PortChoice> { panel(u"/dev/pts/2"_s), panel(u"/dev/pts/10"_s),
                                                             plain(u"COM1"_s) };
    QTest::newRow("current is a panel") << QStringList { u"COM1"_s } << QStringList { u"/dev/pts/4"_s }
                                        << u"/dev/pts/4"_s
                                        << QList<PortChoice> { panel(u"/dev/pts/4"_s), plain(u"COM1"_s) };
    QTest::newRow("current panel has ended") << QStringList { u"COM1"_s } << QStringList() << u"/dev/pts/4"_s
                                             << QList<PortChoice> { plain(u"/dev/pts/4"_s), plain(u"COM1"_s) };
    QTest::newRow("no panels") << QStringList { u"COM10"_s, u"COM2"_s } << QStringList() << u"COM3"_s
                               << QList<PortChoice> { plain(u"COM2"_s), plain(u"COM3"_s), plain(u"COM10"_s) };
}

void tst_VirtualPanels::choices_panelsAmongTheSystemsPorts()
{
    QFETCH(QStringList, system);
    QFETCH(QStringList, panels);
    QFETCH(QString, current);
    QFETCH(QList<PortChoice>, offered);
    QCOMPARE(PortChoices::choices(system, panels, current), offered);
}

void tst_VirtualPanels::announcement_foundWhileItLives()
{
    const QTemporaryDir runtime;
    QVERIFY(runtime.isValid());
    const QString folder = runtime.filePath(u"mirvane-panel"_s); // made by the first announcement
    const QString terminal = runtime.filePath(u"pts-7"_s);
    QVERIFY(writeFile(terminal, {}));
    QCOMPARE(VirtualPanels::runningPorts(folder), QStringList());
    {
        const VirtualPanelAnnouncement announcement(terminal, folder);
        QCOMPARE(announcement.error(), QString());
        QCOMPARE(VirtualPanels::runningPorts(folder), QStringList { terminal });
        QCOMPARE(VirtualPanels::runningPorts(folder), QStringList { terminal }); // a live one stays
        QCOMPARE(PortChoices::available(QString(), folder).count(panel(terminal)), 1);
        const QList<PortDetails> listed = PortChoices::systemPortDetails(folder);
        QCOMPARE(std::count_if(listed.begin(), listed.end(),
                               [&](const PortDetails &port) {
                                   return PortChoices::describe(port) == terminal + u"  виртуальный прибор"_s;
                               }),
                 1);
    }
    QCOMPARE(VirtualPanels::runningPorts(folder), QStringList());
    QCOMPARE(QDir(folder).entryList(QDir::Files), QStringList());

    const VirtualPanelAnnouncement nowhere(terminal, runtime.filePath(u"pts-7/mirvane-panel"_s));
    QVERIFY(!nowhere.error().isEmpty());
}

void tst_VirtualPanels::describe_namesWhatIsKnown_data()
{
    QTest::addColumn<PortDetails>("port");
    QTest::addColumn<QString>("line");
    QTest::newRow("nothing but the name") << PortDetails { u"ttyS0"_s, {}, {}, {}, {}, {} } << u"ttyS0"_s;
    QTest::newRow("a USB adapter")
            << PortDetails { u"ttyUSB0"_s, u"USB-Serial Controller"_s, u"Prolific"_s, 0x067b, 0x2303, u"A1B2"_s }
            << u"ttyUSB0  USB-Serial Controller; изготовитель Prolific; USB 067b:2303; серийный номер A1B2"_s;
    QTest::newRow("no product, no serial number")
            << PortDetails { u"ttyACM0"_s, {}, u"FTDI"_s, 0x0403, std::nullopt, {} }
            << u"ttyACM0  изготовитель FTDI; USB 0403:?"_s;
}

void tst_VirtualPanels::describe_namesWhatIsKnown()
{
    QFETCH(PortDetails, port);
    QFETCH(QString, line);
    QCOMPARE(PortChoices::describe(port), line);
}

void tst_VirtualPanels::staleOrUnreadable_notOffered()
{
    const QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString terminal = folder.filePath(u"pts-1"_s);
    QVERIFY(writeFile(terminal, {}));
    const qint64 ended = endedProcess();
    QVERIFY(ended > 0);
    const QByteArray living = QByteArray::number(QCoreApplication::applicationPid());

    QVERIFY(writeFile(folder.filePath(u"1.pty"_s), QByteArray::number(ended) + '\n' + terminal.toLocal8Bit() + '\n'));
    QVERIFY(writeFile(folder.filePath(u"2.pty"_s), living + "\n" + folder.filePath(u"pts-2"_s).toLocal8Bit() + '\n'));
    QVERIFY(writeFile(folder.filePath(u"3.pty"_s), "not a number\n" + terminal.toLocal8Bit() + '\n'));
    QVERIFY(writeFile(folder.filePath(u"4.pty"_s), living));
    QVERIFY(writeFile(folder.filePath(u"5.txt"_s), living + '\n' + terminal.toLocal8Bit() + '\n'));

    QCOMPARE(VirtualPanels::runningPorts(folder.path()), QStringList());
    // The stale one is gone; what cannot be read is left to whoever wrote it.
    QVERIFY(!QFile::exists(folder.filePath(u"1.pty"_s)));
    for (const QString &kept : { u"2.pty"_s, u"3.pty"_s, u"4.pty"_s, u"5.txt"_s })
        QVERIFY2(QFile::exists(folder.filePath(kept)), qPrintable(kept));
}

QTEST_GUILESS_MAIN(tst_VirtualPanels)
#include "tst_virtualpanels.moc"
