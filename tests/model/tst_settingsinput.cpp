#include "recordingnotifier.h"
#include "unexpectedwarnings.h"

#include <model/notifier.h>
#include <model/settingsinput.h>

#include <QTest>

using namespace SettingsInput;
using Colour = SystemSettings::ToneCaptionColour;

namespace {

const QString digitsOnlyText = QStringLiteral("Потрібно вводити цифри");
// Built from its three lines so the carriage returns and the leading space are checked.
const QString telephoneKeysText = QStringLiteral("Потрібно вводити цифри або") + QChar(0x0D)
        + QStringLiteral(" \"+\" для встановлення паузи") + QChar(0x0D)
        + QStringLiteral("чи \"*\" для встановлення пошуку сигналу.");

} // namespace

class TestSettingsInput : public QObject
{
    Q_OBJECT

private slots:
    void init() { failOnUnexpectedWarnings(); }
    void formatNumberPhone_data();
    void formatNumberPhone();
    void upDownStep_data();
    void upDownStep();

    void keyFilters_data();
    void keyFilters();

    void keyRelease_recomputesRawFromTextAndTone();
    void insertMark_data();
    void insertMark();
    void insertMark_fullBox_doesNothing_data();
    void insertMark_fullBox_doesNothing();
    void insertMark_inTone_onlyTheOwnNumbersLimitCounts();
    void tone_pressed_dropsSixteenthAndMovesCaretToEnd_data();
    void tone_pressed_dropsSixteenthAndMovesCaretToEnd();
    void tone_released_restoresPulse();
    void tone_eachNumberAlone();

    void technologicalAddress_data();
    void technologicalAddress();

    void modeAndOrIndex_data();
    void modeAndOrIndex();
};

void TestSettingsInput::formatNumberPhone_data()
{
    QTest::addColumn<QString>("number");
    QTest::addColumn<bool>("tone");
    QTest::addColumn<QString>("raw");

    QTest::newRow("marks, pulse") << "12+34*5" << false << "12B34C5D00000000";
    QTest::newRow("marks, tone") << "12+34*5" << true << "E12B34C5D0000000";
    QTest::newRow("16 digits, pulse") << "1234567890123456" << false << "1234567890123456";
    QTest::newRow("15 digits, pulse") << "123456789012345" << false << "123456789012345D";
    QTest::newRow("15 digits, tone") << "123456789012345" << true << "E123456789012345";
    QTest::newRow("15 with marks, tone") << "+*+*+*+*+*+*+*+" << true << "EBCBCBCBCBCBCBCB";
    QTest::newRow("empty, pulse") << "" << false << "D000000000000000";
    QTest::newRow("empty, tone") << "" << true << "ED00000000000000";
    QTest::newRow("over 16 kept whole") << "12345678901234567" << false << "12345678901234567";
    // A pasted text is not filtered; only the two marks are rewritten.
    QTest::newRow("other characters kept") << "1-2 B" << false << "1-2 BD0000000000";
}

void TestSettingsInput::formatNumberPhone()
{
    QFETCH(QString, number);
    QFETCH(bool, tone);
    QFETCH(QString, raw);

    QCOMPARE(FormatNumberPhone(number, tone), raw);
}

void TestSettingsInput::keyFilters_data()
{
    // One key a row, with what each of the three filters makes of it.
    QTest::addColumn<QChar>("key");
    QTest::addColumn<bool>("accessCode"); // edAdminPass*, edMasterPass*, edNumReg1/2, edCount
    QTest::addColumn<bool>("telephone"); // edTelNum1/2
    QTest::addColumn<bool>("technologicalAddress"); // edAddrKLM, silently

    QTest::newRow("0") << QChar(u'0') << true << true << true;
    QTest::newRow("9") << QChar(u'9') << true << true << true;
    QTest::newRow("Backspace") << QChar(8) << true << true << true;
    QTest::newRow("Ctrl+C") << QChar(3) << true << true << false;
    QTest::newRow("Ctrl+V") << QChar(22) << false << true << false;
    QTest::newRow("Ctrl+X") << QChar(24) << false << true << false;
    QTest::newRow("plus") << QChar(u'+') << false << true << false;
    QTest::newRow("star") << QChar(u'*') << false << true << false;
    QTest::newRow("Latin letter") << QChar(u'B') << false << false << false;
    QTest::newRow("Cyrillic letter") << QChar(u'ж') << false << false << false;
    QTest::newRow("hash") << QChar(u'#') << false << false << false;
    QTest::newRow("minus") << QChar(u'-') << false << false << false;
    QTest::newRow("space") << QChar(u' ') << false << false << false;
    QTest::newRow("Enter") << QChar(13) << false << false << false;
    QTest::newRow("Escape") << QChar(27) << false << false << false;
    QTest::newRow("Ctrl+A") << QChar(1) << false << false << false;
    QTest::newRow("superscript two") << QChar(0x00B2) << false << false << false;
    QTest::newRow("Arabic-Indic digit") << QChar(0x0663) << false << false << false;
    QTest::newRow("U+0131, low byte '1'") << QChar(0x0131) << false << false << false;
    QTest::newRow("U+0135, low byte '5'") << QChar(0x0135) << false << false << false;
    QTest::newRow("U+012B, low byte '+'") << QChar(0x012B) << false << false << false;
    QTest::newRow("U+0108, low byte Backspace") << QChar(0x0108) << false << false << false;
    QTest::newRow("U+0416 Ж, low byte Ctrl+V") << QChar(0x0416) << false << false << false;
}

void TestSettingsInput::keyFilters()
{
    QFETCH(QChar, key);
    QFETCH(bool, accessCode);
    QFETCH(bool, telephone);
    QFETCH(bool, technologicalAddress);

    RecordingNotifier notifier;
    QCOMPARE(acceptAccessCodeKey(key, notifier), accessCode);
    QCOMPARE(notifier.informations, accessCode ? QStringList() : QStringList{digitsOnlyText});
    notifier.informations.clear();
    QCOMPARE(acceptTelephoneKey(key, notifier), telephone);
    QCOMPARE(notifier.informations, telephone ? QStringList() : QStringList{telephoneKeysText});
    notifier.informations.clear();
    QCOMPARE(acceptTechnologicalAddressKey(key), technologicalAddress);
    QVERIFY(notifier.informations.isEmpty());
    QVERIFY(notifier.warnings.isEmpty());
    QVERIFY(notifier.questions.isEmpty());
}

void TestSettingsInput::keyRelease_recomputesRawFromTextAndTone()
{
    SystemSettings settings;
    settings.edTelNum1 = QStringLiteral("1+2");
    settings.edTelNum2 = QStringLiteral("3*4");
    settings.sbTonePulse2 = true;

    TelephoneEntry(settings, 1).keyReleased();
    QCOMPARE(settings.edTelNum1Raw, QStringLiteral("1B2D000000000000"));
    QVERIFY(settings.edTelNum2Raw.isEmpty());

    TelephoneEntry(settings, 2).keyReleased();
    QCOMPARE(settings.edTelNum2Raw, QStringLiteral("E3C4D00000000000"));
    QCOMPARE(settings.edTelNum1Raw, QStringLiteral("1B2D000000000000"));
}

void TestSettingsInput::insertMark_data()
{
    QTest::addColumn<int>("number");
    QTest::addColumn<bool>("tone");
    QTest::addColumn<bool>("pause");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("caret");
    QTest::addColumn<QString>("newText");
    QTest::addColumn<int>("newCaret");
    QTest::addColumn<QString>("raw");

    QTest::newRow("pause in the middle")
            << 1 << false << true << "1234" << 2 << "12+34" << 3 << "12B34D0000000000";
    QTest::newRow("search at the start")
            << 1 << false << false << "1234" << 0 << "*1234" << 1 << "C1234D0000000000";
    QTest::newRow("pause at the end")
            << 2 << false << true << "1234" << 4 << "1234+" << 5 << "1234BD0000000000";
    QTest::newRow("search into empty, tone")
            << 2 << true << false << "" << 0 << "*" << 1 << "ECD0000000000000";
    QTest::newRow("15 of 16, pulse")
            << 1 << false << true << "123456789012345" << 15 << "123456789012345+" << 16
            << "123456789012345B";
    QTest::newRow("14 of 15, tone")
            << 1 << true << false << "12345678901234" << 7 << "1234567*8901234" << 8
            << "E1234567C8901234";
    QTest::newRow("caret past the end goes to the end")
            << 1 << false << true << "12" << 9 << "12+" << 3 << "12BD000000000000";
    QTest::newRow("negative caret goes to the start")
            << 1 << false << true << "12" << -1 << "+12" << 1 << "B12D000000000000";
    QTest::newRow("16 in tone (loaded over the limit) still takes a mark")
            << 1 << true << true << "1234567890123456" << 3 << "123+4567890123456" << 4
            << "E123B4567890123456";
}

void TestSettingsInput::insertMark()
{
    QFETCH(int, number);
    QFETCH(bool, tone);
    QFETCH(bool, pause);
    QFETCH(QString, text);
    QFETCH(int, caret);
    QFETCH(QString, newText);
    QFETCH(int, newCaret);
    QFETCH(QString, raw);

    SystemSettings settings;
    (number == 1 ? settings.edTelNum1 : settings.edTelNum2) = text;
    (number == 1 ? settings.sbTonePulse1 : settings.sbTonePulse2) = tone;
    SystemSettings expected = settings;
    (number == 1 ? expected.edTelNum1 : expected.edTelNum2) = newText;
    (number == 1 ? expected.edTelNum1Raw : expected.edTelNum2Raw) = raw;

    TelephoneEntry entry(settings, number);
    const std::optional<int> result = pause ? entry.insertPause(caret) : entry.insertFindSignal(caret);

    QCOMPARE(result, std::optional<int>(newCaret));
    QCOMPARE(settings, expected); // the other number and every other field untouched
}

void TestSettingsInput::insertMark_fullBox_doesNothing_data()
{
    QTest::addColumn<bool>("tone");
    QTest::addColumn<QString>("text");

    QTest::newRow("16, pulse") << false << "1234567890123456";
    QTest::newRow("15, tone") << true << "123456789012345";
}

void TestSettingsInput::insertMark_fullBox_doesNothing()
{
    QFETCH(bool, tone);
    QFETCH(QString, text);

    SystemSettings settings;
    settings.edTelNum1 = text;
    settings.sbTonePulse1 = tone;
    settings.edTelNum1Raw = QStringLiteral("loaded");
    const SystemSettings before = settings;

    TelephoneEntry entry(settings, 1);
    QCOMPARE(entry.insertPause(3), std::nullopt);
    QCOMPARE(entry.insertFindSignal(3), std::nullopt);
    QCOMPARE(settings, before);
}

void TestSettingsInput::insertMark_inTone_onlyTheOwnNumbersLimitCounts()
{
    for (const bool firstTone : {false, true}) {
        SystemSettings settings;
        settings.sbTonePulse1 = firstTone;
        settings.edTelNum2 = QStringLiteral("123456789012345");
        settings.sbTonePulse2 = true;
        const SystemSettings before = settings;

        QCOMPARE(TelephoneEntry(settings, 2).insertFindSignal(5), std::nullopt);
        QCOMPARE(settings, before);
    }

    // And the other way round: number 1 in tone mode leaves number 2 its 16.
    SystemSettings settings;
    settings.sbTonePulse1 = true;
    settings.edTelNum2 = QStringLiteral("123456789012345");
    QCOMPARE(TelephoneEntry(settings, 2).insertFindSignal(15), std::optional<int>(16));
    QCOMPARE(settings.edTelNum2, QStringLiteral("123456789012345*"));
}

void TestSettingsInput::tone_pressed_dropsSixteenthAndMovesCaretToEnd_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("newText");
    QTest::addColumn<QString>("raw");

    QTest::newRow("16 characters") << "123456789012345+" << "123456789012345"
                                   << "E123456789012345";
    QTest::newRow("15 characters") << "12345678901234*" << "12345678901234*"
                                   << "E12345678901234C";
    QTest::newRow("short") << "12" << "12" << "E12D000000000000";
    QTest::newRow("empty") << "" << "" << "ED00000000000000";
    QTest::newRow("over 16 (loaded): only the 16th goes") << "12345678901234567" << "1234567890123457"
                                                          << "E1234567890123457";
}

void TestSettingsInput::tone_pressed_dropsSixteenthAndMovesCaretToEnd()
{
    QFETCH(QString, text);
    QFETCH(QString, newText);
    QFETCH(QString, raw);

    SystemSettings settings;
    settings.edTelNum1 = text;
    TelephoneEntry entry(settings, 1);
    QCOMPARE(entry.maxLength(), 16);
    QCOMPARE(entry.caption(), PulseCaption);

    QCOMPARE(entry.setTone(true), std::optional<int>(newText.size()));
    QCOMPARE(settings.edTelNum1, newText);
    QCOMPARE(settings.edTelNum1Raw, raw);
    QVERIFY(settings.sbTonePulse1);
    QCOMPARE(settings.sbTonePulse1Colour, Colour::Blue);
    QCOMPARE(entry.maxLength(), 15);
    QCOMPARE(entry.caption(), ToneCaption);
}

void TestSettingsInput::tone_released_restoresPulse()
{
    SystemSettings settings;
    settings.edTelNum2 = QStringLiteral("12345678901234*");
    settings.sbTonePulse2 = true;
    settings.sbTonePulse2Colour = Colour::Grey;
    TelephoneEntry entry(settings, 2);

    QCOMPARE(entry.setTone(false), std::nullopt);
    QVERIFY(!settings.sbTonePulse2);
    QCOMPARE(settings.sbTonePulse2Colour, Colour::Black);
    QCOMPARE(entry.maxLength(), 16);
    QCOMPARE(entry.caption(), PulseCaption);
    QCOMPARE(settings.edTelNum2, QStringLiteral("12345678901234*"));
    QCOMPARE(settings.edTelNum2Raw, QStringLiteral("12345678901234CD"));

    // Pulse gives back the sixteenth place.
    QCOMPARE(entry.insertPause(15), std::optional<int>(16));
    QCOMPARE(settings.edTelNum2Raw, QStringLiteral("12345678901234CB"));
}

void TestSettingsInput::tone_eachNumberAlone()
{
    SystemSettings settings;
    settings.edTelNum1 = QStringLiteral("1234567890123456");
    settings.edTelNum2 = QStringLiteral("6543210987654321");
    SystemSettings expected = settings;

    TelephoneEntry(settings, 2).setTone(true);
    expected.edTelNum2 = QStringLiteral("654321098765432");
    expected.edTelNum2Raw = QStringLiteral("E654321098765432");
    expected.sbTonePulse2 = true;
    expected.sbTonePulse2Colour = Colour::Blue;
    QCOMPARE(settings, expected);

    TelephoneEntry(settings, 1).setTone(false);
    expected.edTelNum1Raw = QStringLiteral("1234567890123456");
    QCOMPARE(settings, expected);
}

void TestSettingsInput::technologicalAddress_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("replaced");
    QTest::addColumn<QString>("newText");
    QTest::addColumn<std::optional<int>>("address");
    QTest::addColumn<QString>("error");

    QTest::newRow("17") << "17" << true << "1" << std::optional<int>(1) << "";
    QTest::newRow("0") << "0" << true << "1" << std::optional<int>(1) << "";
    QTest::newRow("00") << "00" << true << "1" << std::optional<int>(1) << "";
    QTest::newRow("99") << "99" << true << "1" << std::optional<int>(1) << "";
    QTest::newRow("05") << "05" << false << "05" << std::optional<int>(5) << "";
    QTest::newRow("1") << "1" << false << "1" << std::optional<int>(1) << "";
    QTest::newRow("16") << "16" << false << "16" << std::optional<int>(16) << "";
    QTest::newRow("empty") << "" << false << "" << std::optional<int>() << "«» не является целым числом";
    QTest::newRow("pasted letters")
            << "ab" << false << "ab" << std::optional<int>() << "«ab» не является целым числом";
}

void TestSettingsInput::technologicalAddress()
{
    QFETCH(QString, text);
    QFETCH(bool, replaced);
    QFETCH(QString, newText);
    QFETCH(std::optional<int>, address);
    QFETCH(QString, error);

    SystemSettings settings;
    settings.edAddrKLM = text;
    RecordingNotifier notifier;

    QCOMPARE(technologicalAddressEdited(settings, notifier), replaced);
    QCOMPARE(settings.edAddrKLM, newText);
    QCOMPARE(notifier.informations,
             replaced ? QStringList{QStringLiteral("Диапазон технологического адреса 1..16")}
                      : QStringList());
    QVERIFY(notifier.warnings.isEmpty());
    QCOMPARE(notifier.errors, error.isEmpty() ? QStringList() : QStringList{error});
    QCOMPARE(SettingsInput::technologicalAddress(settings.edAddrKLM), address);
}

void TestSettingsInput::modeAndOrIndex_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("index");

    QTest::newRow("ИЛИ") << "ИЛИ" << 0;
    QTest::newRow("И") << "И" << 1;
    QTest::newRow("empty") << "" << -1;
    QTest::newRow("prefix") << "ИЛ" << -1;
    QTest::newRow("trailing space") << "И " << -1;
    QTest::newRow("Latin OR") << "OR" << -1;
}

void TestSettingsInput::modeAndOrIndex()
{
    QFETCH(QString, text);
    QFETCH(int, index);

    QCOMPARE(SettingsInput::modeAndOrIndex(text), index);
}

void TestSettingsInput::upDownStep_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<int>("direction");
    QTest::addColumn<int>("stepped");

    // The test interval, 0 .. 24 hours.
    QTest::newRow("up") << 5 << 1 << 6;
    QTest::newRow("down") << 5 << -1 << 4;
    QTest::newRow("up at the top stays") << 24 << 1 << 24;
    QTest::newRow("down at the bottom stays") << 0 << -1 << 0;
    QTest::newRow("stored above, down: to the top") << 48 << -1 << 24;
    QTest::newRow("stored above, up: to the top") << 48 << 1 << 24;
    QTest::newRow("stored below, up: to the bottom") << -3 << 1 << 0;
}

void TestSettingsInput::upDownStep()
{
    QFETCH(int, value);
    QFETCH(int, direction);
    QFETCH(int, stepped);
    QCOMPARE(SettingsInput::TestIntervalHoursRange.stepped(value, direction), stepped);
}

QTEST_GUILESS_MAIN(TestSettingsInput)
#include "tst_settingsinput.moc"
