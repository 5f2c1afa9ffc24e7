#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

// The window's 8-bit code page is GBK (code page 936), independent of the machine's locale.

// Text -> GBK bytes. Characters GBK cannot encode become "?".
QByteArray toCodePage(QStringView text);

// GBK bytes -> text, for command files.
QString fromCodePage(QByteArrayView bytes);

// Character dump of raw line bytes for the logs. Each byte, or each GBK double-byte pair
// that forms a character, is shown as that character; a byte that forms no character in
// GBK (0x80, 0xFF, a lead byte without a valid trail byte) is shown as one U+FFFD so that
// the dump keeps one visible mark per stray byte. ASCII, CR and LF included, stays as is.
QString dumpCharacters(QByteArrayView bytes);

// Hex of each character's code page code, without leading zeros, one blank after each
// ("AB" -> "41 42 ", "中" -> "D6D0 ").
QString TextToHex(QStringView text);
