#include "clirun.h"
#include "recordingnotifier.h"
#include "testfiles.h"

#include <model/configuration.h>
#include <storage/filecommands.h>

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

// A file as the program writes it after the user named a few zones.
bool writeWithZoneNames(const QString &source, const QMap<int, QString> &names, const QString &target)
{
    Configuration config;
    RecordingNotifier notifier;
    FileCommands commands(config, notifier);
    if (!commands.openFile(source))
        return false;
    for (auto it = names.cbegin(); it != names.cend(); ++it) {
        if (!config.mtArea().locate(ZoneField::id, it.key()))
            return false;
        config.mtArea().setValue(ZoneField::name, it.value());
        config.mtArea().post();
    }
    commands.buildImage();
    return commands.saveFile(target) && notifier.messages.isEmpty();
}

QStringList entries(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
}

} // namespace

class TestCliCsv : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void export_writesTheThreeLists();
    void importNames_roundTrip();
    void importNames_badLine_writesNothing();
    void failed_data();
    void failed();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};

void TestCliCsv::initTestCase()
{
    QVERIFY(m_dir.isValid());
    QCOMPARE(runCli({ "factory", path("factory.tab") }).exitCode, 0);
    QVERIFY(writeWithZoneNames(path("factory.tab"), { { 12, u"склад; \"сухой\""_s }, { 300, u"ґанок"_s } },
                               path("named.tab")));
}

void TestCliCsv::export_writesTheThreeLists()
{
    const CliRun run = runCli({ "export", path("named.tab"), path("lists") });
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    const QStringList files { u"зоны.csv"_s, u"устройства.csv"_s, u"выходы.csv"_s };
    QStringList written;
    for (const QString &file : files)
        written << QDir::toNativeSeparators(path("lists/" + file));
    QCOMPARE(run.out, written.join(u'\n') + u'\n');
    QCOMPARE(entries(path("lists")), QStringList({ u"выходы.csv"_s, u"зоны.csv"_s, u"устройства.csv"_s }));
    const QString zones = QString::fromUtf8(readFile(path(u"lists/зоны.csv"_s)));
    QVERIFY2(zones.contains(u"\r\n12;\"СКЛАД; \"\"СУХОЙ\"\"\";"_s), qPrintable(zones.left(200)));
}

void TestCliCsv::importNames_roundTrip()
{
    QCOMPARE(runCli({ "export", path("named.tab"), path("round") }).exitCode, 0);
    const CliRun run = runCli({ "import-names", path("factory.tab"), path(u"round/зоны.csv"_s), path("renamed.tab") });
    QCOMPARE(run.err, QString());
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, u"Заданы имена зон: 500.\n"_s);
    QVERIFY(readFile(path("renamed.tab")) == readFile(path("named.tab")));
}

void TestCliCsv::importNames_badLine_writesNothing()
{
    QVERIFY(writeFile(path(u"неверные.csv"_s), u"Зона;Имя\r\n5;офис\r\n50х;склад\r\n"_s.toUtf8()));
    const QStringList before = entries(m_dir.path());
    const CliRun run = runCli({ "import-names", path("factory.tab"), path(u"неверные.csv"_s), path("out.tab") });
    QCOMPARE(run.exitCode, 1);
    QCOMPARE(run.out, QString());
    QCOMPARE(run.err, u"Строка 3: номер зоны «50х» — не число от 1 до 500\n"
                      u"Имена зон не изменены, файл «%1» не записан.\n"_s
                              .arg(QDir::toNativeSeparators(path("out.tab"))));
    QCOMPARE(entries(m_dir.path()), before);
}

void TestCliCsv::failed_data()
{
    QTest::addColumn<QStringList>("arguments"); // "{dir}" stands for the test directory
    QTest::addColumn<QString>("mentions");

    QTest::newRow("names file missing")
            << QStringList { "import-names", "{dir}/factory.tab", "{dir}/нет.csv", "{dir}/out.tab" }
            << u"нет.csv»: Файл не найден"_s;
    QTest::newRow("settings file missing")
            << QStringList { "import-names", "{dir}/нет.tab", "{dir}/нет.csv", "{dir}/out.tab" } << u"нет.tab"_s;
    QTest::newRow("export beneath a file") << QStringList { "export", "{dir}/factory.tab", "{dir}/factory.tab/lists" }
                                           << u"factory.tab/lists»: Путь не найден"_s;
    QTest::newRow("export without a folder") << QStringList { "export", "{dir}/factory.tab" } << u"export"_s;
}

void TestCliCsv::failed()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, mentions);

    arguments.replaceInStrings("{dir}", m_dir.path());
    const QStringList before = entries(m_dir.path());
    const CliRun run = runCli(arguments);
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.out, QString());
    QVERIFY2(run.err.contains(mentions), qPrintable(run.err));
    QCOMPARE(entries(m_dir.path()), before);
}

QTEST_GUILESS_MAIN(TestCliCsv)
#include "tst_clicsv.moc"
