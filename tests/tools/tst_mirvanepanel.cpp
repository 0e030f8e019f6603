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
#include <functional>
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
    void searchConversation();
    void missteps_areNoted_data();
    void missteps_areNoted();

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

namespace {

// A detector, an address tag and a detector whose serial holds 7D and the start byte C6.
const char *const searchDevices = R"("devices": [
    {"type": 1, "version": 18, "year": 13, "month": 12, "serial": 4660},
    {"type": 6, "version": 1, "year": 20, "month": 3, "serial": 513, "kind": 3},
    {"type": 2, "version": 126, "year": 21, "month": 7, "serial": 32198}])";

// The address message the program sends for an identity report, about `reference`.
QByteArray addressMessageFor(const QByteArray &identityReport, quint8 reference, int type, int serial)
{
    const QByteArray identity = identityReport.mid(SearchMessages::IdentityBytes, 6);
    QByteArray message = SearchMessages::AddressMessage(module1, type, Frames::fromBcd(quint8(identity.at(1))),
                                                        quint8(identity.at(2)),
                                                        Frames::fromBcd(quint8(identity.at(3))), 0, serial, 2);
    message[9] = char(reference);
    return message;
}

// Takes every report the module has queued, acknowledging each; the rest are compared
// by the caller.
QByteArrayList drainReports(SearchLine &line)
{
    QByteArrayList reports;
    for (int guard = 0; guard < 16; ++guard) {
        const QByteArray reply = line.say(SearchMessages::PollMessage(module1));
        if (!Frames::hasValidCrc(reply) || at(reply, SearchMessages::ReplyCode) != 0x02)
            break;
        reports.append(reply);
        line.say(SearchMessages::AckMessage(module1, at(reply, SearchMessages::ReportNumber)));
    }
    return reports;
}

QByteArray statusOf(const QByteArray &report) // device type and serial low byte
{
    return QByteArray(1, char(at(report, SearchMessages::StatusDeviceType))) + char(at(report, SearchMessages::StatusSerialLow));
}

using MisstepFn = std::function<QString(SearchLine &)>; // makes the misstep, returns the note expected

} // namespace

Q_DECLARE_METATYPE(MisstepFn)

void TestMirvanePanel::searchConversation()
{
    const QByteArray done = moduleReply(module1, 0x00);
    SearchLine line;
    QVERIFY(line.start({ "--scenario", scenario(QByteArray(R"({"busyPolls": 2, )") + searchDevices + "}") },
                       path(QStringLiteral("search.log"))));

    QCOMPARE(line.say(SearchMessages::PollMessage(module1)), done); // nothing is found before the start
    QCOMPARE(line.say(SearchMessages::StartMessage(module1)), done);
    for (int i = 0; i < 2; ++i)
        QCOMPARE(line.say(SearchMessages::PollMessage(module1)), moduleReply(module1, 0x03));

    // Identity reports in the scenario's order, told apart by reference and number.
    const QByteArrayList identities = drainReports(line);
    QCOMPARE(identities.size(), 3);
    const QByteArrayList expectedIdentities { QByteArray::fromHex("01120d0c1234"), QByteArray::fromHex("060114030201"),
                                              QByteArray::fromHex("027e15077dc6") };
    QSet<quint8> references;
    QSet<quint8> numbers;
    for (qsizetype i = 0; i < identities.size(); ++i) {
        QCOMPARE(identities.at(i).mid(SearchMessages::ReportKind, 2), QByteArray::fromHex("071f"));
        QCOMPARE(identities.at(i).mid(SearchMessages::IdentityBytes, 6), expectedIdentities.at(i));
        references.insert(at(identities.at(i), SearchMessages::ReferenceByte));
        numbers.insert(at(identities.at(i), SearchMessages::ReportNumber));
    }
    QCOMPARE(references.size(), 3);
    QCOMPARE(numbers.size(), 3);

    // The tag's follow-up is answered directly with its sub-device report.
    const QByteArray followUp
            = line.say(SearchMessages::FollowUpQuery(module1, at(identities.at(1), SearchMessages::ReferenceByte)));
    QCOMPARE(followUp.mid(SearchMessages::ReportKind, 3), QByteArray::fromHex("040607"));
    QCOMPARE(at(followUp, SearchMessages::SubDeviceKind), 0x03);
    QCOMPARE(line.say(SearchMessages::AckMessage(module1, at(followUp, SearchMessages::ReportNumber))), done);

    // Every device but the tag waits for an address.
    QCOMPARE(line.say(SearchMessages::StatusRequestA(module1)), done);
    const QByteArrayList statuses = drainReports(line);
    QCOMPARE(statuses.size(), 2);
    QCOMPARE(statusOf(statuses.at(0)), QByteArray::fromHex("0134"));
    QCOMPARE(statusOf(statuses.at(1)), QByteArray::fromHex("02c6"));

    // The first detector takes its address, reports it, and waits no more.
    QCOMPARE(line.say(addressMessageFor(identities.at(0), at(statuses.at(0), SearchMessages::ReferenceByte), 0x01, 0x1234)),
             done);
    const QByteArrayList answered = drainReports(line);
    QCOMPARE(answered.size(), 1);
    QCOMPARE(answered.first().mid(SearchMessages::ReportKind, 2), QByteArray::fromHex("082b"));
    QCOMPARE(answered.first().mid(SearchMessages::IdentityBytes, 6), expectedIdentities.at(0));
    QCOMPARE(line.say(SearchMessages::StatusRequestB(module1)), done);
    const QByteArrayList waiting = drainReports(line);
    QCOMPARE(waiting.size(), 1);
    QCOMPARE(statusOf(waiting.first()), QByteArray::fromHex("02c6"));

    QCOMPARE(line.notes(), QStringList { QStringLiteral("address 01 1234 2") });
    QVERIFY2(line.stop(), line.errors().constData());
}

void TestMirvanePanel::missteps_areNoted_data()
{
    QTest::addColumn<MisstepFn>("misstep");

    QTest::newRow("an acknowledgement before any report") << MisstepFn([](SearchLine &line) {
        line.say(SearchMessages::StartMessage(module1));
        line.say(SearchMessages::AckMessage(module1, 0x01));
        return QStringLiteral("ack-mismatch 01 last none");
    });
    QTest::newRow("an acknowledgement of an earlier report") << MisstepFn([](SearchLine &line) {
        line.say(SearchMessages::StartMessage(module1));
        const quint8 first = at(line.say(SearchMessages::PollMessage(module1)), SearchMessages::ReportNumber);
        const quint8 second = at(line.say(SearchMessages::PollMessage(module1)), SearchMessages::ReportNumber);
        line.say(SearchMessages::AckMessage(module1, first));
        return QStringLiteral("ack-mismatch %1 last %2").arg(hexByte(first), hexByte(second));
    });
    QTest::newRow("a follow-up about a detector") << MisstepFn([](SearchLine &line) {
        const quint8 reference = at(line.discover(1).value(0), SearchMessages::ReferenceByte);
        line.say(SearchMessages::FollowUpQuery(module1, reference));
        return QStringLiteral("followup-mismatch ") + hexByte(reference);
    });
    QTest::newRow("an address message about an identity report's reference") << MisstepFn([](SearchLine &line) {
        const QByteArray identity = line.discover(1).value(0);
        const quint8 reference = at(identity, SearchMessages::ReferenceByte);
        line.say(addressMessageFor(identity, reference, 0x01, 0x1234));
        return QStringLiteral("address-mismatch %1 01 34 2").arg(hexByte(reference));
    });
}

void TestMirvanePanel::missteps_areNoted()
{
    QFETCH(MisstepFn, misstep);

    SearchLine line;
    QVERIFY(line.start({ "--scenario", scenario(QByteArray("{") + searchDevices + "}") },
                       path(QStringLiteral("misstep-%1.log").arg(QTest::currentDataTag()))));
    const QString note = misstep(line);
    QCOMPARE(line.notes(), QStringList { note });
    // The module goes on as before: nothing was taken from it.
    QVERIFY(Frames::hasValidCrc(line.say(SearchMessages::PollMessage(module1))));
    QVERIFY2(line.stop(), line.errors().constData());
}

QTEST_GUILESS_MAIN(TestMirvanePanel)
#include "tst_mirvanepanel.moc"
