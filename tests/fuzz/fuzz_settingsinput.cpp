// Keys and texts of any kind in the boxes of the communicator and modules pages: the key
// filters let through exactly their keys and explain every refusal once, a telephone
// number never outgrows its box through the mark buttons or the tone button, its raw form
// always follows the text, and the technological address is either in range or not a number.
//
// Input: steps (see FuzzStep). The operation picks the telephone box (operation / 8 % 2)
// and what to do (operation % 8): 0 offer each UTF-16 unit of the bytes to the key filters,
// 1 type the UTF-8 text into the box, 2 press "пауза", 3 press "пошук" (caret: byte 0, signed),
// 4 set the tone button (byte 0, odd pressed), 5 load the text into the box, 6 type the text
// as the technological address, 7 format the text as a raw telephone number. An operation
// of 16 or more gives the UTF-8 text to the input check (operation - 16) % 10 of the boxes
// and grid editors: what it takes can be typed key by key and comes back from the image.

#include "fuzzsupport.h"
#include "recordingnotifier.h"

#include <image/cp1251.h>
#include <messages/messages.h>
#include <model/settingsinput.h>

#include <array>

using namespace SettingsInput;

namespace {

constexpr char16_t Backspace = 8;
constexpr char16_t CtrlC = 3;
constexpr char16_t CtrlV = 22;
constexpr char16_t CtrlX = 24;
constexpr int RawLength = 16;

bool isDigit(QChar key)
{
    return key.unicode() >= u'0' && key.unicode() <= u'9';
}

QString hex(QChar key)
{
    return QStringLiteral("U+%1").arg(key.unicode(), 4, 16, QLatin1Char('0'));
}

// A refusal is explained once, with `text`; an accepted key is not commented.
void checkFilter(bool accepted, bool expected, QChar key, RecordingNotifier &notifier, QStringView text)
{
    FUZZ_CHECK(accepted == expected, hex(key));
    FUZZ_CHECK(notifier.messages == (accepted ? QStringList() : QStringList { text.toString() }),
               hex(key) + u' ' + notifier.messages.join(u'|'));
    notifier.messages.clear();
}

void offerKeys(const QByteArray &bytes)
{
    RecordingNotifier notifier;
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        const QChar key(char16_t(quint8(bytes.at(i)) | quint8(bytes.at(i + 1)) << 8));
        const char16_t c = key.unicode();
        checkFilter(acceptAccessCodeKey(key, notifier), isDigit(key) || c == Backspace || c == CtrlC, key,
                    notifier, message(MessageId::DigitsOnly));
        checkFilter(acceptTelephoneKey(key, notifier),
                    isDigit(key) || c == u'+' || c == u'*' || c == Backspace || c == CtrlC || c == CtrlV || c == CtrlX,
                    key, notifier, message(MessageId::TelephoneKeys));
        FUZZ_CHECK(acceptTechnologicalAddressKey(key) == (isDigit(key) || c == Backspace), hex(key));
    }
}

void checkRaw(const QString &raw, const QString &number, bool tone)
{
    const QString source = (tone ? QStringLiteral("E") : QString()) + number;
    FUZZ_CHECK(raw.size() == qMax(source.size(), qsizetype(RawLength)), raw);
    FUZZ_CHECK(!raw.contains(u'+') && !raw.contains(u'*'), raw);
    FUZZ_CHECK(!tone || raw.startsWith(u'E'), raw);
    if (source.size() < RawLength)
        FUZZ_CHECK(raw.at(source.size()) == u'D' && raw.mid(source.size() + 1).count(u'0') == RawLength - source.size() - 1, raw);
}

void checkEntry(const TelephoneEntry &entry)
{
    FUZZ_CHECK(entry.raw() == FormatNumberPhone(entry.text(), entry.isTone()), entry.raw());
    checkRaw(entry.raw(), entry.text(), entry.isTone());
}

// As the box does it: keys the filter refuses are dropped, and the box takes no more than
// its length allows.
void type(TelephoneEntry &entry, SystemSettings &settings, int number, const QString &keys)
{
    RecordingNotifier notifier;
    QString &text = number == 1 ? settings.edTelNum1 : settings.edTelNum2;
    for (const QChar key : keys) {
        if (key.unicode() == Backspace)
            text.chop(1);
        else if (acceptTelephoneKey(key, notifier) && (isDigit(key) || key == u'+' || key == u'*')
                 && text.size() < entry.maxLength())
            text.append(key);
        entry.keyReleased();
        checkEntry(entry);
    }
}

void insertMark(TelephoneEntry &entry, bool pause, int caret)
{
    const QString before = entry.text();
    const std::optional<int> newCaret = pause ? entry.insertPause(caret) : entry.insertFindSignal(caret);
    // Only a box filled to its limit refuses; a longer text (loaded) still takes marks.
    if (before.size() == entry.maxLength()) {
        FUZZ_CHECK(!newCaret && entry.text() == before, entry.text());
        return;
    }
    FUZZ_CHECK(newCaret.has_value(), before);
    FUZZ_CHECK(entry.text().size() == before.size() + 1, entry.text());
    FUZZ_CHECK(*newCaret == qBound(0, caret, int(before.size())) + 1, entry.text());
    FUZZ_CHECK(entry.text().at(*newCaret - 1) == (pause ? u'+' : u'*'), entry.text());
    checkEntry(entry);
}

void setTone(TelephoneEntry &entry, bool pressed)
{
    const QString before = entry.text();
    const std::optional<int> caret = entry.setTone(pressed);
    FUZZ_CHECK(entry.isTone() == pressed, QString());
    if (pressed) {
        // Only a 16th character goes.
        const QString expected = before.size() > TelephoneEntry::ToneMaxLength
                ? QString(before).remove(TelephoneEntry::ToneMaxLength, 1)
                : before;
        FUZZ_CHECK(entry.text() == expected, entry.text());
        FUZZ_CHECK(caret == int(entry.text().size()), entry.text());
    } else {
        FUZZ_CHECK(!caret, entry.text());
    }
    checkEntry(entry);
}

void typeTechnologicalAddress(SystemSettings &settings, const QString &text)
{
    RecordingNotifier notifier;
    settings.edAddrKLM = text;
    const bool replaced = technologicalAddressEdited(settings, notifier);
    bool isNumber = false;
    const int value = text.toInt(&isNumber);
    const bool inRange = isNumber && value >= TechnologicalAddressMin && value <= TechnologicalAddressMax;
    FUZZ_CHECK(replaced == (isNumber && !inRange), text);
    FUZZ_CHECK(settings.edAddrKLM == (replaced ? QStringLiteral("1") : text), settings.edAddrKLM);
    // One message when the number was out of range, one error when the text is no number.
    FUZZ_CHECK(notifier.messages.size() == ((replaced || !isNumber) ? 1 : 0), notifier.messages.join(u'|'));
    FUZZ_CHECK(notifier.errors.size() == (isNumber ? 0 : 1), notifier.errors.join(u'|'));
    const std::optional<int> address = technologicalAddress(settings.edAddrKLM);
    FUZZ_CHECK(address.has_value() == (inRange || replaced), text);
    FUZZ_CHECK(!address || (*address >= TechnologicalAddressMin && *address <= TechnologicalAddressMax), text);
}

const std::array<InputCheck, 10> &inputChecks()
{
    using Characters = InputCheck::Characters;
    static const std::array<InputCheck, 10> checks {
        informationMessageCheck(),
        accessCodeCheck(),
        registrationNumberCheck(),
        attemptsCheck(),
        telephoneCheck(),
        technologicalAddressCheck(),
        InputCheck::text(40, Characters::Cp1251Capitals), // zone names, input messages
        InputCheck::number(0, 255), // input levels
        InputCheck::number(0, 9999), // event codes
        InputCheck::tenMinuteTime(), // day and night starts
    };
    return checks;
}

void checkInput(const InputCheck &check, const QString &given)
{
    using State = InputCheck::State;
    QString text = given;
    const State state = check.validate(text);
    QString again = text;
    FUZZ_CHECK(check.validate(again) == state && again == text, text);
    FUZZ_CHECK(text.size() == given.size(), text); // capitals only, one for one
    const std::optional<QVariant> taken = check.taken(text);
    if (check.kind() != InputCheck::Kind::Text)
        FUZZ_CHECK(taken.has_value() == (state == State::Acceptable), text);
    if (state != State::Acceptable)
        return;
    // Typed key by key, no start of it is refused.
    for (qsizetype length = 0; length < text.size(); ++length)
        FUZZ_CHECK(check.validated(text.left(length)) != State::Invalid, text.left(length));
    switch (check.kind()) {
    case InputCheck::Kind::Text: {
        FUZZ_CHECK(check.maxLength() == 0 || text.size() <= check.maxLength(), text);
        FUZZ_CHECK(taken && taken->toString() == text, text);
        const InputCheck::Characters characters = check.characters();
        if (characters == InputCheck::Characters::Cp1251 || characters == InputCheck::Characters::Cp1251Capitals)
            FUZZ_CHECK(Cp1251::decode(Cp1251::encode(text)) == text, text);
        const QString reopened = check.reopened(text);
        FUZZ_CHECK(check.reopened(reopened) == reopened, reopened);
        FUZZ_CHECK(check.validated(reopened) == State::Acceptable, reopened);
        break;
    }
    case InputCheck::Kind::Number:
        FUZZ_CHECK(taken->toInt() >= check.minimum() && taken->toInt() <= check.maximum(), text);
        break;
    case InputCheck::Kind::Time: {
        const QTime time = taken->toTime();
        FUZZ_CHECK(time.isValid() && time.minute() % 10 == 0 && time.second() == 0, text);
        FUZZ_CHECK(check.taken(InputCheck::timeText(time)) == taken, text);
        break;
    }
    case InputCheck::Kind::None:
        break;
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    treatQtMessagesAsFaults();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    SystemSettings settings;
    TelephoneEntry entries[] = { TelephoneEntry(settings, 1), TelephoneEntry(settings, 2) };
    FuzzSteps steps(data, size);
    while (const std::optional<FuzzStep> step = steps.next()) {
        const int number = step->operation / 8 % 2 + 1;
        TelephoneEntry &entry = entries[number - 1];
        const QString text = QString::fromUtf8(step->bytes);
        if (step->operation >= 16) {
            checkInput(inputChecks().at((step->operation - 16) % inputChecks().size()), text);
            continue;
        }
        switch (step->operation % 8) {
        case 0:
            offerKeys(step->bytes);
            break;
        case 1:
            type(entry, settings, number, text);
            break;
        case 2:
        case 3:
            insertMark(entry, step->operation % 8 == 2, qint8(step->number(0)));
            break;
        case 4:
            setTone(entry, step->number(0) % 2 == 1);
            break;
        case 5:
            (number == 1 ? settings.edTelNum1 : settings.edTelNum2) = text;
            break;
        case 6:
            typeTechnologicalAddress(settings, text);
            break;
        case 7:
            checkRaw(FormatNumberPhone(text, step->number(0) % 2 == 1), text, step->number(0) % 2 == 1);
            break;
        }
    }
    return 0;
}
