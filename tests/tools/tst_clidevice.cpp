// mirvane-cli's device commands against mirvane-panel.

#include "clirun.h"
#include "panelprocess.h"
#include "testfiles.h"
#include "testimages.h"

#include <link/frames.h>
#include <link/qtseriallink.h>
#include <model/configuration.h>
#include <storage/filecommands.h>
#include <storage/imagebuilder.h>
#include <storage/tabfile.h>

#include <QRegularExpression>
#include <QScopeGuard>
#include <QSerialPortInfo>

#include <algorithm>
#include <signal.h>
#ifdef Q_OS_LINUX
#include "pseudoterminal.h"

#include <grp.h>
#include <sys/stat.h>
#endif
#include <QTemporaryDir>
#include <QTest>

namespace {

struct Run
{
    int exitCode = -1;
    QString err;
};

// `asNobody`: run as user "nobody", in no group but its own, as a root test can.
Run cli(const QStringList &arguments, bool asNobody = false)
{
    QProcess process;
#ifdef Q_OS_LINUX
    if (asNobody) {
        process.setChildProcessModifier([] {
            constexpr uid_t Nobody = 65534;
            if (::setgroups(0, nullptr) != 0 || ::setresgid(Nobody, Nobody, Nobody) != 0
                || ::setresuid(Nobody, Nobody, Nobody) != 0)
                ::_exit(127);
        });
    }
#else
    Q_UNUSED(asNobody);
#endif
    process.start(QStringLiteral(MIRVANE_CLI), arguments);
    Run run;
    if (!process.waitForFinished(120000))
        return run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.err = QString::fromUtf8(process.readAllStandardError());
    return run;
}


} // namespace

class TestCliDevice : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void read_savesThePanelMemory();
    void write_sendsTheFile();
    void workmode();
    void write_verified_data();
    void write_verified();
    void compare_data();
    void compare();
    void interrupt_endsTheTransfer_data();
    void interrupt_endsTheTransfer();
    void backups_keptOfEveryReadAndWrite();
    void search_addsTheFoundDevices();
    void failures_data();
    void failures();
    void ports_listsTheSystemsAndThePanels();
    void portRefused_namesTheRemedy_data();
    void portRefused_namesTheRemedy();

private:
    QScopedPointer<QTemporaryDir> m_temporary;
    QDir m_dir;
};

void TestCliDevice::init()
{
#ifndef Q_OS_LINUX
    QSKIP("mirvane-panel serves pseudo-terminals on Linux only");
#endif
    m_temporary.reset(new QTemporaryDir);
    QVERIFY(m_temporary->isValid());
    m_dir.setPath(m_temporary->path());
    // The copies of what is read and written go to this test's folder, not the user's.
    qputenv("XDG_DATA_HOME", m_dir.filePath("data").toLocal8Bit());
}

void TestCliDevice::read_savesThePanelMemory()
{
    const QByteArray memory = imageWithZoneName(1, QStringLiteral("ГАРАЖ"));
    QVERIFY(writeFile(m_dir.filePath("panel.tab"), memory));
    PanelProcess panel({ "--memory", m_dir.filePath("panel.tab") });
    const Run run = cli({ "read", "--port", panel.port(), m_dir.filePath("out.tab") });
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.err.contains("Идет чтение из прибора: 1599/1600"), qPrintable(run.err));
    QCOMPARE(readFile(m_dir.filePath("out.tab")), memory);
}

void TestCliDevice::write_sendsTheFile()
{
    const QByteArray image = imageWithZoneName(1, QStringLiteral("ГАРАЖ"));
    QVERIFY(writeFile(m_dir.filePath("in.tab"), image));
    PanelProcess panel({ "--save", m_dir.filePath("saved.tab") });
    const Run run = cli({ "write", "--port", panel.port(), m_dir.filePath("in.tab") });
    QCOMPARE(run.exitCode, 0);
    QVERIFY2(run.err.contains("Идет запись в прибор: 1599/1600"), qPrintable(run.err));
    QVERIFY(panel.terminate());
    QCOMPARE(readFile(m_dir.filePath("saved.tab")), image);
}

void TestCliDevice::write_verified_data()
{
    QTest::addColumn<QStringList>("panelOptions");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("report"); // empty: none

    QTest::newRow("the panel holds it") << QStringList() << 0 << QString();
    // A byte in block 782 goes bad once the write is done.
    QTest::newRow("the panel spoils a byte")
            << QStringList { "--flip-after-write", "100000" } << 2
            << "Проверка записи: прибор хранит не то, что было записано. Отличаются блоки 782 из 1600.";
}

void TestCliDevice::write_verified()
{
    QFETCH(QStringList, panelOptions);
    QFETCH(int, exitCode);
    QFETCH(QString, report);

    const QByteArray image = imageWithZoneName(1, QStringLiteral("ГАРАЖ"));
    QVERIFY(writeFile(m_dir.filePath("in.tab"), image));
    PanelProcess panel(panelOptions);
    const Run run = cli({ "write", "--verify", "--port", panel.port(), m_dir.filePath("in.tab") });
    QCOMPARE(run.exitCode, exitCode);
    QVERIFY2(run.err.contains("Идет проверка записи: 1599/1600"), qPrintable(run.err));
    if (report.isEmpty())
        QVERIFY2(!run.err.contains("Проверка записи:"), qPrintable(run.err));
    else
        QVERIFY2(run.err.contains(report), qPrintable(run.err));
}

void TestCliDevice::workmode()
{
    PanelProcess panel({});
    const QString trace = m_dir.filePath("trace.txt");
    const Run run = cli({ "workmode", "--port", panel.port(), "--trace", trace });
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QString());

    // The command and its echo, each on a line of its own: time, direction, bytes.
    const QList<QByteArray> lines = readFile(trace).split('\n');
    const QByteArray command = Frames::WriteModeWork().toHex(' ').toUpper();
    QCOMPARE(lines.size(), 3); // the last one empty
    const QRegularExpression line(QStringLiteral("^\\d+ ([<>]) (.+)$"));
    const QRegularExpressionMatch sent = line.match(QString::fromLatin1(lines.at(0)));
    const QRegularExpressionMatch received = line.match(QString::fromLatin1(lines.at(1)));
    QVERIFY2(sent.hasMatch() && received.hasMatch(), lines.join('|').constData());
    QCOMPARE(sent.captured(1), QStringLiteral(">"));
    QCOMPARE(sent.captured(2).toLatin1(), command);
    QCOMPARE(received.captured(1), QStringLiteral("<"));
    QCOMPARE(received.captured(2).toLatin1(), command); // the panel echoes it
    QVERIFY(lines.at(2).isEmpty());
}

void TestCliDevice::compare_data()
{
    QTest::addColumn<QString>("panelZoneName");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("out");

    QTest::newRow("equal") << "ГАРАЖ" << 0 << "";
    QTest::newRow("different") << "СКЛАД" << 1 << "Зона 1: имя «СКЛАД» → «ГАРАЖ»\n";
}

void TestCliDevice::compare()
{
    QFETCH(QString, panelZoneName);
    QFETCH(int, exitCode);
    QFETCH(QString, out);

    const QByteArray memory = imageWithZoneName(1, panelZoneName);
    QVERIFY(writeFile(m_dir.filePath("panel.tab"), memory));
    QVERIFY(writeFile(m_dir.filePath("in.tab"), imageWithZoneName(1, QStringLiteral("ГАРАЖ"))));
    PanelProcess panel({ "--memory", m_dir.filePath("panel.tab"), "--log", m_dir.filePath("panel.log") });
    QProcess process;
    process.start(QStringLiteral(MIRVANE_CLI), { "compare", "--port", panel.port(), m_dir.filePath("in.tab") });
    QVERIFY(process.waitForFinished(60000));
    const QString err = QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(process.exitCode(), exitCode);
    QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()), out);
    QVERIFY2(err.contains("Идет сравнение с прибором: 1599/1600"), qPrintable(err));
    // Read, and nothing written: the panel's log names each command it took by its code.
    QVERIFY(panel.terminate());
    const QList<QByteArray> taken = readFile(m_dir.filePath("panel.log")).split('\n');
    QCOMPARE(taken.count("06 7"), 1600);
    QVERIFY(std::none_of(taken.cbegin(), taken.cend(), [](const QByteArray &line) { return line.startsWith("02 "); }));
}

void TestCliDevice::interrupt_endsTheTransfer_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("message");

    QTest::newRow("write") << "write" << "Запись отменена: с блока (\\d+) из 1600 память прибора не содержит новую конфигурацию.";
    QTest::newRow("read") << "read" << "Чтение отменено. Настройки в программе не изменены.()";
}

// Ctrl+C during a transfer ends it as Esc does in the window: the panel goes back to work.
void TestCliDevice::interrupt_endsTheTransfer()
{
    QFETCH(QString, command);
    QFETCH(QString, message);

    QVERIFY(writeFile(m_dir.filePath("in.tab"), imageWithZoneName(1, QStringLiteral("ГАРАЖ"))));
    PanelProcess panel({ "--baud", "57600" }); // about 25 ms a block
    const QString trace = m_dir.filePath("trace.txt");
    const QString file = m_dir.filePath(command == "write" ? "in.tab" : "out.tab");
    QProcess process;
    process.start(QStringLiteral(MIRVANE_CLI), { command, "--port", panel.port(), "--trace", trace, file });
    QVERIFY(process.waitForStarted());
    QString err;
    while (!err.contains(QStringLiteral(": 100/1600")) && process.state() == QProcess::Running) {
        process.waitForReadyRead(1000);
        err += QString::fromUtf8(process.readAllStandardError());
    }
    QVERIFY2(err.contains(QStringLiteral(": 100/1600")), qPrintable(err));
    QCOMPARE(::kill(pid_t(process.processId()), SIGINT), 0);
    QVERIFY(process.waitForFinished(30000));
    err += QString::fromUtf8(process.readAllStandardError());
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 2);
    const QRegularExpressionMatch told = QRegularExpression(message).match(err);
    QVERIFY2(told.hasMatch(), qPrintable(err));
    if (command == "write")
        QVERIFY(told.captured(1).toInt() > 100 && told.captured(1).toInt() < 1600);
    else
        QVERIFY(!QFile::exists(file));

    // The last exchange is working mode, echoed.
    QList<QByteArray> lines = readFile(trace).split('\n');
    QVERIFY(lines.size() >= 3 && lines.takeLast().isEmpty());
    const QByteArray workingMode = Frames::WriteModeWork().toHex(' ').toUpper();
    QVERIFY2(lines.at(lines.size() - 2).endsWith("> " + workingMode), lines.at(lines.size() - 2).constData());
    QVERIFY2(lines.last().endsWith("< " + workingMode), lines.last().constData());
}

void TestCliDevice::backups_keptOfEveryReadAndWrite()
{
    PanelProcess panel({});
    QCOMPARE(cli({ "read", "--port", panel.port(), m_dir.filePath("read.tab") }).exitCode, 0);
    QCOMPARE(cli({ "write", "--port", panel.port(), m_dir.filePath("read.tab") }).exitCode, 0);

    QProcess list;
    list.start(QStringLiteral(MIRVANE_CLI), { "backups" });
    QVERIFY(list.waitForFinished(60000));
    QCOMPARE(list.exitCode(), 0);
    const QStringList lines = QString::fromUtf8(list.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), 2);
    const QString folder = m_dir.filePath("data/Mirvane/backups");
    for (const QString &line : lines) {
        QVERIFY2(line.contains(QStringLiteral("  204800  ") + folder), qPrintable(line));
        QVERIFY2(line.contains(QStringLiteral("  чтение  ")) || line.contains(QStringLiteral("  запись  ")),
                 qPrintable(line));
    }
    // Newest first: the write, then the read.
    QVERIFY2(lines.at(0).contains(QStringLiteral("  запись  ")), qPrintable(lines.at(0)));
    QVERIFY2(lines.at(1).contains(QStringLiteral("  чтение  ")), qPrintable(lines.at(1)));
    QCOMPARE(readFile(lines.at(0).section(QStringLiteral("  "), 3)).size(), 204800);
}

void TestCliDevice::search_addsTheFoundDevices()
{
    Configuration config;
    QVERIFY(config.mtDev().locate("addr", 2));
    config.mtDev().setValue("id_being", 0);
    ImageBuilder::build(config);
    QVERIFY(writeFile(m_dir.filePath("in.tab"), config.image().Bytes()));
    QVERIFY(writeFile(m_dir.filePath("loop.json"),
                      R"({"klm": 5, "devices": [{"type": 1, "version": 18, "year": 13, "month": 12, "serial": 4660},
                                              {"type": 7, "version": 1, "year": 20, "month": 3, "serial": 513, "kind": 49}]})"));
    PanelProcess panel({ "--scenario", m_dir.filePath("loop.json") });

    QProcess process;
    process.start(QStringLiteral(MIRVANE_CLI), { "search", "--port", panel.port(), "--module", "2", "--klm", "5",
                                                  "--seconds", "3", m_dir.filePath("in.tab"), m_dir.filePath("out.tab") });
    QVERIFY(process.waitForFinished(60000));
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    QCOMPARE(process.exitCode(), 0);
    QVERIFY2(out.contains("Обнаружены новые устройства модуля: 2"), qPrintable(out));
    QVERIFY2(out.contains(": записано в базу по адресу 2 ;получен ответ;"), qPrintable(out));
    QVERIFY2(out.contains(": ПУиЗ Ворсен-1"), qPrintable(out));

    Configuration result;
    QString error;
    QVERIFY2(TabFile::RecordFileToArray(result, m_dir.filePath("out.tab"), &error), qPrintable(error));
    QCOMPARE(result.mtSensor().rowCount(), 1 + 3);
    QCOMPARE(result.mtSensor().rowValue(0, "id_dev").toInt(), 2);
}

void TestCliDevice::failures_data()
{
    QTest::addColumn<QStringList>("panelOptions");
    QTest::addColumn<QStringList>("arguments"); // PORT and DIR are replaced
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("outWritten");

    QTest::newRow("silent panel") << QStringList { "--silent-at", "1" }
                                  << QStringList { "read", "--port", "PORT", "--timeout", "300", "DIR/out.tab" }
                                  << "Прибор не отвечает" << false;
    QTest::newRow("damaged block") << QStringList { "--corrupt-at", "7" }
                                   << QStringList { "read", "--port", "PORT", "DIR/out.tab" }
                                   << "Пришел неверный пакет! Чтение прервано на блоке 6 из 1600." << false;
    QTest::newRow("wrong acknowledgement") << QStringList { "--corrupt-at", "3" }
                                           << QStringList { "write", "--port", "PORT", "DIR/in.tab" }
                                           << "прибор не подтвердил блок 2 из 1600" << false;
    QTest::newRow("no such port") << QStringList {}
                                  << QStringList { "workmode", "--port", "DIR/no-such-port" }
                                  << "Unable to open com port (Error: 2)\nПорт «DIR/no-such-port»: Файл не найден\n" << false;
    QTest::newRow("no port given") << QStringList {} << QStringList { "read", "DIR/out.tab" }
                                   << "--port" << false;
    QTest::newRow("bad file to write") << QStringList {} << QStringList { "write", "--port", "PORT", "DIR/missing.tab" }
                                       << "missing.tab" << false;
}

void TestCliDevice::failures()
{
    QFETCH(QStringList, panelOptions);
    QFETCH(QStringList, arguments);
    QFETCH(QString, message);
    QFETCH(bool, outWritten);

    QVERIFY(writeFile(m_dir.filePath("in.tab"), imageWithZoneName(1, QStringLiteral("ГАРАЖ"))));
    PanelProcess panel(panelOptions);
    for (QString &argument : arguments) {
        argument.replace("PORT", panel.port());
        argument.replace("DIR", m_dir.absolutePath());
    }
    message.replace("DIR", m_dir.absolutePath());
    const Run run = cli(arguments);
    QVERIFY(run.exitCode != 0);
    QVERIFY2(run.err.contains(message), qPrintable(run.err));
    QCOMPARE(QFile::exists(m_dir.filePath("out.tab")), outWritten);
}

void TestCliDevice::ports_listsTheSystemsAndThePanels()
{
    // Only this test's panels: the user's runtime folder may announce others.
    const QString runtime = m_dir.filePath("runtime");
    QVERIFY(m_dir.mkpath(runtime));
    QVERIFY(QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    const QByteArray savedRuntime = qgetenv("XDG_RUNTIME_DIR");
    qputenv("XDG_RUNTIME_DIR", runtime.toLocal8Bit());
    const auto restore = qScopeGuard([&] { qputenv("XDG_RUNTIME_DIR", savedRuntime); });

    const int systemPorts = QSerialPortInfo::availablePorts().size();
    const CliRun none = runCli({ "ports" });
    QCOMPARE(none.exitCode, 0);
    QCOMPARE(none.err, QString());
    if (systemPorts == 0)
        QCOMPARE(none.out, QStringLiteral("Последовательных портов не найдено.\n"));
    else
        QCOMPARE(none.out.count(QLatin1Char('\n')), systemPorts);

    PanelProcess panel({});
    QVERIFY(!panel.port().isEmpty());
    const CliRun listed = runCli({ "ports" });
    QCOMPARE(listed.exitCode, 0);
    const QStringList lines = listed.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(lines.size(), systemPorts + 1);
    QVERIFY2(lines.contains(panel.port() + QStringLiteral("  виртуальный прибор")), qPrintable(listed.out));
}

void TestCliDevice::portRefused_namesTheRemedy_data()
{
    QTest::addColumn<QStringList>("arguments"); // PORT and DIR are replaced
    QTest::addColumn<bool>("held"); // else the port is root:dialout 0660 and "nobody" asks

    const QStringList commands[] = {
        { "workmode", "--port", "PORT" },
        { "read", "--port", "PORT", "DIR/out.tab" },
        { "write", "--port", "PORT", "DIR/in.tab" },
        { "compare", "--port", "PORT", "DIR/in.tab" },
        { "search", "--port", "PORT", "--module", "2", "--klm", "5", "--seconds", "1", "DIR/in.tab", "DIR/out.tab" },
    };
    for (const QStringList &arguments : commands) {
        QTest::addRow("%s, not in the group", qPrintable(arguments.first())) << arguments << false;
        QTest::addRow("%s, held by another program", qPrintable(arguments.first())) << arguments << true;
    }
}

void TestCliDevice::portRefused_namesTheRemedy()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, held);

#ifdef Q_OS_LINUX
    if (geteuid() != 0)
        QSKIP("only root can hand the port to root:dialout and run the program as another user");
    const group *dialout = getgrnam("dialout");
    if (!dialout)
        QSKIP("the system has no dialout group");
    PseudoTerminal pty;
    QVERIFY(pty.isValid());
    const QString port = pty.portPath();
    const QByteArray path = QFile::encodeName(port);
    QCOMPARE(::chown(path.constData(), 0, dialout->gr_gid), 0);
    QCOMPARE(::chmod(path.constData(), held ? 0666 : 0660), 0);
    QtSerialLink holder;
    PortSettings settings;
    settings.port = port;
    QString error;
    if (held)
        QVERIFY2(holder.open(settings, &error), qPrintable(error));
    // "nobody" reads the file to send through the test's folder.
    QVERIFY(QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                                        | QFile::ReadOther | QFile::ExeOther));
    QVERIFY(writeFile(m_dir.filePath("in.tab"), imageWithZoneName(1, QStringLiteral("ГАРАЖ"))));
    for (QString &argument : arguments) {
        argument.replace("PORT", port);
        argument.replace("DIR", m_dir.absolutePath());
    }

    const Run run = cli(arguments, !held);
    const QString message = held
            ? QStringLiteral("Unable to open com port (Error: 16)\nПорт «%1»: Занято другой программой\n"
                             "Порт %1 открыт другой программой (быть может, другим окном Mirvane): закройте её "
                             "и повторите.\n")
            : QStringLiteral("Unable to open com port (Error: 13)\nПорт «%1»: Нет доступа\n"
                             "Нет доступа к порту %1: он открыт только для группы dialout. Добавьте себя в неё: "
                             "sudo usermod -aG dialout $USER — и войдите в систему заново.\n");
    QVERIFY(run.exitCode != 0);
    QVERIFY2(run.err.contains(message.arg(port)), qPrintable(run.err));
    QVERIFY(!QFile::exists(m_dir.filePath("out.tab")));
#else
    QSKIP("pseudo-terminals stand in for the port on Linux only");
#endif
}

QTEST_GUILESS_MAIN(TestCliDevice)
#include "tst_clidevice.moc"
