#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>
#include <QtGlobal>

#include <optional>

// Lenient decimal reading as users type numbers into the window's boxes: blanks, tabs and
// line feeds are ignored anywhere; sign, digits, one ".", exponent "E"/"D" with sign;
// "&H" starts a hexadecimal integer. Reading stops at the first character that cannot
// continue the number; nothing readable gives 0. May return +/-infinity for huge input.
double ParseNumberText(QStringView text);

// Lenient hexadecimal reading: blanks ignored, hex digits of either case, stops at the
// first other character, nothing readable gives 0. Saturates at UINT64_MAX.
quint64 ParseHexText(QStringView text);

// Round to the nearest integer with ties to even and check the result lies in [min, max].
std::optional<qint64> roundToRange(double value, qint64 min, qint64 max);

std::optional<quint8> toByteField(double value);
std::optional<qint32> toInt32Field(double value);
std::optional<quint8> hexToByteField(quint64 value);

// Hex text with blanks -> bytes: blanks removed, an odd count gets a "0" before its last
// character, each pair read with ParseHexText.
QByteArray HexTextToBytes(QStringView text);
