#include "clirun.h"
#include "recordingnotifier.h"
#include "testfiles.h"

#include <model/configuration.h>
#include <model/notifier.h>
#include <storage/filecommands.h>

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A file as the program writes it after the user renamed one zone.
bool writeWithZoneName(const QString &source, int zone, const QString &name, const QString &target)
{
    Configuration config;
    RecordingNotifier notifier;
    FileCommands commands(config, notifier);
    if (!commands.openFile(source) || !config.mtArea().locate("id", zone))
        return false;
    config.mtArea().setValue("name", name);
    config.mtArea().post();
    commands.buildImage();
    return commands.saveFile(target) && notifier.messages.isEmpty();
}

} // namespace

class TestMirvaneCli : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void factory_writesAWholeImage();
    void dump_data();
    void dump();
    void rebuild_isAFixedPoint_data();
    void rebuild_isAFixedPoint();
    void diff_data();
    void diff();
    void check_data();
    void check();
    void report_data();
    void report();
    void refused_data();
    void refused();
    void refused_leavesAnExistingOutputAlone();
    void save_ontoAFullDisk_keepsTheOldFile();

private:
    QString path(const QString &name) const { return m_dir.filePath(name); }

    QTemporaryDir m_dir;
};

void TestMirvaneCli::initTestCase()
{
    QVERIFY(m_dir.isValid());
    const CliRun factory = runCli({ "factory", path("factory.tab") });
    QCOMPARE(factory.exitCode, 0);
    const QByteArray image = readFile(path("factory.tab"));
    QCOMPARE(image.size(), SettingsImage::Size);

    QByteArray badDayStart = image;
    badDayStart[202] = char(200);
    QVERIFY(writeFile(path("empty.tab"), {}));
    QVERIFY(writeFile(path("short.tab"), image.left(SettingsImage::Size - 1)));
    QVERIFY(writeFile(path("daystart.tab"), badDayStart));
    QVERIFY(writeWithZoneName(path("factory.tab"), 12, "склад", path("sklad.tab")));
    QVERIFY(writeWithZoneName(path("factory.tab"), 12, "офис", path("ofis.tab")));
    // Zone 12 drives output 6 of module 1, which the file does not hold.
    QByteArray dangling = image;
    dangling[SettingsImage::ZoneRecordOffset + (12 - 1) * SettingsImage::ZoneRecordSize + 120] = char(1);
    dangling[SettingsImage::ZoneRecordOffset + (12 - 1) * SettingsImage::ZoneRecordSize + 121] = char(253);
    QVERIFY(writeFile(path("dangling.tab"), dangling));
    // Module 3 is a КВ-8 whose output 7, "Пожар", takes the record of its input 1.
    QByteArray eightChannel = image;
    eightChannel[34 + 2] = char(3);
    eightChannel[50 + 2] = char(3);
    eightChannel[66 + 2] = char(2);
    const QByteArray output7 = QByteArray::fromHex("03c300050000000606");
    eightChannel.replace(SettingsImage::ChannelTableOffset + 2 * 3072 + SettingsImage::ChannelRecordSize * 254,
                         output7.size(), output7);
    QVERIFY(writeFile(path("kv8.tab"), eightChannel));
}

void TestMirvaneCli::factory_writesAWholeImage()
{
    const CliRun run = runCli({ "factory", path("again.tab") });
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QString());
    QCOMPARE(run.err, QString());
    QCOMPARE(QFileInfo(path("again.tab")).size(), 204800);
}

void TestMirvaneCli::dump_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("zone12Name");

    QTest::newRow("factory") << "factory.tab" << "";
    QTest::newRow("zone renamed") << "sklad.tab" << "СКЛАД";
}

void TestMirvaneCli::dump()
{
    QFETCH(QString, file);
    QFETCH(QString, zone12Name);

    const CliRun run = runCli({ "dump", path(file) });
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QString());
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(run.out.toUtf8(), &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    const QJsonObject root = document.object();

    QStringList keys { "zones", "modules", "sensors", "outputs", "inputs", "profiles",
                       "event_codes", "messages", "settings" };
    keys.sort();
    QCOMPARE(root.keys(), keys);

    const QJsonArray zones = root["zones"].toArray();
    QCOMPARE(zones.size(), 500);
    const QJsonObject zone12 = zones.at(11).toObject();
    QCOMPARE(zone12["id"], QJsonValue(12));
    QCOMPARE(zone12["name"].toString().trimmed(), zone12Name);
    QCOMPARE(zone12["boolarea"], QJsonValue(false));
    QVERIFY2(!zone12.contains("bname") && !zone12.contains("tname"), "lookup fields are not data");

    const QJsonArray modules = root["modules"].toArray();
    QCOMPARE(modules.size(), 16);
    QCOMPARE(modules.at(0).toObject()["mname"], QJsonValue("КЛМ № 1"));
    QVERIFY(modules.at(1).toObject()["mname"].isNull());

    QCOMPARE(root["profiles"].toArray().at(0).toObject()["begin_day"], QJsonValue("00:00"));
    QCOMPARE(root["event_codes"].toArray().size(), 27);
    const QJsonObject settings = root["settings"].toObject();
    QVERIFY(settings["edInfMessage"].isString());
    QVERIFY(settings["ckbFire"].isBool());
    QVERIFY(settings["edTelNum1_raw"].isString());
    QVERIFY(settings["edAdminPass8"].isString());
    QVERIFY(settings["ud8"].isDouble());
}

void TestMirvaneCli::rebuild_isAFixedPoint_data()
{
    QTest::addColumn<QString>("file");

    QTest::newRow("factory") << "factory.tab";
    QTest::newRow("zone renamed") << "sklad.tab";
}

void TestMirvaneCli::rebuild_isAFixedPoint()
{
    QFETCH(QString, file);

    const QString rebuilt = path("rebuilt-" + file);
    const CliRun run = runCli({ "rebuild", path(file), rebuilt });
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.err, QString());
    QVERIFY(readFile(rebuilt) == readFile(path(file)));
}

void TestMirvaneCli::diff_data()
{
    QTest::addColumn<QString>("before");
    QTest::addColumn<QString>("after");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output");

    QTest::newRow("file with itself") << "factory.tab" << "factory.tab" << 0 << "";
    QTest::newRow("renamed zone") << "sklad.tab" << "ofis.tab" << 1 << "Зона 12: имя «СКЛАД» → «ОФИС»\n";
    QTest::newRow("renamed back") << "ofis.tab" << "sklad.tab" << 1 << "Зона 12: имя «ОФИС» → «СКЛАД»\n";
    QTest::newRow("named zone") << "factory.tab" << "sklad.tab" << 1 << "Зона 12: имя пусто → «СКЛАД»\n";
    QTest::newRow("eight-channel module added") << "factory.tab" << "kv8.tab" << 1
                                                << "Модуль 3: тип нет → «КВ-8»\n"
                                                   "Модуль 3: цепь «кольцевая цепь» → нет\n"
                                                   "Модуль 3: название пусто → «КВ-8 № 3»\n"
                                                   "Модуль 3: состояние «Откл.» → «Подкл.»\n"
                                                   "Выход 3.7: добавлен\n"
                                                   "Вход 1 модуля 3: добавлен\n"
                                                   "Вход 2 модуля 3: добавлен\n";
}

void TestMirvaneCli::diff()
{
    QFETCH(QString, before);
    QFETCH(QString, after);
    QFETCH(int, exitCode);
    QFETCH(QString, output);

    const CliRun run = runCli({ "diff", path(before), path(after) });
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(run.out, output);
    QCOMPARE(run.err, QString());
}

void TestMirvaneCli::check_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("output");

    QTest::newRow("factory settings fit") << "factory.tab" << 0 << "";
    QTest::newRow("a zone's output is gone")
            << "dangling.tab" << 1
            << "Зона 12: назначенный выход (модуль 1 выход 6) не существует; зона не будет его включать.\n";
    QTest::newRow("an output in an input's record")
            << "kv8.tab" << 1 << "КВ-8 № 3: выход 7 занимает запись входа 1; настройки входа 1 не будут записаны.\n";
}

void TestMirvaneCli::check()
{
    QFETCH(QString, file);
    QFETCH(int, exitCode);
    QFETCH(QString, output);

    const CliRun run = runCli({ "check", path(file) });
    QCOMPARE(run.out, output);
    QCOMPARE(run.exitCode, exitCode);
    QCOMPARE(run.err, QString());
}

void TestMirvaneCli::report_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("starts");
    QTest::addColumn<QString>("told"); // a line on stderr, besides what Qt may say there

    QTest::newRow("html") << "отчёт.html" << QByteArray("<!DOCTYPE html>") << QString();
    QTest::newRow("pdf") << "отчёт.pdf" << QByteArray("%PDF-") << "^Страниц: \\d+$";
}

// The report names the file and gives the SHA-256 that sha256sum gives for it.
void TestMirvaneCli::report()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, starts);
    QFETCH(QString, told);

    const CliRun run = runCli({ "report", path("sklad.tab"), path(name) });
    QCOMPARE(run.exitCode, 0);
    QCOMPARE(run.out, QString());
    if (!told.isEmpty())
        QVERIFY2(QRegularExpression(told, QRegularExpression::MultilineOption).match(run.err).hasMatch(),
                 qPrintable(run.err));
    const QByteArray report = readFile(path(name));
    QVERIFY(report.startsWith(starts));
    if (starts.startsWith('<')) {
        const QString html = QString::fromUtf8(report);
        QVERIFY(html.contains(QDir::toNativeSeparators(path("sklad.tab"))));
        QVERIFY(html.contains(QString::fromLatin1(
                QCryptographicHash::hash(readFile(path("sklad.tab")), QCryptographicHash::Sha256).toHex())));
        QVERIFY(html.contains(QStringLiteral("<td>12</td><td>СКЛАД</td>")));
    }
}

void TestMirvaneCli::refused_data()
{
    QTest::addColumn<QStringList>("arguments"); // "{dir}" stands for the test directory
    QTest::addColumn<QString>("mentions");

    QTest::newRow("no arguments") << QStringList() << "Не указана команда";
    QTest::newRow("unknown command") << QStringList { "bogus", "{dir}/factory.tab" } << "bogus";
    QTest::newRow("unknown option") << QStringList { "--bogus", "factory", "{dir}/out.tab" } << "bogus";
    QTest::newRow("output missing") << QStringList { "rebuild", "{dir}/factory.tab" } << "rebuild";
    QTest::newRow("file too many") << QStringList { "factory", "{dir}/out.tab", "{dir}/other.tab" } << "factory";
    QTest::newRow("missing file") << QStringList { "rebuild", "{dir}/missing.tab", "{dir}/out.tab" }
                                  << "missing.tab";
    QTest::newRow("empty file") << QStringList { "rebuild", "{dir}/empty.tab", "{dir}/out.tab" } << " 0 байт";
    QTest::newRow("one byte short") << QStringList { "rebuild", "{dir}/short.tab", "{dir}/out.tab" } << "204799";
    QTest::newRow("day start past 23:50") << QStringList { "rebuild", "{dir}/daystart.tab", "{dir}/out.tab" }
                                          << "смещению 202";
    QTest::newRow("dump of a short file") << QStringList { "dump", "{dir}/short.tab" } << "204799";
    QTest::newRow("diff with a bad second file") << QStringList { "diff", "{dir}/factory.tab", "{dir}/daystart.tab" }
                                                 << "смещению 202";
    QTest::newRow("factory into no directory") << QStringList { "factory", "{dir}/none/out.tab" } << "out.tab";
    QTest::newRow("report into no directory") << QStringList { "report", "{dir}/sklad.tab", "{dir}/none/out.pdf" }
                                              << "Не удалось записать отчёт";
    QTest::newRow("report of a short file") << QStringList { "report", "{dir}/short.tab", "{dir}/out.html" } << "204799";
}

void TestMirvaneCli::refused()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, mentions);

    arguments.replaceInStrings("{dir}", m_dir.path());
    const QStringList filesBefore = QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    const CliRun run = runCli(arguments);
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(run.out, QString());
    QVERIFY2(run.err.contains(mentions), qPrintable(run.err));
    QCOMPARE(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), filesBefore);
}

void TestMirvaneCli::refused_leavesAnExistingOutputAlone()
{
    QVERIFY(writeFile(path("kept.tab"), "earlier contents"));
    const CliRun run = runCli({ "rebuild", path("daystart.tab"), path("kept.tab") });
    QCOMPARE(run.exitCode, 2);
    QCOMPARE(readFile(path("kept.tab")), QByteArray("earlier contents"));
}

void TestMirvaneCli::save_ontoAFullDisk_keepsTheOldFile()
{
#ifndef Q_OS_LINUX
    QSKIP("mounts a small disk the Linux way");
#endif
    const QString unshare = QStandardPaths::findExecutable("unshare");
    if (unshare.isEmpty())
        QSKIP("needs unshare to mount a small disk");
    QVERIFY(QDir(m_dir.path()).mkdir("disk"));

    // A disk smaller than a settings file, mounted in a namespace of the test's own, where
    // no administrator is needed; what is on it can only be seen from inside.
    const QString script = QStringLiteral("mount -t tmpfs -o size=128k tmpfs \"$1\" || exit 77\n"
                                          "printf 'earlier contents' > \"$1/kept.tab\"\n"
                                          "\"$2\" factory \"$1/kept.tab\"\n"
                                          "echo \"exit $?\"\n"
                                          "ls -A \"$1\"\n"
                                          "cat \"$1/kept.tab\"\n");
    QProcess process;
    process.start(unshare, { "--user", "--map-root-user", "--mount", "sh", "-c", script, "sh", path("disk"),
                             QStringLiteral(MIRVANE_CLI) });
    QVERIFY(process.waitForFinished(-1));
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        QSKIP(qPrintable("no disk of its own here: " + process.readAllStandardError()));
    QCOMPARE(QString::fromUtf8(process.readAllStandardOutput()).split('\n'),
             QStringList({ "exit 2", "kept.tab", "earlier contents" }));
    const QString errors = QString::fromUtf8(process.readAllStandardError());
    QVERIFY2(errors.contains(QStringLiteral("Не удалось записать файл «%1/kept.tab»: Нет места на диске\n")
                                     .arg(path("disk"))),
             qPrintable(errors));
}

QTEST_GUILESS_MAIN(TestMirvaneCli)
#include "tst_mirvanecli.moc"
