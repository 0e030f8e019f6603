#include "testfiles.h"

#include <exchange/searchmessages.h>
#include <link/frameassembler.h>
#include <link/frames.h>

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSerialPort>
#include <QSet>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

constexpr int patience = 10000; // ms; sanitizer builds start slowly
constexpr int memorySize = Frames::BlockSize * Frames::BlockCount;
constexpr quint32 settings = Frames::SettingsAddress;

QStringList logLines(const QString &fileName)
{
    return QString::fromLatin1(readFile(fileName)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QByteArray randomBytes(qsizetype size, quint32 seed)
{
    QRandomGenerator generator(seed);
    QByteArray bytes(size, '\0');
    for (char &byte : bytes)
        byte = char(generator.bounded(256));
    return bytes;
}

// Built here byte by byte rather than by the panel's own code.
QByteArray readReply(const QByteArray &data)
{
    return Frames::withCrc(QByteArray("\xC6\x01", 2) + char(data.size() + 5) + char(0x06) + data);
}

QByteArray acknowledgement(const QByteArray &block)
{
    return Frames::withCrc(QByteArray("\xC6\x01\x07\x02", 4) + block.left(2));
}

QByteArray withBadCrc(QByteArray frame)
{
    frame.back() = char(quint8(frame.back()) ^ 0x5A);
    return frame;
}

const QByteArray setRelay = Frames::SetAddress(Frames::RelayAddress);
const QByteArray noAnswer = QByteArray::fromHex("c60107020000" "29");
constexpr quint8 module1 = 0x01; // technological address 1

// Around an already escaped block, built here byte by byte, so that it can be spoilt.
QByteArray relayFrame(const QByteArray &escapedBlock)
{
    return Frames::withCrc(QByteArray("\xC6\x01", 2) + char(escapedBlock.size() + 8) + QByteArray("\x02\x02\x7E", 3)
                           + escapedBlock + char(0x7D));
}

QByteArray relay(const QByteArray &message)
{
    return Frames::WriteMemoryNew(message);
}

// The module's reply that carries only a code; replies come unescaped.
QByteArray moduleReply(quint8 moduleAddress, quint8 code)
{
    const QByteArray message = QByteArray("\x02", 1) + char(moduleAddress) + QByteArray("\x01\x01\x01", 3) + char(code);
    return relayFrame(message + char(Frames::CalcCRC(message)));
}

QString hexOf(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.toHex(' ').toUpper());
}

QString hexByte(quint8 byte)
{
    return hexOf(QByteArray(1, char(byte)));
}

quint8 at(const QByteArray &reply, int offset)
{
    return offset < reply.size() ? quint8(reply.at(offset)) : 0;
}

bool isFrameLine(const QString &line)
{
    static const QRegularExpression frameLine(QStringLiteral("^(bad-crc )?[0-9A-F]{2} \\d+$"));
    return frameLine.match(line).hasMatch();
}

// The panel run as a separate program; it names its device on the first line.
class PanelProcess
{
public:
    ~PanelProcess()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(patience);
        }
    }

    bool start(const QStringList &arguments)
    {
        m_process.start(QStringLiteral(MIRVANE_PANEL), arguments);
        if (!QTest::qWaitFor([this] { return m_process.canReadLine() || m_process.state() == QProcess::NotRunning; },
                             patience)
            || !m_process.canReadLine()) {
            return false;
        }
        m_device = QString::fromLocal8Bit(m_process.readLine()).trimmed();
        return !m_device.isEmpty();
    }

    // Asks the panel to end, as a service manager or Ctrl+C would; true when it ended cleanly.
    bool stop(int signal = SIGTERM)
    {
        if (signal == SIGTERM)
            m_process.terminate();
        else
            ::kill(pid_t(m_process.processId()), signal);
        return m_process.waitForFinished(patience) && m_process.exitStatus() == QProcess::NormalExit
                && m_process.exitCode() == 0;
    }

    QString device() const { return m_device; }
    QByteArray errors() { return m_process.readAllStandardError(); }
    QProcess &process() { return m_process; }

private:
    QProcess m_process;
    QString m_device;
};

// The program's end of the line: a QSerialPort as the program opens it, replies joined
// into frames.
class ProgramLine
{
public:
    ProgramLine()
    {
        QObject::connect(&m_port, &QSerialPort::readyRead, [this] { m_replies += m_assembler.feed(m_port.readAll()); });
    }

    bool open(const QString &device)
    {
        m_port.setPortName(device);
        return m_port.setBaudRate(QSerialPort::Baud9600) && m_port.setDataBits(QSerialPort::Data8)
                && m_port.setParity(QSerialPort::NoParity) && m_port.setStopBits(QSerialPort::OneStop)
                && m_port.open(QIODevice::ReadWrite);
    }
    void close() { m_port.close(); }

    bool send(const QByteArray &frame) { return m_port.write(frame) == frame.size() && m_port.flush(); }

    bool waitForReplies(qsizetype count)
    {
        QSignalSpy arrivals(&m_port, &QSerialPort::readyRead);
        while (m_replies.size() < count) {
            if (!arrivals.wait(patience))
                return false;
        }
        return true;
    }

    // Sends one frame and returns its reply; empty when none came.
    QByteArray exchange(const QByteArray &frame)
    {
        const qsizetype before = m_replies.size();
        return send(frame) && waitForReplies(before + 1) ? m_replies.at(before) : QByteArray();
    }

    // Reading a terminal first takes in what its other end has written, so anything the
    // panel wrote before this call is seen now.
    bool isQuiet()
    {
        m_port.waitForReadyRead(0);
        return m_port.bytesAvailable() == 0 && !m_assembler.hasPartialFrame();
    }

    const QByteArrayList &replies() const { return m_replies; }

private:
    QSerialPort m_port;
    FrameAssembler m_assembler;
    QByteArrayList m_replies;
};

// A pseudo-terminal made by the test, standing in for a device the panel is told to use.
class TestTerminal
{
public:
    TestTerminal() : m_master(::posix_openpt(O_RDWR | O_NOCTTY))
    {
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0)
            return;
        if (const char *name = ::ptsname(m_master))
            m_slave = QString::fromLocal8Bit(name);
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    }
    ~TestTerminal()
    {
        if (m_master >= 0)
            ::close(m_master);
    }
    TestTerminal(const TestTerminal &) = delete;
    TestTerminal &operator=(const TestTerminal &) = delete;

    QString slave() const { return m_slave; }
    bool send(const QByteArray &bytes) { return ::write(m_master, bytes.constData(), size_t(bytes.size())) == bytes.size(); }
    QByteArrayList replies()
    {
        char buffer[512];
        ssize_t count;
        while ((count = ::read(m_master, buffer, sizeof buffer)) > 0)
            m_replies += m_assembler.feed(QByteArray(buffer, count));
        return m_replies;
    }

private:
    int m_master;
    QString m_slave;
    FrameAssembler m_assembler;
    QByteArrayList m_replies;
};

// The program's side of a device search: module messages go out in relay frames through
// the relay address, and the panel's notes are read once every frame has its log line.
class SearchLine
{
public:
    bool start(const QStringList &arguments, const QString &logFile)
    {
        m_logFile = logFile;
        return m_panel.start(arguments + QStringList { "--log", logFile }) && m_line.open(m_panel.device())
                && exchange(setRelay) == setRelay;
    }

    QByteArray exchange(const QByteArray &frame)
    {
        ++m_frames;
        return m_line.exchange(frame);
    }
    QByteArray say(const QByteArray &message) { return exchange(relay(message)); }

    // Starts discovery and takes `count` reports, acknowledging each as the program does.
    QByteArrayList discover(int count)
    {
        QByteArrayList reports;
        if (say(SearchMessages::StartMessage(module1)) != moduleReply(module1, 0x00))
            return reports;
        for (int i = 0; i < count; ++i) {
            reports.append(say(SearchMessages::PollMessage(module1)));
            say(SearchMessages::AckMessage(module1, at(reports.back(), SearchMessages::ReportNumber)));
        }
        return reports;
    }

    // Everything logged but frame and relay lines; a log still short of lines says so.
    QStringList notes()
    {
        QStringList lines;
        const bool complete = QTest::qWaitFor(
                [&] {
                    lines = logLines(m_logFile);
                    return std::count_if(lines.cbegin(), lines.cend(), isFrameLine) >= m_frames;
                },
                patience);
        lines.removeIf([](const QString &line) { return isFrameLine(line) || line.startsWith(QLatin1String("relay ")); });
        if (!complete)
            lines.append(QStringLiteral("(the log lacks frame lines)"));
        return lines;
    }

    bool stop() { return m_panel.stop(); }
    QByteArray errors() { return m_panel.errors(); }

private:
    PanelProcess m_panel;
    ProgramLine m_line;
    QString m_logFile;
    qsizetype m_frames = 0;
};

} // namespace

class TestMirvanePanel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void conversation_data();
    void conversation();
    void save_data();
    void save();
    void keepsServingAfterTheProgramClosesThePort();
    void servesAGivenDevice();
    void endsCleanlyOnSignal_data();
    void endsCleanlyOnSignal();
    void refused_data();
    void refused();
    void relayExchange_data();
    void relayExchange();
    void discovery_data();
    void discovery();
    void reportAcknowledgement_data();
    void reportAcknowledgement();
    void followUp_data();
    void followUp();
    void statusReports_data();
    void statusReports();
    void addressMessage_data();
    void addressMessage();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QString scenario(const QByteArray &json);
    QByteArray memoryAt(quint32 address, int count) const { return m_memory.mid(address - settings, count); }

    QTemporaryDir m_dir;
    QByteArray m_memory;
    int m_scenarios = 0;
};

void TestMirvanePanel::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_memory = randomBytes(memorySize, 1);
    QVERIFY(writeFile(path("memory.tab"), m_memory));
}

void TestMirvanePanel::conversation_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArrayList>("frames");
    QTest::addColumn<QByteArrayList>("replies"); // empty: no reply
    QTest::addColumn<int>("badCrcReply"); // the reply expected to fail its CRC, or -1
    QTest::addColumn<QStringList>("log");

    const QByteArray setSettings = Frames::SetAddress(settings);
    const QByteArray read = Frames::ReadMemory(Frames::BlockSize);
    const QByteArray working = Frames::WriteModeWork();
    const QByteArray blockA = randomBytes(Frames::BlockSize, 2);
    const QByteArray blockB = randomBytes(Frames::BlockSize, 3);
    const QByteArray zeros(64, '\0');
    const QByteArray firstBlocks[] = { readReply(memoryAt(settings, 128)), readReply(memoryAt(settings + 128, 128)),
                                       readReply(memoryAt(settings + 256, 128)) };

    QTest::newRow("set address is echoed")
            << QStringList() << QByteArrayList { setSettings } << QByteArrayList { setSettings } << -1
            << QStringList { "01 9" };
    QTest::newRow("reads walk through the memory")
            << QStringList() << QByteArrayList { setSettings, read, read, read }
            << QByteArrayList { setSettings, firstBlocks[0], firstBlocks[1], firstBlocks[2] } << -1
            << QStringList { "01 9", "06 7", "06 7", "06 7" };
    QTest::newRow("outside the memory reads zeros")
            << QStringList()
            << QByteArrayList { Frames::SetAddress(settings + memorySize - 64), read,
                                Frames::SetAddress(settings - 64), read }
            << QByteArrayList { Frames::SetAddress(settings + memorySize - 64),
                                readReply(memoryAt(settings + memorySize - 64, 64) + zeros),
                                Frames::SetAddress(settings - 64), readReply(zeros + memoryAt(settings, 64)) }
            << -1 << QStringList { "01 9", "06 7", "01 9", "06 7" };
    QTest::newRow("written blocks are acknowledged and read back")
            << QStringList()
            << QByteArrayList { Frames::SetAddress(settings + 1280), Frames::WriteMemory(128, blockA),
                                Frames::WriteMemory(128, blockB), Frames::SetAddress(settings + 1152), read, read,
                                read }
            << QByteArrayList { Frames::SetAddress(settings + 1280), acknowledgement(blockA),
                                acknowledgement(blockB), Frames::SetAddress(settings + 1152),
                                readReply(memoryAt(settings + 1152, 128)), readReply(blockA), readReply(blockB) }
            << -1 << QStringList { "01 9", "02 133", "02 133", "01 9", "06 7", "06 7", "06 7" };
    QTest::newRow("working mode is echoed")
            << QStringList() << QByteArrayList { working } << QByteArrayList { working } << -1
            << QStringList { "08 7" };
    QTest::newRow("a frame with a bad CRC gets no answer")
            << QStringList() << QByteArrayList { withBadCrc(setSettings), withBadCrc(read), setSettings }
            << QByteArrayList { {}, {}, setSettings } << -1 << QStringList { "bad-crc 01 9", "bad-crc 06 7", "01 9" };
    QTest::newRow("--corrupt-at spoils one reply's CRC")
            << QStringList { "--corrupt-at", "2" } << QByteArrayList { setSettings, read, read }
            << QByteArrayList { setSettings, firstBlocks[0], firstBlocks[1] } << 1
            << QStringList { "01 9", "06 7", "06 7" };
    QTest::newRow("--corrupt-at counts replies, not frames")
            << QStringList { "--corrupt-at", "2" } << QByteArrayList { withBadCrc(read), setSettings, read, read }
            << QByteArrayList { {}, setSettings, firstBlocks[0], firstBlocks[1] } << 2
            << QStringList { "bad-crc 06 7", "01 9", "06 7", "06 7" };
    QTest::newRow("--silent-at stops answering")
            << QStringList { "--silent-at", "2" } << QByteArrayList { setSettings, read, working }
            << QByteArrayList { setSettings, {}, {} } << -1 << QStringList { "01 9", "06 7", "08 7" };
    QTest::newRow("--split delivers whole replies")
            << QStringList { "--split" }
            << QByteArrayList { setSettings, read, read, read, Frames::WriteMemory(128, blockA), working }
            << QByteArrayList { setSettings, firstBlocks[0], firstBlocks[1], firstBlocks[2], acknowledgement(blockA),
                                working }
            << -1 << QStringList { "01 9", "06 7", "06 7", "06 7", "02 133", "08 7" };
    QTest::newRow("--baud delivers whole replies")
            << QStringList { "--baud", "115200" } << QByteArrayList { setSettings, read, read }
            << QByteArrayList { setSettings, firstBlocks[0], firstBlocks[1] } << -1
            << QStringList { "01 9", "06 7", "06 7" };
    QTest::newRow("--split, --baud and --corrupt-at together")
            << QStringList { "--split", "--baud", "57600", "--corrupt-at", "2" }
            << QByteArrayList { setSettings, read, read }
            << QByteArrayList { setSettings, firstBlocks[0], firstBlocks[1] } << 1
            << QStringList { "01 9", "06 7", "06 7" };
}

void TestMirvanePanel::conversation()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArrayList, frames);
    QFETCH(QByteArrayList, replies);
    QFETCH(int, badCrcReply);
    QFETCH(QStringList, log);
    QCOMPARE(replies.size(), frames.size());

    const QString logFile = path(QStringLiteral("conversation-%1.log").arg(QTest::currentDataTag()));
    PanelProcess panel;
    QVERIFY(panel.start(options + QStringList { "--memory", path("memory.tab"), "--log", logFile }));
    ProgramLine line;
    QVERIFY(line.open(panel.device()));

    qsizetype answered = 0;
    for (qsizetype i = 0; i < frames.size(); ++i) {
        QVERIFY(line.send(frames.at(i)));
        if (replies.at(i).isEmpty()) {
            // Replies keep the order of frames, so a reply to this one would come before
            // the next expected reply, or be seen by isQuiet() at the end.
            QTRY_COMPARE_WITH_TIMEOUT(logLines(logFile).size(), i + 1, patience);
            continue;
        }
        QVERIFY2(line.waitForReplies(answered + 1), qPrintable(QStringLiteral("no reply to frame %1").arg(i)));
        const QByteArray reply = line.replies().at(answered++);
        if (i == badCrcReply) {
            QVERIFY(!Frames::hasValidCrc(reply));
            QCOMPARE(reply.chopped(1), replies.at(i).chopped(1));
        } else {
            QVERIFY(Frames::hasValidCrc(reply));
            QCOMPARE(reply, replies.at(i));
        }
    }
    QTRY_COMPARE_WITH_TIMEOUT(logLines(logFile), log, patience);
    QVERIFY(line.isQuiet());
    QCOMPARE(line.replies().size(), answered);
    QVERIFY2(panel.stop(), panel.errors().constData());
}

void TestMirvanePanel::save_data()
{
    QTest::addColumn<QByteArrayList>("frames");
    QTest::addColumn<QByteArray>("saved"); // empty: no file

    const QByteArray image = randomBytes(memorySize, 4);
    QByteArrayList wholeWrite { Frames::SetAddress(settings) };
    for (int block = 0; block < Frames::BlockCount; ++block)
        wholeWrite.append(Frames::WriteMemory(Frames::BlockSize, image.mid(block * Frames::BlockSize)));
    QTest::newRow("a full write") << wholeWrite << image;

    const QByteArray blockA = randomBytes(Frames::BlockSize, 5);
    const QByteArray blockB = randomBytes(Frames::BlockSize, 6);
    QTest::newRow("a write that reaches the end of the memory")
            << QByteArrayList { Frames::SetAddress(settings + memorySize - 256), Frames::WriteMemory(128, blockA),
                                Frames::WriteMemory(128, blockB) }
            << QByteArray(m_memory).replace(memorySize - 256, 256, blockA + blockB);
    QTest::newRow("working mode after a partial write")
            << QByteArrayList { Frames::SetAddress(settings + 4096), Frames::WriteMemory(128, blockA),
                                Frames::WriteModeWork() }
            << QByteArray(m_memory).replace(4096, 128, blockA);
    QTest::newRow("a partial write alone")
            << QByteArrayList { Frames::SetAddress(settings + 4096), Frames::WriteMemory(128, blockA) }
            << QByteArray();
    QTest::newRow("working mode without a write")
            << QByteArrayList { Frames::SetAddress(settings), Frames::ReadMemory(128), Frames::WriteModeWork() }
            << QByteArray();
    QTest::newRow("a write outside the memory")
            << QByteArrayList { Frames::SetAddress(settings + memorySize), Frames::WriteMemory(128, blockA),
                                Frames::WriteModeWork() }
            << QByteArray();
}

void TestMirvanePanel::save()
{
    QFETCH(QByteArrayList, frames);
    QFETCH(QByteArray, saved);

    const QString saveFile = path(QStringLiteral("save-%1.tab").arg(QTest::currentDataTag()));
    PanelProcess panel;
    QVERIFY(panel.start({ "--memory", path("memory.tab"), "--save", saveFile }));
    ProgramLine line;
    QVERIFY(line.open(panel.device()));
    for (const QByteArray &frame : frames)
        QVERIFY(!line.exchange(frame).isEmpty());

    // The file is written before the reply that finished the write goes out.
    QCOMPARE(QFile::exists(saveFile), !saved.isEmpty());
    QCOMPARE(readFile(saveFile), saved);
    QVERIFY2(panel.stop(), panel.errors().constData());
}

void TestMirvanePanel::keepsServingAfterTheProgramClosesThePort()
{
    PanelProcess panel;
    QVERIFY(panel.start({ "--memory", path("memory.tab") }));
    ProgramLine first;
    QVERIFY(first.open(panel.device()));
    QCOMPARE(first.exchange(Frames::SetAddress(settings + 512)), Frames::SetAddress(settings + 512));
    first.close();

    ProgramLine second;
    QVERIFY(second.open(panel.device()));
    QCOMPARE(second.exchange(Frames::ReadMemory(128)), readReply(memoryAt(settings + 512, 128)));
    QVERIFY2(panel.stop(), panel.errors().constData());
}

void TestMirvanePanel::servesAGivenDevice()
{
    TestTerminal terminal;
    QVERIFY(!terminal.slave().isEmpty());
    PanelProcess panel;
    QVERIFY(panel.start({ "--port", terminal.slave(), "--memory", path("memory.tab") }));
    QCOMPARE(panel.device(), terminal.slave());

    QVERIFY(terminal.send(Frames::SetAddress(settings) + Frames::ReadMemory(128)));
    QTRY_COMPARE_WITH_TIMEOUT(terminal.replies().size(), 2, patience);
    QCOMPARE(terminal.replies().at(0), Frames::SetAddress(settings));
    QCOMPARE(terminal.replies().at(1), readReply(memoryAt(settings, 128)));
    QVERIFY2(panel.stop(), panel.errors().constData());
}

void TestMirvanePanel::endsCleanlyOnSignal_data()
{
    QTest::addColumn<int>("signal");
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<bool>("portOpen");
    QTest::addColumn<bool>("replyPending");

    QTest::newRow("SIGTERM, port open") << int(SIGTERM) << QStringList() << true << false;
    QTest::newRow("SIGINT, port open") << int(SIGINT) << QStringList() << true << false;
    QTest::newRow("SIGTERM, port never opened") << int(SIGTERM) << QStringList() << false << false;
    QTest::newRow("SIGTERM, a slow reply under way")
            << int(SIGTERM) << QStringList { "--baud", "300" } << true << true;
}

void TestMirvanePanel::endsCleanlyOnSignal()
{
    QFETCH(int, signal);
    QFETCH(QStringList, options);
    QFETCH(bool, portOpen);
    QFETCH(bool, replyPending);

    const QString logFile = path(QStringLiteral("signal-%1.log").arg(QTest::currentDataTag()));
    PanelProcess panel;
    QVERIFY(panel.start(options + QStringList { "--log", logFile }));
    ProgramLine line;
    if (portOpen)
        QVERIFY(line.open(panel.device()));
    if (replyPending) {
        QVERIFY(line.send(Frames::ReadMemory(128)));
        QTRY_COMPARE_WITH_TIMEOUT(logLines(logFile).size(), 1, patience);
    }
    QVERIFY2(panel.stop(signal), panel.errors().constData());
}

void TestMirvanePanel::refused_data()
{
    QTest::addColumn<QStringList>("arguments");

    QVERIFY(writeFile(path("empty.tab"), {}));
    QVERIFY(writeFile(path("short.tab"), m_memory.left(memorySize - 1)));

    QTest::newRow("empty memory file") << QStringList { "--memory", path("empty.tab") };
    QTest::newRow("memory file one byte short") << QStringList { "--memory", path("short.tab") };
    QTest::newRow("missing memory file") << QStringList { "--memory", path("absent.tab") };
    QTest::newRow("missing device") << QStringList { "--port", path("absent-device") };
    QTest::newRow("--corrupt-at 0") << QStringList { "--corrupt-at", "0" };
    QTest::newRow("--silent-at not a number") << QStringList { "--silent-at", "two" };
    QTest::newRow("--baud negative") << QStringList { "--baud", "-9600" };
    QTest::newRow("--klm 0") << QStringList { "--klm", "0" };
    QTest::newRow("--klm 17") << QStringList { "--klm", "17" };
    QTest::newRow("--klm not a number") << QStringList { "--klm", "one" };
    QTest::newRow("missing scenario") << QStringList { "--scenario", path("absent.json") };
    const QList<std::pair<const char *, QByteArray>> badScenarios {
        { "scenario not JSON", "{\"devices\": [" },
        { "scenario not an object", "[]" },
        { "scenario klm 17", "{\"klm\": 17}" },
        { "scenario device without a serial", "{\"devices\": [{\"type\": 1, \"version\": 1, \"year\": 1, \"month\": 1}]}" },
        { "scenario type above a byte",
          "{\"devices\": [{\"type\": 256, \"version\": 1, \"year\": 1, \"month\": 1, \"serial\": 1}]}" },
        { "scenario serial not whole",
          "{\"devices\": [{\"type\": 1, \"version\": 1, \"year\": 1, \"month\": 1, \"serial\": 1.5}]}" },
        { "scenario busyPolls negative", "{\"busyPolls\": -1}" },
        { "scenario noAnswer not a flag", "{\"faults\": {\"noAnswer\": 1}}" },
        { "scenario misspelt fault", "{\"faults\": {\"unknownCode\": 2}}" },
        { "scenario devices not a list", "{\"devices\": {}}" },
    };
    for (const auto &[tag, json] : badScenarios)
        QTest::newRow(tag) << QStringList { "--scenario", scenario(json) };
    QTest::newRow("unknown option") << QStringList { "--loud" };
    QTest::newRow("stray argument") << QStringList { "memory.tab" };
}

void TestMirvanePanel::refused()
{
    QFETCH(QStringList, arguments);

    QProcess process;
    process.start(QStringLiteral(MIRVANE_PANEL), arguments);
    QVERIFY(process.waitForFinished(patience));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 2);
    QVERIFY(!process.readAllStandardError().trimmed().isEmpty());
    QVERIFY(process.readAllStandardOutput().isEmpty()); // no device to open
}

QString TestMirvanePanel::scenario(const QByteArray &json)
{
    const QString fileName = path(QStringLiteral("scenario-%1.json").arg(++m_scenarios));
    return writeFile(fileName, json) ? fileName : QString();
}

void TestMirvanePanel::relayExchange_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArrayList>("frames");
    QTest::addColumn<QByteArrayList>("replies"); // empty: no reply
    QTest::addColumn<int>("badCrcReply"); // the reply expected to fail its CRC, or -1
    QTest::addColumn<QStringList>("log");

    const QByteArray poll = SearchMessages::PollMessage(module1);
    const QByteArray start = SearchMessages::StartMessage(module1);
    const QByteArray done = moduleReply(module1, 0x00);
    const QString pollLine = QStringLiteral("relay ") + hexOf(poll);
    const QString startLine = QStringLiteral("relay ") + hexOf(start);
    const QByteArray pollBlock = poll + char(Frames::CalcCRC(poll));

    QTest::newRow("the relay address is echoed")
            << QStringList() << QByteArrayList { setRelay } << QByteArrayList { setRelay } << -1
            << QStringList { "01 9" };
    QTest::newRow("start and polls are answered in turn")
            << QStringList() << QByteArrayList { setRelay, relay(start), relay(poll), relay(poll) }
            << QByteArrayList { setRelay, done, done, done } << -1
            << QStringList { "01 9", startLine, "02 24", pollLine, "02 16", pollLine, "02 16" };
    QTest::newRow("a message for another module gets the no-answer reply")
            << QStringList() << QByteArrayList { setRelay, relay(SearchMessages::PollMessage(0x02)) }
            << QByteArrayList { setRelay, noAnswer } << -1
            << QStringList { "01 9", "relay 02 02 01 01 02 00 00", "02 16" };
    QTest::newRow("--klm 12 is module 0x12")
            << QStringList { "--klm", "12" }
            << QByteArrayList { setRelay, relay(SearchMessages::PollMessage(0x12)), relay(poll) }
            << QByteArrayList { setRelay, moduleReply(0x12, 0x00), noAnswer } << -1
            << QStringList { "01 9", "relay 02 12 01 01 02 00 00", "02 16", pollLine, "02 16" };
    QTest::newRow("the scenario's klm wins over --klm")
            << QStringList { "--klm", "3", "--scenario", scenario(R"({"klm": 16})") }
            << QByteArrayList { setRelay, relay(SearchMessages::PollMessage(0x16)),
                                relay(SearchMessages::PollMessage(0x03)) }
            << QByteArrayList { setRelay, moduleReply(0x16, 0x00), noAnswer } << -1
            << QStringList { "01 9", "relay 02 16 01 01 02 00 00", "02 16", "relay 02 03 01 01 02 00 00", "02 16" };
    QTest::newRow("a module that never answers")
            << QStringList { "--scenario", scenario(R"({"faults": {"noAnswer": true}})") }
            << QByteArrayList { setRelay, relay(start), relay(poll) } << QByteArrayList { setRelay, noAnswer, noAnswer }
            << -1 << QStringList { "01 9", startLine, "02 24", pollLine, "02 16" };
    QTest::newRow("unknownCodeAt counts the module's own replies")
            << QStringList { "--scenario", scenario(R"({"faults": {"unknownCodeAt": 2}})") }
            << QByteArrayList { setRelay, relay(start), relay(SearchMessages::PollMessage(0x02)), relay(poll),
                                relay(poll) }
            << QByteArrayList { setRelay, done, noAnswer, moduleReply(module1, 0x05), done } << -1
            << QStringList { "01 9", startLine, "02 24", "relay 02 02 01 01 02 00 00", "02 16", pollLine, "02 16",
                             pollLine, "02 16" };
    QTest::newRow("an unknown message is noted and answered")
            << QStringList() << QByteArrayList { setRelay, relay(QByteArray::fromHex("02010101025555")) }
            << QByteArrayList { setRelay, done } << -1
            << QStringList { "01 9", "relay 02 01 01 01 02 55 55", "unknown-message 02 01 01 01 02 55 55",
                             "02 16" };
    QTest::newRow("a bad inner CRC is turned away")
            << QStringList()
            << QByteArrayList { setRelay, relayFrame(Frames::escape(poll + char(Frames::CalcCRC(poll) ^ 0x01))),
                                relay(poll) }
            << QByteArrayList { setRelay, {}, done } << -1
            << QStringList { "01 9", "bad-relay inner-crc", "02 16", pollLine, "02 16" };
    QTest::newRow("7F before a byte it cannot escape is turned away")
            << QStringList() << QByteArrayList { setRelay, relayFrame(pollBlock.left(4) + "\x7F\x03" + pollBlock.mid(4)) }
            << QByteArrayList { setRelay, {} } << -1 << QStringList { "01 9", "bad-relay escape", "02 18" };
    QTest::newRow("7F at the end of the block is turned away")
            << QStringList() << QByteArrayList { setRelay, relayFrame(pollBlock + '\x7F') }
            << QByteArrayList { setRelay, {} } << -1 << QStringList { "01 9", "bad-relay escape", "02 17" };
    QTest::newRow("an unescaped flag inside is turned away")
            << QStringList() << QByteArrayList { setRelay, relayFrame(pollBlock.left(4) + '\x7E' + pollBlock.mid(4)) }
            << QByteArrayList { setRelay, {} } << -1 << QStringList { "01 9", "bad-relay escape", "02 17" };
    QTest::newRow("a write without the flags is turned away")
            << QStringList() << QByteArrayList { setRelay, Frames::WriteMemory(4, QByteArray::fromHex("02000000")) }
            << QByteArrayList { setRelay, {} } << -1 << QStringList { "01 9", "bad-relay flags", "02 9" };
    QTest::newRow("a message shorter than its header is turned away")
            << QStringList() << QByteArrayList { setRelay, relay(QByteArray::fromHex("02010101")) }
            << QByteArrayList { setRelay, {} } << -1 << QStringList { "01 9", "bad-relay short", "02 13" };
    QTest::newRow("a relay frame with a bad CRC is turned away")
            << QStringList() << QByteArrayList { setRelay, withBadCrc(relay(poll)), relay(poll) }
            << QByteArrayList { setRelay, {}, done } << -1
            << QStringList { "01 9", "bad-crc 02 16", pollLine, "02 16" };
    QTest::newRow("a relay frame at the settings address is a memory write")
            << QStringList() << QByteArrayList { Frames::SetAddress(settings), relay(poll) }
            << QByteArrayList { Frames::SetAddress(settings), acknowledgement(QByteArray("\x02\x7E", 2)) } << -1
            << QStringList { "01 9", "02 16" };
    QTest::newRow("--corrupt-at counts relay replies")
            << QStringList { "--corrupt-at", "3" } << QByteArrayList { setRelay, relay(start), relay(poll) }
            << QByteArrayList { setRelay, done, done } << 2
            << QStringList { "01 9", startLine, "02 24", pollLine, "02 16" };
    QTest::newRow("--silent-at counts relay replies")
            << QStringList { "--silent-at", "2" } << QByteArrayList { setRelay, relay(start), relay(poll) }
            << QByteArrayList { setRelay, {}, {} } << -1
            << QStringList { "01 9", startLine, "02 24", pollLine, "02 16" };
    QTest::newRow("--split and --baud deliver whole relay replies")
            << QStringList { "--split", "--baud", "57600" } << QByteArrayList { setRelay, relay(start), relay(poll) }
            << QByteArrayList { setRelay, done, done } << -1
            << QStringList { "01 9", startLine, "02 24", pollLine, "02 16" };
}

void TestMirvanePanel::relayExchange()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArrayList, frames);
    QFETCH(QByteArrayList, replies);
    QFETCH(int, badCrcReply);
    QFETCH(QStringList, log);
    QCOMPARE(replies.size(), frames.size());

    const QString logFile = path(QStringLiteral("relay-%1.log").arg(QTest::currentDataTag()));
    PanelProcess panel;
    QVERIFY(panel.start(options + QStringList { "--log", logFile }));
    ProgramLine line;
    QVERIFY(line.open(panel.device()));

    // Replies keep the order of frames, so a reply to a frame that should get none would
    // stand in for the next expected one, or be seen by isQuiet() at the end.
    qsizetype answered = 0;
    for (qsizetype i = 0; i < frames.size(); ++i) {
        QVERIFY(line.send(frames.at(i)));
        if (replies.at(i).isEmpty())
            continue;
        QVERIFY2(line.waitForReplies(answered + 1), qPrintable(QStringLiteral("no reply to frame %1").arg(i)));
        const QByteArray reply = line.replies().at(answered++);
        QCOMPARE(Frames::hasValidCrc(reply), i != badCrcReply);
        QCOMPARE(reply.chopped(1), replies.at(i).chopped(1));
    }
    QTRY_COMPARE_WITH_TIMEOUT(logLines(logFile), log, patience);
    QVERIFY(line.isQuiet());
    QCOMPARE(line.replies().size(), answered);
    QVERIFY2(panel.stop(), panel.errors().constData());
}

void TestMirvanePanel::discovery_data()
{
    QTest::addColumn<QByteArray>("scenario");
    QTest::addColumn<int>("busyPolls");
    QTest::addColumn<QByteArrayList>("identities"); // t v y m sh sl, in the order reported

    QTest::newRow("no devices") << QByteArray(R"({"devices": []})") << 0 << QByteArrayList();
    QTest::newRow("one detector")
            << QByteArray(R"({"devices": [{"type": 1, "version": 18, "year": 13, "month": 12, "serial": 4660}]})")
            << 0 << QByteArrayList { QByteArray::fromHex("01120d0c1234") };
    QTest::newRow("devices in the scenario's order")
            << QByteArray(R"({"devices": [
                   {"type": 2, "version": 5, "year": 20, "month": 3, "serial": 1},
                   {"type": 6, "version": 1, "year": 21, "month": 4, "serial": 513, "kind": 3},
                   {"type": 7, "version": 2, "year": 22, "month": 5, "serial": 65535, "kind": 33},
                   {"type": 4, "version": 153, "year": 0, "month": 18, "serial": 256}]})")
            << 0
            << QByteArrayList { QByteArray::fromHex("020514030001"), QByteArray::fromHex("060115040201"),
                                QByteArray::fromHex("07021605ffff"), QByteArray::fromHex("049900120100") };
    QTest::newRow("busy polls come first")
            << QByteArray(R"({"busyPolls": 2, "devices": [{"type": 3, "version": 1, "year": 9, "month": 1, "serial": 7}]})")
            << 2 << QByteArrayList { QByteArray::fromHex("030109010007") };
    QByteArray many = R"({"devices": [)";
    QByteArrayList manyIdentities;
    for (int i = 1; i <= 140; ++i) {
        many += QStringLiteral(R"(%1{"type": 1, "version": %2, "year": 1, "month": 1, "serial": %3})")
                        .arg(i > 1 ? "," : "")
                        .arg(i)
                        .arg(i * 257)
                        .toLatin1();
        manyIdentities.append(QByteArray::fromHex("01") + char(i) + QByteArray::fromHex("0101") + QByteArray(2, char(i)));
    }
    many += "]}";
    // Past 7D, 7E and 7F in the identity, the reference and the number: nothing escaped moves a field.
    QTest::newRow("enough reports to pass the flag byte values") << many << 0 << manyIdentities;
    QTest::newRow("serial bytes equal to the start byte")
            << QByteArray(R"({"devices": [{"type": 1, "version": 1, "year": 1, "month": 1, "serial": 50886}]})")
            << 0 << QByteArrayList { QByteArray::fromHex("010101 01c6c6") };
}

void TestMirvanePanel::discovery()
{
    QFETCH(QByteArray, scenario);
    QFETCH(int, busyPolls);
    QFETCH(QByteArrayList, identities);

    const QByteArray poll = SearchMessages::PollMessage(module1);
    const QByteArray done = moduleReply(module1, 0x00);
    SearchLine line;
    QVERIFY(line.start({ "--scenario", this->scenario(scenario) },
                       path(QStringLiteral("discovery-%1.log").arg(QTest::currentDataTag()))));

    QCOMPARE(line.say(poll), done); // nothing is found before the start
    QCOMPARE(line.say(SearchMessages::StartMessage(module1)), done);
    for (int i = 0; i < busyPolls; ++i)
        QCOMPARE(line.say(poll), moduleReply(module1, 0x03));

    QSet<quint8> references;
    QSet<quint8> numbers;
    for (const QByteArray &identity : identities) {
        const QByteArray report = line.say(poll);
        QVERIFY(Frames::hasValidCrc(report));
        QCOMPARE(at(report, SearchMessages::ReplyCode), 0x02);
        QCOMPARE(report.mid(SearchMessages::ReportKind, 2), QByteArray::fromHex("071f"));
        QCOMPARE(report.mid(SearchMessages::IdentityBytes, 6), identity);
        const quint8 reference = at(report, SearchMessages::ReferenceByte);
        const quint8 number = at(report, SearchMessages::ReportNumber);
        QVERIFY2(!references.contains(reference) && !numbers.contains(number), "reports must be told apart");
        references.insert(reference);
        numbers.insert(number);
        QCOMPARE(line.say(SearchMessages::AckMessage(module1, number)), done);
    }
    QCOMPARE(line.say(poll), done);
    QCOMPARE(line.notes(), QStringList());
    QVERIFY2(line.stop(), line.errors().constData());
}

void TestMirvanePanel::reportAcknowledgement_data()
{
    QTest::addColumn<int>("reports"); // polled before the acknowledgement, none acknowledged
    QTest::addColumn<int>("acknowledged"); // -1: the last report's number, -2: the first's
    QTest::addColumn<bool>("mismatch");

    QTest::newRow("the last report") << 1 << -1 << false;
    QTest::newRow("the last of two") << 2 << -1 << false;
    QTest::newRow("an earlier report") << 2 << -2 << true;
    QTest::newRow("a number never sent") << 1 << 0x60 << true;
    QTest::newRow("before any report") << 0 << 0x01 << true;
}

void TestMirvanePanel::reportAcknowledgement()
{
    QFETCH(int, reports);
    QFETCH(int, acknowledged);
    QFETCH(bool, mismatch);

    SearchLine line;
    QVERIFY(line.start({ "--scenario", scenario(R"({"devices": [
                            {"type": 1, "version": 1, "year": 1, "month": 1, "serial": 1},
                            {"type": 2, "version": 2, "year": 2, "month": 2, "serial": 2}]})") },
                       path(QStringLiteral("ack-%1.log").arg(QTest::currentDataTag()))));
    QCOMPARE(line.say(SearchMessages::StartMessage(module1)), moduleReply(module1, 0x00));
    QByteArray numbers;
    for (int i = 0; i < reports; ++i)
        numbers.append(char(at(line.say(SearchMessages::PollMessage(module1)), SearchMessages::ReportNumber)));

    const quint8 number = acknowledged == -1 ? quint8(numbers.back())
            : acknowledged == -2                ? quint8(numbers.front())
                                                : quint8(acknowledged);
    QCOMPARE(line.say(SearchMessages::AckMessage(module1, number)), moduleReply(module1, 0x00));
    const QString last = numbers.isEmpty() ? QStringLiteral("none") : hexByte(quint8(numbers.back()));
    const QStringList expected = mismatch
            ? QStringList { QStringLiteral("ack-mismatch %1 last %2").arg(hexByte(number), last) }
            : QStringList();
    QCOMPARE(line.notes(), expected);
    QVERIFY2(line.stop(), line.errors().constData());
}

void TestMirvanePanel::followUp_data()
{
    QTest::addColumn<int>("device"); // whose identity report's reference is asked about; -1: none
    QTest::addColumn<int>("kind"); // -1: no follow-up report

    QTest::newRow("an address tag of type 6") << 1 << 0x03;
    QTest::newRow("an address tag of type 7") << 2 << 0x21;
    QTest::newRow("a detector's reference") << 0 << -1;
    QTest::newRow("a reference never sent") << -1 << -1;
}

void TestMirvanePanel::followUp()
{
    QFETCH(int, device);
    QFETCH(int, kind);

    SearchLine line;
    QVERIFY(line.start({ "--scenario", scenario(R"({"devices": [
                            {"type": 1, "version": 18, "year": 13, "month": 12, "serial": 4660},
                            {"type": 6, "version": 1, "year": 20, "month": 3, "serial": 513, "kind": 3},
                            {"type": 7, "version": 1, "year": 20, "month": 3, "serial": 514, "kind": 33}]})") },
                       path(QStringLiteral("followup-%1.log").arg(QTest::currentDataTag()))));
    const QByteArrayList identities = line.discover(3);
    QCOMPARE(identities.size(), 3);

    const quint8 reference = device < 0 ? 0x20 : at(identities.at(device), SearchMessages::ReferenceByte);
    const QByteArray reply = line.say(SearchMessages::FollowUpQuery(module1, reference));
    QStringList notes;
    if (kind < 0) {
        QCOMPARE(reply, moduleReply(module1, 0x00));
        notes.append(QStringLiteral("followup-mismatch ") + hexByte(reference));
    } else {
        QVERIFY(Frames::hasValidCrc(reply));
        QCOMPARE(at(reply, SearchMessages::ReplyCode), 0x02);
        QCOMPARE(reply.mid(SearchMessages::ReportKind, 3), QByteArray::fromHex("040607"));
        QCOMPARE(at(reply, SearchMessages::SubDeviceKind), kind);
        for (const QByteArray &identity : identities)
            QVERIFY(at(reply, SearchMessages::ReferenceByte) != at(identity, SearchMessages::ReferenceByte));
        const quint8 number = at(reply, SearchMessages::ReportNumber);
        QCOMPARE(line.say(SearchMessages::AckMessage(module1, number)), moduleReply(module1, 0x00));
    }
    // Answered directly, never queued for a poll.
    QCOMPARE(line.say(SearchMessages::PollMessage(module1)), moduleReply(module1, 0x00));
    QCOMPARE(line.notes(), notes);
    QVERIFY2(line.stop(), line.errors().constData());
}

void TestMirvanePanel::statusReports_data()
{
    QTest::addColumn<int>("discovered"); // identity reports taken before the requests; -1: no start
    QTest::addColumn<QByteArrayList>("requests");
    QTest::addColumn<QByteArrayList>("statuses"); // device type and serial low byte, in order

    const QByteArray a = SearchMessages::StatusRequestA(module1);
    const QByteArray b = SearchMessages::StatusRequestB(module1);
    const QByteArrayList both { QByteArray::fromHex("0134"), QByteArray::fromHex("02c6") };
    QTest::newRow("request A: every device found but the tag") << 3 << QByteArrayList { a } << both;
    QTest::newRow("request B: the same") << 3 << QByteArrayList { b } << both;
    QTest::newRow("a second request adds no duplicates") << 3 << QByteArrayList { a, b } << both;
    QTest::newRow("devices still to be reported come after their identity") << 1 << QByteArrayList { a } << both;
    QTest::newRow("before the start") << -1 << QByteArrayList { a, b } << QByteArrayList();
}

void TestMirvanePanel::statusReports()
{
    QFETCH(int, discovered);
    QFETCH(QByteArrayList, requests);
    QFETCH(QByteArrayList, statuses);

    SearchLine line;
    QVERIFY(line.start({ "--scenario", scenario(R"({"devices": [
                            {"type": 1, "version": 18, "year": 13, "month": 12, "serial": 4660},
                            {"type": 6, "version": 1, "year": 20, "month": 3, "serial": 513, "kind": 3},
                            {"type": 2, "version": 5, "year": 21, "month": 7, "serial": 22214}]})") },
                       path(QStringLiteral("status-%1.log").arg(QTest::currentDataTag()))));
    if (discovered >= 0)
        QCOMPARE(line.discover(discovered).size(), discovered);
    for (const QByteArray &request : requests)
        QCOMPARE(line.say(request), moduleReply(module1, 0x00));

    // The program acknowledges every report.
    QByteArrayList found;
    int identities = discovered;
    for (;;) {
        const QByteArray reply = line.say(SearchMessages::PollMessage(module1));
        QVERIFY(Frames::hasValidCrc(reply));
        if (at(reply, SearchMessages::ReplyCode) != 0x02)
            break;
        const QByteArray kind = reply.mid(SearchMessages::ReportKind, 2);
        if (kind == QByteArray::fromHex("082e")) {
            found.append(QByteArray(1, char(at(reply, SearchMessages::StatusDeviceType)))
                         + char(at(reply, SearchMessages::StatusSerialLow)));
        } else {
            QCOMPARE(kind, QByteArray::fromHex("071f"));
            QVERIFY2(found.isEmpty(), "an identity report after a status report");
            ++identities;
        }
        QCOMPARE(line.say(SearchMessages::AckMessage(module1, at(reply, SearchMessages::ReportNumber))),
                 moduleReply(module1, 0x00));
        QVERIFY2(found.size() <= statuses.size(), "more status reports than devices");
    }
    QCOMPARE(found, statuses);
    QCOMPARE(identities, discovered < 0 ? -1 : 3);
    QCOMPARE(line.notes(), QStringList());
    QVERIFY2(line.stop(), line.errors().constData());
}

void TestMirvanePanel::addressMessage_data()
{
    QTest::addColumn<int>("device"); // the address message is about this one
    QTest::addColumn<int>("referenceOf"); // this device's status report; -1: its identity report
    QTest::addColumn<int>("type"); // byte 13
    QTest::addColumn<int>("serial"); // its low byte goes into byte 18
    QTest::addColumn<QString>("note"); // %1: the reference sent
    QTest::addColumn<QByteArray>("answered"); // identity in the 08 2B report; empty: none
    QTest::addColumn<QByteArrayList>("statusesAfter"); // type and serial low byte on a new request

    const QByteArray first = QByteArray::fromHex("0134");
    const QByteArray second = QByteArray::fromHex("02c6");
    QTest::newRow("the first device") << 0 << 0 << 0x01 << 0x1234 << "address 01 1234 2"
                                      << QByteArray::fromHex("01120d0c1234") << QByteArrayList { second };
    QTest::newRow("a serial low byte of C6") << 1 << 1 << 0x02 << 0x56C6 << "address 02 56C6 2"
                                             << QByteArray::fromHex("02051507 56c6") << QByteArrayList { first };
    QTest::newRow("the other device's reference")
            << 0 << 1 << 0x01 << 0x1234 << "address-mismatch %1 01 34 2" << QByteArray()
            << QByteArrayList { first, second };
    QTest::newRow("an identity report's reference")
            << 0 << -1 << 0x01 << 0x1234 << "address-mismatch %1 01 34 2" << QByteArray()
            << QByteArrayList { first, second };
    QTest::newRow("another type") << 0 << 0 << 0x03 << 0x1234 << "address-mismatch %1 03 34 2" << QByteArray()
                                  << QByteArrayList { first, second };
    QTest::newRow("another serial low byte")
            << 0 << 0 << 0x01 << 0x1235 << "address-mismatch %1 01 35 2" << QByteArray()
            << QByteArrayList { first, second };
}

void TestMirvanePanel::addressMessage()
{
    QFETCH(int, device);
    QFETCH(int, referenceOf);
    QFETCH(int, type);
    QFETCH(int, serial);
    QFETCH(QString, note);
    QFETCH(QByteArray, answered);
    QFETCH(QByteArrayList, statusesAfter);

    const QByteArray poll = SearchMessages::PollMessage(module1);
    const QByteArray done = moduleReply(module1, 0x00);
    SearchLine line;
    QVERIFY(line.start({ "--scenario", scenario(R"({"devices": [
                            {"type": 1, "version": 18, "year": 13, "month": 12, "serial": 4660},
                            {"type": 2, "version": 5, "year": 21, "month": 7, "serial": 22214}]})") },
                       path(QStringLiteral("address-%1.log").arg(QTest::currentDataTag()))));
    const QByteArrayList identities = line.discover(2);
    QCOMPARE(identities.size(), 2);
    QCOMPARE(line.say(SearchMessages::StatusRequestA(module1)), done);
    QByteArrayList statuses;
    for (int i = 0; i < 2; ++i) {
        statuses.append(line.say(poll));
        QCOMPARE(statuses.back().mid(SearchMessages::ReportKind, 2), QByteArray::fromHex("082e"));
        QCOMPARE(line.say(SearchMessages::AckMessage(module1, at(statuses.back(), SearchMessages::ReportNumber))),
                 done);
    }

    // As the program sends it: version and month read as BCD, byte 9 taken from the report.
    const QByteArray identity = identities.at(device).mid(SearchMessages::IdentityBytes, 6);
    QByteArray message = SearchMessages::AddressMessage(module1, type, Frames::fromBcd(quint8(identity.at(1))),
                                                        quint8(identity.at(2)), Frames::fromBcd(quint8(identity.at(3))),
                                                        0, serial, 2);
    const quint8 reference = at(referenceOf < 0 ? identities.at(device) : statuses.at(referenceOf),
                                SearchMessages::ReferenceByte);
    message[9] = char(reference);
    QCOMPARE(line.say(message), done);
    QCOMPARE(line.notes(), QStringList { answered.isEmpty() ? note.arg(hexByte(reference)) : note });

    if (!answered.isEmpty()) {
        const QByteArray report = line.say(poll);
        QVERIFY(Frames::hasValidCrc(report));
        QCOMPARE(at(report, SearchMessages::ReplyCode), 0x02);
        QCOMPARE(report.mid(SearchMessages::ReportKind, 2), QByteArray::fromHex("082b"));
        QCOMPARE(report.mid(SearchMessages::IdentityBytes, 6), answered);
        QCOMPARE(line.say(SearchMessages::AckMessage(module1, at(report, SearchMessages::ReportNumber))), done);
    }
    QCOMPARE(line.say(poll), done);

    // A device that took its address is not reported as waiting for one again.
    QCOMPARE(line.say(SearchMessages::StatusRequestB(module1)), done);
    QByteArrayList after;
    for (qsizetype i = 0; i < statusesAfter.size(); ++i) {
        const QByteArray report = line.say(poll);
        after.append(QByteArray(1, char(at(report, SearchMessages::StatusDeviceType)))
                     + char(at(report, SearchMessages::StatusSerialLow)));
        QCOMPARE(line.say(SearchMessages::AckMessage(module1, at(report, SearchMessages::ReportNumber))), done);
    }
    QCOMPARE(after, statusesAfter);
    QCOMPARE(line.say(poll), done);
    QVERIFY2(line.stop(), line.errors().constData());
}

QTEST_GUILESS_MAIN(TestMirvanePanel)
#include "tst_mirvanepanel.moc"
