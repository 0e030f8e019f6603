// What is typed into a grid cell or a settings box, as the window's editors take it
// through the core's checks, is what a saved and reopened file shows again: the largest,
// the longest and the wrong values of every editable field and box.

#include "recordingnotifier.h"

#include <model/configuration.h>
#include <model/memtablemodel.h>
#include <model/settingsinput.h>
#include <storage/filecommands.h>
#include <storage/writecheck.h>

#include <QTemporaryDir>

#include <QTest>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

using Table = MemTable &(Configuration::*)();
using KeyFilter = std::function<bool(QChar)>;

// Keys as a box takes them: one its filter drops, or one that would make a text longer
// than the box or one the check refuses, is not taken.
QString typed(const InputCheck &check, const QString &keys, const KeyFilter &filter = {})
{
    QString text;
    for (const QChar key : keys) {
        if (filter && !filter(key))
            continue;
        QString candidate = text + key;
        if (check.maxLength() > 0 && candidate.size() > check.maxLength())
            continue;
        if (check.validate(candidate) != InputCheck::State::Invalid)
            text = candidate;
    }
    return text;
}

// A cell's text as the grid draws it: names padded to their slot end where the name does.
QString shownIn(MemTable &table, int row, int field)
{
    const MemTableModel model(&table);
    QString text = model.index(row, field).data().toString();
    while (text.endsWith(u' '))
        text.chop(1);
    return text;
}

QString &settingsText(SystemSettings &settings, const QString &box)
{
    const int number = box.right(1).toInt();
    if (box.startsWith(u"edAdminPass"))
        return settings.edAdminPass[number - 1];
    if (box.startsWith(u"edMasterPass"))
        return settings.edMasterPass[number - 1];
    if (box == u"edNumReg1")
        return settings.edNumReg1;
    if (box == u"edNumReg2")
        return settings.edNumReg2;
    if (box == u"edTelNum1")
        return settings.edTelNum1;
    if (box == u"edTelNum2")
        return settings.edTelNum2;
    if (box == u"edCount")
        return settings.edCount;
    if (box == u"edInfMessage")
        return settings.edInfMessage;
    qFatal("no settings text for %s", qPrintable(box));
}

InputCheck boxCheck(const QString &box)
{
    if (box.startsWith(u"edAdminPass") || box.startsWith(u"edMasterPass"))
        return SettingsInput::accessCodeCheck();
    if (box.startsWith(u"edNumReg"))
        return SettingsInput::registrationNumberCheck();
    if (box.startsWith(u"edTelNum"))
        return InputCheck::text(SettingsInput::TelephoneEntry::PulseMaxLength, InputCheck::Characters::Telephone);
    if (box == u"edCount")
        return SettingsInput::attemptsCheck();
    return SettingsInput::informationMessageCheck();
}

KeyFilter boxKeys(const QString &box, Notifier &notifier)
{
    if (box.startsWith(u"edTelNum"))
        return [&notifier](QChar key) { return SettingsInput::acceptTelephoneKey(key, notifier); };
    if (box == u"edInfMessage")
        return {};
    return [&notifier](QChar key) { return SettingsInput::acceptAccessCodeKey(key, notifier); };
}

// The configuration saved to a file and opened again, as the menu's commands do it.
bool saveAndReopen(Configuration &config, Configuration &reopened)
{
    QTemporaryDir dir;
    RecordingNotifier notifier;
    FileCommands commands(config, notifier);
    commands.buildImage();
    const QString path = dir.filePath(u"typed.tab"_s);
    return commands.saveFile(path) && FileCommands(reopened, notifier).openFile(path)
            && notifier.messages.isEmpty();
}

} // namespace

Q_DECLARE_METATYPE(Table)

class TestTypedValues : public QObject
{
    Q_OBJECT

private slots:
    void gridCell_shownAsReopened_data();
    void gridCell_shownAsReopened();
    void settingsBox_shownAsReopened_data();
    void settingsBox_shownAsReopened();
};

void TestTypedValues::gridCell_shownAsReopened_data()
{
    QTest::addColumn<Table>("table");
    QTest::addColumn<int>("row");
    QTest::addColumn<int>("field");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("shown"); // after the edit, and after the reload

    const Table zones = &Configuration::mtArea;
    const int name = ZoneField::name;
    QTest::newRow("zone name: 41 letters") << zones << 0 << name << u"склад"_s + QString(36, u'ґ')
                                           << u"СКЛАД"_s + QString(35, u'Ґ');
    QTest::newRow("zone name: foreign characters") << zones << 499 << name << u"Zone ☃ é € №7"_s
                                                   << u"ZONE   € №7"_s;

    const Table messages = &Configuration::mtRepEnt;
    const int text = MessageField::name;
    QTest::newRow("input message: 41 characters") << messages << 3 << text << QString(41, u'ї')
                                                  << QString(40, u'Ї');
    QTest::newRow("input message: emoji") << messages << 0 << text << u"вхід 😀1"_s << u"ВХІД 1"_s;

    const Table codes = &Configuration::mtRepComm;
    const int code = EventCodeField::code;
    QTest::newRow("event code: 9999") << codes << 0 << code << u"9999"_s << u"9999"_s;
    QTest::newRow("event code: 99999") << codes << 26 << code << u"99999"_s << u"9999"_s;
    QTest::newRow("event code: minus") << codes << 1 << code << u"-5"_s << u"5"_s;
    QTest::newRow("event code: letters") << codes << 2 << code << u"abc"_s << u"572"_s; // not taken

    const Table inputs = &Configuration::mtEntrance;
    const int level = InputField::level;
    QTest::newRow("input level: 255") << inputs << 0 << level << u"255"_s << u"255"_s;
    QTest::newRow("input level: 256") << inputs << 1 << level << u"256"_s << u"25"_s;
    QTest::newRow("input level: 999") << inputs << 0 << level << u"999"_s << u"99"_s;

    const Table profiles = &Configuration::mtTempType;
    const int day = ProfileField::begin_day;
    const int night = ProfileField::begin_night;
    QTest::newRow("day start: 23:50") << profiles << 0 << day << u"23:50"_s << u"23:50"_s;
    QTest::newRow("night start: 9:10") << profiles << 3 << night << u"9:10"_s << u"09:10"_s;
    QTest::newRow("night start: 22:35") << profiles << 1 << night << u"22:35"_s << u"00:00"_s; // not taken
    QTest::newRow("day start: 25:70") << profiles << 2 << day << u"25:70"_s << u"00:00"_s;
    QTest::newRow("day start: 20:00x") << profiles << 2 << day << u"20:00x"_s << u"20:00"_s;
}

void TestTypedValues::gridCell_shownAsReopened()
{
    QFETCH(Table, table);
    QFETCH(int, row);
    QFETCH(int, field);
    QFETCH(QString, keys);
    QFETCH(QString, shown);

    Configuration config;
    MemTable &modules = config.mtDev();
    modules.first();
    modules.setValue(ModuleField::id_name, 3); // an eight-channel module, for its inputs
    modules.post();

    MemTable &edited = (config.*table)();
    MemTableModel model(&edited);
    const QModelIndex cell = model.index(row, field);
    QVERIFY(model.flags(cell).testFlag(Qt::ItemIsEditable));
    model.setData(cell, typed(model.inputCheck(field), keys));
    QCOMPARE(shownIn(edited, row, field), shown);

    Configuration reopened;
    QVERIFY(saveAndReopen(config, reopened));
    QCOMPARE(shownIn((reopened.*table)(), row, field), shown);
}

void TestTypedValues::settingsBox_shownAsReopened_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<QString>("keys");
    QTest::addColumn<QString>("shown"); // after leaving the box, and after the reload

    QTest::newRow("message: 40 letters") << u"edInfMessage"_s << QString(40, u'ж') << QString(39, u'Ж');
    QTest::newRow("message: foreign characters") << u"edInfMessage"_s << u"тест☃ é5"_s << u"ТЕСТ 5"_s;
    QTest::newRow("message: outer blanks") << u"edInfMessage"_s << u"  тест  "_s << u"ТЕСТ"_s;
    for (int i = 1; i <= SystemSettings::AdminCodeCount; ++i)
        QTest::addRow("admin code %d: 11 digits", i) << u"edAdminPass%1"_s.arg(i) << u"12345678901"_s
                                                     << u"1234567890"_s;
    for (int i = 1; i <= SystemSettings::MasterCodeCount; ++i)
        QTest::addRow("installer code %d: 11 digits", i) << u"edMasterPass%1"_s.arg(i) << u"98765432109"_s
                                                         << u"9876543210"_s;
    QTest::newRow("code: letter") << u"edAdminPass2"_s << u"12a3"_s << u"123"_s;
    QTest::newRow("registration 1: 5 digits") << u"edNumReg1"_s << u"99999"_s << u"9999"_s;
    QTest::newRow("registration 2: short") << u"edNumReg2"_s << u"42"_s << u"0042"_s;
    QTest::newRow("registration 2: zero") << u"edNumReg2"_s << u"0"_s << QString();
    QTest::newRow("registration 1: letter") << u"edNumReg1"_s << u"1x2"_s << u"0012"_s;
    QTest::newRow("attempts: 250") << u"edCount"_s << u"250"_s << u"25"_s;
    QTest::newRow("attempts: 99") << u"edCount"_s << u"99"_s << u"99"_s;
    QTest::newRow("attempts: one digit") << u"edCount"_s << u"7x"_s << u"07"_s;
    QTest::newRow("telephone 1: 15 symbols") << u"edTelNum1"_s << u"+*0123456789012"_s << u"+*0123456789012"_s;
    QTest::newRow("telephone 2: letters") << u"edTelNum2"_s << u"12ab3"_s << u"123"_s;
    QTest::newRow("telephone 1: 16 digits") << u"edTelNum1"_s << u"12345678901234567"_s
                                            << u"1234567890123456"_s;
}

void TestTypedValues::settingsBox_shownAsReopened()
{
    QFETCH(QString, box);
    QFETCH(QString, keys);
    QFETCH(QString, shown);

    Configuration config;
    RecordingNotifier notifier;
    const InputCheck check = boxCheck(box);
    const QString text = check.reopened(typed(check, keys, boxKeys(box, notifier)));
    config.changeSettings([&](SystemSettings &settings) {
        settingsText(settings, box) = text;
        if (box.startsWith(u"edTelNum"))
            SettingsInput::TelephoneEntry(settings, box.right(1).toInt()).keyReleased();
    });
    QCOMPARE(text, shown);

    // The box takes 16 digits, which leave no room for the number's end mark: the check
    // before saving names it instead.
    const QStringList problems = WriteCheck::problems(config);
    if (QTest::currentDataTag() == QByteArrayLiteral("telephone 1: 16 digits")) {
        QCOMPARE(problems.size(), 1);
        QVERIFY2(problems.constFirst().startsWith(u"Первый телефонный номер: "_s), qPrintable(problems.constFirst()));
        return;
    }
    QCOMPARE(problems, QStringList());

    Configuration reopened;
    QVERIFY(saveAndReopen(config, reopened));
    SystemSettings settings = reopened.settings();
    QCOMPARE(settingsText(settings, box), shown);
}

QTEST_GUILESS_MAIN(TestTypedValues)
#include "tst_typedvalues.moc"
