#pragma once

#include <model/inputcheck.h>
#include <model/systemsettings.h>

#include <QChar>
#include <QString>
#include <QStringView>

#include <optional>

class Notifier;

// The raw form of a telephone number: the symbol string the image stores for it.
QString FormatNumberPhone(const QString &Number, bool Tone);

// What the system, communicator and modules pages do with keys and button presses.
// The window forwards its events here and shows what the settings then hold.
namespace SettingsInput {

inline constexpr QStringView PauseCaption = u"пауза";
inline constexpr QStringView FindSignalCaption = u"пошук";
inline constexpr QStringView PulseCaption = u"імп";
inline constexpr QStringView ToneCaption = u"тон";
inline constexpr QStringView PauseHint = u"Пауза 2 сек  (\"B\")";
inline constexpr QStringView FindSignalHint = u"Пошук сигналу  (\"C\")";
inline constexpr QStringView TonePulseHint = u"Тональний набор  (\"E\")";

inline constexpr QStringView ModeOrText = u"ИЛИ"; // cbModeAndOr item 0
inline constexpr QStringView ModeAndText = u"И"; // item 1

struct UpDownRange
{
    int minimum;
    int maximum;
    int step;

    // One arrow press (direction +1 or -1). A value stored outside the range is shown as
    // it is until then, and the press brings it to the nearest bound.
    constexpr int stepped(int value, int direction) const
    {
        if (value < minimum)
            return minimum;
        if (value > maximum)
            return maximum;
        const int next = value + direction * step;
        return next < minimum ? minimum : next > maximum ? maximum : next;
    }
};
inline constexpr UpDownRange FirstTestHoursRange{0, 255, 1}; // ud6: one byte in the image
inline constexpr UpDownRange FirstTestMinutesRange{0, 99, 1}; // ud7
inline constexpr UpDownRange TestIntervalHoursRange{0, 24, 1}; // ud8

// edInfMessage: its slot holds 40 characters, and the first is the leading space.
inline constexpr int InformationMessageMaxLength = 39;

inline constexpr int TechnologicalAddressMaxLength = 2;
inline constexpr int TechnologicalAddressMin = 1;
inline constexpr int TechnologicalAddressMax = 16;

// What each box takes, from the bytes that keep it; the key filters below come first.
// edInfMessage: 39 characters after the slot's space, kept in capitals, reloaded trimmed.
InputCheck informationMessageCheck();
// edAdminPass*, edMasterPass*: ten bytes, a character each.
InputCheck accessCodeCheck();
// edNumReg1/2: two digit-coded bytes, four digits, reloaded with leading zeros, 0 as empty.
InputCheck registrationNumberCheck();
// edCount: one digit-coded byte, two digits, reloaded with a leading zero.
InputCheck attemptsCheck();
// edTelNum1/2: the symbols of the raw form; the box's own limit follows the tone button.
InputCheck telephoneCheck();
// edAddrKLM.
InputCheck technologicalAddressCheck();

// Key filters: false means the key is dropped; the first two have told the user why.
// edAdminPass*, edMasterPass*, edNumReg1/2, edCount.
bool acceptAccessCodeKey(QChar key, Notifier &notifier);
// edTelNum1/2.
bool acceptTelephoneKey(QChar key, Notifier &notifier);
// edAddrKLM, silently.
bool acceptTechnologicalAddressKey(QChar key);

// After every change of edAddrKLM. True when an out-of-range number was replaced by "1",
// so the window must show the new text.
bool technologicalAddressEdited(SystemSettings &settings, Notifier &notifier);
// The address an edAddrKLM text names; empty when it is not an address in range, so
// nothing goes looking at a bogus one.
std::optional<int> technologicalAddress(const QString &text);

// cbModeAndOr item for a typed text, -1 when it names none.
int modeAndOrIndex(QStringView text);

// One telephone box with its raw form and its tone/pulse button. Caret positions count
// the characters before the caret; a returned one is where the window puts the caret
// (and the focus), none when nothing changed.
class TelephoneEntry
{
public:
    static constexpr int PulseMaxLength = 16;
    static constexpr int ToneMaxLength = 15;

    TelephoneEntry(SystemSettings &settings, int number); // number: 1 or 2

    const QString &text() const { return m_text; }
    const QString &raw() const { return m_raw; }
    bool isTone() const { return m_tone; }
    int maxLength() const { return maxLength(m_tone); }
    QStringView caption() const { return caption(m_tone); }
    static int maxLength(bool tone) { return tone ? ToneMaxLength : PulseMaxLength; }
    static QStringView caption(bool tone) { return tone ? ToneCaption : PulseCaption; }

    void keyReleased();
    // The text as the box now holds it, typed or pasted with the mouse: the stored form
    // follows at once, since no key may come after a paste and a save would keep the old.
    void edited(const QString &text);
    std::optional<int> insertPause(int caret);
    std::optional<int> insertFindSignal(int caret);
    // The button's new state; in tone mode the caret goes to the end.
    std::optional<int> setTone(bool pressed);

private:
    std::optional<int> insertMark(QChar mark, int caret);

    QString &m_text;
    QString &m_raw;
    bool &m_tone;
    SystemSettings::ToneCaptionColour &m_colour;
};

} // namespace SettingsInput
