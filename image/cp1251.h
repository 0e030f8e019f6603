#pragma once

#include <image/settingsimage.h>

#include <QByteArray>
#include <QString>
#include <QStringEncoder>

// The panel stores all text in windows-1251, one byte per character.
namespace Cp1251 {

// Encodes many texts with one converter: opening the code page costs more than a name.
class Encoder
{
public:
    Encoder();
    QByteArray encode(const QString &text);
    QByteArray encodeFixed(const QString &text, int width, char pad);
    // A zone name or message as its slot holds it: upper-cased, cut or padded with spaces.
    QByteArray encodeSlotText(const QString &text, int width);
    // The same straight into the slot, `slot.size()` bytes wide: a load and a build each
    // write 500 names.
    void writeFixed(const ImageBytes &slot, const QString &text, char pad);
    void writeSlotText(const ImageBytes &slot, const QString &text);

private:
    QStringEncoder m_encoder;
    QByteArray m_buffer; // kept between texts
};

QByteArray encode(const QString &text);
QString decode(const QByteArray &bytes);

// The panel's capitals: Latin and Cyrillic letters are upper-cased one for one, every
// other character is kept, so that it comes back from the image as it went in.
QString upperCased(QString text);

// Exactly `width` bytes: the encoded text cut or padded with `pad`.
QByteArray encodeFixed(const QString &text, int width, char pad);

// Blanks and control characters, which the panel pads its messages with.
bool isBlank(QChar c);
QString trimmedOfBlanks(const QString &text);
QString withoutTrailingBlanks(QString text);

// A zone name or message as its slot holds it: upper-cased, cut or padded with spaces.
QByteArray encodeSlotText(const QString &text, int width);

} // namespace Cp1251
