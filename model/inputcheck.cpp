#include <model/inputcheck.h>

#include <image/cp1251.h>

#include <algorithm>

namespace {

constexpr int MinutesStep = 10; // the image keeps times in tens of minutes

bool isDigit(QChar c)
{
    return c.unicode() >= u'0' && c.unicode() <= u'9';
}

bool allDigits(QStringView text)
{
    return std::all_of(text.begin(), text.end(), isDigit);
}

bool isHexDigit(QChar c)
{
    const char16_t u = c.unicode();
    return isDigit(c) || (u >= u'A' && u <= u'F') || (u >= u'a' && u <= u'f');
}

// Every printable character the code page has a byte for. The code page's gaps decode to
// the replacement character, and control characters are nothing a panel can show.
const QString &printableCp1251()
{
    static const QString characters = [] {
        QByteArray bytes;
        for (int byte = 0x20; byte <= 0xFF; ++byte)
            bytes.append(char(byte));
        QString decoded = Cp1251::decode(bytes);
        decoded.removeIf([](QChar c) {
            return c == QChar::ReplacementCharacter || c.category() == QChar::Other_Control;
        });
        return decoded;
    }();
    return characters;
}

} // namespace

InputCheck InputCheck::text(int maxLength, Characters characters, Reopened reopened)
{
    InputCheck check;
    check.m_kind = Kind::Text;
    check.m_maxLength = maxLength;
    check.m_characters = characters;
    check.m_reopened = reopened;
    return check;
}

InputCheck InputCheck::digitCoded(int bytes, Reopened reopened)
{
    return text(2 * bytes, Characters::Digits, reopened);
}

InputCheck InputCheck::number(int minimum, int maximum)
{
    InputCheck check;
    check.m_kind = Kind::Number;
    check.m_minimum = minimum;
    check.m_maximum = maximum;
    check.m_maxLength = int(QString::number(maximum).size());
    return check;
}

InputCheck InputCheck::tenMinuteTime()
{
    InputCheck check;
    check.m_kind = Kind::Time;
    check.m_maxLength = 5; // HH:mm
    return check;
}

bool InputCheck::takes(QChar c) const
{
    switch (m_characters) {
    case Characters::Any:
        return true;
    case Characters::Cp1251:
        return printableCp1251().contains(c);
    case Characters::Cp1251Capitals:
        // Its capital is what the slot keeps and what a reload shows.
        return printableCp1251().contains(Cp1251::upperCased(QString(c)).front());
    case Characters::Digits:
        return isDigit(c);
    case Characters::Telephone:
        return isDigit(c) || c == u'+' || c == u'*';
    }
    return false;
}

InputCheck::State InputCheck::validate(QString &text) const
{
    switch (m_kind) {
    case Kind::None:
        return State::Acceptable;
    case Kind::Text:
        if (m_characters == Characters::Cp1251Capitals)
            text = Cp1251::upperCased(text);
        if (m_maxLength > 0 && text.size() > m_maxLength)
            return State::Invalid;
        return std::all_of(text.cbegin(), text.cend(), [this](QChar c) { return takes(c); }) ? State::Acceptable
                                                                                            : State::Invalid;
    case Kind::Number:
        return validateNumber(text);
    case Kind::Time:
        return validateTime(text);
    }
    return State::Invalid;
}

InputCheck::State InputCheck::validateNumber(const QString &text) const
{
    const bool negative = text.startsWith(u'-');
    const QStringView digits = QStringView(text).mid(negative ? 1 : 0);
    if (negative && m_minimum >= 0)
        return State::Invalid;
    if (digits.isEmpty())
        return State::Intermediate;
    if (!allDigits(digits))
        return State::Invalid;
    bool ok = false;
    const qlonglong value = text.toLongLong(&ok);
    if (!ok || value > m_maximum)
        return State::Invalid;
    return value < m_minimum ? State::Intermediate : State::Acceptable;
}

// H, HH, HH:, HH:m on the way; HH:m0 or H:m0 a time the image keeps.
InputCheck::State InputCheck::validateTime(const QString &text) const
{
    if (text.count(u':') > 1)
        return State::Invalid;
    const qsizetype colon = text.indexOf(u':');
    const QStringView hours = QStringView(text).left(colon < 0 ? text.size() : colon);
    if (hours.size() > 2 || !allDigits(hours) || (!hours.isEmpty() && hours.toInt() > 23))
        return State::Invalid;
    if (colon < 0)
        return State::Intermediate;
    const QStringView minutes = QStringView(text).mid(colon + 1);
    if (hours.isEmpty() || minutes.size() > 2 || !allDigits(minutes))
        return State::Invalid;
    if (!minutes.isEmpty() && minutes.at(0) > u'5')
        return State::Invalid;
    if (minutes.size() < 2)
        return State::Intermediate;
    return minutes.at(1) == u'0' ? State::Acceptable : State::Invalid;
}

std::optional<QVariant> InputCheck::taken(const QVariant &value) const
{
    switch (m_kind) {
    case Kind::None:
        return value;
    case Kind::Text:
        if (value.isNull())
            return value;
        if (validated(value.toString()) != State::Acceptable)
            return std::nullopt;
        return value; // the field's rule makes the capitals
    case Kind::Number:
        if (value.isNull() || validateNumber(value.toString()) != State::Acceptable)
            return std::nullopt;
        return QVariant(value.toInt());
    case Kind::Time:
        if (value.metaType().id() == QMetaType::QTime) {
            const QTime time = value.toTime();
            if (!time.isValid() || time.second() != 0 || time.msec() != 0 || time.minute() % MinutesStep != 0)
                return std::nullopt;
            return value;
        }
        if (value.isNull() || validateTime(value.toString()) != State::Acceptable)
            return std::nullopt;
        return QVariant(QTime::fromString(value.toString(), QStringLiteral("H:mm")));
    }
    return std::nullopt;
}

QString InputCheck::editText(const QVariant &value) const
{
    if (m_kind == Kind::Time)
        return value.isNull() ? QString() : timeText(value.toTime());
    return value.toString();
}

QString InputCheck::timeText(const QTime &time)
{
    return time.toString(QStringLiteral("HH:mm"));
}

QString InputCheck::reopened(const QString &text) const
{
    QString shown = m_characters == Characters::Cp1251Capitals ? Cp1251::upperCased(text) : text;
    switch (m_reopened) {
    case Reopened::AsTyped:
        return shown;
    case Reopened::Trimmed:
        return Cp1251::trimmedOfBlanks(shown);
    case Reopened::ZeroPadded:
    case Reopened::ZeroPaddedOrEmpty:
        break;
    }
    // The build reads what is not a hexadecimal number as 0 and keeps the lowest digits.
    if (shown.isEmpty() || !std::all_of(shown.cbegin(), shown.cend(), isHexDigit))
        shown = QStringLiteral("0");
    shown = shown.toUpper().right(m_maxLength).rightJustified(m_maxLength, u'0');
    if (m_reopened == Reopened::ZeroPaddedOrEmpty && shown.count(u'0') == shown.size())
        return {};
    return shown;
}
