#include <image/cp1251.h>

#include <QStringDecoder>
#include <QStringEncoder>

#include <algorithm>

namespace Cp1251 {

namespace {
constexpr const char *encodingName = "windows-1251";

// Without the code page every name would silently turn into blanks: refuse to go on.
template<typename Converter>
Converter &checked(Converter &converter)
{
    if (!converter.isValid())
        qFatal("This Qt build cannot convert windows-1251 text (Qt without ICU?)");
    return converter;
}
} // namespace

Encoder::Encoder() : m_encoder(encodingName, QStringConverter::Flag::Stateless)
{
    checked(m_encoder);
}

QByteArray Encoder::encode(const QString &text)
{
    return m_encoder.encode(text);
}

QByteArray Encoder::encodeFixed(const QString &text, int width, char pad)
{
    QByteArray bytes(qMax(width, 0), pad);
    writeFixed(ImageBytes(reinterpret_cast<quint8 *>(bytes.data()), int(bytes.size())), text, pad);
    return bytes;
}

QByteArray Encoder::encodeSlotText(const QString &text, int width)
{
    return encodeFixed(upperCased(text), width, ' ');
}

void Encoder::writeFixed(const ImageBytes &slot, const QString &text, char pad)
{
    m_buffer.resize(m_encoder.requiredSpace(text.size()));
    const qsizetype written = m_encoder.appendToBuffer(m_buffer.data(), text) - m_buffer.data();
    const qsizetype kept = qMin<qsizetype>(written, slot.size());
    slot.write(0, QByteArrayView(m_buffer.constData(), kept));
    slot.fill(kept, slot.size() - kept, quint8(pad));
}

void Encoder::writeSlotText(const ImageBytes &slot, const QString &text)
{
    writeFixed(slot, upperCased(text), ' ');
}

QByteArray encode(const QString &text)
{
    return Encoder().encode(text);
}

QString decode(const QByteArray &bytes)
{
    QStringDecoder decoder(encodingName);
    return checked(decoder)(bytes);
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
    return Encoder().encodeFixed(text, width, pad);
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
    return Encoder().encodeSlotText(text, width);
}

} // namespace Cp1251
