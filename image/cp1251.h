#pragma once

#include <QByteArray>
#include <QString>

// The panel stores all text in windows-1251, one byte per character.
namespace Cp1251 {

QByteArray encode(const QString &text);
QString decode(const QByteArray &bytes);

// Exactly `width` bytes: the encoded text cut or padded with `pad`.
QByteArray encodeFixed(const QString &text, int width, char pad);

} // namespace Cp1251
