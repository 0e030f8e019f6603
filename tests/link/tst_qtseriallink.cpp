#include "unexpectedwarnings.h"

#include <link/qtseriallink.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(PortSettings)

#ifdef Q_OS_LINUX

#include "pseudoterminal.h"

#include <cerrno>
#include <cstdarg>
#include <dlfcn.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/ioctl.h>
#include <termios.h>

namespace {

// Pseudo-terminals have no modem lines, so the test keeps them: the port's requests for
// DTR and RTS reach the ioctl below before the C library's. A port opens with both high.
struct ModemLines
{
    static constexpr int OnOpening = TIOCM_DTR | TIOCM_RTS;
    static int &lines()
    {
        static int value = OnOpening;
        return value;
    }
};

} // namespace

extern "C" int ioctl(int fd, unsigned long request, ...)
{
    va_list arguments;
    va_start(arguments, request);
    void *const argument = va_arg(arguments, void *);
    va_end(arguments);
    switch (request) {
    case TIOCMGET:
        *static_cast<int *>(argument) = ModemLines::lines();
        return 0;
    case TIOCMSET:
        ModemLines::lines() = *static_cast<const int *>(argument);
        return 0;
    case TIOCMBIS:
        ModemLines::lines() |= *static_cast<const int *>(argument);
        return 0;
    case TIOCMBIC:
        ModemLines::lines() &= ~*static_cast<const int *>(argument);
        return 0;
    default:
        break;
    }
    using Ioctl = int (*)(int, unsigned long, ...);
    static const auto next = reinterpret_cast<Ioctl>(dlsym(RTLD_NEXT, "ioctl"));
    return next(fd, request, argument);
}

namespace {

QByteArray everyByteValue(int times)
{
    QByteArray bytes;
    for (int t = 0; t < times; ++t)
        for (int value = 0; value < 256; ++value)
            bytes.append(char(value));
    return bytes;
}

// The four flow-control lines as bits, so tables can list them compactly.
enum Line { Rts = 1, Cts = 2, XonIn = 4, XonOut = 8 };

PortSettings make(const QString &baudRate, int customBaudRate, const QString &dataBits,
                  const QString &stopBits, const QString &parity, int lines)
{
    PortSettings settings;
    settings.baudRate = baudRate;
    settings.customBaudRate = customBaudRate;
    settings.dataBits = dataBits;
    settings.stopBits = stopBits;
    settings.parity = parity;
    settings.rtsHandshake = lines & Rts;
    settings.ctsOutputFlow = lines & Cts;
    settings.xonXoffInput = lines & XonIn;
    settings.xonXoffOutput = lines & XonOut;
    return settings;
}

PortSettings settingsFor(const QString &port)
{
    PortSettings settings;
    settings.port = port;
    settings.setFlowControl(QStringLiteral("None"));
    return settings;
}

const QString OpenFailurePrefix = QStringLiteral("Unable to open com port (Error: ");

} // namespace

class TestQtSerialLink : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void applyPortSettings_data();
    void applyPortSettings();
    void open_settingsReachTheDevice_data();
    void open_settingsReachTheDevice();
    void bytes_passUnchanged_data();
    void bytes_passUnchanged();
    void open_fails_data();
    void open_fails();
    void open_refusedToAnotherUser_data();
    void open_refusedToAnotherUser();
    void open_dropsWhatArrivedWhileClosed();
    void panelGone_closesAndReportsOnce();

private:
    std::unique_ptr<PseudoTerminal> m_pty;
};

void TestQtSerialLink::init()
{
    failOnUnexpectedWarnings();
    m_pty = std::make_unique<PseudoTerminal>();
    QVERIFY(m_pty->isValid());
}

void TestQtSerialLink::cleanup()
{
    m_pty.reset();
}

void TestQtSerialLink::applyPortSettings_data()
{
    QTest::addColumn<PortSettings>("settings");
    QTest::addColumn<int>("baudRate");
    QTest::addColumn<QSerialPort::DataBits>("dataBits");
    QTest::addColumn<QSerialPort::Parity>("parity");
    QTest::addColumn<QSerialPort::StopBits>("stopBits");
    QTest::addColumn<QSerialPort::FlowControl>("flowControl");

    QTest::newRow("start values")
            << PortSettings() << 9600 << QSerialPort::Data8 << QSerialPort::NoParity
            << QSerialPort::OneStop << QSerialPort::NoFlowControl;
    QTest::newRow("hardware, 7 bits, odd, 2 stop")
            << make(QStringLiteral("19200"), 0, QStringLiteral("7"), QStringLiteral("2"),
                    QStringLiteral("Odd"), Rts | Cts)
            << 19200 << QSerialPort::Data7 << QSerialPort::OddParity << QSerialPort::TwoStop
            << QSerialPort::HardwareControl;
    QTest::newRow("software, 5 bits, even, 1.5 stop")
            << make(QStringLiteral("110"), 0, QStringLiteral("5"), QStringLiteral("1.5"),
                    QStringLiteral("Even"), XonIn | XonOut)
            << 110 << QSerialPort::Data5 << QSerialPort::EvenParity
            << QSerialPort::OneAndHalfStop << QSerialPort::SoftwareControl;
    QTest::newRow("custom rate, 6 bits, mark")
            << make(QStringLiteral("Custom"), 250000, QStringLiteral("6"), QStringLiteral("1"),
                    QStringLiteral("Mark"), 0)
            << 250000 << QSerialPort::Data6 << QSerialPort::MarkParity << QSerialPort::OneStop
            << QSerialPort::NoFlowControl;
    QTest::newRow("space, custom flow with rts only")
            << make(QStringLiteral("256000"), 0, QStringLiteral("8"), QStringLiteral("1"),
                    QStringLiteral("Space"), Rts)
            << 256000 << QSerialPort::Data8 << QSerialPort::SpaceParity << QSerialPort::OneStop
            << QSerialPort::HardwareControl;
    QTest::newRow("custom flow with cts and xon out")
            << make(QStringLiteral("9600"), 0, QStringLiteral("8"), QStringLiteral("1"),
                    QStringLiteral("None"), Cts | XonOut)
            << 9600 << QSerialPort::Data8 << QSerialPort::NoParity << QSerialPort::OneStop
            << QSerialPort::HardwareControl;
    QTest::newRow("custom flow with xon in only")
            << make(QStringLiteral("9600"), 0, QStringLiteral("8"), QStringLiteral("1"),
                    QStringLiteral("None"), XonIn)
            << 9600 << QSerialPort::Data8 << QSerialPort::NoParity << QSerialPort::OneStop
            << QSerialPort::SoftwareControl;
}

void TestQtSerialLink::applyPortSettings()
{
    QFETCH(PortSettings, settings);
    QFETCH(int, baudRate);
    QFETCH(QSerialPort::DataBits, dataBits);
    QFETCH(QSerialPort::Parity, parity);
    QFETCH(QSerialPort::StopBits, stopBits);
    QFETCH(QSerialPort::FlowControl, flowControl);

    settings.port = QStringLiteral("ttyS7");
    QSerialPort port;
    ::applyPortSettings(port, settings);
    QCOMPARE(port.portName(), QStringLiteral("ttyS7"));
    QCOMPARE(port.baudRate(), baudRate);
    QCOMPARE(port.dataBits(), dataBits);
    QCOMPARE(port.parity(), parity);
    QCOMPARE(port.stopBits(), stopBits);
    QCOMPARE(port.flowControl(), flowControl);
}

void TestQtSerialLink::open_settingsReachTheDevice_data()
{
    QTest::addColumn<PortSettings>("settings");
    QTest::addColumn<uint>("speed");
    QTest::addColumn<uint>("cflagsOn");
    QTest::addColumn<uint>("iflagsOn");
    QTest::addColumn<int>("linesHigh");

    QTest::newRow("9600, one stop bit, no flow control")
            << make(QStringLiteral("9600"), 0, QStringLiteral("8"), QStringLiteral("1"),
                    QStringLiteral("None"), 0)
            << uint(B9600) << 0u << 0u << 0;
    QTest::newRow("19200, odd, two stop bits, hardware") // RTS is the driver's
            << make(QStringLiteral("19200"), 0, QStringLiteral("7"), QStringLiteral("2"),
                    QStringLiteral("Odd"), Rts | Cts)
            << uint(B19200) << uint(PARODD | CSTOPB | CRTSCTS) << 0u << int(TIOCM_RTS);
    QTest::newRow("custom 38400, space, software")
            << make(QStringLiteral("Custom"), 38400, QStringLiteral("8"), QStringLiteral("1"),
                    QStringLiteral("Space"), XonIn | XonOut)
            << uint(B38400) << uint(CMSPAR) << uint(IXON | IXOFF) << 0;
}

void TestQtSerialLink::open_settingsReachTheDevice()
{
    QFETCH(PortSettings, settings);
    QFETCH(uint, speed);
    QFETCH(uint, cflagsOn);
    QFETCH(uint, iflagsOn);
    QFETCH(int, linesHigh);

    settings.port = m_pty->portPath();
    QtSerialLink link;
    QString error;
    ModemLines::lines() = ModemLines::OnOpening;
    QVERIFY2(link.open(settings, &error), qPrintable(error));
    QCOMPARE(ModemLines::lines() & (TIOCM_DTR | TIOCM_RTS), linesHigh);

    // Linux pseudo-terminals force 8 bits without parity, so only these flags show.
    const termios tio = m_pty->portTermios();
    QCOMPARE(uint(cfgetospeed(&tio)), speed);
    QCOMPARE(uint(tio.c_cflag & (PARODD | CMSPAR | CSTOPB | CRTSCTS)), cflagsOn);
    QCOMPARE(uint(tio.c_iflag & (IXON | IXOFF)), iflagsOn);
}

void TestQtSerialLink::bytes_passUnchanged_data()
{
    QTest::addColumn<bool>("fromPanel");
    QTest::addColumn<QByteArray>("bytes");

    QTest::newRow("to the panel, every byte value") << false << everyByteValue(1);
    QTest::newRow("to the panel, every byte value 16 times") << false << everyByteValue(16);
    QTest::newRow("from the panel, every byte value") << true << everyByteValue(1);
    QTest::newRow("from the panel, every byte value 16 times") << true << everyByteValue(16);
}

void TestQtSerialLink::bytes_passUnchanged()
{
    QFETCH(bool, fromPanel);
    QFETCH(QByteArray, bytes);

    QtSerialLink link;
    QString error;
    QVERIFY2(link.open(settingsFor(m_pty->portPath()), &error), qPrintable(error));
    QVERIFY(link.isOpen());

    if (fromPanel) {
        QByteArray received;
        connect(&link, &SerialLink::received, this, [&](const QByteArray &batch) {
            QVERIFY(!batch.isEmpty());
            received += batch;
        });
        QVERIFY(m_pty->write(bytes));
        QTRY_COMPARE(received.size(), bytes.size());
        QCOMPARE(received, bytes);
    } else {
        QSignalSpy written(&link, &SerialLink::written);
        QVERIFY2(link.write(bytes, &error), qPrintable(error));
        QVERIFY(written.wait());
        QCOMPARE(m_pty->read(bytes.size()), bytes);
    }
}

void TestQtSerialLink::open_fails_data()
{
    // "pty": the pseudo-terminal, already held by another link; "{dir}": a test folder
    QTest::addColumn<QString>("port");
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QString>("advice"); // a line after the reason; "{port}" is the port

    QTest::newRow("missing device") << "/dev/mirvane-no-such-port" << ENOENT << "Файл не найден" << QString();
    QTest::newRow("empty port name") << QString() << ENOENT << "Порт не выбран: укажите его в настройке COM-порта."
                                     << QString();
    QTest::newRow("port in use") << "pty" << EBUSY << "Занято другой программой"
                                 << "Порт {port} открыт другой программой (быть может, другим окном Mirvane): "
                                    "закройте её и повторите.";
    QTest::newRow("a folder") << "{dir}" << EISDIR << "Это папка, а не файл" << QString();
    QTest::newRow("not a serial port") << "{dir}/file" << ENOTTY << "Это не последовательный порт" << QString();
}

void TestQtSerialLink::open_fails()
{
    QFETCH(QString, port);
    QFETCH(int, code);
    QFETCH(QString, reason);
    QFETCH(QString, advice);

    QtSerialLink holder;
    if (port == QLatin1String("pty")) {
        port = m_pty->portPath();
        QString error;
        QVERIFY2(holder.open(settingsFor(port), &error), qPrintable(error));
    }
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("file")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    port.replace(QLatin1String("{dir}"), dir.path());

    QtSerialLink link;
    QString error;
    QVERIFY(!link.open(settingsFor(port), &error));
    QVERIFY(!link.isOpen());
    // The port is named, so that a wrong choice shows; none is when none was chosen.
    const QString named = port.isEmpty() ? reason : QStringLiteral("Порт «%1»: %2").arg(port, reason);
    advice.replace(QLatin1String("{port}"), port);
    QCOMPARE(error, OpenFailurePrefix + QString::number(code) + QStringLiteral(")\n") + named
                     + (advice.isEmpty() ? QString() : QLatin1Char('\n') + advice));
}

void TestQtSerialLink::open_refusedToAnotherUser_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("held"); // by this process, root
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("message"); // "{port}" is the port

    QTest::newRow("not in the group")
            << 0660 << false << EACCES
            << "Порт «{port}»: Нет доступа\nНет доступа к порту {port}: он открыт только для группы dialout. "
               "Добавьте себя в неё: sudo usermod -aG dialout $USER — и войдите в систему заново.";
    // The holder's lock file turns the user away after calls that leave a number of their own
    // (EPERM from asking after root's process): the user may use the device, so it is held.
    QTest::newRow("held by another program")
            << 0666 << true << EBUSY
            << "Порт «{port}»: Занято другой программой\nПорт {port} открыт другой программой (быть может, "
               "другим окном Mirvane): закройте её и повторите.";
}

void TestQtSerialLink::open_refusedToAnotherUser()
{
    QFETCH(int, mode);
    QFETCH(bool, held);
    QFETCH(int, code);
    QFETCH(QString, message);

    if (geteuid() != 0)
        QSKIP("only root can hand the port to root:dialout and open it as another user");
    const group *dialout = getgrnam("dialout");
    if (!dialout)
        QSKIP("the system has no dialout group");
    const QString port = m_pty->portPath();
    const QByteArray path = QFile::encodeName(port);
    QCOMPARE(::chown(path.constData(), 0, dialout->gr_gid), 0);
    QCOMPARE(::chmod(path.constData(), mode_t(mode)), 0);
    QtSerialLink holder;
    QString error;
    if (held)
        QVERIFY2(holder.open(settingsFor(port), &error), qPrintable(error));

    // A child that has become "nobody", not in dialout, opens the port and tells what it got.
    int pipeEnds[2];
    QCOMPARE(::pipe(pipeEnds), 0);
    const pid_t child = ::fork();
    QVERIFY(child >= 0);
    if (child == 0) {
        ::close(pipeEnds[0]);
        constexpr uid_t Nobody = 65534;
        QByteArray told = "could not become nobody";
        if (::setgroups(0, nullptr) == 0 && ::setresgid(Nobody, Nobody, Nobody) == 0
            && ::setresuid(Nobody, Nobody, Nobody) == 0) {
            QtSerialLink link;
            QString refusal;
            told = link.open(settingsFor(port), &refusal) ? QByteArray("opened") : refusal.toUtf8();
        }
        const ssize_t written = ::write(pipeEnds[1], told.constData(), size_t(told.size()));
        ::_exit(written == told.size() ? 0 : 1);
    }
    ::close(pipeEnds[1]);
    QByteArray told;
    char chunk[1024];
    for (ssize_t n; (n = ::read(pipeEnds[0], chunk, sizeof chunk)) > 0;)
        told.append(chunk, n);
    ::close(pipeEnds[0]);
    int status = 0;
    QCOMPARE(::waitpid(child, &status, 0), child);
    QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);

    message.replace(QLatin1String("{port}"), port);
    QCOMPARE(QString::fromUtf8(told), OpenFailurePrefix + QString::number(code) + QStringLiteral(")\n") + message);
}

void TestQtSerialLink::open_dropsWhatArrivedWhileClosed()
{
    QtSerialLink link;
    QString error;
    QVERIFY2(link.open(settingsFor(m_pty->portPath()), &error), qPrintable(error));
    link.close();
    // A late reply to a frame sent before the port was closed.
    const QByteArray late = QByteArray::fromHex("c60107080000" "43");
    QVERIFY(m_pty->write(late));
    QVERIFY(m_pty->portHolds(late.size()));

    QByteArray received;
    connect(&link, &SerialLink::received, this, [&received](const QByteArray &batch) { received += batch; });
    QVERIFY2(link.open(settingsFor(m_pty->portPath()), &error), qPrintable(error));
    const QByteArray answer = QByteArray::fromHex("c60109010030c01f" "98");
    QVERIFY(m_pty->write(answer));
    QTRY_COMPARE(received.size(), answer.size());
    QCOMPARE(received, answer);
}

void TestQtSerialLink::panelGone_closesAndReportsOnce()
{
    QtSerialLink link;
    QString error;
    QVERIFY2(link.open(settingsFor(m_pty->portPath()), &error), qPrintable(error));
    QSignalSpy failed(&link, &SerialLink::failed);

    m_pty->closeMaster();
    QTRY_COMPARE(failed.count(), 1);
    QCoreApplication::sendPostedEvents();
    QCOMPARE(failed.count(), 1);
    QVERIFY(!link.isOpen());
    // The hung-up line reads as ended without a number of its own; whatever number an
    // earlier call left behind must not be shown as the reason.
    QCOMPARE(failed.first().first().toString(), QStringLiteral("порт перестал работать (отсоединён кабель?)"));
}

#else

// Pseudo-terminals stand in for the panel; only Linux is set up for them here.
class TestQtSerialLink : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QSKIP("needs Linux pseudo-terminals"); }
};

#endif

QTEST_GUILESS_MAIN(TestQtSerialLink)
#include "tst_qtseriallink.moc"
