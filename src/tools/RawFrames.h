#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>

// The raw frame tools: bytes typed in hex sent as they are or framed, a typed text sent as
// its code page bytes, a text turned into hex pairs, the CRC of typed bytes.

// The tools' boxes hold at most this many characters (signed 16-bit counts).
inline constexpr qsizetype kMaxToolText = 32767;

enum class RawFraming {
    AsTyped, // the bytes unchanged
    Asc,     // ":" + hex + LRC + CR LF
    Rtu,     // bytes + CRC low, CRC high
};

// The frame of the bytes typed in `hexText`; none when the text holds no bytes.
std::optional<QByteArray> rawHexFrame(QStringView hexText, RawFraming framing);

// The two CRC bytes of the bytes typed in `hexText` as two hex digits each, low byte first
// unless `highFirst`; none when the text holds no bytes.
struct CrcTexts {
    QString first;
    QString second;
};
std::optional<CrcTexts> rawCrcTexts(QStringView hexText, bool highFirst);

// A typed text as it goes on the line: its GBK bytes, a double-byte character as its two
// bytes. `problem` says why nothing can be sent (text too long, a character GBK lacks).
struct TextBytes {
    QByteArray bytes;
    QString problem;
};
TextBytes rawTextBytes(QStringView text);

// The hex pairs of a text for the hex box; `problem` when the result would not fit it.
struct HexText {
    QString hex;
    QString problem;
};
HexText rawTextToHex(QStringView text);
