#include <frameassembler.h>
#include <frames.h>

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSerialPort>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>

namespace {

constexpr int patience = 10000; // ms; sanitizer builds start slowly
constexpr int memorySize = Frames::BlockSize * Frames::BlockCount;
constexpr quint32 settings = Frames::SettingsAddress;

QByteArray contents(const QString &fileName)
{
    QFile file(fileName);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool write(const QString &fileName, const QByteArray &bytes)
{
    QFile file(fileName);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList logLines(const QString &fileName)
{
    return QString::fromLatin1(contents(fileName)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
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

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }
    QByteArray memoryAt(quint32 address, int count) const { return m_memory.mid(address - settings, count); }

    QTemporaryDir m_dir;
    QByteArray m_memory;
};

void TestMirvanePanel::initTestCase()
{
    QVERIFY(m_dir.isValid());
    m_memory = randomBytes(memorySize, 1);
    QVERIFY(write(path("memory.tab"), m_memory));
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
    QCOMPARE(contents(saveFile), saved);
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

    QVERIFY(write(path("empty.tab"), {}));
    QVERIFY(write(path("short.tab"), m_memory.left(memorySize - 1)));

    QTest::newRow("empty memory file") << QStringList { "--memory", path("empty.tab") };
    QTest::newRow("memory file one byte short") << QStringList { "--memory", path("short.tab") };
    QTest::newRow("missing memory file") << QStringList { "--memory", path("absent.tab") };
    QTest::newRow("missing device") << QStringList { "--port", path("absent-device") };
    QTest::newRow("--corrupt-at 0") << QStringList { "--corrupt-at", "0" };
    QTest::newRow("--silent-at not a number") << QStringList { "--silent-at", "two" };
    QTest::newRow("--baud negative") << QStringList { "--baud", "-9600" };
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

QTEST_GUILESS_MAIN(TestMirvanePanel)
#include "tst_mirvanepanel.moc"
