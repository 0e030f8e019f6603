// `--version` of each program: the project's version, on standard output.

#include <QProcess>
#include <QTest>

class TestProgramVersions : public QObject
{
    Q_OBJECT

private slots:
    void version_data();
    void version();
};

void TestProgramVersions::version_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("display"); // else no display nor platform is named
    QTest::newRow("window") << QStringLiteral(MIRVANE_APP) << QStringLiteral("Mirvane") << true;
    QTest::newRow("window, in a terminal without a display")
            << QStringLiteral(MIRVANE_APP) << QStringLiteral("Mirvane") << false;
    QTest::newRow("command line") << QStringLiteral(MIRVANE_CLI) << QStringLiteral("mirvane-cli") << false;
#ifdef MIRVANE_PANEL
    QTest::newRow("virtual panel") << QStringLiteral(MIRVANE_PANEL) << QStringLiteral("mirvane-panel") << false;
#endif
}

void TestProgramVersions::version()
{
    QFETCH(QString, program);
    QFETCH(QString, name);
    QFETCH(bool, display);
    QProcess process;
    if (!display) {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        for (const QString &variable : { QStringLiteral("DISPLAY"), QStringLiteral("WAYLAND_DISPLAY"),
                                         QStringLiteral("QT_QPA_PLATFORM") })
            environment.remove(variable);
        process.setProcessEnvironment(environment);
    }
    process.start(program, { QStringLiteral("--version") });
    QVERIFY(process.waitForFinished(-1));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()),
             name + QLatin1Char(' ') + QStringLiteral(MIRVANE_VERSION) + QLatin1Char('\n'));
}

QTEST_GUILESS_MAIN(TestProgramVersions)
#include "tst_programversions.moc"
