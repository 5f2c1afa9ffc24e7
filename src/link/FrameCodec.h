#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QtGlobal>

#include <optional>

// Framing of the drivers' protocol: RTU (bytes + CRC-16/MODBUS, low byte first) and
// ASC (":" + upper-case hex text + LRC + CR LF).

enum class ProtocolMode { Rtu, Asc };

// Bytes of the CRC most recently computed by ComputeCrc16; callers read them right after
// their own call (everything runs on the one UI thread).
inline quint8 CrcLow = 0;
inline quint8 CrcHigh = 0;

// CRC-16/MODBUS as a number (low byte = first byte on the wire). Pure; touches no state.
quint16 crc16Modbus(QByteArrayView bytes);

// Stores the CRC in CrcLow/CrcHigh and returns it as text in wire order ("39C0").
QString ComputeCrc16(QByteArrayView bytes);

// Modbus ASCII LRC: two's complement of the 8-bit sum.
quint8 ComputeLrc(QByteArrayView bytes);

// "Modbus RTU" exactly selects RTU; any other text selects ASC.
ProtocolMode modeFromText(const QString& modeText);

QByteArray BuildFrame(QByteArrayView request, ProtocolMode mode);

// Two upper-case hex digits and one blank per byte from first to last inclusive.
// An empty or out-of-range span gives the empty text.
QString FormatHexPairs(QByteArrayView bytes, qsizetype first, qsizetype last);
QString FormatHexPairs(QByteArrayView bytes);

// Upper-case hex of one byte, always two digits.
QString hexByte(quint8 value);

// Value of one hex digit of either case, or -1.
int hexDigitValue(char c);

// True when the last two bytes are the CRC of the bytes before them (low byte first).
bool HasValidCrc(QByteArrayView frame);

// The request bytes an ASC frame carries: ":" + hex pairs (the request, then the LRC) +
// CR LF, with a right LRC. Nothing for anything else.
std::optional<QByteArray> ReadAscFrame(QByteArrayView frame);
