#include "configurationsnapshot.h"
#include "restrictedfiles.h"
#include "richconfiguration.h"
#include "testfiles.h"
#include "unexpectedwarnings.h"

#include <image/cp1251.h>
#include <model/configuration.h>
#include <model/filterexpressions.h>
#include <storage/csvlists.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

using Lines = QMap<int, QString>; // line index (0: the title) → its text
using Names = QMap<int, QString>; // zone → name

const QByteArray Bom = "\xEF\xBB\xBF";

// The rich configuration with the names a spreadsheet makes awkward, an output driven by
// two zones, a zone that names an output no module has, and a device listed out of order.
void fillListConfiguration(Configuration &config)
{
    fillRichConfiguration(config);
    MemTable &zones = config.mtArea();
    zones.setRecNo(3);
    zones.setValue(ZoneField::name, u"склад; \"А\""_s);
    zones.setValue(ZoneField::r(1), 5001);
    zones.setValue(ZoneField::r(2), 1000);
    zones.setValue(ZoneField::r(3), 1005);
    zones.setRecNo(4);
    zones.setValue(ZoneField::name, u"  вход"_s);
    zones.setRecNo(12);
    zones.setValue(ZoneField::name, u"ґанок і їдальня, корпус Б, другий поверх"_s); // 40, the most there is
    zones.first();

    MemTable &sensors = config.mtSensor();
    sensors.append();
    sensors.setValueSilently(SensorField::id_dev, 1);
    sensors.setValueSilently(SensorField::addr, 3);
    sensors.setValueSilently(SensorField::id_sen, 1);
    sensors.setValueSilently(SensorField::id_chan, 1);
    sensors.setValueSilently(SensorField::saddrl, 3);
    sensors.post();
}

Names zoneNames(const Configuration &config)
{
    Names names;
    const MemTable &zones = config.mtArea();
    for (int row = 0; row < zones.rowCount(); ++row)
        names.insert(zones.rowInteger(row, ZoneField::id), zones.rowValue(row, ZoneField::name).toString());
    return names;
}

QByteArray zoneNameSlot(const Configuration &config, int zone)
{
    return config.image().Bytes().mid(SettingsImage::ZoneNameOffset + SettingsImage::ZoneNameSize * (zone - 1),
                                      SettingsImage::ZoneNameSize);
}

// The lines of a file the way a spreadsheet reads them: UTF-8 after the mark, CRLF ends.
QStringList spreadsheetLines(const QByteArray &bytes)
{
    if (!bytes.startsWith(Bom) || !bytes.endsWith("\r\n") || bytes.count('\n') != bytes.count("\r\n"))
        return {};
    QStringList lines = QString::fromUtf8(bytes.mid(Bom.size())).split(u"\r\n"_s);
    lines.removeLast();
    return lines;
}

} // namespace

class TestCsvLists : public QObject
{
    Q_OBJECT

private slots:
    void init() { failOnUnexpectedWarnings(); }
    void initTestCase();

    void export_listsOpenInASpreadsheet_data();
    void export_listsOpenInASpreadsheet();
    void export_refused_data();
    void export_refused();

    void import_zoneNamesRoundTrip();
    void import_acceptedFile_data();
    void import_acceptedFile();
    void import_keepsTheCurrentRowAndFilter_data();
    void import_keepsTheCurrentRowAndFilter();
    void import_refusedFile_changesNothing_data();
    void import_refusedFile_changesNothing();
    void import_unreadableFile();

private:
    QTemporaryDir m_dir;
    QStringList m_written;
};

void TestCsvLists::initTestCase()
{
    QVERIFY(m_dir.isValid());
    Configuration config;
    fillListConfiguration(config);
    QString error;
    m_written = CsvLists::exportLists(config, m_dir.filePath(u"списки"_s), &error);
    QCOMPARE(error, QString());
}

void TestCsvLists::export_listsOpenInASpreadsheet_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("lineCount");
    QTest::addColumn<Lines>("lines");

    QTest::newRow("zones") << u"зоны.csv"_s << 501
                           << Lines {
                                  { 0, u"Зона;Имя;Состояние;Верификация;Профиль;Выходы;Устройств"_s },
                                  { 1, u"1;;;;;;0"_s },
                                  { 3, u"3;\"СКЛАД; \"\"А\"\"\";;;;"
                                        u"КЛМ № 1: SD 1, КЛМ № 1: выход 6, КВ-8 № 5: SD 1;0"_s },
                                  { 4, u"4;\"  ВХОД\";;;;;0"_s },
                                  { 7, u"7;СКЛАД №2;Откл.;Два извещателя;Профиль 3;КЛМ № 1: SD 1;2"_s },
                                  { 8, u"8;;;;;;1"_s },
                                  { 9, u"9;;;;;КВ-8 № 5: SD 1;0"_s },
                                  { 12, u"12;ҐАНОК І ЇДАЛЬНЯ, КОРПУС Б, ДРУГИЙ ПОВЕРХ;;;;;0"_s },
                                  { 500, u"500;;;;;;1"_s },
                              };
    QTest::newRow("devices by module and address")
            << u"устройства.csv"_s << 7
            << Lines {
                   { 0, u"Модуль;Адрес;Устройство;Тип канала;Режим;Состояние;Зона;Серийный номер;Версия;Год;Месяц"_s },
                   { 1, u"КЛМ № 1;2;ЛОР-4;Дымовой оптический;;Подкл.;7;0002;3;24;11"_s },
                   { 2, u"КЛМ № 1;3;ЛОР-1;Дымовой оптический;;;;0003;;;"_s },
                   { 3, u"КЛМ № 1;5;ЛОР-4;Тепловой;A2R ( 70 C );Подкл.;7;0005;3;24;11"_s },
                   { 4, u"КЛМ № 1;5;ЛОР-4;Тепловой диффер.;;Подкл.;8;0005;3;24;11"_s },
                   { 5, u"КЛМ № 1;5;ЛОР-4;Ручной;;Подкл.;;0005;3;24;11"_s },
                   { 6, u"КЛМ № 2;129;ЛОР-4;Дымовой оптический;;Подкл.;500;0081;3;24;11"_s },
               };
    QTest::newRow("outputs") << u"выходы.csv"_s << 4
                             << Lines {
                                    { 0, u"Модуль;Выход;Обозначение;Тип канала;Режим;Состояние;Зоны"_s },
                                    { 1, u"КЛМ № 1;1;SD 1;Выход без контроля;Пожаротушение;Откл.;3, 7"_s },
                                    { 2, u"КЛМ № 1;3;SD 2;Выход с контролем;Пожаротушение;Откл.;"_s },
                                    { 3, u"КВ-8 № 5;2;SD 1;Выход пожаротушения;Пожаротушение;Откл.;3, 9"_s },
                                };
}

void TestCsvLists::export_listsOpenInASpreadsheet()
{
    QFETCH(QString, file);
    QFETCH(int, lineCount);
    QFETCH(Lines, lines);

    const QString path = m_dir.filePath(u"списки/"_s + file);
    QVERIFY(m_written.contains(path));
    const QStringList written = spreadsheetLines(readFile(path));
    QCOMPARE(written.size(), lineCount);
    for (auto it = lines.cbegin(); it != lines.cend(); ++it)
        QCOMPARE(written.at(it.key()), it.value());
}

void TestCsvLists::export_refused_data()
{
    QTest::addColumn<QString>("folder");
    QTest::addColumn<bool>("ordinaryUser");
    QTest::addColumn<QString>("error"); // "{dir}" stands for the test folder

    QTest::newRow("folder without access")
            << u"закрыта"_s << true << u"Не удалось записать файл «{dir}/закрыта/зоны.csv»: Нет доступа"_s;
    QTest::newRow("a list's name taken by a folder")
            << u"занято"_s << false
            << u"Не удалось записать файл «{dir}/занято/устройства.csv»: Это папка, а не файл"_s;
    QTest::newRow("folder beneath a file")
            << u"файл/списки"_s << false << u"Не удалось создать папку «{dir}/файл/списки»: Путь не найден"_s;
}

void TestCsvLists::export_refused()
{
    QFETCH(QString, folder);
    QFETCH(bool, ordinaryUser);
    QFETCH(QString, error);

    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    // Temporary folders are their owner's alone; only what the test locks may be refused.
    QVERIFY(QFile::setPermissions(dir.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                                      | QFileDevice::ReadOther | QFileDevice::ExeOther));
    QVERIFY(QDir(dir.path()).mkdir(u"закрыта"_s));
    QVERIFY(QFile::setPermissions(dir.filePath(u"закрыта"_s), QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    QVERIFY(QDir(dir.path()).mkpath(u"занято/устройства.csv"_s));
    QVERIFY(writeFile(dir.filePath(u"файл"_s), "x"));
    const QStringList before = QDir(dir.filePath(folder)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);

    Configuration config;
    QString told;
    QStringList written;
    {
        std::optional<OrdinaryUserFileAccess> access;
        if (ordinaryUser && !access.emplace().isEffective())
            QSKIP("root could not give up its rights over files");
        written = CsvLists::exportLists(config, dir.filePath(folder), &told);
    }
    QCOMPARE(written, QStringList());
    QCOMPARE(told, QString(error).replace(u"{dir}"_s, QDir::toNativeSeparators(dir.path())));
    // Not one of the three, though the first could have been written.
    QCOMPARE(QDir(dir.filePath(folder)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}

void TestCsvLists::import_zoneNamesRoundTrip()
{
    Configuration source;
    fillListConfiguration(source);
    Configuration target;
    QStringList refusals;
    QString error;
    const std::optional<int> named =
            CsvLists::importZoneNames(target, m_dir.filePath(u"списки/зоны.csv"_s), &refusals, &error);
    QCOMPARE(refusals, QStringList());
    QCOMPARE(error, QString());
    QCOMPARE(named, std::optional<int>(Configuration::ZoneCount));
    QCOMPARE(zoneNames(target), zoneNames(source));
    QCOMPARE(zoneNameSlot(target, 12),
             Cp1251::encodeSlotText(zoneNames(source).value(12), SettingsImage::ZoneNameSize));
}

void TestCsvLists::import_acceptedFile_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<Names>("names"); // as the zones then hold them; the others keep theirs

    QTest::newRow("LF ends, no mark, no title") << u"3;склад\n4;Офис 2\n"_s.toUtf8()
                                                << Names { { 3, u"СКЛАД"_s }, { 4, u"ОФИС 2"_s } };
    QTest::newRow("mark, title and CRLF ends") << Bom + u"Зона;Имя\r\n3;склад\r\n"_s.toUtf8()
                                               << Names { { 3, u"СКЛАД"_s } };
    QTest::newRow("quoted separators, quotes and line end")
            << u"5;\"А;Б \"\"В\"\"\"\r\n6;\"Г\"\r\n"_s.toUtf8() << Names { { 5, u"А;Б \"В\""_s }, { 6, u"Г"_s } };
    QTest::newRow("further columns ignored") << u"5;имя;Откл.;;лишнее\n"_s.toUtf8() << Names { { 5, u"ИМЯ"_s } };
    QTest::newRow("blank and empty rows passed over")
            << u"\n5;а\r\n\r\n;;;;\n   \n6;б"_s.toUtf8() << Names { { 5, u"А"_s }, { 6, u"Б"_s } };
    QTest::newRow("empty name clears the zone") << u"7;\n"_s.toUtf8() << Names { { 7, QString() } };
    QTest::newRow("blanks around the number, trailing ones after the name")
            << u" 8 ;\"  вход  \"  \n"_s.toUtf8() << Names { { 8, u"  ВХОД"_s } };
    QTest::newRow("forty characters") << (u"9;"_s + QString(40, u'ж')).toUtf8() << Names { { 9, QString(40, u'Ж') } };
    QTest::newRow("windows-1251 as a spreadsheet saves it")
            << Cp1251::encode(u"Зона;Имя\r\n3;Склад №1\r\n"_s) << Names { { 3, u"СКЛАД №1"_s } };
}

void TestCsvLists::import_acceptedFile()
{
    QFETCH(QByteArray, contents);
    QFETCH(Names, names);

    Configuration config;
    fillListConfiguration(config);
    Names expected = zoneNames(config);
    expected.insert(names);
    QVERIFY(writeFile(m_dir.filePath(u"имена.csv"_s), contents));

    QStringList refusals;
    QString error;
    const std::optional<int> named =
            CsvLists::importZoneNames(config, m_dir.filePath(u"имена.csv"_s), &refusals, &error);
    QCOMPARE(refusals, QStringList());
    QCOMPARE(error, QString());
    QCOMPARE(named, std::optional<int>(int(names.size())));
    QCOMPARE(zoneNames(config), expected);
    for (auto it = names.cbegin(); it != names.cend(); ++it)
        QCOMPARE(zoneNameSlot(config, it.key()), Cp1251::encodeSlotText(it.value(), SettingsImage::ZoneNameSize));
}

void TestCsvLists::import_keepsTheCurrentRowAndFilter_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<int>("currentZone");

    QTest::newRow("all zones") << FilterExpressions::allRows() << 250;
    // Zones 3 and 7 show; the file names a zone out of sight too.
    QTest::newRow("zones of an output") << FilterExpressions::zonesHoldingOutput(1000) << 7;
}

void TestCsvLists::import_keepsTheCurrentRowAndFilter()
{
    QFETCH(QString, filter);
    QFETCH(int, currentZone);

    Configuration config;
    fillListConfiguration(config);
    MemTable &zones = config.mtArea();
    QVERIFY(zones.applyFilter(filter));
    QVERIFY(zones.locate(ZoneField::id, currentZone));
    const int visible = zones.recordCount();
    const int position = zones.recNo();

    const CsvLists::ZoneNames read = CsvLists::parseZoneNames("3;первый\n100;сотый\n");
    QCOMPARE(read.refusals, QStringList());
    QCOMPARE(CsvLists::applyZoneNames(config, read.names), 2);

    QCOMPARE(zones.filter(), filter);
    QCOMPARE(zones.recordCount(), visible);
    QCOMPARE(zones.recNo(), position);
    QCOMPARE(zones.asInteger(ZoneField::id), currentZone);
    QCOMPARE(zoneNames(config).value(3), u"ПЕРВЫЙ"_s);
    QCOMPARE(zoneNames(config).value(100), u"СОТЫЙ"_s);
}

void TestCsvLists::import_refusedFile_changesNothing_data()
{
    QTest::addColumn<QByteArray>("contents");
    QTest::addColumn<QStringList>("refusals");

    QTest::newRow("zone number with a letter")
            << u"Зона;Имя\r\n5;а\r\n50х;б\r\n"_s.toUtf8()
            << QStringList { u"Строка 3: номер зоны «50х» — не число от 1 до 500"_s };
    QTest::newRow("zone numbers out of range")
            << u"0;а\n501;б\n-3;в\n;г\n6;д\n"_s.toUtf8()
            << QStringList { u"Строка 1: номер зоны «0» — не число от 1 до 500"_s,
                             u"Строка 2: номер зоны «501» — не число от 1 до 500"_s,
                             u"Строка 3: номер зоны «-3» — не число от 1 до 500"_s,
                             u"Строка 4: номер зоны «» — не число от 1 до 500"_s };
    QTest::newRow("no name field")
            << u"5;а\n7 склад\n8,офис\n"_s.toUtf8()
            << QStringList { u"Строка 2: нет имени зоны — номер и имя разделяются знаком «;»"_s,
                             u"Строка 3: нет имени зоны — номер и имя разделяются знаком «;»"_s };
    QTest::newRow("name too long")
            << (u"5;"_s + QString(41, u'я')).toUtf8()
            << QStringList { u"Строка 1: имя «%1» длиннее 40 символов"_s.arg(QString(41, u'я')) };
    // A name is the message's text, not a template for it.
    QTest::newRow("name too long, with a percent sign")
            << (u"5;"_s + QString(38, u'я') + u"%2%1"_s).toUtf8()
            << QStringList { u"Строка 1: имя «"_s + QString(38, u'я') + u"%2%1» длиннее 40 символов"_s };
    QTest::newRow("characters windows-1251 lacks")
            << u"5;склад ☺ 中 ☺\n6;🔥\n"_s.toUtf8()
            << QStringList { u"Строка 1: в имени «склад ☺ 中 ☺» есть символы, которых прибор не хранит: «☺», «中»"_s,
                             u"Строка 2: в имени «🔥» есть символы, которых прибор не хранит: «🔥»"_s };
    QTest::newRow("line break inside a name, lines counted past it")
            << u"5;\"этаж\r\nдва\"\r\n6;а\r\n6;б\r\n"_s.toUtf8()
            << QStringList { u"Строка 1: в имени перевод строки, табуляция или другой управляющий символ"_s,
                             u"Строка 4: зона 6 уже названа в строке 3"_s };
    QTest::newRow("zone given twice") << u"Зона;Имя\n5;а\n6;б\n5;в\n"_s.toUtf8()
                                      << QStringList { u"Строка 4: зона 5 уже названа в строке 2"_s };
    QTest::newRow("quote left open") << u"5;а\n6;\"склад\n7;б\n"_s.toUtf8()
                                     << QStringList { u"Строка 2: кавычка открыта и не закрыта до конца файла"_s };
}

void TestCsvLists::import_refusedFile_changesNothing()
{
    QFETCH(QByteArray, contents);
    QFETCH(QStringList, refusals);

    Configuration config;
    fillListConfiguration(config);
    QVERIFY(config.mtArea().locate(ZoneField::id, 12));
    const ConfigurationSnapshot before = ConfigurationSnapshot::of(config);
    const Names names = zoneNames(config);
    QVERIFY(writeFile(m_dir.filePath(u"неверный.csv"_s), contents));

    QStringList told;
    QString error;
    QCOMPARE(CsvLists::importZoneNames(config, m_dir.filePath(u"неверный.csv"_s), &told, &error), std::nullopt);
    QCOMPARE(told, refusals);
    QCOMPARE(error, QString());
    QCOMPARE(zoneNames(config), names);
    QVERIFY(ConfigurationSnapshot::of(config) == before);
    QCOMPARE(config.mtArea().asInteger(ZoneField::id), 12);
    QVERIFY(CsvLists::parseZoneNames(contents).names.isEmpty());
}

void TestCsvLists::import_unreadableFile()
{
    Configuration config;
    const ConfigurationSnapshot before = ConfigurationSnapshot::of(config);
    QStringList refusals { u"прежнее"_s };
    QString error;
    const QString path = m_dir.filePath(u"нет.csv"_s);
    QCOMPARE(CsvLists::importZoneNames(config, path, &refusals, &error), std::nullopt);
    QCOMPARE(refusals, QStringList());
    QCOMPARE(error, u"Не удалось открыть файл «%1»: Файл не найден"_s.arg(QDir::toNativeSeparators(path)));
    QVERIFY(ConfigurationSnapshot::of(config) == before);
}

QTEST_GUILESS_MAIN(TestCsvLists)
#include "tst_csvlists.moc"
