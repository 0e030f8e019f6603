#include <image/cp1251.h>

#include <algorithm>
#include <array>

namespace Cp1251 {

namespace {
// Bytes 0x80..0xFF; the lower half is ASCII. 0x98 has no character in the code page and
// stands for U+0098, so that every byte read from the panel goes back unchanged.
constexpr std::array<char16_t, 128> upperHalf{
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,
    0x0410, 0x0411, 0x0412, 0x0413, 0x0414, 0x0415, 0x0416, 0x0417,
    0x0418, 0x0419, 0x041A, 0x041B, 0x041C, 0x041D, 0x041E, 0x041F,
    0x0420, 0x0421, 0x0422, 0x0423, 0x0424, 0x0425, 0x0426, 0x0427,
    0x0428, 0x0429, 0x042A, 0x042B, 0x042C, 0x042D, 0x042E, 0x042F,
    0x0430, 0x0431, 0x0432, 0x0433, 0x0434, 0x0435, 0x0436, 0x0437,
    0x0438, 0x0439, 0x043A, 0x043B, 0x043C, 0x043D, 0x043E, 0x043F,
    0x0440, 0x0441, 0x0442, 0x0443, 0x0444, 0x0445, 0x0446, 0x0447,
    0x0448, 0x0449, 0x044A, 0x044B, 0x044C, 0x044D, 0x044E, 0x044F
};

constexpr char16_t firstRussian = 0x0410; // А, at byte 0xC0; the alphabet runs on to я at 0xFF

char byteOf(char16_t u)
{
    if (u < 0x80)
        return char(u);
    if (u >= firstRussian && u < firstRussian + 64)
        return char(0xC0 + (u - firstRussian));
    const auto found = std::find(upperHalf.cbegin(), upperHalf.cbegin() + 64, u);
    return found == upperHalf.cbegin() + 64 ? Substitute : char(0x80 + (found - upperHalf.cbegin()));
}

// Calls `take` with each character's byte, a pair of surrogates being one character.
template<typename Take>
void forEachByte(const QString &text, Take take)
{
    const qsizetype size = text.size();
    for (qsizetype i = 0; i < size; ++i) {
        const QChar c = text.at(i);
        if (c.isHighSurrogate() && i + 1 < size && text.at(i + 1).isLowSurrogate()) {
            ++i;
            take(Substitute);
        } else {
            take(c.isSurrogate() ? Substitute : byteOf(c.unicode()));
        }
    }
}
} // namespace

QByteArray encode(const QString &text)
{
    QByteArray bytes;
    bytes.reserve(text.size());
    forEachByte(text, [&bytes](char byte) { bytes.append(byte); });
    return bytes;
}

QString decode(const QByteArray &bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar *out = text.data();
    for (const char byte : bytes) {
        const auto b = quint8(byte);
        *out++ = QChar(b < 0x80 ? char16_t(b) : upperHalf[b - 0x80]);
    }
    return text;
}

void writeFixed(const ImageBytes &slot, const QString &text, char pad)
{
    int at = 0;
    forEachByte(text, [&](char byte) {
        if (at < slot.size())
            slot.set(at++, quint8(byte));
    });
    slot.fill(at, slot.size() - at, quint8(pad));
}

void writeSlotText(const ImageBytes &slot, const QString &text)
{
    writeFixed(slot, upperCased(text), ' ');
}

namespace {
QChar upperCasedLetter(QChar c)
{
    const char16_t u = c.unicode();
    if (u < 0x80) // no look-up needed
        return (u >= u'a' && u <= u'z') ? QChar(char16_t(u - u'a' + u'A')) : c;
    // The Russian alphabet and Ё..Џ, which most names are written in, need none either.
    if (u >= 0x0400 && u <= 0x042F)
        return c;
    if (u >= 0x0430 && u <= 0x044F)
        return QChar(char16_t(u - 0x20));
    if (u >= 0x0450 && u <= 0x045F)
        return QChar(char16_t(u - 0x50));
    const QChar::Script script = c.script();
    return (script == QChar::Script_Latin || script == QChar::Script_Cyrillic) ? c.toUpper() : c;
}
} // namespace

QString upperCased(QString text)
{
    // Read first: a text already in capitals, as every loaded one is, stays shared.
    const QChar *const begin = text.constData();
    const QChar *const end = begin + text.size();
    const QChar *const first = std::find_if(begin, end, [](QChar c) { return upperCasedLetter(c) != c; });
    if (first == end)
        return text;
    const qsizetype from = first - begin;
    QChar *const data = text.data();
    for (qsizetype i = from; i < text.size(); ++i)
        data[i] = upperCasedLetter(data[i]);
    return text;
}

QByteArray encodeFixed(const QString &text, int width, char pad)
{
    QByteArray bytes(qMax(width, 0), pad);
    writeFixed(ImageBytes(reinterpret_cast<quint8 *>(bytes.data()), int(bytes.size())), text, pad);
    return bytes;
}

bool isBlank(QChar c)
{
    return c.unicode() <= 0x20;
}

QString trimmedOfBlanks(const QString &text)
{
    qsizetype start = 0;
    while (start < text.size() && isBlank(text.at(start)))
        ++start;
    return withoutTrailingBlanks(text.mid(start));
}

QString withoutTrailingBlanks(QString text)
{
    qsizetype end = text.size();
    while (end > 0 && isBlank(text.at(end - 1)))
        --end;
    text.truncate(end);
    return text;
}

QByteArray encodeSlotText(const QString &text, int width)
{
    return encodeFixed(upperCased(text), width, ' ');
}

} // namespace Cp1251
