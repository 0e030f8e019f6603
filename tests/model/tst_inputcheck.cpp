// The checks behind every box and grid editor: what each takes of a text, of a value
// and what a reload shows of it.

#include <image/cp1251.h>
#include <model/inputcheck.h>
#include <model/settingsinput.h>

#include <QTest>

using namespace Qt::StringLiterals;
using State = InputCheck::State;
using Characters = InputCheck::Characters;
using Reopened = InputCheck::Reopened;

Q_DECLARE_METATYPE(InputCheck)

class TestInputCheck : public QObject
{
    Q_OBJECT

private slots:
    void validate_data();
    void validate();
    void cp1251_takesWhatTheCodePageKeepsAndNothingElse();
    void taken_data();
    void taken();
    void reopened_data();
    void reopened();
};

void TestInputCheck::validate_data()
{
    QTest::addColumn<InputCheck>("check");
    QTest::addColumn<QString>("text");
    QTest::addColumn<State>("state");
    QTest::addColumn<QString>("made"); // the text as the check leaves it

    const InputCheck name = InputCheck::text(40, Characters::Cp1251Capitals);
    QTest::newRow("name: capitals made") << name << u"склад №1 ґ"_s << State::Acceptable << u"СКЛАД №1 Ґ"_s;
    QTest::newRow("name: 40") << name << QString(40, u'я') << State::Acceptable << QString(40, u'Я');
    QTest::newRow("name: 41") << name << QString(41, u'Я') << State::Invalid << QString(41, u'Я');
    QTest::newRow("name: snowman") << name << u"A☃"_s << State::Invalid << u"A☃"_s;
    QTest::newRow("name: outside the code page") << name << u"é"_s << State::Invalid << u"É"_s;
    QTest::newRow("name: tab") << name << u"a\tb"_s << State::Invalid << u"A\tB"_s;
    QTest::newRow("name: emoji") << name << u"😀"_s << State::Invalid << u"😀"_s;
    QTest::newRow("name: empty") << name << QString() << State::Acceptable << QString();

    const InputCheck code = SettingsInput::accessCodeCheck();
    QTest::newRow("code: case kept") << code << u"ab12"_s << State::Acceptable << u"ab12"_s;
    QTest::newRow("code: 11") << code << u"12345678901"_s << State::Invalid << u"12345678901"_s;

    const InputCheck registration = SettingsInput::registrationNumberCheck();
    QTest::newRow("registration: 4 digits") << registration << u"9999"_s << State::Acceptable << u"9999"_s;
    QTest::newRow("registration: 5 digits") << registration << u"12345"_s << State::Invalid << u"12345"_s;
    QTest::newRow("registration: letter") << registration << u"12a"_s << State::Invalid << u"12a"_s;
    const InputCheck attempts = SettingsInput::attemptsCheck();
    QTest::newRow("attempts: 99") << attempts << u"99"_s << State::Acceptable << u"99"_s;
    QTest::newRow("attempts: 250") << attempts << u"250"_s << State::Invalid << u"250"_s;
    const InputCheck telephone = SettingsInput::telephoneCheck();
    QTest::newRow("telephone: marks") << telephone << u"+12*3"_s << State::Acceptable << u"+12*3"_s;
    QTest::newRow("telephone: letter") << telephone << u"12B"_s << State::Invalid << u"12B"_s;
    const InputCheck message = SettingsInput::informationMessageCheck();
    QTest::newRow("message: 39") << message << QString(39, u'ж') << State::Acceptable << QString(39, u'Ж');
    QTest::newRow("message: 40") << message << QString(40, u'Ж') << State::Invalid << QString(40, u'Ж');

    const InputCheck level = InputCheck::number(0, 255);
    QTest::newRow("level: 255") << level << u"255"_s << State::Acceptable << u"255"_s;
    QTest::newRow("level: 256") << level << u"256"_s << State::Invalid << u"256"_s;
    QTest::newRow("level: minus") << level << u"-1"_s << State::Invalid << u"-1"_s;
    QTest::newRow("level: empty") << level << QString() << State::Intermediate << QString();
    QTest::newRow("level: letter") << level << u"1x"_s << State::Invalid << u"1x"_s;
    QTest::newRow("level: blank") << level << u" 1"_s << State::Invalid << u" 1"_s;

    const InputCheck time = InputCheck::tenMinuteTime();
    const auto timeRow = [&time](const char *name, const QString &text, State state) {
        QTest::newRow(name) << time << text << state << text;
    };
    timeRow("time: 23:50", u"23:50"_s, State::Acceptable);
    timeRow("time: 00:00", u"00:00"_s, State::Acceptable);
    timeRow("time: 9:10", u"9:10"_s, State::Acceptable);
    timeRow("time: 2", u"2"_s, State::Intermediate);
    timeRow("time: 22:", u"22:"_s, State::Intermediate);
    timeRow("time: 22:3", u"22:3"_s, State::Intermediate);
    timeRow("time: 22:35", u"22:35"_s, State::Invalid);
    timeRow("time: 25", u"25"_s, State::Invalid);
    timeRow("time: 20:7", u"20:7"_s, State::Invalid);
    timeRow("time: 24:00", u"24:00"_s, State::Invalid);
    timeRow("time: :10", u":10"_s, State::Invalid);
    timeRow("time: 12:300", u"12:300"_s, State::Invalid);
    timeRow("time: two colons", u"1:2:"_s, State::Invalid);
}

void TestInputCheck::validate()
{
    QFETCH(InputCheck, check);
    QFETCH(QString, text);
    QFETCH(State, state);
    QFETCH(QString, made);
    QCOMPARE(check.validate(text), state);
    QCOMPARE(text, made);
}

// Every byte but the code page's gaps and its control characters stands for a character
// a box takes, and that character comes back from the byte; no other character is taken.
void TestInputCheck::cp1251_takesWhatTheCodePageKeepsAndNothingElse()
{
    const InputCheck kept = InputCheck::text(0, Characters::Cp1251);
    const InputCheck capitals = InputCheck::text(0, Characters::Cp1251Capitals);
    int taken = 0;
    for (int byte = 0; byte <= 0xFF; ++byte) {
        const QString character = Cp1251::decode(QByteArray(1, char(byte)));
        QCOMPARE(character.size(), 1);
        const QChar c = character.front();
        if (!kept.takes(c))
            continue;
        ++taken;
        QCOMPARE(Cp1251::encode(character), QByteArray(1, char(byte)));
        QVERIFY2(capitals.takes(c), qPrintable(character));
        const QString capital = Cp1251::upperCased(character);
        QCOMPARE(Cp1251::decode(Cp1251::encode(capital)), capital);
    }
    QCOMPARE(taken, 256 - 32 - 1 - 1); // less the control characters, DEL and the gap at 0x98
    for (char16_t u = 0; u < 0xFFFF; ++u) {
        const QChar c(u);
        if (kept.takes(c))
            QCOMPARE(Cp1251::decode(Cp1251::encode(QString(c))), QString(c));
    }
}

void TestInputCheck::taken_data()
{
    QTest::addColumn<InputCheck>("check");
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QVariant>("stored"); // invalid for not taken

    const InputCheck time = InputCheck::tenMinuteTime();
    QTest::newRow("time typed") << time << QVariant(u"22:40"_s) << QVariant(QTime(22, 40));
    QTest::newRow("time typed short") << time << QVariant(u"7:00"_s) << QVariant(QTime(7, 0));
    QTest::newRow("time half typed") << time << QVariant(u"22:4"_s) << QVariant();
    QTest::newRow("time between steps") << time << QVariant(u"22:35"_s) << QVariant();
    QTest::newRow("time value") << time << QVariant(QTime(23, 50)) << QVariant(QTime(23, 50));
    QTest::newRow("time value between steps") << time << QVariant(QTime(22, 35)) << QVariant();
    QTest::newRow("time value with seconds") << time << QVariant(QTime(22, 30, 5)) << QVariant();
    QTest::newRow("time empty") << time << QVariant() << QVariant();

    const InputCheck code = InputCheck::number(0, 9999);
    QTest::newRow("code 9999") << code << QVariant(9999) << QVariant(9999);
    QTest::newRow("code 99999") << code << QVariant(99999) << QVariant();
    QTest::newRow("code typed") << code << QVariant(u"110"_s) << QVariant(110);
    QTest::newRow("code negative") << code << QVariant(-5) << QVariant();
    QTest::newRow("code fraction") << code << QVariant(5.5) << QVariant();
    QTest::newRow("code empty") << code << QVariant() << QVariant();

    const InputCheck name = InputCheck::text(40, Characters::Cp1251Capitals);
    QTest::newRow("name kept as written") << name << QVariant(u"склад"_s) << QVariant(u"склад"_s);
    QTest::newRow("name too long") << name << QVariant(QString(41, u'a')) << QVariant();
    QTest::newRow("name foreign") << name << QVariant(u"☃"_s) << QVariant();

    QTest::newRow("no check") << InputCheck() << QVariant(-7) << QVariant(-7);
}

void TestInputCheck::taken()
{
    QFETCH(InputCheck, check);
    QFETCH(QVariant, value);
    QFETCH(QVariant, stored);
    const std::optional<QVariant> taken = check.taken(value);
    QCOMPARE(taken.has_value(), stored.isValid());
    if (taken)
        QCOMPARE(*taken, stored);
}

void TestInputCheck::reopened_data()
{
    QTest::addColumn<InputCheck>("check");
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("shown");

    const InputCheck registration = SettingsInput::registrationNumberCheck();
    QTest::newRow("registration 12") << registration << u"12"_s << u"0012"_s;
    QTest::newRow("registration 9999") << registration << u"9999"_s << u"9999"_s;
    QTest::newRow("registration 0") << registration << u"0"_s << QString();
    QTest::newRow("registration empty") << registration << QString() << QString();
    QTest::newRow("registration as loaded") << registration << u"12AB"_s << u"12AB"_s;
    const InputCheck attempts = SettingsInput::attemptsCheck();
    QTest::newRow("attempts 5") << attempts << u"5"_s << u"05"_s;
    QTest::newRow("attempts empty") << attempts << QString() << u"00"_s;
    QTest::newRow("attempts 99") << attempts << u"99"_s << u"99"_s;
    const InputCheck message = SettingsInput::informationMessageCheck();
    QTest::newRow("message") << message << u"  объект 5 "_s << u"ОБЪЕКТ 5"_s;
    QTest::newRow("code") << SettingsInput::accessCodeCheck() << u" ab "_s << u" ab "_s;
}

void TestInputCheck::reopened()
{
    QFETCH(InputCheck, check);
    QFETCH(QString, typed);
    QFETCH(QString, shown);
    QCOMPARE(check.reopened(typed), shown);
}

QTEST_GUILESS_MAIN(TestInputCheck)
#include "tst_inputcheck.moc"
