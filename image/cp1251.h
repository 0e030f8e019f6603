#pragma once

#include <image/settingsimage.h>

#include <QByteArray>
#include <QString>

// The panel stores all text in windows-1251, one byte per character. The conversion is a
// table of its own: a Qt without ICU (as built for Windows) has no windows-1251.
namespace Cp1251 {

// What a character windows-1251 has no byte for becomes, one byte per character.
constexpr char Substitute = '\x1A';

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

// The same straight into the slot, `slot.size()` bytes wide: a load and a build each write
// 500 names.
void writeFixed(const ImageBytes &slot, const QString &text, char pad);
void writeSlotText(const ImageBytes &slot, const QString &text);

} // namespace Cp1251
