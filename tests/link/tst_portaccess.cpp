#include <link/portaccess.h>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(std::optional<DeviceAccess>)
Q_DECLARE_METATYPE(PortRefusal)

namespace {

DeviceAccess access(bool groupMayUse, bool userMayUse, bool joinedSinceLogin = false)
{
    DeviceAccess result;
    result.owner = QStringLiteral("root");
    result.group = QStringLiteral("dialout");
    result.groupMayUse = groupMayUse;
    result.userMayUse = userMayUse;
    result.joinedSinceLogin = joinedSinceLogin;
    return result;
}

} // namespace

class TestPortAccess : public QObject
{
    Q_OBJECT

private slots:
    void advice_data();
    void advice();
    void deviceAccess_readsTheFile_data();
    void deviceAccess_readsTheFile();
};

void TestPortAccess::advice_data()
{
    QTest::addColumn<std::optional<DeviceAccess>>("access");
    QTest::addColumn<PortRefusal>("refusal");
    QTest::addColumn<QString>("advice");

    const QString held = QStringLiteral("Порт /dev/ttyUSB0 открыт другой программой (быть может, другим окном "
                                        "Mirvane): закройте её и повторите.");
    QTest::newRow("not in the group")
            << std::optional(access(true, false)) << PortRefusal::NoAccess
            << "Нет доступа к порту /dev/ttyUSB0: он открыт только для группы dialout. Добавьте себя в неё: "
               "sudo usermod -aG dialout $USER — и войдите в систему заново.";
    QTest::newRow("joined, not logged in again")
            << std::optional(access(true, false, true)) << PortRefusal::NoAccess
            << "Нет доступа к порту /dev/ttyUSB0: он открыт только для группы dialout. Вы уже в ней, но вошли "
               "в систему раньше: войдите в систему заново.";
    // Joining a group its mode shuts out would not help.
    QTest::newRow("owner only")
            << std::optional(access(false, false)) << PortRefusal::NoAccess
            << "Нет доступа к порту /dev/ttyUSB0: он открыт только для пользователя root. Попросите "
               "администратора дать вам доступ к нему.";
    // A user who may read and write the device is kept out only by another program's hold.
    QTest::newRow("user may use it") << std::optional(access(true, true)) << PortRefusal::HeldByAnother << held;
    QTest::newRow("user may use it, owner only")
            << std::optional(access(false, true)) << PortRefusal::HeldByAnother << held;
    // Windows keeps no device file: a refused port is one in use there.
    QTest::newRow("no device file") << std::optional<DeviceAccess>() << PortRefusal::HeldByAnother << held;
}

void TestPortAccess::advice()
{
    QFETCH(std::optional<DeviceAccess>, access);
    QFETCH(PortRefusal, refusal);
    QFETCH(QString, advice);

    QCOMPARE(refusalOf(access), refusal);
    QCOMPARE(refusalAdvice(refusal, QStringLiteral("/dev/ttyUSB0"), access), advice);
}

void TestPortAccess::deviceAccess_readsTheFile_data()
{
    QTest::addColumn<QString>("port"); // "{file}": a file in a test folder
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("exists");
    QTest::addColumn<bool>("groupMayUse");

    QTest::newRow("shared with the group") << "{file}" << 0660 << true << true;
    QTest::newRow("group may only read") << "{file}" << 0640 << true << false;
    QTest::newRow("owner only") << "{file}" << 0600 << true << false;
    // QSerialPort looks for a bare name in /dev.
    QTest::newRow("bare name") << "null" << 0 << true << true;
    QTest::newRow("missing") << "mirvane-no-such-port" << 0 << false << false;
}

void TestPortAccess::deviceAccess_readsTheFile()
{
#ifdef Q_OS_UNIX
    QFETCH(QString, port);
    QFETCH(int, mode);
    QFETCH(bool, exists);
    QFETCH(bool, groupMayUse);

    QTemporaryDir dir;
    if (port == QLatin1String("{file}")) {
        port = dir.filePath(QStringLiteral("port"));
        QFile file(port);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QFile::Permissions permissions = QFile::ReadOwner | QFile::WriteOwner;
        if (mode & 040)
            permissions |= QFile::ReadGroup;
        if (mode & 020)
            permissions |= QFile::WriteGroup;
        QVERIFY(file.setPermissions(permissions));
    }

    const std::optional<DeviceAccess> access = deviceAccess(port);
    QCOMPARE(access.has_value(), exists);
    if (!access)
        return;
    QCOMPARE(access->groupMayUse, groupMayUse);
    QVERIFY(!access->group.isEmpty());
    QVERIFY(!access->owner.isEmpty());
    // The owner (or root) may read and write all of these.
    QVERIFY(access->userMayUse);
    QVERIFY(!access->joinedSinceLogin);
#else
    QSKIP("device files are a Unix matter");
#endif
}

QTEST_GUILESS_MAIN(TestPortAccess)
#include "tst_portaccess.moc"
