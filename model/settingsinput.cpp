#include <model/settingsinput.h>

#include <image/imagelayout.h>
#include <messages/messages.h>
#include <model/notifier.h>

#include <algorithm>

namespace {

constexpr char16_t CtrlC = 3;
constexpr char16_t Backspace = 8;
constexpr char16_t CtrlV = 22;
constexpr char16_t CtrlX = 24;
constexpr int RawLength = 16;

// Compared as whole code units: a character above 255 must never pass for the
// Latin-1 character in its low byte.
bool isAsciiDigit(QChar key)
{
    return key.unicode() >= u'0' && key.unicode() <= u'9';
}

} // namespace

QString FormatNumberPhone(const QString &Number, bool Tone)
{
    QString raw = Tone ? QLatin1Char('E') + Number : Number;
    raw.replace(QLatin1Char('+'), QLatin1Char('B')).replace(QLatin1Char('*'), QLatin1Char('C'));
    if (raw.size() < RawLength) {
        raw += QLatin1Char('D');
        raw = raw.leftJustified(RawLength, QLatin1Char('0'));
    }
    return raw;
}

namespace SettingsInput {

using Characters = InputCheck::Characters;
using Reopened = InputCheck::Reopened;

InputCheck informationMessageCheck()
{
    return InputCheck::text(InformationMessageMaxLength, Characters::Cp1251Capitals, Reopened::Trimmed);
}

InputCheck accessCodeCheck()
{
    return InputCheck::text(ImageLayout::AccessCodeSize, Characters::Cp1251);
}

InputCheck registrationNumberCheck()
{
    return InputCheck::digitCoded(2, Reopened::ZeroPaddedOrEmpty);
}

InputCheck attemptsCheck()
{
    return InputCheck::digitCoded(1, Reopened::ZeroPadded);
}

InputCheck telephoneCheck()
{
    return InputCheck::text(0, Characters::Telephone);
}

InputCheck technologicalAddressCheck()
{
    return InputCheck::text(TechnologicalAddressMaxLength, Characters::Digits);
}

bool acceptAccessCodeKey(QChar key, Notifier &notifier)
{
    const char16_t c = key.unicode();
    if (isAsciiDigit(key) || c == Backspace || c == CtrlC)
        return true;
    notifier.information(message(MessageId::DigitsOnly));
    return false;
}

bool acceptTelephoneKey(QChar key, Notifier &notifier)
{
    const char16_t c = key.unicode();
    if (isAsciiDigit(key) || c == u'+' || c == u'*' || c == Backspace || c == CtrlC
        || c == CtrlV || c == CtrlX)
        return true;
    notifier.information(message(MessageId::TelephoneKeys));
    return false;
}

bool acceptTechnologicalAddressKey(QChar key)
{
    return isAsciiDigit(key) || key.unicode() == Backspace;
}

bool technologicalAddressEdited(SystemSettings &settings, Notifier &notifier)
{
    bool isNumber = false;
    const int value = settings.edAddrKLM.toInt(&isNumber);
    if (!isNumber) {
        // The conversion fails: reported as an error, and the text stays to be finished.
        notifier.error(message(MessageId::NotAnInteger).arg(settings.edAddrKLM));
        return false;
    }
    if (value >= TechnologicalAddressMin && value <= TechnologicalAddressMax)
        return false;
    notifier.information(message(MessageId::TechnologicalAddressRange));
    settings.edAddrKLM = QStringLiteral("1");
    return true;
}

std::optional<int> technologicalAddress(const QString &text)
{
    bool isNumber = false;
    const int value = text.toInt(&isNumber);
    if (!isNumber || value < TechnologicalAddressMin || value > TechnologicalAddressMax)
        return std::nullopt;
    return value;
}

int modeAndOrIndex(QStringView text)
{
    if (text == ModeOrText)
        return 0;
    if (text == ModeAndText)
        return 1;
    return -1;
}

TelephoneEntry::TelephoneEntry(SystemSettings &settings, int number)
    : m_text(number == 1 ? settings.edTelNum1 : settings.edTelNum2),
      m_raw(number == 1 ? settings.edTelNum1Raw : settings.edTelNum2Raw),
      m_tone(number == 1 ? settings.sbTonePulse1 : settings.sbTonePulse2),
      m_colour(number == 1 ? settings.sbTonePulse1Colour : settings.sbTonePulse2Colour)
{
    Q_ASSERT_X(number == 1 || number == 2, "TelephoneEntry", "number must be 1 or 2");
}

void TelephoneEntry::keyReleased()
{
    m_raw = FormatNumberPhone(m_text, m_tone);
}

void TelephoneEntry::edited(const QString &text)
{
    m_text = text;
    keyReleased();
}

std::optional<int> TelephoneEntry::insertPause(int caret)
{
    return insertMark(QLatin1Char('+'), caret);
}

std::optional<int> TelephoneEntry::insertFindSignal(int caret)
{
    return insertMark(QLatin1Char('*'), caret);
}

std::optional<int> TelephoneEntry::insertMark(QChar mark, int caret)
{
    // Only a box filled to its limit refuses; a longer loaded text still takes marks.
    if (m_text.size() == maxLength())
        return std::nullopt;
    const int position = std::clamp(caret, 0, int(m_text.size()));
    m_text.insert(position, mark);
    keyReleased();
    return position + 1;
}

std::optional<int> TelephoneEntry::setTone(bool pressed)
{
    m_tone = pressed;
    std::optional<int> caret;
    if (pressed) {
        m_colour = SystemSettings::ToneCaptionColour::Blue;
        // Only the 16th character makes way for the tone mark; a longer loaded text
        // keeps the rest, so nothing the user did not see is lost.
        if (m_text.size() > ToneMaxLength)
            m_text.remove(ToneMaxLength, 1);
        caret = int(m_text.size());
    } else {
        m_colour = SystemSettings::ToneCaptionColour::Black;
    }
    keyReleased();
    return caret;
}

} // namespace SettingsInput
