// The transfers end to end: the real serial port code against mirvane-panel on a
// pseudo-terminal.

#include "configurationsnapshot.h"
#include "panelprocess.h"
#include "recordingnotifier.h"
#include "testfiles.h"
#include "testimages.h"
#include "unexpectedwarnings.h"

#include <exchange/memorytransfer.h>
#include <link/packetchannel.h>
#include <link/qtseriallink.h>
#include <model/configuration.h>
#include <storage/imagebuilder.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#ifdef Q_OS_LINUX
#include <link/frames.h>
#include <exchange/searchmessages.h>

#include <fcntl.h>
#include <unistd.h>
#endif

namespace {

struct Program
{
    explicit Program(const QString &port, const QString &transferFile)
    {
        settings.port = port;
        transfer.setTransferFile(transferFile);
    }

    bool run(bool (MemoryTransfer::*command)(const PortSettings &))
    {
        QSignalSpy finished(&transfer, &MemoryTransfer::finished);
        if (!(transfer.*command)(settings))
            return false;
        if (!finished.wait(60000))
            return false;
        return finished.first().first().toBool();
    }

    QtSerialLink link;
    PacketChannel channel { link };
    Configuration config;
    RecordingNotifier notifier;
    MemoryTransfer transfer { channel, config, notifier };
    PortSettings settings;
};

} // namespace

class TestTransferEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void read_returnsThePanelMemory_data();
    void read_returnsThePanelMemory();
    void write_leavesThePanelHoldingTheImage();
    void readFaults_data();
    void readFaults();
    void writeWithWrongAcknowledgement_stillReturnsToWork();
    void panelGone_endsTheTransfer();
    void write_afterLateSearchReplies_ignoresThem();

private:
    QTemporaryDir m_dir;
};

void TestTransferEndToEnd::init()
{
    failOnUnexpectedWarnings();
#ifndef Q_OS_LINUX
    QSKIP("mirvane-panel serves pseudo-terminals on Linux only");
#endif
    QVERIFY(m_dir.isValid());
}

void TestTransferEndToEnd::read_returnsThePanelMemory_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::newRow("whole replies") << QStringList {};
    QTest::newRow("replies in two pieces") << QStringList { "--split" };
}

void TestTransferEndToEnd::read_returnsThePanelMemory()
{
    QFETCH(QStringList, options);
    const QByteArray memory = imageWithZoneName(5, QStringLiteral("котельня"));
    const QString memoryFile = m_dir.filePath("panel.tab");
    QVERIFY(writeFile(memoryFile, memory));
    PanelProcess panel(QStringList { "--memory", memoryFile } + options);
    QVERIFY(!panel.port().isEmpty());

    Program program(panel.port(), m_dir.filePath("temp.tab"));
    QVERIFY2(program.run(&MemoryTransfer::readFromPanel), qPrintable(program.notifier.messages.join('\n')));
    QCOMPARE(readFile(m_dir.filePath("temp.tab")), memory);
    QVERIFY(program.config.mtArea().locate("id", 5));
    QCOMPARE(program.config.mtArea().asString("name").trimmed(), QStringLiteral("КОТЕЛЬНЯ"));
    QVERIFY(panel.terminate());
}

void TestTransferEndToEnd::write_leavesThePanelHoldingTheImage()
{
    const QString saved = m_dir.filePath("saved.tab");
    const QString log = m_dir.filePath("frames.log");
    PanelProcess panel({ "--save", saved, "--log", log });
    QVERIFY(!panel.port().isEmpty());

    Program program(panel.port(), m_dir.filePath("temp.tab"));
    program.config.mtArea().setRecNo(9);
    program.config.mtArea().setValue("name", "щитова");
    QVERIFY2(program.run(&MemoryTransfer::writeToPanel), qPrintable(program.notifier.messages.join('\n')));
    QVERIFY(panel.terminate());

    QCOMPARE(readFile(saved), program.config.image().Bytes());
    const QStringList frames = QString::fromLatin1(readFile(log)).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(frames.count("01 9"), 1);
    QCOMPARE(frames.count("02 133"), 1600);
    QCOMPARE(frames.count("08 7"), 1);
    QCOMPARE(frames.size(), 1602);
    QCOMPARE(frames.first(), QStringLiteral("01 9"));
    QCOMPARE(frames.last(), QStringLiteral("08 7"));
}

void TestTransferEndToEnd::readFaults_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QString>("message");
    QTest::newRow("damaged reply") << QStringList { "--corrupt-at", "5" }
                                   << "Пришел неверный пакет! Чтение прервано на блоке 4 из 1600.";
    QTest::newRow("panel falls silent") << QStringList { "--silent-at", "100" }
                                        << "Прибор не отвечает. Чтение прервано на блоке 99 из 1600.";
}

void TestTransferEndToEnd::readFaults()
{
    QFETCH(QStringList, options);
    QFETCH(QString, message);
    const QString memoryFile = m_dir.filePath("panel.tab");
    QVERIFY(writeFile(memoryFile, imageWithZoneName(5, QStringLiteral("склад"))));
    PanelProcess panel(QStringList { "--memory", memoryFile } + options);
    Program program(panel.port(), m_dir.filePath("temp.tab"));
    program.transfer.setReplyTimeout(500);
    const ConfigurationSnapshot before = ConfigurationSnapshot::of(program.config);

    QVERIFY(!program.run(&MemoryTransfer::readFromPanel));
    QCOMPARE(program.notifier.messages.size(), 1);
    QVERIFY2(program.notifier.messages.first().startsWith(message), qPrintable(program.notifier.messages.first()));
    QVERIFY(ConfigurationSnapshot::of(program.config) == before);
}

void TestTransferEndToEnd::writeWithWrongAcknowledgement_stillReturnsToWork()
{
    const QString log = m_dir.filePath("frames.log");
    PanelProcess panel({ "--corrupt-at", "21", "--log", log });
    Program program(panel.port(), m_dir.filePath("temp.tab"));
    QVERIFY(!program.run(&MemoryTransfer::writeToPanel));
    QCOMPARE(program.notifier.messages,
             QStringList { "Пришел неверный пакет! Запись прервана: прибор не подтвердил блок 20 из 1600." });
    QVERIFY(panel.terminate());
    const QStringList frames = QString::fromLatin1(readFile(log)).split('\n', Qt::SkipEmptyParts);
    QCOMPARE(frames.count("02 133"), 20);
    QCOMPARE(frames.last(), QStringLiteral("08 7"));
}

void TestTransferEndToEnd::panelGone_endsTheTransfer()
{
    // Paced as a 9600-baud line, a read takes minutes: time enough to pull the cable.
    PanelProcess panel({ "--baud", "9600" });
    Program program(panel.port(), m_dir.filePath("temp.tab"));
    const ConfigurationSnapshot before = ConfigurationSnapshot::of(program.config);
    QSignalSpy finished(&program.transfer, &MemoryTransfer::finished);
    QVERIFY(program.transfer.readFromPanel(program.settings));
    QTRY_VERIFY_WITH_TIMEOUT(QFile(m_dir.filePath("temp.tab")).size() >= 256, 10000);
    panel.kill();
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.first().first().toBool(), false);
    QCOMPARE(program.notifier.messages.size(), 1);
    const QString message = program.notifier.messages.first();
    QVERIFY2(message.startsWith("Связь с прибором потеряна") || message.startsWith("Прибор не отвечает"),
             qPrintable(message));
    QVERIFY(ConfigurationSnapshot::of(program.config) == before);
}

void TestTransferEndToEnd::write_afterLateSearchReplies_ignoresThem()
{
#ifdef Q_OS_LINUX
    const QString log = m_dir.filePath("frames.log");
    PanelProcess panel({ "--log", log });
    QVERIFY(!panel.port().isEmpty());

    // A search that stopped with a poll under way: the port is closed before the replies
    // come, and the line keeps them.
    const QByteArray search = Frames::SetAddress(Frames::RelayAddress)
            + Frames::WriteMemoryNew(SearchMessages::PollMessage(Frames::moduleAddressByte(1)));
    const int line = ::open(panel.port().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    QVERIFY(line >= 0);
    const bool written = ::write(line, search.constData(), size_t(search.size())) == search.size();
    ::close(line);
    QVERIFY(written);
    // The panel logs a frame once its reply is written.
    QTRY_COMPARE(QString::fromLatin1(readFile(log)).count(QLatin1Char('\n')), 3);

    Program program(panel.port(), m_dir.filePath("temp.tab"));
    QVERIFY2(program.run(&MemoryTransfer::writeToPanel), qPrintable(program.notifier.messages.join('\n')));
    QVERIFY(program.notifier.messages.isEmpty());
    QVERIFY(panel.terminate());
#endif
}

QTEST_GUILESS_MAIN(TestTransferEndToEnd)
#include "tst_transfer_e2e.moc"
